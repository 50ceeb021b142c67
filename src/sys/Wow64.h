#pragma once
// Wow64: the 32-bit program on 64-bit Windows sees files and the registry as
// a native program does.
//
// Setup writes $winnt$.inf into the real System32; a 32-bit program's file
// operations on "%SystemRoot%\System32" are silently sent to SysWOW64, and
// its HKLM\SOFTWARE to Wow6432Node. So every file operation of the program
// runs inside a NativeFileSystem scope, and every registry key it writes is
// opened with NativeRegistryView(). Redirection is switched off only for the
// scope, on this thread: off for the whole process, the system's 32-bit DLLs
// would be looked for among the 64-bit ones and fail to load.
//
// The functions that do it are reached at run time: 32-bit XP and Windows
// 2000 have none of them (and need none); on a native process they do
// nothing.

#include <windows.h>

namespace sys {

// Whether this is a 32-bit process on 64-bit Windows.
[[nodiscard]] bool RunsUnderWow64() noexcept;

// KEY_WOW64_64KEY under WoW64, else 0 (Windows 2000 refuses the flag).
[[nodiscard]] REGSAM NativeRegistryView() noexcept;

class NativeFileSystem {
 public:
  NativeFileSystem() noexcept;
  ~NativeFileSystem();
  NativeFileSystem(const NativeFileSystem&) = delete;
  NativeFileSystem& operator=(const NativeFileSystem&) = delete;

 private:
  void* old_ = nullptr;
  bool off_ = false;
};

}  // namespace sys
