// The yardstick for the editor's start-up: the smallest honest Win32 dialog
// program (a few controls from an in-memory template), built with the same
// compiler, run-time and flags. It stays open until it is closed.

#include <windows.h>

#include <cstring>
#include <vector>

namespace {

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(hwnd, LOWORD(wParam));
    return TRUE;
  }
  if (message == WM_CLOSE) {
    EndDialog(hwnd, IDCANCEL);
    return TRUE;
  }
  return message == WM_INITDIALOG;
}

// Appends one DLGITEMTEMPLATE (DWORD aligned) with a predefined class atom.
void AddItem(std::vector<WORD>& t, WORD classAtom, DWORD style, short x, short y, short cx, short cy, WORD id,
             const wchar_t* text) {
  while (t.size() % 2) t.push_back(0);
  DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
  const WORD* raw = reinterpret_cast<const WORD*>(&item);
  t.insert(t.end(), raw, raw + sizeof(item) / sizeof(WORD));
  t.push_back(0xFFFF);
  t.push_back(classAtom);
  for (; *text; ++text) t.push_back(static_cast<WORD>(*text));
  t.push_back(0);
  t.push_back(0);  // no creation data
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  std::vector<WORD> t;
  DLGTEMPLATE head{
      DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 4, 0, 0, 300, 200};
  const WORD* raw = reinterpret_cast<const WORD*>(&head);
  t.insert(t.end(), raw, raw + sizeof(head) / sizeof(WORD));
  t.push_back(0);  // no menu
  t.push_back(0);  // standard class
  for (const wchar_t* c = L"Baseline"; *c; ++c) t.push_back(static_cast<WORD>(*c));
  t.push_back(0);
  t.push_back(8);
  for (const wchar_t* c = L"MS Shell Dlg"; *c; ++c) t.push_back(static_cast<WORD>(*c));
  t.push_back(0);
  AddItem(t, 0x0082, SS_LEFT, 10, 10, 80, 10, 100, L"Name:");
  AddItem(t, 0x0081, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 100, 8, 180, 14, 101, L"");
  AddItem(t, 0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP, 160, 175, 60, 16, IDOK, L"OK");
  AddItem(t, 0x0080, BS_PUSHBUTTON | WS_TABSTOP, 230, 175, 60, 16, IDCANCEL, L"Cancel");
  return static_cast<int>(
      DialogBoxIndirectParamW(instance, reinterpret_cast<DLGTEMPLATE*>(t.data()), nullptr, DialogProc, 0));
}
