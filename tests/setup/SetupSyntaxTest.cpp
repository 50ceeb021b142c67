// What setup reads: our reading of its field syntax against setupapi's own,
// values written through the pages' write path read back by setupapi, the
// marks for stored values setup reads otherwise, and the linking of adapter
// sections.

#include "profile/Profile.h"
#include "setup/AdapterSections.h"
#include "setup/AnswerFile.h"
#include "setup/SetupSyntax.h"
#include "support/SetupReads.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

using namespace kivtest;
using Fields = std::vector<std::string>;

namespace {

class SetupSyntaxTest : public testing::Test {
 protected:
  void SetUp() override {
    AnswerFileName = folder / "winnt.sif";
    WorkFileName = AnswerFileName + ".new";
  }
  // A working copy holding one key's line, stored as given.
  void OneLine(const std::string& section, const std::string& key, const std::string* stored) {
    std::string text = "[Data]\r\nMsDosInitiated = 0\r\n\r\n[" + section + "]\r\n";
    if (stored) text += key + " = " + *stored + "\r\n";
    text += "Other = 1\r\n";
    WriteWholeFile(WorkFileName, text);
  }
  ScratchFolder folder;
};

TEST_F(SetupSyntaxTest, OurParseOfAValueIsSetupapis) {
  // The oracle itself is checked here on hand-written lines, and our parser
  // must split every one of them as it does.
  struct Case {
    const char* stored;
    Fields fields;
    bool commentCut;
  } cases[] = {
      {"Петров, Иван", {"Петров", "Иван"}, false},
      {"\"Петров, Иван\"", {"Петров, Иван"}, false},
      {"\"ООО \"\"Ромашка\"\"\"", {"ООО \"Ромашка\""}, false},
      {"ООО \"Ромашка\"", {"ООО Ромашка"}, false},
      {"secret;word", {"secret"}, true},
      {"\"secret;word\"", {"secret;word"}, false},
      {"10.1.2.5 ; old address", {"10.1.2.5"}, true},
      {"\"10.1.2.5\",\"10.1.2.6\"", {"10.1.2.5", "10.1.2.6"}, false},
      {"\"10.1.2.5,10.1.2.6\"", {"10.1.2.5,10.1.2.6"}, false},
      {" 10.1.2.5 ,  10.1.2.6 ", {"10.1.2.5", "10.1.2.6"}, false},
      {"a  b", {"a  b"}, false},
      {"\" padded \"", {" padded "}, false},
      {"x,,y", {"x", "", "y"}, false},
      {"x,", {"x", ""}, false},
      {"C:\\TOOLS\\RUN.EXE", {"C:\\TOOLS\\RUN.EXE"}, false},
      {"'single'", {"'single'"}, false},
      {"", {""}, false},
  };
  for (const Case& c : cases) {
    const std::string stored = c.stored;
    OneLine("S", "K", &stored);
    const auto oracle = SetupFields(WorkFileName, "S", "K");
    ASSERT_TRUE(oracle) << stored;
    EXPECT_EQ(*oracle, c.fields) << "setupapi on " << stored;
    const inf::Parsed ours = inf::ParseValue(stored);
    EXPECT_EQ(ours.fields, c.fields) << stored;
    EXPECT_EQ(ours.commentCut, c.commentCut) << stored;
  }
  // A backslash at the end of the line joins the next one to the value.
  WriteWholeFile(WorkFileName, "[S]\r\nK = C:\\I386\\\r\nNext = 1\r\n");
  EXPECT_NE(SetupText(WorkFileName, "S", "K"), std::optional<std::string>("C:\\I386\\"));
  EXPECT_TRUE(inf::ParseValue("C:\\I386\\").continued);
  EXPECT_FALSE(inf::ParseValue("C:\\I386\\X").continued);
}

TEST_F(SetupSyntaxTest, TypedTextReachesSetupAsTypedWhateverTheOldLine) {
  const char* typed[] = {"Петров, Иван",
                         "CORP\\adm,1",
                         "OU=PCs,OU=Kiev,DC=corp,DC=local",
                         "pass;word",
                         "ООО \"Ромашка\"",
                         " padded ",
                         "Плоский текст",
                         "C:\\TOOLS\\",
                         "'quoted'",
                         "ends\"",
                         ""};
  const std::string oldQuoted = "\"Старое\"", oldPlain = "Старое";
  for (const std::string* old : {&oldQuoted, &oldPlain, static_cast<const std::string*>(nullptr)}) {
    for (const char* value : typed) {
      const std::string context = std::string("typed [") + value + "] over " + (old ? *old : "nothing");
      OneLine("UserData", "FullName", old);
      WriteProfileValue("UserData", "FullName", value);
      EXPECT_EQ(SetupText(WorkFileName, "UserData", "FullName"), std::optional<std::string>(value)) << context;
      std::string shown;
      ReadProfileValue("UserData", "FullName", "", "", shown);
      EXPECT_EQ(shown, value) << context;
      // Shown again and saved again, the line stays as it is.
      const std::string before = ReadWholeFile(WorkFileName);
      WriteProfileValue("UserData", "FullName", shown, true);
      EXPECT_EQ(ReadWholeFile(WorkFileName), before) << context;
    }
  }
  // Plain text keeps the file's style: the old line's quotes, or none.
  OneLine("UserData", "FullName", &oldQuoted);
  WriteProfileValue("UserData", "FullName", "Иванов");
  EXPECT_EQ(profile::ReadStoredText(WorkFileName, "UserData", "FullName"), std::optional<std::string>("\"Иванов\""));
  OneLine("UserData", "FullName", &oldPlain);
  WriteProfileValue("UserData", "FullName", "Иванов");
  EXPECT_EQ(profile::ReadStoredText(WorkFileName, "UserData", "FullName"), std::optional<std::string>("Иванов"));
}

TEST_F(SetupSyntaxTest, TypedListsReachSetupItemByItem) {
  struct Typed {
    const char* text;
    Fields items;
  } typed[] = {
      {"10.1.2.5,10.1.2.6", {"10.1.2.5", "10.1.2.6"}},         {"10.1.1.1, 10.1.1.2", {"10.1.1.1", "10.1.1.2"}},
      {"\"10.1.2.5\",\"10.1.2.6\"", {"10.1.2.5", "10.1.2.6"}}, {"192.168.0.10", {"192.168.0.10"}},
      {"corp.example;branch", {"corp.example;branch"}},
  };
  const std::string quotedWhole = "\"192.168.0.10,192.168.0.11\"", perItem = "\"192.168.0.10\",\"192.168.0.11\"",
                    plain = "192.168.0.10";
  for (const std::string* old : {&quotedWhole, &perItem, &plain, static_cast<const std::string*>(nullptr)}) {
    for (const Typed& t : typed) {
      const std::string context = std::string("typed [") + t.text + "] over " + (old ? *old : "nothing");
      OneLine("params.MS_TCPIP.Adapter1", "IPAddress", old);
      WriteProfileValue("params.MS_TCPIP.Adapter1", "IPAddress", t.text);
      EXPECT_EQ(SetupFields(WorkFileName, "params.MS_TCPIP.Adapter1", "IPAddress"), std::optional<Fields>(t.items))
          << context;
      std::string shown;
      ReadProfileValue("params.MS_TCPIP.Adapter1", "IPAddress", "", "", shown);
      const std::string before = ReadWholeFile(WorkFileName);
      WriteProfileValue("params.MS_TCPIP.Adapter1", "IPAddress", shown, true);
      EXPECT_EQ(ReadWholeFile(WorkFileName), before) << context;
    }
  }
}

TEST_F(SetupSyntaxTest, AValueNotChangedKeepsItsBytesUnlessTypedOverWhereSetupReadsItOtherwise) {
  const std::string file =
      "[UserData]\r\nFullName = Петров, Иван\r\nOrgName=\"ООО \"\"Ромашка\"\"\"\r\nComputerName='PC01'\r\n\r\n"
      "[params.MS_TCPIP.Adapter1]\r\nIPAddress = \"10.1.2.5,10.1.2.6\"\r\nDNSServerSearchOrder = "
      "\"10.1.1.1\" , \"10.1.1.2\"\r\n";
  WriteWholeFile(WorkFileName, file);
  const std::pair<const char*, const char*> keys[] = {{"UserData", "FullName"},
                                                      {"UserData", "OrgName"},
                                                      {"UserData", "ComputerName"},
                                                      {"params.MS_TCPIP.Adapter1", "IPAddress"},
                                                      {"params.MS_TCPIP.Adapter1", "DNSServerSearchOrder"}};
  for (const auto& [section, key] : keys) {
    std::string shown;
    ReadProfileValue(section, key, "", "", shown);
    WriteProfileValue(section, key, shown);
  }
  EXPECT_EQ(ReadWholeFile(WorkFileName), file);

  // The operator typing the same text over a value setup reads otherwise
  // has it written right; over one it reads as shown, nothing moves.
  WriteProfileValue("UserData", "FullName", "Петров, Иван", true);
  EXPECT_EQ(SetupText(WorkFileName, "UserData", "FullName"), std::optional<std::string>("Петров, Иван"));
  WriteProfileValue("params.MS_TCPIP.Adapter1", "IPAddress", "10.1.2.5,10.1.2.6", true);
  EXPECT_EQ(SetupFields(WorkFileName, "params.MS_TCPIP.Adapter1", "IPAddress"),
            std::optional<Fields>(Fields{"10.1.2.5", "10.1.2.6"}));
  const std::string before = ReadWholeFile(WorkFileName);
  WriteProfileValue("UserData", "OrgName", "ООО \"Ромашка\"", true);
  EXPECT_EQ(ReadWholeFile(WorkFileName), before);
}

TEST_F(SetupSyntaxTest, StoredValuesSetupReadsOtherwiseAreNamedWithWhatItReads) {
  struct Case {
    const char* key;
    const char* stored;
    const char* says;  // a part of the reason; nullptr: no reason
  } cases[] = {
      {"FullName", "Петров, Иван", "только «Петров»"},
      {"FullName", "\"Петров, Иван\"", nullptr},
      {"AdminPassword", "pass;word", "«;»"},
      {"OrgName", "ООО \"Ромашка\"", "«ООО Ромашка»"},
      {"OrgName", "\"ООО \"\"Ромашка\"\"\"", nullptr},
      {"JoinDomain", "CORP", nullptr},
      {"ComputerName", "'PC01'", "«'PC01'»"},
      {"IPAddress", "\"10.1.2.5,10.1.2.6\"", "один элемент «10.1.2.5,10.1.2.6»"},
      {"IPAddress", "\"10.1.2.5\",\"10.1.2.6\"", nullptr},
      {"IPAddress", "10.1.2.5, 10.1.2.6", nullptr},
      {"DNSServerSearchOrder", "10.1.1.1 ; old", "только «10.1.1.1»"},
      {"OemFilesPath", "C:\\OEM\\", "следующую строку"},
  };
  for (const Case& c : cases) {
    const std::string reason = inf::ReadsOtherwise(c.stored, inf::KindOfKey(c.key));
    if (c.says)
      EXPECT_NE(reason.find(c.says), std::string::npos) << c.stored << ": " << reason;
    else
      EXPECT_EQ(reason, "") << c.stored;
  }
  // Through the working copy, only while the box still shows the stored value.
  WriteWholeFile(WorkFileName, "[UserData]\r\nFullName = Петров, Иван\r\n");
  EXPECT_NE(SetupReadsOtherwise("UserData", "FullName", "Петров, Иван"), "");
  EXPECT_EQ(SetupReadsOtherwise("UserData", "FullName", "Петров, Иван Ильич"), "");
  EXPECT_EQ(SetupReadsOtherwise("UserData", "OrgName", ""), "");
}

TEST_F(SetupSyntaxTest, AnAdapterSectionIsListedAndLinkedWhereSetupLooks) {
  const std::string base =
      "[NetAdapters]\r\nAdapter1 = params.Adapter1\r\nAdapter2 = params.Adapter2\r\n\r\n"
      "[NetProtocols]\r\nMS_TCPIP = params.MS_TCPIP\r\n\r\n";
  // A new section: listed, its items kept, and linked.
  WriteWholeFile(WorkFileName, base +
                                   "[params.MS_TCPIP]\r\nAdapterSections = \"params.MS_TCPIP.LAN\"\r\n\r\n"
                                   "[params.MS_TCPIP.LAN]\r\nSpecificTo = Adapter1\r\nDHCP = Yes\r\n");
  WriteProfileValue("params.MS_TCPIP.Adapter2", "IPAddress", "10.1.2.5");
  LinkAdapterSection("params.MS_TCPIP", "params.MS_TCPIP.Adapter2", "Adapter2");
  EXPECT_EQ(SetupFields(WorkFileName, "params.MS_TCPIP", "AdapterSections"),
            std::optional<Fields>(Fields{"params.MS_TCPIP.LAN", "params.MS_TCPIP.Adapter2"}));
  EXPECT_EQ(SetupText(WorkFileName, "params.MS_TCPIP.Adapter2", "SpecificTo"), std::optional<std::string>("Adapter2"));

  // A section listed and linked already: nothing changes, whatever the case.
  std::string before = ReadWholeFile(WorkFileName);
  LinkAdapterSection("params.MS_TCPIP", "PARAMS.MS_TCPIP.lan", "Adapter1");
  LinkAdapterSection("params.MS_TCPIP", "params.MS_TCPIP.Adapter2", "Adapter2");
  EXPECT_EQ(ReadWholeFile(WorkFileName), before);

  // Listed but not linked: it gets its SpecificTo, the list stays.
  WriteWholeFile(WorkFileName, base +
                                   "[params.MS_TCPIP]\r\nAdapterSections = params.MS_TCPIP.A\r\n\r\n"
                                   "[params.MS_TCPIP.A]\r\nDHCP = No\r\n");
  LinkAdapterSection("params.MS_TCPIP", "params.MS_TCPIP.A", "Adapter1");
  EXPECT_EQ(SetupText(WorkFileName, "params.MS_TCPIP", "AdapterSections"),
            std::optional<std::string>("params.MS_TCPIP.A"));
  EXPECT_EQ(SetupText(WorkFileName, "params.MS_TCPIP.A", "SpecificTo"), std::optional<std::string>("Adapter1"));

  // An adapter that [NetAdapters] does not name: listed, but a SpecificTo
  // would tie the section to an adapter setup never installs.
  WriteWholeFile(WorkFileName, "[NetProtocols]\r\nMS_TCPIP = params.MS_TCPIP\r\n\r\n[params.MS_TCPIP]\r\nDNS = No\r\n");
  LinkAdapterSection("params.MS_TCPIP", "params.MS_TCPIP.Adapter1", "Adapter1");
  EXPECT_EQ(SetupText(WorkFileName, "params.MS_TCPIP", "AdapterSections"),
            std::optional<std::string>("params.MS_TCPIP.Adapter1"));
  EXPECT_FALSE(profile::ReadStoredText(WorkFileName, "params.MS_TCPIP.Adapter1", "SpecificTo"));

  // Without a protocol section nothing is written.
  before = ReadWholeFile(WorkFileName);
  LinkAdapterSection("", "params.MS_TCPIP.Adapter1", "Adapter1");
  EXPECT_EQ(ReadWholeFile(WorkFileName), before);
}

}  // namespace
