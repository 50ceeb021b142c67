// The real editor over a UDB folder: the default computer's values reach the
// answer file and its exit commands run when the countdown ends the run;
// Cancel commits and runs nothing.

#include "e2e/EditorRun.h"
#include "support/SetupReads.h"
#include "sys/WineObjects.h"

#include "profile/Profile.h"

namespace kivtest {
namespace {

class UDBRunTest : public EditorRun {
 protected:
  void SetUp() override {
    // Setup records the source folder as a device path; a partition link of
    // the scratch folder's drive lets the editor turn it back into a drive.
    ASSERT_TRUE(links.Ok()) << links.Error();
    const std::string link = links.Add("Partition1", DosDevice(folder.Path().substr(0, 2)));
    ASSERT_FALSE(link.empty()) << links.Error();
    CreateDirectoryA((folder / "I386").c_str(), nullptr);
    CreateDirectoryA((folder / "UDB").c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(HostPath(KIV_CHILD).c_str(), (folder / "kivchild.exe").c_str(), FALSE));

    WriteWholeFile(folder / "KivEdt.ini", "[KivEditor]\r\nTimeOut=2\r\n[UDB]\r\nPath=" + folder / "UDB" +
                                              "\r\nDefaultUDBFile=Site.UDB\r\nDefaultUDBIdent=ACC-PC02\r\n");
    const std::string run = folder / "kivchild.exe" + " --log=" + log;
    WriteWholeFile(folder / "UDB" + "\\Site.UDB",
                   "[UniqueIds]\r\nACC-PC01 = UserData\r\nACC-PC02 = UserData,Identification,KIVEDITOR\r\n"
                   "[ACC-PC01:UserData]\r\nComputerName = ACC-PC01\r\n"
                   "[ACC-PC02:UserData]\r\nComputerName = ACC-PC02\r\nProductKey = \"YYYYY-YYYYY\"\r\n"
                   "[ACC-PC02:Identification]\r\nJoinDomain = CORP\r\n"
                   "[ACC-PC02:KIVEDITOR]\r\nDescription1 = Касса\r\nRunOnExit2 = " +
                       run + " second\r\nRunOnExit1 = " + run + " --sleep=500 first\r\n");
    answer = "[Data]\r\nsourcepath = \"" + link + (folder / "I386").substr(2) +
             "\"\r\n\r\n[UserData]\r\nComputerName = ACC-PC01\r\nProductID = \"XXXXX-XXXXX\"\r\n";
    WriteWholeFile(answerFile, answer);
  }
  // The same configuration with another countdown; 0: none, for runs the
  // test ends.
  void CountdownOf(int seconds) {
    const std::string config = ReadWholeFile(folder / "KivEdt.ini");
    WriteWholeFile(folder / "KivEdt.ini",
                   "[KivEditor]\r\nTimeOut=" + std::to_string(seconds) + config.substr(config.find("\r\n[UDB]")));
  }
  std::string Value(const std::string& section, const std::string& key) {
    return profile::ReadString(answerFile, section, key, "<absent>", 260);
  }

  PartitionLinks links;
  const std::string log = folder / "exit.log";
  std::string answer;
};

TEST_F(UDBRunTest, TheCountdownCommitsTheDefaultComputerAndRunsItsExitCommandsInOrder) {
  Start("-f:" + answerFile);
  ASSERT_TRUE(WaitForDialog());
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(Value("UserData", "ComputerName"), "ACC-PC02") << ReadWholeFile(answerFile);
  EXPECT_EQ(Value("UserData", "ProductKey"), "YYYYY-YYYYY");
  EXPECT_EQ(Value("UserData", "ProductID"), "<absent>");
  EXPECT_EQ(Value("Identification", "JoinDomain"), "CORP");
  EXPECT_EQ(ReadWholeFile(log), "first\r\nsecond\r\n");
  EXPECT_FALSE(FileExists(answerFile + ".new"));
}

// Setup reads the UDB with the parser it reads the answer file with: a value
// in quotes there arrives whole, into an answer file that lacked the key.
TEST_F(UDBRunTest, AMergedValueMeansForSetupWhatItMeantInTheUDB) {
  WriteWholeFile(
      folder / "UDB" + "\\Site.UDB",
      "[UniqueIds]\r\nACC-PC02 = UserData,Identification,KIVEDITOR\r\n[ACC-PC02:KIVEDITOR]\r\nDescription1 = Касса\r\n"
      "[ACC-PC02:UserData]\r\nFullName=\"Бухгалтерия, касса 2\"\r\n"
      "[ACC-PC02:Identification]\r\nJoinDomain = CORP\r\nMachineObjectOU=\"OU=Cash,DC=corp,DC=local\"\r\n");
  Start("-f:" + answerFile);
  ASSERT_TRUE(WaitForDialog());
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(SetupText(answerFile, "UserData", "FullName"), std::optional<std::string>("Бухгалтерия, касса 2"))
      << ReadWholeFile(answerFile);
  EXPECT_EQ(SetupText(answerFile, "Identification", "MachineObjectOU"),
            std::optional<std::string>("OU=Cash,DC=corp,DC=local"));
}

TEST_F(UDBRunTest, CancelLeavesTheAnswerFileAndRunsNothing) {
  Start("-f:" + answerFile);
  ASSERT_TRUE(WaitForDialog());
  ClickButton("btnCancel");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), answer);
  EXPECT_FALSE(FileExists(log));
  EXPECT_FALSE(FileExists(answerFile + ".new"));
}

