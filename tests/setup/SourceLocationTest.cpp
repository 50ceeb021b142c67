// Where the installation files are: the device path of [Data] "sourcepath"
// converted on Wine's real drives (drive C: given a partition link for the
// test), the source folder by "OriTyp" and "OriSrc", the site folder by
// "PachOffset", the variables a started program inherits, and bad values of
// each key. Every run checks that no file changed and that the current
// directory is the one it found.

#include "sys/Launcher.h"
#include "setup/SourceLocation.h"
#include "setup/AnswerFile.h"
#include "e2e/EditorRun.h"
#include "support/TestFiles.h"
#include "sys/ChangerUtil.h"
#include "sys/WineObjects.h"

#include <gtest/gtest.h>

#include <optional>

using namespace kivtest;

namespace {

// A variable of the process: its value, or nothing when it is not defined.
std::optional<std::string> Variable(const char* name) {
  char buffer[4096];
  SetLastError(0);
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  return std::string(buffer, length < sizeof(buffer) ? length : 0);
}

std::string CurrentDirectory() {
  char buffer[MAX_PATH * 2] = {};
  return std::string(buffer, GetCurrentDirectoryA(sizeof(buffer), buffer));
}

struct Outcome {
  std::string sourcePath, sourceRoot;
  std::optional<std::string> sourcepathVariable, sourceRootVariable;
};

class SourceLocation : public testing::Test {
 protected:
  void SetUp() override {
    savedWorkFile_ = WorkFileName;
    savedSourcePath_ = SourcePath;
    savedSourceRoot_ = SourceRoot;
    savedVariables_[0] = Variable("sourcepath");
    savedVariables_[1] = Variable("SourceRoot");
    savedDirectory_ = CurrentDirectory();
    ASSERT_TRUE(folder.Path().size() > 3 && (folder.Path()[0] | 0x20) == 'c' && folder.Path()[1] == ':')
        << "the scratch folder is not on C:";
    for (const std::string& name : {start, media, media + "\\I386", media + "\\Site", media + "\\I386\\Дистрибутив"})
      ASSERT_TRUE(CreateDirectoryA(name.c_str(), nullptr)) << name;
    ASSERT_TRUE(SetCurrentDirectoryA(start.c_str()));
    ASSERT_TRUE(disk.Ok()) << disk.Error();
    partition = disk.Add("Partition1", DosDevice("C:"));
    ASSERT_FALSE(partition.empty()) << disk.Error();
    WorkFileName = folder / "winnt.sif.new";
  }
  void TearDown() override {
    SetCurrentDirectoryA(savedDirectory_.c_str());
    WorkFileName = savedWorkFile_;
    SourcePath = savedSourcePath_;
    SourceRoot = savedSourceRoot_;
    SetEnvironmentVariableA("sourcepath", savedVariables_[0] ? savedVariables_[0]->c_str() : nullptr);
    SetEnvironmentVariableA("SourceRoot", savedVariables_[1] ? savedVariables_[1]->c_str() : nullptr);
  }

  // The device path of a folder on C:.
  std::string OnPartition(const std::string& path) const { return partition + path.substr(2); }
  // A path without its drive.
  static std::string Rest(const std::string& path) { return path.substr(2); }

  // Both steps on a working copy whose [Data] section holds `data`, with a
  // KivEdt.ini holding the offset, or none.
  Outcome Run(const std::string& data, const std::optional<std::string>& pachOffset,
              const std::string& header = "[Data]") {
    const std::string answer = "[Unattended]\r\nOemSkipEula = Yes\r\n\r\n" + header + "\r\n" + data + "\r\n";
    WriteWholeFile(WorkFileName, answer);
    DeleteFileA(config.c_str());
    const std::string configText = "[KivEditor]\r\nTimeOut=30\r\nPachOffset=" + pachOffset.value_or("") + "\r\n";
    if (pachOffset) WriteWholeFile(config, configText);
    SetEnvironmentVariableA("sourcepath", "stale");
    SetEnvironmentVariableA("SourceRoot", "stale");

    InitSourcePath();
    InitSourceRoot(config);

    EXPECT_EQ(CurrentDirectory(), start) << "the current directory moved";
    EXPECT_EQ(ReadWholeFile(WorkFileName), answer) << "the working copy changed";
    if (pachOffset)
      EXPECT_EQ(ReadWholeFile(config), configText) << "KivEdt.ini changed";
    else
      EXPECT_FALSE(FileExists(config)) << "KivEdt.ini was made";
    return {SourcePath, SourceRoot, Variable("sourcepath"), Variable("SourceRoot")};
  }

