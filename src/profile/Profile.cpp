// Profile: the profile functions over the profile engine.

#include "profile/Profile.h"

#include "profile/ProfileEngine.h"

#include <cstdint>

namespace profile {

namespace {

std::string_view Arg(const std::string& text) { return CutAtNul(text); }

// The first section of the name in the file as it is now, or nothing.
struct FoundSection {
  std::shared_ptr<const ProfileDocument> document;
  const ProfileDocument::Section* section = nullptr;
};

FoundSection Find(const std::string& file, const std::string& section) {
  FoundSection found{LoadProfile(file)};
  if (found.document) found.section = found.document->FindSection(Arg(section));
  return found;
}

bool IsListedKey(const ProfileDocument::Entry& entry) {
  return entry.hasValue && !entry.comment && !entry.name.empty();
}

// Takes names while they fit whole in a list of bufferSize characters.
class NameBudget {
 public:
  explicit NameBudget(size_t bufferSize) : left_(bufferSize) {}
  bool Take(const std::string& name) {
    if (name.size() + 2 > left_) return false;
    left_ -= name.size() + 1;
    return true;
  }

 private:
  size_t left_;
};

// As the platform's string-to-integer conversion of profile values: it stops
// at the first character that is no digit and wraps around 32 bits.
int ParseProfileInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  unsigned base = 10;
  if (i + 1 < text.size() && text[i] == '0') {
    const char prefix = text[i + 1];
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) i += 2;
  }
  uint32_t total = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    const unsigned digit = c >= '0' && c <= '9'   ? unsigned(c - '0')
                           : c >= 'A' && c <= 'Z' ? unsigned(c - 'A' + 10)
                           : c >= 'a' && c <= 'z' ? unsigned(c - 'a' + 10)
                                                  : 99u;
    if (digit >= base) break;
    total = total * base + digit;
  }
  return static_cast<int>(negative ? 0u - total : total);
}

}  // namespace

std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& defaultValue, size_t bufferSize) {
  if (bufferSize == 0) return {};
  const auto found = Find(file, section);
  if (found.section) {
    const auto* entry = found.document->FindEntry(*found.section, Arg(key));
    if (entry && entry->hasValue) return Unquote(entry->value, bufferSize - 1);
  }
  std::string_view fallback = Arg(defaultValue);
  while (!fallback.empty() && fallback.back() == ' ') fallback.remove_suffix(1);
  return Unquote(fallback, bufferSize - 1);
}

std::optional<std::string> ReadStoredText(const std::string& file, const std::string& section, const std::string& key) {
  const auto found = Find(file, section);
  if (!found.section) return std::nullopt;
  const auto* entry = found.document->FindEntry(*found.section, Arg(key));
  if (!entry || !entry->hasValue) return std::nullopt;
  return entry->value;
}

int ReadInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue) {
  const std::string value = ReadString(file, section, key, std::string(), 30);
  return value.empty() ? defaultValue : ParseProfileInt(value);
}

bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                 const std::string& value) {
  const auto s = Arg(section), k = Arg(key), v = Arg(value);
  if (!ProfileDocument::CanWrite(s, k, v)) return false;
  return EditProfile(
      file, [&](const ProfileDocument& document) { return document.WithValue(s, k, v); }, true);
}

bool WriteStoredText(const std::string& file, const std::string& section, const std::string& key,
                     const std::string& text) {
  const auto s = Arg(section), k = Arg(key), v = Arg(text);
  if (!ProfileDocument::CanWrite(s, k, v)) return false;
  return EditProfile(
      file, [&](const ProfileDocument& document) { return document.WithStoredText(s, k, v); }, true);
}

bool ReplaceWholeText(const std::string& file, const std::string& text) {
  return EditProfile(
      file,
      [&](const ProfileDocument& document) -> std::optional<std::string> {
        std::string bytes = document.BytesOfText(text);
        if (bytes == document.Bytes()) return std::nullopt;
        return bytes;
      },
      true);
}

bool DeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  const auto s = Arg(section), k = Arg(key);
  if (!ProfileDocument::CanWrite(s, k, {})) return false;
  return EditProfile(
      file, [&](const ProfileDocument& document) { return document.WithoutKey(s, k); }, false);
}

std::vector<std::string> ReadKeys(const std::string& file, const std::string& section, size_t bufferSize) {
  std::vector<std::string> keys;
  const auto found = Find(file, section);
  if (!found.section) return keys;
  NameBudget budget(bufferSize);
  for (const auto& entry : found.document->Entries(*found.section)) {
    if (!IsListedKey(entry)) continue;
    if (!budget.Take(entry.name)) break;
    keys.push_back(entry.name);
  }
  return keys;
}

std::vector<std::pair<std::string, std::string>> ReadEntries(const std::string& file, const std::string& section,
                                                             size_t valueBufferSize, size_t bufferSize) {
  std::vector<std::pair<std::string, std::string>> entries;
  const auto found = Find(file, section);
  if (!found.section || valueBufferSize == 0) return entries;
  NameBudget budget(bufferSize);
  for (const auto& entry : found.document->Entries(*found.section)) {
    if (!IsListedKey(entry)) continue;
    if (!budget.Take(entry.name)) break;
    entries.emplace_back(entry.name, Unquote(entry.value, valueBufferSize - 1));
  }
  return entries;
}

std::vector<std::string> ReadSectionNames(const std::string& file, size_t bufferSize) {
  std::vector<std::string> names;
  const auto document = LoadProfile(file);
  if (!document) return names;
  NameBudget budget(bufferSize);
  for (const auto& section : document->Sections()) {
    if (!section.hasHeader || section.name.empty()) continue;
    if (!budget.Take(section.name)) break;
    names.push_back(section.name);
  }
  return names;
}

bool SectionExists(const std::string& file, const std::string& section) {
  const auto found = Find(file, section);
  return found.section && found.section->hasHeader;
}

}  // namespace profile
