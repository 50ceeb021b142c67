// The editor killed at any moment of a Save: setup goes on with whatever lies
// in the answer file's place, so that must be the old answer file or the new
// one, byte for byte, never a mixture or a part of one. A leftover working
// copy or staging file may lie beside it, but the next run must neither take
// it for the answer file nor be stopped by it.

#include "robust/RobustSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace kivtest {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The example followed by filler sections up to 2 MB, so that copying it
// takes a few milliseconds. Every filler line differs from every line of the
// example, so no part or mixture of the two files equals either. (Larger
// texts cost the preview some 0.7 s a megabyte under Wine, which would leave
// time for fewer kills; long lines keep that low.)
std::string NewAnswerFile() {
  std::string text = ExampleAnswerFile();
  for (int n = 1; text.size() < 2 * 1024 * 1024; ++n) {
    const std::string id = std::to_string(n);
    text += "\r\n[Отдел." + id + "]\r\n";
    for (int k = 0; k < 8; ++k)
      text += "Ключ" + std::to_string(k) + " = НОВОЕ значение " + id + "." + std::to_string(k) +
              ", строка в шестьдесят знаков\r\n";
  }
  return text;
}

// What a killed run left in the answer file's folder.
struct Kill {
  double delayMs = 0;
  bool afterStaging = false;  // the delay counts from the staging file's change, not from the click
  bool endedBeforeKill = false;
  bool answerFileExists = false;
  std::string outcome;  // "old", "new", "missing" or what else lies there
  bool stagingLeft = false;
  bool workingCopyLeft = false;
  // Files beside the answer file other than its working copy and staging file.
  std::vector<std::string> strangers;

  [[nodiscard]] std::string When() const {
    return std::to_string(delayMs) + " ms after " + (afterStaging ? "the staging file changed" : "the click on Save");
  }
};

class CommitUnderKill : public EditorRun {
 protected:
  const std::string oldText = ExampleAnswerFile();
  const std::string newText = NewAnswerFile();
  const std::string workingCopy = answerFile + ".new";
  const std::string staging = answerFile + ".kivtmp";

