// UDBCheck: the UDB file's own faults.

#include "check/UDBCheck.h"

#include "profile/Profile.h"
#include "setup/UDBMerge.h"
#include "sys/TextUtils.h"

#include <windows.h>

#include <set>

namespace check {
namespace {

// Real UDB files hold thousands of computers; the default list size of the
// profile functions would cut them.
constexpr size_t kWholeList = size_t{1} << 30;
const char kIds[] = "UniqueIds";

}  // namespace

std::string FoldedName(const std::string& name) {
  std::string folded = TrimBlanks(name);
  if (!folded.empty()) CharUpperBuffA(folded.data(), static_cast<DWORD>(folded.size()));
  return folded;
}

std::vector<std::string> ComputerIds(const std::string& udbFile) {
  std::vector<std::string> ids;
  std::set<std::string> seen;
  for (const std::string& id : profile::ReadKeys(udbFile, kIds, kWholeList))
    if (seen.insert(FoldedName(id)).second) ids.push_back(id);
  return ids;
}

std::vector<Finding> CheckUDBFile(const std::string& udbFile) {
  std::vector<Finding> found;
  // Folded "id:section" of every section some identifier's list names.
  std::set<std::string> named, ids;
  for (const std::string& id : profile::ReadKeys(udbFile, kIds, kWholeList)) {
    if (const std::string problem = UDBIdentifierProblem(id); !problem.empty())
      found.push_back({Severity::Error, kIds, id, "", problem});
    if (!ids.insert(FoldedName(id)).second) {
      found.push_back({Severity::Error, kIds, id, "",
                       "Идентификатор указан в [UniqueIds] второй раз: программа установки и редактор возьмут "
                       "только первую строку."});
      continue;
    }
    const std::string list = profile::ReadStoredText(udbFile, kIds, id).value_or("");
    if (HasEditorSection(list)) named.insert(FoldedName(id + ":" + kEditorMarker));
    ForEachListedSection(profile::ReadString(udbFile, kIds, id, "", 2048), [&](const std::string& section) {
      named.insert(FoldedName(id + ":" + section));
      if (!profile::SectionExists(udbFile, id + ":" + section))
        found.push_back({Severity::Warning, kIds, id, section,
                         "Раздел [" + id + ":" + section + "] указан для компьютера, но в файле его нет."});
    });
  }

  for (const std::string& section : profile::ReadSectionNames(udbFile, kWholeList)) {
    const size_t colon = section.find(':');
    if (colon == std::string::npos) continue;
    if (!named.count(FoldedName(section)))
      found.push_back({Severity::Warning, section, "", "",
                       "Раздел не указан ни в одном списке [UniqueIds]: его значения не попадут ни к одному "
                       "компьютеру (опечатка в имени?)."});
    if (!SameAsciiText(TrimBlanks(section.substr(colon + 1)), kEditorMarker)) continue;
    for (const std::string& key : profile::ReadKeys(udbFile, section, kWholeList)) {
      const std::string upper = AsciiUpper(TrimBlanks(key));
      const bool description = upper.rfind("DESCRIPTION", 0) == 0;
      if (!description && upper.rfind("RUNONEXIT", 0) != 0) continue;
      if (!TrimBlanks(profile::ReadStoredText(udbFile, section, key).value_or("")).empty()) continue;
      found.push_back({Severity::Warning, section, key, "",
                       description ? "Пустая строка описания: редактор покажет пустую строку."
                                   : "Пустая команда: после сохранения редактору нечего запускать."});
    }
  }
  return found;
}

}  // namespace check
