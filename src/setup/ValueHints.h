#pragma once
// ValueHints: why setup would reject a value of the answer file, or why it
// cannot work, said to the operator in Russian. Every check answers an empty
// text for a value that is fine. They only advise: nothing here changes a
// value or keeps one from being written.

#include <string>
#include <vector>

namespace hints {

// A list of IP addresses separated by commas (addresses, gateways, DNS and
// WINS servers): every item a dotted quad of numbers 0 to 255. Blanks and
// quotes around an item are setup's own field syntax and allowed. An empty
// list is fine here; whether it may be empty is the caller's rule.
[[nodiscard]] std::string AddressList(const std::string& list);

// One adapter's TCP/IP values as its tab shows them.
struct AdapterValues {
  bool dhcp = true;
  std::string addresses{}, masks{}, gateways{}, dnsServers{}, winsServers{};
};
// Another adapter's fixed addresses, to find one given twice.
struct OtherAdapter {
  std::string name;
  std::string addresses;
};
struct AdapterHints {
  std::string addresses, masks, gateways, dnsServers, winsServers;
};
// With DHCP on, the fixed address, mask and gateway are not used and get no
// hint. Without it: an address and one contiguous mask per address are
// needed, every gateway must lie in the subnet of one of the addresses, and
// no address may be another adapter's fixed address as well.
[[nodiscard]] AdapterHints AdapterTcpip(const AdapterValues& values, const std::vector<OtherAdapter>& others);

// "*" asks setup to make a name up; anything else must serve as the
// computer's NetBIOS name.
[[nodiscard]] std::string ComputerName(const std::string& name);
// Setup stops and asks for a full name it is not given.
[[nodiscard]] std::string FullName(const std::string& name);
[[nodiscard]] std::string WorkgroupName(const std::string& name);
// Five groups of five Latin letters or digits joined by "-". An empty box is
// fine: some media need no key, and setup asks where one is needed.
[[nodiscard]] std::string ProductKey(const std::string& key);
// A DNS suffix, or a list of them separated by commas.
[[nodiscard]] std::string DnsSuffixList(const std::string& list);

}  // namespace hints
