#pragma once
// SetupSyntax: how GUI-mode setup parses a value of the answer file or of a
// UDB file, and how a value is written so that setup reads it as the
// operator saw it. Setup does not read these files with the profile
// functions: it parses them as INF files, where outside double quotes a
// comma separates fields and ";" starts a comment, inside them "" stands for
// one quote, and blanks around a field go. It takes field 1 of a text key
// and every field of a list key.

#include <string>
#include <string_view>
#include <vector>

namespace inf {

enum class ValueKind { Text, List };

// Which keys setup reads as lists; every other key is text.
[[nodiscard]] ValueKind KindOfKey(std::string_view key);

struct Parsed {
  std::vector<std::string> fields;
  // Text other than blanks after an unquoted ";": setup never sees it.
  bool commentCut = false;
  // A backslash ends the line outside quotes: setup joins the next line to
  // the value.
  bool continued = false;
};
// A value's stored text (what follows "=" on its line) as setup's parser
// splits it into fields.
[[nodiscard]] Parsed ParseValue(std::string_view stored);

// The text a box shows for a value stored as `stored`: a value in quotes
// with its "" as one quote, a list with its items' quotes gone; anything
// else as the profile functions read it. Setup's view of a value that does
// not agree with this is what ReadsOtherwise tells.
[[nodiscard]] std::string Shown(std::string_view stored, ValueKind kind);

// The text to store for the value a box holds, given the stored text of the
// key before (nullptr: none). A value that shows as the old one keeps the
// old text, byte for byte, unless the operator `edited` the box and setup
// reads the old text otherwise than shown: typing a value again is how he
// has it written right. Text: in double quotes, a quote inside doubled,
// when setup would otherwise cut or trim it; else in the quotes of the old
// line, if it had them. List: its items separated by commas, never in
// quotes as a whole; an item that needs quotes gets its own.
[[nodiscard]] std::string ToStore(const std::string& shown, ValueKind kind, const std::string* oldStored,
                                  bool edited = false);

// Why setup would read a stored value otherwise than its box shows it, in
// Russian; empty when it reads what is shown.
[[nodiscard]] std::string ReadsOtherwise(std::string_view stored, ValueKind kind);

}  // namespace inf
