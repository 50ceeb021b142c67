// The network page as a whole: its tabs, the truth values, membership, the
// local administrator's password, the TCP/IP switch, the global TCP/IP keys
// and values longer than the read limit.

#include "pages/NetworkFixture.h"

using namespace gui;
using namespace kivtest;

namespace {

std::vector<std::string> TabNames(const Control& parent) {
  std::vector<std::string> names;
  for (Control* c : parent.TabList()) names.push_back(c->Name());
  return names;
}

TEST_F(NetworkPageTest, TheTabsAndTheirControlsComeInTheirOrderAndStates) {
  form = std::make_unique<Form>(Design{.name = "form", .width = 451, .height = 304});
  page = form->Create<TNetWorkFrame>();
  page->EnsureControls();
  EXPECT_EQ(TNetWorkFrame::GetCaption(), "Сеть");

  std::vector<std::pair<std::string, std::string>> tabs;
  for (TabSheet* sheet : page->pc_network->Pages()) tabs.emplace_back(sheet->Name(), sheet->Caption());
  EXPECT_EQ(tabs, (std::vector<std::pair<std::string, std::string>>{{"tsDomain", "Идентификация"},
                                                                    {"TabSheet2", "TCP/IP"},
                                                                    {"tsTCPIPGlobal", "TCP/IP Глобальные"},
                                                                    {"tsProxy", "Параметры IE"},
                                                                    {"tsAdapters", "Адаптеры"}}));
  EXPECT_EQ(page->pc_network->ActivePage(), page->TabSheet2);
  EXPECT_EQ(page->tsTCPIPGlobal->Hint(), "Параметры TCP/IP общие для всех адаптеров");

  using Names = std::vector<std::string>;
  EXPECT_EQ(TabNames(*page->tsDomain),
            (Names{"GroupBox1", "edMachineObjectOU", "edGroupDomainName", "edLocalAdminPassword", "edDomainAdminLogin",
                   "edDomainAdminPassword", "chkUseTcpip"}));
  EXPECT_EQ(TabNames(*page->TabSheet2),
            (Names{"edIP", "edIPMask", "EdIPDefaultGatewey", "edDNSServers", "chkDHCPEnable", "edWinsSrvers",
                   "cbTCPIPAdapters", "chkWINSEnable", "cbNetBiosOverTcpIP"}));
  EXPECT_EQ(TabNames(*page->tsTCPIPGlobal),
            (Names{"chkEnableLMHosts", "chkIPFiltering", "edDNSDomain", "chkChangeDNSDomain", "edDNSSuffixSearchOrder",
                   "chkUseDomainNameDevolution"}));
  EXPECT_EQ(TabNames(*page->tsProxy), (Names{"chkEnableProxy", "chkUseProxy", "edHTTPProxyAddress", "edHTTPProxyPort",
                                             "chkUseSameProxy", "chkSkipProxyForLocal", "edSkipProxy"}));
  EXPECT_EQ(TabNames(*page->tsAdapters), (Names{"cbAdapters", "edInfId", "edConnectionName", "edMacAddres"}));

  EXPECT_EQ(page->edLocalAdminPassword->PasswordChar(), '*');
  EXPECT_EQ(page->edDomainAdminPassword->PasswordChar(), '*');
  EXPECT_EQ(page->edDomainAdminLogin->PasswordChar(), 0);
  EXPECT_EQ(page->chkIPFiltering->Caption(), "Разрешить IP-фильтрацию ");
  EXPECT_EQ(page->cbTCPIPAdapters->Style(), ComboStyle::DropDown);
  EXPECT_EQ(page->cbAdapters->Style(), ComboStyle::DropDownList);
  ASSERT_EQ(page->cbNetBiosOverTcpIP->ItemCount(), 3);
  EXPECT_EQ(page->cbNetBiosOverTcpIP->ItemText(0), "Исп. настройки DHCP-сервера");
  EXPECT_EQ(page->cbNetBiosOverTcpIP->ItemText(2), "Запретить");

  struct Initial {
    CheckBox* box;
    bool ticked;
  } initial[] = {{page->rbJoinWorkGroup, true},
                 {page->rbJoinDomain, false},
                 {page->chkUseTcpip, false},
                 {page->chkEnableLMHosts, true},
                 {page->chkIPFiltering, false},
                 {page->chkChangeDNSDomain, false},
                 {page->chkUseDomainNameDevolution, true},
                 {page->chkEnableProxy, false},
                 {page->chkUseProxy, false},
                 {page->chkUseSameProxy, false},
                 {page->chkSkipProxyForLocal, false}};
  for (const Initial& i : initial) EXPECT_EQ(i.box->Checked(), i.ticked) << i.box->Name();
}

TEST(NetworkTruthValues, OnlyYesInAnyCaseAndOneAreTrue) {
  for (const char* text : {"yes", " Yes ", "YES", "1", "\t yEs\r\n", " 1 "}) EXPECT_TRUE(YesNoToBool(text)) << text;
  for (const char* text : {"Y", "true", "2", "", "0", "No", "yes please", "11", "  "})
    EXPECT_FALSE(YesNoToBool(text)) << text;
  EXPECT_EQ(BoolToYesNo(true), "Yes");
  EXPECT_EQ(BoolToYesNo(false), "No");
}

TEST_F(NetworkPageTest, ABlankDomainLeavesTheWorkgroupWhoseSaveKeepsTheDomainKeys) {
  Load(Ini({"[Identification]", "JoinDomain=   ", "JoinWorkgroup=  Office  ", "DomainAdmin=CORP\\admin",
            "MachineObjectOU=\"OU=PCs,DC=corp\""}));
  EXPECT_TRUE(page->rbJoinWorkGroup->Checked());
  EXPECT_EQ(page->edGroupDomainName->Text(), "Office");
  EXPECT_EQ(page->edDomainAdminLogin->Text(), "CORP\\admin") << "shown whatever the mode";
  for (Edit* box : {page->edDomainAdminLogin, page->edDomainAdminPassword, page->edMachineObjectOU}) {
    EXPECT_FALSE(box->Enabled()) << box->Name();
    EXPECT_EQ(box->EffectiveColor(), clBtnFace) << box->Name();
  }
  EXPECT_TRUE(page->edGroupDomainName->Enabled());
  EXPECT_TRUE(page->edLocalAdminPassword->Enabled());

  page->edDomainAdminLogin->SetText("");
  page->SaveSettings();
  EXPECT_EQ(Value("Identification", "JoinDomain"), "<absent>");
  EXPECT_EQ(Value("Identification", "JoinWorkgroup"), "Office");
  EXPECT_EQ(Value("Identification", "DomainAdmin"), "CORP\\admin") << "the workgroup save leaves it";
  EXPECT_EQ(Value("Identification", "MachineObjectOU"), "OU=PCs,DC=corp");
}

TEST_F(NetworkPageTest, TheDomainWinsAndItsSaveDeletesTheWorkgroupAndEmptyLogins) {
  Load(Ini({"[Identification]", "JoinWorkgroup=WG", "JoinDomain=CORP", "DomainAdmin=CORP\\admin",
            "DomainAdminPassword=secret", "MachineObjectOU=OU=PCs"}));
  EXPECT_TRUE(page->rbJoinDomain->Checked());
  EXPECT_FALSE(page->rbJoinWorkGroup->Checked());
  EXPECT_EQ(page->edGroupDomainName->Text(), "CORP");
  EXPECT_EQ(page->edDomainAdminPassword->Text(), "secret");
  EXPECT_TRUE(page->edDomainAdminLogin->Enabled());
  EXPECT_EQ(page->edMachineObjectOU->EffectiveColor(), clWindow);

  page->edDomainAdminLogin->SetText("");
  page->edDomainAdminPassword->SetText("new secret");
  page->SaveSettings();
  EXPECT_EQ(Value("Identification", "JoinWorkgroup"), "<absent>");
  EXPECT_EQ(Value("Identification", "JoinDomain"), "CORP");
  EXPECT_EQ(Value("Identification", "DomainAdmin"), "<absent>");
  EXPECT_EQ(Value("Identification", "DomainAdminPassword"), "new secret");
  EXPECT_EQ(Value("Identification", "MachineObjectOU"), "OU=PCs");
}

TEST_F(NetworkPageTest, TheOperatorsChoiceOfMembershipDecidesWhatIsWritten) {
  Load(Ini({"[Identification]", "JoinWorkgroup=WG"}));
  ClickTab(*page->pc_network, *page->tsDomain);
  Click(*page->rbJoinDomain);
  EXPECT_TRUE(page->rbJoinDomain->Checked());
  EXPECT_TRUE(page->edDomainAdminLogin->Enabled());
  EXPECT_EQ(page->edDomainAdminLogin->EffectiveColor(), clWindow);
  page->edGroupDomainName->SetText("");
  page->SaveSettings();
  EXPECT_EQ(Value("Identification", "JoinDomain"), "") << "written even empty";
  EXPECT_EQ(Value("Identification", "JoinWorkgroup"), "<absent>");
  EXPECT_EQ(Value("Identification", "DomainAdmin"), "<absent>");

  Click(*page->rbJoinWorkGroup);
  EXPECT_FALSE(page->edMachineObjectOU->Enabled());
  page->SaveSettings();
  EXPECT_EQ(Value("Identification", "JoinWorkgroup"), "") << "written even empty";
  EXPECT_EQ(Value("Identification", "JoinDomain"), "<absent>");
}

TEST_F(NetworkPageTest, ALongWorkgroupAndABadDnsSuffixAreMarkedWhileTheyMatter) {
  Load(Ini({"[Identification]", "JoinWorkgroup=BUHGALTERIYA-GLAVNAYA", "[NetProtocols]", "MS_TCPIP=params.MS_TCPIP",
            "[params.MS_TCPIP]", "DNSDomain=corp.example"}));
  EXPECT_NE(page->edGroupDomainName->Warning().find("длиннее 15 символов"), std::string::npos);
  EXPECT_EQ(page->edDNSDomain->Warning(), "");

  ClickTab(*page->pc_network, *page->tsDomain);
  // A domain's DNS name may be longer: the mark is the workgroup's alone.
  Click(*page->rbJoinDomain);
  EXPECT_EQ(page->edGroupDomainName->Warning(), "");
  Click(*page->rbJoinWorkGroup);
  EXPECT_NE(page->edGroupDomainName->Warning(), "");
  page->edGroupDomainName->SetText("");
  Type(*page->edGroupDomainName, "BUHGALTERIYA");
  EXPECT_EQ(page->edGroupDomainName->Warning(), "");

  ClickTab(*page->pc_network, *page->tsTCPIPGlobal);
  page->edDNSDomain->SetText("");
  Type(*page->edDNSDomain, "сщкз.example");
  EXPECT_NE(page->edDNSDomain->Warning().find("не DNS-имя"), std::string::npos);
  Type(*page->edDNSSuffixSearchOrder, "corp.example,,example");
  EXPECT_NE(page->edDNSSuffixSearchOrder->Warning().find("лишняя запятая"), std::string::npos);

  // With TCP/IP switched off its boxes are neither used nor marked.
  ClickTab(*page->pc_network, *page->tsDomain);
  Click(*page->chkUseTcpip);
  EXPECT_EQ(page->edDNSDomain->Warning() + page->edDNSSuffixSearchOrder->Warning(), "");
  Click(*page->chkUseTcpip);
  EXPECT_NE(page->edDNSDomain->Warning(), "");

  page->SaveSettings();
  EXPECT_EQ(Value("Identification", "JoinWorkgroup"), "BUHGALTERIYA");
  EXPECT_EQ(Value("params.MS_TCPIP", "DNSDomain"), "сщкз.example");
  EXPECT_EQ(Value("params.MS_TCPIP", "DNSSuffixSearchOrder"), "corp.example,,example");
}

TEST_F(NetworkPageTest, TheLocalAdministratorsPasswordIsSetupsAdminPassword) {
  struct Case {
    const char* stored;  // null: absent
    bool domain;
    const char* typed;  // null: left as loaded
    const char* shown;
    const char* saved;
  } cases[] = {
      {"\"Pa$$ w0rd\"", false, nullptr, "Pa$$ w0rd", "Pa$$ w0rd"},
      {"*", true, nullptr, "*", "*"},
      {nullptr, false, nullptr, "", "<absent>"},
      {nullptr, true, nullptr, "", "<absent>"},
      {nullptr, false, "typed", "", "typed"},
      {"old", true, "", "old", "<absent>"},
  };
  for (const Case& c : cases) {
    std::string file = Ini({"[Identification]", c.domain ? "JoinDomain=CORP" : "JoinWorkgroup=WG"});
    if (c.stored) file += Ini({"[GuiUnattended]", std::string("AdminPassword=") + c.stored});
    Load(file);
    EXPECT_EQ(page->edLocalAdminPassword->Text(), c.shown) << c.stored;
    if (c.typed) page->edLocalAdminPassword->SetText(c.typed);
    page->SaveSettings();
    EXPECT_EQ(Value("GuiUnattended", "AdminPassword"), c.saved) << (c.stored ? c.stored : "absent");
    if (!c.stored && !c.typed) {
      EXPECT_FALSE(profile::SectionExists(WorkFileName, "GuiUnattended"));
    }
  }
}

// The sections of the other tabs come first, so that what the save appends
// or changes of its own keys cannot hide a change to them.
const std::string kOtherTabs =
    "[params.MS_TCPIP]\r\nAdapterSections=params.MS_TCPIP.Adapter1\r\nDNSDomain=corp.example\r\n\r\n"
    "[params.MS_TCPIP.Adapter1]\r\nSpecificTo=Adapter1\r\nDHCP=No\r\nIPAddress=10.0.0.5\r\n\r\n"
    "[NetAdapters]\r\nAdapter1=params.Adapter1\r\n\r\n"
    "[params.Adapter1]\r\nInfID=*\r\n\r\n";

TEST_F(NetworkPageTest, SwitchingTcpipOffParksTheSectionAndWritesNoneOfItsTabs) {
  Load(kOtherTabs + Ini({"[NetProtocols]", "MS_TCPIP=params.MS_TCPIP", "[Networking]", "InstallDefaultComponents=No"}));
  EXPECT_TRUE(page->chkUseTcpip->Checked());
  EXPECT_EQ(page->TcpipSection, "params.MS_TCPIP");
  ClickTab(*page->pc_network, *page->tsDomain);
  Click(*page->chkUseTcpip);
  ASSERT_FALSE(page->chkUseTcpip->Checked());
  for (Control* c : std::initializer_list<Control*>{page->edIP, page->edDNSServers, page->cbTCPIPAdapters,
                                                    page->cbNetBiosOverTcpIP, page->edDNSDomain}) {
    EXPECT_FALSE(c->Enabled()) << c->Name();
    EXPECT_EQ(c->EffectiveColor(), clBtnFace) << c->Name();
  }
  for (Control* c : std::initializer_list<Control*>{page->chkDHCPEnable, page->chkEnableLMHosts, page->Label18})
    EXPECT_FALSE(c->Enabled()) << c->Name();
  for (Control* c : std::initializer_list<Control*>{page->Label7, page->edHTTPProxyAddress, page->cbAdapters,
                                                    page->edInfId, page->edGroupDomainName})
    EXPECT_TRUE(c->Enabled()) << c->Name();

  page->edIP->SetText("10.9.9.9");
  page->edDNSDomain->SetText("other.example");
  page->edInfId->SetText("PCI\\VEN_8086");
  page->SaveSettings();
  std::string text = Text();
  EXPECT_EQ(text.substr(0, kOtherTabs.size()), kOtherTabs);
  EXPECT_EQ(Value("NetProtocols", "#MS_TCPIP"), "params.MS_TCPIP");
  EXPECT_EQ(Value("NetProtocols", "MS_TCPIP"), "<absent>");
  EXPECT_EQ(Value("Networking", "InstallDefaultComponents"), "Yes");
  EXPECT_EQ(Value("Proxy", "Proxy_Enable"), "0") << "the browser keys are written all the same";
  EXPECT_EQ(Value("Branding", "BrandIEUsingUnattended"), "Yes");
}

TEST_F(NetworkPageTest, AParkedSectionIsStillReadAndTickingMovesItBack) {
  Load(Ini({"[NetProtocols]", "#MS_TCPIP=params.T", "[params.T]", "DNSDomain=corp.example", "EnableLMHosts=No",
            "SyncDomainWithMembership=Yes"}));
  EXPECT_FALSE(page->chkUseTcpip->Checked());
  EXPECT_EQ(page->edDNSDomain->Text(), "corp.example");
  EXPECT_FALSE(page->chkEnableLMHosts->Checked());
  EXPECT_TRUE(page->chkChangeDNSDomain->Checked());
  EXPECT_FALSE(page->edDNSDomain->Enabled());

  ClickTab(*page->pc_network, *page->tsDomain);
  Click(*page->chkUseTcpip);
  EXPECT_TRUE(page->edDNSDomain->Enabled());
  EXPECT_EQ(page->edDNSDomain->EffectiveColor(), clWindow);
  page->SaveSettings();
  EXPECT_EQ(Value("NetProtocols", "MS_TCPIP"), "params.T");
  EXPECT_EQ(Value("NetProtocols", "#MS_TCPIP"), "<absent>");
  EXPECT_EQ(Value("Networking", "InstallDefaultComponents"), "No");
  EXPECT_EQ(Value("params.T", "EnableLMHosts"), "No");
  EXPECT_EQ(Value("params.T", "DNSDomain"), "corp.example");
}

TEST_F(NetworkPageTest, TickingTcpipWithoutAnEntryNamesTheDefaultSection) {
  for (const char* netProtocols : {"", "[NetProtocols]\r\n#MS_TCPIP=\r\n", "[NetProtocols]\r\nMS_TCPIP=\r\n"}) {
    Load(std::string("[Identification]\r\nJoinWorkgroup=WG\r\n") + netProtocols);
    EXPECT_FALSE(page->chkUseTcpip->Checked()) << netProtocols;
    ClickTab(*page->pc_network, *page->tsDomain);
    Click(*page->chkUseTcpip);
    page->SaveSettings();
    EXPECT_EQ(Value("NetProtocols", "MS_TCPIP"), "params.MS_TCPIP") << netProtocols;
    EXPECT_EQ(Value("params.MS_TCPIP", "EnableLMHosts"), "Yes") << netProtocols;
    EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "DHCP"), "Yes") << netProtocols;

