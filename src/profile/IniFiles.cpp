// IniFiles: TIniFile over the profile functions.

#include "profile/IniFiles.h"

#include "profile/Profile.h"
#include "profile/ProfileDocument.h"

#include <stdexcept>
#include <unordered_map>

namespace {

constexpr size_t kValueBuffer = 2048;

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  return profile::ReadString(fileName_, section, key, def, kValueBuffer);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (!profile::WriteString(fileName_, section, key, value))
    throw std::runtime_error("Unable to write to " + fileName_);
}

std::string TIniFile::ReadStoredText(const std::string& section, const std::string& key) const {
  return profile::ReadStoredText(fileName_, section, key).value_or("");
}

void TIniFile::WriteStoredText(const std::string& section, const std::string& key, const std::string& text) {
  if (!profile::WriteStoredText(fileName_, section, key, text))
    throw std::runtime_error("Unable to write to " + fileName_);
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  (void)profile::DeleteKey(fileName_, section, key);
}

void TIniFile::ReadSection(const std::string& section, std::vector<std::string>& keys) const {
  keys = profile::ReadKeys(fileName_, section);
}

void TIniFile::ReadSectionValues(const std::string& section, std::vector<std::string>& entries) const {
  entries.clear();
  const auto listed = profile::ReadEntries(fileName_, section, kValueBuffer);
  std::unordered_map<std::string, std::string> first;
  for (const auto& [key, value] : listed) first.emplace(profile::Fold(key), value);
  for (const auto& [key, value] : listed) entries.push_back(key + "=" + first[profile::Fold(key)]);
}
