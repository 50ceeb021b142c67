// The run-program page: buttons laid out left to right, wrapping to a new
// row, each starting its configured command without waiting.

#include "pages/TRunProgramFrameUnit.h"

#include "sys/Launcher.h"
#include "gui/Application.h"
#include "gui/Form.h"

#include <stdexcept>

using namespace gui;

namespace {

// The page reads "KivEdt.ini" through the working-copy reads: the working
// copy's name stands for the configuration while the page reads, and is
// given back whatever happens.
class ReadingConfig {
 public:
  ReadingConfig() : saved_(WorkFileName) { WorkFileName = ConfigFileName(); }
  ~ReadingConfig() { WorkFileName = saved_; }
  ReadingConfig(const ReadingConfig&) = delete;
  ReadingConfig& operator=(const ReadingConfig&) = delete;

 private:
  std::string saved_;
};

}  // namespace

TRunProgramFrame::TRunProgramFrame(Control* owner) : TCommonSettingsFrame(owner, "RunProgramFrame") {}

std::string TRunProgramFrame::GetCaption() { return "Запуск программ"; }

bool TRunProgramFrame::HasValidData() {
  ReadingConfig config;
  if (!IsFile(WorkFileName)) return false;
  std::string command;
  ReadValue("Commands", "Command0", "", "", command);
  return !command.empty();
}

void TRunProgramFrame::LoadSettings() {
  if (Loaded()) return;
  TCommonSettingsFrame::LoadSettings();
  x_ = 0;
  y_ = 0;
  ReadingConfig config;
  if (!IsFile(WorkFileName)) return;
  std::string command;
  ReadValue("Commands", "Command0", "", "", command);
  for (int n = 0; !command.empty(); ++n) {
    std::string key = "Command" + std::to_string(n), hint, caption;
    ReadValue("Commands", key + "_Hint", "", "", hint);
    ReadValue("Commands", key + "_Caption", "", "", caption);
    if (!caption.empty()) AddCommandButton(command, caption, hint);
    ReadValue("Commands", "Command" + std::to_string(n + 1), "", "", command);
  }
}

void TRunProgramFrame::AddCommandButton(const std::string& command, const std::string& caption,
                                        const std::string& hint) {
  commands_.push_back(command);
  Button* button = Add<Button>(
      {.caption = caption, .hint = hint, .showHint = true, .tag = static_cast<std::intptr_t>(commands_.size() - 1)});
  button->OnClick = [this, button] { CommandButtonClick(button); };
  buttons_.push_back(button);

  int left = x_;
  int width = button->Width();
  // The dialog's own font decides how wide the caption is.
  Form* form = Application::Instance().ActiveForm();
  int measured = form ? form->TextWidth(caption) : TextWidth(caption);
  if (measured > width) width = measured + 10;
  x_ = left + width + 15;
  if (ClientRect().right < x_) {
    y_ += button->Height() + 5;
    left = 0;
    x_ = width + 15;
  }
  button->SetBounds(left, y_, width, button->Height());
}

const std::string& TRunProgramFrame::CommandOf(const Button* button) const {
  return commands_.at(static_cast<size_t>(button->Tag()));
}

void TRunProgramFrame::CommandButtonClick(Button* sender) { RunProgram(ExpandEnvironment(CommandOf(sender)), false); }
