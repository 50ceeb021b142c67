// The network page's "TCP/IP" tab: one adapter's TCP/IP section at a time,
// written back when the adapter box is entered and read when another adapter
// is chosen.

#include "pages/NetworkFrameUnit.h"

#include "setup/AdapterSections.h"
#include "sys/TextUtils.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

using namespace gui;

namespace {

const char kAdapterSectionPrefix[] = "params.MS_TCPIP.";

// A decimal number with an optional sign making up the whole text; anything
// else (a number too big for an int included) counts as 0.
int ToIntOrZero(const std::string& text) {
  if (text.empty()) return 0;
  size_t i = text[0] == '+' || text[0] == '-' ? 1 : 0;
  if (i == text.size()) return 0;
  for (size_t k = i; k < text.size(); ++k)
    if (text[k] < '0' || text[k] > '9') return 0;
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE || value < INT_MIN || value > INT_MAX) return 0;
  return static_cast<int>(value);
}

}  // namespace

void TNetWorkFrame::DesignTcpipTab() {
  constexpr int kBoxLeft = 110, kBoxWidth = 325;
  Label7 = TabSheet2->Add<Label>({.name = "Label7", .left = 8, .top = 8, .caption = "IP-адрес"});
  edIP = TabSheet2->Add<Edit>({.name = "edIP",
                               .left = kBoxLeft,
                               .top = 4,
                               .width = kBoxWidth,
                               .anchors = LeftTopRight,
                               .hint = "IPAddress: the adapter's fixed address, or several separated by commas,\n"
                                       "e.g. 10.1.2.30 or 10.1.2.30,10.1.2.31.\n"
                                       "Used only with DHCP = No; every address needs its own subnet mask.",
                               .onChange = [this] { ShowValueHints(); }});
  Label8 = TabSheet2->Add<Label>({.name = "Label8", .left = 8, .top = 32, .caption = "Маска"});
  edIPMask = TabSheet2->Add<Edit>({.name = "edIPMask",
                                   .left = kBoxLeft,
                                   .top = 28,
                                   .width = kBoxWidth,
                                   .anchors = LeftTopRight,
                                   .hint = "SubnetMask: one mask per IP address, separated by commas and in the\n"
                                           "order of the addresses, e.g. 255.255.255.0.\n"
                                           "Used only with DHCP = No.",
                                   .onChange = [this] { ShowValueHints(); }});
  Label9 = TabSheet2->Add<Label>({.name = "Label9", .left = 8, .top = 56, .caption = "Шлюз(ы)"});
  EdIPDefaultGatewey = TabSheet2->Add<Edit>({.name = "EdIPDefaultGatewey",
                                             .left = kBoxLeft,
                                             .top = 52,
                                             .width = kBoxWidth,
                                             .anchors = LeftTopRight,
                                             .hint = "Список шлюзов (разделенный запятыми)",
                                             .onChange = [this] { ShowValueHints(); }});
  Label10 = TabSheet2->Add<Label>({.name = "Label10", .left = 8, .top = 80, .caption = "DNS-сервер(-а)"});
  edDNSServers = TabSheet2->Add<Edit>({.name = "edDNSServers",
                                       .left = kBoxLeft,
                                       .top = 76,
                                       .width = kBoxWidth,
                                       .anchors = LeftTopRight,
                                       .hint = "Список DNS-серверов (через запятую)",
                                       .onChange = [this] { ShowValueHints(); }});
  chkDHCPEnable =
      TabSheet2->Add<CheckBox>({.name = "chkDHCPEnable",
                                .left = kBoxLeft,
                                .top = 100,
                                .width = 150,
                                .caption = "DHCP -разрешен",
                                .hint = "DHCP: Yes (the default) - the adapter takes its address, mask and gateway\n"
                                        "from a DHCP server; No - IPAddress, SubnetMask and DefaultGateway are used.",
                                .onClick = [this] { chkDHCPEnableClick(); }});
  Label11 = TabSheet2->Add<Label>({.name = "Label11", .left = 8, .top = 124, .caption = "WINS -сервер(-а)"});
  edWinsSrvers = TabSheet2->Add<Edit>({.name = "edWinsSrvers",
                                       .left = kBoxLeft,
                                       .top = 120,
                                       .width = kBoxWidth,
                                       .anchors = LeftTopRight,
                                       .hint = "Список WINS-серверов (через запятую)\n"
                                               "WINSServerList: WINS server addresses, primary first, separated by\n"
                                               "commas, e.g. 10.1.2.7,10.1.2.8. Used with WINS = Yes.",
                                       .onChange = [this] { ShowValueHints(); }});
  Label20 = TabSheet2->Add<Label>({.name = "Label20", .left = 8, .top = 148, .caption = "Адаптер"});
  cbTCPIPAdapters = TabSheet2->Add<ComboBox>({.name = "cbTCPIPAdapters",
                                              .left = kBoxLeft,
                                              .top = 144,
                                              .width = 200,
                                              .anchors = LeftTopRight,
                                              .style = ComboStyle::DropDown,
                                              .onChange = [this] { cbTCPIPAdaptersChange(); },
                                              .onEnter = [this] { cbTCPIPAdaptersEnter(); }});
  chkWINSEnable =
      TabSheet2->Add<CheckBox>({.name = "chkWINSEnable",
                                .left = 320,
                                .top = 146,
                                .width = 115,
                                .caption = "WINS разрешен",
                                .anchors = TopRight,
                                .hint = "WINS: Yes - names are also resolved by the servers of WINSServerList;\n"
                                        "No (the default) - WINS is not used."});
  Label21 = TabSheet2->Add<Label>({.name = "Label21", .left = 8, .top = 172, .caption = "NetBIOS через TCP/IP"});
  cbNetBiosOverTcpIP = TabSheet2->Add<ComboBox>({.name = "cbNetBiosOverTcpIP",
                                                 .left = kBoxLeft + 40,
                                                 .top = 168,
                                                 .width = 205,
                                                 .style = ComboStyle::DropDownList,
                                                 .items = {"Исп. настройки DHCP-сервера", "Разрешить", "Запретить"}});
}

