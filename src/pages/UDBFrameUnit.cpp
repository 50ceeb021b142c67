// The UDB page: its design, the two modes in which it loads, the file and
// computer boxes' handlers and the merge on leaving the page and on Save.

#include "pages/UDBFrameUnit.h"

#include "setup/EditorConfig.h"
#include "sys/Launcher.h"
#include "sys/TextUtils.h"
#include "setup/SourceLocation.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "sys/ChangerUtil.h"
#include "setup/UDBMerge.h"

#include <stdexcept>

using namespace gui;

namespace {

const char kNoFile[] = "Файл не выбран";
const char kUniqueUDB[] = "$UNIQUE$.UDB";

std::string WithBackslash(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  return path;
}

// Selects the item equal to `name` (case ignored), or the first item when
// the name is empty or not listed.
void SelectNamedOrFirst(ComboBox* box, const std::string& name) {
  const int index = name.empty() ? -1 : box->IndexOf(name);
  box->SetItemIndex(index >= 0 ? index : 0);
}

// Disabled boxes say why they are empty. A drop-down list shows only its
// items, so the text is given as the one item; a disabled box on a page the
// dialog keeps has nothing listed that it could hide.
void ShowPlaceholder(ComboBox* box, const char* text) {
  if (box->ItemCount() > 0) return;
  box->AddItem(text);
  box->SetItemIndex(0);
}

}  // namespace

TUDBFrame::TUDBFrame(Control* owner) : TCommonSettingsFrame(owner, "UDBFrame") {}

void TUDBFrame::CreateControls() {
  Label1 = Add<Label>({.name = "Label1", .left = 8, .top = 12, .width = 49, .height = 13, .caption = "Файл UDB"});
  Label2 = Add<Label>({.name = "Label2", .left = 3, .top = 44, .width = 58, .height = 13, .caption = "Компьютер"});
  Label3 = Add<Label>({.name = "Label3", .left = 8, .top = 80, .width = 49, .height = 13, .caption = "Описание"});
  cbUDBFile = Add<ComboBox>({.name = "cbUDBFile",
                             .left = 72,
                             .top = 8,
                             .width = 369,
                             .height = 21,
                             .anchors = LeftTopRight,
                             .tabOrder = 0,
                             .style = ComboStyle::DropDownList,
                             .onChange = [this] { cbUDBFileChange(); }});
  cbCompName = Add<ComboBox>({.name = "cbCompName",
                              .left = 70,
                              .top = 40,
                              .width = 369,
                              .height = 21,
                              .anchors = LeftTopRight,
                              .tabOrder = 1,
                              .style = ComboStyle::DropDownList,
                              .onChange = [this] { cbCompNameChange(); }});
  memDescription = Add<Memo>({.name = "memDescription",
                              .left = 8,
                              .top = 99,
                              .width = 431,
                              .height = 190,
                              .anchors = LeftTopRightBottom,
                              .hint = "Описание компьютера",
                              .showHint = true,
                              .tabOrder = 2,
                              .readOnly = true,
                              .scrollBars = ScrollBars::Vertical,
                              // A flat line rather than the sunken edge of
                              // input boxes, since nothing is typed here.
                              .borderStyle = BorderStyle::Single});
}

TUDBFrame::~TUDBFrame() = default;

std::string TUDBFrame::GetCaption() { return "UDB"; }

std::string TUDBFrame::GetUDBDirectory() {
  const std::string config = ConfigFileName();
  if (!IsFile(config)) return {};
  std::string path;
  ReadValue("UDB", "Path", "", config, path);
  path = TrimBlanks(path);
  if (path.empty()) return {};
  path = ExpandEnvironment(path);
  // A variable that is empty leaves no folder to look in, not the source
  // folder itself.
  if (TrimBlanks(path).empty()) return {};
  if (path.find(':') == std::string::npos) {
    if (path.front() == '\\') {
      size_t from = 1;
      while (from < path.size() && static_cast<unsigned char>(path[from]) <= ' ') ++from;
      path.erase(0, from);
    }
    path = WithBackslash(SourcePath) + path;
  }
  return path;
}

