// KivCheck.exe: the administrator's check of an answer file, its UDB files
// and KivEdt.ini before the setup medium is made.

#include "check/CheckRun.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

// The report is made in code page 1251. A console shows its own code page
// (866 in cmd.exe); a file or a pipe gets the 1251 text as it is.
void Write(DWORD stream, const std::string& text) {
  HANDLE handle = GetStdHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || text.empty()) return;
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(handle, &mode)) {
    const int wideLength = MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
    const UINT codePage = GetConsoleOutputCP();
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string shown(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), wideLength, shown.data(), length, nullptr, nullptr);
    WriteConsoleA(handle, shown.data(), static_cast<DWORD>(shown.size()), &written, nullptr);
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
