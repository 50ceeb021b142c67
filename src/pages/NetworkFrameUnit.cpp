// The network page as a whole: its tabs, the load and save passes over all of
// them, the routines the tabs share, and the "Идентификация" tab with the
// workgroup or domain membership and the TCP/IP switch.

#include "pages/NetworkFrameUnit.h"

#include "sys/TextUtils.h"

#include "profile/Profile.h"

using namespace gui;

namespace {

const char kIdentification[] = "Identification";
const char kNetProtocols[] = "NetProtocols";
const char kNetworking[] = "Networking";
// The local administrator's password lives where setup reads it.
const char kGuiUnattended[] = "GuiUnattended";
const char kDefaultTcpipSection[] = "params.MS_TCPIP";

}  // namespace

bool YesNoToBool(const std::string& text) {
  std::string value = TrimBlanks(text);
  return SameLocaleText(value, "YES") || SameLocaleText(value, "1");
}

std::string BoolToYesNo(bool flag) { return flag ? "Yes" : "No"; }

void SetEditEnabled(Control* control, bool enabled) { control->SetEnabled(enabled); }

TNetWorkFrame::TNetWorkFrame(Control* owner) : TCommonSettingsFrame(owner, "NetWorkFrame") {}

void TNetWorkFrame::CreateControls() {
  pc_network = Add<PageControl>({.name = "pc_network", .align = Align::Client});
  tsDomain = pc_network->AddSheet("tsDomain", "Идентификация");
  TabSheet2 = pc_network->AddSheet("TabSheet2", "TCP/IP");
  tsTCPIPGlobal = pc_network->AddSheet("tsTCPIPGlobal", "TCP/IP Глобальные");
  tsTCPIPGlobal->SetHint("Параметры TCP/IP общие для всех адаптеров");
  tsProxy = pc_network->AddSheet("tsProxy", "Параметры IE");
  tsAdapters = pc_network->AddSheet("tsAdapters", "Адаптеры");
  DesignDomainTab();
  DesignTcpipTab();
  DesignGlobalTab();
  DesignProxyTab();
  DesignAdaptersTab();
  pc_network->SetActivePage(TabSheet2);
}

void TNetWorkFrame::DesignDomainTab() {
  constexpr int kBoxLeft = 150, kBoxWidth = 285;
  GroupBox1 = tsDomain->Add<GroupBox>({.name = "GroupBox1",
                                       .left = 8,
                                       .top = 2,
                                       .width = 427,
                                       .height = 40,
                                       .caption = "Присоединить компьютер к",
                                       .anchors = LeftTopRight});
  rbJoinWorkGroup = GroupBox1->Add<RadioButton>({.name = "rbJoinWorkGroup",
                                                 .left = 12,
                                                 .top = 17,
                                                 .width = 120,
                                                 .caption = "Рабочей группе",
                                                 .checked = true,
                                                 .onClick = [this] { rbJoinClick(); }});
  rbJoinDomain = GroupBox1->Add<RadioButton>(
      {.name = "rbJoinDomain", .left = 142, .top = 17, .width = 100, .caption = "Домену", .onClick = [this] {
         rbJoinClick();
       }});
  Label12 = tsDomain->Add<Label>({.name = "Label12", .left = 8, .top = 52, .caption = "MachineObjectOU"});
  edMachineObjectOU = tsDomain->Add<Edit>({.name = "edMachineObjectOU",
                                           .left = kBoxLeft,
                                           .top = 48,
                                           .width = kBoxWidth,
                                           .anchors = LeftTopRight,
                                           .onChange = [this] { ShowValueHints(); }});
  Label1 = tsDomain->Add<Label>({.name = "Label1", .left = 8, .top = 76, .caption = "Имя группы/домена"});
  edGroupDomainName = tsDomain->Add<Edit>({.name = "edGroupDomainName",
                                           .left = kBoxLeft,
                                           .top = 72,
                                           .width = kBoxWidth,
                                           .anchors = LeftTopRight,
                                           .onChange = [this] { ShowValueHints(); }});
  Label2 = tsDomain->Add<Label>({.name = "Label2", .left = 8, .top = 100, .caption = "Пароль админа (локал)"});
  edLocalAdminPassword = tsDomain->Add<Edit>({.name = "edLocalAdminPassword",
                                              .left = kBoxLeft,
                                              .top = 96,
                                              .width = kBoxWidth,
                                              .anchors = LeftTopRight,
                                              .passwordChar = '*',
                                              .onChange = [this] { ShowValueHints(); }});
  Label4 = tsDomain->Add<Label>({.name = "Label4", .left = 8, .top = 124, .caption = "Логин админа домена"});
  edDomainAdminLogin = tsDomain->Add<Edit>({.name = "edDomainAdminLogin",
                                            .left = kBoxLeft,
                                            .top = 120,
                                            .width = kBoxWidth,
                                            .anchors = LeftTopRight,
                                            .onChange = [this] { ShowValueHints(); }});
  Label3 = tsDomain->Add<Label>({.name = "Label3", .left = 8, .top = 148, .caption = "Пароль админа домена"});
  edDomainAdminPassword = tsDomain->Add<Edit>({.name = "edDomainAdminPassword",
                                               .left = kBoxLeft,
                                               .top = 144,
                                               .width = kBoxWidth,
                                               .anchors = LeftTopRight,
                                               .passwordChar = '*',
                                               .onChange = [this] { ShowValueHints(); }});
  chkUseTcpip = tsDomain->Add<CheckBox>(
      {.name = "chkUseTcpip", .left = 8, .top = 170, .width = 200, .caption = "Использовать TCP/IP", .onClick = [this] {
         chkUseTcpipClick();
       }});
}