bool TUDBFrame::HasValidData() {
  const std::string directory = GetUDBDirectory();
  if (directory.empty()) return false;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((WithBackslash(directory) + "*.UDB").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  // Hidden and system files count: the page is there, though it may not
  // list them. A folder whose name matches does not hide the files after it.
  bool found = false;
  do found = !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  while (!found && FindNextFileA(find, &data));
  FindClose(find);
  return found;
}

void TUDBFrame::FillUDBFileList(const std::string& directory) {
  UDBDirectory = WithBackslash(directory);
  // Put first rather than inserted after the listing: the box is always
  // empty here.
  if (!UniqueMode) cbUDBFile->AddItem(kNoFile);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((UDBDirectory + "*.UDB").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    cbUDBFile->AddItem(data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

void TUDBFrame::LoadSettings() {
  if (!Loaded()) {
    const std::string config = ConfigFileName();
    const bool configExists = IsFile(config);
    std::string source;
    ReadValue("Data", "sourcepath", "", "", source);
    source = DevicePathToDosPath(source);
    bool enabled = configExists && !source.empty();
    cbUDBFile->ClearItems();
    UniqueMode = false;
    if (!source.empty()) {
      source = WithBackslash(source);
      if (IsFile(source + kUniqueUDB)) {
        UniqueMode = true;
        LastUDBMerge.mode = "уникальный";
        LoadUniqueUDB(source);
      } else if (configExists) {
        const std::string directory = GetUDBDirectory();
        if (directory.empty()) {
          enabled = false;
        } else {
          FillUDBFileList(directory);
          std::string name;
          ReadValue("UDB", "DefaultUDBFile", "", config, name);
          SelectNamedOrFirst(cbUDBFile, name);
          // Only the computer finally preselected is picked: going through
          // the file's first computer on the way would leave its values in
          // the working copy under another computer's name.
          OpenSelectedUDBFile();
          if (cbCompName->ItemCount() > 0) {
            ReadValue("UDB", "DefaultUDBIdent", "", config, name);
            SelectNamedOrFirst(cbCompName, name);
            SelectComputerWhileLoading();
          }
        }
      }
    }
    for (Control* control : std::initializer_list<Control*>{Label1, Label2, cbUDBFile, cbCompName})
      control->SetEnabled(enabled);
    if (!enabled) {
      ShowPlaceholder(cbUDBFile, "Нет файла");
      ShowPlaceholder(cbCompName, "Нет");
    }
    TCommonSettingsFrame::LoadSettings();
  }
  SavedCompIndex = cbCompName->ItemIndex();
  SavedFileIndex = cbUDBFile->ItemIndex();
  rebuiltSinceShown_ = false;
}

void TUDBFrame::LoadUniqueUDB(const std::string& directory) {
  FillUDBFileList(directory);
  if (cbUDBFile->ItemCount() > 0) cbUDBFile->SetItemIndex(0);
  OpenSelectedUDBFile();
  if (cbCompName->ItemCount() == 0) return;
  cbCompName->SetItemIndex(0);
  std::string id;
  ReadValue("Data", "uniqueness", "", "", id);
  // Setup may mark the identifier with a "*" after it; one in front is part
  // of the name.
  if (const size_t star = id.find('*'); star != std::string::npos && star > 0) id.erase(star, 1);
  if (const int index = cbCompName->IndexOf(id); index >= 0) cbCompName->SetItemIndex(index);
  SelectComputerWhileLoading();
}

std::string TUDBFrame::SelectedUDBFileName() const { return UDBDirectory + cbUDBFile->Text(); }

void TUDBFrame::ForgetComputer() {
  // The exit commands of a computer the operator turned away from must not run.
  EditorDirectives.clear();
  ShowDescription({});
}

void TUDBFrame::OpenSelectedUDBFile() {
  cbCompName->ClearItems();
  ForgetComputer();
  UDBIni.reset();
  const int index = cbUDBFile->ItemIndex();
  if (index < 0 || (index == 0 && !UniqueMode)) return;
  UDBIni = std::make_unique<TIniFile>(SelectedUDBFileName());
  std::vector<std::string> ids;
  UDBIni->ReadSection("UniqueIds", ids);
  for (const std::string& id : ids) cbCompName->AddItem(id);
}

void TUDBFrame::cbUDBFileChange() {
  OpenSelectedUDBFile();
  if (cbCompName->ItemCount() == 0) return;
  cbCompName->SetItemIndex(0);
  cbCompNameChange();
}

void TUDBFrame::cbCompNameChange() {
  ShowDescription({});
  if (!UDBIni) {
    EditorDirectives.clear();
    return;
  }
  const std::string id = cbCompName->Text();
  if (SelectUDBComputer(*UDBIni, id, [this](const std::vector<std::string>& lines) { ShowDescription(lines); })) {
    rebuiltFor_ = UDBIni->FileName() + "\n" + id;
    rebuiltSinceShown_ = true;
    // The working copy was made again from the answer file: no computer's
    // values are merged into it any more.
    uniqueMerged_.clear();
  }
}

void TUDBFrame::SelectComputerWhileLoading() {
  try {
    cbCompNameChange();
  } catch (const std::exception& e) {
    // The page is built with the dialog, before its loop runs: an error
    // thrown from here would take the whole dialog with it. It is shown from
    // the dialog's own loop, over the dialog.
    Application::Instance().PostError(e.what());
  }
}

void TUDBFrame::ShowDescription(const std::vector<std::string>& lines) {
  // One line of the box for each description value, an empty one included.
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) text += (i == 0 ? "" : "\r\n") + lines[i];
  memDescription->SetText(text);
}

void TUDBFrame::SaveSettings() {
  TCommonSettingsFrame::SaveSettings();
  if (!IsSaveAllowed()) return;
  if (!UniqueMode) {
    SaveSelectedComputer();
    return;
  }
  const bool selected = cbCompName->ItemIndex() >= 0;
  // The computer is merged once, when the page is first left, and again only
  // for another pick: merged at every departure, its values would overwrite
  // what the operator typed on the other pages since, and so would the Save.
  const std::string pick = SelectedUDBFileName() + "\n" + cbCompName->Text();
  const bool mergeDue = selected && pick != uniqueMerged_;
  // The file is retired only by the Save that ends the dialog. Leaving the
  // page merges as well, but a Cancel after it must find the file where
  // setup put it, and a computer picked later is still read from it.
  Form* form = OwnerForm();
  if (!form || form->GetModalResult() == mrOk) {
    RetireUniqueUDB(selected, mergeDue, SelectedUDBFileName(), cbCompName->Text());
  } else if (mergeDue) {
    DeleteKey("Data", "uniqueness");
    ApplyUDBComputer(SelectedUDBFileName(), cbCompName->Text());
  }
  if (mergeDue) uniqueMerged_ = pick;
}

void TUDBFrame::SaveSelectedComputer() {
  const int fileIndex = cbUDBFile->ItemIndex();
  const int compIndex = cbCompName->ItemIndex();
  if (fileIndex == 0 || fileIndex == -1 || compIndex < 0) return;
  const bool changed = compIndex != SavedCompIndex || fileIndex != SavedFileIndex;
  const bool otherValuesIn = rebuiltSinceShown_ && rebuiltFor_ != SelectedUDBFileName() + "\n" + cbCompName->Text();
  if (changed || otherValuesIn) ApplyUDBComputer(SelectedUDBFileName(), cbCompName->Text());
}
