// The UDB file as the editor reads it: section lists, the editor section,
// the merges into the working copy, retirement, and files that are empty,
// binary, huge or locked.

#include "profile/Profile.h"
#include "setup/AnswerFile.h"
#include "support/TestFiles.h"
#include "setup/UDBMerge.h"

#include <gtest/gtest.h>

using namespace kivtest;

namespace {

class UDBMergeTest : public testing::Test {
 protected:
  void SetUp() override {
    AnswerFileName = folder / "winnt.sif";
    WorkFileName = AnswerFileName + ".new";
    Answer("[Data]\r\nuniqueness=PC01*\r\n\r\n[UserData]\r\nComputerName=OLD\r\nProductID=11111-22222\r\n");
    EditorDirectives.clear();
  }
  void TearDown() override { EditorDirectives.clear(); }
  // The answer file and, as at start, its working copy.
  void Answer(const std::string& text) {
    WriteWholeFile(AnswerFileName, text);
    WriteWholeFile(WorkFileName, text);
  }
  TIniFile Udb(const std::string& text) {
    WriteWholeFile(udbFile, text);
    return TIniFile(udbFile);
  }
  std::string Work(const std::string& section, const std::string& key) {
    return profile::ReadString(WorkFileName, section, key, "<absent>", 4096);
  }
  // The selection step, with the description it shows.
  std::vector<std::string> Select(const TIniFile& udb, const std::string& id, bool* rebuilt = nullptr) {
    std::vector<std::string> shown{"<not shown>"};
    const bool did = SelectUDBComputer(udb, id, [&](const std::vector<std::string>& lines) { shown = lines; });
    if (rebuilt) *rebuilt = did;
    return shown;
  }
  ScratchFolder folder;
  const std::string udbFile = folder / "site.UDB";
};

TEST_F(UDBMergeTest, TheSectionListEndsAtTheFirstEmptyItemAndSkipsTheMarker) {
  struct Case {
    const char* list;
    std::vector<std::string> sections;
    bool editorSection;
  } cases[] = {
      {"UserData, Network ,KIVEDITOR", {"UserData", "Network"}, true},
      {" UserData\t,\tNetwork", {"UserData", "Network"}, false},
      {"UserData,,Network", {"UserData"}, false},
      {"UserData, ,Network,KIVEDITOR", {"UserData"}, true},
      {",UserData,Network", {}, false},
      {"", {}, false},
      {"kiveditor,UserData", {"UserData"}, true},
      {"UserData,KIVEDITOR2", {"UserData", "KIVEDITOR2"}, true},
  };
  for (const Case& c : cases) {
    std::vector<std::string> walked;
    ForEachListedSection(c.list, [&](const std::string& section) { walked.push_back(section); });
    EXPECT_EQ(walked, c.sections) << c.list;
    EXPECT_EQ(HasEditorSection(c.list), c.editorSection) << c.list;
  }
}

TEST_F(UDBMergeTest, SelectionMergesTheListedSectionsOnlyForAComputerWithAnEditorSection) {
  const TIniFile udb =
      Udb("[UniqueIds]\r\nPC01 = UserData, Network ,kiveditor\r\nPC02 = UserData,,Network\r\n"
          "PC03 = ,UserData\r\nPC04 = UserData,KIVEDITOR2\r\nPC05 = UserData,Network\r\n"
          "[PC01:UserData]\r\nComputerName = PC01\r\n[PC01:Network]\r\nJoinDomain = CORP\r\n"
          "[PC01:kiveditor]\r\nDescription1 = First floor\r\n"
          "[PC02:UserData]\r\nComputerName = PC02\r\n[PC02:Network]\r\nJoinDomain = CORP\r\n"
          "[PC03:UserData]\r\nComputerName = PC03\r\n"
          "[PC04:UserData]\r\nComputerName = PC04\r\n[PC04:KIVEDITOR2]\r\nMarker = merged\r\n"
          "[PC05:UserData]\r\nComputerName = PC05\r\n");

  EXPECT_EQ(Select(udb, "PC01"), std::vector<std::string>{"First floor"});
  EXPECT_EQ(Work("UserData", "ComputerName"), "PC01");
  EXPECT_EQ(Work("Network", "JoinDomain"), "CORP");
  EXPECT_EQ(Work("kiveditor", "Description1"), "<absent>") << "the marker is no section to merge";

  Answer("[UserData]\r\nComputerName=OLD\r\n");
  bool rebuilt = true;
  Select(udb, "PC05", &rebuilt);
  EXPECT_FALSE(rebuilt);
  EXPECT_EQ(Work("UserData", "ComputerName"), "OLD") << "no editor section: nothing is merged at selection";

  Select(udb, "PC04");
  EXPECT_EQ(Work("UserData", "ComputerName"), "PC04");
  EXPECT_EQ(Work("KIVEDITOR2", "Marker"), "merged") << "an item that only contains the marker is a section";

  MergeUDBComputer(udb, WorkFileName, "PC02");
  EXPECT_EQ(Work("UserData", "ComputerName"), "PC02");
  EXPECT_EQ(Work("Network", "JoinDomain"), "<absent>") << "the empty item ended the list";
  MergeUDBComputer(udb, WorkFileName, "PC03");
  EXPECT_EQ(Work("UserData", "ComputerName"), "PC02") << "a leading comma merges nothing";
}

TEST_F(UDBMergeTest, TheProductKeyRuleHoldsAtSelectionButNotAtSave) {
  const std::string text =
      "[UniqueIds]\r\nPC01 = userdata,KIVEDITOR\r\nPC02 = UserData\r\n"
      "[PC01:userdata]\r\nproductkey = AAAAA-BBBBB\r\n[PC02:UserData]\r\nProductKey = CCCCC-DDDDD\r\n";
  const TIniFile udb = Udb(text);
  Select(udb, "PC01");
  EXPECT_EQ(Work("UserData", "ProductKey"), "AAAAA-BBBBB");
  EXPECT_EQ(Work("UserData", "ProductID"), "<absent>");

  Answer("[UserData]\r\nProductID=11111-22222\r\n");
  ApplyUDBComputer(udbFile, "PC02");
  EXPECT_EQ(Work("UserData", "ProductKey"), "CCCCC-DDDDD");
  EXPECT_EQ(Work("UserData", "ProductID"), "11111-22222") << "the save-time merge keeps both";
}

TEST_F(UDBMergeTest, TheEditorSectionGivesDescriptionLinesAndDirectivesInTextOrder) {
  std::string text = "[UniqueIds]\r\nPC01 = KIVEDITOR\r\n[PC01:KIVEDITOR]\r\n";
  for (int n = 1; n <= 12; ++n) text += "Description" + std::to_string(n) + " = line " + std::to_string(n) + "\r\n";
  text += "description = lower case\r\nRunOnExit2 = second.exe\r\nrunonexit1 = first.exe\r\nOther = kept\r\n";
  const TIniFile udb = Udb(text);
  EditorDirectives = {"RunOnExit1=from an earlier pick"};
  const std::vector<std::string> expected{"line 1", "line 10", "line 11", "line 12", "line 2", "line 3",
                                          "line 4", "line 5",  "line 6",  "line 7",  "line 8", "line 9"};
  EXPECT_EQ(Select(udb, "PC01"), expected);
  EXPECT_EQ(EditorDirectives, (std::vector<std::string>{"description=lower case", "Other=kept", "runonexit1=first.exe",
                                                        "RunOnExit2=second.exe"}));
}

TEST_F(UDBMergeTest, ValuesArriveAsTheUDBHoldsThemEmptyOnesIncluded) {
  const TIniFile udb =
      Udb("[UniqueIds]\r\nPC01 = UserData,Proxy\r\n[PC01:UserData]\r\nFullName = \"Бухгалтерия\"\r\nOrgName =\r\n"
          "[PC01:Proxy]\r\nProxy_Override = \"*.corp.example;<local>\"\r\n");
  Answer("[UserData]\r\nOrgName=ООО Пример\r\nComputerName=OLD\r\n");
  MergeUDBComputer(udb, WorkFileName, "PC01");
  EXPECT_EQ(Work("UserData", "FullName"), "Бухгалтерия");
  EXPECT_EQ(Work("UserData", "OrgName"), "") << "present and empty, not the default";
  EXPECT_EQ(Work("UserData", "ComputerName"), "OLD") << "keys the UDB does not name stay";
  EXPECT_EQ(Work("Proxy", "Proxy_Override"), "*.corp.example;<local>");
}

TEST_F(UDBMergeTest, ASecondSelectionStartsAgainFromTheAnswerFileOnlyWithAnEditorSection) {
  const TIniFile udb =
      Udb("[UniqueIds]\r\nA = UserData,Identification,KIVEDITOR\r\nB = UserData,KIVEDITOR\r\nC = UserData\r\n"
          "[A:UserData]\r\nComputerName = A\r\nFullName = From A\r\n[A:Identification]\r\nJoinDomain = CORP\r\n"
          "[B:UserData]\r\nComputerName = B\r\n[C:UserData]\r\nComputerName = C\r\n");
  Answer("[UserData]\r\nComputerName=OLD\r\nFullName=Setup\r\n");
  Select(udb, "A");
  WriteProfileValue("UserData", "OrgName", "typed on another page");
  Select(udb, "B");
  EXPECT_EQ(Work("UserData", "ComputerName"), "B");
  EXPECT_EQ(Work("UserData", "FullName"), "Setup");
  EXPECT_EQ(Work("Identification", "JoinDomain"), "<absent>");
  EXPECT_EQ(Work("UserData", "OrgName"), "<absent>");

  Select(udb, "A");
  Select(udb, "C");
  EXPECT_EQ(Work("UserData", "ComputerName"), "A") << "C is merged only at save";
  ApplyUDBComputer(udbFile, "C");
  EXPECT_EQ(Work("UserData", "ComputerName"), "C");
  EXPECT_EQ(Work("Identification", "JoinDomain"), "CORP") << "A's other values stay";
  EXPECT_EQ(ReadWholeFile(AnswerFileName), "[UserData]\r\nComputerName=OLD\r\nFullName=Setup\r\n");
}

TEST_F(UDBMergeTest, RetirementRenamesTheFileOrLeavesItWhenTheNameIsTaken) {
  const std::string unique = folder / "$UNIQUE$.UDB";
  const std::string text = "[UniqueIds]\r\nPC01 = UserData\r\n[PC01:UserData]\r\nComputerName = PC01\r\n";
  WriteWholeFile(unique, text);

  RetireUniqueUDB(false, true, unique, "PC01");
  EXPECT_TRUE(FileExists(unique));
  EXPECT_EQ(Work("Data", "uniqueness"), "PC01*") << "no computer selected: nothing happens";

  WriteWholeFile(unique + ".KIV", "retired by an earlier run");
  RetireUniqueUDB(true, true, unique, "PC01");
  EXPECT_EQ(ReadWholeFile(unique), text);
  EXPECT_EQ(ReadWholeFile(unique + ".KIV"), "retired by an earlier run");
  EXPECT_EQ(Work("Data", "uniqueness"), "<absent>");
  EXPECT_EQ(Work("UserData", "ComputerName"), "PC01");

  // A computer merged before keeps what was typed over its values since.
  ASSERT_TRUE(profile::WriteString(WorkFileName, "UserData", "ComputerName", "TYPED"));
  DeleteFileA((unique + ".KIV").c_str());
  RetireUniqueUDB(true, false, unique, "PC01");
  EXPECT_FALSE(FileExists(unique));
  EXPECT_EQ(ReadWholeFile(unique + ".KIV"), text);
  EXPECT_EQ(Work("UserData", "ComputerName"), "TYPED");
}

TEST_F(UDBMergeTest, AWriteThatFailsNamesTheWorkingCopyAndLeavesTheAnswerFile) {
  const TIniFile udb =
      Udb("[UniqueIds]\r\nPC01 = UserData,KIVEDITOR\r\n[PC01:UserData]\r\nComputerName = PC01\r\n"
          "[PC01:KIVEDITOR]\r\nDescription1 = shown all the same\r\n");
  const std::string before = ReadWholeFile(AnswerFileName);
  // As root the read-only attribute does not stop a write; another program
  // holding the file does.
  HANDLE held = CreateFileA(WorkFileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::vector<std::string> shown;
  try {
    SelectUDBComputer(udb, "PC01", [&](const std::vector<std::string>& lines) { shown = lines; });
    ADD_FAILURE() << "the failed write went unnoticed";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + WorkFileName);
  }
  CloseHandle(held);
  EXPECT_EQ(shown, std::vector<std::string>{"shown all the same"});
  EXPECT_EQ(ReadWholeFile(AnswerFileName), before);
  EXPECT_EQ(Work("UserData", "ComputerName"), "OLD");
}

TEST_F(UDBMergeTest, EmptyBinaryAndHugeFilesAreReadWithoutHarm) {
  const std::string before = ReadWholeFile(WorkFileName);
  std::string binary(4096, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 7919) % 256);
  for (const std::string& text : {std::string(), binary, binary + "\r\n[UniqueIds]\r\nPC01 = UserData\r\n"}) {
    const TIniFile udb = Udb(text);
    MergeUDBComputer(udb, WorkFileName, "PC01");
    Select(udb, "PC01");
    ApplyUDBComputer(udbFile, "PC01");
    EXPECT_EQ(ReadWholeFile(WorkFileName), before);
  }

