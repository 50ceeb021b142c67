// The network page's per-adapter TCP/IP: which section an adapter reads and
// writes, switching adapters, the DHCP rule and the NetBIOS list.

#include "pages/NetworkFixture.h"

using namespace gui;
using namespace kivtest;

namespace {

class NetworkTcpipTest : public NetworkPageTest {
 protected:
  // Two adapters with TCP/IP on; `extra` holds the TCP/IP sections.
  void LoadTwoAdapters(const std::string& adapterSections, const std::string& extra, const std::string& preamble = "") {
    Load(preamble +
         Ini({"[NetAdapters]", "Adapter1=params.Adapter1", "Adapter2=params.Adapter2", "[NetProtocols]",
              "MS_TCPIP=params.MS_TCPIP", "[params.MS_TCPIP]", "AdapterSections=" + adapterSections}) +
         extra);
  }
};

TEST_F(NetworkTcpipTest, WithoutAListTheAdapterUsesTheSectionNamedAfterIt) {
  LoadTwoAdapters("", Ini({"[params.MS_TCPIP.Adapter1]", "DHCP=No", "IPAddress=10.0.0.5", "SubnetMask=255.0.0.0",
                           "DefaultGateway=10.0.0.1", "DNSServerSearchOrder=10.0.0.2,10.0.0.3",
                           "WINSServerList=10.0.0.4", "WINS=Yes", "NetBIOSOptions=1"}));
  EXPECT_EQ(page->cbTCPIPAdapters->Text(), "Adapter1");
  EXPECT_EQ(page->edIP->Text(), "10.0.0.5");
  EXPECT_EQ(page->edIPMask->Text(), "255.0.0.0");
  EXPECT_EQ(page->EdIPDefaultGatewey->Text(), "10.0.0.1");
  EXPECT_EQ(page->edDNSServers->Text(), "10.0.0.2,10.0.0.3");
  EXPECT_EQ(page->edWinsSrvers->Text(), "10.0.0.4");
  EXPECT_FALSE(page->chkDHCPEnable->Checked());
  EXPECT_TRUE(page->chkWINSEnable->Checked());
  EXPECT_EQ(page->cbNetBiosOverTcpIP->ItemIndex(), 1);

  page->edIP->SetText("");
  page->edDNSServers->SetText("10.0.0.9");
  page->SaveSettings();
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "IPAddress"), "<absent>");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "DNSServerSearchOrder"), "10.0.0.9");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "DHCP"), "No");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "WINS"), "Yes");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "NetBIOSOptions"), "1");
  // Unlisted and unlinked, setup would never apply the section written.
  EXPECT_EQ(Value("params.MS_TCPIP", "AdapterSections"), "params.MS_TCPIP.Adapter1");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "SpecificTo"), "Adapter1");
}

TEST_F(NetworkTcpipTest, ListedSectionsBelongToTheAdapterTheyNameWhateverTheCase) {
  struct Case {
    const char* what;
    const char* list;
    std::string sections;
    const char* section;  // where Adapter1 reads and writes
  } cases[] = {
      {"the fallback key, blanks around the names", "  params.A ,   params.B  ",
       Ini({"[params.A]", "IPAddress=10.0.0.1", "[params.B]", "AdapterSections=adapter1", "IPAddress=10.0.0.2"}),
       "params.B"},
      {"SpecificTo", "params.A,params.B",
       Ini({"[params.A]", "SpecificTo=ADAPTER1", "IPAddress=10.0.0.1", "[params.B]", "IPAddress=10.0.0.2"}),
       "params.A"},
      {"SpecificTo before the fallback", "params.A,params.B",
       Ini({"[params.A]", "SpecificTo=Adapter2", "AdapterSections=Adapter1", "IPAddress=10.0.0.1", "[params.B]",
            "SpecificTo=Adapter1", "IPAddress=10.0.0.2"}),
       "params.B"},
      {"the later section wins", "params.A,params.B",
       Ini({"[params.A]", "SpecificTo=Adapter1", "IPAddress=10.0.0.1", "[params.B]", "SpecificTo=Adapter1",
            "IPAddress=10.0.0.2"}),
       "params.B"},
      {"no link at all", "params.A",
       Ini({"[params.A]", "IPAddress=10.0.0.1", "[params.MS_TCPIP.Adapter1]", "IPAddress=10.0.0.3"}),
       "params.MS_TCPIP.Adapter1"},
  };
  for (const Case& c : cases) {
    LoadTwoAdapters(c.list, c.sections);
    EXPECT_EQ(page->AdapterTcpipSection(), c.section) << c.what;
    EXPECT_EQ(page->edIP->Text(), Value(c.section, "IPAddress")) << c.what;
    page->edIP->SetText("192.168.1.1");
    page->SaveSettings();
    EXPECT_EQ(Value(c.section, "IPAddress"), "192.168.1.1") << c.what;
  }
}