  // The variables as a program started through the launcher sees them.
  std::vector<std::string> StartedProgramSees() {
    const std::string listing = folder / "set.txt";
    EXPECT_TRUE(RunProgram("cmd /c set > \"" + listing + "\"", true));
    std::vector<std::string> seen;
    const std::string text = ReadWholeFile(listing);
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(at, end - at);
      if (line.rfind("sourcepath=", 0) == 0 || line.rfind("SourceRoot=", 0) == 0) seen.push_back(line);
      at = end + 2;
    }
    return seen;
  }

  ScratchFolder folder;
  const std::string start = folder / "start";
  const std::string media = folder / "Media";
  const std::string config = folder / "KivEdt.ini";
  PartitionLinks disk;
  std::string partition;

 private:
  std::string savedWorkFile_, savedSourcePath_, savedSourceRoot_, savedDirectory_;
  std::optional<std::string> savedVariables_[2];
};

TEST_F(SourceLocation, WithoutOriTypTheConvertedSourcePathIsTheSourceFolder) {
  Outcome out = Run("sourcepath = \"" + OnPartition(media) + "\\I386\"", "..\\Site");
  EXPECT_EQ(out.sourcePath, media + "\\I386");
  EXPECT_EQ(out.sourcepathVariable, media + "\\I386") << "a final I386 stays: the source folder ends in a backslash";
  EXPECT_EQ(out.sourceRoot, media + "\\Site");
  EXPECT_EQ(out.sourceRootVariable, media + "\\Site");

  // Section and key in other letter cases, a trailing backslash, no offset.
  out = Run("SourcePath=" + OnPartition(media) + "\\I386\\", "", "[dATA]");
  EXPECT_EQ(out.sourcePath, media + "\\I386");
  EXPECT_EQ(out.sourceRoot, media + "\\I386");
  // No KivEdt.ini at all: no offset either.
  out = Run("sourcepath=" + OnPartition(media) + "\\I386\\Дистрибутив", std::nullopt);
  EXPECT_EQ(out.sourcePath, media + "\\I386\\Дистрибутив");
  EXPECT_EQ(out.sourceRoot, media + "\\I386\\Дистрибутив");
}

TEST_F(SourceLocation, TheVariablesReachAProgramTheEditorStarts) {
  Run("sourcepath=" + OnPartition(media) + "\\I386", "..\\Site");
  EXPECT_EQ(StartedProgramSees(),
            (std::vector<std::string>{"sourcepath=" + media + "\\I386", "SourceRoot=" + media + "\\Site"}));
  // The second step's "sourcepath" stands.
  Run("sourcepath=\\Device\\KivNoSuchDevice\\I386\r\nOriTyp=4\r\nOriSrc=" + media, "Site");
  EXPECT_EQ(SourcePath, "");
  EXPECT_EQ(StartedProgramSees(), (std::vector<std::string>{"sourcepath=" + media, "SourceRoot=" + media + "\\Site"}));
  // An empty value is handed on as an empty variable.
  Run("sourcepath=\\Device\\KivNoSuchDevice\\I386", "");
  EXPECT_EQ(StartedProgramSees(), (std::vector<std::string>{"sourcepath=", "SourceRoot=C:"}));
}

TEST_F(SourceLocation, OriTyp4AndOthersTakeOriSrcAsItIsCuttingAFinalI386) {
  const std::string device = "sourcepath=" + OnPartition(media) + "\\I386\r\n";
  Outcome out = Run(device + "OriTyp=4\r\nOriSrc=\"" + media + "\\I386\"", "Site");
  EXPECT_EQ(out.sourcePath, media + "\\I386") << "SourcePath comes from sourcepath alone";
  EXPECT_EQ(out.sourcepathVariable, media);
  EXPECT_EQ(out.sourceRoot, media + "\\Site");
  out = Run(device + "OriTyp=4\r\nOriSrc=" + media + "\\I386\\", "");
  EXPECT_EQ(out.sourcepathVariable, media + "\\I386");
  EXPECT_EQ(out.sourceRoot, media + "\\I386");
  out = Run(device + "OriTyp=1\r\nOriSrc=" + media + "\\i386", "Site");
  EXPECT_EQ(out.sourcepathVariable, media);
  EXPECT_EQ(out.sourceRoot, media + "\\Site");
  out = Run(device + "OriTyp=4\r\nOriSrc=" + media + "\\I3860", "");
  EXPECT_EQ(out.sourcepathVariable, media + "\\I3860");
  EXPECT_EQ(out.sourceRoot, start) << "a folder that cannot be entered leaves the start directory";
}

