// The user-data page: values copied verbatim between "UserData" and the boxes.

#include "pages/IdentificationFrame.h"

#include "setup/ValueHints.h"

using namespace gui;

namespace {
const char kSection[] = "UserData";
}

TFrameIdentification::TFrameIdentification(Control* owner) : TCommonSettingsFrame(owner, "FrameIdentification") {}

void TFrameIdentification::CreateControls() {
  Label1 = Add<Label>({.name = "Label1", .left = 8, .top = 12, .caption = "Лицензиат ", .hint = "Полное имя"});
  edFullName =
      Add<Edit>({.name = "edFullName", .left = 96, .top = 8, .width = 347, .anchors = LeftTopRight, .onChange = [this] {
                   ShowValueHints();
                 }});
  Label2 = Add<Label>({.name = "Label2", .left = 8, .top = 40, .caption = "Организация"});
  edOrgName =
      Add<Edit>({.name = "edOrgName", .left = 96, .top = 36, .width = 347, .anchors = LeftTopRight, .onChange = [this] {
                   ShowValueHints();
                 }});
  Label3 = Add<Label>({.name = "Label3", .left = 8, .top = 68, .caption = "Серийный номер"});
  edSerial =
      Add<Edit>({.name = "edSerial", .left = 8, .top = 84, .width = 435, .anchors = LeftTopRight, .onChange = [this] {
                   ShowValueHints();
                 }});
  Label4 = Add<Label>(
      {.name = "Label4", .left = 8, .top = 116, .caption = "Имя компьютера (* - генерировать произвольное)"});
  // The longest computer name setup takes.
  edComputerName = Add<Edit>({.name = "edComputerName",
                              .left = 8,
                              .top = 132,
                              .width = 435,
                              .anchors = LeftTopRight,
                              .maxLength = 63,
                              .onChange = [this] { ShowValueHints(); }});
}

std::string TFrameIdentification::GetCaption() { return "Данные пользователя"; }

void TFrameIdentification::LoadSettings() {
  TCommonSettingsFrame::LoadSettings();
  std::string value;
  ReadValue(kSection, "ComputerName", "*", "", value);
  edComputerName->SetText(value);
  ReadValue(kSection, "FullName", "", "", value);
  edFullName->SetText(value);
  ReadValue(kSection, "OrgName", "", "", value);
  edOrgName->SetText(value);
  // Older files name the product key "ProductID"; where it exists it wins,
  // and the save moves it to "ProductKey".
  std::string productKey;
  ReadValue(kSection, "ProductKey", "", "", productKey);
  ReadValue(kSection, "ProductID", productKey, "", value);
  edSerial->SetText(value);
  ShowValueHints();
}

void TFrameIdentification::ShowValueHints() {
  MarkValue(edFullName, kSection, "FullName", hints::FullName(edFullName->Text()));
  MarkValue(edOrgName, kSection, "OrgName");
  MarkValue(edComputerName, kSection, "ComputerName", hints::ComputerName(edComputerName->Text()));
  MarkValue(edSerial, kSection, "ProductKey", hints::ProductKey(edSerial->Text()));
}

void TFrameIdentification::SaveSettings() {
  TCommonSettingsFrame::SaveSettings();
  if (!IsSaveAllowed()) return;
  WriteValue(kSection, "ComputerName", edComputerName);
  WriteValue(kSection, "FullName", edFullName);
  WriteValue(kSection, "OrgName", edOrgName);
  WriteValue(kSection, "ProductKey", edSerial);
  DeleteKey(kSection, "ProductID");
}
