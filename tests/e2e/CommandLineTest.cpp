// Which answer file a run edits: the one a "-f:" or "/f:" argument names,
// else the system's default one. The preview page shows the working copy,
// so its text tells which file was copied.

#include "e2e/EditorRun.h"

using namespace kivtest;

namespace {

const std::string kDefaultContent =
    "; Written by setup.\r\n[Data]\r\nMsDosInitiated = \"0\"\r\nUnattendedInstall = \"Yes\"\r\n"
    "[UserData]\r\nFullName = \"Склад\"\r\nOrgName = \"ООО Пример\"\r\nComputerName = STORE-PC03\r\n"
    "ProductKey = \"XXXXX-XXXXX-XXXXX-XXXXX-XXXXX\"\r\n";

class EditorCommandLine : public EditorRun {
 protected:
  // Runs the editor with the arguments, checks that the preview shows
  // `shown`, and cancels.
  void ExpectShown(const std::string& arguments, const std::string& shown, const std::string& directory = {}) {
    Start(arguments, directory);
    ASSERT_TRUE(WaitForDialog());
    ShowPreview();
    EXPECT_EQ(PreviewText(), shown);
    ClickButton("btnCancel");
    EXPECT_EQ(Finish(), 0);
  }
};

TEST_F(EditorCommandLine, WithoutArgumentsEditsTheDefaultFile) {
  DefaultAnswerFile defaultFile(kDefaultContent);
  const std::string edited = kDefaultContent + "[Display]\r\nBitsPerPel = 32\r\n";
  Start("");
  ASSERT_TRUE(WaitForDialog());
  ShowPreview();
  EXPECT_EQ(PreviewText(), kDefaultContent);
  EXPECT_TRUE(FileExists(defaultFile.Path() + ".new"));
  EditPreview(edited);
  ClickButton("btnSave");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(defaultFile.Path()), edited);
  EXPECT_FALSE(FileExists(defaultFile.Path() + ".new"));
}

TEST_F(EditorCommandLine, BareNameMustExistHereAndIsTakenFromTheProgramFolder) {
  // The same name in the current folder and in the program's folder, with
  // different content: the program's one is edited.
  const std::string here = folder / "here";
  CreateDirectoryA(here.c_str(), nullptr);
  const std::string elsewhere = "[UserData]\r\nComputerName = OTHER-PC\r\n";
  WriteWholeFile(here + "\\winnt.sif", elsewhere);
  WriteWholeFile(answerFile, ExampleAnswerFile());
  const std::string edited = EditedAnswerFile(ExampleAnswerFile());
  Start("-f:winnt.sif", here);
  ASSERT_TRUE(WaitForDialog());
  ShowPreview();
  EXPECT_EQ(PreviewText(), ExampleAnswerFile());
  EditPreview(edited);
  ClickButton("btnSave");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), edited);
  EXPECT_EQ(ReadWholeFile(here + "\\winnt.sif"), elsewhere);
  EXPECT_FALSE(FileExists(answerFile + ".new"));
  EXPECT_FALSE(FileExists(here + "\\winnt.sif.new"));
}

TEST_F(EditorCommandLine, BareNameMissingFromTheCurrentFolderIsIgnored) {
  DefaultAnswerFile defaultFile(kDefaultContent);
  WriteWholeFile(answerFile, ExampleAnswerFile());
  const std::string here = folder / "here";
  CreateDirectoryA(here.c_str(), nullptr);
  ExpectShown("-f:winnt.sif", kDefaultContent, here);
  EXPECT_FALSE(FileExists(answerFile + ".new"));
}

TEST_F(EditorCommandLine, ArgumentsThatNameNoFileLeaveTheDefault) {
  DefaultAnswerFile defaultFile(kDefaultContent);
  WriteWholeFile(answerFile, ExampleAnswerFile());
  ExpectShown("-f:missing.sif", kDefaultContent);
  ExpectShown("-F:winnt.sif /F:" + answerFile, kDefaultContent);
  ExpectShown("-? /?", kDefaultContent);
  EXPECT_EQ(ReadWholeFile(answerFile), ExampleAnswerFile());
  EXPECT_FALSE(FileExists(answerFile + ".new"));
  EXPECT_FALSE(FileExists(folder / "missing.sif.new"));
  EXPECT_FALSE(FileExists(defaultFile.Path() + ".new"));
  EXPECT_EQ(ReadWholeFile(defaultFile.Path()), kDefaultContent);
}

