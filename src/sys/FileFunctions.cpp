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

}  // namespace sys
