// The display page: list items matched to "Display" as text, the default
// item deleting its keys.

#include "dialog/Dlg_Settings.h"
#include "pages/PreviewFrame.h"
#include "pages/DisplaySettingsFrame.h"
#include "pages/IdentificationFrame.h"
#include "support/Operator.h"
#include "support/TestFiles.h"

#include "profile/Profile.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace kivtest;

namespace {

class DisplayTest : public testing::Test {
 protected:
  void Open(const std::string& content) {
    WorkFileName = folder / "winnt.sif.new";
    WriteWholeFile(WorkFileName, content);
    form = std::make_unique<Form>(Design{.name = "form", .width = 451, .height = 304});
    page = form->Create<TFrameDsiplaySettings>();
    page->EnsureControls();
  }
  std::string Value(const std::string& key) {
    return profile::ReadString(WorkFileName, "Display", key, "<absent>", 2048);
  }
  ScratchFolder folder;
  std::unique_ptr<Form> form;
  TFrameDsiplaySettings* page = nullptr;
};

TEST_F(DisplayTest, TheListsCarryTheirItemsInOrder) {
  Open("");
  ASSERT_EQ(page->cbResolution->ItemCount(), 6);
  EXPECT_EQ(page->cbResolution->ItemText(1), "  640x480");
  EXPECT_EQ(page->cbResolution->ItemText(2), "  800x600");
  EXPECT_EQ(page->cbResolution->ItemText(5), "1600x1200");
  EXPECT_EQ(page->cbColorDeptch->ItemText(4), "32");
  EXPECT_EQ(page->cbVrefresh->ItemText(5), "85");
  EXPECT_EQ(page->cbResolution->Style(), ComboStyle::DropDownList);
  EXPECT_EQ(page->cbResolution->Left(), 136);
  EXPECT_EQ(page->Label3->Left(), 8);
  EXPECT_EQ(page->Label3->Top(), 92);
}

TEST_F(DisplayTest, KnownValuesAreShownAndWrittenBackWithoutBlanks) {
  Open("[Display]\r\nBitsPerPel=16\r\nXresolution=800\r\nYresolution=600\r\nVrefresh=75\r\n");
  page->LoadSettings();
  EXPECT_EQ(page->cbColorDeptch->Text(), "16");
  EXPECT_EQ(page->cbResolution->Text(), "  800x600");
  EXPECT_EQ(page->cbVrefresh->Text(), "75");
  page->SaveSettings();
  EXPECT_EQ(ReadWholeFile(WorkFileName),
            "[Display]\r\nBitsPerPel=16\r\nXresolution=800\r\nYresolution=600\r\nVrefresh=75\r\n");
}

TEST_F(DisplayTest, ValuesNoListOffersShowTheDefaultAndAreDeleted) {
  Open("[Display]\r\nBitsPerPel=15\r\nXResolution=1152\r\nYResolution=864\r\nVRefresh=100\r\nFlags=1\r\n");
  page->LoadSettings();
  EXPECT_EQ(page->cbColorDeptch->ItemIndex(), 0);
  EXPECT_EQ(page->cbResolution->ItemIndex(), 0);
  EXPECT_EQ(page->cbVrefresh->ItemIndex(), 0);
  page->SaveSettings();
  EXPECT_EQ(ReadWholeFile(WorkFileName), "[Display]\r\nFlags=1\r\n") << "keys the page does not know stay";

  Open("[Display]\r\nBitsPerPel=016\r\n");
  page->LoadSettings();
  EXPECT_EQ(page->cbColorDeptch->ItemIndex(), 0) << "compared as text, not as numbers";
}

TEST_F(DisplayTest, OneResolutionKeyAloneMatchesNothing) {
  Open("[Display]\r\nXresolution=800\r\nBitsPerPel=32\r\n");
  page->LoadSettings();
  EXPECT_EQ(page->cbResolution->ItemIndex(), 0);
  page->SaveSettings();
  EXPECT_EQ(Value("Xresolution"), "<absent>");
  EXPECT_EQ(Value("Yresolution"), "<absent>");
  EXPECT_EQ(Value("BitsPerPel"), "32");
}

TEST_F(DisplayTest, TheOperatorsPicksAreWritten) {
  Open("[Display]\r\nBitsPerPel=32\r\n");
  page->LoadSettings();
  form->Show();
  PickItem(*page->cbResolution, 4);
  PickItem(*page->cbVrefresh, 1);
  PickItem(*page->cbColorDeptch, 0);
  page->SaveSettings();
  EXPECT_EQ(Value("Xresolution"), "1280");
  EXPECT_EQ(Value("Yresolution"), "1024");
  EXPECT_EQ(Value("Vrefresh"), "60");
  EXPECT_EQ(Value("BitsPerPel"), "<absent>");
}

TEST_F(DisplayTest, APageNeverLoadedWritesNothing) {
  Open("[Display]\r\nBitsPerPel=15\r\n");
  page->SaveSettings();
  EXPECT_EQ(ReadWholeFile(WorkFileName), "[Display]\r\nBitsPerPel=15\r\n");
}

// Both pages read the working copy again each time they are shown, so a
// hand edit on the preview page reaches them.
TEST(PagesTogether, AHandEditOnThePreviewIsShownByBothPages) {
  ScratchFolder folder;
  WorkFileName = folder / "winnt.sif.new";
  WriteWholeFile(WorkFileName, "[UserData]\r\nFullName=Иван\r\n[Display]\r\nBitsPerPel=8\r\n");
  TdlgSettings dlg({ClassOf<TFrameIdentification>(), ClassOf<TFrameDsiplaySettings>(), ClassOf<TFramePreview>()});
  auto* ident = static_cast<TFrameIdentification*>(TdlgSettings::PageOf(dlg.PC->Page(0)));
  auto* display = static_cast<TFrameDsiplaySettings*>(TdlgSettings::PageOf(dlg.PC->Page(1)));
  auto* preview = static_cast<TFramePreview*>(TdlgSettings::PageOf(dlg.PC->Page(2)));
  RunModal(dlg, [&] {
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    ClickTab(*dlg.PC, *dlg.PC->Page(2));
    Click(*preview->chkAllowEdit);
    preview->memPrewiwIni->SetFocus();
    preview->memPrewiwIni->SelectAll();
    Type(*preview->memPrewiwIni, "[UserData]\rFullName=Пётр\r[Display]\rBitsPerPel=24\r");
    ClickTab(*dlg.PC, *dlg.PC->Page(0));
    EXPECT_EQ(ident->edFullName->Text(), "Пётр");
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    EXPECT_EQ(display->cbColorDeptch->Text(), "24");
    PressKey(VK_ESCAPE);
  });
}

}  // namespace
