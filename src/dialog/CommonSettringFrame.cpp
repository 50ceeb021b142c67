// The page base's contract.

#include "dialog/CommonSettringFrame.h"

#include "profile/Profile.h"

namespace {
// The size the pages are designed at: the coordinates and anchors of their
// controls are those of a page of this size.
constexpr int kDesignWidth = 451, kDesignHeight = 304;
}  // namespace

TCommonSettingsFrame::TCommonSettingsFrame(gui::Control* owner, const std::string& name)
    : gui::Frame(owner, {.name = name,
                         .width = kDesignWidth,
                         .height = kDesignHeight,
                         .align = gui::Align::Client,
                         .tabStop = true}) {}

std::string TCommonSettingsFrame::GetCaption() { return "Название должно быть переопределено"; }

void TCommonSettingsFrame::EnsureControls() {
  if (controlsMade_) return;
  controlsMade_ = true;
  // The controls are laid out on the page at its design size and then
  // follow their anchors as the page takes its place's size, exactly as when
  // the page is made with them.
  const gui::Align align = GetAlign();
  const RECT placed{Left(), Top(), Left() + Width(), Top() + Height()};
  SetAlign(gui::Align::None);
  SetBounds(placed.left, placed.top, kDesignWidth, kDesignHeight);
  CreateControls();
  SetBounds(placed.left, placed.top, placed.right - placed.left, placed.bottom - placed.top);
  SetAlign(align);
}

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

void TCommonSettingsFrame::WriteValue(const std::string& section, const std::string& key, const gui::Edit* box) {
  WriteProfileValue(section, key, box->Text(), box->Modified());
}

void TCommonSettingsFrame::DeleteKey(const std::string& section, const std::string& key) {
  (void)profile::DeleteKey(WorkFileName, section, key);
}

void TCommonSettingsFrame::MarkValue(gui::Edit* box, const std::string& section, const std::string& key,
                                     const std::string& why) {
  // A box the operator typed in is saved in setup's syntax, whatever the
  // stored text was.
  const std::string otherwise = box->Modified() ? "" : SetupReadsOtherwise(section, key, box->Text());
  box->SetWarning(why.empty() ? otherwise : otherwise.empty() ? why : why + "\n" + otherwise);
}

void TCommonSettingsFrame::MarkSecret(gui::Edit* box, const std::string& section, const std::string& key) {
  box->SetWarning(box->Modified() || SetupReadsOtherwise(section, key, box->Text()).empty()
                      ? ""
                      : "Установка прочтёт не тот пароль, что записан: в нём запятая, «;» или кавычка "
                        "без кавычек вокруг. Введите его заново, и он будет записан верно.");
}
