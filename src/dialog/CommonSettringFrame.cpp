// The page base's contract.

#include "dialog/CommonSettringFrame.h"

#include "profile/Profile.h"

TCommonSettingsFrame::TCommonSettingsFrame(gui::Control* owner, const std::string& name)
    : gui::Frame(owner, {.name = name, .width = 451, .height = 304, .align = gui::Align::Client, .tabStop = true}) {}

std::string TCommonSettingsFrame::GetCaption() { return "Название должно быть переопределено"; }

bool TCommonSettingsFrame::IsSaveAllowed() { return Loaded_ && HasValidData(); }

void TCommonSettingsFrame::SaveSettings() {}

void TCommonSettingsFrame::LoadSettings() { Loaded_ = true; }

bool TCommonSettingsFrame::CheckBeforeSave(bool) { return true; }

bool TCommonSettingsFrame::HasValidData() { return true; }

void TCommonSettingsFrame::ReadValue(const std::string& section, const std::string& key,
                                     const std::string& defaultValue, const std::string& fileName, std::string& value) {
  ReadProfileValue(section, key, defaultValue, fileName, value);
}

void TCommonSettingsFrame::WriteValue(const std::string& section, const std::string& key, const std::string& value) {
  WriteProfileValue(section, key, value);
}

void TCommonSettingsFrame::DeleteKey(const std::string& section, const std::string& key) {
  (void)profile::DeleteKey(WorkFileName, section, key);
}
