// KivCheck.exe: the administrator's check of an answer file, its UDB files
// and KivEdt.ini before the setup medium is made.

#include "check/CheckRun.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The report is made in code page 1251. A console is given it as Unicode,
// so that cmd.exe shows it whatever its code page (866 as a rule, where
// « and » do not exist); a file or a pipe gets the 1251 text as it is, for
// Notepad and for build scripts.
void Write(DWORD stream, const std::string& text) {
  HANDLE handle = GetStdHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(handle, &mode)) {
    const int length = MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    // A console takes a limited amount in one call on old systems.
    for (size_t done = 0; done < wide.size();) {
      const DWORD piece = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
      if (!WriteConsoleW(handle, wide.data() + done, piece, &written, nullptr) || written == 0) return;
      done += written;
    }
    return;
  }
  WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const check::Options options = check::ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
    const check::CheckResult result = check::RunCheck(options);
    Write(STD_OUTPUT_HANDLE, options.tsv ? check::TsvReport(result) : check::TextReport(result));
    return check::ExitCodeOf(result);
  } catch (const std::exception& e) {
    std::string message = std::string("KivCheck: ") + e.what() + "\r\n";
    Write(STD_ERROR_HANDLE, message);
    return 3;
  }
}
