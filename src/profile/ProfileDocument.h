#pragma once
// ProfileDocument: the text of one profile (INI) file, parsed as the
// platform's profile functions read it, and the edits that change only the
// lines they must.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

// The blanks the profile functions trim around names and values: the C
// locale's white space and ^Z, which old DOS tools left at the end of files.
[[nodiscard]] bool IsBlank(char c) noexcept;
[[nodiscard]] std::string_view Trim(std::string_view text) noexcept;
// Text as a C string sees it: up to the first NUL.
[[nodiscard]] std::string_view CutAtNul(std::string_view text) noexcept;
// Names are compared without regard to case, each character of the ANSI code
// page up-cased as a whole ("ё" matches "Ё"); the folded text is the key.
[[nodiscard]] std::string Fold(std::string_view text);
// The value as a read gives it: one pair of enclosing quotation marks (single
// or double) removed, then cut to `limit` characters.
[[nodiscard]] std::string Unquote(std::string_view value, size_t limit);

// A file's bytes as text in the ANSI code page: a UTF-16 (either byte
// order) or UTF-8 file, known by its byte-order mark, converted and without
// the mark; any other file as it is.
[[nodiscard]] std::string AnsiText(std::string bytes);

class ProfileDocument {
 public:
  enum class Encoding { Ansi, Utf8, Utf16 };

  // A line of the text: its characters [begin, end), its line break
  // [end, next), as offsets into the file's bytes (into the text converted
  // to UTF-8 of a UTF-16 file).
  struct Line {
    size_t begin = 0, end = 0, next = 0;
  };

  struct Entry {
    std::string name;       // trimmed, as written
    std::string value;      // trimmed, quotes kept
    bool hasValue = false;  // the line has a "="; one without it reads as absent
    bool comment = false;   // the name begins with ";"
    // Counted from the section's bodyBegin, so that a body stays true when
    // an edit elsewhere moves its section (LineIn gives the file's offsets).
    Line line;
    // Offsets in the line's text: the name, the "=", and where the value
    // begins (past the blanks that follow "=").
    uint32_t nameBegin = 0, nameEnd = 0, equals = 0, valueBegin = 0;
  };

  struct Section {
    std::string name;
    bool hasHeader = false;  // false for the lines before the first header
    Line header;
    size_t bodyBegin = 0, bodyEnd = 0;  // the lines up to the next header
    uint32_t index = 0;                 // in Sections()
  };

  // The entries of a section, parsed the first time they are asked for: a
  // program reads a handful of the sections of a large file, and the rest
  // then cost neither the time nor the memory.
  struct Body {
    bool hasEntryLine = false;
    Line lastEntryLine;  // last line that is neither blank nor a comment, counted as Entry::line
    std::vector<Entry> entries;
    // The entries by the hash of their folded name, in file order within
    // one hash: no string is made for a name, in a parse or a lookup.
    struct NameHash {
      uint64_t hash;
      uint32_t index;  // into entries
    };
    std::vector<NameHash> byName;
  };

  // Parses the bytes of a file; an empty string stands for a missing file.
  explicit ProfileDocument(std::string bytes);
  // The same for the bytes an edit of `before` gave: where the edit changed
  // the lines of one section's body only, the headers are taken over from
  // `before` and so is every other section's parsed body; else a full
  // parse. The document is the same either way.
  ProfileDocument(std::string bytes, const ProfileDocument& before);
  ProfileDocument(const ProfileDocument&) = delete;
  ProfileDocument& operator=(const ProfileDocument&) = delete;

  [[nodiscard]] const std::string& Bytes() const noexcept { return bytes_; }
  [[nodiscard]] Encoding TextEncoding() const noexcept { return encoding_; }
  // Whether an edit can be written. A UTF-16 file is edited in UTF-16, with
  // its byte-order mark (little- or big-endian, as the platform's functions
  // do); one that is not proper UTF-16 would not survive the round trip, and
  // is only read.
  [[nodiscard]] bool Writable() const noexcept { return encoding_ != Encoding::Utf16 || utf16Writable_; }
  [[nodiscard]] const std::vector<Section>& Sections() const noexcept { return sections_; }
  [[nodiscard]] const Body& BodyOf(const Section& section) const;
  [[nodiscard]] const std::vector<Entry>& Entries(const Section& section) const { return BodyOf(section).entries; }
  // A line of the section's body (an Entry's) in the file's offsets.
  [[nodiscard]] static Line LineIn(const Section& section, const Line& line) noexcept {
    return {section.bodyBegin + line.begin, section.bodyBegin + line.end, section.bodyBegin + line.next};
  }

