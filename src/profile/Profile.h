#pragma once
// Profile: the profile (INI) file functions of the program. They answer as
// the platform's GetPrivateProfileStringA, GetPrivateProfileIntA and
// WritePrivateProfileStringA do, but parse a file once while it stays
// unchanged and change no byte of it they were not asked to change.
//
// Section and key names match without regard to case (Cyrillic included)
// and with surrounding blanks ignored; the first of duplicate sections and
// of duplicate keys counts; a line without "=" is no value; the lines before
// the first section header form the section "". Text is in the ANSI code
// page; a file with a UTF-8 byte-order mark is read and written in UTF-8,
// one with a UTF-16 mark is read only. Arguments are taken as C strings: a
// NUL ends them.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace profile {

// The value without surrounding blanks and without one pair of enclosing
// quotation marks (single or double), cut to bufferSize - 1 characters; the
// default (trailing spaces dropped, quotes removed, cut alike) when the file,
// the section or the key is missing or the key's line has no "=". A present
// key with an empty value reads as "".
[[nodiscard]] std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                                     const std::string& defaultValue, size_t bufferSize);

// The value read as ReadString with a 30-character buffer, taken as a
// number: leading blanks, a sign, then decimal digits, or digits after "0x",
// "0o" or "0b", up to the first character that is none; 0 when there is no
// digit. The default when the value is missing or empty.
[[nodiscard]] int ReadInt(const std::string& file, const std::string& section, const std::string& key,
                          int defaultValue);

// Sets the key: an existing entry changes in place and keeps its name's
// spelling, the blanks around its "=" and its quotes; a new key goes after
// the last entry of its section (before the blank lines and comments that
// lead to the next one), laid out as that entry; a new section goes at the
// end, after a blank line. A value holding ";" is stored in double quotes
// unless it has them already. Creates the file when it is missing. False
// when the file could not be written, or when the write could not be read
// back as written (a line break in any argument, an empty key name, or one
// holding "=" or beginning with "[").
[[nodiscard]] bool WriteString(const std::string& file, const std::string& section, const std::string& key,
                               const std::string& value);

// The text a key's line holds after "=", blanks around it dropped and
// quotes kept, as another reader of the file (setup's own parser) sees it;
// nothing when the file, the section or the key is missing or the key's line
// has no "=".
[[nodiscard]] std::optional<std::string> ReadStoredText(const std::string& file, const std::string& section,
                                                        const std::string& key);

// Sets the key as WriteString does, but stores `text` exactly (blanks around
// it dropped): no quotes added or kept. For a value already in the form its
// reader needs.
[[nodiscard]] bool WriteStoredText(const std::string& file, const std::string& section, const std::string& key,
                                   const std::string& text);

// Replaces the whole text of the file by `text` (in the ANSI code page),
// stored in the file's encoding: a UTF-16 or UTF-8 file keeps it and its
// byte-order mark. Whole or not at all: a write that fails (a full disk)
// leaves the old bytes. Creates the file when it is missing. False when the
// file could not be written, the reason in GetLastError.
[[nodiscard]] bool ReplaceWholeText(const std::string& file, const std::string& text);

// Removes the line of the key from every section of that name, and any
// duplicate line of it with it; an absent key, section or file is no error.
// False when the file could not be written or the key name is unusable.
[[nodiscard]] bool DeleteKey(const std::string& file, const std::string& section, const std::string& key);

// The key names of the first section of that name, in file order, as many as
// fit a list of bufferSize characters (each name and its NUL, and a final
// NUL); a name that does not fit whole is left out with all after it. Lines
// without "=", comments and nameless entries are no keys.
[[nodiscard]] std::vector<std::string> ReadKeys(const std::string& file, const std::string& section,
                                                size_t bufferSize = 16384);

// The key names as ReadKeys gives them, each with its own line's value read
// as ReadString reads it with a buffer of valueBufferSize; a duplicate key
// comes with the value of its own line.
[[nodiscard]] std::vector<std::pair<std::string, std::string>> ReadEntries(const std::string& file,
                                                                           const std::string& section,
                                                                           size_t valueBufferSize = 2048,
                                                                           size_t bufferSize = 16384);

// The section names in file order, duplicates included, as many as fit a list
// of bufferSize characters as ReadKeys counts it; "[]" is no name.
[[nodiscard]] std::vector<std::string> ReadSectionNames(const std::string& file, size_t bufferSize = 16384);

// Whether the file has a section of that name, with keys or without.
[[nodiscard]] bool SectionExists(const std::string& file, const std::string& section);

}  // namespace profile
