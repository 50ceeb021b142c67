// The commit of the working copy: the answer file is the old one or the new
// one, whole, never anything between, and keeps its attributes.

#include "main/MainSequence.h"
#include "support/FullDisk.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kivtest;

namespace {

class CommitTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteWholeFile(answer, "[UserData]\r\nFullName=Старое\r\n");
    WriteWholeFile(work, "[UserData]\r\nFullName=Новое\r\n");
  }
  ScratchFolder folder;
  std::string answer = folder / "winnt.sif";
  std::string work = folder / "winnt.sif.new";
};

TEST_F(CommitTest, ReplacesTheAnswerFileAndKeepsItsAttributes) {
  SetFileAttributesA(answer.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(CommitWorkingCopy(work, answer));
  EXPECT_EQ(ReadWholeFile(answer), "[UserData]\r\nFullName=Новое\r\n");
  EXPECT_TRUE(GetFileAttributesA(answer.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(FileExists(work)) << "the working copy is removed later, by the caller";
  EXPECT_FALSE(FileExists(answer + ".kivtmp"));
}

TEST_F(CommitTest, AReadOnlyAnswerFileIsNotReplaced) {
  SetFileAttributesA(answer.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(CommitWorkingCopy(work, answer));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "the reason the message gives";
  SetFileAttributesA(answer.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadWholeFile(answer), "[UserData]\r\nFullName=Старое\r\n");
  EXPECT_FALSE(FileExists(answer + ".kivtmp"));
}

TEST_F(CommitTest, CreatesAMissingAnswerFile) {
  DeleteFileA(answer.c_str());
  ASSERT_TRUE(CommitWorkingCopy(work, answer));
  EXPECT_EQ(ReadWholeFile(answer), "[UserData]\r\nFullName=Новое\r\n");
}

TEST_F(CommitTest, AFailedCommitLeavesTheOldFileWholeAndNothingBeside) {
  HANDLE held = CreateFileA(answer.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CommitWorkingCopy(work, answer));
  EXPECT_NE(GetLastError(), 0u) << "the system's reason is kept for the message";
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(answer), "[UserData]\r\nFullName=Старое\r\n");
  EXPECT_FALSE(FileExists(answer + ".kivtmp"));

  DeleteFileA(work.c_str());
  EXPECT_FALSE(CommitWorkingCopy(work, answer)) << "no working copy, nothing to commit";
  EXPECT_EQ(ReadWholeFile(answer), "[UserData]\r\nFullName=Старое\r\n");
}

TEST_F(CommitTest, ALeftoverStagingFileDoesNotStopTheCommit) {
  WriteWholeFile(answer + ".kivtmp", "half of an earlier commit");
  ASSERT_TRUE(CommitWorkingCopy(work, answer));
  EXPECT_EQ(ReadWholeFile(answer), "[UserData]\r\nFullName=Новое\r\n");
  EXPECT_FALSE(FileExists(answer + ".kivtmp"));
}

TEST_F(CommitTest, TheNewContentIsOnTheDiskBeforeItTakesTheAnswerFilesPlace) {
  FullDisk disk(1 << 20);
  ASSERT_TRUE(CommitWorkingCopy(work, answer));
  EXPECT_EQ(FullDisk::Flushes(), 1) << "the staged file was renamed without its data flushed";
  EXPECT_EQ(ReadWholeFile(answer), "[UserData]\r\nFullName=Новое\r\n");
}

TEST_F(CommitTest, ADiskThatFillsUpLeavesTheOldFileAndNothingBeside) {
  FullDisk disk(10);
  EXPECT_FALSE(CommitWorkingCopy(work, answer));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  EXPECT_EQ(ReadWholeFile(answer), "[UserData]\r\nFullName=Старое\r\n");
  EXPECT_FALSE(FileExists(answer + ".kivtmp")) << "a partial staging file is left";
}

}  // namespace
