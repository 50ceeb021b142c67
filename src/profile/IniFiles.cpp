// IniFiles: TIniFile over the profile functions.

#include "profile/IniFiles.h"

#include "profile/Profile.h"
#include "profile/ProfileDocument.h"

#include <charconv>
#include <climits>
#include <stdexcept>
#include <unordered_map>

namespace {

constexpr size_t kValueBuffer = 2048;

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  return profile::ReadString(fileName_, section, key, def, kValueBuffer);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const std::string text = ReadString(section, key, std::string());
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  int base = 10;
  if (digits.size() > 1 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = 16;
    digits.remove_prefix(2);
  } else if (!digits.empty() && digits.front() == '$') {
    base = 16;
    digits.remove_prefix(1);
  }
  // Parsed as a magnitude, so that the sign may stand before a hexadecimal
  // number and the most negative int is still in range.
  long long magnitude = 0;
  if (digits.empty() || digits.front() == '-' || digits.front() == '+') return def;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
  if (error != std::errc() || end != digits.data() + digits.size()) return def;
  const long long value = negative ? -magnitude : magnitude;
  if (value < INT_MIN || value > INT_MAX) return def;
  return static_cast<int>(value);
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  if (!profile::WriteString(fileName_, section, key, value))
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

void TIniFile::ReadSections(std::vector<std::string>& sections) const {
  sections = profile::ReadSectionNames(fileName_);
}

bool TIniFile::SectionExists(const std::string& section) const { return profile::SectionExists(fileName_, section); }
