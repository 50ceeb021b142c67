// CrossIndex: duplicates between computers.

#include "check/CrossIndex.h"

#include "check/UDBCheck.h"
#include "sys/TextUtils.h"

namespace check {

std::string NormalizedMac(const std::string& mac) {
  std::string text = TrimBlanks(mac);
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.erase(0, 2);
  std::string digits;
  for (const char c : text)
    if (c != '-' && c != ':' && c != '.') digits.push_back(c);
  return AsciiUpper(digits);
}

void CrossIndex::Add(const std::string& id, const ComputerFacts& facts, std::vector<Finding>& found) {
  const auto record = [&](std::map<std::string, std::string>& index, const std::string& key) -> const std::string* {
    const auto [at, inserted] = index.emplace(key, id);
    return inserted || FoldedName(at->second) == FoldedName(id) ? nullptr : &at->second;
  };
  // "*" has setup make a name up: every computer may ask for it.
  if (!facts.computerName.empty() && facts.computerName != "*") {
    if (const std::string* first = record(names_, FoldedName(facts.computerName)))
      found.push_back({Severity::Warning, "UserData", "ComputerName", facts.computerName,
                       "Компьютеры " + *first + " и " + id + " получат одно имя: в сети оно будет занято."});
  }
  for (const auto& [section, address] : facts.staticAddresses) {
    if (const std::string* first = record(addresses_, address))
      found.push_back({Severity::Warning, section, "IPAddress", address,
                       "Компьютеры " + *first + " и " + id + " получат один постоянный адрес: в сети он будет занят."});
  }
  for (const auto& [section, mac] : facts.macAddresses) {
    const std::string key = NormalizedMac(mac);
    if (key.empty()) continue;
    if (const std::string* first = record(macs_, key))
      found.push_back({Severity::Warning, section, "NetCardAddress", mac,
                       "Компьютеры " + *first + " и " + id +
                           " указывают один MAC-адрес: у двух машин адаптер с ним быть не может."});
  }
}

}  // namespace check
