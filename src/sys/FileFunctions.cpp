// The file-function table and the writes made through it.

#include "sys/FileFunctions.h"

#include <algorithm>

FileFunctionTable FileFunctions = {&::WriteFile, &::FlushFileBuffers};

namespace sys {

bool WriteAll(HANDLE file, const char* data, size_t size) {
  while (size > 0) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1 << 20));
    if (!FileFunctions.WriteFile(file, data, chunk, &wrote, nullptr)) return false;
    if (wrote == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += wrote;
    size -= wrote;
  }
  return true;
}

bool ReadAll(const std::string& name, std::string& bytes) {
  bytes.clear();
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) != 0 && size.QuadPart < 0x7FFFFFFF;
  if (ok) {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    ok = bytes.empty() ||
         (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size());
  }
  const DWORD error = ok ? 0 : GetLastError();
  CloseHandle(file);
  if (!ok) {
    bytes.clear();
    SetLastError(error ? error : ERROR_READ_FAULT);
  }
  return ok;
}

}  // namespace sys