    page->LoadSettings();
    EXPECT_TRUE(page->chkUseTcpip->Checked()) << "the next load finds TCP/IP on: " << netProtocols;
  }
}

TEST_F(NetworkPageTest, GlobalSwitchesAreAlwaysWrittenAndEmptyDnsBoxesDeleted) {
  Load(Ini({"[NetProtocols]", "MS_TCPIP=params.MS_TCPIP", "[params.MS_TCPIP]", "DNSDomain=corp.example",
            "DNSSuffixSearchOrder=corp.example,example", "EnableSecurity=yes"}));
  EXPECT_TRUE(page->chkEnableLMHosts->Checked());
  EXPECT_TRUE(page->chkIPFiltering->Checked());
  EXPECT_TRUE(page->chkChangeDNSDomain->Checked());
  EXPECT_TRUE(page->chkUseDomainNameDevolution->Checked()) << "an absent key is setup's default, yes";
  EXPECT_EQ(page->edDNSSuffixSearchOrder->Text(), "corp.example,example");

  page->edDNSDomain->SetText("");
  page->edDNSSuffixSearchOrder->SetText(" b.example , a.example");
  page->SaveSettings();
  EXPECT_EQ(Value("params.MS_TCPIP", "DNSDomain"), "<absent>");
  EXPECT_EQ(Value("params.MS_TCPIP", "DNSSuffixSearchOrder"), "b.example,a.example") << "items as typed, not sorted";
  EXPECT_EQ(Value("params.MS_TCPIP", "EnableLMHosts"), "Yes");
  EXPECT_EQ(Value("params.MS_TCPIP", "EnableSecurity"), "Yes");
  EXPECT_EQ(Value("params.MS_TCPIP", "SyncDomainWithMembership"), "Yes");
  EXPECT_EQ(Value("params.MS_TCPIP", "UseDomainNameDevolution"), "Yes") << "an untouched page keeps devolution on";

  // Without a section the DNS boxes are emptied, the switches keep their state.
  page->chkEnableLMHosts->SetChecked(false);
  WriteWholeFile(WorkFileName, Ini({"[Identification]", "JoinWorkgroup=WG"}));
  page->LoadSettings();
  EXPECT_EQ(page->edDNSSuffixSearchOrder->Text(), "");
  EXPECT_FALSE(page->chkEnableLMHosts->Checked());
}

