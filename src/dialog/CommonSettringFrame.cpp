// The page base's contract and the answer-file value access.

#include "dialog/CommonSettringFrame.h"

#include "app/Profile.h"
#include "sys/Wow64.h"

#include <windows.h>

#include <map>

std::string AnswerFileName;
std::string WorkFileName;
std::vector<std::string> EditorDirectives;

namespace {

constexpr size_t kValueBuffer = 261;
// Large enough for any value a profile line holds in practice.
constexpr size_t kWholeValueBuffer = 65536;

// Values the pages were given cut to the read limit, by file, section and
// key: writing such a value back unchanged would lose its end, so that write
// keeps the whole value instead.
std::map<std::string, std::string>& CutReads() {
  static std::map<std::string, std::string> reads;
  return reads;
}

std::string CutReadKey(const std::string& file, const std::string& section, const std::string& key) {
  std::string text = file + '\n' + section + '\n' + key;
  CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

bool CopyAnswerToWorkingCopy() {
  sys::NativeFileSystem native;
  // A read-only copy left by an earlier run would refuse to be replaced.
  SetFileAttributesA(WorkFileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CopyFileA(AnswerFileName.c_str(), WorkFileName.c_str(), FALSE)) return false;
  SetFileAttributesA(WorkFileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  return true;
}

void RemoveWorkingCopy() {
  if (WorkFileName.empty()) return;
  sys::NativeFileSystem native;
  SetFileAttributesA(WorkFileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(WorkFileName.c_str());
}

void ReadProfileValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                      const std::string& fileName, std::string& value) {
  const std::string& file = fileName.empty() ? WorkFileName : fileName;
  value = profile::ReadString(file, section, key, defaultValue, kValueBuffer);
  std::string id = CutReadKey(file, section, key);
  if (value.size() < kValueBuffer - 1) {
    CutReads().erase(id);
    return;
  }
  // Only a value that is really in the file is worth keeping whole.
  const std::string absent(1, '\x01');
  std::string whole = profile::ReadString(file, section, key, absent, kWholeValueBuffer);
  if (whole != absent && whole.size() > value.size())
    CutReads()[id] = value;
  else
    CutReads().erase(id);
}

void WriteProfileValue(const std::string& section, const std::string& key, const std::string& value) {
  std::string id = CutReadKey(WorkFileName, section, key);
  if (auto cut = CutReads().find(id); cut != CutReads().end()) {
    if (cut->second == value) {
      std::string whole = profile::ReadString(WorkFileName, section, key, "", kWholeValueBuffer);
      if (whole.size() > value.size() && whole.compare(0, value.size(), value) == 0) return;
    }
    CutReads().erase(cut);
  }
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
