// The countdown of the real editor: a run nobody touches ends by itself and
// commits the working copy as it stands; "TimeOut" in KivEdt.ini sets its
// length, and odd values never hold the dialog or count wrongly.

#include "e2e/EditorRun.h"

#include <commctrl.h>

namespace kivtest {
namespace {

class CountdownRun : public EditorRun {
 protected:
  void Configure(const std::string& content) { WriteWholeFile(folder / "KivEdt.ini", content); }
  std::string Caption() const {
    char text[256] = {};
    GetWindowTextA(Window("dlgSettings"), text, sizeof(text));
    return text;
  }
  // Brings a tab to the front without any key or mouse press, which would
  // stop the countdown: the tab control itself is asked to move its focus.
  void ShowTab(int index) const { SendMessageA(Window("PC"), TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0); }
  // The caption once it differs from `before`, or after `ms`.
  std::string CaptionAfter(int ms) const {
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WaitForSingleObject(never, static_cast<DWORD>(ms));
    CloseHandle(never);
    return Caption();
  }
};

TEST_F(CountdownRun, ARunNobodyTouchesCommitsWhatThePagesSavedAndNothingElse) {
  std::string original = ExampleAnswerFile();
  WriteWholeFile(answerFile, original);
  Configure("[KivEditor]\r\nTimeOut=3\r\n");
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  int tabs = static_cast<int>(SendMessageA(Window("PC"), TCM_GETITEMCOUNT, 0, 0));
  ShowTab(tabs - 1);
  EditPreview(EditedAnswerFile(original));
  // Leaving the preview saves the hand edit into the working copy ...
  ShowTab(0);
  // ... while a change on the page still shown is never saved by the countdown.
  SendMessageA(Window("edOrgName"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Не сохранено"));
  EXPECT_EQ(Finish(10000), 0);
  std::string committed = ReadWholeFile(answerFile);
  EXPECT_EQ(committed, EditedAnswerFile(original));
  EXPECT_EQ(committed.find("Не сохранено"), std::string::npos);
  EXPECT_FALSE(FileExists(answerFile + ".new"));
}

TEST_F(CountdownRun, WithoutConfigurationTheCountIsThirtySeconds) {
  DeleteFileA((folder / "KivEdt.ini").c_str());
  WriteWholeFile(answerFile, ExampleAnswerFile());
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  EXPECT_EQ(CaptionAfter(1600), "Настройки    Осталось времени (29)");
  PressEscape();
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), ExampleAnswerFile()) << "Esc stopped the count and cancelled";
}

TEST_F(CountdownRun, OddTimeOutValuesGiveALengthOrNoCountdown) {
  struct Case {
    const char* value;
    const char* captionAfterASecond;
  } cases[] = {
      {" 7 ", "Настройки    Осталось времени (6)"},
      {"abc", "Настройки"},
      {"0", "Настройки"},
      {"-5", "Настройки"},
  };
  for (const Case& c : cases) {
    WriteWholeFile(answerFile, ExampleAnswerFile());
    Configure(std::string("[kiveditor]\r\ntimeout=") + c.value + "\r\n");
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog()) << c.value;
    EXPECT_EQ(CaptionAfter(1600), c.captionAfterASecond) << c.value;
    ClickButton("btnCancel");
    EXPECT_EQ(Finish(), 0) << c.value;
  }
}

TEST_F(CountdownRun, AnUnreadableConfigurationMeansTheDefaults) {
  for (int kind = 0; kind < 3; ++kind) {
    std::string config = folder / "KivEdt.ini";
    DeleteFileA(config.c_str());
    RemoveDirectoryA(config.c_str());
    if (kind == 0) CreateDirectoryA(config.c_str(), nullptr);
    if (kind == 1) WriteWholeFile(config, "");
    if (kind == 2) WriteWholeFile(config, std::string("\0\x01\xFF[KivEditor\0TimeOut=5\xFE", 24));
    WriteWholeFile(answerFile, ExampleAnswerFile());
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog()) << kind;
    EXPECT_EQ(CaptionAfter(1600), "Настройки    Осталось времени (29)") << kind;
    ClickButton("btnCancel");
    EXPECT_EQ(Finish(), 0) << kind;
    RemoveDirectoryA(config.c_str());
  }
}

}  // namespace
}  // namespace kivtest
