// The page base's contract and the answer-file value access.

#include "dialog/CommonSettringFrame.h"

#include "app/Profile.h"

std::string AnswerFileName;
std::string WorkFileName;
std::vector<std::string> EditorDirectives;

namespace {
constexpr size_t kValueBuffer = 261;
}

void ReadProfileValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                      const std::string& fileName, std::string& value) {
  value = profile::ReadString(fileName.empty() ? WorkFileName : fileName, section, key, defaultValue, kValueBuffer);
}

void WriteProfileValue(const std::string& section, const std::string& key, const std::string& value) {
  // Like the platform's profile write, a failure here is not the caller's
  // business: the pages go on.
  (void)profile::WriteString(WorkFileName, section, key, value);
}

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
