#pragma once
// IniFiles: TIniFile, the profile-file object bound to one file name, over
// the profile functions of Profile.h.

#include <string>
#include <vector>

class TIniFile {
 public:
  explicit TIniFile(std::string fileName);

  [[nodiscard]] const std::string& FileName() const noexcept { return fileName_; }

  // Read with a 2048-character buffer: at most 2047 characters arrive.
  [[nodiscard]] std::string ReadString(const std::string& section, const std::string& key,
                                       const std::string& def) const;
  // Throws std::runtime_error "Unable to write to <file name>" when the file
  // could not be written.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  // The text of the key's line after "=", quotes kept ("" when the key is
  // missing), and the same stored exactly; WriteStoredText throws as
  // WriteString does.
  [[nodiscard]] std::string ReadStoredText(const std::string& section, const std::string& key) const;
  void WriteStoredText(const std::string& section, const std::string& key, const std::string& text);
  // An absent key is no error; nor is a failure, which callers ignore.
  void DeleteKey(const std::string& section, const std::string& key);
  // The key names in file order (16384 characters at most); cleared first.
  void ReadSection(const std::string& section, std::vector<std::string>& keys) const;
  // "key=value" per key in file order, each with the value a read of the key
  // gives (a duplicate key: the first line's, as the platform's functions
  // give it key by key); cleared first.
  void ReadSectionValues(const std::string& section, std::vector<std::string>& entries) const;

 private:
  std::string fileName_;
};
