// The editor as a process in a scratch folder, and the operator's actions on
// it from outside.

#include "e2e/EditorRun.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>

namespace kivtest {

namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT kAnswerWithin = 10000;

LRESULT SendWithin(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs = kAnswerWithin) {
  DWORD_PTR result = 0;
  // A busy editor (a page loading a 10 MB file) is waited for, not taken for hung.
  if (!SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result))
    ADD_FAILURE() << "the editor did not answer message " << message;
  return static_cast<LRESULT>(result);
}

struct BoxSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<BoxSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (pid != s->pid || std::string(cls) != "#32770" || !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

HWND FindMessageBox(DWORD pid) {
  BoxSearch s{pid, nullptr};
  EnumWindows(&MatchBox, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

}  // namespace

std::string ExampleAnswerFile() {
  std::string text = ReadWholeFile(HostPath(KIV_EXAMPLES_DIR "/winnt.sif"));
  if (text.empty()) ADD_FAILURE() << "no example answer file in " KIV_EXAMPLES_DIR;
  return text;
}

std::string EditedAnswerFile(std::string text) {
  for (auto [from, to] : {std::pair<std::string, std::string>{"ComputerName = ACC-PC01", "ComputerName = ACC-PC77"},
                          {"FullName = \"Бухгалтерия\"", "FullName = \"Касса №2\""}}) {
    const size_t at = text.find(from);
    if (at == std::string::npos)
      ADD_FAILURE() << "the example has no " << from;
    else
      text.replace(at, from.size(), to);
  }
  return text;
}

EditorRun::EditorRun() {
  if (!CopyFileA(HostPath(KIV_EDITOR).c_str(), program.c_str(), FALSE))
    ADD_FAILURE() << "cannot copy " KIV_EDITOR " to " << program;
  // The countdown must not end a run before the test does.
  WriteWholeFile(folder / "KivEdt.ini", "[KivEditor]\r\nTimeOut=300\r\n");
}

void EditorRun::Start(const std::string& arguments, const std::string& directory) {
  startTick_ = GetTickCount();
  process_ =
      std::make_unique<Process>("\"" + program + "\" " + arguments, directory.empty() ? folder.Path() : directory);
}

bool EditorRun::WaitForDialog(int timeoutMs) {
  if (!process_) return false;
  HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process_->Id());
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  bool ready = false;
  for (;;) {
    HWND form = FindNamedWindow(nullptr, "dlgSettings", process_->Id());
    if (form && IsWindowVisible(form) && Window("btnSave")) {
      DWORD_PTR ignored = 0;
      ready = SendMessageTimeoutA(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerWithin, &ignored) != 0;
      break;
    }
    if (HWND box = FindMessageBox(process_->Id())) {
      ADD_FAILURE() << "a message box instead of the dialog: " << MessageBoxText(box);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      break;
    }
    if (Clock::now() >= deadline) {
      ADD_FAILURE() << "no dialog within " << timeoutMs << " ms";
      break;
    }
    if (handle && WaitForSingleObject(handle, 20) == WAIT_OBJECT_0) {
      ADD_FAILURE() << "the editor ended without showing its dialog";
      break;
    }
  }
  if (handle) CloseHandle(handle);
  startSeconds_ = static_cast<double>(GetTickCount() - startTick_) / 1000.0;
  return ready;
}

HWND EditorRun::Window(const std::string& name) const {
  return process_ ? FindNamedWindow(nullptr, name, process_->Id()) : nullptr;
}

void EditorRun::ClickButton(const std::string& name) const {
  HWND button = Window(name);
  ASSERT_TRUE(button) << "no window " << name;
  PostMessageA(button, BM_CLICK, 0, 0);
}

void EditorRun::PressEscape() const {
  // Any window of the dialog will do: the dialog's own loop takes Esc. The
  // page control is there from the start, while a page's controls may not be.
  HWND target = ShownPreview() ? ShownPreview() : Window("PC");
  ASSERT_TRUE(target);
  PressKeyIn(target, VK_ESCAPE);
}

void EditorRun::PressKeyIn(HWND window, WORD vk) const {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(window, WM_KEYDOWN, vk, 1 | scan);
  PostMessageA(window, WM_KEYUP, vk, 1 | scan | (3LL << 30));
}

bool EditorRun::ClickInto(HWND window, int timeoutMs) const {
  const DWORD thread = GetWindowThreadProcessId(window, nullptr);
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  // Clicked again now and then: on a machine under load, Wine's X11 driver
  // may hand the focus back to the window that had it.
  for (int wait = 0;; ++wait) {
    if (wait % 100 == 0) {
      PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
      PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus == window) return true;
    if (Clock::now() >= deadline) return false;
    Sleep(20);
  }
}

void EditorRun::CloseWindow() const {
  HWND form = Window("dlgSettings");
  ASSERT_TRUE(form);
  PostMessageA(form, WM_SYSCOMMAND, SC_CLOSE, 0);
}

int EditorRun::TabCount(const std::string& pageControl) const {
  HWND tabs = Window(pageControl);
  return tabs ? static_cast<int>(SendWithin(tabs, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

void EditorRun::ClickTab(const std::string& pageControl, int index, int timeoutMs) const {
  HWND tabs = Window(pageControl);
  ASSERT_TRUE(tabs) << pageControl;
  // The tab's rectangle is written into memory of the editor's process.
  HANDLE editor = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process_->Id());
  ASSERT_TRUE(editor);
  void* remote = VirtualAllocEx(editor, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
  auto tabRect = [&](RECT& r) {
    SIZE_T got = 0;
    return remote && SendWithin(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)) &&
           ReadProcessMemory(editor, remote, &r, sizeof(r), &got) && got == sizeof(r);
  };
  RECT r{}, client{};
  GetClientRect(tabs, &client);
  bool known = tabRect(r);
  // Tabs wider than the control scroll: the operator presses the strip's
  // arrows until the tab is in sight.
  HWND arrows = FindWindowExA(tabs, nullptr, "msctls_updown32", nullptr);
  const bool towardsStart = index < static_cast<int>(SendWithin(tabs, TCM_GETCURSEL, 0, 0));
  for (int press = 0; arrows && IsWindowVisible(arrows) && press < 20; ++press) {
    RECT a{};
    GetWindowRect(arrows, &a);
    MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&a), 2);
    if (known && r.right <= a.left && r.left >= 0) break;
    const bool left = known ? r.left < 0 : towardsStart;
    const int w = a.right - a.left, h = a.bottom - a.top;
    const LPARAM at = MAKELPARAM(left ? w / 4 : w * 3 / 4, h / 2);
    PostMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(arrows, WM_LBUTTONUP, 0, at);
    // The strip has scrolled once the tab's rectangle has moved.
    const RECT before = r;
    for (int wait = 0; wait < 100; ++wait) {
      known = tabRect(r);
      if (!known || r.left != before.left) break;
      Sleep(20);
    }
  }
  if (remote) VirtualFreeEx(editor, remote, 0, MEM_RELEASE);
  CloseHandle(editor);
  ASSERT_TRUE(known) << "no rectangle for tab " << index << " of " << pageControl;
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(tabs, WM_LBUTTONUP, 0, at);
  // A sent message overtakes posted ones, so ask until the click has been
  // taken; the answer comes only once its handling (the pages' save and
  // load) is done.
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  LRESULT current = -1;
  while (Clock::now() < deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    current = SendWithin(tabs, TCM_GETCURSEL, 0, 0, static_cast<UINT>(std::max<long long>(left, 1)));
    if (current == index) break;
    Sleep(20);
  }
  ASSERT_EQ(current, index) << pageControl << ", clicked at x " << r.left << ".." << r.right;
}

std::string EditorRun::Text(const std::string& name) const {
  HWND box = Window(name);
  if (!box) return "<no window " + name + ">";
  char text[1024] = {};
  SendWithin(box, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
  return text;
}

void EditorRun::SetText(const std::string& name, const std::string& text) const {
  HWND box = Window(name);
  ASSERT_TRUE(box) << name;
  SendWithin(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void EditorRun::ShowPreview(int timeoutMs) const {
  ClickTab("PC", TabCount("PC") - 1, timeoutMs);
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!ShownPreview()) {
    ASSERT_LT(Clock::now(), deadline) << "the preview did not come to the front";
    Sleep(20);
  }
}

void EditorRun::SaveThroughPreview(const std::string& text) {
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  ShowPreview();
  EditPreview(text);
  ClickButton("btnSave");
}

HWND EditorRun::ShownPreview() const {
  for (const char* name : {"viewPreview", "memPrewiwIni"})
    if (HWND box = Window(name); box && IsWindowVisible(box)) return box;
  return nullptr;
}

void EditorRun::EditPreview(const std::string& text) const {
  HWND check = Window("chkAllowEdit");
  HWND memo = Window("memPrewiwIni");
  ASSERT_TRUE(check && memo);
  SendWithin(check, BM_CLICK, 0, 0);
  ASSERT_EQ(SendWithin(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  ASSERT_FALSE(GetWindowLongA(memo, GWL_STYLE) & ES_READONLY) << "ticking chkAllowEdit left the text read-only";
  SendWithin(memo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  SendWithin(memo, EM_SETMODIFY, TRUE, 0);
}

size_t EditorRun::PreviewTextLength() const {
  HWND memo = ShownPreview();
  if (!memo) return 0;
  // Asked in UTF-16, which for the single-byte code page is the same count:
  // asked through the ANSI function, Wine 10 fetches the whole text across
  // the processes to count it, and a text of megabytes never arrives.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(memo, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kAnswerWithin, &length))
    ADD_FAILURE() << "the editor did not answer WM_GETTEXTLENGTH";
  return static_cast<size_t>(length);
}

std::string EditorRun::PreviewText() const {
  HWND memo = ShownPreview();
  if (!memo) return "<no preview>";
  const auto length = static_cast<size_t>(SendWithin(memo, WM_GETTEXTLENGTH, 0, 0));
  std::string text(length + 1, '\0');
  const auto got = static_cast<size_t>(SendWithin(memo, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())));
  text.resize(got);
  return text;
}

HWND EditorRun::WaitForMessageBox(int timeoutMs) const {
  if (!process_) return nullptr;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (HWND box = FindMessageBox(process_->Id())) return box;
    if (Clock::now() >= deadline) return nullptr;
    Sleep(20);
  }
}

std::string EditorRun::MessageBoxText(HWND box) {
  char caption[256] = {}, text[4096] = {};
  GetWindowTextA(box, caption, sizeof(caption));
  // 0xFFFF: the message text's static control.
  GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
  return std::string(caption) + ": " + text;
}

int EditorRun::Finish(int timeoutMs) {
  if (!process_) return -1;
  const int code = process_->Wait(timeoutMs);
  process_.reset();
  return code;
}

DWORD EditorRun::ProcessId() const noexcept { return process_ ? process_->Id() : 0; }

bool TestRunsUnderWow64() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

std::string NativeSystemFolder() {
  // A 32-bit test reaches the real System32 through the alias that Wine (and
  // Windows from Vista on) gives 32-bit programs; its own "System32" is
  // SysWOW64.
  char path[MAX_PATH] = {};
  ExpandEnvironmentStringsA(TestRunsUnderWow64() ? "%SystemRoot%\\Sysnative" : "%SystemRoot%\\System32", path,
                            sizeof(path));
  return path;
}

DefaultAnswerFile::DefaultAnswerFile(const std::optional<std::string>& content) {
  path_ = NativeSystemFolder() + "\\$winnt$.inf";
  if (FileExists(path_)) before_ = ReadWholeFile(path_);
  if (content)
    WriteWholeFile(path_, *content);
  else
    DeleteFileA(path_.c_str());
}

DefaultAnswerFile::~DefaultAnswerFile() {
  if (before_)
    WriteWholeFile(path_, *before_);
  else
    DeleteFileA(path_.c_str());
  DeleteFileA((path_ + ".new").c_str());
}

}  // namespace kivtest