TEST_F(NetworkTcpipTest, BadListsLinkWhatTheyCanAndChangeNothing) {
  std::string thousand;
  for (int i = 0; i < 1000; ++i) thousand += ",params.Missing" + std::to_string(i);
  struct Case {
    const char* what;
    std::string list;
    const char* section;  // where Adapter2 reads and writes
    const char* ip;
  } cases[] = {
      {"empty items", ",params.B,, ,,", "params.B", "10.0.0.2"},
      // Cut at the read limit, the list still links what it starts with.
      {"a thousand items", "params.B" + thousand, "params.B", "10.0.0.2"},
      {"only missing sections", "params.X,params.Y", "params.MS_TCPIP.Adapter2", ""},
  };
  for (const Case& c : cases) {
    // The lines before the first header are the section of an empty name.
    LoadTwoAdapters(c.list, Ini({"[params.B]", "SpecificTo=Adapter2", "IPAddress=10.0.0.2"}),
                    Ini({"SpecificTo=Adapter2", "IPAddress=10.0.0.66"}));
    EXPECT_EQ(Text(), written) << c.what;
    EXPECT_EQ(page->AdapterTcpipSection(), "params.MS_TCPIP.Adapter1") << c.what;
    PickItem(*page->cbTCPIPAdapters, 1);
    EXPECT_EQ(page->AdapterTcpipSection(), c.section) << c.what;
    EXPECT_EQ(page->edIP->Text(), c.ip) << c.what;
  }
}

TEST_F(NetworkTcpipTest, ALoadDropsTheLinksOfTheLoadBefore) {
  LoadTwoAdapters("params.B", Ini({"[params.B]", "SpecificTo=Adapter1", "IPAddress=10.0.0.2"}));
  EXPECT_EQ(page->edIP->Text(), "10.0.0.2");
  WriteWholeFile(WorkFileName, Ini({"[NetAdapters]", "Adapter1=params.Adapter1", "[NetProtocols]",
                                    "MS_TCPIP=params.MS_TCPIP", "[params.MS_TCPIP.Adapter1]", "IPAddress=10.0.0.7"}));
  page->LoadSettings();
  EXPECT_EQ(page->AdapterTcpipSection(), "params.MS_TCPIP.Adapter1");
  EXPECT_EQ(page->edIP->Text(), "10.0.0.7");
}

TEST_F(NetworkTcpipTest, PickingAnotherAdapterWritesTheShownOneFirst) {
  LoadTwoAdapters("params.MS_TCPIP.A,params.MS_TCPIP.B",
                  Ini({"[params.MS_TCPIP.A]", "SpecificTo=Adapter1", "DHCP=No", "IPAddress=10.0.0.1",
                       "[params.MS_TCPIP.B]", "SpecificTo=Adapter2", "DHCP=No", "IPAddress=10.0.0.2", "WINS=Yes"}));
  page->edIP->SetText("");
  Type(*page->edIP, "10.9.9.9");
  PickItem(*page->cbTCPIPAdapters, 1);
  EXPECT_EQ(Value("params.MS_TCPIP.A", "IPAddress"), "10.9.9.9");
  EXPECT_EQ(page->cbTCPIPAdapters->Text(), "Adapter2");
  EXPECT_EQ(page->edIP->Text(), "10.0.0.2");
  EXPECT_TRUE(page->chkWINSEnable->Checked());

  Click(*page->chkWINSEnable);
  PickItem(*page->cbTCPIPAdapters, 0);
  EXPECT_EQ(Value("params.MS_TCPIP.B", "WINS"), "No");
  EXPECT_EQ(page->edIP->Text(), "10.9.9.9");
  EXPECT_FALSE(page->chkWINSEnable->Checked());
}

