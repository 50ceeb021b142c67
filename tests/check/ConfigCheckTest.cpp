// KivEdt.ini against a medium's tree: TimeOut, the UDB folder, file and
// computer it names, and the programs its commands and the UDB's exit
// entries start.

#include "check/ConfigCheck.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kivtest;

namespace {

class MediumFixture {
 protected:
  MediumFixture() {
    for (const char* sub :
         {"\\media", "\\media\\I386", "\\media\\Site", "\\media\\Site\\UDB", "\\media\\Site\\Tools", "\\udb"})
      CreateDirectoryA((folder.Path() + sub).c_str(), nullptr);
    WriteWholeFile(folder / "media\\Site\\Tools\\tool.exe", "MZ");
    WriteWholeFile(folder / "media\\Site\\Tools\\script.cmd", "@echo off");
    WriteWholeFile(folder / "media\\Site\\UDB\\SITE.UDB", "[UniqueIds]\r\nPC01=UserData\r\n");
    WriteWholeFile(folder / "udb\\OTHER.UDB", "[UniqueIds]\r\nPC07=UserData\r\n");
  }
  std::string Ini(const std::string& text) {
    WriteWholeFile(ini, text);
    return ini;
  }
  ScratchFolder folder;
  const std::string ini = folder / "KivEdt.ini";
  const std::string root = folder / "media";
};

struct Case {
  const char* what;
  std::string ini;
  bool withMedium;
  // "E|section|key|value" or "W|..." of each finding, sorted.
  std::vector<std::string> found;
};

class ConfigRules : public MediumFixture, public testing::TestWithParam<Case> {};

TEST_P(ConfigRules, FindWhatTheEditorWillNotFindOrNotRead) {
  const std::string file = Ini("[KivEditor]\r\nPachOffset=..\\Site\r\n" + GetParam().ini);
  const check::MediaTree media = check::MediaTreeOf(GetParam().withMedium ? root : "", file);
  std::vector<std::string> found;
  for (const check::Finding& f : check::CheckEditorConfig(file, media, folder / "udb\\OTHER.UDB")) {
    EXPECT_FALSE(f.reason.empty());
    found.push_back(std::string(f.severity == check::Severity::Error ? "E|" : "W|") + f.section + "|" + f.key + "|" +
                    f.value);
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, GetParam().found) << GetParam().what;
}

const char kGoodUDB[] = "[UDB]\r\nPath=%SourceRoot%\\UDB\r\nDefaultUDBFile=SITE.UDB\r\nDefaultUDBIdent=pc01\r\n";

INSTANTIATE_TEST_SUITE_P(
    Clean, ConfigRules,
    testing::Values(Case{"numbers as TimeOut", "TimeOut=30\r\n", true, {}},
                    Case{"a negative TimeOut is a number", "TimeOut = -1\r\n", true, {}},
                    Case{"the UDB folder by %SourceRoot%, its file and computer", kGoodUDB, true, {}},
                    Case{"the UDB folder below the source folder",
                         "[UDB]\r\nPath=..\\Site\\UDB\r\nDefaultUDBFile=site.udb\r\nDefaultUDBIdent=PC01\r\n",
                         true,
                         {}},
                    Case{"a folder on a drive of the target machine is not the tree's",
                         "[UDB]\r\nPath=Q:\\UDB\r\nDefaultUDBFile=OTHER.UDB\r\n",
                         true,
                         {}},
                    Case{"no default file: the computer is not judged",
                         "[UDB]\r\nPath=%SourceRoot%\\UDB\r\nDefaultUDBIdent=PC09\r\n",
                         true,
                         {}},
                    Case{"without the medium the folder of the UDB argument stands in",
                         "[UDB]\r\nPath=%SourceRoot%\\UDB\r\nDefaultUDBFile=OTHER.UDB\r\nDefaultUDBIdent=PC07\r\n",
                         false,
                         {}},
                    Case{"commands found in the tree, on PATH, or not to be judged here",
                         "[Commands]\r\nCommand0=\"%SourceRoot%\\Tools\\tool.exe\" "
                         "/q\r\nCommand1=%sourcepath%\\..\\Site\\Tools\\tool\r\n"
                         "Command2=notepad.exe readme.txt\r\nCommand3=%SourceRoot%\\Tools\\script.cmd\r\n"
                         "Command4=%SystemRoot%\\system32\\nosuch.exe\r\nCommand5=Tools\\nosuch.exe\r\n",
                         true,
                         {}},
                    Case{"commands after the first gap are not the editor's",
                         "[Commands]\r\nCommand0=notepad.exe\r\nCommand2=%SourceRoot%\\Tools\\nosuch.exe\r\n",
                         true,
                         {}},
                    Case{"without the medium no command is judged",
                         "[Commands]\r\nCommand0=%SourceRoot%\\nosuch.exe\r\n",
                         false,
                         {}}),
    [](const testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

INSTANTIATE_TEST_SUITE_P(
    Faulty, ConfigRules,
    testing::Values(
        Case{"a TimeOut in words", "TimeOut=thirty\r\n", true, {"E|KivEditor|TimeOut|thirty"}},
        Case{"a TimeOut with a unit", "TimeOut=30s\r\n", true, {"W|KivEditor|TimeOut|30s"}},
        Case{"a UDB folder the medium lacks",
             "[UDB]\r\nPath=%SourceRoot%\\UDBs\r\n",
             true,
             {"W|UDB|Path|%SourceRoot%\\UDBs"}},
        Case{"a default UDB file the folder lacks",
             "[UDB]\r\nPath=%SourceRoot%\\UDB\r\nDefaultUDBFile=MAIN.UDB\r\nDefaultUDBIdent=PC01\r\n",
             true,
             {"W|UDB|DefaultUDBFile|MAIN.UDB"}},
        Case{"a default computer the file lacks",
             "[UDB]\r\nPath=%SourceRoot%\\UDB\r\nDefaultUDBFile=SITE.UDB\r\nDefaultUDBIdent=PC09\r\n",
             true,
             {"W|UDB|DefaultUDBIdent|PC09"}},
        Case{"commands whose programs are missing",
             "[Commands]\r\nCommand0=%SourceRoot%\\Tools\\nosuch.exe /q\r\nCommand1=\"%sourcepath%\\tool.exe\"\r\n"
             "Command2=kivnosuchprogram.exe\r\n",
             true,
             {"E|Commands|Command0|%SourceRoot%\\Tools\\nosuch.exe /q", "E|Commands|Command1|%sourcepath%\\tool.exe",
              "E|Commands|Command2|kivnosuchprogram.exe"}}),
    [](const testing::TestParamInfo<Case>& info) { return "Case" + std::to_string(info.index); });

class ExitPrograms : public MediumFixture, public testing::Test {};

TEST_F(ExitPrograms, OnlyMissingProgramsOfEditorSectionsCount) {
  const std::string udb = folder / "site.UDB";
  WriteWholeFile(udb,
                 "[UniqueIds]\r\nPC01=KIVEDITOR\r\n[PC01:KIVEDITOR]\r\nRunOnExit1=%SourceRoot%\\Tools\\tool.exe\r\n"
                 "RunOnExit2=%SourceRoot%\\Tools\\gone.exe /x\r\nRunOnExit3=\r\nCommand=%SourceRoot%\\gone.exe\r\n"
                 "[PC01:UserData]\r\nRunOnExit1=%SourceRoot%\\gone.exe\r\n");
  const std::vector<check::Finding> found =
      check::CheckExitPrograms(udb, check::MediaTreeOf(root, Ini("[KivEditor]\r\nPachOffset=..\\Site\r\n")));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].key, "RunOnExit2");
  EXPECT_NE(found[0].reason.find("gone.exe"), std::string::npos);
  EXPECT_TRUE(check::CheckExitPrograms(udb, check::MediaTreeOf("", Ini(""))).empty()) << "no medium, nothing to judge";
}

TEST_F(ExitPrograms, TheTreeResolvesAsTheEditorWould) {
  const check::MediaTree tree = check::MediaTreeOf(root + "\\", Ini("[KivEditor]\r\nPachOffset=..\\Site\\\r\n"));
  EXPECT_EQ(tree.sourcePath, root + "\\I386");
  EXPECT_EQ(tree.sourceRoot, root + "\\Site");
  EXPECT_EQ(check::MediaTreeOf(root, Ini("")).sourceRoot, root + "\\I386") << "no offset: the source folder itself";
  // Where setup recorded the origin's type, the editor starts from the
  // origin without its I386, as the example tree is laid out.
  const std::string answer = folder / "typed.sif";
  WriteWholeFile(answer, "[Data]\r\nOriSrc = \"D:\\I386\"\r\nOriTyp = \"5\"\r\n");
  const check::MediaTree typed = check::MediaTreeOf(root, Ini("[KivEditor]\r\nPachOffset=..\\Site\r\n"), answer);
  EXPECT_EQ(typed.sourcePath, root + "\\I386");
  EXPECT_EQ(typed.variableSourcePath, root);
  EXPECT_EQ(typed.sourceRoot, root.substr(0, root.find_last_of('\\')) + "\\Site");
}

}  // namespace
