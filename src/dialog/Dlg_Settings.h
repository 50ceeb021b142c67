#pragma once
// Dlg_Settings: the settings dialog, one tab per settings page above a panel
// with the Save and Cancel buttons, and ShowSettings, which shows it.

#include "dialog/CommonSettringFrame.h"
#include "gui/Form.h"
#include "gui/PageControl.h"

#include <vector>

// Gives every control under `component`, at any depth, the font mapper's
// charset, so that Cyrillic shows whatever the half-installed system's
// defaults.
void ApplyFontCharset(gui::Control* component);

class TdlgSettings : public gui::Form {
 public:
  // CreateWithPages: the dialog with a tab for every page class whose data
  // is available, in the order given; the first page is loaded.
  explicit TdlgSettings(const std::vector<TCommonSettingsFrameClass>& pages);
  ~TdlgSettings() override;

  gui::Panel* pnlButtons = nullptr;
  gui::Button* btnSave = nullptr;
  gui::Button* btnCancel = nullptr;
  gui::PageControl* PC = nullptr;
  gui::Label* lblKeyBoardIndicator = nullptr;
  gui::Label* Label1 = nullptr;

  // Keeps the two buttons centred as a pair, 20 pixels apart.
  virtual void ArrangeButtons();

  // The page on a tab sheet, or null.
  [[nodiscard]] static TCommonSettingsFrame* PageOf(const gui::TabSheet* sheet) noexcept;
  // Whether the dialog ended through the Save button (rather than the countdown).
  [[nodiscard]] bool SavePressed() const noexcept { return savePressed_; }

  void btnSaveClick();
  void PCChanging(bool& allowChange);
  void PCChange();
  void lblKeyBoardIndicatorClick();

 protected:
  void Resize() override;

 private:
  void AddPage(const TCommonSettingsFrameClass& pageClass);
  void SaveAllPages();
  bool savePressed_ = false;
};

// Shows the dialog modally with these pages; true when it ended with OK.
// `savePressed`, when given, tells whether the operator's Save ended it.
bool ShowSettings(const std::vector<TCommonSettingsFrameClass>& pages, bool* savePressed = nullptr);
