#pragma once
// Form: a top-level window shown modally through the toolkit's own message
// loop, which gives the keyboard its dialog meaning (Tab, Enter, Esc, Ctrl+Tab).

#include "gui/Control.h"

#include <deque>
#include <functional>

namespace gui {

class Button;
class PageControl;

enum class Position { Designed, DesktopCenter };

class Form : public Control {
 public:
  // The design's width and height are the client area's.
  explicit Form(const Design& design, Position position = Position::DesktopCenter);
  ~Form() override;

  [[nodiscard]] int ClientWidth() const;
  [[nodiscard]] int ClientHeight() const;
  void SetClientSize(int width, int height);

  // Shows the form and runs the modal loop until ModalResult is set; hides it
  // again and returns the result.
  int ShowModal();
  [[nodiscard]] bool Modal() const noexcept { return modal_; }
  [[nodiscard]] int GetModalResult() const noexcept { return modalResult_; }
  void SetModalResult(int result) noexcept { modalResult_ = result; }
  // As the close box: Cancel for a modal form.
  void Close();
  void Show();

  // The control that has (or last had) the focus in this form.
  [[nodiscard]] Control* ActiveControl() const noexcept { return activeControl_; }
  [[nodiscard]] Button* DefaultButton() noexcept;
  [[nodiscard]] Button* CancelButton() noexcept;
  // The keyboard's dialog meaning for a message taken from the queue; true
  // when the message was used up.
  bool HandleDialogKey(const MSG& msg);
  // Moves the focus to the next control in tab order (or the previous one).
  void SelectNext(bool forward);
  // The form's tooltip window, made on first use.
  [[nodiscard]] HWND Tooltip();
  // Work that can wait until the operator has the form: the modal loop runs
  // one task each time it finds nothing else to do, oldest first, so that
  // what the operator does waits at most for one task. A task's error goes
  // to the application's handler, as an event's does; tasks not run by the
  // end of the loop go with the form.
  void WhenIdle(std::function<void()> task);
  [[nodiscard]] bool HasIdleTasks() const noexcept { return !idleTasks_.empty(); }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  [[nodiscard]] bool OwnsBackground() const noexcept override { return true; }
  [[nodiscard]] TColor KindColor() const noexcept override { return clBtnFace; }

 private:
  friend class Control;
  friend class Application;
  void ControlFocused(Control* control);
  void ControlDestroyed(Control* control) noexcept;
  [[nodiscard]] std::vector<Control*> FocusOrder();
  void Centre();
  // Runs the oldest idle task; false when there was none.
  bool RunIdleTask();

  Position position_;
  bool modal_ = false;
  int modalResult_ = mrNone;
  Control* activeControl_ = nullptr;
  HWND tooltip_ = nullptr;
  std::deque<std::function<void()>> idleTasks_;
};

}  // namespace gui
