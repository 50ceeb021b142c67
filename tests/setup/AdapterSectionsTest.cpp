// The per-adapter TCP/IP sections setup will not apply: unlisted, without
// SpecificTo among several adapters, or linked to no adapter.

#include "profile/Profile.h"
#include "setup/AdapterSections.h"
#include "support/StoredEdits.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kivtest;

namespace {

// Two adapters, each linked to a listed section of its own.
const char kLinked[] =
    "[NetAdapters]\r\nAdapter1=params.Adapter1\r\nAdapter2=params.Adapter2\r\n"
    "[params.Adapter1]\r\nInfID=*\r\n[params.Adapter2]\r\nInfID=*\r\n"
    "[NetProtocols]\r\nMS_TCPIP=params.MS_TCPIP\r\n"
    "[params.MS_TCPIP]\r\nAdapterSections=params.MS_TCPIP.Adapter1,params.MS_TCPIP.Adapter2\r\nDNSDomain=corp\r\n"
    "[params.MS_TCPIP.Adapter1]\r\nSpecificTo=Adapter1\r\nDHCP=Yes\r\n"
    "[params.MS_TCPIP.Adapter2]\r\nSpecificTo=Adapter2\r\nDHCP=No\r\nIPAddress=10.0.0.2\r\n";

struct Case {
  const char* what;
  std::vector<StoredEdit> edits;
  // "section|key|value" of each finding, in the order given.
  std::vector<std::string> found;
};

class UnappliedSections : public testing::TestWithParam<Case> {};

TEST_P(UnappliedSections, AreNamedWithTheKeyAtFault) {
  ScratchFolder folder;
  const std::string file = folder / "winnt.sif";
  WriteWithEdits(file, kLinked, GetParam().edits);
  std::vector<std::string> found;
  for (const UnappliedTcpipSection& s : UnappliedTcpipSections(file)) {
    EXPECT_FALSE(s.reason.empty()) << s.section;
    found.push_back(s.section + "|" + s.key + "|" + s.value);
  }
  EXPECT_EQ(found, GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Cases, UnappliedSections,
                         testing::Values(Case{"every section listed and linked", {}, {}},
                                         Case{"a list in another case and with blanks",
                                              {{"params.MS_TCPIP", "AdapterSections",
                                                " PARAMS.ms_tcpip.adapter1 , params.MS_TCPIP.Adapter2"}},
                                              {}},
                                         Case{"one adapter: a listed section may go without SpecificTo",
                                              {{"NetAdapters", "Adapter2", nullptr},
                                               {"params.MS_TCPIP", "AdapterSections", "params.MS_TCPIP.Adapter1"},
                                               {"params.MS_TCPIP.Adapter1", "SpecificTo", nullptr},
                                               {"params.MS_TCPIP.Adapter2", "SpecificTo", nullptr},
                                               {"params.MS_TCPIP.Adapter2", "DHCP", nullptr},
                                               {"params.MS_TCPIP.Adapter2", "IPAddress", nullptr}},
                                              {}},
                                         Case{"the adapter's section by the editor's name left out of the list",
                                              {{"params.MS_TCPIP", "AdapterSections", "params.MS_TCPIP.Adapter1"}},
                                              {"params.MS_TCPIP.Adapter2||"}},
                                         Case{"a section of another name holding TCP/IP keys, unlisted",
                                              {{"Lab TCPIP", "IPAddress", "10.0.0.9"}},
                                              {"Lab TCPIP||"}},
                                         Case{"an adapter's own section (InfID) is no TCP/IP section",
                                              {{"params.Adapter1", "ConnectionName", "LAN"}},
                                              {}},
                                         Case{"the protocol's list quoted whole names no section",
                                              {{"params.MS_TCPIP", "AdapterSections",
                                                "\"params.MS_TCPIP.Adapter1,params.MS_TCPIP.Adapter2\""}},
                                              {"params.MS_TCPIP.Adapter1||", "params.MS_TCPIP.Adapter2||",
                                               "params.MS_TCPIP.Adapter1,params.MS_TCPIP.Adapter2|SpecificTo|"}},
                                         Case{"no protocol named: no section applies",
                                              {{"NetProtocols", "MS_TCPIP", nullptr}},
                                              {"params.MS_TCPIP.Adapter1||", "params.MS_TCPIP.Adapter2||"}},
                                         Case{"listed without SpecificTo among two adapters",
                                              {{"params.MS_TCPIP.Adapter2", "SpecificTo", nullptr}},
                                              {"params.MS_TCPIP.Adapter2|SpecificTo|"}},
                                         Case{"SpecificTo naming no adapter",
                                              {{"params.MS_TCPIP.Adapter2", "SpecificTo", "Adapter3"}},
                                              {"params.MS_TCPIP.Adapter2|SpecificTo|Adapter3"}},
                                         Case{"SpecificTo naming the adapter's section instead of its entry",
                                              {{"params.MS_TCPIP.Adapter1", "SpecificTo", "params.Adapter1"}},
                                              {"params.MS_TCPIP.Adapter1|SpecificTo|params.Adapter1"}},
                                         Case{"SpecificTo in quotes and in other letter case",
                                              {{"params.MS_TCPIP.Adapter1", "SpecificTo", "\"ADAPTER1\""}},
                                              {}}),
                         [](const testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

TEST(UnappliedSectionsOfTheFile, ASectionNameTwiceIsOneFindingAndCommentsAreNoKeys) {
  ScratchFolder folder;
  const std::string file = folder / "winnt.sif";
  WriteWholeFile(file, std::string(kLinked) +
                           "[Lab TCPIP]\r\nIPAddress=10.0.0.9\r\n[Notes]\r\n;DHCP=No\r\nDHCP\r\n"
                           "[lab tcpip]\r\nDHCP=No\r\n[params.MS_TCPIP.Adapter3]\r\n");
  std::vector<std::string> found;
  for (const UnappliedTcpipSection& s : UnappliedTcpipSections(file)) found.push_back(s.section + "|" + s.key);
  EXPECT_EQ(found, std::vector<std::string>{"Lab TCPIP|"});
}

}  // namespace
