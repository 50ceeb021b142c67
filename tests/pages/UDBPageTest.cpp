// The UDB page in the settings dialog: where it looks for UDB files, what it
// lists and preselects in both modes, and what reaches the working copy when
// the operator picks, leaves the page, saves or cancels.

#include "sys/Launcher.h"
#include "profile/Profile.h"
#include "setup/SourceLocation.h"
#include "dialog/Dlg_Settings.h"
#include "pages/PreviewFrame.h"
#include "support/Operator.h"
#include "support/TestFiles.h"
#include "sys/ChangerUtil.h"
#include "pages/UDBFrameUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace gui;
using namespace kivtest;

namespace {

// The scratch folder's drive, served as a CD-ROM drive of a made-up device,
// so that the device path setup records converts without disks of its own.
const char kDevice[] = "\\Device\\KivUdbVolume";
std::string g_drive;

DWORD WINAPI FakeDriveStrings(DWORD length, LPSTR buffer) {
  const std::string roots = g_drive + "\\" + std::string(2, '\0');
  if (length < roots.size()) return static_cast<DWORD>(roots.size());
  std::memcpy(buffer, roots.data(), roots.size());
  return static_cast<DWORD>(roots.size() - 1);
}

DWORD WINAPI FakeQueryDosDevice(LPCSTR name, LPSTR target, DWORD maxChars) {
  const std::string device = std::string(kDevice) + std::string(2, '\0');
  if (!name || g_drive != name || maxChars < device.size()) return 0;
  std::memcpy(target, device.data(), device.size());
  return static_cast<DWORD>(device.size());
}

UINT WINAPI FakeDriveType(LPCSTR) { return DRIVE_CDROM; }

std::vector<std::string> Items(const ComboBox& box) {
  std::vector<std::string> items;
  for (int i = 0; i < box.ItemCount(); ++i) items.push_back(box.ItemText(i));
  return items;
}

class UDBPageTest : public testing::Test {
 protected:
  void SetUp() override {
    savedDrives_ = DriveFunctions;
    g_drive = folder.Path().substr(0, 2);
    DriveFunctions.GetLogicalDriveStringsA = &FakeDriveStrings;
    DriveFunctions.QueryDosDeviceA = &FakeQueryDosDevice;
    DriveFunctions.GetDriveTypeA = &FakeDriveType;
    CreateDirectoryA(source.c_str(), nullptr);
    CreateDirectoryA(udbDir.c_str(), nullptr);
    SourcePath = source;
    AnswerFileName = folder / "winnt.sif";
    WorkFileName = AnswerFileName + ".new";
    Answer("");
    EditorDirectives.clear();
  }
  void TearDown() override {
    DeleteFileA(config.c_str());
    DriveFunctions = savedDrives_;
    SourcePath.clear();
    EditorDirectives.clear();
  }
  // The answer file with the source folder as setup records it, and its
  // working copy as start-up makes it.
  void Answer(const std::string& more) {
    answer = "[Data]\r\nsourcepath = " + std::string(kDevice) + source.substr(2) + "\r\n" + more +
             "\r\n[UserData]\r\nComputerName = OLD\r\nFullName = Setup\r\n";
    WriteWholeFile(AnswerFileName, answer);
    WriteWholeFile(WorkFileName, answer);
  }
  void Configure(const std::string& udbKeys) { WriteWholeFile(config, "[UDB]\r\n" + udbKeys); }
  std::string Work(const std::string& section, const std::string& key) {
    return profile::ReadString(WorkFileName, section, key, "<absent>", 2048);
  }
  // The page first, the preview after it to leave the page for.
  std::unique_ptr<TdlgSettings> Open() {
    auto dlg = std::make_unique<TdlgSettings>(
        std::vector<TCommonSettingsFrameClass>{ClassOf<TUDBFrame>(), ClassOf<TFramePreview>()});
    page = dlg->PC->PageCount() > 0 ? dynamic_cast<TUDBFrame*>(TdlgSettings::PageOf(dlg->PC->Page(0))) : nullptr;
    return dlg;
  }
  static void LeaveAndComeBack(TdlgSettings& dlg) {
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    ClickTab(*dlg.PC, *dlg.PC->Page(0));
  }

  ScratchFolder folder;
  const std::string source = folder / "I386";
  const std::string udbDir = folder / "UDB";
  const std::string config = ProgramDirectory() + "KivEdt.ini";
  std::string answer;
  TUDBFrame* page = nullptr;

