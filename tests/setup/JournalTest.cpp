// The run journal's parts: the values that changed between two answer
// files, the block's text, where the journal is, and its bounded append.

#include "setup/Journal.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kivtest;

namespace {

std::string Described(const JournalChange& c) {
  return "[" + c.section + "] " + c.key + ": " + (c.hadBefore ? c.before : "-") + " > " + (c.hasAfter ? c.after : "-");
}

TEST(JournalChanges, EveryValueThatAReadWouldGiveDifferentlyAndNoOther) {
  ScratchFolder folder;
  const std::string before = folder / "before.inf", after = folder / "after.inf";
  WriteWholeFile(before,
                 "[UserData]\r\nComputerName = PC01\r\nFullName = \"Бухгалтерия\"\r\nOrgName=ООО\r\n"
                 "[Identification]\r\nJoinWorkgroup=WORK\r\nJoinWorkgroup=IGNORED\r\n"
                 "[Gone]\r\nKey=1\r\n[Same]\r\nA=1\r\n");
  WriteWholeFile(after,
                 "[USERDATA]\r\ncomputername=PC02\r\nFullName=Бухгалтерия\r\n"
                 "[Identification]\r\nJoinWorkgroup=WORK\r\nJoinWorkgroup=OTHER\r\nJoinDomain=CORP\r\n"
                 "[Same]\r\nA=1\r\n[New]\r\nB=2\r\n");
  std::vector<std::string> described;
  for (const JournalChange& c : AnswerFileChanges(before, after)) described.push_back(Described(c));
  EXPECT_EQ(described, (std::vector<std::string>{
                           "[USERDATA] computername: PC01 > PC02",
                           "[USERDATA] OrgName: ООО > -",
                           "[Identification] JoinDomain: - > CORP",
                           "[New] B: - > 2",
                           "[Gone] Key: 1 > -",
                       }))
      << "quotes and blanks a read drops are no change, nor is a duplicate a read never gives";
  EXPECT_TRUE(AnswerFileChanges(before, before).empty());
}

TEST(JournalBlockText, SaysHowTheRunEndedWhatChangedAndHidesPasswords) {
  JournalRun run;
  run.started = {2026, 12, 4, 10, 9, 5, 7, 0};
  run.ended = {2026, 12, 4, 10, 9, 6, 30, 0};
  run.version = "1.0.0";
  run.build = "x86";
  run.answerFile = "C:\\WINDOWS\\system32\\$winnt$.inf";
  run.ending = "countdown";
  run.udbFile = "ACCOUNTING.UDB";
  run.udbMode = "list";
  run.udbComputer = "ACC-PC01";
  run.changes = {{"UserData", "ComputerName", "PC01", "ACC-PC01"},
                 {"GuiUnattended", "AdminPassword", "secret", "other"},
                 {"Identification", "DomainAdminPassword", "", "x", false, true},
                 {"Data", "Extra", "1", "", true, false}};
  run.programs = {{"cmd.exe /c exit 3", 3}};
  run.errors = {"Cannot open file \"x\""};
  const std::string block = JournalBlock(run);
  for (const char* line :
       {"==== KivEdt 1.0.0 (x86) ====\r\n", "Начало:         2026-12-10 09:05:07\r\n", "Завершение:     countdown\r\n",
        "UDB:            ACCOUNTING.UDB, режим list, компьютер ACC-PC01\r\n",
        "  [UserData] ComputerName: \"PC01\" -> \"ACC-PC01\"\r\n", "  [GuiUnattended] AdminPassword: *** -> ***\r\n",
        "  [Identification] DomainAdminPassword: (нет) -> ***\r\n", "  [Data] Extra: \"1\" -> (нет)\r\n",
        "Программа:      cmd.exe /c exit 3 (код завершения 3)\r\n", "Сообщение:      Cannot open file \"x\"\r\n"})
    EXPECT_NE(block.find(line), std::string::npos) << line;
  EXPECT_EQ(block.find("secret"), std::string::npos);
  EXPECT_EQ(block.find("other"), std::string::npos);
  EXPECT_EQ(block.substr(block.size() - 4), "\r\n\r\n") << "a blank line between blocks";
}

TEST(JournalPlace, SystemFolderByDefaultTheConfiguredFileOrNone) {
  ScratchFolder folder;
  const std::string config = folder / "KivEdt.ini";
  char windows[MAX_PATH] = {};
  GetEnvironmentVariableA("SystemRoot", windows, MAX_PATH);
  WriteWholeFile(config, "[KivEditor]\r\nTimeOut=30\r\n");
  EXPECT_EQ(JournalFileName(config), std::string(windows) + "\\KivEdt.log");
  EXPECT_EQ(JournalFileName(folder / "missing.ini"), std::string(windows) + "\\KivEdt.log");
  WriteWholeFile(config, "[KivEditor]\r\nLogFile = %SystemRoot%\\Logs\\kiv.log\r\n");
  EXPECT_EQ(JournalFileName(config), std::string(windows) + "\\Logs\\kiv.log");
  WriteWholeFile(config, "[KivEditor]\r\nLogFile=\r\n");
  EXPECT_EQ(JournalFileName(config), "") << "an empty name turns the journal off";
}

TEST(JournalAppend, BlocksAddUpAndAnOvergrownJournalKeepsItsNewerWholeBlocks) {
  ScratchFolder folder;
  const std::string journal = folder / "KivEdt.log";
  auto block = [](int n) {
    std::string text = "==== KivEdt run ";
    text.append(std::to_string(n)).append(" ====\r\n").append(90, 'x').append("\r\n\r\n");
    return text;
  };
  ASSERT_TRUE(AppendToJournal(journal, block(1), 1000));
  ASSERT_TRUE(AppendToJournal(journal, block(2), 1000));
  EXPECT_EQ(ReadWholeFile(journal), block(1) + block(2));
  for (int n = 3; n <= 30; ++n) ASSERT_TRUE(AppendToJournal(journal, block(n), 1000));
  const std::string text = ReadWholeFile(journal);
  EXPECT_LE(text.size(), 1000u);
  EXPECT_EQ(text.find("run 1 ===="), std::string::npos) << "older blocks went";
  EXPECT_EQ(text.compare(0, 11, "==== KivEdt"), 0) << "the journal begins with a whole block";
  EXPECT_EQ(text.substr(text.size() - block(30).size()), block(30));
  EXPECT_FALSE(AppendToJournal(folder / "no such folder\\KivEdt.log", block(1)));
  EXPECT_FALSE(AppendToJournal("", block(1)));
}

}  // namespace