TEST_F(UDBRunTest, AnsweringAnErrorBoxStopsTheCountdown) {
  // A value that cannot be written makes the default computer's merge fail
  // as the dialog opens; the operator reads the box and presses Enter.
  WriteWholeFile(folder / "UDB" + "\\Site.UDB",
                 "[UniqueIds]\r\nACC-PC02 = UserData,KIVEDITOR\r\n"
                 "[ACC-PC02:UserData]\r\n[Bad = 1\r\n[ACC-PC02:KIVEDITOR]\r\nDescription1 = Касса\r\n");
  CountdownOf(3);
  Start("-f:" + answerFile);
  HWND box = WaitForMessageBox(20000);
  ASSERT_TRUE(box) << "no box about the failed merge";
  EXPECT_NE(MessageBoxText(box).find("Unable to write to"), std::string::npos) << MessageBoxText(box);
  HWND button = GetDlgItem(box, IDOK);
  PressKeyIn(button ? button : box, VK_RETURN);
  for (int i = 0; i < 250 && IsWindow(box); ++i) Sleep(20);
  ASSERT_FALSE(IsWindow(box)) << "Enter did not close the box";
  // Well past the three seconds: the dialog waits for the operator.
  Sleep(4500);
  ASSERT_TRUE(IsWindowVisible(Window("dlgSettings"))) << "the countdown ended the dialog after the box was answered";
  ClickButton("btnCancel");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), answer);
}

TEST_F(UDBRunTest, AnEmptyDescriptionValueIsAnEmptyLineOfTheDescription) {
  CountdownOf(0);
  WriteWholeFile(folder / "UDB" + "\\Site.UDB",
                 "[UniqueIds]\r\nACC-PC02 = KIVEDITOR\r\n"
                 "[ACC-PC02:KIVEDITOR]\r\nDescription1=\r\nDescription2=Кабинет 5\r\nDescription3=\r\n");
  Start("-f:" + answerFile);
  ASSERT_TRUE(WaitForDialog());
  EXPECT_EQ(Text("memDescription"), "\r\nКабинет 5\r\n");
  ClickButton("btnCancel");
  EXPECT_EQ(Finish(), 0);
}

TEST_F(UDBRunTest, UniqueModeMergesTheRecordedComputerOnceAndKeepsWhatIsTypedAfter) {
  // Setup left a uniqueness file in the source folder and recorded PC03.
  WriteWholeFile(folder / "I386" + "\\$UNIQUE$.UDB",
                 "[UniqueIds]\r\nPC03 = UserData\r\n[PC03:UserData]\r\nComputerName = PC-03\r\n");
  CountdownOf(0);
  answer.replace(answer.find("\r\n\r\n"), 2, "\r\nuniqueness = PC03*\r\n");
  WriteWholeFile(answerFile, answer);
  Start("-f:" + answerFile);
  ASSERT_TRUE(WaitForDialog());
  ClickTab("PC", 1);
  ASSERT_TRUE(IsWindowVisible(Window("edComputerName"))) << "the user data page follows the UDB page";
  EXPECT_EQ(Text("edComputerName"), "PC-03");
  SetText("edComputerName", "MYPC");
  ClickTab("PC", 0);
  ClickTab("PC", 1);
  EXPECT_EQ(Text("edComputerName"), "MYPC") << "a second departure merged the computer again";
  ClickButton("btnSave");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(Value("UserData", "ComputerName"), "MYPC") << ReadWholeFile(answerFile);
  EXPECT_EQ(Value("Data", "uniqueness"), "<absent>");
  EXPECT_TRUE(FileExists(folder / "I386" + "\\$UNIQUE$.UDB.KIV"));
}

}  // namespace
}  // namespace kivtest
