#pragma once
// EditorRun: the real KivEdt.exe copied into a folder of the test's own and
// run there as a process; the operator's actions reach its windows as posted
// messages, found by their "KivName"; afterwards the test checks what the
// run left behind. Every wait has a time limit.

#include "support/Operator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace kivtest {

// The example answer file of the repository: code page 1251, CRLF.
[[nodiscard]] std::string ExampleAnswerFile();
// The example with the computer renamed and the user's name changed, as an
// operator would edit it on the preview page.
[[nodiscard]] std::string EditedAnswerFile(std::string text);

class EditorRun : public testing::Test {
 protected:
  EditorRun();

  // Starts the editor with these arguments, in `directory` (the program's
  // own folder when empty).
  void Start(const std::string& arguments, const std::string& directory = {});
  // Waits until the dialog is on screen and answers messages. A message box
  // or an end instead is a failure with its text, and the box is closed.
  [[nodiscard]] bool WaitForDialog(int timeoutMs = 20000);
  // How long the start took, up to the dialog answering.
  [[nodiscard]] double StartSeconds() const noexcept { return startSeconds_; }

  // A window of the editor by its design name.
  [[nodiscard]] HWND Window(const std::string& name) const;
  void ClickButton(const std::string& name) const;
  void PressEscape() const;
  // Clicks into a window of the editor and waits until it has the focus.
  [[nodiscard]] bool ClickInto(HWND window, int timeoutMs = 10000) const;
  // A key pressed and released in a window of the editor, as the keyboard
  // delivers it to the window with the focus.
  void PressKeyIn(HWND window, WORD vk) const;
  void CloseWindow() const;
  // Clicks the tab of the last page, the preview, and waits until it shows.
  void ShowPreview(int timeoutMs = 10000) const;
  // Clicks tab `index` of the page control of that design name, as the
  // operator does, and returns once the click has been handled.
  void ClickTab(const std::string& pageControl, int index, int timeoutMs = 10000) const;
  [[nodiscard]] int TabCount(const std::string& pageControl) const;
  // The text of a box of the editor, as it answers WM_GETTEXT.
  [[nodiscard]] std::string Text(const std::string& name) const;
  // Replaces the text of a box of the editor.
  void SetText(const std::string& name, const std::string& text) const;
  // Edits the shown preview as the operator would: ticks chkAllowEdit,
  // replaces the text, and leaves the text box marked modified.
  void EditPreview(const std::string& text) const;
  // Starts the editor on the answer file, replaces its text on the preview
  // page and presses Save; the test then waits for the end.
  void SaveThroughPreview(const std::string& text);
  [[nodiscard]] std::string PreviewText() const;
  [[nodiscard]] size_t PreviewTextLength() const;
  // The box that shows the preview's text now: the read-only view, or the
  // edit box once editing was ticked; null when the preview is not shown.
  [[nodiscard]] HWND ShownPreview() const;

  // A message box of the editor, once it shows; null when none came.
  [[nodiscard]] HWND WaitForMessageBox(int timeoutMs) const;
  [[nodiscard]] static std::string MessageBoxText(HWND box);

  // The exit code, or -1 when the editor had not ended in time.
  [[nodiscard]] int Finish(int timeoutMs = 20000);
  // The running editor's process, for waits that must not end it; 0 when none runs.
  [[nodiscard]] DWORD ProcessId() const noexcept;

  ScratchFolder folder;
  const std::string program = folder / "KivEdt.exe";
  const std::string answerFile = folder / "winnt.sif";

 private:
  std::unique_ptr<Process> process_;
  double startSeconds_ = 0;
  unsigned long long startTick_ = 0;
};

// Whether this test program is 32-bit on 64-bit Windows (the win32 build
// under Wine's WoW64).
[[nodiscard]] bool TestRunsUnderWow64();
// The system folder setup writes into, as this test program reaches it.
[[nodiscard]] std::string NativeSystemFolder();

// The default answer file of the Wine prefix ("$winnt$.inf" in the system
// folder) with the content a test wants, or absent; what was there before,
// and no working copy, when the test ends.
class DefaultAnswerFile {
 public:
  explicit DefaultAnswerFile(const std::optional<std::string>& content);
  ~DefaultAnswerFile();
  DefaultAnswerFile(const DefaultAnswerFile&) = delete;
  DefaultAnswerFile& operator=(const DefaultAnswerFile&) = delete;
  [[nodiscard]] const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
  std::optional<std::string> before_;
};

}  // namespace kivtest
