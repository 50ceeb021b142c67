// The settings dialog and the page contract, with page classes made for the
// test: which pages exist, when they load, save and check.

#include "dialog/Dlg_Settings.h"
#include "setup/KbdUtils.h"
#include "support/Operator.h"
#include "support/TestFiles.h"

#include "profile/Profile.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace gui;
using namespace kivtest;

namespace {

// What the test pages do, set by each test.
struct Script {
  std::vector<std::string> log;
  bool valid[4] = {true, true, true, true};
  bool check[4] = {true, true, true, true};
  bool throwOnSave[4] = {false, false, false, false};
};
Script* g_script = nullptr;

template <int N>
class TestPage : public TCommonSettingsFrame {
 public:
  explicit TestPage(Control* owner) : TCommonSettingsFrame(owner, "Page" + std::to_string(N)) {
    edValue = Add<Edit>({.name = "edValue" + std::to_string(N), .left = 8, .top = 8});
  }
  static std::string GetCaption() { return "Страница " + std::to_string(N); }
  void LoadSettings() override {
    TCommonSettingsFrame::LoadSettings();
    g_script->log.push_back("load" + std::to_string(N));
    std::string value;
    ReadValue("Test", "Page" + std::to_string(N), "", "", value);
    edValue->SetText(value);
  }
  void SaveSettings() override {
    TCommonSettingsFrame::SaveSettings();
    if (!IsSaveAllowed()) return;
    g_script->log.push_back("save" + std::to_string(N));
    if (g_script->throwOnSave[N]) throw std::runtime_error("Cannot create file \"x\". Access denied");
    WriteValue("Test", "Page" + std::to_string(N), edValue->Text());
  }
  bool CheckBeforeSave(bool showErrors) override {
    g_script->log.push_back("check" + std::to_string(N) + (showErrors ? " shown" : ""));
    return g_script->check[N];
  }
  bool HasValidData() override { return g_script->valid[N]; }
  Edit* edValue;
};

// A page that makes its controls only when asked, as the program's pages do:
// an edit box anchored to both sides, 96 pixels from the left and 8 from the
// right of a page of the design size.
template <int N>
class LatePage : public TCommonSettingsFrame {
 public:
  explicit LatePage(Control* owner) : TCommonSettingsFrame(owner, "Late" + std::to_string(N)) {}
  static std::string GetCaption() { return "Поздняя " + std::to_string(N); }
  void LoadSettings() override {
    TCommonSettingsFrame::LoadSettings();
    g_script->log.push_back("load" + std::to_string(N) + (edValue ? "" : " without controls"));
  }
  Edit* edValue = nullptr;

 protected:
  void CreateControls() override {
    g_script->log.push_back("controls" + std::to_string(N));
    edValue =
        Add<Edit>({.name = "edLate" + std::to_string(N), .left = 96, .top = 8, .width = 347, .anchors = LeftTopRight});
  }
};

// A page that keeps the base class's caption.
class UnnamedPage : public TCommonSettingsFrame {
 public:
  explicit UnnamedPage(Control* owner) : TCommonSettingsFrame(owner, "Unnamed") {}
};

void CALLBACK PressEscape(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  PostMessageA(GetFocus() ? GetFocus() : GetActiveWindow(), WM_KEYDOWN, VK_ESCAPE, 0);
}

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    g_script = &script;
    WorkFileName = folder / "answer.inf.new";
    WriteWholeFile(WorkFileName, "[Test]\r\nPage0=zero\r\nPage1=one\r\nPage2=two\r\n");
  }
  void TearDown() override { g_script = nullptr; }

  std::vector<TCommonSettingsFrameClass> ThreePages() {
    return {ClassOf<TestPage<0>>(), ClassOf<TestPage<1>>(), ClassOf<TestPage<2>>()};
  }
  std::string Read(const std::string& key) { return profile::ReadString(WorkFileName, "Test", key, "?", 261); }

  ScratchFolder folder;
  Script script;
};

TEST_F(DialogTest, PagesWithoutDataAreLeftOutAndTheFirstRemainingIsLoaded) {
  script.valid[0] = false;
  TdlgSettings dlg(ThreePages());
  ASSERT_EQ(dlg.PC->PageCount(), 2);
  EXPECT_EQ(dlg.PC->Page(0)->Caption(), "Страница 1");
  EXPECT_EQ(dlg.PC->Page(1)->Caption(), "Страница 2");
  EXPECT_EQ(dlg.PC->ActivePage(), dlg.PC->Page(0));
  EXPECT_EQ(script.log, std::vector<std::string>{"load1"}) << "only the first page loads; building switches nothing";
  EXPECT_NE(TdlgSettings::PageOf(dlg.PC->Page(1)), nullptr);
  EXPECT_FALSE(TdlgSettings::PageOf(dlg.PC->Page(1))->Loaded());
}

