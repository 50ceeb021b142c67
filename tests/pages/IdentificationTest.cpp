// The user-data page against real working copies.

#include "dialog/Dlg_Settings.h"
#include "pages/IdentificationFrame.h"
#include "support/Operator.h"
#include "support/SetupReads.h"
#include "support/TestFiles.h"

#include "profile/Profile.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace kivtest;

namespace {

class IdentificationTest : public testing::Test {
 protected:
  void Open(const std::string& content) {
    WorkFileName = folder / "winnt.sif.new";
    WriteWholeFile(WorkFileName, content);
    form = std::make_unique<Form>(Design{.name = "form", .width = 451, .height = 304});
    page = form->Create<TFrameIdentification>();
    page->EnsureControls();
  }
  // Opened on a shown form, so that the operator's keys reach it, and loaded.
  void OpenShown(const std::string& content) {
    Open(content);
    form->Show();
    PumpUntilIdle();
    page->LoadSettings();
  }
  std::string Value(const std::string& key) {
    return profile::ReadString(WorkFileName, "UserData", key, "<absent>", 2048);
  }
  ScratchFolder folder;
  std::unique_ptr<Form> form;
  TFrameIdentification* page = nullptr;
};

TEST_F(IdentificationTest, TheProductIdWinsOverTheProductKeyAndMovesToIt) {
  struct Case {
    const char* keys;
    const char* shown;
    const char* savedKey;
  } cases[] = {
      {"ProductKey=AAAAA-11111\r\n", "AAAAA-11111", "AAAAA-11111"},
      {"ProductKey=AAAAA-11111\r\nProductID=BBBBB-22222\r\n", "BBBBB-22222", "BBBBB-22222"},
      {"ProductKey=AAAAA-11111\r\nProductID=\r\n", "", ""},
      {"FullName=x\r\n", "", ""},
  };
  for (const Case& c : cases) {
    Open(std::string("[UserData]\r\n") + c.keys);
    page->LoadSettings();
    EXPECT_EQ(page->edSerial->Text(), c.shown) << c.keys;
    page->SaveSettings();
    EXPECT_EQ(Value("ProductKey"), c.savedKey) << c.keys;
    EXPECT_EQ(Value("ProductID"), "<absent>") << c.keys;
  }
}

TEST_F(IdentificationTest, AMissingComputerNameShowsAndSavesTheGenerateRequest) {
  Open("[UserData]\r\nFullName=Иван Петров\r\n");
  page->LoadSettings();
  EXPECT_EQ(page->edComputerName->Text(), "*");
  EXPECT_EQ(page->edFullName->Text(), "Иван Петров");
  page->SaveSettings();
  EXPECT_EQ(Value("ComputerName"), "*");
}

TEST_F(IdentificationTest, EmptyBoxesAreWrittenAsPresentEmptyKeys) {
  Open("[UserData]\r\nFullName=Иван\r\nOrgName=ООО\r\nComputerName=PC1\r\n");
  page->LoadSettings();
  page->edFullName->SetText("");
  page->edComputerName->SetText("");
  page->SaveSettings();
  EXPECT_EQ(Value("FullName"), "");
  EXPECT_EQ(Value("ComputerName"), "");
  EXPECT_EQ(Value("OrgName"), "ООО");
}

TEST_F(IdentificationTest, APageNeverLoadedWritesNothing) {
  std::string content = "[UserData]\r\nProductID=BBBBB\r\n";
  Open(content);
  page->SaveSettings();
  EXPECT_EQ(ReadWholeFile(WorkFileName), content);
}

TEST_F(IdentificationTest, TheComputerNameBoxTakesAtMost63TypedCharacters) {
  std::string stored(70, 'N');
  Open("[UserData]\r\nComputerName=" + stored + "\r\n");
  page->LoadSettings();
  EXPECT_EQ(page->edComputerName->Text(), stored) << "a longer stored name is shown as read";
  form->Show();
  page->edComputerName->SetText("");
  Type(*page->edComputerName, std::string(80, 'a'));
  EXPECT_EQ(page->edComputerName->Text(), std::string(63, 'a'));
}

TEST_F(IdentificationTest, OddFilesAreShownAndWrittenAsTheyRead) {
  std::string longName(300, 'L');
  Open("[userdata]\r\nfullname = \"Иванов Иван\"\r\nORGNAME='ООО \"Рога\"'\r\nComputerName=" + longName +
       "\r\n[UserData]\r\nFullName=второй раздел\r\n");
  page->LoadSettings();
  EXPECT_EQ(page->edFullName->Text(), "Иванов Иван") << "quotes removed, first section counts";
  EXPECT_EQ(page->edOrgName->Text(), "ООО \"Рога\"");
  EXPECT_EQ(page->edComputerName->Text(), std::string(260, 'L')) << "read limit of the pages";
  page->SaveSettings();
  std::string text = ReadWholeFile(WorkFileName);
  EXPECT_NE(text.find("fullname = \"Иванов Иван\""), std::string::npos) << "the key keeps its spelling";
  EXPECT_NE(text.find("FullName=второй раздел"), std::string::npos) << "the second section is left alone";
  EXPECT_EQ(Value("ComputerName"), longName) << "a cut value saved unchanged keeps its end";
}

}  // namespace

