// The run-program page: which commands get buttons, how the buttons are laid
// out, and what a press starts.

#include "dialog/Dlg_Settings.h"
#include "pages/TRunProgramFrameUnit.h"
#include "support/Operator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace gui;
using namespace kivtest;

namespace {

class RunProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    config = ConfigFileName();
    WorkFileName = folder / "winnt.sif.new";
    WriteWholeFile(WorkFileName, "[UserData]\r\n");
  }
  void TearDown() override { DeleteFileA(config.c_str()); }
  void Configure(const std::string& commands) { WriteWholeFile(config, "[Commands]\r\n" + commands); }
  TRunProgramFrame* Page(TdlgSettings& dlg) {
    for (TabSheet* sheet : dlg.PC->Pages())
      if (auto* page = dynamic_cast<TRunProgramFrame*>(TdlgSettings::PageOf(sheet))) return page;
    return nullptr;
  }
  std::string config;
  ScratchFolder folder;
};

TEST_F(RunProgramTest, TheListEndsAtTheFirstMissingCommandAndSkipsCaptionlessOnes) {
  Configure(
      "Command0=a.exe\r\n"
      "Command1=b.exe\r\nCommand1_Caption=Второй\r\nCommand1_Hint=Подсказка\r\n"
      "Command2=c.exe\r\nCommand2_Caption=Третий\r\n"
      "Command4=e.exe\r\nCommand4_Caption=Пятый\r\n");
  TdlgSettings dlg({ClassOf<TRunProgramFrame>()});
  TRunProgramFrame* page = Page(dlg);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(dlg.PC->Page(0)->Caption(), "Запуск программ");
  ASSERT_EQ(page->Buttons().size(), 2u);
  EXPECT_EQ(page->Buttons()[0]->Caption(), "Второй");
  EXPECT_EQ(page->Buttons()[0]->Hint(), "Подсказка");
  EXPECT_EQ(page->CommandOf(page->Buttons()[0]), "b.exe");
  EXPECT_EQ(page->Buttons()[1]->Caption(), "Третий");
  EXPECT_EQ(page->Buttons()[0]->Name(), "");
  EXPECT_EQ(WorkFileName, folder / "winnt.sif.new") << "the working copy's name is given back";
}

TEST_F(RunProgramTest, ThePageIsLeftOutWithoutConfigurationOrFirstCommand) {
  {
    TdlgSettings dlg({ClassOf<TRunProgramFrame>()});
    EXPECT_EQ(dlg.PC->PageCount(), 0) << "no KivEdt.ini";
  }
  Configure("Command1=b.exe\r\nCommand1_Caption=Второй\r\n");
  {
    TdlgSettings dlg({ClassOf<TRunProgramFrame>()});
    EXPECT_EQ(dlg.PC->PageCount(), 0) << "no Command0";
  }
  DeleteFileA(config.c_str());
  CreateDirectoryA(config.c_str(), nullptr);
  {
    TdlgSettings dlg({ClassOf<TRunProgramFrame>()});
    EXPECT_EQ(dlg.PC->PageCount(), 0) << "a folder of that name is no configuration";
  }
  RemoveDirectoryA(config.c_str());
}

TEST_F(RunProgramTest, ButtonsRunLeftToRightAndWrapWhenTheyDoNotFit) {
  std::string wide(12, 'W');
  Configure("Command0=a\r\nCommand0_Caption=A\r\nCommand1=b\r\nCommand1_Caption=" + wide +
            "\r\nCommand2=c\r\nCommand2_Caption=C\r\nCommand3=d\r\nCommand3_Caption=D\r\n"
            "Command4=e\r\nCommand4_Caption=E\r\nCommand5=f\r\nCommand5_Caption=F\r\n");
  TdlgSettings dlg({ClassOf<TRunProgramFrame>()});
  TRunProgramFrame* page = Page(dlg);
  ASSERT_EQ(page->Buttons().size(), 6u);
  const auto& b = page->Buttons();
  int pageWidth = page->ClientRect().right;
  EXPECT_EQ(b[0]->Left(), 0);
  EXPECT_EQ(b[0]->Top(), 0);
  EXPECT_EQ(b[0]->Width(), 75) << "a short caption keeps the default width";
  EXPECT_EQ(b[1]->Width(), dlg.TextWidth(wide) + 10) << "a wide caption widens its button";
  EXPECT_EQ(b[1]->Left(), 90) << "15 pixels between buttons";
  int x = 0, y = 0;
  for (const Button* button : b) {
    int left = x;
    x = left + button->Width() + 15;
    if (pageWidth < x) {
      y += 30;
      left = 0;
      x = button->Width() + 15;
    }
    EXPECT_EQ(button->Left(), left) << button->Caption();
    EXPECT_EQ(button->Top(), y) << button->Caption();
  }
  EXPECT_GT(b.back()->Top(), 0) << "the row wrapped at least once";
}

TEST_F(RunProgramTest, AFirstButtonWiderThanThePageStartsTheSecondRow) {
  Configure("Command0=a\r\nCommand0_Caption=" + std::string(120, 'W') + "\r\n");
  TdlgSettings dlg({ClassOf<TRunProgramFrame>()});
  const Button* button = Page(dlg)->Buttons().at(0);
  EXPECT_EQ(button->Left(), 0);
  EXPECT_EQ(button->Top(), 30);
}

TEST_F(RunProgramTest, APressStartsTheCommandWithoutWaitingAndExpandsTheEnvironment) {
  std::string child = folder / "kivchild.exe";
  ASSERT_TRUE(CopyFileA(HostPath(KIV_CHILD).c_str(), child.c_str(), FALSE));
  SetEnvironmentVariableA("SourceRoot", folder.Path().c_str());
  std::string log = folder / "log.txt";
  Configure("Command0=%SourceRoot%\\kivchild.exe --sleep=3000 --log=" + log + " started\r\nCommand0_Caption=Пуск\r\n");
  TdlgSettings dlg({ClassOf<TRunProgramFrame>()});
  RunModal(dlg, [&] {
    auto start = std::chrono::steady_clock::now();
    Click(*Page(dlg)->Buttons().at(0));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(2500)) << "the dialog does not wait for the program";
    EXPECT_FALSE(FileExists(log)) << "the program is still sleeping";
    PressKey(VK_ESCAPE);
  });
  HANDLE until = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  for (int i = 0; i < 100 && !FileExists(log); ++i) WaitForSingleObject(until, 100);
  CloseHandle(until);
  EXPECT_EQ(ReadWholeFile(log), "started\r\n");
}

}  // namespace
