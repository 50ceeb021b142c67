// The journal of the real editor's runs: one block per run saying how it
// ended and exactly the values that changed, a journal that cannot be
// written changing nothing else, and an empty LogFile writing none.

#include "e2e/EditorRun.h"

using namespace kivtest;

namespace {

class JournalRun : public EditorRun {
 protected:
  void Configure(const std::string& extra) {
    WriteWholeFile(folder / "KivEdt.ini", "[KivEditor]\r\n" + extra + "\r\n");
  }
  // The lines of the journal's blocks that are not times.
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(at, end - at);
      at = end + 2;
      if (line.rfind("Начало:", 0) != 0 && line.rfind("Конец:", 0) != 0) lines.push_back(line);
    }
    return lines;
  }
  const std::string journal = folder / "journal.log";
};

TEST_F(JournalRun, ASaveACancelAndACountdownEachLeaveOneBlockWithWhatChanged) {
  std::string original = ExampleAnswerFile();
  WriteWholeFile(answerFile, original);
  Configure("TimeOut=300\r\nLogFile=" + journal);
  std::string edited = EditedAnswerFile(original);
  edited.replace(edited.find("DomainAdminPassword = \"secret\""), 30, "DomainAdminPassword = \"guess1\"");
  ASSERT_NO_FATAL_FAILURE(SaveThroughPreview(edited));
  ASSERT_EQ(Finish(), 0);

  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  ClickButton("btnCancel");
  ASSERT_EQ(Finish(), 0);

  Configure("TimeOut=1\r\nLogFile=" + journal);
  Start("-f:winnt.sif");
  ASSERT_EQ(Finish(), 0);

  const std::string header = std::string("==== KivEdt 1.0.0 (") + (sizeof(void*) == 8 ? "x64" : "x86") + ") ====";
  const std::string file = "Файл ответов:   " + answerFile;
  EXPECT_EQ(Lines(ReadWholeFile(journal)), (std::vector<std::string>{
                                               header,
                                               file,
                                               "Завершение:     Save",
                                               "Изменения:",
                                               "  [UserData] FullName: \"Бухгалтерия\" -> \"Касса №2\"",
                                               "  [UserData] ComputerName: \"ACC-PC01\" -> \"ACC-PC77\"",
                                               "  [Identification] DomainAdminPassword: *** -> ***",
                                               "Итоговый вид:   изменён вручную",
                                               "",
                                               header,
                                               file,
                                               "Завершение:     Cancel",
                                               "Изменения:      нет",
                                               "Итоговый вид:   не изменялся вручную",
                                               "",
                                               header,
                                               file,
                                               "Завершение:     countdown",
                                               "Изменения:      нет",
                                               "Итоговый вид:   не изменялся вручную",
                                               "",
                                           }));
  EXPECT_EQ(ReadWholeFile(journal).find("guess1"), std::string::npos);
}

TEST_F(JournalRun, AJournalThatCannotBeWrittenOrIsTurnedOffChangesNothingElse) {
  const std::string edited = EditedAnswerFile(ExampleAnswerFile());
  for (const std::string& setting : {"LogFile=" + (folder / "no such folder\\journal.log"), std::string("LogFile=")}) {
    SCOPED_TRACE(setting);
    WriteWholeFile(answerFile, ExampleAnswerFile());
    Configure("TimeOut=300\r\n" + setting);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string systemJournal = std::string(windows) + "\\KivEdt.log";
    const std::string before = FileExists(systemJournal) ? ReadWholeFile(systemJournal) : "";
    ASSERT_NO_FATAL_FAILURE(SaveThroughPreview(edited));
    // No box waits for anyone: the run ends by itself, with its exit code.
    EXPECT_EQ(Finish(), 0);
    EXPECT_EQ(ReadWholeFile(answerFile), edited);
    EXPECT_FALSE(FileExists(folder / "no such folder\\journal.log"));
    EXPECT_EQ(FileExists(systemJournal) ? ReadWholeFile(systemJournal) : "", before)
        << "no journal goes to the default place instead";
  }
}

}  // namespace
