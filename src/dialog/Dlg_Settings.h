#pragma once
// TdlgSettings: the settings dialog, one tab per settings page above a panel
// with the Save and Cancel buttons.

#include "gui/Controls.h"
#include "gui/Form.h"
#include "gui/PageControl.h"

class TdlgSettings : public gui::Form {
 public:
  TdlgSettings();

  gui::Panel* pnlButtons;
  gui::Button* btnSave;
  gui::Button* btnCancel;
  gui::PageControl* PC;
  gui::Label* lblKeyBoardIndicator;
  gui::Label* Label1;

  // Keeps the two buttons centred as a pair, 20 pixels apart.
  virtual void ArrangeButtons();

 protected:
  void Resize() override;
};
