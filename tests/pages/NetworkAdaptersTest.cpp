// The network page's adapter entries: the list of "NetAdapters", the entry
// shown and written back, created by the save, and the connection name kept
// in the OEM code page.

#include "pages/NetworkFixture.h"

using namespace gui;
using namespace kivtest;

namespace {

class NetworkAdaptersTest : public NetworkPageTest {
 protected:
  void ShowAdaptersTab() { ClickTab(*page->pc_network, *page->tsAdapters); }
};

const std::string kTcpipOn = "[NetProtocols]\r\nMS_TCPIP=params.MS_TCPIP\r\n";
// "Подключение" in code page 866, as setup reads it.
const char kConnectionOem[] = "\x8F\xAE\xA4\xAA\xAB\xEE\xE7\xA5\xAD\xA8\xA5";

TEST_F(NetworkAdaptersTest, WithoutNetAdaptersTheSaveCreatesAdapter1) {
  for (bool tcpip : {true, false}) {
    Load(tcpip ? kTcpipOn : "");
    ASSERT_EQ(page->cbAdapters->ItemCount(), 1);
    EXPECT_EQ(page->cbAdapters->Text(), "Adapter1");
    EXPECT_EQ(page->cbTCPIPAdapters->Text(), "Adapter1");
    EXPECT_EQ(page->edInfId->Text(), "*");
    EXPECT_EQ(page->edConnectionName->Text(), "");
    EXPECT_EQ(page->edMacAddres->Text(), "");
    page->SaveSettings();
    if (tcpip) {
      EXPECT_EQ(Value("NetAdapters", "Adapter1"), "params.Adapter1");
      EXPECT_EQ(Value("params.Adapter1", "InfID"), "*");
      EXPECT_EQ(Value("params.Adapter1", "ConnectionName"), "<absent>");
      EXPECT_EQ(Value("params.Adapter1", "NetCardAddress"), "<absent>");
    } else {
      EXPECT_FALSE(profile::SectionExists(WorkFileName, "NetAdapters"));
      EXPECT_FALSE(profile::SectionExists(WorkFileName, "params.Adapter1"));
    }
  }
}

TEST_F(NetworkAdaptersTest, AnEntryIsShownAndWrittenBackKeyByKey) {
  Load(kTcpipOn + Ini({"[NetAdapters]", "LAN=params.LAN", "WAN=params.Missing", "[params.LAN]",
                       "InfID=\"PCI\\VEN_8086&DEV_100E\"", "NetCardAddress=0x0012AB34CD56", "ConnectionName=Office"}));
  EXPECT_EQ(page->edInfId->Text(), "PCI\\VEN_8086&DEV_100E");
  EXPECT_EQ(page->edMacAddres->Text(), "0x0012AB34CD56");
  page->edInfId->SetText("");
  page->edMacAddres->SetText("");
  page->SaveSettings();
  EXPECT_EQ(Value("params.LAN", "InfID"), "<absent>");
  EXPECT_EQ(Value("params.LAN", "NetCardAddress"), "<absent>");
  EXPECT_EQ(Value("params.LAN", "ConnectionName"), "Office");
  page->LoadSettings();
  EXPECT_EQ(page->edInfId->Text(), "*") << "an absent InfID means detection";

  // An entry naming a missing section shows the defaults and the save makes it.
  ShowAdaptersTab();
  PickItem(*page->cbAdapters, 1);
  EXPECT_EQ(page->edInfId->Text(), "*");
  EXPECT_EQ(page->edConnectionName->Text(), "");
  page->SaveSettings();
  EXPECT_EQ(Value("NetAdapters", "WAN"), "params.Missing");
  EXPECT_EQ(Value("params.Missing", "InfID"), "*");
}

TEST_F(NetworkAdaptersTest, EnteringTheListWritesTheShownAdapterBeforeTheNextIsShown) {
  Load(Ini({"[NetAdapters]", "Adapter01=params.Adapter01", "Adapter02=params.Adapter02", "[params.Adapter01]",
            "InfID=*", "[params.Adapter02]", "InfID=\"PCI\\VEN_10B7&DEV_9200\"", "ConnectionName=Lab"}));
  ASSERT_FALSE(page->chkUseTcpip->Checked()) << "entering the list writes whatever the switch";
  ShowAdaptersTab();
  Type(*page->edMacAddres, "0x00A0C9112233");
  page->edInfId->SetText("   ");
  page->cbAdapters->SetFocus();
  PumpUntilIdle();
  EXPECT_EQ(Value("params.Adapter01", "NetCardAddress"), "0x00A0C9112233");
  EXPECT_EQ(Value("params.Adapter01", "InfID"), "<absent>") << "blanks only: deleted";
  EXPECT_EQ(page->edMacAddres->Text(), "0x00A0C9112233") << "still the first adapter";

  PickItem(*page->cbAdapters, 1);
  EXPECT_EQ(page->edInfId->Text(), "PCI\\VEN_10B7&DEV_9200");
  EXPECT_EQ(page->edConnectionName->Text(), "Lab");
  EXPECT_EQ(page->edMacAddres->Text(), "");

  page->SaveSettings();
  EXPECT_FALSE(profile::SectionExists(WorkFileName, "params.MS_TCPIP")) << "TCP/IP off: the save writes none of it";
  EXPECT_EQ(Value("params.Adapter02", "ConnectionName"), "Lab");
}

TEST_F(NetworkAdaptersTest, BlanksInTheInfIdAreWrittenByTheSavePass) {
  Load(kTcpipOn + Ini({"[NetAdapters]", "Adapter1=params.Adapter1", "[params.Adapter1]", "InfID=*"}));
  page->edInfId->SetText("   ");
  page->SaveSettings();
  EXPECT_EQ(Value("params.Adapter1", "InfID"), "") << "present, unlike after entering the list";
}

TEST_F(NetworkAdaptersTest, TheConnectionNameIsKeptInTheOemCodePage) {
  Load(kTcpipOn + Ini({"[NetAdapters]", "Adapter1=params.Adapter1", "Adapter2=params.Adapter2", "[params.Adapter1]",
                       std::string("ConnectionName=\"") + kConnectionOem + "\"", "[params.Adapter2]", "InfID=*"}));
  EXPECT_EQ(page->edConnectionName->Text(), "Подключение");

  // Through the save pass.
  page->SaveSettings();
  EXPECT_NE(Text().find(std::string("ConnectionName=\"") + kConnectionOem + "\""), std::string::npos);
  page->LoadSettings();
  EXPECT_EQ(page->edConnectionName->Text(), "Подключение");

  // Typed by the operator, through entering the list.
  ShowAdaptersTab();
  page->edConnectionName->SetText("");
  Type(*page->edConnectionName, "Сеть");
  page->cbAdapters->SetFocus();
  PumpUntilIdle();
  EXPECT_NE(Text().find("ConnectionName=\"\x91\xA5\xE2\xEC\""), std::string::npos);
  page->LoadSettings();
  EXPECT_EQ(page->edConnectionName->Text(), "Сеть");
}

TEST_F(NetworkAdaptersTest, ACharacterWithoutAnOemCounterpartTakesOneStandInByte) {
  Load(kTcpipOn + Ini({"[NetAdapters]", "Adapter1=params.Adapter1", "[params.Adapter1]", "InfID=*",
                       "NetCardAddress=0x0012AB34CD56"}));
  const std::string typed = "Сеть \x88\x99 №1";  // euro and trade mark signs have no code in 866
  page->edConnectionName->SetText(typed);
  page->SaveSettings();
  std::string stored = Value("params.Adapter1", "ConnectionName");
  ASSERT_EQ(stored.size(), typed.size());
  EXPECT_EQ(stored.substr(0, 5), "\x91\xA5\xE2\xEC ");
  EXPECT_EQ(stored.substr(7),
            " \xFC"
            "1");
  for (char c : stored.substr(5, 2)) EXPECT_NE(c, '\0');
  EXPECT_EQ(Value("params.Adapter1", "NetCardAddress"), "0x0012AB34CD56");
  EXPECT_EQ(Value("params.Adapter1", "InfID"), "*");
}

TEST_F(NetworkAdaptersTest, FiveHundredAdaptersAreListedInFileOrder) {
  std::string section = "[NetAdapters]\r\n";
  for (int i = 500; i > 0; --i)
    section += "Adapter" + std::to_string(i) + "=params.Adapter" + std::to_string(i) + "\r\n";
  Load(kTcpipOn + section + Ini({"[params.Adapter500]", "InfID=PCI\\VEN_1"}));
  ASSERT_EQ(page->cbAdapters->ItemCount(), 500);
  ASSERT_EQ(page->cbTCPIPAdapters->ItemCount(), 500);
  EXPECT_EQ(page->cbAdapters->ItemText(0), "Adapter500");
  EXPECT_EQ(page->cbAdapters->ItemText(499), "Adapter1");
  EXPECT_EQ(page->edInfId->Text(), "PCI\\VEN_1");
  page->edMacAddres->SetText("0x1");
  page->SaveSettings();
  EXPECT_EQ(Value("params.Adapter500", "NetCardAddress"), "0x1");
  EXPECT_EQ(profile::ReadKeys(WorkFileName, "NetAdapters").size(), 500u);
  EXPECT_NE(Text().find(section), std::string::npos) << "the list is left as it was";
}

}  // namespace
