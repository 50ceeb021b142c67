// The display page: list items matched against "Display" as text; the first
// item of each list leaves the setting to setup, so its keys are deleted.

#include "pages/DisplaySettingsFrame.h"

#include "sys/TextUtils.h"

using namespace gui;

namespace {

const char kSection[] = "Display";

// Selects the item whose text is exactly the value, else the default item.
void SelectExact(ComboBox* box, const std::string& value) {
  for (int i = 0; i < box->ItemCount(); ++i) {
    if (box->ItemText(i) == value) {
      box->SetItemIndex(i);
      return;
    }
  }
  box->SetItemIndex(0);
}

}  // namespace

TFrameDsiplaySettings::TFrameDsiplaySettings(Control* owner) : TCommonSettingsFrame(owner, "FrameDsiplaySettings") {}

void TFrameDsiplaySettings::CreateControls() {
  Label1 = Add<Label>({.name = "Label1", .left = 50, .top = 12, .caption = "Разрешение"});
  cbResolution =
      Add<ComboBox>({.name = "cbResolution",
                     .left = 136,
                     .top = 9,
                     .width = 193,
                     .anchors = LeftTopRight,
                     .style = ComboStyle::DropDownList,
                     .items = {"(По умолчанию)", "  640x480", "  800x600", "1024x768", "1280x1024", "1600x1200"}});
  Label2 = Add<Label>({.name = "Label2", .left = 16, .top = 50, .caption = "Глубина цвета, бит"});
  cbColorDeptch = Add<ComboBox>({.name = "cbColorDeptch",
                                 .left = 136,
                                 .top = 47,
                                 .width = 193,
                                 .anchors = LeftTopRight,
                                 .style = ComboStyle::DropDownList,
                                 .items = {"(По умолчанию)", "8", "16", "24", "32"}});
  Label3 = Add<Label>({.name = "Label3", .left = 8, .top = 92, .caption = "Частота обновления"});
  cbVrefresh = Add<ComboBox>({.name = "cbVrefresh",
                              .left = 136,
                              .top = 88,
                              .width = 193,
                              .anchors = LeftTopRight,
                              .style = ComboStyle::DropDownList,
                              .items = {"(По умолчанию)", "60", "70", "72", "75", "85"}});
}

std::string TFrameDsiplaySettings::GetCaption() { return "Параметры дисплея"; }

void TFrameDsiplaySettings::LoadSettings() {
  TCommonSettingsFrame::LoadSettings();
  std::string value;
  ReadValue(kSection, "BitsPerPel", "0", "", value);
  SelectExact(cbColorDeptch, value);
  ReadValue(kSection, "Vrefresh", "0", "", value);
  SelectExact(cbVrefresh, value);

  std::string x, y;
  ReadValue(kSection, "Xresolution", "0", "", x);
  ReadValue(kSection, "Yresolution", "0", "", y);
  std::string resolution = x + "x" + y;
  cbResolution->SetItemIndex(-1);
  for (int i = 0; i < cbResolution->ItemCount(); ++i) {
    if (SameAsciiText(TrimBlanks(cbResolution->ItemText(i)), resolution)) {
      cbResolution->SetItemIndex(i);
      break;
    }
  }
  if (cbResolution->ItemIndex() < 0) cbResolution->SetItemIndex(0);
}

void TFrameDsiplaySettings::SaveSettings() {
  TCommonSettingsFrame::SaveSettings();
  if (!IsSaveAllowed()) return;
  for (auto [box, key] : {std::pair{cbColorDeptch, "BitsPerPel"}, std::pair{cbVrefresh, "Vrefresh"}}) {
    if (box->ItemIndex() < 0) box->SetItemIndex(0);
    if (box->ItemIndex() == 0)
      DeleteKey(kSection, key);
    else
      WriteValue(kSection, key, box->Text());
  }
  if (cbResolution->ItemIndex() > 0) {
    std::string text = cbResolution->Text();
    size_t x = text.find('x');
    WriteValue(kSection, "Xresolution", TrimBlanks(text.substr(0, x)));
    WriteValue(kSection, "Yresolution", x == std::string::npos ? std::string() : TrimBlanks(text.substr(x + 1)));
  } else {
    DeleteKey(kSection, "Xresolution");
    DeleteKey(kSection, "Yresolution");
  }
}
