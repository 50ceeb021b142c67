// UDBMerge: section-list walk, the selection step, the two merges and the
// retirement of a UDB file.

#include "setup/UDBMerge.h"

#include "profile/Profile.h"
#include "setup/AnswerFile.h"
#include "sys/TextUtils.h"

#include <windows.h>

#include <algorithm>

namespace {

std::string ComputerSection(const std::string& id, const std::string& section) { return id + ":" + section; }

}  // namespace

void ForEachListedSection(std::string list, const std::function<void(const std::string& section)>& section) {
  for (;;) {
    std::string item;
    NextToken(list, ",", item);
    if (item.empty()) return;
    if (SameAsciiText(item, kEditorMarker)) continue;
    section(item);
  }
}

bool HasEditorSection(const std::string& list) { return AsciiUpper(list).find(kEditorMarker) != std::string::npos; }

bool SelectUDBComputer(const TIniFile& udb, const std::string& id,
                       const std::function<void(const std::vector<std::string>& lines)>& showDescription) {
  const std::string list = udb.ReadString("UniqueIds", id, "");
  EditorDirectives.clear();
  if (!HasEditorSection(list)) return false;

  std::vector<std::string> entries;
  udb.ReadSectionValues(ComputerSection(id, kEditorMarker), entries);
  // The order the exit step sorts in too: the locale's, letter case ignored.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const std::string& a, const std::string& b) { return LocaleTextLess(a, b); });
  std::vector<std::string> description;
  for (const std::string& entry : entries) {
    const size_t equals = entry.find('=');
    // The key's case matters here: "description" is a directive like any other.
    if (entry.substr(0, equals).rfind("Description", 0) == 0)
      description.push_back(equals == std::string::npos ? std::string() : entry.substr(equals + 1));
    else
      EditorDirectives.push_back(entry);
  }
  showDescription(description);

  // The computer's values go onto the answer file as setup gave it, not onto
  // what an earlier pick or another page left in the working copy.
  // A failed copy leaves the working copy as it is: it holds the answer file
  // and this run's edits, never less.
  (void)CopyAnswerToWorkingCopy();
  MergeUDBComputer(udb, WorkFileName, id);
  return true;
}

void MergeUDBComputer(const TIniFile& udb, const std::string& targetFile, const std::string& id) {
  TIniFile target(targetFile);
  const std::string list = TrimBlanks(udb.ReadString("UniqueIds", id, ""));
  if (list.empty()) return;
  LastUDBMerge.file = udb.FileName();
  LastUDBMerge.computer = id;
  ForEachListedSection(list, [&](const std::string& section) {
    std::vector<std::string> keys;
    udb.ReadSection(ComputerSection(id, section), keys);
    if (SameAsciiText(section, "UserData") && std::any_of(keys.begin(), keys.end(), [](const std::string& key) {
          return SameAsciiText(key, "ProductID") || SameAsciiText(key, "ProductKey");
        })) {
      target.DeleteKey("UserData", "ProductID");
      target.DeleteKey("UserData", "ProductKey");
    }
    // Setup reads the UDB with the parser it reads the answer file with, so
    // a value means the same to it when its text moves over as it stands,
    // quotes and all.
    for (const std::string& key : keys)
      target.WriteStoredText(section, key, udb.ReadStoredText(ComputerSection(id, section), key));
  });
}

void ApplyUDBComputer(const std::string& udbFileName, const std::string& id) {
  const TIniFile udb(udbFileName);
  ForEachListedSection(udb.ReadString("UniqueIds", id, ""), [&](const std::string& section) {
    std::vector<std::string> keys;
    udb.ReadSection(ComputerSection(id, section), keys);
    for (const std::string& key : keys)
      (void)profile::WriteStoredText(WorkFileName, section, key, udb.ReadStoredText(ComputerSection(id, section), key));
  });
}

void RetireUniqueUDB(bool computerSelected, bool merge, const std::string& udbFileName, const std::string& id) {
  if (!computerSelected) return;
  (void)profile::DeleteKey(WorkFileName, "Data", "uniqueness");
  if (merge) ApplyUDBComputer(udbFileName, id);
  MoveFileA(udbFileName.c_str(), (udbFileName + ".KIV").c_str());
}

std::string UDBIdentifierProblem(const std::string& id) {
  if (id.empty()) return "Пустой идентификатор: программа установки не сможет его выбрать.";
  if (id.size() > 255) return "Идентификатор длиннее 255 символов: программа установки его не примет.";
  for (const char c : id) {
    if (static_cast<unsigned char>(c) <= ' ')
      return "В идентификаторе пробел или управляющий символ: в командной строке /udf: он разделит идентификатор.";
    // "," separates the file from the identifier in /udf:, "=" ends a key,
    // "*" is setup's wildcard for the name.
    if (c == ',' || c == '=' || c == '*')
      return std::string("Символ «") + c + "» в идентификаторе: программа установки не сможет его выбрать.";
  }
  return {};
}