std::string TNetWorkFrame::GetCaption() { return "Сеть"; }

void TNetWorkFrame::WriteOrDelete(const std::string& section, const std::string& key, const std::string& text) {
  if (text.empty())
    DeleteKey(section, key);
  else
    WriteValue(section, key, text);
}

void TNetWorkFrame::WriteOrDelete(const std::string& section, const std::string& key, const gui::Edit* box) {
  if (box->Text().empty())
    DeleteKey(section, key);
  else
    WriteValue(section, key, box);
}

void TNetWorkFrame::EnableDomainFields(bool enabled) {
  SetEditEnabled(edDomainAdminLogin, enabled);
  SetEditEnabled(edDomainAdminPassword, enabled);
  SetEditEnabled(edMachineObjectOU, enabled);
}

void TNetWorkFrame::EnableTcpipControls() {
  const bool on = chkUseTcpip->Checked();
  chkEnableLMHosts->SetEnabled(on);
  chkIPFiltering->SetEnabled(on);
  Label18->SetEnabled(on);
  SetEditEnabled(edDNSDomain, on);
  chkChangeDNSDomain->SetEnabled(on);
  Label19->SetEnabled(on);
  SetEditEnabled(edDNSSuffixSearchOrder, on);
  chkUseDomainNameDevolution->SetEnabled(on);
  SetEditEnabled(edIP, on);
  SetEditEnabled(edIPMask, on);
  SetEditEnabled(EdIPDefaultGatewey, on);
  SetEditEnabled(edDNSServers, on);
  SetEditEnabled(edWinsSrvers, on);
  chkDHCPEnable->SetEnabled(on);
  chkWINSEnable->SetEnabled(on);
  SetEditEnabled(cbTCPIPAdapters, on);
  SetEditEnabled(cbNetBiosOverTcpIP, on);
  // Fixed addresses mean nothing while DHCP hands them out.
  if (on) ApplyDhcpRule();
  ShowValueHints();
}

void TNetWorkFrame::FillAdapterList(ComboBox* combo) {
  combo->ClearItems();
  std::vector<std::string> names = profile::ReadKeys(WorkFileName, "NetAdapters");
  if (names.empty()) names.push_back("Adapter1");
  for (const std::string& name : names) combo->AddItem(name);
  if (combo->ItemIndex() < 0 && combo->ItemCount() > 0) combo->SetItemIndex(0);
}