TEST_F(SourceLocation, OriTyp5LooksForTheFolderOnThePresentDrivesFromC) {
  // Setup noted drive Q:, the folder is on C:; the drive letter comes out in
  // lower case, the rest as written, with blanks and control characters
  // around it dropped.
  Outcome out = Run("OriTyp=5\r\nOriSrc=\x01 Q:" + Rest(media) + "\\I386\x02", "Site");
  EXPECT_EQ(out.sourcepathVariable, "c:" + Rest(media));
  EXPECT_EQ(out.sourceRoot, "c:" + Rest(media) + "\\Site");
  EXPECT_EQ(out.sourceRootVariable, out.sourceRoot);

  // A folder only Z: (the host's root) has.
  struct HostFolder {
    const std::string path = "Z:\\tmp\\kivsrc-" + std::to_string(GetCurrentProcessId());
    HostFolder() {
      CreateDirectoryA(path.c_str(), nullptr);
      CreateDirectoryA((path + "\\I386").c_str(), nullptr);
    }
    ~HostFolder() {
      RemoveDirectoryA((path + "\\I386").c_str());
      RemoveDirectoryA(path.c_str());
    }
  } host;
  const std::string& hostFolder = host.path;
  ASSERT_NE(GetFileAttributesA((hostFolder + "\\I386").c_str()), INVALID_FILE_ATTRIBUTES);
  out = Run("OriTyp=5\r\nOriSrc=\\\\deploy01\\xpsp3" + Rest(hostFolder) + "\\I386", "");
  EXPECT_EQ(out.sourcepathVariable, "z:" + Rest(hostFolder));
  EXPECT_EQ(out.sourceRoot, "z:" + Rest(hostFolder));

  // A drive a: holding the folder too is never tried.
  const bool aIsFree = !(GetLogicalDrives() & 1);
  if (aIsFree) {
    MappedDrive floppy('a', DRIVE_REMOVABLE, "Z:\\");
    ASSERT_TRUE(floppy.Ok()) << floppy.Error();
    ASSERT_NE(GetFileAttributesA(("a:" + Rest(hostFolder)).c_str()), INVALID_FILE_ATTRIBUTES);
    out = Run("OriTyp=5\r\nOriSrc=D:" + Rest(hostFolder) + "\\I386", "");
    EXPECT_EQ(out.sourcepathVariable, "z:" + Rest(hostFolder));
  }
  if (!aIsFree) GTEST_SKIP() << "drive A: is in use: the rule that a: is never tried was not checked";
}

DWORD WINAPI OnlyDriveZ() { return 1u << 25; }

TEST_F(SourceLocation, OriTyp5WithNoDriveHoldingTheFolderKeepsTheDrivelessRest) {
  Outcome out = Run("OriTyp=5\r\nOriSrc=D:\\I386", "");
  EXPECT_EQ(out.sourcepathVariable, "") << "\\I386 cut to \\, without its backslash";
  EXPECT_EQ(out.sourceRoot, "C:") << "the root of the current drive";
  out = Run("OriTyp=5\r\nOriSrc=D:\\KivNoSuchFolder\\I386", "");
  EXPECT_EQ(out.sourcepathVariable, "\\KivNoSuchFolder");
  EXPECT_EQ(out.sourceRoot, start);

  // Only drives the system reports present are tried.
  const DriveFunctionTable saved = DriveFunctions;
  DriveFunctions.GetLogicalDrives = &OnlyDriveZ;
  out = Run("OriTyp=5\r\nOriSrc=Q:" + Rest(media) + "\\I386", "");
  DriveFunctions = saved;
  EXPECT_EQ(out.sourcepathVariable, Rest(media));
  EXPECT_EQ(out.sourceRoot, "C:" + Rest(media)) << "the folder as seen from the current drive";
}

