// Subclass: the common controls' window subclassing (SetWindowSubclass and
// its siblings), reached by ordinal.
//
// comctl32 5.8, the one a process gets when version 6 is not activated
// (Windows 2000 always, XP whenever the manifest is not honoured), exports
// these functions by ordinal only; importing them by name would keep the
// program from loading there. Version 6 exports the same ordinals.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace gui::subclass {

// Throw std::runtime_error when the loaded comctl32 has no subclassing.
void Set(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
void Remove(HWND hwnd, SUBCLASSPROC proc, UINT_PTR id) noexcept;
LRESULT Default(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

}  // namespace gui::subclass
