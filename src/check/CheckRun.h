#pragma once
// CheckRun: KivCheck's command line and the whole check: each computer of
// the UDB merged into a copy of the answer file held in memory and checked
// there, the index across computers, the UDB files and
// KivEdt.ini.

#include "check/Report.h"
#include "profile/ProfileEngine.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace check {

// The check could not run: a file missing or unreadable, a bad command
// line. The message says which and why.
class CannotRun : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string answerFile;
  std::string udb;         // a UDB file or a folder of them; empty: none
  std::string configFile;  // /ini:; empty: KivEdt.ini beside the answer file, if there is one
  std::string mediaRoot;   // /media:; the folder that will hold I386
  bool tsv = false;
};

// Throws CannotRun with the usage for a command line it cannot take.
[[nodiscard]] Options ParseArguments(const std::vector<std::string>& arguments);

[[nodiscard]] CheckResult RunCheck(const Options& options);

// The answer file as the UDB page leaves it once computer `id` is picked:
// `target`, holding the answer file's text, gets the computer's values by
// the editor's own merge. Throws CannotRun when the merge fails.
void MergeComputerInto(const std::string& udbFile, const std::string& id, const profile::MemoryProfile& target);

}  // namespace check
