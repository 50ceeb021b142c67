// The network page's "Адаптеры" tab: the entries of "NetAdapters" and the
// parameter section of each, one adapter shown at a time.

#include "pages/NetworkFrameUnit.h"

#include "sys/TextUtils.h"

using namespace gui;

namespace {

const char kNetAdapters[] = "NetAdapters";

// Setup reads the connection name in the OEM code page; the operator sees
// and types it in the ANSI one.
std::string FromOem(const std::string& text) {
  std::string buffer(text.size() + 1, '\0');
  OemToCharA(text.c_str(), buffer.data());
  buffer.resize(text.size());
  return buffer;
}

std::string ToOem(const std::string& text) {
  std::string buffer(text.size() + 1, '\0');
  CharToOemA(text.c_str(), buffer.data());
  buffer.resize(text.size());
  return buffer;
}

}  // namespace

void TNetWorkFrame::DesignAdaptersTab() {
  constexpr int kBoxLeft = 110, kBoxWidth = 325;
  const std::string infIdHint =
      "*- автоматическое определение адапртера\n"
      "InfID: \"*\" makes setup take the first network adapter it detects. With several\n"
      "adapters give the adapter's Plug and Play ID, e.g. PCI\\VEN_8086&DEV_100E,\n"
      "and, for adapters of one kind, the MAC address as well.";
  const std::string connectionHint = "Название соединения (например Корпоративное подключение)";
  const std::string macHint =
      "NetCardAddress: the adapter's MAC address in hexadecimal, e.g. 0x0012AB34CD56;\n"
      "needed only to tell apart several adapters of one kind.";
  Label14 = tsAdapters->Add<Label>({.name = "Label14", .left = 8, .top = 8, .caption = "Адаптеры"});
  cbAdapters = tsAdapters->Add<ComboBox>({.name = "cbAdapters",
                                          .left = kBoxLeft,
                                          .top = 4,
                                          .width = kBoxWidth,
                                          .anchors = LeftTopRight,
                                          .style = ComboStyle::DropDownList,
                                          .onChange = [this] { cbAdaptersChange(); },
                                          .onEnter = [this] { cbAdaptersEnter(); }});
  Label15 =
      tsAdapters->Add<Label>({.name = "Label15", .left = 8, .top = 36, .caption = "InfID (*-авто)", .hint = infIdHint});
  edInfId = tsAdapters->Add<Edit>(
      {.name = "edInfId", .left = kBoxLeft, .top = 32, .width = kBoxWidth, .anchors = LeftTopRight, .hint = infIdHint});
  Label16 = tsAdapters->Add<Label>(
      {.name = "Label16", .left = 8, .top = 60, .caption = "Наименование", .hint = connectionHint});
  edConnectionName = tsAdapters->Add<Edit>({.name = "edConnectionName",
                                            .left = kBoxLeft,
                                            .top = 56,
                                            .width = kBoxWidth,
                                            .anchors = LeftTopRight,
                                            .hint = connectionHint});
  Label17 = tsAdapters->Add<Label>({.name = "Label17", .left = 8, .top = 84, .caption = "MAC-адрес", .hint = macHint});
  edMacAddres = tsAdapters->Add<Edit>({.name = "edMacAddres",
                                       .left = kBoxLeft,
                                       .top = 80,
                                       .width = kBoxWidth,
                                       .anchors = LeftTopRight,
                                       .hint = macHint});
}

void TNetWorkFrame::LoadAdapterEntry(const std::string& name) {
  std::string section;
  if (!name.empty()) ReadValue(kNetAdapters, name, "", "", section);
  if (section.empty()) {
    edInfId->SetText("*");
    edConnectionName->SetText("");
    edMacAddres->SetText("");
    return;
  }
  std::string value;
  ReadValue(section, "InfID", "*", "", value);
  edInfId->SetText(value);
  ReadValue(section, "ConnectionName", "", "", value);
  edConnectionName->SetText(FromOem(value));
  ReadValue(section, "NetCardAddress", "", "", value);
  edMacAddres->SetText(value);
}

void TNetWorkFrame::SaveAdapterEntry(const std::string& name) {
  std::string section;
  if (!name.empty()) ReadValue(kNetAdapters, name, "", "", section);
  if (section.empty()) return;
  auto writeOrDeleteBlank = [&](const char* key, const std::string& text) {
    if (TrimBlanks(text).empty())
      DeleteKey(section, key);
    else
      WriteValue(section, key, text);
  };
  writeOrDeleteBlank("InfID", edInfId->Text());
  writeOrDeleteBlank("ConnectionName", ToOem(edConnectionName->Text()));
  writeOrDeleteBlank("NetCardAddress", edMacAddres->Text());
}

void TNetWorkFrame::SaveShownAdapterEntry() {
  std::string name = cbAdapters->Text();
  // A loaded page always has an entry selected; an empty key name could not
  // be written anyway.
  if (name.empty()) return;
  std::string section;
  ReadValue(kNetAdapters, name, "", "", section);
  if (section.empty()) {
    section = "params." + name;
    WriteValue(kNetAdapters, name, section);
  }
  WriteOrDelete(section, "InfID", edInfId->Text());
  WriteOrDelete(section, "ConnectionName", ToOem(edConnectionName->Text()));
  WriteOrDelete(section, "NetCardAddress", edMacAddres->Text());
}

void TNetWorkFrame::cbAdaptersEnter() {
  int index = cbAdapters->ItemIndex();
  if (index >= 0) SaveAdapterEntry(cbAdapters->ItemText(index));
}

void TNetWorkFrame::cbAdaptersChange() { LoadAdapterEntry(cbAdapters->Text()); }
