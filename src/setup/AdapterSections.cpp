// AdapterSections: linking a per-adapter TCP/IP section where setup looks.

#include "setup/AdapterSections.h"

#include "profile/Profile.h"
#include "setup/AnswerFile.h"
#include "setup/SetupSyntax.h"
#include "sys/TextUtils.h"

#include <algorithm>

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
