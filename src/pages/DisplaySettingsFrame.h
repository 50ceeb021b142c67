#pragma once
// DisplaySettingsFrame: the display page: resolution, colour depth and
// refresh rate of section "Display", each picked from a fixed list.

#include "dialog/CommonSettringFrame.h"

class TFrameDsiplaySettings : public TCommonSettingsFrame {
 public:
  explicit TFrameDsiplaySettings(gui::Control* owner);

  [[nodiscard]] static std::string GetCaption();
  void LoadSettings() override;
  void SaveSettings() override;

  gui::Label* Label1 = nullptr;
  gui::ComboBox* cbResolution = nullptr;
  gui::Label* Label2 = nullptr;
  gui::ComboBox* cbColorDeptch = nullptr;
  gui::Label* Label3 = nullptr;
  gui::ComboBox* cbVrefresh = nullptr;

 protected:
  void CreateControls() override;
};
