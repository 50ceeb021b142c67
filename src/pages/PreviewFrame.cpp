// The preview page: shows the working copy as the other pages left it and
// writes a hand edit back when the page is left or Save is pressed.

#include "pages/PreviewFrame.h"

#include "profile/Profile.h"
#include "profile/ProfileDocument.h"
#include "sys/SysUtils.h"
#include "sys/Wow64.h"

#include <stdexcept>

using namespace gui;

namespace {
struct FileHandle {
  HANDLE h;
  ~FileHandle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};

// The file as a native program names it; only the opening needs that, and
// the error text of a failure is looked up outside the scope.
HANDLE OpenNative(const std::string& fileName, DWORD access, DWORD share, DWORD disposition) {
  sys::NativeFileSystem native;
  return CreateFileA(fileName.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}
}  // namespace

std::string LoadTextFile(const std::string& fileName) {
  FileHandle file{OpenNative(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING)};
  if (file.h == INVALID_HANDLE_VALUE)
    throw std::runtime_error("Cannot open file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
  LARGE_INTEGER size{};
  GetFileSizeEx(file.h, &size);
  std::string raw(static_cast<size_t>(size.QuadPart), '\0');
  DWORD got = 0;
  size_t done = 0;
  while (done < raw.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(raw.size() - done, 1u << 30));
    if (!ReadFile(file.h, raw.data() + done, chunk, &got, nullptr))
      throw std::runtime_error("Cannot open file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
    if (got == 0) break;
    done += got;
  }
  raw.resize(done);
  // A UTF-16 or UTF-8 working copy is shown in the ANSI code page, as the
  // pages read it; a hand edit is written back in the file's own encoding.
  raw = profile::AnsiText(std::move(raw));
  // Most files end their lines with CR LF already: those are shown as read,
  // without a second copy of a file that may be megabytes.
  bool crlfOnly = true;
  for (size_t i = raw.find_first_of("\r\n"); i != std::string::npos; i = raw.find_first_of("\r\n", i + 2)) {
    if (raw[i] != '\r' || i + 1 >= raw.size() || raw[i + 1] != '\n') {
      crlfOnly = false;
      break;
    }
  }
  if (crlfOnly) return raw;
  std::string text;
  text.reserve(raw.size() + raw.size() / 16);
  for (size_t i = 0; i < raw.size(); ++i) {
    char c = raw[i];
    if (c == '\r') {
      text += "\r\n";
      if (i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      text += "\r\n";
    } else {
      text += c;
    }
  }
  return text;
}

void SaveTextFile(const std::string& fileName, const std::string& text) {
  // Written as the pages' values are: whole or not at all, so that a full
  // disk leaves the working copy as it was rather than cut, for Save to
  // commit.
  if (!profile::ReplaceWholeText(fileName, text))
    throw std::runtime_error("Cannot create file \"" + fileName + "\". " + SysErrorMessage(GetLastError()));
}

TFramePreview::TFramePreview(Control* owner) : TCommonSettingsFrame(owner, "FramePreview") {}

void TFramePreview::CreateControls() {
  memPrewiwIni = Add<Memo>({.name = "memPrewiwIni",
                            .align = Align::Client,
                            .visible = false,
                            .tabOrder = 0,
                            .scrollBars = ScrollBars::Vertical});
  viewPreview = Add<TextView>({.name = "viewPreview", .align = Align::Client, .color = clBtnFace, .tabOrder = 0});
  Panel1 = Add<Panel>({.name = "Panel1", .height = 22, .align = Align::Bottom, .bevel = Bevel::None});
  chkAllowEdit = Panel1->Add<CheckBox>({.name = "chkAllowEdit",
                                        .left = 6,
                                        .top = 6,
                                        .width = 147,
                                        .height = 13,
                                        .caption = "Редактировать",
                                        .onClick = [this] { chkAllowEditClick(); }});
}

std::string TFramePreview::GetCaption() { return "Итоговый вид"; }

void TFramePreview::chkAllowEditClick() {
  bool editable = chkAllowEdit->Checked();
  // The edit box takes over once editing is asked for, and keeps the text,
  // edited or not, for the rest of the visit.
  if (editable && viewPreview->Visible()) {
    memPrewiwIni->SetText(viewPreview->Text());
    memPrewiwIni->SetVisible(true);
    viewPreview->SetVisible(false);
    viewPreview->SetText({});
  }
  memPrewiwIni->SetReadOnly(!editable);
  memPrewiwIni->SetColor(editable ? clWindow : clBtnFace);
}

void TFramePreview::LoadSettings() {
  TCommonSettingsFrame::LoadSettings();
  std::string text = LoadTextFile(WorkFileName);
  const bool editable = chkAllowEdit->Checked();
  viewPreview->SetVisible(!editable);
  memPrewiwIni->SetVisible(editable);
  if (editable) {
    viewPreview->SetText({});
    memPrewiwIni->SetText(text);
  } else {
    memPrewiwIni->SetText({});
    viewPreview->SetText(std::move(text));
  }
  chkAllowEditClick();
}

std::string TFramePreview::ShownText() const {
  return viewPreview->Visible() ? viewPreview->Text() : memPrewiwIni->Text();
}

void TFramePreview::SaveSettings() {
  TCommonSettingsFrame::SaveSettings();
  if (IsSaveAllowed() && chkAllowEdit->Checked() && memPrewiwIni->Modified()) {
    SaveTextFile(WorkFileName, memPrewiwIni->Text());
    PreviewEditedByHand = true;
  }
}
