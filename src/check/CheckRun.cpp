// CheckRun: the command line and the order of the checks.

#include "check/CheckRun.h"

#include "check/AnswerCheck.h"
#include "check/ConfigCheck.h"
#include "check/CrossIndex.h"
#include "check/UDBCheck.h"
#include "profile/IniFiles.h"
#include "setup/UDBMerge.h"
#include "sys/Launcher.h"
#include "sys/SysUtils.h"
#include "sys/TextUtils.h"

#include <windows.h>

#include <algorithm>

namespace check {
namespace {

const char kUsage[] =
    "Использование: KivCheck.exe ФАЙЛ_ОТВЕТОВ [ФАЙЛ_UDB | ПАПКА_UDB] [/ini:KivEdt.ini] [/media:КОРЕНЬ] [/tsv]";

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
  return length == 0 || length >= sizeof(buffer) ? path : std::string(buffer, length);
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of("\\/:") + 1); }

// Opened the way the profile functions open it, so that a file they could
// not read stops the check here with the system's reason.
void RequireReadable(const std::string& what, const std::string& file) {
  if (IsFolder(file)) throw CannotRun(what + " " + file + ": это папка, а не файл.");
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw CannotRun(what + " " + file + ": " + SysErrorMessage(GetLastError()) + ".");
  CloseHandle(handle);
}

std::vector<std::string> UDBFilesIn(const std::string& folder) {
  std::vector<std::string> files;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.UDB").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + "\\" + data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(files.begin(), files.end(),
            [](const std::string& a, const std::string& b) { return LocaleTextLess(a, b); });
  return files;
}

// The name the merged copies are known by to the profile functions. They
// live in memory only; the name is one no file of the user's has, so that
// nothing the check reads could be taken for one.
std::string MergedCopyName() {
  char base[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, base);
  const std::string folder = length == 0 || length >= MAX_PATH ? std::string("C:\\") : std::string(base, length);
  return folder + "KivCheck-" + std::to_string(GetCurrentProcessId()) + "-merged.sif";
}

}  // namespace

Options ParseArguments(const std::vector<std::string>& arguments) {
  Options options;
  std::vector<std::string> positional;
  for (const std::string& argument : arguments) {
    if (argument.size() > 1 && (argument[0] == '/' || argument[0] == '-')) {
      const std::string upper = AsciiUpper(argument.substr(1));
      if (upper.rfind("INI:", 0) == 0)
        options.configFile = argument.substr(5);
      else if (upper.rfind("MEDIA:", 0) == 0)
        options.mediaRoot = argument.substr(7);
      else if (upper == "TSV")
        options.tsv = true;
      else
        throw CannotRun("Неизвестный ключ " + argument + ".\r\n" + kUsage);
      continue;
    }
    positional.push_back(argument);
  }
  if (positional.empty() || positional.size() > 2) throw CannotRun(kUsage);
  options.answerFile = positional[0];
  if (positional.size() > 1) options.udb = positional[1];
  return options;
}

void MergeComputerInto(const std::string& udbFile, const std::string& id, const profile::MemoryProfile& target) {
  // The only write a copy in memory refuses: the editor could not save such a file either.
  if (const auto document = target.Document(); document && !document->Writable())
    throw CannotRun("Файл ответов в UTF-16 с ошибками: значения компьютера " + id + " в него не записать.");
  try {
    MergeUDBComputer(TIniFile(udbFile), target.FileName(), id);
  } catch (const std::exception& e) {
    throw CannotRun(e.what());
  }
}

CheckResult RunCheck(const Options& options) {
  CheckResult result;
  result.answerFile = FullPath(options.answerFile);
  RequireReadable("Файл ответов", result.answerFile);

  if (!options.udb.empty()) {
    const std::string udb = FullPath(options.udb);
    if (IsFolder(udb)) {
      result.udbFiles = UDBFilesIn(udb);
      if (result.udbFiles.empty()) throw CannotRun("В папке " + udb + " нет файлов *.UDB.");
    } else {
      result.udbFiles.push_back(udb);
    }
    for (const std::string& file : result.udbFiles) RequireReadable("Файл UDB", file);
  }

  if (!options.configFile.empty()) {
    result.configFile = FullPath(options.configFile);
    RequireReadable("Настройки редактора", result.configFile);
  } else {
    const std::string beside = result.answerFile.substr(0, result.answerFile.find_last_of('\\') + 1) + "KivEdt.ini";
    if (IsFile(beside)) result.configFile = beside;
  }
  if (!options.mediaRoot.empty() && !IsFolder(options.mediaRoot))
    throw CannotRun("Папки носителя " + options.mediaRoot + " нет.");
  const MediaTree media = MediaTreeOf(options.mediaRoot, result.configFile, result.answerFile);

  Block across{Scope::Across, "", {}};
  CrossIndex index;
  if (!result.udbFiles.empty()) {
    // Parsed once; each computer's copy starts from this text and holds
    // only its own edits, one copy at a time.
    const std::shared_ptr<const profile::ProfileDocument> answer = profile::LoadProfile(result.answerFile);
    if (!answer) throw CannotRun("Файл ответов " + result.answerFile + ": " + SysErrorMessage(GetLastError()) + ".");
    const std::string mergedName = MergedCopyName();
    // The UDB files are read a few times for each computer: within one
    // batch, a file whose stamps stay is not compared byte for byte again.
    const profile::Batch batch;
    for (const std::string& udbFile : result.udbFiles) {
      for (const std::string& id : ComputerIds(udbFile)) {
        AnswerCheck checked;
        {
          const profile::MemoryProfile merged(mergedName, answer);
          MergeComputerInto(udbFile, id, merged);
          checked = CheckAnswerFile(merged.FileName());
        }
        ++result.computers;
        const std::string name = result.udbFiles.size() > 1 ? id + " (" + FileNameOf(udbFile) + ")" : id;
        index.Add(name, checked.facts, across.findings);
        result.blocks.push_back({Scope::Computer, name, std::move(checked.findings)});
      }
    }
  }
  if (result.computers == 0)
    result.blocks.push_back({Scope::AnswerFile, result.answerFile, CheckAnswerFile(result.answerFile).findings});
  result.blocks.push_back(std::move(across));

  for (const std::string& udbFile : result.udbFiles) {
    Block block{Scope::UDBFile, udbFile, CheckUDBFile(udbFile)};
    for (Finding& finding : CheckExitPrograms(udbFile, media)) block.findings.push_back(std::move(finding));
    result.blocks.push_back(std::move(block));
  }
  if (!result.configFile.empty())
    result.blocks.push_back(
        {Scope::EditorConfig, result.configFile,
         CheckEditorConfig(result.configFile, media, options.udb.empty() ? "" : FullPath(options.udb))});
  return result;
}

}  // namespace check
