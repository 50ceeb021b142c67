// The network page's "TCP/IP Глобальные" tab (the TCP/IP parameters shared by
// all adapters, in the section "NetProtocols" names) and "Параметры IE" tab
// (the browser proxy of "Branding" and "Proxy").

#include "pages/NetworkFrameUnit.h"

using namespace gui;

namespace {

const char kProxy[] = "Proxy";
const char kLocal[] = "<local>";

}  // namespace

void TNetWorkFrame::DesignGlobalTab() {
  chkEnableLMHosts = tsTCPIPGlobal->Add<CheckBox>({.name = "chkEnableLMHosts",
                                                   .left = 8,
                                                   .top = 6,
                                                   .width = 250,
                                                   .caption = "Разрешить LMHosts",
                                                   .hint = "Specifies whether this computer uses LMHosts lookup.",
                                                   .checked = true});
  chkIPFiltering = tsTCPIPGlobal->Add<CheckBox>(
      {.name = "chkIPFiltering", .left = 8, .top = 28, .width = 250, .caption = "Разрешить IP-фильтрацию "});
  Label18 = tsTCPIPGlobal->Add<Label>({.name = "Label18", .left = 8, .top = 52, .caption = "Основной DNS-суффикс"});
  edDNSDomain =
      tsTCPIPGlobal->Add<Edit>({.name = "edDNSDomain",
                                .left = 8,
                                .top = 68,
                                .width = 427,
                                .anchors = LeftTopRight,
                                .hint = "DNSDomain: the primary DNS suffix of this computer, e.g. corp.example.\n"
                                        "Чтобы он не сменился при входе в домен, снимите флажок "
                                        "\"Менять основной DNS суффикс при смене домена\".",
                                .onChange = [this] { ShowValueHints(); }});
  chkChangeDNSDomain = tsTCPIPGlobal->Add<CheckBox>(
      {.name = "chkChangeDNSDomain",
       .left = 8,
       .top = 94,
       .width = 330,
       .caption = "Менять основной DNS суффикс при смене домена",
       .hint = "SyncDomainWithMembership: Yes - the primary DNS suffix becomes the name of\n"
               "the domain the computer joins; No - the DNSDomain given here is kept."});
  Label19 = tsTCPIPGlobal->Add<Label>(
      {.name = "Label19", .left = 8, .top = 118, .caption = "Порядок поиска DNS-суффиксов (через запятую)"});
  edDNSSuffixSearchOrder =
      tsTCPIPGlobal->Add<Edit>({.name = "edDNSSuffixSearchOrder",
                                .left = 8,
                                .top = 134,
                                .width = 427,
                                .anchors = LeftTopRight,
                                .hint = "DNSSuffixSearchOrder: the DNS suffixes appended to names that are not fully\n"
                                        "qualified, tried in the order given and separated by commas,\n"
                                        "e.g. corp.example,branch.corp.example,example.com.",
                                .onChange = [this] { ShowValueHints(); }});
  chkUseDomainNameDevolution = tsTCPIPGlobal->Add<CheckBox>(
      {.name = "chkUseDomainNameDevolution",
       .left = 8,
       .top = 160,
       .width = 250,
       .caption = "UseDomainNameDevolution",
       .hint = "UseDomainNameDevolution: Yes - a short name is also tried with the parent\n"
               "domains of the primary DNS suffix (for sales.corp.example: corp.example);\n"
               "No - only the suffixes themselves are used.",
       .checked = true});
}

void TNetWorkFrame::DesignProxyTab() {
  chkEnableProxy = tsProxy->Add<CheckBox>({.name = "chkEnableProxy",
                                           .left = 305,
                                           .top = 6,
                                           .width = 130,
                                           .caption = "Прокси разрешен",
                                           .anchors = TopRight});
  chkUseProxy = tsProxy->Add<CheckBox>(
      {.name = "chkUseProxy", .left = 8, .top = 6, .width = 150, .caption = "использовать прокси"});
  Label5 = tsProxy->Add<Label>({.name = "Label5", .left = 8, .top = 32, .caption = "Адрес прокси HTTP"});
  edHTTPProxyAddress =
      tsProxy->Add<Edit>({.name = "edHTTPProxyAddress", .left = 8, .top = 48, .width = 349, .anchors = LeftTopRight});
  Label6 = tsProxy->Add<Label>({.name = "Label6", .left = 365, .top = 32, .caption = "Порт", .anchors = TopRight});
  edHTTPProxyPort =
      tsProxy->Add<Edit>({.name = "edHTTPProxyPort", .left = 365, .top = 48, .width = 70, .anchors = TopRight});
  chkUseSameProxy = tsProxy->Add<CheckBox>(
      {.name = "chkUseSameProxy", .left = 8, .top = 76, .width = 330, .caption = "Один прокси для всех протоколов"});
  chkSkipProxyForLocal = tsProxy->Add<CheckBox>({.name = "chkSkipProxyForLocal",
                                                 .left = 8,
                                                 .top = 98,
                                                 .width = 330,
                                                 .caption = "Не использовать прокси для локальных адресов"});
  // The caption is wider than the page in the dialog: it wraps onto a second line.
  Label13 = tsProxy->Add<Label>({.name = "Label13",
                                 .left = 8,
                                 .top = 120,
                                 .width = 427,
                                 .height = 28,
                                 .caption = "Неиспользовать прокси для следующих адресов (; - разделитель)",
                                 .anchors = LeftTopRight,
                                 .autoSize = false});
  edSkipProxy =
      tsProxy->Add<Edit>({.name = "edSkipProxy", .left = 8, .top = 150, .width = 427, .anchors = LeftTopRight});
}

