#pragma once
// UDBFrameUnit: the UDB page, the dialog's first. The operator picks a UDB
// file and a computer in it; the page shows the computer's description and
// has its values merged into the working copy. In unique mode (setup left
// "$UNIQUE$.UDB" in the installation source folder) the page lists that
// folder, preselects the computer setup recorded and retires the file on
// Save; otherwise it lists the folder that KivEdt.ini names.

#include "profile/IniFiles.h"
#include "dialog/CommonSettringFrame.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TUDBFrame : public TCommonSettingsFrame {
 public:
  explicit TUDBFrame(gui::Control* owner);
  ~TUDBFrame() override;

  [[nodiscard]] static std::string GetCaption();
  void SaveSettings() override;
  void LoadSettings() override;
  [[nodiscard]] bool HasValidData() override;

  void cbUDBFileChange();
  void cbCompNameChange();

  // The folder KivEdt.ini [UDB] "Path" names, a drive-less one completed
  // from the installation source folder; empty when there is none.
  [[nodiscard]] std::string GetUDBDirectory();
  // Lists the visible UDB files of the folder, after the no-file entry
  // unless in unique mode.
  void FillUDBFileList(const std::string& directory);
  void LoadUniqueUDB(const std::string& directory);
  // Normal mode's save: the selected computer's values, when the selection
  // is not the one the page was shown with.
  void SaveSelectedComputer();

  gui::Label* Label1 = nullptr;
  gui::Label* Label2 = nullptr;
  gui::Label* Label3 = nullptr;
  gui::ComboBox* cbUDBFile = nullptr;
  gui::ComboBox* cbCompName = nullptr;
  gui::Memo* memDescription = nullptr;

  std::string UDBDirectory;  // with a trailing "\"
  std::int32_t SavedFileIndex = 0;
  std::int32_t SavedCompIndex = 0;
  std::unique_ptr<TIniFile> UDBIni;  // the selected UDB file; none while no file is selected
  bool UniqueMode = false;

 private:
  // The selected file opened and its computers listed, none selected.
  void OpenSelectedUDBFile();
  [[nodiscard]] std::string SelectedUDBFileName() const;
  // The selection step for what the computer box shows, an error kept for
  // the dialog's loop when it comes while the page loads.
  void SelectComputerWhileLoading();
  void ShowDescription(const std::vector<std::string>& lines);
  void ForgetComputer();

  // The file and computer the working copy was last made again for, and
  // whether that happened since the page was last shown: a selection that
  // comes back to the one shown is merged again, since the working copy
  // then holds another computer's values.
  std::string rebuiltFor_;
  bool rebuiltSinceShown_ = false;
  // Unique mode: the file and computer whose values were last merged into
  // the working copy; empty while none is.
  std::string uniqueMerged_;

 protected:
  void CreateControls() override;
};
