// Launcher: environment expansion and process start.

#include "sys/Launcher.h"

#include "sys/Wow64.h"

#include <windows.h>

#include <vector>

namespace {
// The buffer the commands were always expanded into; a longer result is
// expanded again into a buffer of its full size rather than cut.
constexpr DWORD kExpandBuffer = 129;
}  // namespace

std::string ExpandEnvironment(const std::string& text) {
  std::vector<char> buffer(kExpandBuffer);
  DWORD needed = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), kExpandBuffer);
  if (needed > kExpandBuffer) {
    buffer.assign(needed + 1, '\0');
    needed = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed + 1);
  }
  if (needed == 0) return text;
  return std::string(buffer.data());
}

bool RunProgram(const std::string& commandLine, bool wait) { return RunProgram(commandLine, wait, nullptr); }

bool RunProgram(const std::string& commandLine, bool wait, DWORD* exitCode) {
  std::string line = ExpandEnvironment(commandLine);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  // Started as from a native program: a command naming the system folder, or
  // a system tool found on the search path, is the one of the machine's own
  // architecture.
  BOOL started;
  {
    sys::NativeFileSystem native;
    // 0x30: a console of its own and the normal priority class.
    started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
                             nullptr, nullptr, &startup, &process);
  }
  if (!started) return false;
  if (wait) WaitForSingleObject(process.hProcess, INFINITE);
  if (wait && exitCode && !GetExitCodeProcess(process.hProcess, exitCode)) *exitCode = STILL_ACTIVE;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

std::string ProgramDirectory() {
  char path[MAX_PATH * 4] = {};
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
  std::string name(path, length);
  size_t slash = name.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

bool IsFile(const std::string& name) {
  sys::NativeFileSystem native;
  DWORD attributes = GetFileAttributesA(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
