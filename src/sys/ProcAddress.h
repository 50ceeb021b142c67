#pragma once
// ProcAddress: a function of a loaded module, by name or by ordinal
// (MAKEINTRESOURCEA), as a pointer of its own type; null when the module
// lacks it. Functions that not every supported Windows has are reached this
// way instead of being imported.

#include <windows.h>

namespace sys {

template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace sys