  // The first section of that name (trimmed); "" is the part before the
  // first header, so a "[]" section is never found.
  [[nodiscard]] const Section* FindSection(std::string_view name) const;
  // The first entry of that name (trimmed) in the section.
  [[nodiscard]] const Entry* FindEntry(const Section& section, std::string_view key) const;

  // The file's bytes with the key set to the value in the entry a read finds,
  // or a new entry; nothing when the file says so already. The arguments must
  // have passed CanWrite.
  [[nodiscard]] std::optional<std::string> WithValue(std::string_view section, std::string_view key,
                                                     std::string_view value) const;
  // The same with the value's text stored exactly as given, without the
  // quotes StoredValue would add or keep: for a caller that has already put
  // the value in the form another reader of the file needs.
  [[nodiscard]] std::optional<std::string> WithStoredText(std::string_view section, std::string_view key,
                                                          std::string_view text) const;
  // The file's bytes without every line of the key in every section of that
  // name, or nothing when there is none.
  [[nodiscard]] std::optional<std::string> WithoutKey(std::string_view section, std::string_view key) const;

  // The file's bytes for a whole text in the ANSI code page, in this file's
  // encoding and with its byte-order mark.
  [[nodiscard]] std::string BytesOfText(std::string_view text) const;

  // Whether a write of these reads back as written: no line breaks, and a key
  // name that is not empty, holds no "=" and does not open a section header.
  [[nodiscard]] static bool CanWrite(std::string_view section, std::string_view key, std::string_view value);
  // The text a value is stored as. A value with ";" is enclosed in double
  // quotes, since setup reads the answer file with a parser in which an
  // unquoted ";" starts a comment; a value replacing a quoted one keeps the
  // quotes. Reads remove the quotes again, so the value reads back as the
  // platform would give it.
  [[nodiscard]] static std::string StoredValue(std::string_view value, char oldQuote);

 private:
  [[nodiscard]] const std::string& Source() const noexcept {
    return encoding_ == Encoding::Utf16 ? utf16Text_ : bytes_;
  }
  void Parse();
  // Takes the parse over from the document an edit was made to; false when
  // the edit may have changed what is a header, and then nothing is taken.
  bool Derive(const ProfileDocument& before);
  [[nodiscard]] Line LineAt(size_t pos) const noexcept;
  [[nodiscard]] std::unique_ptr<Body> ParseBody(const Section& section) const;
  void LineText(const Line& line, std::string& text) const;
  [[nodiscard]] std::string Encode(std::string_view ansi) const;
  // The file's bytes for a text in the form Source() holds.
  [[nodiscard]] std::string FileBytes(std::string text) const;
  [[nodiscard]] std::string_view BreakOf(const Line& line) const;
  [[nodiscard]] std::string ChangedLine(const Section& section, const Entry& entry, std::string_view stored) const;
  [[nodiscard]] std::string NewEntryText(const Section& section, std::string_view key, std::string_view stored) const;
  // The file's bytes with [begin, end) replaced by the text.
  [[nodiscard]] std::string Spliced(size_t begin, size_t end, std::string_view text) const;
  [[nodiscard]] std::optional<std::string> WithStored(std::string_view section, std::string_view key,
                                                      std::string_view value, bool verbatim) const;
  [[nodiscard]] std::string InsertEntry(const Section& section, std::string_view entryText) const;
  [[nodiscard]] std::string AppendSection(std::string_view name, std::string_view entryText) const;

  std::string bytes_;
  Encoding encoding_ = Encoding::Ansi;
  size_t textBegin_ = 0;   // past the byte-order mark
  std::string utf16Text_;  // a UTF-16 file's text in UTF-8
  bool bigEndian_ = false;
  bool utf16Writable_ = false;
  std::string lineBreak_;  // the file's first line break, for lines we add
  bool hasLines_ = false;
  Line lastLine_;
  std::vector<Section> sections_;
  // The sections by the hash of their folded name, in file order within one
  // hash: a tenth of the memory of a map of names, for files of many
  // thousand sections.
  struct NameHash {
    uint64_t hash;
    uint32_t index;
  };
  std::vector<NameHash> sectionsByName_;
  // The bodies parsed on demand: the only thing that changes in a document.
  // Shared with the documents edits make of this one, for the sections an
  // edit left alone.
  mutable std::vector<std::shared_ptr<const Body>> bodies_;
};

}  // namespace profile
