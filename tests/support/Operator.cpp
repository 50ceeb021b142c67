// The operator's actions as window messages, and the other test helpers.

#include "support/Operator.h"

#include "gui/Application.h"

#include <gtest/gtest.h>

#include <exception>
#include <stdexcept>

namespace kivtest {

using Clock = std::chrono::steady_clock;

void PumpUntilIdle(int quietMs, int limitMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  auto& app = gui::Application::Instance();
  for (;;) {
    app.ProcessMessages();
    if (Clock::now() >= deadline) return;
    DWORD got = MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(quietMs), QS_ALLINPUT);
    if (got == WAIT_TIMEOUT) return;
  }
}

void PumpFor(int ms, const std::function<bool()>& until) {
  auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  auto& app = gui::Application::Instance();
  while (Clock::now() < deadline) {
    app.ProcessMessages();
    if (until && until()) return;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left > 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
  }
}

void SetModifiers(bool ctrl, bool shift) {
  BYTE state[256];
  GetKeyboardState(state);
  BYTE c = ctrl ? 0x80 : 0, s = shift ? 0x80 : 0;
  state[VK_CONTROL] = state[VK_LCONTROL] = c;
  state[VK_SHIFT] = state[VK_LSHIFT] = s;
  SetKeyboardState(state);
}

void ClickAt(HWND hwnd, POINT point) {
  // The mouse never reaches a hidden or disabled window.
  for (HWND w = hwnd; w; w = GetParent(w))
    if (!IsWindowEnabled(w) || !IsWindowVisible(w)) return;
  LPARAM at = MAKELPARAM(point.x, point.y);
  PostMessageA(hwnd, WM_MOUSEMOVE, 0, at);
  PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
  PumpUntilIdle();
}

void Click(gui::Control& control) {
  RECT r;
  GetClientRect(control.Handle(), &r);
  ClickAt(control.Handle(), POINT{(r.right - r.left) / 2, (r.bottom - r.top) / 2});
}

// A key reaches the window that has the focus; when the dialog has lost it
// (Wine takes the X server's word for the focus, and on a loaded machine a
// focus event can come late or go astray), the operator brings the dialog
// back to the front first.
void RegainFocus() {
  if (GetFocus()) return;
  gui::Form* form = gui::Application::Instance().ActiveForm();
  if (!form) return;
  SetForegroundWindow(form->Handle());
  PumpFor(2000, [] { return GetFocus() != nullptr; });
}

