// Application: window-class set-up, message dispatch, modal bookkeeping,
// hint font and the default exception handler.

#include "gui/Application.h"

#include "gui/Form.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace gui {

namespace {
Application* g_application = nullptr;

HFONT MakeFont(const Font& font) {
  LOGFONTA lf{};
  lf.lfHeight = font.height;
  lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = font.charset;
  lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
  return CreateFontIndirectA(&lf);
}
}  // namespace

Application::Application() {
  if (g_application) throw std::logic_error("There is already an application object");
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  // The hint font is the system's status font, as tooltips have it elsewhere.
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    hintFont_.name = metrics.lfStatusFont.lfFaceName;
    hintFont_.height = metrics.lfStatusFont.lfHeight;
  }
  hintFont_.color = clWindowText;
  hintFontHandle_ = MakeFont(hintFont_);
  g_application = this;
}

Application::~Application() {
  if (hintFontHandle_) DeleteObject(hintFontHandle_);
  g_application = nullptr;
}

Application* Application::Current() noexcept { return g_application; }

Application& Application::Instance() {
  if (!g_application) throw std::logic_error("No application object");
  return *g_application;
}

void Application::SetExceptionHandler(ExceptionHandler handler) { exceptionHandler_ = std::move(handler); }

void Application::ReportException() noexcept {
  std::string message;
  try {
    throw;
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "Unknown error";
  }
  if (!g_application) {
    MessageBoxA(nullptr, message.c_str(), nullptr, MB_OK | MB_ICONSTOP | MB_TASKMODAL);
    return;
  }
  if (g_application->exceptionHandler_)
    g_application->exceptionHandler_(message);
  else
    g_application->ShowException(message);
}

void Application::ShowException(const std::string& message) {
  Form* form = ActiveForm();
  MessageBoxA(form ? form->Handle() : nullptr, message.c_str(), Title.c_str(), MB_OK | MB_ICONSTOP);
}

Form* Application::ActiveForm() const noexcept {
  if (!modalForms_.empty()) return modalForms_.back();
  HWND active = GetActiveWindow();
  for (Form* f : forms_)
    if (f->Handle() == active) return f;
  return nullptr;
}

void Application::SetHintFont(const Font& font) {
  hintFont_ = font;
  HFONT old = hintFontHandle_;
  hintFontHandle_ = MakeFont(font);
  for (Form* f : forms_)
    if (f->tooltip_) SendMessageA(f->tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(hintFontHandle_), TRUE);
  if (old) DeleteObject(old);
}

void Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchOne(msg);
  }
}

void Application::DispatchOne(MSG& msg) {
  bool handled = false;
  if (OnMessage) {
    try {
      OnMessage(msg, handled);
    } catch (...) {
      ReportException();
    }
  }
  if (handled) return;
  if (msg.message == WM_KEYDOWN && msg.hwnd) {
    if (auto* form = dynamic_cast<Form*>(Control::FromHandle(GetAncestor(msg.hwnd, GA_ROOT)))) {
      if (form->HandleDialogKey(msg)) return;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void Application::ModalStarted(Form* form) {
  modalForms_.push_back(form);
  if (modalForms_.size() == 1 && OnModalBegin) OnModalBegin();
  for (size_t i = 0; i < postedErrors_.size(); ++i) PostMessageA(form->Handle(), kPostedErrorMessage, 0, 0);
}

void Application::PostError(const std::string& message) {
  postedErrors_.push_back(message);
  if (!modalForms_.empty()) PostMessageA(modalForms_.back()->Handle(), kPostedErrorMessage, 0, 0);
}

bool Application::TakePostedError(std::string& message) {
  if (postedErrors_.empty()) return false;
  message = postedErrors_.front();
  postedErrors_.erase(postedErrors_.begin());
  return true;
}

void Application::ModalFinished(Form* form) {
  modalForms_.erase(std::remove(modalForms_.begin(), modalForms_.end(), form), modalForms_.end());
}

void Application::FormCreated(Form* form) { forms_.push_back(form); }

void Application::FormDestroyed(Form* form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
  ModalFinished(form);
  // Errors posted for a form that never ran go with it.
  if (forms_.empty()) postedErrors_.clear();
}

}  // namespace gui