TEST_F(NetworkPageTest, ValuesLongerThanTheReadLimitArriveCutAndSurviveAnUnchangedSave) {
  const std::string longer(300, 'x'), limit(260, 'y');
  std::string exceptions;
  while (exceptions.size() < 300) exceptions += "host" + std::to_string(exceptions.size()) + ".example;";
  exceptions.resize(300);
  const std::string untouched = Ini({"[Unattended]", "OemPnPDriversPath=" + longer, ""});
  Load(untouched +
       Ini({"[Identification]", "JoinDomain=CORP", "MachineObjectOU=" + longer, "DomainAdmin=" + limit,
            "[NetProtocols]", "MS_TCPIP=params.MS_TCPIP", "[params.MS_TCPIP]", "DNSSuffixSearchOrder=" + longer,
            "[params.MS_TCPIP.Adapter1]", "DHCP=No", "IPAddress=" + longer, "[Proxy]",
            "Proxy_Override=\"" + exceptions + "\"", "HTTP_Proxy_Server=proxy:80", "[Display]", "BitsPerPel=32"}));
  EXPECT_EQ(page->edMachineObjectOU->Text(), longer.substr(0, 260));
  EXPECT_EQ(page->edDomainAdminLogin->Text(), limit);
  EXPECT_EQ(page->edDNSSuffixSearchOrder->Text(), longer.substr(0, 260));
  EXPECT_EQ(page->edIP->Text(), longer.substr(0, 260));
  EXPECT_EQ(page->edSkipProxy->Text(), exceptions.substr(0, 260));
  page->SaveSettings();
  EXPECT_EQ(Text().substr(0, untouched.size()), untouched);
  // Shown cut, but an unchanged box gives the whole value back.
  EXPECT_EQ(Value("Identification", "MachineObjectOU"), longer);
  EXPECT_EQ(Value("Identification", "DomainAdmin"), limit);
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "IPAddress"), longer);
  EXPECT_EQ(Value("params.MS_TCPIP.Adapter1", "DHCP"), "No");
  EXPECT_EQ(Value("Proxy", "Proxy_Override"), exceptions);
  EXPECT_EQ(Value("Proxy", "HTTP_Proxy_Server"), "proxy:80");
  EXPECT_EQ(Value("Display", "BitsPerPel"), "32");
}

}  // namespace