void TNetWorkFrame::rbJoinClick() {
  EnableDomainFields(rbJoinDomain->Checked());
  ShowValueHints();
}

void TNetWorkFrame::ShowValueHints() {
  // Controls not made yet have nothing to mark; the load that follows their
  // making shows the marks.
  if (!HasControls()) return;
  const bool workgroup = rbJoinWorkGroup->Checked();
  MarkValue(edGroupDomainName, kIdentification, workgroup ? "JoinWorkgroup" : "JoinDomain",
            workgroup ? hints::WorkgroupName(edGroupDomainName->Text()) : "");
  MarkValue(edMachineObjectOU, kIdentification, "MachineObjectOU");
  MarkValue(edDomainAdminLogin, kIdentification, "DomainAdmin");
  MarkSecret(edDomainAdminPassword, kIdentification, "DomainAdminPassword");
  MarkSecret(edLocalAdminPassword, kGuiUnattended, "AdminPassword");

  hints::AdapterHints adapter;
  std::string suffix, suffixList;
  if (chkUseTcpip->Checked()) {
    const hints::AdapterValues shown{.dhcp = chkDHCPEnable->Checked(),
                                     .addresses = edIP->Text(),
                                     .masks = edIPMask->Text(),
                                     .gateways = EdIPDefaultGatewey->Text(),
                                     .dnsServers = edDNSServers->Text(),
                                     .winsServers = edWinsSrvers->Text()};
    adapter = hints::AdapterTcpip(shown, OtherFixedAddresses());
    suffix = hints::DnsSuffixList(edDNSDomain->Text());
    suffixList = hints::DnsSuffixList(edDNSSuffixSearchOrder->Text());
  }
  if (!chkUseTcpip->Checked()) {
    for (Edit* box :
         {edIP, edIPMask, EdIPDefaultGatewey, edDNSServers, edWinsSrvers, edDNSDomain, edDNSSuffixSearchOrder})
      box->SetWarning("");
    return;
  }
  const std::string section = AdapterTcpipSection();
  MarkValue(edIP, section, "IPAddress", adapter.addresses);
  MarkValue(edIPMask, section, "SubnetMask", adapter.masks);
  MarkValue(EdIPDefaultGatewey, section, "DefaultGateway", adapter.gateways);
  MarkValue(edDNSServers, section, "DNSServerSearchOrder", adapter.dnsServers);
  MarkValue(edWinsSrvers, section, "WINSServerList", adapter.winsServers);
  MarkValue(edDNSDomain, TcpipSection, "DNSDomain", suffix);
  MarkValue(edDNSSuffixSearchOrder, TcpipSection, "DNSSuffixSearchOrder", suffixList);
}

void TNetWorkFrame::chkUseTcpipClick() { EnableTcpipControls(); }

void TNetWorkFrame::LoadMembership() {
  std::string value, name;
  ReadValue(kIdentification, "JoinDomain", "", "", value);
  name = TrimBlanks(value);
  if (!name.empty()) {
    rbJoinDomain->SetChecked(true);
  } else {
    ReadValue(kIdentification, "JoinWorkgroup", "", "", value);
    name = TrimBlanks(value);
    rbJoinWorkGroup->SetChecked(true);
  }
  rbJoinClick();
  edGroupDomainName->SetText(name);

  ReadValue(kIdentification, "DomainAdmin", "", "", value);
  edDomainAdminLogin->SetText(value);
  ReadValue(kIdentification, "DomainAdminPassword", "", "", value);
  edDomainAdminPassword->SetText(value);
  ReadValue(kIdentification, "MachineObjectOU", "", "", value);
  edMachineObjectOU->SetText(value);
  ReadValue(kGuiUnattended, "AdminPassword", "", "", value);
  edLocalAdminPassword->SetText(value);
  shownAdminPassword_ = value;
}