  // The editor on the old answer file with the new text edited on the
  // preview: one click from Save.
  void StartWithEdit() {
    WriteWholeFile(answerFile, oldText);
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog(30000));
    ShowPreview(30000);
    // A working copy or staging file left by a killed run is not what the
    // editor shows: it copies the answer file afresh.
    const std::string shown = PreviewText();
    ASSERT_TRUE(shown == oldText) << "the preview shows " << shown.size() << " bytes, not the " << oldText.size()
                                  << " of the answer file";
    EditPreviewInParts(newText);
  }

  // EditPreview with a text of any size: Wine loses a message of a megabyte
  // or more sent from another process (under WoW64 already one of 512 KB),
  // so the text goes in as the operator would paste it, a part at a time.
  void EditPreviewInParts(const std::string& text) const {
    EditPreview("");
    HWND memo = Window("memPrewiwIni");
    constexpr size_t kPart = 64 * 1024;
    DWORD_PTR ignored = 0;
    for (size_t at = 0; at < text.size();) {
      size_t end = std::min(text.size(), at + kPart);
      // Parts end after a line break, so none is split.
      while (end < text.size() && text[end - 1] != '\n') ++end;
      const std::string part = text.substr(at, end - at);
      ASSERT_TRUE(SendMessageTimeoutA(memo, EM_SETSEL, at, at, SMTO_NORMAL, 10000, &ignored));
      ASSERT_TRUE(SendMessageTimeoutA(memo, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(part.c_str()), SMTO_NORMAL,
                                      10000, &ignored));
      at = end;
    }
    ASSERT_TRUE(SendMessageTimeoutA(memo, EM_SETMODIFY, TRUE, 0, SMTO_NORMAL, 10000, &ignored));
  }

  HANDLE OpenEditor(DWORD access) const {
    DWORD pid = 0;
    GetWindowThreadProcessId(Window("dlgSettings"), &pid);
    return OpenProcess(access, FALSE, pid);
  }

  // Size and time of the last write of the staging file, empty when there is none.
  std::string StagingState() const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(staging.c_str(), GetFileExInfoStandard, &data)) return {};
    return std::to_string(data.nFileSizeLow) + " " + std::to_string(data.ftLastWriteTime.dwLowDateTime) + " " +
           std::to_string(data.ftLastWriteTime.dwHighDateTime);
  }

  // A Save that runs to its end, watched without touching the answer file:
  // when the staging file changes (the commit begins) and when the editor is
  // gone, both from the click.
  void WatchSave(double& staged, double& ended) {
    staged = ended = -1;
    StartWithEdit();
    if (HasFatalFailure()) return;
    HANDLE editor = OpenEditor(SYNCHRONIZE);
    ASSERT_TRUE(editor);
    const std::string before = StagingState();
    const auto clicked = Clock::now();
    ClickButton("btnSave");
    while (MsSince(clicked) < 30000) {
      if (staged < 0 && StagingState() != before) staged = MsSince(clicked);
      if (WaitForSingleObject(editor, 0) == WAIT_OBJECT_0) {
        ended = MsSince(clicked);
        break;
      }
    }
    CloseHandle(editor);
    EXPECT_EQ(Finish(), 0);
    EXPECT_TRUE(ReadWholeFile(answerFile) == newText) << "an uninterrupted Save commits the edited preview";
    ASSERT_GT(ended, 0) << "the Save did not end";
  }

  // Clicks Save and kills the editor `delayMs` later, or, with `afterStaging`,
  // that long after the staging file changes: the moment the commit begins
  // varies by several milliseconds from run to run, more than the commit
  // itself lasts.
  Kill SaveAndKill(double delayMs, bool afterStaging) {
    Kill kill;
    kill.delayMs = delayMs;
    kill.afterStaging = afterStaging;
    StartWithEdit();
    if (HasFatalFailure()) return kill;
    HANDLE editor = OpenEditor(PROCESS_TERMINATE | SYNCHRONIZE);
    EXPECT_TRUE(editor);
    // A staging file left by an earlier kill is there from the start: this
    // run's commit begins when it changes.
    const std::string before = StagingState();
    auto from = Clock::now();
    ClickButton("btnSave");
    if (afterStaging) {
      while (StagingState() == before && WaitForSingleObject(editor, 0) == WAIT_TIMEOUT && MsSince(from) < 30000) {
      }
      from = Clock::now();
    }
    while (MsSince(from) < delayMs) Sleep(0);
    TerminateProcess(editor, 77);
    WaitForSingleObject(editor, 10000);
    CloseHandle(editor);
    kill.endedBeforeKill = Finish() == 0;

    kill.answerFileExists = FileExists(answerFile);
    const std::string now = ReadWholeFile(answerFile);
    kill.outcome = !kill.answerFileExists ? "missing"
                   : now == oldText       ? "old"
                   : now == newText       ? "new"
                                          : std::to_string(now.size()) + " bytes of neither";
    kill.stagingLeft = FileExists(staging);
    kill.workingCopyLeft = FileExists(workingCopy);
    for (const std::string& name : FolderEntries(folder.Path()))
      if (name != "KivEdt.exe" && name != "KivEdt.ini" && name != "winnt.sif" && name != "winnt.sif.new" &&
          name != "winnt.sif.kivtmp")
        kill.strangers.push_back(name);
    // What a kill left is left for the next run, as it would be on the
    // machine, except stray files, which would only pile up.
    for (const std::string& name : kill.strangers) DeleteFileA((folder / name).c_str());
    return kill;
  }

  // A few kills over the whole Save, then `count` spread over the commit:
  // from the moment the staging file changes to a little past the end.
  std::vector<Kill> KillSaves(int count) {
    std::vector<Kill> kills;
    double staged = -1, ended = -1;
    WatchSave(staged, ended);
    if (HasFatalFailure()) return kills;
    std::printf("An uninterrupted Save: staging file after %.1f ms, editor gone after %.1f ms\n", staged, ended);
    constexpr int kSweep = 4;
    for (int i = 0; i < kSweep && !HasFatalFailure(); ++i)
      kills.push_back(SaveAndKill(ended * i / (kSweep - 1), false));
    const double commit = ended - std::max(staged, 0.0) + 1;
    for (int i = 0; i < count && !HasFatalFailure(); ++i) kills.push_back(SaveAndKill(commit * i / (count - 1), true));
    return kills;
  }

  static void Report(const std::vector<Kill>& kills) {
    int old = 0, fresh = 0, missing = 0, staged = 0, working = 0, ended = 0;
    std::string strangers;
    for (const Kill& k : kills) {
      old += k.outcome == "old";
      fresh += k.outcome == "new";
      missing += k.outcome == "missing";
      staged += k.stagingLeft;
      working += k.workingCopyLeft;
      ended += k.endedBeforeKill;
      for (const std::string& name : k.strangers) strangers += " " + name;
      std::printf("  killed %s: %s%s%s%s\n", k.When().c_str(), k.outcome.c_str(),
                  k.endedBeforeKill ? ", had ended" : "", k.stagingLeft ? ", staging file left" : "",
                  k.workingCopyLeft ? ", working copy left" : "");
    }
    std::printf(
        "%zu kills: answer file old %d, new %d, missing %d; staging file left %d times, working copy %d "
        "times; %d editors had ended before the kill; other files left:%s\n",
        kills.size(), old, fresh, missing, staged, working, ended, strangers.empty() ? " none" : strangers.c_str());
  }
};

TEST_F(CommitUnderKill, AnAnswerFileLeftByAKilledSaveIsTheOldOrTheNewOneWhole) {
  const std::vector<Kill> kills = KillSaves(16);
  Report(kills);
  int before = 0, after = 0;
  for (const Kill& k : kills) {
    // Never missing, never anything but the old or the new file, and nothing
    // beside it but our own staging file and working copy.
    EXPECT_TRUE(k.outcome == "old" || k.outcome == "new")
        << "killed " << k.When() << ", the answer file holds " << k.outcome;
    EXPECT_TRUE(k.strangers.empty()) << "killed " << k.When() << ", the editor left " << k.strangers.front();
    (k.outcome == "old" ? before : after) += 1;
  }
  // Kills on both sides of the commit, or it was never cut.
  EXPECT_GT(before, 0);
  EXPECT_GT(after, 0);

  // After all those kills, with what they left beside the answer file, a
  // Save still runs through and leaves the new answer file alone.
  StartWithEdit();
  if (HasFatalFailure()) return;
  ClickButton("btnSave");
  EXPECT_EQ(Finish(), 0);
  EXPECT_TRUE(ReadWholeFile(answerFile) == newText);
  EXPECT_FALSE(FileExists(staging)) << "a staging file left by a killed run outlived the next Save";
  EXPECT_FALSE(FileExists(workingCopy));
}

}  // namespace
}  // namespace kivtest