  // Computers without and with an editor section.
  const std::string twoComputers =
      "[UniqueIds]\r\nPC01 = UserData\r\nPC02 = UserData,Identification,KIVEDITOR\r\n"
      "[PC01:UserData]\r\nComputerName = PC01\r\n"
      "[PC02:UserData]\r\nComputerName = PC02\r\nFullName = From PC02\r\n"
      "[PC02:Identification]\r\nJoinDomain = CORP\r\n"
      "[PC02:KIVEDITOR]\r\nDescription1 = Second floor\r\nDescription2 = Printer later\r\nRunOnExit1 = a.exe\r\n";

 private:
  DriveFunctionTable savedDrives_{};
};

TEST_F(UDBPageTest, TheUDBFolderIsCompletedFromTheSourceFolderUnlessItHasADrive) {
  Form form({.name = "form", .width = 451, .height = 304});
  TUDBFrame* frame = form.Create<TUDBFrame>();
  frame->EnsureControls();
  char systemDrive[MAX_PATH] = {};
  GetEnvironmentVariableA("SystemDrive", systemDrive, sizeof(systemDrive));
  SetEnvironmentVariableA("KIV_UDB_EMPTY", "");
  struct Case {
    std::string sourcePath, path, directory;
  } cases[] = {
      {"E:\\I386", "UDB", "E:\\I386\\UDB"},
      {"E:\\I386", "\\UDB", "E:\\I386\\UDB"},
      {"E:\\I386", "\\ \tUDB", "E:\\I386\\UDB"},
      {"E:\\", "UDB", "E:\\UDB"},
      {"E:\\I386", "%SystemDrive%\\UDB", std::string(systemDrive) + "\\UDB"},
      {"E:\\I386", "\\\\server\\UDB", "E:\\I386\\\\server\\UDB"},
      {"E:\\I386", "%KIV_UDB_EMPTY%", ""},
      {"E:\\I386", "  ", ""},
  };
  for (const Case& c : cases) {
    SourcePath = c.sourcePath;
    Configure("Path = " + c.path + "\r\n");
    EXPECT_EQ(frame->GetUDBDirectory(), c.directory) << c.path;
  }
  DeleteFileA(config.c_str());
  EXPECT_EQ(frame->GetUDBDirectory(), "") << "no KivEdt.ini";
  SetEnvironmentVariableA("KIV_UDB_EMPTY", nullptr);
}

TEST_F(UDBPageTest, ThePageListsVisibleFilesAndIsThereWhenOnlyAHiddenOneIs) {
  CreateDirectoryA((source + "\\UDB").c_str(), nullptr);
  WriteWholeFile(source + "\\UDB\\site.UDB", twoComputers);
  Configure("Path = \\UDB\r\n");
  {
    auto dlg = Open();
    ASSERT_TRUE(page);
    EXPECT_EQ(dlg->PC->Page(0)->Caption(), "UDB");
    EXPECT_EQ(page->UDBDirectory, source + "\\UDB\\");
    EXPECT_EQ(Items(*page->cbUDBFile), (std::vector<std::string>{"Файл не выбран", "site.UDB"}));
  }
  WriteWholeFile(udbDir + "\\hidden.UDB", twoComputers);
  SetFileAttributesA((udbDir + "\\hidden.UDB").c_str(), FILE_ATTRIBUTE_HIDDEN);
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = hidden.UDB\r\n");
  {
    auto dlg = Open();
    ASSERT_TRUE(page) << "a hidden file counts for the page to be there";
    EXPECT_EQ(Items(*page->cbUDBFile), std::vector<std::string>{"Файл не выбран"});
    EXPECT_EQ(page->cbUDBFile->ItemIndex(), 0);
    EXPECT_EQ(page->cbCompName->ItemCount(), 0);
  }
  Configure("Path = " + folder.Path() + "\r\n");
  auto dlg = Open();
  EXPECT_EQ(page, nullptr) << "no UDB file: no page";
}

TEST_F(UDBPageTest, DefaultsAreFoundInAnyLetterCaseAndTheFirstEntryStandsInForAnUnknownOne) {
  WriteWholeFile(udbDir + "\\Alpha.UDB", "[UniqueIds]\r\nA1 = UserData\r\n");
  WriteWholeFile(udbDir + "\\Site.UDB", twoComputers);
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = SITE.udb\r\nDefaultUDBIdent = pc02\r\n");
  {
    auto dlg = Open();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->cbUDBFile->Text(), "Site.UDB");
    EXPECT_EQ(Items(*page->cbCompName), (std::vector<std::string>{"PC01", "PC02"}));
    EXPECT_EQ(page->cbCompName->Text(), "PC02");
    EXPECT_EQ(page->memDescription->Text(), "Second floor\r\nPrinter later");
    EXPECT_EQ(EditorDirectives, std::vector<std::string>{"RunOnExit1=a.exe"});
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC02") << "an editor section is merged at selection";
    EXPECT_TRUE(page->cbUDBFile->Enabled());
  }
  Answer("");
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = Site.UDB\r\nDefaultUDBIdent = PC99\r\n");
  {
    auto dlg = Open();
    EXPECT_EQ(page->cbCompName->Text(), "PC01");
    EXPECT_EQ(page->memDescription->Text(), "");
    EXPECT_EQ(ReadWholeFile(WorkFileName), answer);
  }
}

