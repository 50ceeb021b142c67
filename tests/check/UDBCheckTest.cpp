// The UDB file's own faults, case by case, and what the index across
// computers finds among three of them.

#include "check/CrossIndex.h"
#include "check/UDBCheck.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kivtest;

namespace {

struct Case {
  const char* what;
  std::string udb;
  // "E|section|key|value" or "W|..." of each finding, sorted.
  std::vector<std::string> found;
};

class UDBRules : public testing::TestWithParam<Case> {};

TEST_P(UDBRules, FindWhatNoComputerGetsOrSetupCannotTake) {
  ScratchFolder folder;
  const std::string file = folder / "site.UDB";
  WriteWholeFile(file, GetParam().udb);
  std::vector<std::string> found;
  for (const check::Finding& f : check::CheckUDBFile(file)) {
    EXPECT_FALSE(f.reason.empty());
    found.push_back(std::string(f.severity == check::Severity::Error ? "E|" : "W|") + f.section + "|" + f.key + "|" +
                    f.value);
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, GetParam().found) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Clean, UDBRules,
    testing::Values(Case{"two computers, every section listed and present",
                         "[UniqueIds]\r\nPC01=UserData,Identification\r\nPC02=UserData\r\n"
                         "[PC01:UserData]\r\nComputerName=PC01\r\n[PC01:Identification]\r\nJoinDomain=CORP\r\n"
                         "[PC02:UserData]\r\nComputerName=PC02\r\n",
                         {}},
                    Case{"section names in other letter case, an editor section with its entries",
                         "[UniqueIds]\r\npc01 = userdata , KIVEDITOR\r\n[PC01:USERDATA]\r\nComputerName=PC01\r\n"
                         "[pc01:KivEditor]\r\nDescription1=Accounting\r\nRunOnExit1=notepad.exe\r\n",
                         {}},
                    Case{"the list ends at its first empty item",
                         "[UniqueIds]\r\nPC01=UserData,,Missing\r\n[PC01:UserData]\r\nA=1\r\n",
                         {}},
                    Case{"a section without a colon is no computer's",
                         "[UniqueIds]\r\nPC01=UserData\r\n[PC01:UserData]\r\nA=1\r\n"
                         "[Notes]\r\nText=x\r\n",
                         {}}),
    [](const testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Faulty, UDBRules,
    testing::Values(
        Case{"an identifier with a blank",
             "[UniqueIds]\r\nPC 01=UserData\r\n[PC 01:UserData]\r\nA=1\r\n",
             {"E|UniqueIds|PC 01|"}},
        Case{"an identifier with a star",
             "[UniqueIds]\r\nPC*=UserData\r\n[PC*:UserData]\r\nA=1\r\n",
             {"E|UniqueIds|PC*|"}},
        Case{"an identifier longer than 255 characters",
             "[UniqueIds]\r\n" + std::string(256, 'P') + "=\r\n",
             {"E|UniqueIds|" + std::string(256, 'P') + "|"}},
        Case{"an identifier listed twice, in other letter case",
             "[UniqueIds]\r\nPC01=UserData\r\npc01=Identification\r\n[PC01:UserData]\r\nA=1\r\n"
             "[PC01:Identification]\r\nB=1\r\n",
             {"E|UniqueIds|pc01|", "W|PC01:Identification||"}},
        Case{"a listed section the file lacks",
             "[UniqueIds]\r\nPC01=UserData,Identification\r\n[PC01:UserData]\r\nA=1\r\n",
             {"W|UniqueIds|PC01|Identification"}},
        Case{"a section nobody lists (a typo)",
             "[UniqueIds]\r\nPC01=UserData\r\n[PC01:UserData]\r\nA=1\r\n[PC01:UsreData]\r\nA=2\r\n",
             {"W|PC01:UsreData||"}},
        Case{"another computer's section, that computer unlisted",
             "[UniqueIds]\r\nPC01=UserData\r\n[PC01:UserData]\r\nA=1\r\n[PC02:UserData]\r\nA=2\r\n",
             {"W|PC02:UserData||"}},
        Case{"an editor section without the marker in the list",
             "[UniqueIds]\r\nPC01=UserData\r\n[PC01:UserData]\r\nA=1\r\n[PC01:KIVEDITOR]\r\nDescription1=x\r\n",
             {"W|PC01:KIVEDITOR||"}},
        Case{"empty description and exit entries",
             "[UniqueIds]\r\nPC01=KIVEDITOR\r\n[PC01:KIVEDITOR]\r\nDescription1=\r\nDescription2=Text\r\n"
             "runonexit1=  \r\nRunOnExit2=\"\"\r\nOther=\r\n",
             {"W|PC01:KIVEDITOR|Description1|", "W|PC01:KIVEDITOR|runonexit1|"}}),
    [](const testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

TEST(ComputerIds, EachIdentifierOnceInFileOrder) {
  ScratchFolder folder;
  const std::string file = folder / "site.UDB";
  WriteWholeFile(file, "[UniqueIds]\r\nPC02=UserData\r\nPC01=UserData\r\npc02=Other\r\nБух=UserData\r\nбух=x\r\n");
  EXPECT_EQ(check::ComputerIds(file), (std::vector<std::string>{"PC02", "PC01", "Бух"}));
}

TEST(CrossIndex, NamesTheFirstComputerOfEachSharedValue) {
  using check::ComputerFacts;
  const ComputerFacts pc01{
      "ACC-PC01", {{"params.MS_TCPIP.Adapter1", "10.1.2.30"}}, {{"params.Adapter1", "0x0012AB34CD56"}}};
  // The name in other case, a new address, the MAC written otherwise.
  const ComputerFacts pc02{
      "acc-pc01", {{"params.MS_TCPIP.Adapter1", "10.1.2.31"}}, {{"params.Adapter1", "00-12-ab-34-cd-56"}}};
  // A name setup makes up, PC01's address on another adapter, a new MAC.
  const ComputerFacts pc03{"*", {{"params.MS_TCPIP.Adapter2", "10.1.2.30"}}, {{"params.Adapter2", "0x0012AB34CD99"}}};
  const ComputerFacts pc04{"*", {}, {}};
  check::CrossIndex index;
  std::vector<check::Finding> found;
  index.Add("PC01", pc01, found);
  EXPECT_TRUE(found.empty());
  index.Add("PC02", pc02, found);
  index.Add("PC03", pc03, found);
  index.Add("PC04", pc04, found);
  std::vector<std::string> described;
  for (const check::Finding& f : found) {
    EXPECT_EQ(f.severity, check::Severity::Warning);
    EXPECT_NE(f.reason.find("PC01"), std::string::npos) << f.reason;
    described.push_back(f.section + "|" + f.key + "|" + f.value);
  }
  EXPECT_EQ(described, (std::vector<std::string>{"UserData|ComputerName|acc-pc01",
                                                 "params.Adapter1|NetCardAddress|00-12-ab-34-cd-56",
                                                 "params.MS_TCPIP.Adapter2|IPAddress|10.1.2.30"}));
}

TEST(CrossIndex, MacAddressesCompareByTheirDigits) {
  for (const char* mac :
       {"0x0012AB34CD56", "0X0012ab34cd56", "00-12-AB-34-CD-56", "00:12:ab:34:cd:56", " 0012AB34CD56 "})
    EXPECT_EQ(check::NormalizedMac(mac), "0012AB34CD56") << mac;
  EXPECT_NE(check::NormalizedMac("0x0012AB34CD57"), "0012AB34CD56");
}

}  // namespace
