#pragma once
// AnswerCheck: an answer file as setup will read it for one computer: the
// pages' hint rules, the values setup reads otherwise than the editor shows
// them, what makes setup stop and ask, and TCP/IP sections it will not
// apply.

#include "check/Finding.h"

#include <string>
#include <utility>
#include <vector>

namespace check {

// What a computer's file gives that another computer's must not: its name,
// its fixed addresses and its adapters' MAC addresses, each with the section
// it comes from.
struct ComputerFacts {
  std::string computerName;
  std::vector<std::pair<std::string, std::string>> staticAddresses;  // section, address
  std::vector<std::pair<std::string, std::string>> macAddresses;     // section, MAC as written
};

struct AnswerCheck {
  std::vector<Finding> findings;
  ComputerFacts facts;
};

[[nodiscard]] AnswerCheck CheckAnswerFile(const std::string& file);

}  // namespace check
