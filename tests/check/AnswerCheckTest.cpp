// The answer file's rules per computer: one clean file, and each case an
// edit of it with the findings it must bring, no more.

#include "check/AnswerCheck.h"
#include "profile/Profile.h"
#include "support/StoredEdits.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kivtest;
using check::AnswerCheck;

namespace {

const char kClean[] =
    "[UserData]\r\nFullName=\"Accounting\"\r\nOrgName=\"Corp\"\r\nComputerName=ACC-PC01\r\n"
    "ProductKey=ABCDE-12345-FGHIJ-67890-KLMNO\r\n"
    "[Identification]\r\nJoinWorkgroup=WORKGROUP\r\n"
    "[GuiUnattended]\r\nAdminPassword=secret\r\n"
    "[NetAdapters]\r\nAdapter1=params.Adapter1\r\n"
    "[params.Adapter1]\r\nInfID=*\r\nNetCardAddress=0x0012AB34CD56\r\n"
    "[NetProtocols]\r\nMS_TCPIP=params.MS_TCPIP\r\n"
    "[params.MS_TCPIP]\r\nAdapterSections=params.MS_TCPIP.Adapter1\r\nDNSDomain=corp.example\r\n"
    "DNSSuffixSearchOrder=corp.example,example\r\n"
    "[params.MS_TCPIP.Adapter1]\r\nSpecificTo=Adapter1\r\nDHCP=No\r\nIPAddress=10.1.2.30\r\n"
    "SubnetMask=255.255.255.0\r\nDefaultGateway=10.1.2.1\r\nDNSServerSearchOrder=10.1.2.5,10.1.2.6\r\n"
    "[Proxy]\r\nHTTP_Proxy_Server=proxy.corp.example:8080\r\nProxy_Override=\"*.corp.example;<local>\"\r\n";

const char kAdapter[] = "params.MS_TCPIP.Adapter1";

struct Case {
  const char* what;
  std::vector<StoredEdit> edits;
  // "E|section|key" or "W|section|key" of each finding, sorted.
  std::vector<std::string> found;
};

class AnswerFileFixture {
 protected:
  AnswerCheck Check(const std::vector<StoredEdit>& edits) {
    WriteWithEdits(file, kClean, edits);
    return check::CheckAnswerFile(file);
  }
  ScratchFolder folder;
  const std::string file = folder / "winnt.sif";
};

std::vector<std::string> Described(const AnswerCheck& result) {
  std::vector<std::string> found;
  for (const check::Finding& f : result.findings) {
    EXPECT_FALSE(f.reason.empty()) << f.section << " " << f.key;
    EXPECT_EQ(f.reason.find('\n'), std::string::npos) << "one line per finding: " << f.reason;
    found.push_back(std::string(f.severity == check::Severity::Error ? "E|" : "W|") + f.section + "|" + f.key);
  }
  std::sort(found.begin(), found.end());
  return found;
}

class AnswerRules : public AnswerFileFixture, public testing::TestWithParam<Case> {};

TEST_P(AnswerRules, FindWhatSetupWouldStopAtRejectOrReadOtherwise) {
  EXPECT_EQ(Described(Check(GetParam().edits)), GetParam().found) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Clean, AnswerRules,
    testing::Values(
        Case{"the clean file", {}, {}}, Case{"a name setup makes up", {{"UserData", "ComputerName", "*"}}, {}},
        Case{"a full name with a comma, quoted", {{"UserData", "FullName", "\"Петров, Иван\""}}, {}},
        Case{"no product key: setup asks only where it needs one", {{"UserData", "ProductKey", nullptr}}, {}},
        Case{"a domain with its account",
             {{"Identification", "JoinDomain", "CORP"},
              {"Identification", "DomainAdmin", "CORP\\setup"},
              {"Identification", "DomainAdminPassword", "\"p;w\""},
              {"Identification", "MachineObjectOU", "\"OU=PCs,DC=corp\""}},
             {}},
        Case{"a long workgroup name does not count beside a domain",
             {{"Identification", "JoinWorkgroup", "LABORATORYGROUP01"},
              {"Identification", "JoinDomain", "CORP"},
              {"Identification", "DomainAdmin", "CORP\\setup"},
              {"Identification", "DomainAdminPassword", "secret"}},
             {}},
        Case{"DHCP on: the fixed values are not used",
             {{kAdapter, "DHCP", "Yes"}, {kAdapter, "IPAddress", "10.1.2.300"}},
             {}},
        Case{"list items quoted one by one", {{kAdapter, "DNSServerSearchOrder", "\"10.1.2.5\",\"10.1.2.6\""}}, {}},
        Case{"no TCP/IP protocol named: adapter values are not the editor's",
             {{"NetProtocols", "MS_TCPIP", nullptr},
              {"params.MS_TCPIP.Adapter1", "SpecificTo", nullptr},
              {kAdapter, "DHCP", nullptr},
              {kAdapter, "IPAddress", nullptr},
              {kAdapter, "SubnetMask", nullptr},
              {kAdapter, "DefaultGateway", nullptr},
              {kAdapter, "DNSServerSearchOrder", nullptr}},
             {}}),
    [](const testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Faulty, AnswerRules,
    testing::Values(
        Case{"an empty full name", {{"UserData", "FullName", "\"\""}}, {"E|UserData|FullName"}},
        Case{"no full name", {{"UserData", "FullName", nullptr}}, {"E|UserData|FullName"}},
        Case{"an empty computer name", {{"UserData", "ComputerName", ""}}, {"E|UserData|ComputerName"}},
        Case{"no computer name", {{"UserData", "ComputerName", nullptr}}, {"E|UserData|ComputerName"}},
        Case{"a computer name with a blank", {{"UserData", "ComputerName", "ACC PC"}}, {"E|UserData|ComputerName"}},
        Case{"a computer name NetBIOS cuts",
             {{"UserData", "ComputerName", "ACCOUNTING-PC-0001"}},
             {"W|UserData|ComputerName"}},
        Case{"a product key of one group", {{"UserData", "ProductKey", "ABCDE"}}, {"E|UserData|ProductKey"}},
        Case{"an organisation cut at its comma", {{"UserData", "OrgName", "Петров, Иван"}}, {"E|UserData|OrgName"}},
        Case{"a domain without its account",
             {{"Identification", "JoinDomain", "CORP"}},
             {"E|Identification|DomainAdmin", "E|Identification|DomainAdminPassword"}},
        Case{"a workgroup over 15 characters",
             {{"Identification", "JoinWorkgroup", "LABORATORYGROUP01"}},
             {"E|Identification|JoinWorkgroup"}},
        Case{"an organisational unit cut at its comma",
             {{"Identification", "MachineObjectOU", "OU=PCs,DC=corp"}},
             {"E|Identification|MachineObjectOU"}},
        Case{"a password cut at its comma",
             {{"GuiUnattended", "AdminPassword", "pass,word"}},
             {"E|GuiUnattended|AdminPassword"}},
        Case{"an address that is no dotted quad",
             {{kAdapter, "IPAddress", "10.1.2.300"}},
             {"E|params.MS_TCPIP.Adapter1|IPAddress"}},
        Case{"a gateway outside the subnet",
             {{kAdapter, "DefaultGateway", "10.1.3.1"}},
             {"E|params.MS_TCPIP.Adapter1|DefaultGateway"}},
        Case{"DNS servers quoted as one",
             {{kAdapter, "DNSServerSearchOrder", "\"10.1.2.5,10.1.2.6\""}},
             {"E|params.MS_TCPIP.Adapter1|DNSServerSearchOrder"}},
        Case{"a DNS domain with an empty label",
             {{"params.MS_TCPIP", "DNSDomain", "corp..example"}},
             {"E|params.MS_TCPIP|DNSDomain"}},
        Case{"suffixes quoted as one",
             {{"params.MS_TCPIP", "DNSSuffixSearchOrder", "\"corp.example,example\""}},
             {"E|params.MS_TCPIP|DNSSuffixSearchOrder"}},
        Case{"a proxy exception list cut at ';'",
             {{"Proxy", "Proxy_Override", "*.corp.example;<local>"}},
             {"E|Proxy|Proxy_Override"}},
        Case{"a proxy server cut at its comma",
             {{"Proxy", "HTTP_Proxy_Server", "proxy,corp:8080"}},
             {"E|Proxy|HTTP_Proxy_Server"}},
        Case{"the adapter's section left out of the list",
             {{"params.MS_TCPIP", "AdapterSections", ""}},
             {"E|params.MS_TCPIP.Adapter1|"}},
        Case{"two adapters with one fixed address",
             {{"NetAdapters", "Adapter2", "params.Adapter2"},
              {"params.MS_TCPIP", "AdapterSections", "params.MS_TCPIP.Adapter1,params.MS_TCPIP.Adapter2"},
              {"params.MS_TCPIP.Adapter2", "SpecificTo", "Adapter2"},
              {"params.MS_TCPIP.Adapter2", "DHCP", "No"},
              {"params.MS_TCPIP.Adapter2", "IPAddress", "10.1.2.30"},
              {"params.MS_TCPIP.Adapter2", "SubnetMask", "255.255.255.0"}},
             {"E|params.MS_TCPIP.Adapter1|IPAddress", "E|params.MS_TCPIP.Adapter2|IPAddress"}}),
    [](const testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

class AnswerValues : public AnswerFileFixture, public testing::Test {};

TEST_F(AnswerValues, APasswordIsCheckedButNeverShown) {
  const AnswerCheck result = Check(
      {{"GuiUnattended", "AdminPassword", "pass,word"}, {"Identification", "DomainAdminPassword", "\"top\"secret\""}});
  ASSERT_FALSE(result.findings.empty());
  for (const check::Finding& f : result.findings) {
    EXPECT_EQ(f.value, "***") << f.key;
    for (const char* secret : {"pass", "word", "secret"})
      EXPECT_EQ(f.reason.find(secret), std::string::npos) << f.reason;
  }
}

TEST_F(AnswerValues, FactsForTheIndexAcrossComputers) {
  struct FactsCase {
    std::vector<StoredEdit> edits;
    std::string name;
    std::vector<std::string> addresses, macs;
  } cases[] = {
      {{}, "ACC-PC01", {"10.1.2.30"}, {"0x0012AB34CD56"}},
      {{{"UserData", "ComputerName", "\"acc-pc02\""}, {kAdapter, "IPAddress", "10.1.2.30, \"10.1.2.31\""}},
       "acc-pc02",
       {"10.1.2.30", "10.1.2.31"},
       {"0x0012AB34CD56"}},
      {{{kAdapter, "DHCP", "Yes"}, {"params.Adapter1", "NetCardAddress", nullptr}}, "ACC-PC01", {}, {}},
  };
  for (const FactsCase& c : cases) {
    const AnswerCheck result = Check(c.edits);
    EXPECT_EQ(result.facts.computerName, c.name);
    std::vector<std::string> addresses, macs;
    for (const auto& [section, address] : result.facts.staticAddresses) addresses.push_back(address);
    for (const auto& [section, mac] : result.facts.macAddresses) macs.push_back(mac);
    EXPECT_EQ(addresses, c.addresses) << c.name;
    EXPECT_EQ(macs, c.macs) << c.name;
  }
}

}  // namespace
