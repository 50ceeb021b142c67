#pragma once
// PreviewFrame: the last page, the working copy as text, editable on request.

#include "dialog/CommonSettringFrame.h"

class TFramePreview : public TCommonSettingsFrame {
 public:
  explicit TFramePreview(gui::Control* owner);

  [[nodiscard]] static std::string GetCaption();
  void LoadSettings() override;
  void SaveSettings() override;

  void chkAllowEditClick();

  gui::Memo* memPrewiwIni = nullptr;
  gui::Panel* Panel1 = nullptr;
  gui::CheckBox* chkAllowEdit = nullptr;
};

// A whole file as text, every line break made CR LF; fails with "Cannot open
// file "%s". %s".
[[nodiscard]] std::string LoadTextFile(const std::string& fileName);
// Replaces a whole file by the text; fails with "Cannot create file "%s". %s".
void SaveTextFile(const std::string& fileName, const std::string& text);
// The system's message for an error code, without the trailing period and
// line break.
[[nodiscard]] std::string SysErrorMessage(DWORD code);