void TNetWorkFrame::SaveMembership() {
  if (rbJoinDomain->Checked()) {
    DeleteKey(kIdentification, "JoinWorkgroup");
    WriteValue(kIdentification, "JoinDomain", edGroupDomainName);
    WriteOrDelete(kIdentification, "DomainAdmin", edDomainAdminLogin);
    WriteOrDelete(kIdentification, "DomainAdminPassword", edDomainAdminPassword);
    WriteOrDelete(kIdentification, "MachineObjectOU", edMachineObjectOU);
  } else if (rbJoinWorkGroup->Checked()) {
    DeleteKey(kIdentification, "JoinDomain");
    WriteValue(kIdentification, "JoinWorkgroup", edGroupDomainName);
  }
  // An untouched box leaves the password as it is stored, a hash included.
  // A typed one is plain text, so a "Yes" in EncryptedAdminPassword must go,
  // or setup would take the typed text for a hash and set a password nobody
  // knows.
  const std::string password = edLocalAdminPassword->Text();
  if (password == shownAdminPassword_ &&
      (!edLocalAdminPassword->Modified() || SetupReadsOtherwise(kGuiUnattended, "AdminPassword", password).empty()))
    return;
  WriteOrDelete(kGuiUnattended, "AdminPassword", edLocalAdminPassword);
  std::string encrypted;
  ReadValue(kGuiUnattended, "EncryptedAdminPassword", "", "", encrypted);
  if (YesNoToBool(encrypted)) WriteValue(kGuiUnattended, "EncryptedAdminPassword", "No");
  shownAdminPassword_ = password;
}

void TNetWorkFrame::LoadSettings() {
  TCommonSettingsFrame::LoadSettings();
  LoadAdapterTcpip("");
  LoadMembership();
  LoadBrowserSettings();

  ReadValue(kNetProtocols, "MS_TCPIP", "", "", TcpipSection);
  chkUseTcpip->SetChecked(!TcpipSection.empty());
  if (TcpipSection.empty()) ReadValue(kNetProtocols, "#MS_TCPIP", "", "", TcpipSection);

  cbAdapters->SetItemIndex(-1);
  FillAdapterList(cbAdapters);
  FillAdapterList(cbTCPIPAdapters);
  LoadAdapterEntry(cbAdapters->Text());

  if (!TcpipSection.empty()) LoadGlobalSwitches();
  LoadDnsSuffixes();
  if (!TcpipSection.empty()) MapAdapterSections();
  cbTCPIPAdaptersChange();
  EnableTcpipControls();
}

void TNetWorkFrame::SaveSettings() {
  TCommonSettingsFrame::SaveSettings();
  if (!IsSaveAllowed()) return;
  SaveMembership();
  SaveBrowserSettings();

  if (!chkUseTcpip->Checked()) {
    // The section name is parked rather than lost, so ticking the box again
    // finds the same parameters.
    WriteValue(kNetProtocols, "#MS_TCPIP", TcpipSection);
    DeleteKey(kNetProtocols, "MS_TCPIP");
    WriteValue(kNetworking, "InstallDefaultComponents", "Yes");
    return;
  }
  WriteValue(kNetworking, "InstallDefaultComponents", "No");
  std::string parked;
  ReadValue(kNetProtocols, "#MS_TCPIP", "", "", parked);
  if (!parked.empty()) {
    WriteValue(kNetProtocols, "MS_TCPIP", parked);
    DeleteKey(kNetProtocols, "#MS_TCPIP");
  }
  if (TcpipSection.empty()) TcpipSection = kDefaultTcpipSection;
  // Without an entry naming it, setup would never read the section written
  // below, and the next load would show TCP/IP switched off.
  std::string named;
  ReadValue(kNetProtocols, "MS_TCPIP", "", "", named);
  if (named.empty()) WriteValue(kNetProtocols, "MS_TCPIP", TcpipSection);

  SaveGlobalTcpip();
  cbTCPIPAdaptersEnter();
  SaveShownAdapterEntry();
}
