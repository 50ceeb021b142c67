#pragma once
// Finding: one thing KivCheck reports, and the blocks the report groups
// them in.

#include <string>
#include <vector>

namespace check {

// An error: setup will stop and ask, refuse the value, or apply something
// other than what the file says. A warning: setup goes on, but the result
// is probably not what the administrator meant.
enum class Severity { Warning, Error };

struct Finding {
  Severity severity = Severity::Error;
  std::string section, key, value, reason;
};

// Where a block's findings were made.
enum class Scope {
  Computer,     // one identifier of a UDB file, merged into the answer file
  AnswerFile,   // the answer file alone, when no UDB names a computer
  Across,       // what two computers share
  UDBFile,      // the UDB file itself
  EditorConfig  // KivEdt.ini
};

struct Block {
  Scope scope = Scope::AnswerFile;
  // The identifier, or the file's name.
  std::string name;
  std::vector<Finding> findings;
};

// Passwords are checked, never shown.
[[nodiscard]] bool IsSecretKey(const std::string& key);

}  // namespace check
