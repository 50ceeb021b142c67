// ConfigCheck: KivEdt.ini and the commands the editor will start.

#include "check/ConfigCheck.h"

#include "check/UDBCheck.h"
#include "profile/Profile.h"
#include "sys/Launcher.h"
#include "sys/TextUtils.h"

#include <windows.h>

#include <algorithm>
#include <optional>

namespace check {
namespace {

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH * 4];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof(buffer), buffer, nullptr);
  return length == 0 || length >= sizeof(buffer) ? path : std::string(buffer, length);
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Replaces every %name% of that name, letter case ignored, as the
// environment's expansion would.
std::string ReplaceVariable(std::string text, const std::string& name, const std::string& value) {
  const std::string reference = AsciiUpper("%" + name + "%");
  for (size_t at = AsciiUpper(text).find(reference); at != std::string::npos;
       at = AsciiUpper(text).find(reference, at + value.size()))
    text.replace(at, reference.size(), value);
  return text;
}

std::string Resolved(const std::string& text, const MediaTree& media) {
  return ReplaceVariable(ReplaceVariable(text, "sourcepath", media.variableSourcePath), "SourceRoot", media.sourceRoot);
}

// The program of a command line as CreateProcess takes it: in quotes, or up
// to the first blank.
std::string ProgramOf(const std::string& command) {
  const std::string line = TrimBlanks(command);
  if (!line.empty() && line.front() == '"') {
    const size_t close = line.find('"', 1);
    return line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  return line.substr(0, line.find_first_of(" \t"));
}

bool HasExtension(const std::string& program) {
  const size_t dot = program.rfind('.');
  return dot != std::string::npos && program.find_first_of("\\/", dot) == std::string::npos;
}

std::optional<std::string> ConfigValue(const std::string& file, const std::string& section, const std::string& key) {
  if (!profile::ReadStoredText(file, section, key)) return std::nullopt;
  return TrimBlanks(profile::ReadString(file, section, key, "", 2048));
}

bool IsDecimal(const std::string& text) {
  const size_t digits = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
  return text.size() > digits && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(digits), text.end(),
                                             [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

MediaTree MediaTreeOf(const std::string& root, const std::string& configFile, const std::string& answerFile) {
  if (root.empty()) return {};
  MediaTree tree;
  const std::string medium = WithoutTrailingBackslash(FullPath(root));
  tree.sourcePath = medium + "\\I386";
  const bool typed = !answerFile.empty() && !ConfigValue(answerFile, "Data", "OriTyp").value_or("").empty();
  tree.variableSourcePath = typed ? medium : tree.sourcePath;
  const std::string offset =
      configFile.empty() ? std::string() : ConfigValue(configFile, "KivEditor", "PachOffset").value_or("");
  tree.sourceRoot = WithoutTrailingBackslash(FullPath(tree.variableSourcePath + "\\" + offset));
  return tree;
}

std::string MissingProgram(const std::string& command, const MediaTree& media) {
  const std::string program = ProgramOf(Resolved(command, media));
  if (program.empty()) return "Пустая команда: запускать нечего.";
  // A variable only the target machine has, or a path relative to the
  // folder the editor happens to run in, cannot be judged on this machine.
  if (program.find('%') != std::string::npos) return {};
  const std::string withExtension = HasExtension(program) ? program : program + ".exe";
  if (program.find_first_of("\\/:") == std::string::npos) {
    // A bare name is searched for as CreateProcess does, along the system
    // folders and PATH; this machine's PATH stands in for the target's.
    char found[MAX_PATH];
    if (SearchPathA(nullptr, program.c_str(), ".exe", MAX_PATH, found, nullptr) != 0) return {};
    return "Программа «" + program + "» не найдена ни в системных папках, ни по PATH.";
  }
  const bool absolute = program.find(':') != std::string::npos || program.rfind("\\\\", 0) == 0;
  if (!absolute) return {};
  if (IsFile(program) || IsFile(withExtension)) return {};
  return "Программы «" + program + "» нет: команда не запустится.";
}

std::vector<Finding> CheckEditorConfig(const std::string& configFile, const MediaTree& media,
                                       const std::string& udbArgument) {
  std::vector<Finding> found;
  if (const auto timeOut = ConfigValue(configFile, "KivEditor", "TimeOut"); timeOut && !IsDecimal(*timeOut)) {
    const int read = profile::ReadInt(configFile, "KivEditor", "TimeOut", 30);
    if (read <= 0)
      found.push_back({Severity::Error, "KivEditor", "TimeOut", *timeOut,
                       "Не число: редактор прочтёт " + std::to_string(read) +
                           ", обратного отсчёта не будет, и установка будет ждать оператора."});
    else
      found.push_back({Severity::Warning, "KivEditor", "TimeOut", *timeOut,
                       "Не число: редактор прочтёт " + std::to_string(read) + " с."});
  }

  // The UDB folder as the UDB page finds it: absolute with a drive, else
  // below the source folder.
  std::string folder;
  if (const auto path = ConfigValue(configFile, "UDB", "Path"); path && !path->empty()) {
    std::string resolved = Resolved(*path, media);
    const bool relative = resolved.find(':') == std::string::npos && resolved.rfind("\\\\", 0) != 0;
    // A drive or share of its own is the target machine's, not the tree's.
    const bool inTree = relative || AsciiUpper(*path).find("%SOURCEPATH%") != std::string::npos ||
                        AsciiUpper(*path).find("%SOURCEROOT%") != std::string::npos;
    if (!media.sourcePath.empty() && inTree && resolved.find('%') == std::string::npos) {
      if (relative) resolved = media.sourcePath + "\\" + TrimBlanks(resolved.substr(resolved.front() == '\\' ? 1 : 0));
      folder = WithoutTrailingBackslash(FullPath(resolved));
      if (!IsFolder(folder)) {
        found.push_back({Severity::Warning, "UDB", "Path", *path,
                         "Папки " + folder + " на носителе нет: страницы UDB в редакторе не будет."});
        folder.clear();
      }
    }
  }
  if (folder.empty() && !udbArgument.empty())
    folder = IsFolder(udbArgument) ? udbArgument : udbArgument.substr(0, udbArgument.find_last_of("\\/"));
  // The page lists "no file" first and falls back to it: only the default
  // file, when it is there, has a computer picked from it.
  std::string udbFile;
  if (const auto name = ConfigValue(configFile, "UDB", "DefaultUDBFile"); name && !name->empty() && !folder.empty()) {
    const std::string candidate = WithoutTrailingBackslash(folder) + "\\" + *name;
    if (IsFile(candidate))
      udbFile = candidate;
    else
      found.push_back({Severity::Warning, "UDB", "DefaultUDBFile", *name,
                       "Файла в папке " + folder + " нет: редактор откроется без файла UDB и без компьютера."});
  }
  if (const auto id = ConfigValue(configFile, "UDB", "DefaultUDBIdent"); id && !id->empty() && !udbFile.empty()) {
    const std::vector<std::string> ids = ComputerIds(udbFile);
    if (std::none_of(ids.begin(), ids.end(), [&](const std::string& i) { return FoldedName(i) == FoldedName(*id); }))
      found.push_back({Severity::Warning, "UDB", "DefaultUDBIdent", *id,
                       "Компьютера с этим идентификатором в " + udbFile + " нет: редактор выберет первый."});
  }

  if (!media.sourcePath.empty()) {
    for (int i = 0;; ++i) {
      const std::string key = "Command" + std::to_string(i);
      const auto command = ConfigValue(configFile, "Commands", key);
      if (!command) break;
      if (const std::string missing = MissingProgram(*command, media); !missing.empty())
        found.push_back({Severity::Error, "Commands", key, *command, missing});
    }
  }
  return found;
}

std::vector<Finding> CheckExitPrograms(const std::string& udbFile, const MediaTree& media) {
  std::vector<Finding> found;
  if (media.sourcePath.empty()) return found;
  for (const std::string& section : profile::ReadSectionNames(udbFile, size_t{1} << 30)) {
    const size_t colon = section.find(':');
    if (colon == std::string::npos || !SameAsciiText(TrimBlanks(section.substr(colon + 1)), "KIVEDITOR")) continue;
    for (const std::string& key : profile::ReadKeys(udbFile, section, size_t{1} << 30)) {
      if (AsciiUpper(TrimBlanks(key)).rfind("RUNONEXIT", 0) != 0) continue;
      const std::string command = TrimBlanks(profile::ReadString(udbFile, section, key, "", 2048));
      // An empty one is the UDB check's.
      if (command.empty()) continue;
      if (const std::string missing = MissingProgram(command, media); !missing.empty())
        found.push_back({Severity::Error, section, key, command, missing});
    }
  }
  return found;
}

}  // namespace check