std::string TNetWorkFrame::AdapterTcpipSection() const {
  int index = cbTCPIPAdapters->ItemIndex();
  if (index >= 0 && index < cbTCPIPAdapters->ItemCount()) return EntryTcpipSection(index);
  return kAdapterSectionPrefix + cbTCPIPAdapters->Text();
}

std::string TNetWorkFrame::EntryTcpipSection(int index) const {
  const std::string& attached = cbTCPIPAdapters->ItemData(index);
  return attached.empty() ? kAdapterSectionPrefix + cbTCPIPAdapters->ItemText(index) : attached;
}

void TNetWorkFrame::ApplyDhcpRule() {
  const bool fixed = !chkDHCPEnable->Checked();
  SetEditEnabled(edIP, fixed);
  SetEditEnabled(EdIPDefaultGatewey, fixed);
  SetEditEnabled(edIPMask, fixed);
}

void TNetWorkFrame::LoadAdapterTcpip(const std::string& section) {
  if (section.empty()) {
    for (Edit* box : {edIP, edIPMask, EdIPDefaultGatewey, edDNSServers, edWinsSrvers}) box->SetText("");
    return;
  }
  std::string value;
  ReadValue(section, "IPAddress", "", "", value);
  edIP->SetText(value);
  ReadValue(section, "SubnetMask", "", "", value);
  edIPMask->SetText(value);
  ReadValue(section, "DefaultGateway", "", "", value);
  EdIPDefaultGatewey->SetText(value);
  ReadValue(section, "DNSServerSearchOrder", "", "", value);
  edDNSServers->SetText(value);
  ReadValue(section, "WINSServerList", "", "", value);
  edWinsSrvers->SetText(value);
  ReadValue(section, "DHCP", "Yes", "", value);
  chkDHCPEnable->SetChecked(YesNoToBool(value));
  ApplyDhcpRule();
  ReadValue(section, "WINS", "No", "", value);
  chkWINSEnable->SetChecked(YesNoToBool(value));
  // A value outside the list selects nothing, and the save then keeps it.
  ReadValue(section, "NetBIOSOptions", "0", "", value);
  cbNetBiosOverTcpIP->SetItemIndex(ToIntOrZero(value));
  ShowValueHints();
}

