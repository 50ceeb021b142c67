// The inactivity countdown on a real dialog with real timers: the caption,
// what stops it, and how it ends the dialog.

#include "main/TimeOutUnit.h"
#include "dialog/Dlg_Settings.h"
#include "gui/Application.h"
#include "support/Operator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace kivtest;

namespace {

int g_saves = 0;

class CountingPage : public TCommonSettingsFrame {
 public:
  explicit CountingPage(Control* owner) : TCommonSettingsFrame(owner, "CountingPage") {
    edText = Add<Edit>({.name = "edText", .left = 8, .top = 8});
  }
  static std::string GetCaption() { return "Страница"; }
  void SaveSettings() override {
    TCommonSettingsFrame::SaveSettings();
    ++g_saves;
  }
  Edit* edText;
};

// The countdown wired to the application as the program does it.
class TimeoutTest : public testing::Test {
 protected:
  void SetUp() override {
    g_saves = 0;
    WorkFileName = folder / "work.new";
    WriteWholeFile(WorkFileName, "[UserData]\r\n");
    timeout.ExpiryResult = mrOk;
    auto& app = Application::Instance();
    app.OnMessage = [this](MSG& msg, bool& handled) { timeout.HandleAppMessage(msg, handled); };
    app.OnModalBegin = [this] { timeout.HandleModalBegin(); };
  }
  void TearDown() override {
    auto& app = Application::Instance();
    app.OnMessage = nullptr;
    app.OnModalBegin = nullptr;
  }
  static std::string Counting(int n) { return "Настройки    Осталось времени (" + std::to_string(n) + ")"; }

  ScratchFolder folder;
  TTimeout timeout;
};

TEST_F(TimeoutTest, StartsUnarmed) {
  TTimeout fresh;
  EXPECT_NE(fresh.stub, nullptr);
  EXPECT_EQ(fresh.TimerId, TTimeout::kNoTimer);
  EXPECT_EQ(fresh.Remaining, 0);
  EXPECT_EQ(fresh.ExpiryResult, mrCancel);
  EXPECT_TRUE(fresh.SavedCaption.empty());
}

TEST_F(TimeoutTest, CountsDownInTheCaptionAndEndsWithOkWithoutSaving) {
  timeout.SetSeconds(2);
  TdlgSettings dlg({ClassOf<CountingPage>()});
  std::vector<std::string> captions;
  int result = RunModal(dlg, [&] {
    PumpFor(1400);
    captions.push_back(dlg.Caption());
    PumpFor(4000, [&] { return dlg.GetModalResult() != mrNone; });
    captions.push_back(dlg.Caption());
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(captions, (std::vector<std::string>{Counting(1), Counting(0)}));
  EXPECT_EQ(g_saves, 0) << "the countdown ends the dialog without saving any page";
}

TEST_F(TimeoutTest, ALengthOfOneEndsAtTheFirstTick) {
  timeout.SetSeconds(1);
  TdlgSettings dlg({ClassOf<CountingPage>()});
  int result = RunModal(dlg, [&] { PumpFor(3000, [&] { return dlg.GetModalResult() != mrNone; }); });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(dlg.Caption(), Counting(0));
  EXPECT_FALSE(timeout.Running());
}

TEST_F(TimeoutTest, AKeyBeforeTheFirstTickStopsItWithTheCaptionUntouched) {
  timeout.SetSeconds(1);
  TdlgSettings dlg({ClassOf<CountingPage>()});
  int result = RunModal(dlg, [&] {
    PressKey(VK_SHIFT);
    PumpFor(1600);
    EXPECT_EQ(dlg.Caption(), "Настройки");
    EXPECT_EQ(dlg.GetModalResult(), mrNone) << "the dialog now waits for the operator";
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(result, mrCancel);
}

TEST_F(TimeoutTest, AKeyAfterSomeTicksGivesTheCaptionBack) {
  timeout.SetSeconds(5);
  TdlgSettings dlg({ClassOf<CountingPage>()});
  RunModal(dlg, [&] {
    PumpFor(1300);
    EXPECT_EQ(dlg.Caption(), Counting(4));
    PressKey('A');
    EXPECT_EQ(dlg.Caption(), "Настройки");
    PumpFor(1200);
    EXPECT_EQ(dlg.Caption(), "Настройки") << "no tick after the stop";
    PressKey(VK_ESCAPE);
  });
}

TEST_F(TimeoutTest, OnlyButtonPressesAndKeysStopIt) {
  struct Case {
    UINT message;
    bool stops;
  } cases[] = {
      {WM_MOUSEMOVE, false},  {WM_LBUTTONUP, false},  {WM_MOUSEWHEEL, false}, {WM_NCLBUTTONDOWN, false},
      {WM_LBUTTONDOWN, true}, {WM_RBUTTONDOWN, true}, {WM_MBUTTONDOWN, true}, {WM_KEYDOWN, true},
      {WM_SYSKEYDOWN, true},  {WM_CHAR, true},
  };
  for (const Case& c : cases) {
    TTimeout t;
    t.SetSeconds(30);
    t.HandleModalBegin();
    ASSERT_TRUE(t.Running());
    MSG msg{};
    msg.message = c.message;
    bool handled = false;
    t.HandleAppMessage(msg, handled);
    EXPECT_EQ(!t.Running(), c.stops) << std::hex << c.message;
    EXPECT_FALSE(handled) << "the message itself goes on";
  }
}

TEST_F(TimeoutTest, ANonPositiveLengthMeansNoCountdown) {
  for (int seconds : {0, -5}) {
    TTimeout t;
    t.SetSeconds(seconds);
    t.HandleModalBegin();
    EXPECT_FALSE(t.Running()) << seconds;
  }
}

}  // namespace