TEST_F(NetworkTcpipTest, ATypedAdapterNameLoadsNothingAndIsWrittenUnderItsOwnSection) {
  LoadTwoAdapters("", Ini({"[params.MS_TCPIP.Adapter1]", "IPAddress=10.0.0.1", "DHCP=No"}));
  ExceptionRecorder errors;
  Type(*page->cbTCPIPAdapters, "Lab");
  EXPECT_EQ(page->cbTCPIPAdapters->Text(), "Lab");
  EXPECT_EQ(page->cbTCPIPAdapters->ItemIndex(), -1);
  EXPECT_EQ(page->edIP->Text(), "10.0.0.1") << "nothing is loaded while typing";
  Click(*page->edIP);
  page->cbTCPIPAdapters->SetFocus();
  PumpUntilIdle();
  EXPECT_EQ(Value("params.MS_TCPIP.Lab", "IPAddress"), "10.0.0.1");
  EXPECT_EQ(Value("params.MS_TCPIP.Lab", "DHCP"), "No");
  // Entering the box first saved the adapter shown then; the typed name is
  // no adapter setup would apply a section to.
  EXPECT_EQ(Value("params.MS_TCPIP", "AdapterSections"), "params.MS_TCPIP.Adapter1");
  EXPECT_TRUE(errors.Messages().empty());
}

TEST_F(NetworkTcpipTest, DhcpGreysTheFixedAddressBoxesOnly) {
  LoadTwoAdapters("", Ini({"[params.MS_TCPIP.Adapter2]", "DHCP=No"}));
  ASSERT_TRUE(page->chkDHCPEnable->Checked()) << "an absent key means DHCP";
  auto fixedBoxes = {page->edIP, page->EdIPDefaultGatewey, page->edIPMask};
  for (Edit* box : fixedBoxes) {
    EXPECT_FALSE(box->Enabled()) << box->Name();
    EXPECT_EQ(box->EffectiveColor(), clBtnFace) << box->Name();
  }
  for (Edit* box : {page->edDNSServers, page->edWinsSrvers}) {
    EXPECT_TRUE(box->Enabled()) << box->Name();
    EXPECT_EQ(box->EffectiveColor(), clWindow) << box->Name();
  }

  Click(*page->chkDHCPEnable);
  for (Edit* box : fixedBoxes) EXPECT_TRUE(box->Enabled()) << box->Name();
  // Without DHCP the empty address box is marked: the adapter needs one.
  EXPECT_EQ(page->edIP->EffectiveColor(), clWarning);
  EXPECT_EQ(page->edIPMask->EffectiveColor(), clWindow);
  EXPECT_EQ(page->EdIPDefaultGatewey->EffectiveColor(), clWindow);
  Click(*page->chkDHCPEnable);
  PickItem(*page->cbTCPIPAdapters, 1);
  EXPECT_FALSE(page->chkDHCPEnable->Checked());
  for (Edit* box : fixedBoxes) EXPECT_TRUE(box->Enabled()) << box->Name();
  PickItem(*page->cbTCPIPAdapters, 0);
  for (Edit* box : fixedBoxes) EXPECT_FALSE(box->Enabled()) << box->Name();
}