  // 5 MB of comments ahead of a computer with a list of 10,000 characters,
  // 1,000 keys and editor values of 2,047 characters and more.
  std::string huge;
  const std::string comment = "; " + std::string(97, 'x') + "\r\n";
  while (huge.size() < 5 * 1024 * 1024) huge += comment;
  std::string list = "UserData,KIVEDITOR";
  for (int n = 0; list.size() < 10000; ++n) list += ",S" + std::to_string(n);
  huge += "[UniqueIds]\r\nPC01 = " + list + "\r\n[PC01:UserData]\r\n";
  for (int n = 0; n < 1000; ++n) huge += "Key" + std::to_string(n) + " = value " + std::to_string(n) + "\r\n";
  huge += "[PC01:S1]\r\nNear = yes\r\n[PC01:S1500]\r\nBeyondTheCut = yes\r\n";
  const std::string line2047(2047, 'd'), line3000(3000, 'e'), command(2100, 'c');
  huge += "[PC01:KIVEDITOR]\r\nDescription1 = " + line2047 + "\r\nDescription2 = " + line3000 +
          "\r\nRunOnExit1 = " + command + "\r\n";
  const TIniFile udb = Udb(huge);
  EXPECT_EQ(Select(udb, "PC01"), (std::vector<std::string>{line2047, line3000.substr(0, 2047)}));
  EXPECT_EQ(EditorDirectives, std::vector<std::string>{"RunOnExit1=" + command.substr(0, 2047)});
  EXPECT_EQ(Work("UserData", "Key0"), "value 0");
  EXPECT_EQ(Work("UserData", "Key999"), "value 999");
  EXPECT_EQ(Work("S1", "Near"), "yes");
  EXPECT_EQ(Work("S1500", "BeyondTheCut"), "<absent>") << "the list is read as 2,047 characters";
}

}  // namespace

TEST(UDBIdentifier, SetupTakesOnlyAnIdentifierWithoutBlanksStarsCommasOrEquals) {
  const std::vector<std::string> usable = {"PC01", "ACC-PC01", "Бухгалтерия_1", "pc.01", std::string(255, 'A')};
  for (const std::string& id : usable) EXPECT_EQ(UDBIdentifierProblem(id), "") << id;
  const std::vector<std::string> unusable = {"",  "PC 01",     "PC\t01", "PC*",
                                             "*", "PC01,PC02", "PC=1",   std::string(256, 'A')};
  for (const std::string& id : unusable) EXPECT_NE(UDBIdentifierProblem(id), "") << id;
}
