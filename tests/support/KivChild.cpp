// kivchild: a program for the editor to start, which leaves a trace of each
// start, so tests see which programs ran, in what order, with what arguments
// and environment, and whether the starter waited for them.
//   kivchild --log=FILE [--sleep=MS] [--exit=CODE] [--env=NAME]... WORDS...
// After sleeping, appends one line to FILE: the WORDS separated by blanks,
// then " NAME=value" for each --env (" NAME" alone when it is not defined);
// then ends with CODE (0 by default).

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool TakeOption(const std::string& argument, const char* prefix, std::string& value) {
  const std::string p = prefix;
  if (argument.compare(0, p.size(), p) != 0) return false;
  value = argument.substr(p.size());
  return true;
}

std::string Variable(const std::string& name) {
  std::vector<char> buffer(32768);
  DWORD length = GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return " " + name;
  return " " + name + "=" + std::string(buffer.data(), length);
}

// Several children may append at once: retry while another holds the file.
bool Append(const std::string& file, const std::string& line) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE h = CreateFileA(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      const bool ok =
          WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) && written == line.size();
      CloseHandle(h);
      return ok;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) return false;
    Sleep(10);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::string log, sleepMs, exitCode = "0", value, words, variables;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (TakeOption(argument, "--log=", log) || TakeOption(argument, "--sleep=", sleepMs) ||
        TakeOption(argument, "--exit=", exitCode))
      continue;
    if (TakeOption(argument, "--env=", value)) {
      variables += Variable(value);
      continue;
    }
    words += (words.empty() ? "" : " ") + argument;
  }
  if (log.empty()) return 100;
  if (!sleepMs.empty()) Sleep(static_cast<DWORD>(std::atoi(sleepMs.c_str())));
  if (!Append(log, words + variables + "\r\n")) return 101;
  return std::atoi(exitCode.c_str());
}
