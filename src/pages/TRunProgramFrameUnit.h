#pragma once
// TRunProgramFrameUnit: the run-program page, one button per command of
// "KivEdt.ini" section "Commands"; a button starts its command at once.

#include "dialog/CommonSettringFrame.h"
#include "setup/EditorConfig.h"

#include <string>
#include <vector>

class TRunProgramFrame : public TCommonSettingsFrame {
 public:
  explicit TRunProgramFrame(gui::Control* owner);

  [[nodiscard]] static std::string GetCaption();
  void LoadSettings() override;
  [[nodiscard]] bool HasValidData() override;

  // The command buttons, in the order they were made.
  [[nodiscard]] const std::vector<gui::Button*>& Buttons() const noexcept { return buttons_; }
  [[nodiscard]] const std::string& CommandOf(const gui::Button* button) const;

 private:
  void AddCommandButton(const std::string& command, const std::string& caption, const std::string& hint);
  void CommandButtonClick(gui::Button* sender);

  std::vector<gui::Button*> buttons_;
  std::vector<std::string> commands_;  // the buttons' own copies, by their Tag
  int x_ = 0;
  int y_ = 0;
};
