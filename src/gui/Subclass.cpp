#include "gui/Subclass.h"

#include "sys/ProcAddress.h"

#include <stdexcept>

namespace gui::subclass {

namespace {

constexpr WORD kSetWindowSubclass = 410;
constexpr WORD kRemoveWindowSubclass = 412;
constexpr WORD kDefSubclassProc = 413;

using SetFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR);
using RemoveFn = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR);
using DefaultFn = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

struct Functions {
  SetFn set = nullptr;
  RemoveFn remove = nullptr;
  DefaultFn def = nullptr;
};

// The comctl32 the rest of the program is bound to: the module that holds
// InitCommonControlsEx, which the activation context chose at load time
// (version 6 with the manifest honoured, 5.8 otherwise). A name looked up
// now could find the other one.
HMODULE CommonControlsModule() {
  MEMORY_BASIC_INFORMATION info{};
  if (!VirtualQuery(reinterpret_cast<const void*>(&InitCommonControlsEx), &info, sizeof(info))) return nullptr;
  return static_cast<HMODULE>(info.AllocationBase);
}

const Functions& Bound() {
  static const Functions functions = [] {
    Functions f;
    if (HMODULE module = CommonControlsModule()) {
      f.set = sys::ProcAddress<SetFn>(module, MAKEINTRESOURCEA(kSetWindowSubclass));
      f.remove = sys::ProcAddress<RemoveFn>(module, MAKEINTRESOURCEA(kRemoveWindowSubclass));
      f.def = sys::ProcAddress<DefaultFn>(module, MAKEINTRESOURCEA(kDefSubclassProc));
    }
    return f;
  }();
  return functions;
}

}  // namespace

void Set(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  const Functions& f = Bound();
  if (!f.set || !f.remove || !f.def || !f.set(hwnd, proc, id, data))
    throw std::runtime_error("Cannot subclass a window: comctl32 5.8 or later is needed");
}

void Remove(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) noexcept {
  if (const auto remove = Bound().remove) remove(hwnd, proc, id);
}

LRESULT Default(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  if (const auto def = Bound().def) return def(hwnd, msg, wParam, lParam);
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace gui::subclass
