// The checker's merged file for a computer is the UDB page's working copy
// after the operator picks that computer, byte for byte.

#include "check/CheckRun.h"
#include "profile/IniFiles.h"
#include "profile/ProfileDocument.h"
#include "profile/ProfileEngine.h"
#include "setup/AnswerFile.h"
#include "setup/UDBMerge.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kivtest;

namespace {

const char kAnswer[] =
    "; site answer file\r\n[Data]\r\nUnattendedInstall=\"Yes\"\r\n\r\n[UserData]\r\nFullName = \"Бухгалтерия\"\r\n"
    "ComputerName=*\r\nProductID=11111-22222-33333-44444-55555\r\n\r\n[Identification]\r\n"
    "JoinWorkgroup=WORKGROUP\r\n\r\n[params.MS_TCPIP.Adapter1]\r\nDHCP=Yes\r\n";

// Every computer has an editor section: picking one is what rebuilds the
// working copy from the answer file and merges into it.
const char kUDB[] =
    "[UniqueIds]\r\nPC01=UserData,Identification,KIVEDITOR\r\nPC02=userdata,params.MS_TCPIP.Adapter1,KIVEDITOR\r\n"
    "PC03=KIVEDITOR,Proxy,Missing\r\n\r\n"
    "[PC01:UserData]\r\nComputerName=ACC-PC01\r\nFullName=\"Петров, "
    "Иван\"\r\nProductKey=ABCDE-12345-FGHIJ-67890-KLMNO\r\n"
    "[PC01:Identification]\r\nJoinDomain=CORP\r\nMachineObjectOU = \"OU=PCs,DC=corp\"\r\n"
    "[PC01:KIVEDITOR]\r\nDescription1=Accounting\r\n"
    "[pc02:USERDATA]\r\nComputerName=LAB-PC02\r\n"
    "[PC02:params.MS_TCPIP.Adapter1]\r\nDHCP=No\r\nIPAddress=10.1.2.31,\"10.1.2.32\"\r\nSubnetMask=255.255.255.0,255."
    "255.255.0\r\n"
    "[PC02:KIVEDITOR]\r\nRunOnExit1=notepad.exe\r\n"
    "[PC03:Proxy]\r\nProxy_Override=\"*.corp;<local>\"\r\n[PC03:KIVEDITOR]\r\n";

TEST(MergeAgreement, TheCheckersMergeIsTheUDBPagesWorkingCopy) {
  ScratchFolder folder, own;
  const std::string answer = folder / "winnt.sif";
  const std::string udbFile = folder / "site.UDB";
  WriteWholeFile(answer, kAnswer);
  WriteWholeFile(udbFile, kUDB);
  AnswerFileName = answer;
  WorkFileName = answer + ".new";
  WriteWholeFile(WorkFileName, kAnswer);
  const TIniFile udb(udbFile);
  for (const std::string id : {"PC01", "PC02", "PC03"}) {
    ASSERT_TRUE(SelectUDBComputer(udb, id, [](const std::vector<std::string>&) {})) << id;
    const profile::MemoryProfile target(own / (id + ".sif"), profile::LoadProfile(answer));
    check::MergeComputerInto(udbFile, id, target);
    const std::string merged = target.Document()->Bytes();
    EXPECT_EQ(merged, ReadWholeFile(WorkFileName)) << id;
    EXPECT_NE(merged, kAnswer) << id << ": nothing was merged";
  }
  EXPECT_EQ(ReadWholeFile(answer), kAnswer);
  EXPECT_EQ(ReadWholeFile(udbFile), kUDB);
  EditorDirectives.clear();
}

TEST(MergeAgreement, AnAnswerTextTheEditorCouldNotSaveStopsTheCheck) {
  ScratchFolder folder;
  WriteWholeFile(folder / "site.UDB", kUDB);
  // A UTF-16 text with a lone surrogate could not be written back as it
  // was: the editor refuses to save it, and the check says so.
  const std::string broken("\xFF\xFE[\0S\0]\0\r\0\n\0\x00\xD8", 14);
  const profile::MemoryProfile target(folder / "broken.sif", std::make_shared<profile::ProfileDocument>(broken));
  ASSERT_FALSE(target.Document()->Writable());
  EXPECT_THROW(check::MergeComputerInto(folder / "site.UDB", "PC02", target), check::CannotRun);
}

}  // namespace
