// kivpoke: acts on a running KivEdt from outside, by the "KivName" of its
// windows, for `make run` on a virtual display and for scripts.
//   kivpoke wait NAME [MS]   waits until a window of that name exists
//   kivpoke click NAME       presses the button of that name
//   kivpoke close NAME       closes the top-level window of that name (close box)
//   kivpoke clickat NAME X Y clicks at a point of the window's client area
//   kivpoke tab NAME INDEX   brings a tab of the page control of that name to the front
//   kivpoke hold             keeps a hidden window open until the session ends, so
//                            that Wine's desktop process stays up between programs
//   kivpoke partition DRIVE  prints the partition device a fixed drive stands for
//                            ("\Device\Harddisk60\Partition1"), as setup records a
//                            source folder, making the link Wine lacks if need be

#include "sys/ChangerUtil.h"
#include "sys/WineObjects.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string KivName(HWND hwnd) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(hwnd, "KivName")));
  if (!atom) return {};
  char buffer[256] = {};
  UINT length = GlobalGetAtomNameA(atom, buffer, sizeof(buffer));
  return std::string(buffer, length);
}

struct Search {
  std::string name;
  HWND found = nullptr;
};

BOOL CALLBACK Child(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  if (KivName(hwnd) != s->name) return TRUE;
  s->found = hwnd;
  return FALSE;
}

BOOL CALLBACK Top(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  if (KivName(hwnd) == s->name) {
    s->found = hwnd;
    return FALSE;
  }
  EnumChildWindows(hwnd, &Child, lParam);
  return s->found ? FALSE : TRUE;
}

HWND Find(const std::string& name) {
  Search s{name};
  EnumWindows(&Top, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "hold") {
    HWND keeper = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "kivpoke hold", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!keeper) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: kivpoke wait|click|close NAME [MS]\n");
    return 2;
  }
  std::string verb = argv[1], name = argv[2];
  if (verb == "partition") {
    std::string device = DriveToDeviceName(name);
    if (device.empty()) {
      // Kept on purpose: the link must outlive this process for the editor
      // started next; the session's server drops it when it stops.
      auto* links = new kivtest::PartitionLinks;
      if (links->Ok()) (void)links->Add("Partition1", kivtest::DosDevice(name));
      device = DriveToDeviceName(name);
    }
    if (device.empty()) return 1;
    std::printf("%s\n", device.c_str());
    return 0;
  }
  if (verb == "wait") {
    DWORD limit = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 10000;
    DWORD start = GetTickCount();
    while (!Find(name)) {
      if (GetTickCount() - start > limit) return 1;
      Sleep(50);
    }
    return 0;
  }
  HWND hwnd = Find(name);
  if (!hwnd) return 1;
  if (verb == "click") {
    PostMessageA(hwnd, BM_CLICK, 0, 0);
    return 0;
  }
  if (verb == "clickat" && argc > 4) {
    LPARAM at = MAKELPARAM(std::atoi(argv[3]), std::atoi(argv[4]));
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (verb == "tab" && argc > 3) {
    SendMessageA(hwnd, 0x1330 /* TCM_SETCURFOCUS */, static_cast<WPARAM>(std::atoi(argv[3])), 0);
    return 0;
  }
  if (verb == "close") {
    PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }
  return 2;
}
