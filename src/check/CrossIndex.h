#pragma once
// CrossIndex: what two computers of the UDB must not share. It keeps, for
// each computer name, fixed address and MAC address, only the identifier
// that had it first, so that memory grows with the values and not with the
// merged files.

#include "check/AnswerCheck.h"
#include "check/Finding.h"

#include <map>
#include <string>
#include <vector>

namespace check {

class CrossIndex {
 public:
  // Adds computer `id`'s values; a value an earlier identifier had already
  // adds a finding to `found`.
  void Add(const std::string& id, const ComputerFacts& facts, std::vector<Finding>& found);

 private:
  std::map<std::string, std::string> names_, addresses_, macs_;
};

// A MAC address as written in NetCardAddress ("0x0012AB34CD56",
// "00-12-ab-34-cd-56") as its twelve hexadecimal digits in upper case.
[[nodiscard]] std::string NormalizedMac(const std::string& mac);

}  // namespace check
