// LegacyImports: what the static run-time asks of Windows that XP and
// Server 2003 lack, served here instead of imported.
//
// The MinGW-w64 thread library that the C++ run-time links in takes its
// clock from GetTickCount64, which came with Vista: imported by name, it
// keeps the program from loading on XP ("entry point not found"). Defining
// the import slot here makes the linker bind the library to this function
// and leave KERNEL32's entry out of the import table. The function uses the
// system's own GetTickCount64 where there is one and extends GetTickCount
// across its 49.7-day wrap elsewhere.
//
// This file must be linked into the executable itself, not through a static
// library: the thread library is searched after ours, and an archive member
// is only taken for a symbol that is still missing when the archive is read.

#include "sys/ProcAddress.h"

#include <windows.h>

#include <cstdint>

namespace {

using TickCount64 = ULONGLONG(WINAPI*)();

ULONGLONG WINAPI TickCount64Fallback() {
  // The high part counts wraps of the 32-bit tick count; the low part is the
  // last value seen. Both in one word, updated with one compare-and-swap, so
  // that two threads asking at a wrap count it once.
  static uint64_t state = 0;
  for (;;) {
    uint64_t seen = __atomic_load_n(&state, __ATOMIC_ACQUIRE);
    const uint32_t now = GetTickCount();
    uint64_t high = seen >> 32;
    if (now < static_cast<uint32_t>(seen)) ++high;
    const uint64_t next = (high << 32) | now;
    if (__atomic_compare_exchange_n(&state, &seen, next, false, __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE)) return next;
  }
}

ULONGLONG WINAPI KivGetTickCount64() {
  static const TickCount64 system = [] {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? sys::ProcAddress<TickCount64>(kernel, "GetTickCount64") : nullptr;
  }();
  return system ? system() : TickCount64Fallback();
}

}  // namespace

// The import slot under the name the compiler gives it on each architecture
// (stdcall names are decorated on x86).
#if defined(_M_IX86) || defined(__i386__)
#define KIV_IMPORT_SLOT "__imp__GetTickCount64@0"
#else
#define KIV_IMPORT_SLOT "__imp_GetTickCount64"
#endif
extern "C" {
TickCount64 kiv_imp_GetTickCount64 asm(KIV_IMPORT_SLOT) = &KivGetTickCount64;
}
