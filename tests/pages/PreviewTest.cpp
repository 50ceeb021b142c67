// The preview page: the working copy as text, and a hand edit written back
// only when editing was allowed and something was typed.

#include "dialog/Dlg_Settings.h"
#include "pages/PreviewFrame.h"
#include "support/FullDisk.h"
#include "support/Operator.h"
#include "support/TestFiles.h"

#include "profile/Profile.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace kivtest;

namespace {

// A page that shows the working copy's FullName, as the real pages do.
class NamePage : public TCommonSettingsFrame {
 public:
  explicit NamePage(Control* owner) : TCommonSettingsFrame(owner, "NamePage") {
    edName = Add<Edit>({.name = "edName"});
  }
  static std::string GetCaption() { return "Данные"; }
  void LoadSettings() override {
    TCommonSettingsFrame::LoadSettings();
    std::string value;
    ReadValue("UserData", "FullName", "", "", value);
    edName->SetText(value);
  }
  Edit* edName;
};

class PreviewTest : public testing::Test {
 protected:
  void SetUp() override {
    WorkFileName = folder / "winnt.sif.new";
    // Mixed line ends, as files edited by hand have them.
    WriteWholeFile(WorkFileName, "[UserData]\r\nFullName = \"Иванов\"\nOrgName=ООО\r\n");
  }
  TFramePreview* Preview(TdlgSettings& dlg) {
    return static_cast<TFramePreview*>(TdlgSettings::PageOf(dlg.PC->Page(dlg.PC->PageCount() - 1)));
  }
  ScratchFolder folder;
};

TEST_F(PreviewTest, ShowsTheWorkingCopyWithCrLfAndReadOnlyUntilEditingIsAllowed) {
  TdlgSettings dlg({ClassOf<TFramePreview>()});
  TFramePreview* page = Preview(dlg);
  const std::string text = "[UserData]\r\nFullName = \"Иванов\"\r\nOrgName=ООО\r\n";
  EXPECT_EQ(dlg.PC->Page(0)->Caption(), "Итоговый вид");
  EXPECT_EQ(page->ShownText(), text);
  EXPECT_TRUE(page->viewPreview->Visible());
  EXPECT_FALSE(page->memPrewiwIni->Visible());
  EXPECT_EQ(page->viewPreview->Color(), clBtnFace);
  EXPECT_EQ(page->chkAllowEdit->Caption(), "Редактировать");
  EXPECT_FALSE(page->chkAllowEdit->Checked());
  // Both boxes wrap long lines the same way, with no sideways scrolling.
  EXPECT_TRUE(page->viewPreview->WordWrap());
  EXPECT_EQ(GetWindowLongA(page->memPrewiwIni->Handle(), GWL_STYLE) & (ES_AUTOHSCROLL | WS_HSCROLL), 0);
  RunModal(dlg, [&] {
    Click(*page->chkAllowEdit);
    EXPECT_TRUE(page->memPrewiwIni->Visible());
    EXPECT_FALSE(page->viewPreview->Visible());
    EXPECT_EQ(page->memPrewiwIni->Text(), text);
    EXPECT_FALSE(page->memPrewiwIni->Modified());
    EXPECT_FALSE(page->memPrewiwIni->ReadOnly());
    EXPECT_EQ(page->memPrewiwIni->Color(), clWindow);
    // Unticked, the box keeps its text, read-only and grey as the view.
    Type(*page->memPrewiwIni, "x");
    Click(*page->chkAllowEdit);
    EXPECT_TRUE(page->memPrewiwIni->ReadOnly());
    EXPECT_EQ(page->memPrewiwIni->Color(), clBtnFace);
    EXPECT_EQ(page->ShownText(), "x" + text);
    PressKey(VK_ESCAPE);
  });
}

TEST_F(PreviewTest, AnEditKeptThroughUntickingIsWrittenWhenTickedAgain) {
  TdlgSettings dlg({ClassOf<TFramePreview>()});
  RunModal(dlg, [&] {
    TFramePreview* page = Preview(dlg);
    Click(*page->chkAllowEdit);
    Type(*page->memPrewiwIni, "; checked\r");
    Click(*page->chkAllowEdit);
    Click(*page->chkAllowEdit);
    Click(*dlg.btnSave);
  });
  EXPECT_EQ(ReadWholeFile(WorkFileName), "; checked\r\n[UserData]\r\nFullName = \"Иванов\"\r\nOrgName=ООО\r\n");
}

TEST_F(PreviewTest, NothingIsWrittenWithoutAnEdit) {
  TdlgSettings dlg({ClassOf<NamePage>(), ClassOf<TFramePreview>()});
  std::string before = ReadWholeFile(WorkFileName);
  RunModal(dlg, [&] {
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    ClickTab(*dlg.PC, *dlg.PC->Page(0));
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    Click(*Preview(dlg)->chkAllowEdit);
    Click(*dlg.btnSave);
  });
  EXPECT_EQ(ReadWholeFile(WorkFileName), before) << "line ends of the file stay as they were";
}

TEST_F(PreviewTest, TypingIntoTheReadOnlyTextReachesNothing) {
  TdlgSettings dlg({ClassOf<TFramePreview>()});
  std::string before = ReadWholeFile(WorkFileName);
  RunModal(dlg, [&] {
    Type(*Preview(dlg)->viewPreview, "junk");
    Type(*Preview(dlg)->memPrewiwIni, "junk");
    Click(*dlg.btnSave);
  });
  EXPECT_EQ(ReadWholeFile(WorkFileName), before);
}

TEST_F(PreviewTest, AnEditWithdrawnByUncheckingIsNotWritten) {
  TdlgSettings dlg({ClassOf<TFramePreview>()});
  std::string before = ReadWholeFile(WorkFileName);
  RunModal(dlg, [&] {
    TFramePreview* page = Preview(dlg);
    Click(*page->chkAllowEdit);
    Type(*page->memPrewiwIni, "junk");
    Click(*page->chkAllowEdit);
    Click(*dlg.btnSave);
  });
  EXPECT_EQ(ReadWholeFile(WorkFileName), before);
}

TEST_F(PreviewTest, AHandEditReachesTheFileAndTheOtherPages) {
  TdlgSettings dlg({ClassOf<NamePage>(), ClassOf<TFramePreview>()});
  auto* names = static_cast<NamePage*>(TdlgSettings::PageOf(dlg.PC->Page(0)));
  RunModal(dlg, [&] {
    EXPECT_EQ(names->edName->Text(), "Иванов");
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    TFramePreview* page = Preview(dlg);
    Click(*page->chkAllowEdit);
    page->memPrewiwIni->SetFocus();
    SendMessageA(page->memPrewiwIni->Handle(), EM_SETSEL, 0, -1);
    Type(*page->memPrewiwIni, "[UserData]\rFullName=Петров\r");
    ClickTab(*dlg.PC, *dlg.PC->Page(0));
    EXPECT_EQ(names->edName->Text(), "Петров") << "the page shown next reads the hand edit";
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(ReadWholeFile(WorkFileName), "[UserData]\r\nFullName=Петров\r\n");
}

TEST_F(PreviewTest, AMissingWorkingCopyIsReportedAndTheTextStays) {
  TdlgSettings dlg({ClassOf<NamePage>(), ClassOf<TFramePreview>()});
  ExceptionRecorder recorder;
  RunModal(dlg, [&] {
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    std::string shown = Preview(dlg)->ShownText();
    ClickTab(*dlg.PC, *dlg.PC->Page(0));
    DeleteFileA(WorkFileName.c_str());
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    EXPECT_EQ(Preview(dlg)->ShownText(), shown);
    PressKey(VK_ESCAPE);
  });
  ASSERT_EQ(recorder.Messages().size(), 1u);
  EXPECT_EQ(recorder.Messages()[0].rfind("Cannot open file \"" + WorkFileName + "\". ", 0), 0u)
      << recorder.Messages()[0];
  EXPECT_GT(recorder.Messages()[0].size(), ("Cannot open file \"" + WorkFileName + "\". ").size())
      << "the system's reason follows";
}

TEST_F(PreviewTest, AWorkingCopyThatCannotBeWrittenIsReported) {
  TdlgSettings dlg({ClassOf<TFramePreview>()});
  ExceptionRecorder recorder;
  HANDLE held = INVALID_HANDLE_VALUE;
  int result = RunModal(dlg, [&] {
    TFramePreview* page = Preview(dlg);
    Click(*page->chkAllowEdit);
    Type(*page->memPrewiwIni, "x");
    held = CreateFileA(WorkFileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Click(*dlg.btnSave);
  });
  CloseHandle(held);
  EXPECT_EQ(result, mrOk);
  ASSERT_EQ(recorder.Messages().size(), 1u);
  EXPECT_EQ(recorder.Messages()[0].rfind("Cannot create file \"" + WorkFileName + "\". ", 0), 0u);
}

TEST_F(PreviewTest, AWriteThatFailsMidwayLeavesTheWorkingCopyAsItWas) {
  const std::string before = ReadWholeFile(WorkFileName);
  TdlgSettings dlg({ClassOf<TFramePreview>()});
  ExceptionRecorder recorder;
  RunModal(dlg, [&] {
    TFramePreview* page = Preview(dlg);
    Click(*page->chkAllowEdit);
    page->memPrewiwIni->SetText("; " + before + std::string(4000, ';') + "\r\n");
    page->memPrewiwIni->SetModified(true);
    FullDisk disk(100);
    Click(*dlg.btnSave);
  });
  EXPECT_EQ(ReadWholeFile(WorkFileName), before) << "Save would commit what a full disk left";
  ASSERT_EQ(recorder.Messages().size(), 1u);
  EXPECT_EQ(recorder.Messages()[0].rfind("Cannot create file \"" + WorkFileName + "\". ", 0), 0u)
      << recorder.Messages()[0];
}

TEST_F(PreviewTest, AUtf16WorkingCopyIsShownAsTextAndAnEditStaysUtf16) {
  WriteWholeFile(WorkFileName, Utf16Bytes(L"[UserData]\r\nFullName=Иванов\r\n"));
  TdlgSettings dlg({ClassOf<TFramePreview>()});
  RunModal(dlg, [&] {
    TFramePreview* page = Preview(dlg);
    EXPECT_EQ(page->ShownText(), "[UserData]\r\nFullName=Иванов\r\n");
    Click(*page->chkAllowEdit);
    page->memPrewiwIni->SetFocus();
    SendMessageA(page->memPrewiwIni->Handle(), EM_SETSEL, 0, 0);
    Type(*page->memPrewiwIni, "; Я\r");
    Click(*dlg.btnSave);
  });
  EXPECT_EQ(ReadWholeFile(WorkFileName), Utf16Bytes(L"; Я\r\n[UserData]\r\nFullName=Иванов\r\n"));
}

}  // namespace
