// The form's modal loop and keyboard, the page control's switching, the
// application's hook, modal-begin event and exception handler.

#include "support/Operator.h"

#include "gui/Application.h"
#include "gui/TextView.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace gui;
using namespace kivtest;

namespace {

// A dialog shaped like the program's: a page control over a button panel.
struct Dialog {
  Form form{{.name = "dlg", .width = 381, .height = 289, .caption = "Настройки"}};
  Panel* pnl = form.Add<Panel>({.name = "pnlButtons", .height = 41, .align = Align::Bottom});
  Button* save = pnl->Add<Button>(
      {.name = "btnSave", .left = 80, .top = 8, .caption = "Сохранить", .isDefault = true, .modalResult = mrOk});
  Button* cancel = pnl->Add<Button>(
      {.name = "btnCancel", .left = 176, .top = 8, .caption = "Отмена", .cancel = true, .modalResult = mrCancel});
  PageControl* pc = form.Add<PageControl>({.name = "PC", .align = Align::Client});
  TabSheet* first = pc->AddSheet("tsFirst", "Первая");
  TabSheet* second = pc->AddSheet("tsSecond", "Вторая");
  TabSheet* third = pc->AddSheet("tsThird", "Третья");
  Edit* edit = first->Add<Edit>({.name = "edFirst", .left = 8, .top = 8});
  Memo* memo = second->Add<Memo>({.name = "memSecond", .left = 8, .top = 8});
  TextView* view = third->Add<TextView>({.name = "viewThird", .left = 8, .top = 8, .caption = "a\r\nb"});
};

TEST(FormModal, EnterPressesTheDefaultButtonWithItsResultSetBeforeTheHandler) {
  Dialog d;
  int resultSeenByHandler = -1;
  d.save->OnClick = [&] { resultSeenByHandler = d.form.GetModalResult(); };
  int result = RunModal(d.form, [&] {
    d.edit->SetFocus();
    PumpUntilIdle();
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(resultSeenByHandler, mrOk);
}

TEST(FormModal, HandlerThatClearsTheResultKeepsTheDialogOpen) {
  Dialog d;
  int clicks = 0;
  d.save->OnClick = [&] {
    if (++clicks == 1) d.form.SetModalResult(mrNone);
  };
  int result = RunModal(d.form, [&] {
    Click(*d.save);
    EXPECT_EQ(d.form.GetModalResult(), mrNone);
    EXPECT_TRUE(IsWindowVisible(d.form.Handle()));
    Click(*d.save);
  });
  EXPECT_EQ(result, mrOk);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(IsWindowVisible(d.form.Handle()));
}

TEST(FormModal, EscPressesTheCancelButton) {
  Dialog d;
  int cancels = 0;
  d.cancel->OnClick = [&] { ++cancels; };
  int result = RunModal(d.form, [&] { PressKey(VK_ESCAPE); });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(cancels, 1);
}

TEST(FormModal, CloseBoxGivesCancel) {
  Dialog d;
  bool saved = false;
  d.save->OnClick = [&] { saved = true; };
  int result = RunModal(d.form, [&] {
    PostMessageA(d.form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpUntilIdle();
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_FALSE(saved);
}

TEST(FormModal, EnterInATextOfSeveralLinesStaysThereAndPressesNoButton) {
  Dialog d;
  d.pc->SetActivePage(d.second);
  int result = RunModal(d.form, [&] {
    d.memo->SetFocus();
    PumpUntilIdle();
    Type(*d.memo, "a");
    PressKey(VK_RETURN);
    EXPECT_EQ(d.form.GetModalResult(), mrNone);
    EXPECT_NE(d.memo->Text().find("\r\n"), std::string::npos) << "a new line in an edit box";
    ClickTab(*d.pc, *d.third);
    Click(*d.view);
    ASSERT_TRUE(d.view->Focused());
    PressKey(VK_RETURN);
    EXPECT_EQ(d.form.GetModalResult(), mrNone) << "nothing at all in a read-only view";
    EXPECT_EQ(d.view->Text(), "a\r\nb");
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(result, mrCancel);
}

TEST(FormModal, TabAndShiftTabWalkTheControlsInTabOrder) {
  Dialog d;
  RunModal(d.form, [&] {
    d.edit->SetFocus();
    PumpUntilIdle();
    PressKey(VK_TAB);
    EXPECT_TRUE(d.save->Focused()) << "the panel's buttons follow the page";
    PressKey(VK_TAB);
    EXPECT_TRUE(d.cancel->Focused());
    PressKey(VK_TAB, false, true);
    EXPECT_TRUE(d.save->Focused());
    PressKey(VK_TAB, false, true);
    EXPECT_TRUE(d.edit->Focused()) << "controls on hidden pages are skipped";
    d.cancel->Click();
  });
}

TEST(FormModal, EnterOnAFocusedButtonPressesThatButton) {
  Dialog d;
  int result = RunModal(d.form, [&] {
    d.cancel->SetFocus();
    PumpUntilIdle();
    PressKey(VK_RETURN);
  });
  EXPECT_EQ(result, mrCancel);
}

TEST(PageSwitch, ClickingATabFiresChangingThenChange) {
  Dialog d;
  std::vector<std::string> events;
  d.pc->OnChanging = [&](bool&) { events.push_back("changing:" + d.pc->ActivePage()->Name()); };
  d.pc->OnChange = [&] { events.push_back("change:" + d.pc->ActivePage()->Name()); };
  d.form.Show();
  PumpUntilIdle();
  EXPECT_EQ(d.pc->ActivePage(), d.first);
  ClickTab(*d.pc, *d.third);
  EXPECT_EQ(d.pc->ActivePage(), d.third);
  EXPECT_TRUE(IsWindowVisible(d.third->Handle()));
  EXPECT_FALSE(IsWindowVisible(d.first->Handle()));
  EXPECT_EQ(events, (std::vector<std::string>{"changing:tsFirst", "change:tsThird"}));
}

TEST(PageSwitch, AVetoKeepsTheTab) {
  Dialog d;
  int changes = 0;
  d.pc->OnChanging = [&](bool& allow) { allow = false; };
  d.pc->OnChange = [&] { ++changes; };
  d.form.Show();
  PumpUntilIdle();
  ClickTab(*d.pc, *d.second);
  EXPECT_EQ(d.pc->ActivePage(), d.first);
  EXPECT_EQ(SendMessageA(d.pc->Handle(), TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(IsWindowVisible(d.first->Handle()));
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(d.pc->SelectPage(d.third)) << "the same veto holds for code that asks for the events";
}

TEST(PageSwitch, CodeThatSetsThePageFiresNothing) {
  Dialog d;
  int events = 0;
  d.pc->OnChanging = [&](bool&) { ++events; };
  d.pc->OnChange = [&] { ++events; };
  d.pc->SetActivePage(d.second);
  d.pc->SetActivePage(d.first);
  PumpUntilIdle();
  EXPECT_EQ(events, 0);
  EXPECT_EQ(SendMessageA(d.pc->Handle(), TCM_GETCURSEL, 0, 0), 0);
}

TEST(PageSwitch, CtrlTabCyclesThePagesAsClicksWould) {
  Dialog d;
  std::vector<std::string> events;
  d.pc->OnChanging = [&](bool&) { events.push_back("changing:" + d.pc->ActivePage()->Name()); };
  d.pc->OnChange = [&] { events.push_back("change:" + d.pc->ActivePage()->Name()); };
  RunModal(d.form, [&] {
    d.edit->SetFocus();
    PumpUntilIdle();
    PressKey(VK_TAB, true);
    EXPECT_EQ(d.pc->ActivePage(), d.second);
    PressKey(VK_TAB, true);
    EXPECT_EQ(d.pc->ActivePage(), d.third);
    PressKey(VK_TAB, true);
    EXPECT_EQ(d.pc->ActivePage(), d.first) << "the last page wraps to the first";
    PressKey(VK_TAB, true, true);
    EXPECT_EQ(d.pc->ActivePage(), d.third);
    EXPECT_EQ(SendMessageA(d.pc->Handle(), TCM_GETCURSEL, 0, 0), 2);
    d.cancel->Click();
  });
  EXPECT_EQ(events,
            (std::vector<std::string>{"changing:tsFirst", "change:tsSecond", "changing:tsSecond", "change:tsThird",
                                      "changing:tsThird", "change:tsFirst", "changing:tsFirst", "change:tsThird"}));
}

TEST(PageSwitch, HiddenTabsAreLeftOutAndDestroyedSheetsGoWithTheirTabs) {
  Dialog d;
  d.second->SetTabVisible(false);
  EXPECT_EQ(SendMessageA(d.pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_TRUE(d.pc->SelectNextPage(true));
  EXPECT_EQ(d.pc->ActivePage(), d.third);
  d.pc->DestroyChild(d.third);
  EXPECT_EQ(d.pc->PageCount(), 2);
  EXPECT_EQ(d.pc->ActivePage(), d.first);
  EXPECT_EQ(SendMessageA(d.pc->Handle(), TCM_GETITEMCOUNT, 0, 0), 1);
}

TEST(FormModal, IdleTasksRunOneAtATimeAfterWhatTheOperatorDid) {
  Dialog d;
  ExceptionRecorder recorder;
  std::vector<std::string> log;
  d.form.WhenIdle([&] {
    log.push_back("first");
    // Typed while the first task ran: it comes before the next task.
    d.edit->SetFocus();
    PostMessageA(d.edit->Handle(), WM_CHAR, 'x', 1);
  });
  d.form.WhenIdle([&] { log.push_back("second after \"" + d.edit->Text() + "\""); });
  d.form.WhenIdle([] { throw std::runtime_error("Cannot build the page"); });
  d.form.WhenIdle([&] {
    log.push_back("last");
    d.form.SetModalResult(mrOk);
  });
  EXPECT_TRUE(d.form.HasIdleTasks());
  EXPECT_EQ(d.form.ShowModal(), mrOk);
  EXPECT_EQ(log, (std::vector<std::string>{"first", "second after \"x\"", "last"}));
  EXPECT_EQ(recorder.Messages(), std::vector<std::string>{"Cannot build the page"}) << "a task's error is reported";
  EXPECT_FALSE(d.form.HasIdleTasks());
}

TEST(Exceptions, AnErrorInAHandlerIsReportedOnceAndTheFormGoesOn) {
  Dialog d;
  ExceptionRecorder recorder;
  int clicks = 0;
  d.save->OnClick = [&] {
    ++clicks;
    throw std::runtime_error("Unable to write to C:\\x.inf");
  };
  int result = RunModal(d.form, [&] {
    d.save->SetModalResult(mrNone);
    Click(*d.save);
    EXPECT_EQ(recorder.Messages().size(), 1u);
    EXPECT_TRUE(IsWindowVisible(d.form.Handle()));
    Click(*d.cancel);
  });
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(recorder.Messages().size(), 1u);
  EXPECT_EQ(recorder.Messages()[0], "Unable to write to C:\\x.inf");
}

TEST(Exceptions, AnErrorWhileLeavingAPageKeepsThePageAndIsReported) {
  Dialog d;
  ExceptionRecorder recorder;
  d.pc->OnChanging = [&](bool&) { throw std::runtime_error("Cannot create file"); };
  d.form.Show();
  PumpUntilIdle();
  ClickTab(*d.pc, *d.second);
  EXPECT_EQ(d.pc->ActivePage(), d.first);
  EXPECT_EQ(recorder.Messages(), std::vector<std::string>{"Cannot create file"});
}

TEST(Exceptions, TheDefaultHandlerShowsTheMessageInABoxUnderTheProgramsName) {
  Dialog d;
  MessageBoxAnswerer answerer;
  struct Named {
    std::string saved = Application::Instance().Title;
    Named() { Application::Instance().Title = "Программа"; }
    ~Named() { Application::Instance().Title = saved; }
  } named;
  d.save->OnClick = [&] { throw std::runtime_error("Text exceeds memo capacity"); };
  int result = RunModal(d.form, [&] {
    Click(*d.save);
    PumpUntilIdle();
  });
  EXPECT_EQ(result, mrOk) << "the button's result was given before the handler failed";
  ASSERT_EQ(answerer.Boxes().size(), 1u);
  EXPECT_EQ(answerer.Boxes()[0].text, "Text exceeds memo capacity");
  EXPECT_EQ(answerer.Boxes()[0].caption, "Программа");
}

TEST(Exceptions, AnErrorPostedWhileAFormIsBuiltIsReportedOnceItsLoopRuns) {
  ExceptionRecorder recorder;
  {
    // A form that never runs takes its posted error with it.
    Dialog unshown;
    Application::Instance().PostError("never shown");
  }
  Dialog d;
  Application::Instance().PostError("Unable to write to winnt.sif.new");
  EXPECT_TRUE(recorder.Messages().empty()) << "reported before the loop ran";
  RunModal(d.form, [&] {
    PumpUntilIdle();
    EXPECT_EQ(recorder.Messages(), std::vector<std::string>{"Unable to write to winnt.sif.new"});
    // Posted while the loop runs, it comes at once.
    Application::Instance().PostError("second");
    PumpUntilIdle();
    PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(recorder.Messages(), (std::vector<std::string>{"Unable to write to winnt.sif.new", "second"}));
}

TEST(ApplicationHooks, TheMessageHookSeesKeysAndMouseButtons) {
  Dialog d;
  std::vector<UINT> seen;
  auto& app = Application::Instance();
  app.OnMessage = [&](MSG& msg, bool&) {
    if (msg.message == WM_KEYDOWN || msg.message == WM_LBUTTONDOWN || msg.message == WM_MBUTTONDOWN)
      seen.push_back(msg.message);
  };
  RunModal(d.form, [&] {
    d.edit->SetFocus();
    PumpUntilIdle();
    PressKey('A');
    PostMessageA(d.edit->Handle(), WM_MBUTTONDOWN, MK_MBUTTON, 0);
    PostMessageA(d.edit->Handle(), WM_MBUTTONUP, 0, 0);
    PumpUntilIdle();
    Click(*d.cancel);
  });
  app.OnMessage = nullptr;
  EXPECT_EQ(seen, (std::vector<UINT>{WM_KEYDOWN, WM_MBUTTONDOWN, WM_LBUTTONDOWN}));
}

TEST(ApplicationHooks, AHookCanSwallowAMessage) {
  Dialog d;
  auto& app = Application::Instance();
  app.OnMessage = [&](MSG& msg, bool& handled) { handled = msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE; };
  int result = RunModal(d.form, [&] {
    PressKey(VK_ESCAPE);
    EXPECT_EQ(d.form.GetModalResult(), mrNone);
    Click(*d.save);
  });
  app.OnMessage = nullptr;
  EXPECT_EQ(result, mrOk);
}

TEST(ApplicationHooks, ModalBeginFiresOnceForTheFirstModalFormOnly) {
  Dialog outer;
  Form inner({.name = "inner", .width = 100, .height = 80});
  auto* close = inner.Add<Button>({.name = "btnClose", .cancel = true, .modalResult = mrCancel});
  int begins = 0;
  auto& app = Application::Instance();
  app.OnModalBegin = [&] { ++begins; };
  RunModal(outer.form, [&] {
    EXPECT_EQ(begins, 1);
    EXPECT_EQ(app.ActiveForm(), &outer.form);
    RunModal(inner, [&] {
      EXPECT_EQ(app.ActiveForm(), &inner);
      Click(*close);
    });
    EXPECT_EQ(begins, 1) << "a modal form inside the first one is no new beginning";
    Click(*outer.cancel);
  });
  app.OnModalBegin = nullptr;
  EXPECT_EQ(begins, 1);
}

}  // namespace
