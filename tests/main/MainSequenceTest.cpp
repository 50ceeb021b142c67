// The main sequence's own decisions: how the command line is split and which
// answer file it names, which exit programs run in what order, and that the
// start-up tone sounds beside the dialog instead of before it.

#include "main/MainSequence.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "setup/AnswerFile.h"
#include "setup/UDBMerge.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace kivtest;

namespace {

using Items = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroupAndVanish) {
  EXPECT_EQ(SplitCommandLine("KivEdt.exe  -f:a.sif\t/f:b.sif  "), (Items{"KivEdt.exe", "-f:a.sif", "/f:b.sif"}));
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Kiv\\KivEdt.exe\" -f:\"C:\\Setup Files\\winnt.sif\" "
                             "\"/f:D:\\Учёт\\a b.sif\""),
            (Items{"C:\\Program Files\\Kiv\\KivEdt.exe", "-f:C:\\Setup Files\\winnt.sif", "/f:D:\\Учёт\\a b.sif"}));
  EXPECT_EQ(SplitCommandLine("x \"a\"b\"c d\" \"\" y"), (Items{"x", "abc d", "y"}));
  EXPECT_EQ(SplitCommandLine("x \"-f:C:\\a b"), (Items{"x", "-f:C:\\a b"}));
  EXPECT_EQ(SplitCommandLine("x \"  -f:a.sif \""), (Items{"x", "  -f:a.sif "}));
  EXPECT_EQ(SplitCommandLine("   "), Items{});
  EXPECT_EQ(SplitCommandLine(""), Items{});
}

// The test's scratch folder is the current directory; the program directory
// is made up, so a name found there could only come from the prefix.
class ParseCommandLineTest : public testing::Test {
 protected:
  void SetUp() override {
    savedAnswerFile = AnswerFileName;
    GetCurrentDirectoryA(sizeof(savedDirectory), savedDirectory);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
    WriteWholeFile(folder / "winnt.sif", "[UserData]\r\nComputerName = ACC-PC01\r\n");
    WriteWholeFile(folder / "other.sif", "[UserData]\r\nComputerName = ACC-PC02\r\n");
    CreateDirectoryA((folder / "sub").c_str(), nullptr);
    WriteWholeFile(folder / "sub\\unattend.txt", "[Unattended]\r\n");
    CreateDirectoryA((folder / "Setup Files").c_str(), nullptr);
    WriteWholeFile(folder / "Setup Files\\winnt.sif", "[Data]\r\n");
    CreateDirectoryA((folder / "setup.sif").c_str(), nullptr);
  }
  void TearDown() override {
    SetCurrentDirectoryA(savedDirectory);
    AnswerFileName = savedAnswerFile;
  }

  // The answer file the arguments leave, starting from the default.
  std::string Parse(const std::string& arguments) {
    AnswerFileName = kDefault;
    ParseCommandLine("\"Q:\\KivEdt\\KivEdt.exe\" " + arguments, "Q:\\KivEdt\\");
    return AnswerFileName;
  }

  const std::string kDefault = "C:\\windows\\system32\\$winnt$.inf";
  ScratchFolder folder;
  std::string savedAnswerFile;
  char savedDirectory[MAX_PATH] = {};
};

TEST_F(ParseCommandLineTest, NamesAnExistingFileWithEitherPrefix) {
  EXPECT_EQ(Parse("-f:" + folder / "winnt.sif"), folder / "winnt.sif");
  EXPECT_EQ(Parse("/f:" + folder / "other.sif"), folder / "other.sif");
  EXPECT_EQ(Parse("\"-f:" + folder / "Setup Files\\winnt.sif\""), folder / "Setup Files\\winnt.sif");
  EXPECT_EQ(Parse("/f:\"" + folder / "Setup Files\"\\winnt.sif"), folder / "Setup Files\\winnt.sif");
  EXPECT_EQ(Parse("\"  -f:other.sif  \""), "Q:\\KivEdt\\other.sif");
}