TEST_F(SourceLocation, PachOffsetIsWalkedByTheSystem) {
  const std::string data = "OriTyp=4\r\nOriSrc=" + media + "\\I386\\Дистрибутив";
  EXPECT_EQ(Run(data, "").sourceRoot, media + "\\I386\\Дистрибутив");
  EXPECT_EQ(Run(data, "..").sourceRoot, media + "\\I386");
  EXPECT_EQ(Run(data, "..\\..\\Site").sourceRoot, media + "\\Site");
  EXPECT_EQ(Run(data, "  ..\\..  ").sourceRoot, media) << "blanks around the value are no part of it";
  // Above the root the walk stops at the root; a missing folder leaves the
  // start directory.
  EXPECT_EQ(Run(data, "..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..").sourceRoot, "C:");
  EXPECT_EQ(Run(data, "..\\KivNoSuchSite").sourceRoot, start);
  EXPECT_EQ(Run(data, "\\\\deploy01\\site").sourceRoot, start);
}

TEST_F(SourceLocation, BadSourcepathValuesGiveWhatTheConversionGives) {
  // Read cut to 260 characters, and converted as cut.
  const std::string longRest = "\\" + std::string(300, 'x');
  Outcome out = Run("sourcepath=" + partition + longRest, "");
  EXPECT_EQ(out.sourcePath, "C:" + longRest.substr(0, 260 - partition.size()));
  EXPECT_EQ(out.sourceRoot, start);
  for (const std::string& value :
       {std::string("\\"), std::string("\\Device\\KivNoSuchDevice\\I386"), std::string("\\Устройство\\Диск1\\I386"),
        std::string("I386"), std::string(400, '\\')}) {
    out = Run("sourcepath=" + value, "");
    EXPECT_EQ(out.sourcePath, "") << value;
    EXPECT_EQ(out.sourcepathVariable, "") << value;
    EXPECT_EQ(out.sourceRoot, "C:") << value;
  }
}

TEST_F(SourceLocation, BadOriSrcValuesGiveWhatTheRulesGive) {
  // Nothing left of it: "c:" is drive C:'s current folder, which exists.
  Outcome out = Run("OriTyp=5\r\nOriSrc=\" \t\x01\x1F \"", "");
  EXPECT_EQ(out.sourcepathVariable, "c:");
  EXPECT_EQ(out.sourceRoot, "c:");
  out = Run("OriTyp=5\r\nOriSrc=Z:", "");
  EXPECT_EQ(out.sourcepathVariable, "c:");
  out = Run("OriTyp=4\r\nOriSrc=Z:", "");
  EXPECT_EQ(out.sourcepathVariable, "Z:");
  EXPECT_EQ(out.sourceRoot, "Z:");
  out = Run("OriTyp=4\r\nOriSrc=\\\\server\\share\\I386", "");
  EXPECT_EQ(out.sourcepathVariable, "\\\\server\\share");
  EXPECT_EQ(out.sourceRoot, start);
  out = Run("OriTyp=5\r\nOriSrc=\\\\server\\share\\I386", "");
  EXPECT_EQ(out.sourcepathVariable, "");
  EXPECT_EQ(out.sourceRoot, "C:");
}

// The real program at start, on values no setup writes: it goes on to its
// dialog, and leaves the answer file and its configuration as they were.
using SourceLocationAtStart = EditorRun;

TEST_F(SourceLocationAtStart, BadValuesNeitherStopTheEditorNorChangeAFile) {
  // The first of two [Data] sections counts.
  const std::string answer = "[data]\r\nsourcepath=" + std::string(300, '\\') +
                             "Дистрибутив\r\nOriTyp=5\r\nOriSrc=\" \x01 \"\r\n\r\n" + ExampleAnswerFile();
  const std::string configText = "[KivEditor]\r\nTimeOut=300\r\nPachOffset=..\\..\\..\\..\\..\\..\\..\\..\\KivNo\r\n";
  WriteWholeFile(answerFile, answer);
  WriteWholeFile(folder / "KivEdt.ini", configText);
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  ClickButton("btnCancel");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), answer);
  EXPECT_EQ(ReadWholeFile(folder / "KivEdt.ini"), configText);
}

}  // namespace
