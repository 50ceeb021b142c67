#pragma once
// AdapterSections: how setup finds the TCP/IP section of a network adapter.
// It applies a per-adapter section only when the protocol's section lists
// it in "AdapterSections" and the section's "SpecificTo" names the adapter's
// entry of [NetAdapters]; values anywhere else never reach the machine.

#include <string>
#include <vector>

// Makes setup apply `adapterSection` of the working copy to `adapter`: the
// section joins the list of `tcpipSection` (its items kept) when it is not
// there, and gets "SpecificTo" when it has none and the adapter is an
// entry of [NetAdapters] (where there is no such entry, a section without
// "SpecificTo" is the one that applies to whatever adapter setup finds).
// Nothing happens without a protocol section.
void LinkAdapterSection(const std::string& tcpipSection, const std::string& adapterSection, const std::string& adapter);

// A per-adapter TCP/IP section of `file` that setup will not apply as it
// stands, with the key at fault (empty when the section as a whole is) and
// the reason in Russian.
struct UnappliedTcpipSection {
  std::string section, key, value, reason;
};
// Every such section: one named as the editor names an adapter's section
// ("params.MS_TCPIP.<entry of [NetAdapters]>") and not empty, or holding
// TCP/IP keys, that the protocol's "AdapterSections" does not list; a listed one without
// "SpecificTo" while [NetAdapters] has more than one entry; a listed one
// whose "SpecificTo" names no entry of [NetAdapters].
[[nodiscard]] std::vector<UnappliedTcpipSection> UnappliedTcpipSections(const std::string& file);