TEST_F(ParseCommandLineTest, BareNameIsTakenFromTheProgramDirectoryAndOthersAsGiven) {
  EXPECT_EQ(Parse("-f:winnt.sif"), "Q:\\KivEdt\\winnt.sif");
  EXPECT_EQ(Parse("-f:sub\\unattend.txt"), "sub\\unattend.txt");
  EXPECT_EQ(Parse("-f:.\\winnt.sif"), ".\\winnt.sif");
  EXPECT_EQ(Parse("-f:" + folder.Path().substr(0, 2) + "winnt.sif"), folder.Path().substr(0, 2) + "winnt.sif");
}

TEST_F(ParseCommandLineTest, IgnoresWhatNamesNoFile) {
  EXPECT_EQ(Parse("-f:missing.sif"), kDefault);
  EXPECT_EQ(Parse("-f:" + folder / "missing.sif"), kDefault);
  EXPECT_EQ(Parse("-f:setup.sif"), kDefault);
  EXPECT_EQ(Parse("-f:" + folder.Path()), kDefault);
  EXPECT_EQ(Parse("-f:"), kDefault);
  EXPECT_EQ(Parse("-f: winnt.sif"), kDefault);
  EXPECT_EQ(Parse("-F:winnt.sif /F:" + folder / "winnt.sif"), kDefault);
  EXPECT_EQ(Parse("-? /? winnt.sif f:winnt.sif --f:winnt.sif"), kDefault);
  EXPECT_EQ(Parse("-f:" + std::string(10000, 'a')), kDefault);
}

TEST_F(ParseCommandLineTest, LaterValidArgumentWins) {
  EXPECT_EQ(Parse("-f:winnt.sif /f:other.sif"), "Q:\\KivEdt\\other.sif");
  EXPECT_EQ(Parse("/f:other.sif -f:winnt.sif"), "Q:\\KivEdt\\winnt.sif");
  EXPECT_EQ(Parse("-f:other.sif -f:missing.sif -F:winnt.sif -? -f:setup.sif"), "Q:\\KivEdt\\other.sif");
  EXPECT_EQ(Parse(std::string(10000, 'b') + " -f:winnt.sif " + std::string(10000, 'c')), "Q:\\KivEdt\\winnt.sif");
}

class RunExitProgramsTest : public testing::Test {
 protected:
  void SetUp() override {
    saved = EditorDirectives;
    std::string host = KIV_CHILD;
    for (char& c : host)
      if (c == '/') c = '\\';
    ASSERT_TRUE(CopyFileA(("Z:" + host).c_str(), child.c_str(), FALSE)) << host;
  }
  void TearDown() override { EditorDirectives = saved; }

  // A command for kivchild that logs `word` after sleeping `ms`.
  std::string Logs(const std::string& word, int ms = 0) const {
    return "\"" + child + "\" --log=" + log + " --sleep=" + std::to_string(ms) + " " + word;
  }

  ScratchFolder folder;
  const std::string child = folder / "kivchild.exe";
  const std::string log = folder / "exit.log";
  std::vector<std::string> saved;
};

TEST_F(RunExitProgramsTest, RunsRunOnExitEntriesInTextOrderEachWaitedFor) {
  // The sleeps would turn the order round if one program did not wait for
  // the one before.
  EditorDirectives = {
      "RunOnExit2=" + Logs("two"),
      "Description=" + Logs("description"),
      "RunOnExit10=" + Logs("ten", 200),
      "runonexit3=" + Logs("three"),
      "RunOnExit15=Q:\\no such program.exe",
      "RunOnExit1=" + Logs("one a=b", 400),
      "XRunOnExit0=" + Logs("prefixed"),
      "RunOnExit5",
      "Uniqueness=RunOnExit7=" + Logs("value"),
  };
  const std::vector<std::string> before = EditorDirectives;
  RunExitPrograms();
  EXPECT_EQ(ReadWholeFile(log), "one a=b\r\nten\r\ntwo\r\nthree\r\n");
  EXPECT_EQ(EditorDirectives, before);
}