TEST_F(NetworkTcpipTest, MarksFollowTheTypingAcrossTheBoxesAndTheAdaptersAndNeverChangeWhatIsWritten) {
  LoadTwoAdapters("", Ini({"[params.MS_TCPIP.Adapter1]", "DHCP=No", "IPAddress=10.1.2.30", "SubnetMask=255.255.255.0",
                           "DefaultGateway=10.1.2.1", "[params.MS_TCPIP.Adapter2]", "DHCP=No", "IPAddress=10.1.2.31",
                           "SubnetMask=255.255.255.0"}));
  Edit* ip = page->edIP;
  Edit* mask = page->edIPMask;
  Edit* gateway = page->EdIPDefaultGatewey;
  auto marks = [&] {
    std::string all;
    for (Edit* box : {ip, mask, gateway, page->edDNSServers, page->edWinsSrvers})
      if (!box->Warning().empty()) all += box->Name() + " ";
    return all;
  };
  EXPECT_EQ(marks(), "") << "the file's own values are fine";

  ip->SetText("");
  Type(*ip, "10.1.2");
  EXPECT_NE(ip->Warning().find("не IP-адрес"), std::string::npos);
  EXPECT_EQ(marks(), "edIP ") << "the mask and gateway are not blamed for the address";
  Type(*ip, ".31");
  EXPECT_NE(ip->Warning().find("уже задан адаптеру «Adapter2»"), std::string::npos);
  Type(*ip, "\b2");
  EXPECT_EQ(marks(), "");

  mask->SetText("");
  Type(*mask, "255.0.255.0");
  EXPECT_EQ(marks(), "edIPMask ");
  mask->SetText("");
  Type(*mask, "255.255.0.0");
  gateway->SetText("");
  Type(*gateway, "10.2.0.1");
  EXPECT_NE(gateway->Warning().find("вне подсети адреса «10.1.2.32» с маской «255.255.0.0»"), std::string::npos);
  // A wider mask brings the gateway into the subnet: its mark goes with a
  // key typed in another box.
  mask->SetText("");
  Type(*mask, "255.0.0.0");
  EXPECT_EQ(marks(), "");
  Type(*gateway, ",1.1.1.1");
  Type(*page->edDNSServers, "10.1.2.5;10.1.2.6");
  EXPECT_EQ(marks(), "EdIPDefaultGatewey edDNSServers ");

  // DHCP makes the fixed values unused; the DNS servers stay in use.
  Click(*page->chkDHCPEnable);
  EXPECT_EQ(marks(), "edDNSServers ");
  Click(*page->chkDHCPEnable);
  EXPECT_EQ(marks(), "EdIPDefaultGatewey edDNSServers ");

  // The address given twice is marked on whichever adapter is shown.
  ip->SetText("");
  Type(*ip, "10.1.2.31");
  EXPECT_NE(ip->Warning().find("«Adapter2»"), std::string::npos);
  PickItem(*page->cbTCPIPAdapters, 1);
  EXPECT_EQ(ip->Text(), "10.1.2.31");
  EXPECT_NE(ip->Warning().find("уже задан адаптеру «Adapter1»"), std::string::npos);
  EXPECT_EQ(marks(), "edIP ") << "Adapter2's own values are shown and checked";

  page->SaveSettings();
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "IPAddress"), "10.1.2.31");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "SubnetMask"), "255.0.0.0");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "DefaultGateway"), "10.2.0.1,1.1.1.1");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "DNSServerSearchOrder"), "10.1.2.5;10.1.2.6");
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter2", "IPAddress"), "10.1.2.31");
}

TEST_F(NetworkTcpipTest, SwitchingTcpipBackOnKeepsTheDhcpRule) {
  LoadTwoAdapters("", "");
  ClickTab(*page->pc_network, *page->tsDomain);
  Click(*page->chkUseTcpip);
  EXPECT_FALSE(page->edDNSServers->Enabled());
  Click(*page->chkUseTcpip);
  EXPECT_TRUE(page->edDNSServers->Enabled());
  EXPECT_TRUE(page->chkDHCPEnable->Checked());
  for (Edit* box : {page->edIP, page->EdIPDefaultGatewey, page->edIPMask}) {
    EXPECT_FALSE(box->Enabled()) << box->Name();
    EXPECT_EQ(box->EffectiveColor(), clBtnFace) << box->Name();
  }
}

TEST_F(NetworkTcpipTest, NetBiosOptionsSelectTheirEntryAndOddValuesSurviveTheSave) {
  struct Case {
    const char* stored;  // null: absent
    int index;
    const char* saved;
  } cases[] = {
      {"0", 0, "0"},  {"1", 1, "1"},    {"2", 2, "2"},    {nullptr, 0, "0"}, {"+2", 2, "2"},          {"abc", 0, "0"},
      {"1x", 0, "0"}, {"-1", -1, "-1"}, {"99", -1, "99"}, {"3", -1, "3"},    {"99999999999", 0, "0"},
  };
  for (const Case& c : cases) {
    std::string section = Ini({"[params.MS_TCPIP.Adapter1]", "DHCP=Yes"});
    if (c.stored) section += Ini({std::string("NetBIOSOptions=") + c.stored});
    LoadTwoAdapters("", section);
    EXPECT_EQ(page->cbNetBiosOverTcpIP->ItemIndex(), c.index) << (c.stored ? c.stored : "absent");
    page->SaveSettings();
    EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "NetBIOSOptions"), c.saved) << (c.stored ? c.stored : "absent");
  }

  LoadTwoAdapters("", Ini({"[params.MS_TCPIP.Adapter1]", "NetBIOSOptions=99"}));
  PickItem(*page->cbNetBiosOverTcpIP, 2);
  EXPECT_EQ(page->cbNetBiosOverTcpIP->Text(), "Запретить");
  page->SaveSettings();
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "NetBIOSOptions"), "2");
}

}  // namespace
