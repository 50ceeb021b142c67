// AdapterSections: linking a per-adapter TCP/IP section where setup looks.

#include "setup/AdapterSections.h"

#include "profile/Profile.h"
#include "profile/ProfileEngine.h"
#include "setup/AnswerFile.h"
#include "setup/SetupSyntax.h"
#include "sys/TextUtils.h"

#include <algorithm>
#include <unordered_set>

void LinkAdapterSection(const std::string& tcpipSection, const std::string& adapterSection,
                        const std::string& adapter) {
  const std::string section = TrimBlanks(adapterSection);
  if (TrimBlanks(tcpipSection).empty() || section.empty()) return;

  std::string list;
  ReadProfileValue(tcpipSection, "AdapterSections", "", "", list);
  const std::optional<std::string> stored = profile::ReadStoredText(WorkFileName, tcpipSection, "AdapterSections");
  const auto items = inf::ParseValue(stored.value_or("")).fields;
  const bool listed =
      std::any_of(items.begin(), items.end(), [&](const std::string& item) { return SameLocaleText(item, section); });
  if (!listed) {
    const std::string kept = TrimBlanks(list);
    WriteProfileValue(tcpipSection, "AdapterSections", kept.empty() ? section : kept + "," + section);
  }

  std::string linked;
  ReadProfileValue(section, "SpecificTo", "", "", linked);
  if (!TrimBlanks(linked).empty() || TrimBlanks(adapter).empty()) return;
  if (profile::ReadStoredText(WorkFileName, "NetAdapters", adapter)) WriteProfileValue(section, "SpecificTo", adapter);
}

namespace {

// Keys only an adapter's TCP/IP section holds; the protocol's own section
// holds none of them.
constexpr const char* kAdapterTcpipKeys[] = {"SpecificTo", "DHCP",           "IPAddress",
                                             "SubnetMask", "DefaultGateway", "DNSServerSearchOrder",
                                             "WINS",       "WINSServerList", "NetBIOSOptions"};

std::string ShownText(const std::string& file, const std::string& section, const std::string& key) {
  const std::optional<std::string> stored = profile::ReadStoredText(file, section, key);
  return stored ? TrimBlanks(inf::Shown(*stored, inf::KindOfKey(key))) : std::string();
}

bool Among(const std::vector<std::string>& names, const std::string& name) {
  return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameLocaleText(n, name); });
}

}  // namespace

std::vector<UnappliedTcpipSection> UnappliedTcpipSections(const std::string& file) {
  std::vector<UnappliedTcpipSection> found;
  const std::string protocol = ShownText(file, "NetProtocols", "MS_TCPIP");
  std::vector<std::string> listed;
  if (!protocol.empty()) {
    for (const std::string& item :
         inf::ParseValue(profile::ReadStoredText(file, protocol, "AdapterSections").value_or("")).fields)
      if (!TrimBlanks(item).empty()) listed.push_back(TrimBlanks(item));
  }
  // A [NetAdapters] the size of a real file's fits; the editor reads no more.
  const std::vector<std::string> adapters = profile::ReadKeys(file, "NetAdapters");

  const std::string listName =
      "[" + (protocol.empty() ? std::string("params.MS_TCPIP") : protocol) + "] AdapterSections";
  // Every section of the file is looked at: asked of the parsed text at
  // once rather than key by key through the profile functions, and matched
  // by the folded names reads match by, since a locale comparison for each
  // of a thousand sections was the whole cost of a check.
  std::unordered_set<std::string> skipped{profile::Fold(protocol)}, defaultNames;
  for (const std::string& section : listed) skipped.insert(profile::Fold(section));
  for (const std::string& adapter : adapters) defaultNames.insert(profile::Fold("params.MS_TCPIP." + adapter));
  const auto document = profile::LoadProfile(file);
  const std::vector<profile::ProfileDocument::Section> none;
  for (const auto& s : document ? document->Sections() : none) {
    if (!s.hasHeader || s.name.empty()) continue;
    // A read reaches only the first section of a name; a second one is
    // neither applied nor worth a second finding.
    if (document->FindSection(s.name) != &s) continue;
    const std::string folded = profile::Fold(s.name);
    if (skipped.count(folded)) continue;
    // A section of the adapter's name that holds nothing loses nothing.
    const auto& entries = document->Entries(s);
    bool adapterKeys = defaultNames.count(folded) && std::any_of(entries.begin(), entries.end(), [](const auto& e) {
                         return e.hasValue && !e.comment && !e.name.empty();
                       });
    for (const char* key : kAdapterTcpipKeys) {
      const auto* entry = document->FindEntry(s, key);
      adapterKeys = adapterKeys || (entry && entry->hasValue);
    }
    if (!adapterKeys) continue;
    found.push_back({s.name, "", "",
                     protocol.empty() ? "Раздел TCP/IP адаптера, но [NetProtocols] MS_TCPIP не называет раздел "
                                        "протокола: программа установки его не применит."
                                      : "Раздел TCP/IP адаптера не указан в " + listName +
                                            ": программа установки его не применит."});
  }

  for (const std::string& section : listed) {
    const std::string adapter = ShownText(file, section, "SpecificTo");
    if (adapter.empty()) {
      if (adapters.size() > 1)
        found.push_back({section, "SpecificTo", "",
                         "Нет SpecificTo, а адаптеров в [NetAdapters] несколько: неизвестно, к какому из них "
                         "программа установки применит раздел."});
    } else if (!Among(adapters, adapter)) {
      found.push_back({section, "SpecificTo", adapter,
                       "SpecificTo не называет ни один адаптер [NetAdapters]: раздел не применится ни к одному."});
    }
  }
  return found;
}
