#pragma once
// IdentificationFrame: the user-data page: full name, organisation, product
// key and computer name of section "UserData".

#include "dialog/CommonSettringFrame.h"

class TFrameIdentification : public TCommonSettingsFrame {
 public:
  explicit TFrameIdentification(gui::Control* owner);

  [[nodiscard]] static std::string GetCaption();
  void LoadSettings() override;
  void SaveSettings() override;
  // Marks the computer name and the product key when setup would reject
  // them, with the reason in their tooltips; the values stay as typed.
  void ShowValueHints();

  gui::Label* Label1 = nullptr;
  gui::Edit* edFullName = nullptr;
  gui::Label* Label2 = nullptr;
  gui::Edit* edOrgName = nullptr;
  gui::Label* Label3 = nullptr;
  gui::Edit* edSerial = nullptr;
  gui::Label* Label4 = nullptr;
  gui::Edit* edComputerName = nullptr;

 protected:
  void CreateControls() override;
};
