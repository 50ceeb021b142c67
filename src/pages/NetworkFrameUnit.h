#pragma once
// NetworkFrameUnit: the network page: workgroup or domain membership, the
// TCP/IP switch, per-adapter and global TCP/IP, the browser proxy and the
// network adapter entries, on five tabs with one load and one save pass.

#include "dialog/CommonSettringFrame.h"
#include "gui/PageControl.h"
#include "setup/ValueHints.h"

#include <string>
#include <utility>
#include <vector>

// Answer-file truth: "YES" in any letter case or "1", blanks and control
// characters around it ignored.
[[nodiscard]] bool YesNoToBool(const std::string& text);
[[nodiscard]] std::string BoolToYesNo(bool flag);
// Enables an edit or combo box and greys it when disabled.
void SetEditEnabled(gui::Control* control, bool enabled);

class TNetWorkFrame : public TCommonSettingsFrame {
 public:
  explicit TNetWorkFrame(gui::Control* owner);

  [[nodiscard]] static std::string GetCaption();
  void LoadSettings() override;
  void SaveSettings() override;

  // The section of the TCP/IP parameters shared by all adapters, as
  // "NetProtocols" names it (parked under "#MS_TCPIP" while TCP/IP is off).
  std::string TcpipSection;

  gui::PageControl* pc_network = nullptr;
  gui::TabSheet* tsDomain = nullptr;
  gui::TabSheet* TabSheet2 = nullptr;
  gui::TabSheet* tsTCPIPGlobal = nullptr;
  gui::TabSheet* tsProxy = nullptr;
  gui::TabSheet* tsAdapters = nullptr;

  // "Идентификация"
  gui::GroupBox* GroupBox1 = nullptr;
  gui::RadioButton* rbJoinWorkGroup = nullptr;
  gui::RadioButton* rbJoinDomain = nullptr;
  gui::Label* Label12 = nullptr;
  gui::Edit* edMachineObjectOU = nullptr;
  gui::Label* Label1 = nullptr;
  gui::Edit* edGroupDomainName = nullptr;
  gui::Label* Label2 = nullptr;
  gui::Edit* edLocalAdminPassword = nullptr;
  gui::Label* Label4 = nullptr;
  gui::Edit* edDomainAdminLogin = nullptr;
  gui::Label* Label3 = nullptr;
  gui::Edit* edDomainAdminPassword = nullptr;
  gui::CheckBox* chkUseTcpip = nullptr;

  // "TCP/IP"
  gui::Label* Label7 = nullptr;
  gui::Edit* edIP = nullptr;
  gui::Label* Label8 = nullptr;
  gui::Edit* edIPMask = nullptr;
  gui::Label* Label9 = nullptr;
  gui::Edit* EdIPDefaultGatewey = nullptr;
  gui::Label* Label10 = nullptr;
  gui::Edit* edDNSServers = nullptr;
  gui::CheckBox* chkDHCPEnable = nullptr;
  gui::Label* Label11 = nullptr;
  gui::Edit* edWinsSrvers = nullptr;
  gui::Label* Label20 = nullptr;
  gui::ComboBox* cbTCPIPAdapters = nullptr;
  gui::CheckBox* chkWINSEnable = nullptr;
  gui::Label* Label21 = nullptr;
  gui::ComboBox* cbNetBiosOverTcpIP = nullptr;

  // "TCP/IP Глобальные"
  gui::CheckBox* chkEnableLMHosts = nullptr;
  gui::CheckBox* chkIPFiltering = nullptr;
  gui::Label* Label18 = nullptr;
  gui::Edit* edDNSDomain = nullptr;
  gui::CheckBox* chkChangeDNSDomain = nullptr;
  gui::Label* Label19 = nullptr;
  gui::Edit* edDNSSuffixSearchOrder = nullptr;
  gui::CheckBox* chkUseDomainNameDevolution = nullptr;