TEST_F(RunExitProgramsTest, TheSelectedUDBComputersCommandsRunInTextOrder) {
  AnswerFileName = folder / "winnt.sif";
  WorkFileName = AnswerFileName + ".new";
  WriteWholeFile(AnswerFileName, "[UserData]\r\nComputerName=OLD\r\n");
  WriteWholeFile(folder / "site.UDB",
                 "[UniqueIds]\r\nPC01 = KIVEDITOR\r\n[PC01:KIVEDITOR]\r\nRunOnExit2 = " + Logs("two") +
                     "\r\nrunonexit1 = " + Logs("one", 300) + "\r\nDescription1 = " + Logs("description") +
                     "\r\nRunOnExit10 = " + Logs("ten") + "\r\n");
  ASSERT_TRUE(SelectUDBComputer(TIniFile(folder / "site.UDB"), "PC01", [](const std::vector<std::string>&) {}));
  RunExitPrograms();
  EXPECT_EQ(ReadWholeFile(log), "one\r\nten\r\ntwo\r\n");
}

// A Beep that holds its caller as Windows' does, until the test lets it go
// (or 5 s have passed, so that a tone sounded in the dialog's way cannot
// hang the test).
struct HeldTone {
  std::atomic<bool> started{false};
  std::atomic<bool> returned{false};
  DWORD frequency = 0;
  DWORD milliseconds = 0;
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ~HeldTone() {
    CloseHandle(release);
    CloseHandle(ended);
  }
};
HeldTone* g_tone = nullptr;

BOOL WINAPI HeldBeep(DWORD frequency, DWORD milliseconds) {
  g_tone->frequency = frequency;
  g_tone->milliseconds = milliseconds;
  g_tone->started = true;
  WaitForSingleObject(g_tone->release, 5000);
  g_tone->returned = true;
  SetEvent(g_tone->ended);
  return TRUE;
}

class EmptyPage : public TCommonSettingsFrame {
 public:
  explicit EmptyPage(gui::Control* owner) : TCommonSettingsFrame(owner, "EmptyPage") {}
  static std::string GetCaption() { return "Страница"; }
};

// The first look at the dialog shown with the tone started: whether the tone
// was still sounding. The look closes the dialog as Cancel would.
struct Sighting {
  bool seen = false;
  bool sounding = false;
};
Sighting g_sighting;
DWORD g_lookingSince = 0;

void CALLBACK LookAtDialog(HWND, UINT, UINT_PTR id, DWORD) {
  gui::Form* form = gui::Application::Instance().ActiveForm();
  const bool shown = form && IsWindowVisible(form->Handle());
  if (shown && g_tone->started)
    g_sighting = {true, !g_tone->returned};
  else if (GetTickCount() - g_lookingSince < 10000)
    return;
  KillTimer(nullptr, id);
  if (form) form->SetModalResult(gui::mrCancel);
}

TEST(StartUpTone, SoundsWhileTheDialogAppearsAndHoldsNothingBack) {
  ScratchFolder folder;
  WorkFileName = folder / "work.new";
  WriteWholeFile(WorkFileName, "[UserData]\r\n");
  HeldTone tone;
  g_tone = &tone;
  g_sighting = {};
  const auto systemBeep = BeepFunction;
  BeepFunction = &HeldBeep;
  g_lookingSince = GetTickCount();
  const UINT_PTR timer = SetTimer(nullptr, 0, 10, &LookAtDialog);
  ShowSettingsWithTone({ClassOf<EmptyPage>()}, nullptr);
  KillTimer(nullptr, timer);
  const bool soundingAfterTheDialog = !tone.returned;
  SetEvent(tone.release);
  EXPECT_EQ(WaitForSingleObject(tone.ended, 5000), WAIT_OBJECT_0);
  BeepFunction = systemBeep;
  g_tone = nullptr;

  ASSERT_TRUE(g_sighting.seen) << "the dialog was never seen with the tone started";
  EXPECT_TRUE(g_sighting.sounding) << "the dialog appeared only once the tone had ended";
  EXPECT_TRUE(soundingAfterTheDialog) << "the dialog's end waited for the tone";
  EXPECT_EQ(tone.frequency, 1000u);
  EXPECT_EQ(tone.milliseconds, 700u);
}

}  // namespace