TEST_F(DialogTest, PagesGetTheirControlsWhenFirstShownOrWhenTheDialogIsIdleLaidOutAsDesigned) {
  TdlgSettings dlg({ClassOf<LatePage<0>>(), ClassOf<LatePage<1>>(), ClassOf<LatePage<2>>()});
  auto page = [&](int n) { return static_cast<LatePage<0>*>(TdlgSettings::PageOf(dlg.PC->Page(n))); };
  EXPECT_EQ(script.log, (std::vector<std::string>{"controls0", "load0"})) << "only the page seen first is built";
  EXPECT_FALSE(page(1)->HasControls());
  // Shown before the dialog was idle: built before it loads, and once.
  dlg.PC->SetActivePage(dlg.PC->Page(2));
  dlg.PCChange();
  dlg.WhenIdle([&] {
    EXPECT_EQ(script.log, (std::vector<std::string>{"controls0", "load0", "controls2", "load2", "controls1"}))
        << "the idle time builds the rest in tab order";
    for (int n = 0; n < 3; ++n) {
      ASSERT_TRUE(page(n)->edValue) << n;
      const RECT client = page(n)->ClientRect();
      EXPECT_EQ(page(n)->edValue->Left(), 96) << n;
      EXPECT_EQ(page(n)->edValue->Width(), client.right - 96 - 8) << "anchored as on a page of the design size";
    }
    dlg.SetModalResult(mrCancel);
  });
  EXPECT_EQ(dlg.ShowModal(), mrCancel);
}

TEST_F(DialogTest, APageWithoutItsOwnCaptionSaysSo) {
  TdlgSettings dlg({ClassOf<UnnamedPage>(), TCommonSettingsFrameClass{}});
  ASSERT_EQ(dlg.PC->PageCount(), 1) << "an empty entry of the list is skipped";
  EXPECT_EQ(dlg.PC->Page(0)->Caption(), "Название должно быть переопределено");
}

