#pragma once
// What GUI-mode setup reads from an answer file, asked of the platform's own
// setupapi: the file opened as setup opens it (INF_STYLE_OLDNT), a key's
// fields as SetupGetStringField gives them. The tests' oracle for "setup
// reads what the operator saw".

#include <optional>
#include <string>
#include <vector>

namespace kivtest {

// The fields of the first line of `key` in `section`, in the ANSI code page;
// nothing when setupapi cannot open the file or finds no such line.
[[nodiscard]] std::optional<std::vector<std::string>> SetupFields(const std::string& file, const std::string& section,
                                                                  const std::string& key);
// Field 1, as setup takes a text key; nothing as above.
[[nodiscard]] std::optional<std::string> SetupText(const std::string& file, const std::string& section,
                                                   const std::string& key);

}  // namespace kivtest
