// AnswerCheck: the rules of the editor's pages run over a whole answer file.

#include "check/AnswerCheck.h"

#include "profile/Profile.h"
#include "setup/AdapterSections.h"
#include "setup/SetupSyntax.h"
#include "setup/ValueHints.h"
#include "sys/TextUtils.h"

#include <algorithm>
#include <optional>

namespace check {

bool IsSecretKey(const std::string& key) {
  return SameAsciiText(key, "DomainAdminPassword") || SameAsciiText(key, "AdminPassword");
}

namespace {

// The text and list keys the pages write, by section; the adapter and
// protocol sections are named by the file itself.
constexpr const char* kUserDataKeys[] = {"FullName", "OrgName", "ComputerName", "ProductKey"};
constexpr const char* kIdentificationKeys[] = {"JoinDomain", "JoinWorkgroup", "DomainAdmin", "DomainAdminPassword",
                                               "MachineObjectOU"};
constexpr const char* kAdapterListKeys[] = {"IPAddress", "SubnetMask", "DefaultGateway", "DNSServerSearchOrder",
                                            "WINSServerList"};
constexpr const char* kProtocolKeys[] = {"AdapterSections", "DNSDomain", "DNSSuffixSearchOrder"};
constexpr const char* kProxyKeys[] = {"HTTP_Proxy_Server", "Proxy_Override"};
const char kDefaultAdapterPrefix[] = "params.MS_TCPIP.";

// A hint is said in lines for a tooltip; the report has one line per finding.
std::string OneLine(std::string text) {
  std::replace(text.begin(), text.end(), '\n', ' ');
  return text;
}

bool YesNo(const std::string& text) {
  const std::string value = TrimBlanks(text);
  return SameLocaleText(value, "YES") || SameLocaleText(value, "1");
}

class Checker {
 public:
  explicit Checker(const std::string& file) : file_(file) {}

  std::optional<std::string> Stored(const std::string& section, const std::string& key) const {
    return profile::ReadStoredText(file_, section, key);
  }
  // The value as the editor's box shows it; `fallback` when the key is missing.
  std::string Shown(const std::string& section, const std::string& key, const std::string& fallback = "") const {
    const std::optional<std::string> stored = Stored(section, key);
    return stored ? inf::Shown(*stored, inf::KindOfKey(key)) : fallback;
  }

  void Add(Severity severity, const std::string& section, const std::string& key, const std::string& value,
           const std::string& reason) {
    if (reason.empty()) return;
    out_.findings.push_back({severity, section, key, value, OneLine(reason)});
  }

  void ReadsOtherwise(const std::string& section, const std::string& key) {
    const std::optional<std::string> stored = Stored(section, key);
    if (!stored) return;
    std::string reason = inf::ReadsOtherwise(*stored, inf::KindOfKey(key));
    if (!reason.empty() && IsSecretKey(key)) {
      // The reason quotes what setup would read: for a password, only why.
      const size_t quoteEnd = reason.rfind("»");
      reason = "Установка прочтёт пароль не так, как он записан" +
               (quoteEnd == std::string::npos ? std::string(".") : reason.substr(quoteEnd + std::string("»").size()));
    }
    Add(Severity::Error, section, key, *stored, reason);
  }

  void UserData() {
    for (const char* key : kUserDataKeys) ReadsOtherwise("UserData", key);
    const std::string fullName = Shown("UserData", "FullName");
    Add(Severity::Error, "UserData", "FullName", fullName, hints::FullName(fullName));

    const std::optional<std::string> stored = Stored("UserData", "ComputerName");
    const std::string name = TrimBlanks(Shown("UserData", "ComputerName"));
    out_.facts.computerName = name;
    if (!stored || name.empty()) {
      Add(Severity::Error, "UserData", "ComputerName", name,
          "Имя компьютера не задано: программа установки остановится и спросит его.");
    } else {
      const std::string hint = hints::ComputerName(name);
      // A long name still installs; only the network sees it cut.
      const bool onlyLong = name.size() > 15 && hints::ComputerName(name.substr(0, 15)).empty();
      Add(onlyLong ? Severity::Warning : Severity::Error, "UserData", "ComputerName", name, hint);
    }
    const std::string key = TrimBlanks(Shown("UserData", "ProductKey"));
    Add(Severity::Error, "UserData", "ProductKey", key, hints::ProductKey(key));
  }

  void Membership() {
    for (const char* key : kIdentificationKeys) ReadsOtherwise("Identification", key);
    ReadsOtherwise("GuiUnattended", "AdminPassword");
    const std::string domain = TrimBlanks(Shown("Identification", "JoinDomain"));
    if (!domain.empty()) {
      for (const char* key : {"DomainAdmin", "DomainAdminPassword"}) {
        if (TrimBlanks(Shown("Identification", key)).empty())
          Add(Severity::Error, "Identification", key, "",
              "Домен " + domain + " задан без " + key +
                  ": программа установки остановится и спросит учётную запись для входа в домен.");
      }
      return;
    }
    if (Stored("Identification", "JoinWorkgroup")) {
      const std::string workgroup = TrimBlanks(Shown("Identification", "JoinWorkgroup"));
      Add(Severity::Error, "Identification", "JoinWorkgroup", workgroup, hints::WorkgroupName(workgroup));
    }
  }

