#pragma once
// FullDisk: while it lives, the files the program writes (through
// FileFunctions) may grow by `room` more bytes in all; a write past that
// fails as on a full disk, after writing what fits. Bytes a file already has
// can always be written again. Flushes are counted.

#include "sys/FileFunctions.h"

#include <algorithm>
#include <string>

namespace kivtest {

class FullDisk {
 public:
  explicit FullDisk(size_t room) : saved_(FileFunctions) {
    room_ = room;
    flushes_ = 0;
    FileFunctions.WriteFile = &Write;
    FileFunctions.FlushFileBuffers = &Flush;
  }
  ~FullDisk() { FileFunctions = saved_; }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;
  [[nodiscard]] static int Flushes() noexcept { return flushes_; }

 private:
  static BOOL WINAPI Write(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    LARGE_INTEGER at{}, length{}, zero{};
    SetFilePointerEx(file, zero, &at, FILE_CURRENT);
    GetFileSizeEx(file, &length);
    const size_t inside = length.QuadPart > at.QuadPart ? static_cast<size_t>(length.QuadPart - at.QuadPart) : 0;
    const DWORD allowed = static_cast<DWORD>(std::min<size_t>(size, inside + room_));
    DWORD done = 0;
    if (allowed > 0 && !::WriteFile(file, data, allowed, &done, overlapped)) return FALSE;
    room_ -= done > inside ? done - inside : 0;
    if (written) *written = done;
    if (done < size) {
      SetLastError(ERROR_DISK_FULL);
      return FALSE;
    }
    return TRUE;
  }
  static BOOL WINAPI Flush(HANDLE file) {
    ++flushes_;
    return ::FlushFileBuffers(file);
  }
  static inline size_t room_ = 0;
  static inline int flushes_ = 0;
  FileFunctionTable saved_;
};

}  // namespace kivtest