void PressKey(WORD vk, bool ctrl, bool shift) {
  RegainFocus();
  SetModifiers(ctrl, shift);
  HWND target = GetFocus();
  if (!target) target = GetActiveWindow();
  UINT scan = MapVirtualKeyA(vk, MAPVK_VK_TO_VSC);
  PostMessageA(target, WM_KEYDOWN, vk, static_cast<LPARAM>(1 | (scan << 16)));
  PostMessageA(target, WM_KEYUP, vk, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
  PumpUntilIdle();
  SetModifiers(false, false);
}

void Type(gui::Control& control, const std::string& text) {
  RegainFocus();
  if (!control.Focused()) control.SetFocus();
  PumpUntilIdle();
  // The characters go where the focus is: the box itself, or the edit box
  // inside a combo box.
  const auto inControl = [&control] {
    HWND focus = GetFocus();
    return focus && (focus == control.Handle() || IsChild(control.Handle(), focus));
  };
  if (!inControl()) {
    RegainFocus();
    control.SetFocus();
    PumpFor(2000, inControl);
  }
  HWND target = GetFocus();
  for (char c : text) PostMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
  PumpUntilIdle();
}

void ClickTab(gui::PageControl& pc, gui::TabSheet& sheet) {
  RECT r = pc.TabRect(&sheet);
  if (IsRectEmpty(&r)) throw std::logic_error("The page has no visible tab: " + sheet.Name());
  ClickAt(pc.Handle(), POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

void PickItem(gui::ComboBox& combo, int index) {
  HWND list = combo.ListHandle();
  if (!list) throw std::logic_error("The combo box has no list");
  // A list dropped while the dialog is not the focused window rolls up at
  // once, and under load the X server's focus event can come late or go
  // astray: as the operator would, bring the dialog back, put the focus in
  // the box, and drop the list again until it is seen.
  const auto dropped = [list] { return IsWindowVisible(list) != FALSE; };
  for (int attempt = 0; attempt < 3 && !dropped(); ++attempt) {
    RegainFocus();
    if (!combo.Focused()) combo.SetFocus();
    PumpFor(2000, [&combo] { return combo.Focused(); });
    SendMessageA(combo.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    PumpFor(2000, dropped);
  }
  if (!dropped())
    throw std::logic_error("The combo box's list did not drop down: " + combo.Name() +
                           (combo.Focused() ? "" : ", the box has no focus") +
                           (GetFocus() ? "" : ", no window has the focus"));
  SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  RECT r{};
  SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  ClickAt(list, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  PumpFor(2000, [&combo] { return SendMessageA(combo.Handle(), CB_GETDROPPEDSTATE, 0, 0) == 0; });
}

namespace {
struct ModalScript {
  gui::Form* form;
  std::function<void()> script;
  std::exception_ptr error;
};
ModalScript* g_script = nullptr;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  ModalScript* s = g_script;
  if (!s) return;
  // An operator acts on the window in front of him. The dialog comes to the
  // front when the X server's focus event arrives, which on a loaded machine
  // can be after the modal loop's first message: keys sent before then reach
  // no window.
  if (GetForegroundWindow() != s->form->Handle()) SetForegroundWindow(s->form->Handle());
  PumpFor(2000, [s] { return GetForegroundWindow() == s->form->Handle() && GetFocus() != nullptr; });
  try {
    s->script();
  } catch (...) {
    s->error = std::current_exception();
  }
  if (s->form->Modal() && s->form->GetModalResult() == gui::mrNone) {
    ADD_FAILURE() << "the script left the dialog open";
    s->form->SetModalResult(gui::mrCancel);
  }
}
}  // namespace

int RunModal(gui::Form& form, std::function<void()> script) {
  ModalScript s{&form, std::move(script), nullptr};
  g_script = &s;
  SetTimer(nullptr, 0, 0, &RunScript);
  int result = form.ShowModal();
  g_script = nullptr;
  if (s.error) std::rethrow_exception(s.error);
  return result;
}

namespace {
MessageBoxAnswerer* g_answerer = nullptr;
}

MessageBoxAnswerer::MessageBoxAnswerer(int answer) : answer_(answer) {
  g_answerer = this;
  hook_ = SetWindowsHookExA(WH_CBT, &Hook, nullptr, GetCurrentThreadId());
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
  UnhookWindowsHookEx(hook_);
  g_answerer = nullptr;
}

LRESULT CALLBACK MessageBoxAnswerer::Hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && g_answerer) {
    auto hwnd = reinterpret_cast<HWND>(wParam);
    char cls[32] = {};
    GetClassNameA(hwnd, cls, sizeof(cls));
    if (std::string(cls) == "#32770") {
      char caption[256] = {}, text[4096] = {};
      GetWindowTextA(hwnd, caption, sizeof(caption));
      GetDlgItemTextA(hwnd, 0xFFFF, text, sizeof(text));
      g_answerer->boxes_.push_back({caption, text});
      PostMessageA(hwnd, WM_COMMAND, static_cast<WPARAM>(g_answerer->answer_), 0);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

ExceptionRecorder::ExceptionRecorder() {
  gui::Application::Instance().SetExceptionHandler([this](const std::string& m) { messages_.push_back(m); });
}

ExceptionRecorder::~ExceptionRecorder() { gui::Application::Instance().SetExceptionHandler(nullptr); }

Process::Process(const std::string& commandLine, const std::string& directory) {
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  std::string line = commandLine;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &si, &info_))
    throw std::runtime_error("Cannot start " + commandLine + ": error " + std::to_string(GetLastError()));
  running_ = true;
}

Process::~Process() {
  if (running_) {
    TerminateProcess(info_.hProcess, 255);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

int Process::Wait(int timeoutMs) {
  if (WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) {
    TerminateProcess(info_.hProcess, 255);
    WaitForSingleObject(info_.hProcess, 5000);
    running_ = false;
    return -1;
  }
  running_ = false;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return static_cast<int>(code);
}

HWND Process::FindWindowNamed(const std::string& name, int timeoutMs) const {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (HWND found = FindNamedWindow(nullptr, name, info_.dwProcessId)) return found;
    if (Clock::now() >= deadline) return nullptr;
    // Wakes early when the process ends.
    if (WaitForSingleObject(info_.hProcess, 20) == WAIT_OBJECT_0) return nullptr;
  }
}

std::string KivNameOf(HWND hwnd) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(hwnd, "KivName")));
  if (!atom) return {};
  char buffer[256] = {};
  UINT length = GlobalGetAtomNameA(atom, buffer, sizeof(buffer));
  return std::string(buffer, length);
}

namespace {
struct Search {
  const std::string* name;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  if (KivNameOf(hwnd) == *s->name) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid) return TRUE;
  if (KivNameOf(hwnd) == *s->name) {
    s->found = hwnd;
    return FALSE;
  }
  EnumChildWindows(hwnd, &MatchChild, lParam);
  return s->found ? FALSE : TRUE;
}
}  // namespace

HWND FindNamedWindow(HWND root, const std::string& name, DWORD pid) {
  Search s{&name, pid ? pid : GetCurrentProcessId(), nullptr};
  if (root)
    EnumChildWindows(root, &MatchChild, reinterpret_cast<LPARAM>(&s));
  else
    EnumWindows(&MatchTop, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace kivtest