  // The adapter sections as the network page finds them: the sections the
  // protocol lists, and each adapter's section by the editor's default name.
  std::vector<std::string> AdapterSections(const std::string& protocol) const {
    std::vector<std::string> sections;
    const auto add = [&](const std::string& section) {
      if (section.empty()) return;
      if (std::none_of(sections.begin(), sections.end(),
                       [&](const std::string& s) { return SameLocaleText(s, section); }))
        sections.push_back(section);
    };
    for (const std::string& item : inf::ParseValue(Stored(protocol, "AdapterSections").value_or("")).fields)
      add(TrimBlanks(item));
    for (const std::string& adapter : profile::ReadKeys(file_, "NetAdapters")) {
      const std::string section = kDefaultAdapterPrefix + adapter;
      if (profile::SectionExists(file_, section)) add(section);
    }
    return sections;
  }

  void Tcpip() {
    const std::string protocol = TrimBlanks(Shown("NetProtocols", "MS_TCPIP"));
    if (!protocol.empty()) {
      for (const char* key : kProtocolKeys) ReadsOtherwise(protocol, key);
      const std::string domain = Shown(protocol, "DNSDomain");
      Add(Severity::Error, protocol, "DNSDomain", domain, hints::DnsSuffixList(domain));
      const std::string suffixes = Shown(protocol, "DNSSuffixSearchOrder");
      Add(Severity::Error, protocol, "DNSSuffixSearchOrder", suffixes, hints::DnsSuffixList(suffixes));

      struct Adapter {
        std::string section, name;
        hints::AdapterValues values;
      };
      std::vector<Adapter> adapters;
      for (const std::string& section : AdapterSections(protocol)) {
        Adapter a{section, TrimBlanks(Shown(section, "SpecificTo")), {}};
        if (a.name.empty()) a.name = section;
        a.values = {.dhcp = YesNo(Shown(section, "DHCP", "Yes")),
                    .addresses = Shown(section, "IPAddress"),
                    .masks = Shown(section, "SubnetMask"),
                    .gateways = Shown(section, "DefaultGateway"),
                    .dnsServers = Shown(section, "DNSServerSearchOrder"),
                    .winsServers = Shown(section, "WINSServerList")};
        adapters.push_back(std::move(a));
      }
      for (const Adapter& adapter : adapters) {
        for (const char* key : kAdapterListKeys) ReadsOtherwise(adapter.section, key);
        std::vector<hints::OtherAdapter> others;
        for (const Adapter& other : adapters)
          if (&other != &adapter && !other.values.dhcp) others.push_back({other.name, other.values.addresses});
        const hints::AdapterHints found = hints::AdapterTcpip(adapter.values, others);
        const hints::AdapterValues& v = adapter.values;
        Add(Severity::Error, adapter.section, "IPAddress", v.addresses, found.addresses);
        Add(Severity::Error, adapter.section, "SubnetMask", v.masks, found.masks);
        Add(Severity::Error, adapter.section, "DefaultGateway", v.gateways, found.gateways);
        Add(Severity::Error, adapter.section, "DNSServerSearchOrder", v.dnsServers, found.dnsServers);
        Add(Severity::Error, adapter.section, "WINSServerList", v.winsServers, found.winsServers);
        if (!v.dhcp) {
          for (const std::string& item : inf::ParseValue(Stored(adapter.section, "IPAddress").value_or("")).fields)
            if (!TrimBlanks(item).empty()) out_.facts.staticAddresses.emplace_back(adapter.section, TrimBlanks(item));
        }
      }
    }
    for (const UnappliedTcpipSection& s : UnappliedTcpipSections(file_))
      Add(Severity::Error, s.section, s.key, s.value, s.reason);

    for (const std::string& adapter : profile::ReadKeys(file_, "NetAdapters")) {
      const std::string section = TrimBlanks(Shown("NetAdapters", adapter));
      if (section.empty()) continue;
      const std::string mac = TrimBlanks(Shown(section, "NetCardAddress"));
      if (!mac.empty()) out_.facts.macAddresses.emplace_back(section, mac);
    }
  }

  void Proxy() {
    for (const char* key : kProxyKeys) ReadsOtherwise("Proxy", key);
  }

  AnswerCheck Take() { return std::move(out_); }

 private:
  std::string file_;
  AnswerCheck out_;
};

}  // namespace

AnswerCheck CheckAnswerFile(const std::string& file) {
  Checker checker(file);
  checker.UserData();
  checker.Membership();
  checker.Tcpip();
  checker.Proxy();
  AnswerCheck result = checker.Take();
  for (Finding& finding : result.findings)
    if (IsSecretKey(finding.key) && !finding.value.empty()) finding.value = "***";
  return result;
}

}  // namespace check
