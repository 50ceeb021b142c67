// How a run ends and what it leaves: Cancel, Esc and the close box leave the
// answer file as it was; Save commits the working copy; the working copy is
// gone and the exit code is 0 either way.

#include "e2e/EditorRun.h"

using namespace kivtest;

namespace {

enum class Ending { CancelButton, Escape, CloseBox };

class EditorWithoutSave : public EditorRun, public testing::WithParamInterface<Ending> {};

TEST_P(EditorWithoutSave, DropsTheEditsAndLeavesTheAnswerFileUnchanged) {
  const std::string original = ExampleAnswerFile();
  WriteWholeFile(answerFile, original);
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  ShowPreview();
  EXPECT_EQ(PreviewText(), original);
  EditPreview(EditedAnswerFile(original));
  switch (GetParam()) {
    case Ending::CancelButton: ClickButton("btnCancel"); break;
    case Ending::Escape: PressEscape(); break;
    case Ending::CloseBox: CloseWindow(); break;
  }
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), original);
  EXPECT_FALSE(FileExists(answerFile + ".new"));
}

INSTANTIATE_TEST_SUITE_P(Ending, EditorWithoutSave,
                         testing::Values(Ending::CancelButton, Ending::Escape, Ending::CloseBox),
                         [](const testing::TestParamInfo<Ending>& info) {
                           switch (info.param) {
                             case Ending::CancelButton: return "CancelButton";
                             case Ending::Escape: return "Escape";
                             default: return "CloseBox";
                           }
                         });

using EditorSave = EditorRun;

TEST_F(EditorSave, CommitsTheEditedPreviewToTheAnswerFile) {
  const std::string edited = EditedAnswerFile(ExampleAnswerFile());
  WriteWholeFile(answerFile, ExampleAnswerFile());
  ASSERT_NO_FATAL_FAILURE(SaveThroughPreview(edited));
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), edited);
  EXPECT_FALSE(FileExists(answerFile + ".new"));
}

TEST_F(EditorSave, LeavesAnUneditedFileByteForByteAsItWas) {
  // Line ends the preview shows as CR LF, a last line without one, and
  // trailing blanks: a look at the preview and a Save without edits may
  // rewrite none of it.
  std::string original = ExampleAnswerFile();
  for (size_t at = 0; (at = original.find("\r\n", at)) != std::string::npos;) original.erase(at, 1);
  original += "[Branding]\nBrandIEUsingUnattended = Yes   \r\r[Proxy]\rProxy_Enable = 1";
  WriteWholeFile(answerFile, original);
  Start("/f:" + answerFile);
  ASSERT_TRUE(WaitForDialog());
  ShowPreview();
  ClickButton("btnSave");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), original);
  EXPECT_FALSE(FileExists(answerFile + ".new"));
}

TEST_F(EditorSave, EnterInThePreviewStaysInTheTextAndSavesNothing) {
  const std::string original = ExampleAnswerFile();
  WriteWholeFile(answerFile, original);
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  ShowPreview();
  HWND view = ShownPreview();
  ASSERT_TRUE(ClickInto(view)) << "the read-only view took no focus";
  PressKeyIn(view, VK_RETURN);
  // Ticking "Редактировать" is handled after the Enter: once the edit box
  // shows, the Enter has been dealt with.
  ClickButton("chkAllowEdit");
  HWND memo = Window("memPrewiwIni");
  for (int i = 0; i < 500 && !IsWindowVisible(memo); ++i) Sleep(20);
  ASSERT_TRUE(IsWindowVisible(memo)) << "the dialog ended or hangs";
  ASSERT_TRUE(ClickInto(memo));
  PressKeyIn(memo, VK_RETURN);
  for (int i = 0; i < 500 && PreviewTextLength() == original.size(); ++i) Sleep(20);
  EXPECT_EQ(PreviewTextLength(), original.size() + 2) << "Enter in the edit box makes a new line";
  ClickButton("btnCancel");
  EXPECT_EQ(Finish(), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), original);
}

}  // namespace