TEST_F(EditorCommandLine, LaterValidArgumentWins) {
  const std::string first = "[UserData]\r\nComputerName = FIRST-PC\r\nFullName = \"\"\r\nOrgName =\r\nProductKey =\r\n";
  WriteWholeFile(folder / "first.sif", first);
  WriteWholeFile(answerFile, ExampleAnswerFile());
  ExpectShown("-f:first.sif /f:winnt.sif -f:missing.sif -F:first.sif", ExampleAnswerFile());
  ExpectShown("/f:" + answerFile + " -f:first.sif -?", first);
  ExpectShown("-f:" + std::string(10000, 'x') + " -f:first.sif " + std::string(10000, 'y'), first);
}

}  // namespace

// Setup writes $winnt$.inf into the real System32. The 32-bit program on a
// 64-bit system would be sent to SysWOW64 for the same name: it must edit the
// file setup reads, with no default argument and with "-f:" naming the
// system folder, and leave nothing in SysWOW64. (In the 64-bit build the
// same holds trivially; in the 32-bit one the editor is checked to really
// run under WoW64, so that the test cannot pass by not testing.)
class EditorSystemFolder : public EditorCommandLine {
 protected:
  EditorSystemFolder() {
    char wow64Folder[MAX_PATH] = {};
    if (GetSystemWow64DirectoryA(wow64Folder, sizeof(wow64Folder)) == 0) return;
    decoy_ = std::string(wow64Folder) + "\\$winnt$.inf";
    if (FileExists(decoy_)) decoyBefore_ = ReadWholeFile(decoy_);
    WriteWholeFile(decoy_, kDecoy);
  }
  ~EditorSystemFolder() override {
    if (decoy_.empty()) return;
    if (decoyBefore_)
      WriteWholeFile(decoy_, *decoyBefore_);
    else
      DeleteFileA(decoy_.c_str());
    DeleteFileA((decoy_ + ".new").c_str());
    DeleteFileA((decoy_ + ".kivtmp").c_str());
  }

  void EditAndSave(const std::string& arguments, const DefaultAnswerFile& native, const std::string& edited) {
    Start(arguments);
    ASSERT_TRUE(WaitForDialog());
    BOOL editorWow64 = FALSE;
    HANDLE editor = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, ProcessId());
    ASSERT_NE(editor, nullptr);
    IsWow64Process(editor, &editorWow64);
    CloseHandle(editor);
    EXPECT_EQ(editorWow64 != FALSE, sizeof(void*) == 4) << "the 32-bit editor must run under WoW64 here";
    ShowPreview();
    EXPECT_EQ(PreviewText(), kDefaultContent);
    // The working copy lies beside the file setup reads.
    EXPECT_TRUE(FileExists(native.Path() + ".new"));
    EditPreview(edited);
    ClickButton("btnSave");
    EXPECT_EQ(Finish(), 0);
    EXPECT_EQ(ReadWholeFile(native.Path()), edited);
    EXPECT_FALSE(FileExists(native.Path() + ".new"));
    EXPECT_FALSE(FileExists(native.Path() + ".kivtmp"));
    ASSERT_FALSE(decoy_.empty());
    EXPECT_EQ(ReadWholeFile(decoy_), kDecoy);
    EXPECT_FALSE(FileExists(decoy_ + ".new"));
    EXPECT_FALSE(FileExists(decoy_ + ".kivtmp"));
  }

  static constexpr char kDecoy[] = "[UserData]\r\nComputerName = WOW64-DECOY\r\n";
  std::string decoy_;
  std::optional<std::string> decoyBefore_;
};

TEST_F(EditorSystemFolder, NoArgumentEditsTheFileSetupReads) {
  DefaultAnswerFile native(kDefaultContent);
  EditAndSave("", native, kDefaultContent + "[Display]\r\nBitsPerPel = 16\r\n");
}

TEST_F(EditorSystemFolder, AnArgumentNamingSystem32MeansTheRealOne) {
  DefaultAnswerFile native(kDefaultContent);
  char named[MAX_PATH] = {};
  ExpandEnvironmentStringsA("%SystemRoot%\\System32\\$winnt$.inf", named, sizeof(named));
  EditAndSave(std::string("-f:") + named, native, kDefaultContent + "[Display]\r\nXResolution = 1024\r\n");
}
