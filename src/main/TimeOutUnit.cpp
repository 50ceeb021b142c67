// The inactivity countdown.

#include "main/TimeOutUnit.h"

#include "gui/Application.h"
#include "gui/Form.h"
#include "sys/FunctionWrapper.h"

namespace {

// The system calls the stub with the timer callback's four arguments; the
// stub puts the countdown object in front of them.
void CALLBACK TimerTickEntry(TTimeout* self, HWND hwnd, UINT msg, UINT_PTR id, DWORD time) {
  self->TimerTick(hwnd, msg, id, time);
}

bool StopsTheCountdown(UINT message) {
  return (message >= WM_KEYFIRST && message <= 0x0109) || message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
         message == WM_MBUTTONDOWN;
}

gui::Form* ActiveForm() { return gui::Application::Instance().ActiveForm(); }

}  // namespace

TTimeout::TTimeout() { stub = MakeFunctionWrapper(this, reinterpret_cast<void*>(&TimerTickEntry)); }

TTimeout::~TTimeout() {
  StopTimer();
  FreeFunctionWrapper(stub);
}

void TTimeout::SetSeconds(std::int32_t seconds) {
  TotalSeconds = seconds;
  Remaining = seconds;
}

void TTimeout::HandleModalBegin() {
  // Without a positive length nobody asked for a countdown: the dialog waits.
  if (TotalSeconds <= 0 || Running()) return;
  UINT_PTR id = SetTimer(nullptr, 0, 1000, reinterpret_cast<TIMERPROC>(stub));
  TimerId = id ? static_cast<std::uint32_t>(id) : kNoTimer;
  if (Running() && !hook_) {
    running_ = this;
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, &MessageHook, nullptr, GetCurrentThreadId());
  }
}

LRESULT CALLBACK TTimeout::MessageHook(int code, WPARAM wParam, LPARAM lParam) {
  const HHOOK hook = running_ ? running_->hook_ : nullptr;
  if (code == HC_ACTION && wParam == PM_REMOVE && running_) {
    bool handled = false;
    running_->HandleAppMessage(*reinterpret_cast<const MSG*>(lParam), handled);
  }
  return CallNextHookEx(hook, code, wParam, lParam);
}

void TTimeout::StopTimer() {
  if (TimerId != kNoTimer) KillTimer(nullptr, TimerId);
  TimerId = kNoTimer;
  if (hook_) UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  if (running_ == this) running_ = nullptr;
}

void TTimeout::HandleAppMessage(const MSG& msg, bool&) {
  if (!StopsTheCountdown(msg.message)) return;
  bool ticked = Remaining != TotalSeconds;
  StopTimer();
  if (ticked) {
    if (gui::Form* form = ActiveForm()) form->SetCaption(SavedCaption);
  }
}

void TTimeout::TimerTick(HWND, UINT, UINT_PTR, DWORD) {
  if (!Running()) return;
  gui::Form* form = ActiveForm();
  if (Remaining == TotalSeconds && form) SavedCaption = form->Caption();
  --Remaining;
  if (form) form->SetCaption(SavedCaption + "    Осталось времени (" + std::to_string(Remaining) + ")");
  if (Remaining <= 0) {
    StopTimer();
    if (form) form->SetModalResult(ExpiryResult);
  }
}
