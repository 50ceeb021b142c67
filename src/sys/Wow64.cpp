#include "sys/Wow64.h"

#include "sys/ProcAddress.h"

namespace sys {

namespace {

using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using DisableFn = BOOL(WINAPI*)(PVOID*);
using RevertFn = BOOL(WINAPI*)(PVOID);

struct Functions {
  bool wow64 = false;
  DisableFn disable = nullptr;
  RevertFn revert = nullptr;
};

const Functions& Bound() {
  static const Functions functions = [] {
    Functions f;
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return f;
    BOOL wow64 = FALSE;
    const auto isWow64 = ProcAddress<IsWow64ProcessFn>(kernel, "IsWow64Process");
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64) || !wow64) return f;
    f.wow64 = true;
    f.disable = ProcAddress<DisableFn>(kernel, "Wow64DisableWow64FsRedirection");
    f.revert = ProcAddress<RevertFn>(kernel, "Wow64RevertWow64FsRedirection");
    if (!f.disable || !f.revert) f.disable = nullptr, f.revert = nullptr;
    return f;
  }();
  return functions;
}

}  // namespace

bool RunsUnderWow64() noexcept { return Bound().wow64; }

REGSAM NativeRegistryView() noexcept { return Bound().wow64 ? KEY_WOW64_64KEY : 0; }

NativeFileSystem::NativeFileSystem() noexcept {
  // The last error is the caller's: a scope opened between a failed call
  // and its GetLastError must not change it.
  const DWORD error = GetLastError();
  if (const auto disable = Bound().disable) off_ = disable(&old_) != FALSE;
  SetLastError(error);
}

NativeFileSystem::~NativeFileSystem() {
  if (!off_) return;
  const DWORD error = GetLastError();
  Bound().revert(old_);
  SetLastError(error);
}

}  // namespace sys
