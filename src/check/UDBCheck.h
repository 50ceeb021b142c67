#pragma once
// UDBCheck: a UDB file as setup and the editor read it: identifiers setup
// cannot take or that come twice, sections listed but missing or written
// but never listed, and the editor section's empty entries.

#include "check/Finding.h"

#include <string>
#include <vector>

namespace check {

// The identifiers of [UniqueIds] in file order, each once (the first of
// those that differ only in letter case), as the UDB page offers them.
[[nodiscard]] std::vector<std::string> ComputerIds(const std::string& udbFile);

[[nodiscard]] std::vector<Finding> CheckUDBFile(const std::string& udbFile);

// Letter case folded as the profile functions and setup compare names,
// Cyrillic included: the key of an index.
[[nodiscard]] std::string FoldedName(const std::string& name);

}  // namespace check
