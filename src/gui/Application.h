#pragma once
// Application: the one per process that registers the toolkit's window
// classes, owns the message hook, the modal-begin event, the hint font and
// the default exception handler, and pumps messages.

#include "gui/Types.h"

namespace gui {

class Form;

class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The program's application object; there is exactly one while it runs.
  [[nodiscard]] static Application& Instance();
  // The application object, or null when there is none.
  [[nodiscard]] static Application* Current() noexcept;

  // The program's name, which the program hands over: the caption of the
  // error boxes.
  std::string Title;
  // The window property under which each control's window carries its design
  // name, so that tests and automation tools find a control by it from this
  // process or another; the program hands it over (empty: none is set).
  std::string NameProperty;
  // The program's icon, which the program hands over; its forms show it.
  [[nodiscard]] HICON Icon() const noexcept { return icon_; }
  void SetIcon(HICON icon) noexcept { icon_ = icon; }

  // Sees every message taken from the queue before anything else; set
  // `handled` to swallow it.
  std::function<void(MSG& msg, bool& handled)> OnMessage;
  // Fires when the first modal form begins (not for modal forms inside it).
  std::function<void()> OnModalBegin;
  // Runs each event handler the controls fire (a click, a change, an entry);
  // when unset, the handler is called as it is. A program puts around every
  // action of the operator what the action needs as a whole.
  std::function<void(const std::function<void()>& handler)> EventScope;

  // What happens to an error that escapes an event handler: by default its
  // message in a box; tests record it instead.
  using ExceptionHandler = std::function<void(const std::string& message)>;
  void SetExceptionHandler(ExceptionHandler handler);
  // Passes the exception being handled to the application's handler (a
  // message box when there is no application); call inside `catch`.
  static void ReportException() noexcept;
  void ShowException(const std::string& message);
  // An error met where it cannot be reported yet (while a form is being
  // built): it goes to the handler from the running form's loop, as an
  // event's error does, once a modal form runs.
  void PostError(const std::string& message);
  // The oldest posted error not yet reported; false when there is none.
  [[nodiscard]] bool TakePostedError(std::string& message);

  [[nodiscard]] Form* ActiveForm() const noexcept;
  [[nodiscard]] const Font& HintFont() const noexcept { return hintFont_; }
  void SetHintFont(const Font& font);
  [[nodiscard]] HFONT HintFontHandle() const noexcept { return hintFontHandle_; }

  // Handles every message waiting in the queue, then returns.
  void ProcessMessages();
  // One message through the hook, the active form's keyboard handling, then
  // translation and dispatch.
  void DispatchOne(MSG& msg);

 private:
  friend class Form;
  void ModalStarted(Form* form);
  void ModalFinished(Form* form);
  void FormCreated(Form* form);
  void FormDestroyed(Form* form);

  ExceptionHandler exceptionHandler_;
  HICON icon_ = nullptr;
  Font hintFont_;
  HFONT hintFontHandle_ = nullptr;
  std::vector<Form*> forms_;
  std::vector<Form*> modalForms_;
  std::vector<std::string> postedErrors_;
};

}  // namespace gui
