#pragma once
// Report: the findings as the administrator reads them, in Russian, or one
// per line separated by tabs for a spreadsheet, and the exit code they give.

#include "check/Finding.h"

#include <string>
#include <vector>

namespace check {

struct CheckResult {
  std::string answerFile;
  std::vector<std::string> udbFiles;
  std::string configFile;  // empty when none was read
  int computers = 0;       // merged and checked; 0 when the answer file alone was
  std::vector<Block> blocks;
};

// A block per computer or file that has findings, the findings across
// computers, then one line that sums up. Text in code page 1251, lines
// ended by CR LF.
[[nodiscard]] std::string TextReport(const CheckResult& result);
// A header line, then one line per finding: where, kind, section, key,
// value, reason. Tabs and line breaks inside a field become blanks.
[[nodiscard]] std::string TsvReport(const CheckResult& result);

// 0: nothing found; 1: warnings only; 2: errors.
[[nodiscard]] int ExitCodeOf(const CheckResult& result);

}  // namespace check
