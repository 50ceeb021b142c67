// The pages' value access: the working copy unless a file is named, the
// 260-character read, empty values.

#include "dialog/CommonSettringFrame.h"
#include "gui/Form.h"
#include "support/TestFiles.h"
#include "profile/Profile.h"

#include <gtest/gtest.h>

using namespace kivtest;

namespace {

class ValueAccessTest : public testing::Test {
 protected:
  void SetUp() override {
    WorkFileName = folder / "work.inf.new";
    WriteWholeFile(WorkFileName, "[UserData]\r\nFullName=Рабочая\r\n");
    WriteWholeFile(folder / "other.inf", "[UserData]\r\nFullName=Другая\r\n");
  }
  std::string Read(const std::string& key, const std::string& def, const std::string& file = "") {
    std::string value = "garbage";
    ReadProfileValue("UserData", key, def, file, value);
    return value;
  }
  ScratchFolder folder;
};

TEST_F(ValueAccessTest, ReadsTheWorkingCopyUnlessAFileIsNamed) {
  EXPECT_EQ(Read("FullName", ""), "Рабочая");
  EXPECT_EQ(Read("FullName", "", folder / "other.inf"), "Другая");
  EXPECT_EQ(Read("OrgName", "нет"), "нет");
  EXPECT_EQ(Read("FullName", "нет", folder / "absent.inf"), "нет");
}

TEST_F(ValueAccessTest, AnEmptyValueIsNotTheDefault) {
  WriteProfileValue("UserData", "OrgName", "");
  EXPECT_EQ(Read("OrgName", "нет"), "");
  EXPECT_NE(ReadWholeFile(WorkFileName).find("OrgName="), std::string::npos);
}

TEST_F(ValueAccessTest, ALongValueIsCutTo260Characters) {
  std::string longValue(300, 'x');
  longValue[259] = 'y';
  WriteProfileValue("UserData", "Long", longValue);
  std::string got = Read("Long", "");
  EXPECT_EQ(got.size(), 260u);
  EXPECT_EQ(got.back(), 'y');
}

TEST_F(ValueAccessTest, PageMethodsWriteAndDeleteInTheWorkingCopyOnly) {
  gui::Form form({.name = "form"});
  auto* page = form.Create<TCommonSettingsFrame>("page");
  page->WriteValue("Display", "BitsPerPel", "32");
  std::string value;
  page->ReadValue("Display", "BitsPerPel", "", "", value);
  EXPECT_EQ(value, "32");
  page->DeleteKey("UserData", "FullName");
  page->DeleteKey("UserData", "Absent");
  page->DeleteKey("NoSuchSection", "Absent");
  page->ReadValue("UserData", "FullName", "нет", "", value);
  EXPECT_EQ(value, "нет");
  EXPECT_EQ(ReadWholeFile(folder / "other.inf"), "[UserData]\r\nFullName=Другая\r\n");
  EXPECT_FALSE(page->Loaded());
  EXPECT_FALSE(page->IsSaveAllowed()) << "a page never loaded may not save";
  page->LoadSettings();
  EXPECT_TRUE(page->IsSaveAllowed());
}

}  // namespace

namespace {

// A long value is shown cut, but a page writing the cut text back unchanged
// must not lose the value's end.
TEST_F(ValueAccessTest, ALongValueWrittenBackUnchangedKeepsItsEnd) {
  std::string whole = "*.corp.example;" + std::string(300, 'h') + ";<local>";
  WriteWholeFile(WorkFileName, "[Proxy]\r\nProxy_Override=\"" + whole + "\"\r\n");
  std::string shown;
  ReadProfileValue("Proxy", "Proxy_Override", "", "", shown);
  EXPECT_EQ(shown.size(), 260u);
  WriteProfileValue("Proxy", "Proxy_Override", shown);
  EXPECT_EQ(ReadWholeFile(WorkFileName), "[Proxy]\r\nProxy_Override=\"" + whole + "\"\r\n");

  std::string edited = shown.substr(0, 100);
  ReadProfileValue("Proxy", "Proxy_Override", "", "", shown);
  WriteProfileValue("Proxy", "Proxy_Override", edited);
  std::string value;
  ReadProfileValue("Proxy", "Proxy_Override", "", "", value);
  EXPECT_EQ(value, edited) << "an edited value is written as given";
  WriteProfileValue("Proxy", "Proxy_Override", edited);
  EXPECT_EQ(profile::ReadString(WorkFileName, "Proxy", "Proxy_Override", "", 4096), edited);
}

}  // namespace
