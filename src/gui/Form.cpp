// Form: the top-level window, its modal loop and the keyboard's dialog keys.

#include "gui/Form.h"

#include "gui/Application.h"
#include "gui/Controls.h"
#include "gui/PageControl.h"
#include "sys/Timeline.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace gui {

namespace {

// Dialog keys are acted on inside the form's window procedure, so that an
// error of a handler they run is reported like any other.
constexpr UINT kDialogKey = kDialogKeyMessage;

enum DialogAction : WPARAM {
  kNextControl,
  kPreviousControl,
  kNextPage,
  kPreviousPage,
  kPressFocused,
  kPressDefault,
  kPressCancel
};

Control* WrapperOfFocus() {
  for (HWND w = GetFocus(); w; w = GetParent(w))
    if (Control* c = Control::FromHandle(w)) return c;
  return nullptr;
}

template <class T, class Pred>
T* FindDescendant(Control* root, Pred pred) {
  for (auto& child : root->Children()) {
    if (auto* t = dynamic_cast<T*>(child.get()); t && pred(t)) return t;
    if (T* found = FindDescendant<T>(child.get(), pred)) return found;
  }
  return nullptr;
}

}  // namespace

Form::Form(const Design& design, Position position)
    : Control(nullptr, design,
              {.className = nullptr,
               .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
               .exStyle = WS_EX_CONTROLPARENT,
               .defaultWidth = 320,
               .defaultHeight = 240}),
      position_(position) {
  SetClientSize(design.width >= 0 ? design.width : 320, design.height >= 0 ? design.height : 240);
  if (HICON icon = Application::Instance().Icon()) {
    SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  Application::Instance().FormCreated(this);
}

Form::~Form() {
  DestroyChildren();
  if (tooltip_) DestroyWindow(tooltip_);
  // Without an application object (ended before the form) nothing is left
  // to tell; a destructor must not throw for it.
  if (Application* application = Application::Current()) application->FormDestroyed(this);
}

int Form::ClientWidth() const { return ClientRect().right; }
int Form::ClientHeight() const { return ClientRect().bottom; }

void Form::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Centre() {
  RECT r;
  GetWindowRect(hwnd_, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
  int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  SetWindowPos(hwnd_, nullptr, std::max(x, 0), std::max(y, 0), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Show() {
  if (position_ == Position::DesktopCenter && !IsWindowVisible(hwnd_)) Centre();
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  SetActiveWindow(hwnd_);
  if (!activeControl_ || !activeControl_->CanFocus()) {
    auto order = FocusOrder();
    if (!order.empty()) order.front()->SetFocus();
  } else {
    activeControl_->SetFocus();
  }
}

int Form::ShowModal() {
  if (modal_) throw std::logic_error("The form is already shown modally");
  Application& app = Application::Instance();
  modalResult_ = mrNone;
  modal_ = true;
  app.ModalStarted(this);
  struct ModalEnd {
    Form& form;
    Application& app;
    ~ModalEnd() {
      ShowWindow(form.hwnd_, SW_HIDE);
      form.modal_ = false;
      app.ModalFinished(&form);
    }
  } end{*this, app};

  // Layout and the resize notification run once before the form is seen.
  Realign();
  Resize();
  Show();
  sys::TimelineMark("form shown");
  MSG msg;
  int failures = 0;
  bool idleBefore = false;
  while (modalResult_ == mrNone) {
    if ((!idleTasks_.empty() || sys::TimelineActive()) && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      // The first moment nothing is left to do (painting included) is when
      // the operator has the form: the end of the start-up.
      if (!idleBefore) sys::TimelineMark("painted and idle");
      idleBefore = true;
      if (RunIdleTask()) continue;
      sys::TimelineMark("idle work done");
      sys::TimelineWrite();
    }
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT belongs to the outer loop: pass it on and give up.
      PostQuitMessage(static_cast<int>(msg.wParam));
      modalResult_ = mrCancel;
      break;
    }
    if (got < 0) {
      // A message that could not be fetched (under Wine, a text of megabytes
      // sent by another program) is lost, not the dialog and the operator's
      // edits with it; only a loop that fails for good gives up.
      if (++failures < 1000) continue;
      modalResult_ = mrCancel;
      break;
    }
    failures = 0;
    app.DispatchOne(msg);
  }
  return modalResult_;
}

void Form::WhenIdle(std::function<void()> task) { idleTasks_.push_back(std::move(task)); }

bool Form::RunIdleTask() {
  if (idleTasks_.empty()) return false;
  std::function<void()> task = std::move(idleTasks_.front());
  idleTasks_.pop_front();
  try {
    task();
  } catch (...) {
    Application::ReportException();
  }
  return true;
}

void Form::Close() {
  if (modal_)
    modalResult_ = mrCancel;
  else
    ShowWindow(hwnd_, SW_HIDE);
}

Button* Form::DefaultButton() noexcept {
  return FindDescendant<Button>(this, [](Button* b) { return b->Default() && b->Showing(); });
}

Button* Form::CancelButton() noexcept {
  return FindDescendant<Button>(this, [](Button* b) { return b->Cancel() && b->Showing(); });
}

std::vector<Control*> Form::FocusOrder() {
  std::vector<Control*> order;
  std::function<void(Control*)> visit = [&](Control* parent) {
    for (Control* c : parent->TabList()) {
      if (!c->Showing()) continue;
      if (c->IsTabTarget()) order.push_back(c);
      visit(c);
    }
  };
  visit(this);
  return order;
}

void Form::SelectNext(bool forward) {
  auto order = FocusOrder();
  if (order.empty()) return;
  Control* current = WrapperOfFocus();
  auto it = std::find(order.begin(), order.end(), current);
  Control* next;
  if (it == order.end()) {
    next = forward ? order.front() : order.back();
  } else {
    size_t i = static_cast<size_t>(it - order.begin());
    next = forward ? order[(i + 1) % order.size()] : order[(i + order.size() - 1) % order.size()];
  }
  next->SetFocus();
  // As in a dialog, an edit box entered by Tab has its text selected.
  if (auto* edit = dynamic_cast<Edit*>(next); edit && !dynamic_cast<Memo*>(next)) edit->SelectAll();
}

bool Form::HandleDialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN) return false;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  bool shift = GetKeyState(VK_SHIFT) < 0;
  Control* focus = WrapperOfFocus();
  auto* combo = dynamic_cast<ComboBox*>(focus);
  WPARAM action;
  switch (msg.wParam) {
    case VK_TAB:
      if (ctrl) {
        // The outermost page control around the focus turns its pages; with
        // the focus elsewhere, the form's first page control does.
        PageControl* pc = nullptr;
        for (Control* c = focus; c && c != this; c = c->Parent())
          if (auto* p = dynamic_cast<PageControl*>(c)) pc = p;
        if (!pc) pc = FindDescendant<PageControl>(this, [](PageControl* p) { return p->Showing(); });
        if (!pc) return false;
        action = shift ? kPreviousPage : kNextPage;
      } else {
        action = shift ? kPreviousControl : kNextControl;
      }
      break;
    case VK_RETURN:
      if ((focus && focus->WantsReturn()) || (combo && combo->DroppedDown())) return false;
      if (dynamic_cast<Button*>(focus))
        action = kPressFocused;
      else if (DefaultButton())
        action = kPressDefault;
      else
        return false;
      break;
    case VK_ESCAPE:
      if ((combo && combo->DroppedDown()) || !CancelButton()) return false;
      action = kPressCancel;
      break;
    default: return false;
  }
  SendMessageA(hwnd_, kDialogKey, action, 0);
  return true;
}

LRESULT Form::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case kDialogKey: {
      switch (static_cast<DialogAction>(wParam)) {
        case kNextControl: SelectNext(true); break;
        case kPreviousControl: SelectNext(false); break;
        case kNextPage:
        case kPreviousPage: {
          Control* focus = WrapperOfFocus();
          PageControl* pc = nullptr;
          for (Control* c = focus; c && c != this; c = c->Parent())
            if (auto* p = dynamic_cast<PageControl*>(c)) pc = p;
          if (!pc) pc = FindDescendant<PageControl>(this, [](PageControl* p) { return p->Showing(); });
          if (pc) pc->SelectNextPage(wParam == kNextPage);
          break;
        }
        case kPressFocused:
          if (auto* b = dynamic_cast<Button*>(WrapperOfFocus())) b->Click();
          break;
        case kPressDefault:
          if (Button* b = DefaultButton()) b->Click();
          break;
        case kPressCancel:
          if (Button* b = CancelButton()) b->Click();
          break;
      }
      return 0;
    }
    case kPostedErrorMessage: {
      // Thrown here, so that it goes the way of every error of an event.
      std::string message;
      if (Application::Instance().TakePostedError(message)) throw std::runtime_error(message);
      return 0;
    }
    case WM_CLOSE: Close(); return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && activeControl_ && activeControl_->CanFocus()) {
        ::SetFocus(activeControl_->Handle());
        return 0;
      }
      break;
    default: break;
  }
  return Control::WndProc(msg, wParam, lParam);
}

void Form::ControlFocused(Control* control) {
  if (control == activeControl_) return;
  activeControl_ = control;
  control->Fire(control->OnEnter);
}

void Form::ControlDestroyed(Control* control) noexcept {
  if (activeControl_ == control) activeControl_ = nullptr;
}

HWND Form::Tooltip() {
  if (tooltip_) return tooltip_;
  tooltip_ =
      CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
  SendMessageA(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(Application::Instance().HintFontHandle()), TRUE);
  return tooltip_;
}

}  // namespace gui
