// A program that must not pass tools/check-exe: it imports what Windows XP
// lacks (Vista's GetTickCount64 and GetFileInformationByHandleEx, the
// subclass functions by name, which comctl32 5.8 exports by ordinal only) and
// its PE header asks for Windows Vista. Built only to test the checker.

#include <windows.h>
#include <commctrl.h>

int main() {
  FILE_BASIC_INFO info{};
  GetFileInformationByHandleEx(GetStdHandle(STD_INPUT_HANDLE), FileBasicInfo, &info, sizeof(info));
  DefSubclassProc(nullptr, 0, 0, 0);
  return static_cast<int>(GetTickCount64() & 1);
}
