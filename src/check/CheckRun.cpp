// CheckRun: the command line and the order of the checks.

#include "profile/ProfileEngine.h"
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

// The check's own folder for the merged copies, removed with them at the
// end; nothing is ever written beside a file the check reads.
class TempFolder {
 public:
  TempFolder() {
    char base[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, base);
    if (length == 0 || length >= MAX_PATH)
      throw CannotRun("Нет папки для временных файлов: " + SysErrorMessage(GetLastError()) + ".");
    for (unsigned n = 0;; ++n) {
      path_ = std::string(base) + "KivCheck-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
      if (CreateDirectoryA(path_.c_str(), nullptr)) return;
      if (GetLastError() != ERROR_ALREADY_EXISTS || n > 100)
        throw CannotRun("Папка " + path_ + ": " + SysErrorMessage(GetLastError()) + ".");
    }
  }
  ~TempFolder() {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = path_ + "\\" + data.cFileName;
        SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(name.c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
    }
    RemoveDirectoryA(path_.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  [[nodiscard]] const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
};

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

void MergeComputerInto(const std::string& answerFile, const std::string& udbFile, const std::string& id,
                       const std::string& target) {
  if (!CopyFileA(answerFile.c_str(), target.c_str(), FALSE))
    throw CannotRun("Копия файла ответов " + target + ": " + SysErrorMessage(GetLastError()) + ".");
  // A read-only answer file passes its mark on to the copy, and the merge must write it.
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  try {
    MergeUDBComputer(TIniFile(udbFile), target, id);
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
  {
    TempFolder temp;
    for (const std::string& udbFile : result.udbFiles) {
      for (const std::string& id : ComputerIds(udbFile)) {
        const std::string merged = temp.Path() + "\\" + std::to_string(result.computers) + ".sif";
        // The merged copy is written and read by us alone, a moment apart:
        // without a batch every read would compare it byte for byte again,
        // as a file changed within the last seconds by another writer.
        const profile::Batch batch;
        MergeComputerInto(result.answerFile, udbFile, id, merged);
        AnswerCheck checked = CheckAnswerFile(merged);
        DeleteFileA(merged.c_str());
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
