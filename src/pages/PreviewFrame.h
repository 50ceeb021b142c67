#pragma once
// PreviewFrame: the last page, the working copy as text, editable on request.

#include "dialog/CommonSettringFrame.h"
#include "gui/TextView.h"

class TFramePreview : public TCommonSettingsFrame {
 public:
  explicit TFramePreview(gui::Control* owner);

  [[nodiscard]] static std::string GetCaption();
  void LoadSettings() override;
  void SaveSettings() override;

  void chkAllowEditClick();
  // The text the page shows, whichever box shows it.
  [[nodiscard]] std::string ShownText() const;

  gui::Memo* memPrewiwIni = nullptr;
  // Shows the text until editing is asked for: an edit box lays out every
  // line of a text before it shows it, which for an answer file of
  // megabytes takes seconds at every visit of the page.
  gui::TextView* viewPreview = nullptr;
  gui::Panel* Panel1 = nullptr;
  gui::CheckBox* chkAllowEdit = nullptr;

 protected:
  void CreateControls() override;
};

// A whole file as text in the ANSI code page (a UTF-16 or UTF-8 file
// converted), every line break made CR LF; fails with "Cannot open file
// "%s". %s".
[[nodiscard]] std::string LoadTextFile(const std::string& fileName);
// Replaces a whole file by the text, stored in the file's own encoding, whole
// or not at all; fails with "Cannot create file "%s". %s".
void SaveTextFile(const std::string& fileName, const std::string& text);
