// The installation source and site folders, worked out at start.

#include "setup/SourceLocation.h"

#include "sys/TextUtils.h"

#include "sys/Launcher.h"
#include "setup/AnswerFile.h"
#include "setup/EditorConfig.h"
#include "sys/ChangerUtil.h"

#include <windows.h>

std::string SourcePath;
std::string SourceRoot;

namespace {

std::string WithoutTrailingBackslash(std::string text) {
  if (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

std::string WithTrailingBackslash(std::string text) {
  if (text.empty() || text.back() != '\\') text += '\\';
  return text;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The path without its drive: a leading letter and colon, or "\\server\share".
std::string WithoutDrive(const std::string& path) {
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') return path.substr(2);
  if (path.compare(0, 2, "\\\\") != 0) return path;
  const size_t server = path.find('\\', 2);
  if (server == std::string::npos) return {};
  const size_t share = path.find('\\', server + 1);
  return share == std::string::npos ? std::string() : path.substr(share);
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The setup medium may now sit in another drive than the one setup noted:
// the first present drive from c on that holds the folder.
std::string FolderOnPresentDrive(const std::string& folder) {
  const DWORD present = DriveFunctions.GetLogicalDrives();
  for (int drive = 'c' - 'a'; drive <= 'z' - 'a'; ++drive) {
    if (!(present & (1u << drive))) continue;
    const std::string candidate = std::string(1, static_cast<char>('a' + drive)) + ":" + folder;
    if (IsFolder(candidate)) return candidate;
  }
  return folder;
}

bool IsI386(const std::string& name) {
  return name.size() == 4 && (name[0] == 'I' || name[0] == 'i') && name.compare(1, 3, "386") == 0;
}

std::string CurrentDirectory() {
  const DWORD size = GetCurrentDirectoryA(0, nullptr);
  if (size == 0) return {};
  std::string directory(size, '\0');
  const DWORD length = GetCurrentDirectoryA(size, directory.data());
  directory.resize(length < size ? length : 0);
  return directory;
}

}  // namespace

void InitSourcePath() {
  std::string devicePath;
  ReadProfileValue("data", "sourcepath", "", WorkFileName, devicePath);
  SourcePath = WithoutTrailingBackslash(DevicePathToDosPath(devicePath));
  SetEnvironmentVariableA("sourcepath", SourcePath.c_str());
}

void InitSourceRoot() { InitSourceRoot(ConfigFileName()); }

void InitSourceRoot(const std::string& configFile) {
  const std::string startDirectory = CurrentDirectory();
  std::string type, origin, folder;
  ReadProfileValue("Data", "OriTyp", "", WorkFileName, type);
  if (type.empty()) {
    folder = WithTrailingBackslash(SourcePath);
  } else {
    ReadProfileValue("Data", "OriSrc", "", WorkFileName, origin);
    folder = type == "5" ? FolderOnPresentDrive(WithoutDrive(TrimBlanks(origin))) : origin;
  }
  const size_t separator = folder.find_last_of("\\:");
  const size_t lastStart = separator == std::string::npos ? 0 : separator + 1;
  if (IsI386(folder.substr(lastStart))) folder.erase(lastStart);
  SetEnvironmentVariableA("sourcepath", WithoutTrailingBackslash(folder).c_str());
  folder = WithTrailingBackslash(folder);

  std::string offset;
  // An empty name would have ReadProfileValue read the working copy.
  if (!configFile.empty()) ReadProfileValue("KivEditor", "PachOffset", "", configFile, offset);
  // The system walks a relative offset such as "..\Site" into a plain path;
  // a folder that cannot be entered leaves the start directory.
  SetCurrentDirectoryA((folder + offset).c_str());
  SourceRoot = WithoutTrailingBackslash(CurrentDirectory());
  SetEnvironmentVariableA("SourceRoot", SourceRoot.c_str());
  SetCurrentDirectoryA(startDirectory.c_str());
}