TEST_F(UDBPageTest, OnlyTheComputerFinallyPreselectedIsMergedWhileLoading) {
  WriteWholeFile(udbDir + "\\Site.UDB",
                 "[UniqueIds]\r\nPC02 = UserData,KIVEDITOR\r\nPC01 = UserData\r\n"
                 "[PC02:UserData]\r\nComputerName = PC02\r\n[PC02:KIVEDITOR]\r\nRunOnExit1 = a.exe\r\n"
                 "[PC01:UserData]\r\nComputerName = PC01\r\n");
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = Site.UDB\r\nDefaultUDBIdent = PC01\r\n");
  auto dlg = Open();
  EXPECT_EQ(page->cbCompName->Text(), "PC01");
  EXPECT_EQ(ReadWholeFile(WorkFileName), answer) << "the first computer's values were merged on the way";
  EXPECT_TRUE(EditorDirectives.empty());
}

TEST_F(UDBPageTest, WithoutASourceFolderTheBoxesAreDisabledAndSaySo) {
  WriteWholeFile(udbDir + "\\Site.UDB", twoComputers);
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = Site.UDB\r\n");
  WriteWholeFile(WorkFileName, "[Data]\r\nsourcepath = \\Device\\Nowhere\\I386\r\n");
  auto dlg = Open();
  ASSERT_TRUE(page);
  EXPECT_FALSE(page->UniqueMode);
  for (Control* c : std::initializer_list<Control*>{page->Label1, page->Label2, page->cbUDBFile, page->cbCompName})
    EXPECT_FALSE(c->Enabled()) << c->Name();
  EXPECT_TRUE(page->memDescription->Enabled());
  EXPECT_EQ(page->cbUDBFile->Text(), "Нет файла");
  EXPECT_EQ(page->cbCompName->Text(), "Нет");
  RunModal(*dlg, [&] { Click(*dlg->btnSave); });
  EXPECT_EQ(ReadWholeFile(WorkFileName), "[Data]\r\nsourcepath = \\Device\\Nowhere\\I386\r\n");
}

TEST_F(UDBPageTest, LeavingThePageMergesOnlyASelectionThatChanged) {
  WriteWholeFile(udbDir + "\\Site.UDB",
                 "[UniqueIds]\r\nPC01 = UserData\r\nPC03 = UserData\r\nPC02 = UserData,KIVEDITOR\r\n"
                 "[PC01:UserData]\r\nComputerName = PC01\r\n[PC03:UserData]\r\nComputerName = PC03\r\n"
                 "[PC02:UserData]\r\nComputerName = PC02\r\nFullName = From PC02\r\n");
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = Site.UDB\r\nDefaultUDBIdent = PC01\r\n");
  auto dlg = Open();
  RunModal(*dlg, [&] {
    LeaveAndComeBack(*dlg);
    EXPECT_EQ(ReadWholeFile(WorkFileName), answer) << "the selection shown at load is not merged";

    PickItem(*page->cbCompName, 1);
    PumpUntilIdle();
    EXPECT_EQ(Work("UserData", "ComputerName"), "OLD") << "merged only when the page is left";
    LeaveAndComeBack(*dlg);
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC03");

    // Back to the computer the page was shown with, after another one made
    // the working copy again: its values must come back.
    PickItem(*page->cbCompName, 2);
    PickItem(*page->cbCompName, 1);
    PumpUntilIdle();
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC02");
    LeaveAndComeBack(*dlg);
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC03");
    EXPECT_EQ(Work("UserData", "FullName"), "From PC02") << "the other computer's values stay below";
    PressKey(VK_ESCAPE);
  });
}

