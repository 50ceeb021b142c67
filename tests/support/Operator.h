#pragma once
// Test helpers that act as the operator: clicks, keys, typing, tab changes and
// list picks reach the real windows as the messages a person's action
// produces; plus pumping until idle, message-box answering, recording the
// default exception handler, and programs run as processes.

#include "gui/Controls.h"
#include "gui/Form.h"
#include "gui/PageControl.h"

#include <chrono>
#include <string>
#include <vector>

namespace kivtest {

// Handles every message until none has come for `quietMs`, or `limitMs` passed.
void PumpUntilIdle(int quietMs = 30, int limitMs = 5000);

// Handles messages for `ms` milliseconds, timers included; stops early when
// `until` says so.
void PumpFor(int ms, const std::function<bool()>& until = nullptr);

// A left click at a point of a window's client area (posted down and up).
void ClickAt(HWND hwnd, POINT point);
// A left click at the centre of a control.
void Click(gui::Control& control);
// A key pressed and released in the window that has the focus, with Ctrl and
// Shift held as asked; the message passes through the form's own handling.
void PressKey(WORD vk, bool ctrl = false, bool shift = false);
// Focuses the control (as the operator's Tab would) and types the text into it.
void Type(gui::Control& control, const std::string& text);
// Clicks the tab of a page.
void ClickTab(gui::PageControl& pc, gui::TabSheet& sheet);
// Drops the list down and clicks an item of it.
void PickItem(gui::ComboBox& combo, int index);
// The Ctrl state seen by the form's keyboard handling, for posted keys.
void SetModifiers(bool ctrl, bool shift);

// Runs `script` inside the form's modal loop, as soon as it runs; returns the
// modal result. The script must end the dialog; if it does not, the form is
// cancelled and the test fails.
int RunModal(gui::Form& form, std::function<void()> script);

// Answers every message box that appears while it lives with `answer`, and
// keeps their texts and captions.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(int answer = IDOK);
  ~MessageBoxAnswerer();
  MessageBoxAnswerer(const MessageBoxAnswerer&) = delete;
  MessageBoxAnswerer& operator=(const MessageBoxAnswerer&) = delete;
  struct Box {
    std::string caption;
    std::string text;
  };
  [[nodiscard]] const std::vector<Box>& Boxes() const noexcept { return boxes_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_;
  int answer_;
  std::vector<Box> boxes_;
};

// Takes the application's default exception handler's place while it lives.
class ExceptionRecorder {
 public:
  ExceptionRecorder();
  ~ExceptionRecorder();
  ExceptionRecorder(const ExceptionRecorder&) = delete;
  ExceptionRecorder& operator=(const ExceptionRecorder&) = delete;
  [[nodiscard]] const std::vector<std::string>& Messages() const noexcept { return messages_; }

 private:
  std::vector<std::string> messages_;
};

// A program under test, started as a process in a folder of its own.
class Process {
 public:
  Process(const std::string& commandLine, const std::string& directory);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  // The exit code, or -1 when the time ran out (the process is then killed).
  int Wait(int timeoutMs);
  [[nodiscard]] DWORD Id() const noexcept { return info_.dwProcessId; }
  // A window of the process whose "KivName" is `name`, waiting for it.
  [[nodiscard]] HWND FindWindowNamed(const std::string& name, int timeoutMs) const;

 private:
  PROCESS_INFORMATION info_{};
  bool running_ = false;
};

// The "KivName" of a window, read as another process would.
[[nodiscard]] std::string KivNameOf(HWND hwnd);
// A window of this or another process with that "KivName", among the
// descendants of `root` (null: every top-level window of the process `pid`).
[[nodiscard]] HWND FindNamedWindow(HWND root, const std::string& name, DWORD pid = 0);

// Whether we run under Wine, for the differences that are Wine's.
[[nodiscard]] bool RunningUnderWine();

}  // namespace kivtest