  // "Параметры IE"
  gui::CheckBox* chkEnableProxy = nullptr;
  gui::CheckBox* chkUseProxy = nullptr;
  gui::Label* Label5 = nullptr;
  gui::Edit* edHTTPProxyAddress = nullptr;
  gui::Label* Label6 = nullptr;
  gui::Edit* edHTTPProxyPort = nullptr;
  gui::CheckBox* chkUseSameProxy = nullptr;
  gui::CheckBox* chkSkipProxyForLocal = nullptr;
  gui::Label* Label13 = nullptr;
  gui::Edit* edSkipProxy = nullptr;

  // "Адаптеры"
  gui::Label* Label14 = nullptr;
  gui::ComboBox* cbAdapters = nullptr;
  gui::Label* Label15 = nullptr;
  gui::Edit* edInfId = nullptr;
  gui::Label* Label16 = nullptr;
  gui::Edit* edConnectionName = nullptr;
  gui::Label* Label17 = nullptr;
  gui::Edit* edMacAddres = nullptr;

  // Writes a non-empty text as it is and deletes the key for an empty one.
  void WriteOrDelete(const std::string& section, const std::string& key, const std::string& text);
  void WriteOrDelete(const std::string& section, const std::string& key, const gui::Edit* box);
  void EnableDomainFields(bool enabled);
  // Enables the TCP/IP controls of the page while TCP/IP is switched on.
  void EnableTcpipControls();
  // The key names of "NetAdapters" in file order, or "Adapter1" alone.
  void FillAdapterList(gui::ComboBox* combo);

  // Per-adapter TCP/IP: one adapter's section shown at a time.
  void LoadAdapterTcpip(const std::string& section);
  void SaveAdapterTcpip(const std::string& section);
  // Attaches the sections listed in "AdapterSections" to their adapters.
  void MapAdapterSections();
  // The section of the adapter shown: the one attached to the selected
  // entry, else the one named after the box's text.
  [[nodiscard]] std::string AdapterTcpipSection() const;
  // The section of an entry of the adapter list, shown or not.
  [[nodiscard]] std::string EntryTcpipSection(int index) const;

  // Network adapter entries of "NetAdapters".
  void LoadAdapterEntry(const std::string& name);
  void SaveAdapterEntry(const std::string& name);

  // Marks the boxes whose values setup would reject or that cannot work,
  // with the reason in their tooltips; the values stay as typed.
  void ShowValueHints();

  void rbJoinClick();
  void chkUseTcpipClick();
  void chkDHCPEnableClick();
  void cbTCPIPAdaptersChange();
  void cbTCPIPAdaptersEnter();
  void cbAdaptersEnter();
  void cbAdaptersChange();

 private:
  void DesignDomainTab();
  void DesignTcpipTab();
  void DesignGlobalTab();
  void DesignProxyTab();
  void DesignAdaptersTab();

  void LoadMembership();
  void SaveMembership();
  void LoadBrowserSettings();
  void SaveBrowserSettings();
  void LoadGlobalSwitches();
  void LoadDnsSuffixes();
  void SaveGlobalTcpip();
  void SaveShownAdapterEntry();
  void ApplyDhcpRule();
  // The fixed addresses of the adapters not shown, as the working copy has them.
  [[nodiscard]] std::vector<hints::OtherAdapter> OtherFixedAddresses();

  // Makes setup apply the adapter sections this page wrote (adapter entry
  // and section); those written before there was a protocol section wait
  // here for the save that makes one.
  void LinkWrittenAdapterSections();
  std::vector<std::pair<std::string, std::string>> writtenAdapterSections_;

  // The local administrator's password as the page last showed it.
  std::string shownAdminPassword_;
  // The proxy server's value and the address and port boxes it was shown in.
  struct ShownProxy {
    std::string value, address, port;
  } shownProxy_;

 protected:
  void CreateControls() override;
};