TEST_F(UDBPageTest, NoFileChosenForgetsTheComputerAndMergesNothingMore) {
  WriteWholeFile(udbDir + "\\Site.UDB", twoComputers);
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = Site.UDB\r\nDefaultUDBIdent = PC02\r\n");
  auto dlg = Open();
  ASSERT_EQ(page->memDescription->Text(), "Second floor\r\nPrinter later");
  const std::string merged = ReadWholeFile(WorkFileName);
  RunModal(*dlg, [&] {
    PickItem(*page->cbUDBFile, 0);
    PumpUntilIdle();
    EXPECT_EQ(page->cbCompName->ItemCount(), 0);
    EXPECT_EQ(page->memDescription->Text(), "");
    EXPECT_TRUE(EditorDirectives.empty()) << "no exit command of a computer turned away from";
    EXPECT_FALSE(page->UDBIni);
    Click(*dlg->btnSave);
  });
  EXPECT_EQ(ReadWholeFile(WorkFileName), merged) << "the working copy stays as the pick left it";
}

TEST_F(UDBPageTest, AFileThatVanishedOrHoldsJunkListsNoComputers) {
  WriteWholeFile(udbDir + "\\a.UDB", twoComputers);
  std::string many = "[UniqueIds]\r\n";
  for (int n = 0; n < 2000; ++n) many += "PC" + std::to_string(10000 + n) + " = UserData\r\n";
  WriteWholeFile(udbDir + "\\b.UDB", many);
  WriteWholeFile(udbDir + "\\c.UDB", std::string("\0\x01[\xff]=\r\n\0[UniqueIds\0]\r\n=\r\n", 24));
  WriteWholeFile(udbDir + "\\d.UDB", "");
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = a.UDB\r\nDefaultUDBIdent = PC02\r\n");
  ExceptionRecorder recorder;
  auto dlg = Open();
  RunModal(*dlg, [&] {
    for (int index = 1; index < page->cbUDBFile->ItemCount(); ++index) {
      PickItem(*page->cbUDBFile, index);
      PumpUntilIdle();
      const std::string name = page->cbUDBFile->Text();
      const int expected = name == "a.UDB" ? 2 : name == "b.UDB" ? 2000 : 0;
      EXPECT_EQ(page->cbCompName->ItemCount(), expected) << name;
      if (name == "b.UDB") {
        EXPECT_EQ(page->cbCompName->Text(), "PC10000");
      }
    }
    DeleteFileA((udbDir + "\\a.UDB").c_str());
    PickItem(*page->cbUDBFile, 0);
    PickItem(*page->cbUDBFile, page->cbUDBFile->IndexOf("a.UDB"));
    PumpUntilIdle();
    EXPECT_EQ(page->cbCompName->ItemCount(), 0) << "the file is gone since it was listed";
    PressKey(VK_ESCAPE);
  });
  EXPECT_TRUE(recorder.Messages().empty()) << recorder.Messages().front();
  EXPECT_EQ(ReadWholeFile(AnswerFileName), answer);
}