TEST_F(DialogTest, LeavingAPageSavesItAndShowingOneLoadsIt) {
  TdlgSettings dlg(ThreePages());
  auto* ed0 = static_cast<TestPage<0>*>(TdlgSettings::PageOf(dlg.PC->Page(0)))->edValue;
  int result = RunModal(dlg, [&] {
    EXPECT_EQ(ed0->Text(), "zero");
    ed0->SetFocus();
    ed0->SelectAll();
    Type(*ed0, "иное");
    ClickTab(*dlg.PC, *dlg.PC->Page(2));
    EXPECT_EQ(Read("Page0"), "иное") << "the page left was saved";
    ClickTab(*dlg.PC, *dlg.PC->Page(0));
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(script.log, (std::vector<std::string>{"load0", "save0", "load2", "save2", "load0"}));
}

TEST_F(DialogTest, SaveChecksEveryPageThenSavesTheLoadedOnes) {
  TdlgSettings dlg(ThreePages());
  int result = RunModal(dlg, [&] {
    ClickTab(*dlg.PC, *dlg.PC->Page(1));
    script.log.clear();
    Click(*dlg.btnSave);
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_TRUE(dlg.SavePressed());
  EXPECT_EQ(script.log, (std::vector<std::string>{"check0", "check1", "check2", "save0", "save1"}))
      << "the never-shown page writes nothing";
  EXPECT_EQ(Read("Page2"), "two");
}

TEST_F(DialogTest, AFailingCheckKeepsTheDialogOpenOnThatPageAndSavesNothing) {
  script.check[1] = false;
  TdlgSettings dlg(ThreePages());
  std::string before = ReadWholeFile(WorkFileName);
  int result = RunModal(dlg, [&] {
    script.log.clear();
    Click(*dlg.btnSave);
    EXPECT_EQ(dlg.GetModalResult(), mrNone);
    EXPECT_EQ(dlg.PC->ActivePage(), dlg.PC->Page(1)) << "the page whose check failed is shown";
    EXPECT_EQ(script.log, (std::vector<std::string>{"check0", "check1", "check1 shown"}));
    EXPECT_EQ(ReadWholeFile(WorkFileName), before);
    script.check[1] = true;
    ClickTab(*dlg.PC, *dlg.PC->Page(0));
    script.log.clear();
    Click(*dlg.btnSave);
    EXPECT_EQ(dlg.PC->ActivePage(), dlg.PC->Page(0)) << "pages that pass are not brought to the front";
    EXPECT_EQ(script.log, (std::vector<std::string>{"check0", "check1", "check2", "save0"}));
  });
  EXPECT_EQ(result, mrOk);
}

TEST_F(DialogTest, AnErrorDuringSaveIsReportedAndTheDialogStillEndsWithOk) {
  script.throwOnSave[0] = true;
  ExceptionRecorder recorder;
  TdlgSettings dlg(ThreePages());
  int result = RunModal(dlg, [&] { Click(*dlg.btnSave); });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(recorder.Messages(), std::vector<std::string>{"Cannot create file \"x\". Access denied"});
}

TEST_F(DialogTest, CancelEscAndTheCloseBoxSaveNothing) {
  for (int way = 0; way < 3; ++way) {
    script.log.clear();
    TdlgSettings dlg(ThreePages());
    int result = RunModal(dlg, [&] {
      if (way == 0) Click(*dlg.btnCancel);
      if (way == 1) PressKey(VK_ESCAPE);
      if (way == 2) {
        PostMessageA(dlg.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
        PumpUntilIdle();
      }
    });
    EXPECT_EQ(result, mrCancel) << "way " << way;
    EXPECT_EQ(script.log, std::vector<std::string>{"load0"}) << "way " << way;
  }
}

TEST_F(DialogTest, ShowSettingsTellsOkFromCancel) {
  bool savePressed = true;
  std::vector<TCommonSettingsFrameClass> pages = ThreePages();
  SetTimer(nullptr, 0, 0, &PressEscape);
  EXPECT_FALSE(ShowSettings(pages, &savePressed));
  EXPECT_FALSE(savePressed);
}

TEST_F(DialogTest, TheButtonsStayCentredWithTwentyPixelsBetween) {
  TdlgSettings dlg(ThreePages());
  for (int width : {381, 600, 250}) {
    dlg.SetClientSize(width, 289);
    int gapLeft = dlg.btnSave->Left();
    int pairWidth = dlg.btnSave->Width() + 20 + dlg.btnCancel->Width();
    EXPECT_EQ(gapLeft, (dlg.Width() - pairWidth) / 2) << width;
    EXPECT_EQ(dlg.btnCancel->Left(), dlg.btnSave->Left() + dlg.btnSave->Width() + 20) << width;
  }
}

TEST_F(DialogTest, TheDesignMatchesItsTable) {
  TdlgSettings dlg(ThreePages());
  EXPECT_EQ(dlg.Caption(), "Настройки");
  EXPECT_EQ(dlg.ClientWidth(), 381);
  EXPECT_EQ(dlg.ClientHeight(), 289);
  EXPECT_EQ(dlg.pnlButtons->Height(), 41);
  EXPECT_EQ(dlg.btnSave->Caption(), "Сохранить");
  EXPECT_EQ(dlg.btnCancel->Caption(), "Отмена");
  EXPECT_TRUE(dlg.btnSave->Default());
  EXPECT_TRUE(dlg.btnCancel->Cancel());
  EXPECT_EQ(dlg.btnSave->TabOrder(), 0);
  EXPECT_EQ(dlg.btnCancel->TabOrder(), 1);
  EXPECT_EQ(dlg.lblKeyBoardIndicator->Caption(), GetKeyboardLayoutText()) << "the design caption gives way";
  EXPECT_EQ(dlg.lblKeyBoardIndicator->Width(), 35);
  EXPECT_EQ(dlg.lblKeyBoardIndicator->Height(), 16);
  EXPECT_EQ(dlg.PC->GetFont().name, "MS Sans Serif");
  EXPECT_EQ(dlg.PC->GetFont().height, -11);
  TCommonSettingsFrame* page = TdlgSettings::PageOf(dlg.PC->Page(0));
  EXPECT_EQ(page->Parent(), dlg.PC->Page(0));
  EXPECT_EQ(page->Width(), dlg.PC->Page(0)->Width()) << "a page fills its tab sheet";
}

TEST_F(DialogTest, ASinglePageIsLoadedOnce) {
  TdlgSettings dlg({ClassOf<TestPage<3>>()});
  EXPECT_EQ(script.log, std::vector<std::string>{"load3"});
}

}  // namespace