void TNetWorkFrame::SaveAdapterTcpip(const std::string& section) {
  WriteOrDelete(section, "IPAddress", edIP);
  WriteOrDelete(section, "SubnetMask", edIPMask);
  WriteOrDelete(section, "DefaultGateway", EdIPDefaultGatewey);
  WriteOrDelete(section, "DNSServerSearchOrder", edDNSServers);
  WriteOrDelete(section, "WINSServerList", edWinsSrvers);
  WriteValue(section, "DHCP", BoolToYesNo(chkDHCPEnable->Checked()));
  WriteValue(section, "WINS", BoolToYesNo(chkWINSEnable->Checked()));
  if (int index = cbNetBiosOverTcpIP->ItemIndex(); index >= 0)
    WriteValue(section, "NetBIOSOptions", std::to_string(index));
}

void TNetWorkFrame::MapAdapterSections() {
  if (TcpipSection.empty()) return;
  std::string list, section, adapter;
  ReadValue(TcpipSection, "AdapterSections", "", "", list);
  list = TrimBlanks(list);
  while (!list.empty()) {
    NextToken(list, ",", section);
    // An empty item would name the lines before the first section header.
    if (section.empty()) continue;
    // Setup links a section to its adapter by "SpecificTo"; files that only
    // repeat "AdapterSections" in the adapter's section are read as well.
    ReadValue(section, "SpecificTo", "", "", adapter);
    if (adapter.empty()) ReadValue(section, "AdapterSections", "", "", adapter);
    if (adapter.empty()) continue;
    if (int index = cbTCPIPAdapters->IndexOf(adapter); index >= 0) cbTCPIPAdapters->SetItemData(index, section);
  }
}

std::vector<hints::OtherAdapter> TNetWorkFrame::OtherFixedAddresses() {
  // The adapters not shown keep their values in the working copy: switching
  // adapters writes the shown one there first.
  std::vector<hints::OtherAdapter> others;
  const std::string shownSection = AdapterTcpipSection();
  for (int i = 0; i < cbTCPIPAdapters->ItemCount(); ++i) {
    const std::string section = EntryTcpipSection(i);
    if (SameLocaleText(section, shownSection)) continue;
    std::string dhcp, addresses;
    ReadValue(section, "DHCP", "Yes", "", dhcp);
    if (YesNoToBool(dhcp)) continue;
    ReadValue(section, "IPAddress", "", "", addresses);
    others.push_back({cbTCPIPAdapters->ItemText(i), addresses});
  }
  return others;
}

void TNetWorkFrame::cbTCPIPAdaptersChange() {
  if (cbTCPIPAdapters->ItemIndex() >= 0) LoadAdapterTcpip(AdapterTcpipSection());
}

void TNetWorkFrame::cbTCPIPAdaptersEnter() {
  const std::string section = AdapterTcpipSection();
  SaveAdapterTcpip(section);
  // Only an adapter of the list gets a section setup applies: a name typed
  // into the box is no adapter of the machine, and its section, listed
  // without SpecificTo, would apply to every adapter there is.
  if (cbTCPIPAdapters->ItemIndex() < 0) return;
  writtenAdapterSections_.emplace_back(cbTCPIPAdapters->Text(), section);
  LinkWrittenAdapterSections();
}

void TNetWorkFrame::LinkWrittenAdapterSections() {
  if (TcpipSection.empty()) return;
  for (const auto& [adapter, section] : writtenAdapterSections_) LinkAdapterSection(TcpipSection, section, adapter);
  writtenAdapterSections_.clear();
}

void TNetWorkFrame::chkDHCPEnableClick() {
  ApplyDhcpRule();
  ShowValueHints();
}