TEST_F(UDBPageTest, AWorkingCopyThatCannotBeWrittenIsReportedAndTheDialogGoesOn) {
  WriteWholeFile(udbDir + "\\Site.UDB", twoComputers);
  Configure("Path = " + udbDir + "\r\nDefaultUDBFile = Site.UDB\r\nDefaultUDBIdent = PC02\r\n");
  HANDLE held = CreateFileA(WorkFileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ExceptionRecorder recorder;
  auto dlg = Open();
  ASSERT_TRUE(page) << "the failed merge while loading took the dialog with it";
  const int result = RunModal(*dlg, [&] {
    PumpUntilIdle();
    ASSERT_EQ(recorder.Messages(), std::vector<std::string>{"Unable to write to " + WorkFileName});
    EXPECT_EQ(page->memDescription->Text(), "Second floor\r\nPrinter later");
    EXPECT_TRUE(page->cbCompName->Enabled());
    PickItem(*page->cbCompName, 0);
    PickItem(*page->cbCompName, 1);
    PumpUntilIdle();
    EXPECT_EQ(recorder.Messages().size(), 2u) << "a pick fails the same way";
    CloseHandle(held);
    PickItem(*page->cbCompName, 0);
    PickItem(*page->cbCompName, 1);
    PumpUntilIdle();
    EXPECT_EQ(recorder.Messages().size(), 2u);
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC02");
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(ReadWholeFile(AnswerFileName), answer);
}

class UniqueModeTest : public UDBPageTest {
 protected:
  void SetUp() override {
    UDBPageTest::SetUp();
    // The page needs a configured folder with a UDB file to be there at all.
    WriteWholeFile(udbDir + "\\Site.UDB", twoComputers);
    Configure("Path = " + udbDir + "\r\nDefaultUDBFile = Site.UDB\r\nDefaultUDBIdent = PC02\r\n");
    WriteWholeFile(unique, twoComputers);
  }
  const std::string unique = source + "\\$UNIQUE$.UDB";
};

TEST_F(UniqueModeTest, TheRecordedComputerIsPreselectedByItsNameWithATrailingStar) {
  struct Case {
    const char* uniqueness;
    const char* selected;
  } cases[] = {{"pc02*", "PC02"}, {"PC02", "PC02"}, {"*PC02", "PC01"}, {"PC*02*", "PC01"}, {"", "PC01"}};
  for (const Case& c : cases) {
    Answer(std::string("uniqueness = ") + c.uniqueness + "\r\n");
    auto dlg = Open();
    ASSERT_TRUE(page);
    EXPECT_TRUE(page->UniqueMode);
    EXPECT_EQ(page->cbCompName->Text(), c.selected) << c.uniqueness;
  }
}

TEST_F(UniqueModeTest, BothFilesAreListedAndTheSelectedOneIsRetiredBySaveOnly) {
  WriteWholeFile(source + "\\other.UDB", twoComputers);
  Answer("uniqueness = PC01*\r\n");
  auto dlg = Open();
  ASSERT_TRUE(page);
  std::vector<std::string> files = Items(*page->cbUDBFile);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"$UNIQUE$.UDB", "other.UDB"}));
  EXPECT_EQ(page->cbUDBFile->ItemIndex(), 0);
  EXPECT_EQ(page->UDBDirectory, source + "\\");
  const std::string selected = source + "\\" + page->cbUDBFile->Text();
  RunModal(*dlg, [&] {
    LeaveAndComeBack(*dlg);
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC01");
    EXPECT_EQ(Work("Data", "uniqueness"), "<absent>");
    EXPECT_TRUE(FileExists(selected)) << "leaving the page retires nothing";
    PickItem(*page->cbCompName, 1);
    Click(*dlg->btnSave);
  });
  EXPECT_FALSE(FileExists(selected));
  EXPECT_TRUE(FileExists(selected + ".KIV"));
  EXPECT_EQ(Work("UserData", "ComputerName"), "PC02");
  EXPECT_EQ(Work("Data", "uniqueness"), "<absent>");
}

TEST_F(UniqueModeTest, TheComputerIsMergedOnceAndAgainOnlyForAnotherPick) {
  Answer("uniqueness = PC01\r\n");
  auto dlg = Open();
  ASSERT_TRUE(page);
  RunModal(*dlg, [&] {
    LeaveAndComeBack(*dlg);
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC01");
    // What the operator types on another page stays through later visits.
    WriteProfileValue("UserData", "ComputerName", "MYPC");
    LeaveAndComeBack(*dlg);
    EXPECT_EQ(Work("UserData", "ComputerName"), "MYPC");
    // Another pick is merged, and so is the first one picked back after a
    // pick that made the working copy again.
    PickItem(*page->cbCompName, 1);
    LeaveAndComeBack(*dlg);
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC02");
    PickItem(*page->cbCompName, 0);
    LeaveAndComeBack(*dlg);
    EXPECT_EQ(Work("UserData", "ComputerName"), "PC01");
    WriteProfileValue("UserData", "ComputerName", "MYPC");
    Click(*dlg->btnSave);
  });
  EXPECT_EQ(Work("UserData", "ComputerName"), "MYPC") << "Save merges nothing over a later edit";
  EXPECT_EQ(Work("Data", "uniqueness"), "<absent>");
  EXPECT_TRUE(FileExists(unique + ".KIV"));
}

TEST_F(UniqueModeTest, CancelAfterLeavingThePageLeavesTheFileForTheNextRun) {
  Answer("uniqueness = PC01\r\n");
  auto dlg = Open();
  RunModal(*dlg, [&] {
    LeaveAndComeBack(*dlg);
    PressKey(VK_ESCAPE);
  });
  EXPECT_TRUE(FileExists(unique));
}

TEST_F(UniqueModeTest, AHiddenUniqueFileEntersTheModeButListsNothing) {
  SetFileAttributesA(unique.c_str(), FILE_ATTRIBUTE_HIDDEN);
  Answer("uniqueness = PC01\r\n");
  auto dlg = Open();
  ASSERT_TRUE(page);
  EXPECT_TRUE(page->UniqueMode);
  EXPECT_EQ(page->cbUDBFile->ItemCount(), 0);
  EXPECT_EQ(page->cbCompName->ItemCount(), 0);
  EXPECT_TRUE(page->cbUDBFile->Enabled());
  RunModal(*dlg, [&] { Click(*dlg->btnSave); });
  EXPECT_TRUE(FileExists(unique));
  EXPECT_EQ(ReadWholeFile(WorkFileName), answer);
}

}  // namespace