TEST_F(IdentificationTest, MarksComeAndGoAsTheOperatorTypesAndTypedValuesAreSavedAsTheyStand) {
  OpenShown("[UserData]\r\nComputerName=PC01\r\nProductKey=ABCDE-12345-FGHIJ-67890-KLMNO\r\n");
  EXPECT_EQ(page->edComputerName->Warning(), "");
  EXPECT_EQ(page->edSerial->Warning(), "");

  page->edComputerName->SetText("");
  Type(*page->edComputerName, "1");
  EXPECT_NE(page->edComputerName->Warning().find("из одних цифр"), std::string::npos);
  Type(*page->edComputerName, "2-KASSA");
  EXPECT_EQ(page->edComputerName->Warning(), "");
  Type(*page->edComputerName, "-ZAL-23");
  EXPECT_EQ(page->edComputerName->Text(), "12-KASSA-ZAL-23");
  EXPECT_EQ(page->edComputerName->Warning(), "") << "15 characters";
  Type(*page->edComputerName, "4");
  EXPECT_NE(page->edComputerName->Warning().find("видно только «12-KASSA-ZAL-23»"), std::string::npos);
  Type(*page->edComputerName, "\b");
  EXPECT_EQ(page->edComputerName->Warning(), "");
  Type(*page->edComputerName, "\b\b 7");
  EXPECT_NE(page->edComputerName->Warning().find("пробел"), std::string::npos);

  page->edSerial->SetText("");
  Type(*page->edSerial, "ABCDE-12345");
  EXPECT_NE(page->edSerial->Warning().find("пять групп"), std::string::npos);
  Type(*page->edSerial, "-FGHIJ-67890-KLMNO");
  EXPECT_EQ(page->edSerial->Warning(), "");
  Type(*page->edSerial, "\b");

  // The marks only advise: what was typed is what is written.
  page->SaveSettings();
  EXPECT_EQ(Value("ComputerName"), "12-KASSA-ZAL- 7");
  EXPECT_EQ(Value("ProductKey"), "ABCDE-12345-FGHIJ-67890-KLMN");
  EXPECT_NE(page->edSerial->Warning(), "");

  // A file's own values are marked as soon as the page shows them.
  OpenShown("[UserData]\r\nComputerName=\r\nProductID=123\r\n");
  EXPECT_NE(page->edComputerName->Warning().find("не задано"), std::string::npos);
  EXPECT_NE(page->edSerial->Warning(), "");
}

// A stored value setup would read otherwise is marked with what it reads;
// typed again, even unchanged, it loses the mark and is written whole.
TEST_F(IdentificationTest, AValueSetupWouldCutIsMarkedUntilTypedAndThenWrittenWhole) {
  OpenShown("[UserData]\r\nFullName = Петров, Иван\r\nOrgName=\"ООО \"\"Ромашка\"\"\"\r\nComputerName=PC01\r\n");
  EXPECT_EQ(page->edFullName->Text(), "Петров, Иван");
  EXPECT_NE(page->edFullName->Warning().find("Установка прочтёт только «Петров»"), std::string::npos);
  EXPECT_EQ(page->edOrgName->Text(), "ООО \"Ромашка\"");
  EXPECT_EQ(page->edOrgName->Warning(), "");

  page->edFullName->SetText("");
  Type(*page->edFullName, "x\b");
  EXPECT_NE(page->edFullName->Warning().find("не задано"), std::string::npos) << "setup stops and asks";
  Type(*page->edFullName, "Петров, Иван");
  EXPECT_EQ(page->edFullName->Warning(), "");
  Type(*page->edComputerName, ",2");
  EXPECT_NE(page->edComputerName->Warning().find("«,»"), std::string::npos);

  page->SaveSettings();
  EXPECT_EQ(SetupText(WorkFileName, "UserData", "FullName"), std::optional<std::string>("Петров, Иван"));
  EXPECT_EQ(SetupText(WorkFileName, "UserData", "OrgName"), std::optional<std::string>("ООО \"Ромашка\""));
}
