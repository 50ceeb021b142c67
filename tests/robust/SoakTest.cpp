// A hundred runs of the real editor in a row, ended every way a run can
// end: each must end with 0 and leave the answer file as it was, and all of
// them together must leave nothing behind: no working copy or staging file
// beside the answer file, nothing new in %TEMP%, no editor process, and no
// registry key or value beyond those the editor writes at every start.

#include "robust/RobustSupport.h"

#include <chrono>
#include <cstdio>

namespace kivtest {
namespace {

using Clock = std::chrono::steady_clock;

enum class Ending { Cancel, Save, Escape, CloseBox, Countdown };

const char* NameOf(Ending ending) {
  switch (ending) {
    case Ending::Cancel: return "Cancel";
    case Ending::Save: return "Save";
    case Ending::Escape: return "Esc";
    case Ending::CloseBox: return "close box";
    default: return "countdown";
  }
}

// The registry trees a program could leave growing: the machine's and the
// user's software settings and the machine's control set.
std::set<std::string> RegistryNow() {
  std::set<std::string> all = RegistryCensus(HKEY_LOCAL_MACHINE, "HKLM", "SOFTWARE");
  all.merge(RegistryCensus(HKEY_CURRENT_USER, "HKCU", "Software"));
  all.merge(RegistryCensus(HKEY_LOCAL_MACHINE, "HKLM", "SYSTEM\\CurrentControlSet"));
  return all;
}

// What the editor writes at every start: the Russian and Ukrainian keyboard
// layouts and the font mapper's charset.
bool WrittenAtStart(const std::string& entry) {
  static const std::set<std::string> own = {
      "HKLM\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\KEYBOARD LAYOUTS\\00000419",
      "HKLM\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\KEYBOARD LAYOUTS\\00000419|LAYOUT TEXT",
      "HKLM\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\KEYBOARD LAYOUTS\\00000419|LAYOUT FILE",
      "HKLM\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\KEYBOARD LAYOUTS\\00000422",
      "HKLM\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\KEYBOARD LAYOUTS\\00000422|LAYOUT TEXT",
      "HKLM\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\KEYBOARD LAYOUTS\\00000422|LAYOUT FILE",
      "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\FONTMAPPER",
      "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\FONTMAPPER|DEFAULT",
  };
  return own.count(entry) > 0;
}

std::string TempFolder() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string path = temp;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string Joined(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += "\n  " + name;
  return text;
}

class Soak : public EditorRun {
 protected:
  // One run: the dialog up, then ended; the exit code.
  int RunOnce(Ending ending) {
    const bool countdown = ending == Ending::Countdown;
    if (countdown) WriteWholeFile(folder / "KivEdt.ini", "[KivEditor]\r\nTimeOut=1\r\n");
    Start("-f:winnt.sif");
    const bool up = WaitForDialog();
    if (countdown) WriteWholeFile(folder / "KivEdt.ini", "[KivEditor]\r\nTimeOut=300\r\n");
    if (up) {
      switch (ending) {
        case Ending::Cancel: ClickButton("btnCancel"); break;
        case Ending::Save: ClickButton("btnSave"); break;
        case Ending::Escape: PressEscape(); break;
        case Ending::CloseBox: CloseWindow(); break;
        case Ending::Countdown: break;
      }
    }
    return Finish(countdown ? 10000 : 20000);
  }
};

TEST_F(Soak, AHundredRunsInARowLeaveNothingBehind) {
  const std::string original = ExampleAnswerFile();
  WriteWholeFile(answerFile, original);
  // A first run, so that what any first start of a program in this folder
  // makes (the editor's own registry values, Wine's notes on a new program)
  // is there before the count; and the process list must show the editor
  // while it runs, or its absence at the end would mean nothing.
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  DWORD pid = 0;
  GetWindowThreadProcessId(Window("dlgSettings"), &pid);
  EXPECT_TRUE(ProcessesNamed("KivEdt.exe").count(pid)) << "the running editor is not among the processes";
  ClickButton("btnCancel");
  ASSERT_EQ(Finish(), 0);

  const std::set<DWORD> editorsBefore = ProcessesNamed("KivEdt.exe");
  const std::set<std::string> tempBefore = FolderEntries(TempFolder());
  // The one file a run may leave: its block in the journal, which by default
  // is in the Windows folder.
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::set<std::string> windowsBefore = FolderEntries(windows);
  const std::string journal = std::string(windows) + "\\KivEdt.log";
  auto blocks = [](const std::string& text) {
    size_t count = 0;
    for (size_t at = 0; (at = text.find("==== KivEdt", at)) != std::string::npos; ++at) ++count;
    return count;
  };
  const std::string journalBefore = FileExists(journal) ? ReadWholeFile(journal) : "";
  const std::set<std::string> registryBefore = RegistryNow();
  ASSERT_GT(registryBefore.size(), 1000u) << "the registry census saw next to nothing";

  const auto start = Clock::now();
  for (int run = 0; run < 100; ++run) {
    // Every tenth run ends by the countdown, the others by the four
    // operator endings in turn.
    const Ending ending = run % 10 == 9 ? Ending::Countdown : static_cast<Ending>(run % 4);
    SCOPED_TRACE(std::string("run ") + std::to_string(run + 1) + ", ended by " + NameOf(ending));
    ASSERT_EQ(RunOnce(ending), 0);
    // Nothing was edited: whatever ends the run, the answer file stays.
    ASSERT_TRUE(ReadWholeFile(answerFile) == original);
    ASSERT_FALSE(FileExists(answerFile + ".new"));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("100 runs in %.1f s\n", seconds);

  std::set<DWORD> editorsLeft;
  for (DWORD id : ProcessesNamed("KivEdt.exe"))
    if (!editorsBefore.count(id)) editorsLeft.insert(id);
  EXPECT_TRUE(editorsLeft.empty()) << editorsLeft.size() << " KivEdt.exe processes are still running";

  EXPECT_EQ(FolderEntries(folder.Path()), (std::set<std::string>{"KivEdt.exe", "KivEdt.ini", "winnt.sif"}));

  std::set<std::string> windowsNew;
  for (const std::string& name : FolderEntries(windows))
    if (!windowsBefore.count(name) && name != "KivEdt.log") windowsNew.insert(name);
  EXPECT_TRUE(windowsNew.empty()) << "new in the Windows folder:" << Joined(windowsNew);
  const std::string journalAfter = ReadWholeFile(journal);
  // Unless it passed its bound and lost its older half, the journal grew by
  // one block a run.
  if (journalAfter.size() >= journalBefore.size()) {
    EXPECT_EQ(blocks(journalAfter) - blocks(journalBefore), 100u);
  }

  std::set<std::string> tempNew;
  for (const std::string& name : FolderEntries(TempFolder()))
    if (!tempBefore.count(name)) tempNew.insert(name);
  EXPECT_TRUE(tempNew.empty()) << "new in %TEMP%:" << Joined(tempNew);

  const std::set<std::string> registryAfter = RegistryNow();
  std::set<std::string> added, removed;
  for (const std::string& entry : registryAfter)
    if (!registryBefore.count(entry) && !WrittenAtStart(entry)) added.insert(entry);
  for (const std::string& entry : registryBefore)
    if (!registryAfter.count(entry)) removed.insert(entry);
  EXPECT_TRUE(added.empty()) << "registry keys and values that came with the runs:" << Joined(added);
  EXPECT_TRUE(removed.empty()) << "registry keys and values that went with the runs:" << Joined(removed);
  for (const char* own : {"HKLM\\SYSTEM\\CURRENTCONTROLSET\\CONTROL\\KEYBOARD LAYOUTS\\00000419|LAYOUT TEXT",
                          "HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS NT\\CURRENTVERSION\\FONTMAPPER|DEFAULT"})
    EXPECT_TRUE(registryAfter.count(own)) << "the census does not see what the editor writes: " << own;
}

}  // namespace
}  // namespace kivtest