void TNetWorkFrame::LoadBrowserSettings() {
  std::string value;
  ReadValue("Branding", "BrandIEUsingUnattended", "Yes", "", value);
  chkUseProxy->SetChecked(YesNoToBool(value));
  ReadValue(kProxy, "Proxy_Enable", "0", "", value);
  chkEnableProxy->SetChecked(YesNoToBool(value));

  // The port follows the last ":" when what follows it is a port (digits, or
  // nothing), so a scheme ("http://host:80") stays with the address; any
  // other value ("http://host", "[fe80::1]") is all address.
  ReadValue(kProxy, "HTTP_Proxy_Server", "", "", value);
  const size_t colon = value.rfind(':');
  const bool hasPort =
      colon != std::string::npos && value.find_first_not_of("0123456789", colon + 1) == std::string::npos;
  edHTTPProxyAddress->SetText(hasPort ? value.substr(0, colon) : value);
  edHTTPProxyPort->SetText(hasPort ? value.substr(colon + 1) : "");
  shownProxy_ = {value, edHTTPProxyAddress->Text(), edHTTPProxyPort->Text()};

  ReadValue(kProxy, "Use_Same_Proxy", "1", "", value);
  chkUseSameProxy->SetChecked(YesNoToBool(value));

  ReadValue(kProxy, "Proxy_Override", "", "", value);
  size_t local = value.find(kLocal);
  chkSkipProxyForLocal->SetChecked(local != std::string::npos);
  if (local != std::string::npos) value.erase(local, sizeof(kLocal) - 1);
  edSkipProxy->SetText(value);
}

void TNetWorkFrame::SaveBrowserSettings() {
  WriteValue("Branding", "BrandIEUsingUnattended", BoolToYesNo(chkUseProxy->Checked()));
  WriteValue(kProxy, "Proxy_Enable", chkEnableProxy->Checked() ? "1" : "0");

  // Boxes left as they showed a value give it back as it was read, an empty
  // port after ":" included.
  std::string address = edHTTPProxyAddress->Text(), port = edHTTPProxyPort->Text();
  if (address != shownProxy_.address || port != shownProxy_.port || shownProxy_.value.empty())
    shownProxy_ = {port.empty() && !address.empty() ? address : address + ":" + port, address, port};
  WriteValue(kProxy, "HTTP_Proxy_Server", shownProxy_.value);

  WriteValue(kProxy, "Use_Same_Proxy", chkUseSameProxy->Checked() ? "1" : "0");

  std::string exceptions = edSkipProxy->Text();
  if (chkSkipProxyForLocal->Checked()) {
    if (!exceptions.empty() && exceptions.back() != ';') exceptions += ';';
    exceptions += kLocal;
  }
  WriteValue(kProxy, "Proxy_Override", exceptions);
}

void TNetWorkFrame::LoadGlobalSwitches() {
  std::string value;
  ReadValue(TcpipSection, "EnableLMHosts", "Yes", "", value);
  chkEnableLMHosts->SetChecked(YesNoToBool(value));
  ReadValue(TcpipSection, "EnableSecurity", "No", "", value);
  chkIPFiltering->SetChecked(YesNoToBool(value));
  ReadValue(TcpipSection, "SyncDomainWithMembership", "Yes", "", value);
  chkChangeDNSDomain->SetChecked(YesNoToBool(value));
  // Setup devolves names unless told not to; reading an absent key as "No"
  // would switch devolution off at the first save of an untouched page.
  ReadValue(TcpipSection, "UseDomainNameDevolution", "Yes", "", value);
  chkUseDomainNameDevolution->SetChecked(YesNoToBool(value));
}

void TNetWorkFrame::LoadDnsSuffixes() {
  std::string value;
  if (!TcpipSection.empty()) ReadValue(TcpipSection, "DNSDomain", "", "", value);
  edDNSDomain->SetText(value);
  value.clear();
  if (!TcpipSection.empty()) ReadValue(TcpipSection, "DNSSuffixSearchOrder", "", "", value);
  edDNSSuffixSearchOrder->SetText(value);
}

void TNetWorkFrame::SaveGlobalTcpip() {
  WriteValue(TcpipSection, "EnableLMHosts", BoolToYesNo(chkEnableLMHosts->Checked()));
  WriteValue(TcpipSection, "EnableSecurity", BoolToYesNo(chkIPFiltering->Checked()));
  WriteValue(TcpipSection, "SyncDomainWithMembership", BoolToYesNo(chkChangeDNSDomain->Checked()));
  WriteValue(TcpipSection, "UseDomainNameDevolution", BoolToYesNo(chkUseDomainNameDevolution->Checked()));
  WriteOrDelete(TcpipSection, "DNSDomain", edDNSDomain);
  // Stored as typed: the list is setup's to split.
  WriteOrDelete(TcpipSection, "DNSSuffixSearchOrder", edDNSSuffixSearchOrder);
}
