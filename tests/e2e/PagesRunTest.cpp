// The real editor over an answer file that holds every key the pages write,
// in the form they write it: visiting every page and saving changes nothing,
// and an edit on a page changes exactly its lines. This is the road of an
// edit from a box to the committed answer file.

#include "e2e/EditorRun.h"
#include "support/SetupReads.h"

#include <commctrl.h>

namespace kivtest {
namespace {

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

// Shaped like the documented two-adapter example, with a quoted proxy list.
const std::string kAnswerFile = Lines({
    "; Site answer file",
    "[Data]",
    "UnattendedInstall = \"Yes\"",
    "",
    "[Unattended]",
    "UnattendMode = FullUnattended",
    "OemSkipEula = Yes",
    "",
    "[GuiUnattended]",
    "AdminPassword = \"*\"",
    "TimeZone = 145",
    "",
    "[UserData]",
    "ComputerName = PC01",
    "FullName = \"Бухгалтерия\"",
    "OrgName = \"ООО Пример\"",
    "ProductKey = \"XXXXX-XXXXX-XXXXX-XXXXX-XXXXX\"",
    "",
    "[Identification]",
    "JoinDomain = CORP",
    "DomainAdmin = \"CORP\\deploy\"",
    "DomainAdminPassword = \"secret\"",
    "MachineObjectOU = \"OU=Accounting,DC=corp,DC=example\"",
    "",
    "[Networking]",
    "InstallDefaultComponents = No",
    "",
    "[NetAdapters]",
    "Adapter01 = params.Adapter01",
    "Adapter02 = params.Adapter02",
    "",
    "[params.Adapter01]",
    "InfID = \"PCI\\VEN_8086&DEV_1229\"",
    "NetCardAddress = 0x00A0C9112233",
    "ConnectionName = \"Corporate\"",
    "",
    "[params.Adapter02]",
    "InfID = \"PCI\\VEN_10B7&DEV_9200\"",
    "ConnectionName = \"Lab Network\"",
    "",
    "[NetProtocols]",
    "MS_TCPIP = params.MS_TCPIP",
    "",
    "[params.MS_TCPIP]",
    "AdapterSections = params.MS_TCPIP.Adapter01,params.MS_TCPIP.Adapter02",
    "DNSDomain = corp.example",
    "DNSSuffixSearchOrder = corp.example,example",
    "EnableLMHosts = Yes",
    "EnableSecurity = No",
    "SyncDomainWithMembership = Yes",
    "UseDomainNameDevolution = Yes",
    "",
    "[params.MS_TCPIP.Adapter01]",
    "SpecificTo = Adapter01",
    "DHCP = No",
    "IPAddress = 10.1.2.30",
    "SubnetMask = 255.255.255.0",
    "DefaultGateway = 10.1.2.1",
    "DNSServerSearchOrder = 10.1.2.5,10.1.2.6",
    "WINSServerList = 10.1.2.7",
    "WINS = Yes",
    "NetBIOSOptions = 1",
    "",
    "[params.MS_TCPIP.Adapter02]",
    "SpecificTo = Adapter02",
    "DHCP = Yes",
    "WINS = No",
    "NetBIOSOptions = 0",
    "",
    "[Branding]",
    "BrandIEUsingUnattended = Yes",
    "",
    "[Proxy]",
    "Proxy_Enable = 1",
    "Use_Same_Proxy = 1",
    "HTTP_Proxy_Server = proxy.corp.example:8080",
    "Proxy_Override = \"*.corp.example;<local>\"",
    "",
    "[Display]",
    "BitsPerPel = 32",
    "Xresolution = 1024",
    "Yresolution = 768",
    "Vrefresh = 75",
});

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  if (at == std::string::npos) {
    ADD_FAILURE() << "no " << from;
    return text;
  }
  return text.replace(at, from.size(), to);
}

class PagesRun : public EditorRun {
 protected:
  void SetUp() override {
    WriteWholeFile(answerFile, kAnswerFile);
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog());
  }
  // Every page of the dialog and every tab of the network page, there and back.
  void VisitEverything() {
    int pages = TabCount("PC");
    ASSERT_EQ(pages, 4) << "no KivEdt.ini commands and no UDB files: four pages";
    for (int i = 1; i < pages; ++i) ClickTab("PC", i);
    ClickTab("PC", 1);
    // Left to right only: Wine's tab control misplaces a click on a strip
    // scrolled back to the left.
    for (int i = 0; i < TabCount("pc_network"); ++i) ClickTab("pc_network", i);
    ClickTab("PC", 0);
  }
  void SaveAndFinish() {
    ClickButton("btnSave");
    ASSERT_EQ(Finish(), 0);
    EXPECT_FALSE(FileExists(answerFile + ".new"));
  }
};

TEST_F(PagesRun, VisitingEveryPageAndSavingChangesNothing) {
  VisitEverything();
  SaveAndFinish();
  EXPECT_EQ(ReadWholeFile(answerFile), kAnswerFile);
}

TEST_F(PagesRun, UserDataAndDisplayEditsReachTheirLines) {
  ClickTab("PC", 0);
  SetText("edFullName", "Касса №2");
  SetText("edComputerName", "PC77");
  int display = -1;
  for (int i = 0; i < TabCount("PC"); ++i) {
    ClickTab("PC", i);
    if (Window("cbColorDeptch") && IsWindowVisible(Window("cbColorDeptch"))) display = i;
    if (display >= 0) break;
  }
  ASSERT_GE(display, 0);
  // 16 bits and 800x600, picked as the lists' entries.
  SendMessageA(Window("cbColorDeptch"), CB_SETCURSEL, 2, 0);
  SendMessageA(Window("cbResolution"), CB_SETCURSEL, 2, 0);
  ClickTab("PC", 0);
  SaveAndFinish();
  std::string expected = Replace(kAnswerFile, "FullName = \"Бухгалтерия\"", "FullName = \"Касса №2\"");
  expected = Replace(expected, "ComputerName = PC01", "ComputerName = PC77");
  expected = Replace(expected, "BitsPerPel = 32", "BitsPerPel = 16");
  expected = Replace(expected, "Xresolution = 1024\r\nYresolution = 768", "Xresolution = 800\r\nYresolution = 600");
  EXPECT_EQ(ReadWholeFile(answerFile), expected);
}

TEST_F(PagesRun, AnAddressTypedOnTheTcpipTabReachesTheAdaptersSection) {
  ClickTab("PC", 1);
  ASSERT_TRUE(IsWindowVisible(Window("edIP"))) << "the network page opens on TCP/IP";
  SetText("edIP", "10.1.2.99");
  ClickTab("PC", 0);
  SaveAndFinish();
  EXPECT_EQ(ReadWholeFile(answerFile), Replace(kAnswerFile, "IPAddress = 10.1.2.30", "IPAddress = 10.1.2.99"));
}

TEST_F(PagesRun, AnEditOnEachOfTheOtherNetworkTabsReachesItsLine) {
  ClickTab("PC", 1);
  ClickTab("pc_network", 2);
  SetText("edDNSDomain", "branch.example");
  ClickTab("pc_network", 3);
  SetText("edHTTPProxyPort", "3128");
  ClickTab("pc_network", 4);
  SetText("edConnectionName", "Сеть филиала");
  ClickTab("PC", 0);
  SaveAndFinish();
  std::string expected = Replace(kAnswerFile, "DNSDomain = corp.example", "DNSDomain = branch.example");
  expected = Replace(expected, "proxy.corp.example:8080", "proxy.corp.example:3128");
  // The connection name is stored in the OEM code page, as setup reads it.
  std::string oem = "Сеть филиала";
  CharToOemBuffA(oem.data(), oem.data(), static_cast<DWORD>(oem.size()));
  expected = Replace(expected, "ConnectionName = \"Corporate\"", "ConnectionName = \"" + oem + "\"");
  EXPECT_EQ(ReadWholeFile(answerFile), expected);
}

// Values setup would reject are marked on their boxes, and that is all: Save
// commits them as typed, and the countdown runs out over them, both without
// a box.
TEST_F(PagesRun, ValuesSetupWouldRejectAreSavedAsTyped) {
  ClickTab("PC", 0);
  SetText("edComputerName", "12345");
  SetText("edSerial", "ABCDE-12345");
  ClickTab("PC", 1);
  SetText("edIP", "10.1.2.300");
  SetText("EdIPDefaultGatewey", "10.9.9.1");
  ClickTab("PC", 0);
  SaveAndFinish();
  std::string expected = Replace(kAnswerFile, "ComputerName = PC01", "ComputerName = 12345");
  expected = Replace(expected, "XXXXX-XXXXX-XXXXX-XXXXX-XXXXX", "ABCDE-12345");
  expected = Replace(expected, "IPAddress = 10.1.2.30", "IPAddress = 10.1.2.300");
  expected = Replace(expected, "DefaultGateway = 10.1.2.1", "DefaultGateway = 10.9.9.1");
  EXPECT_EQ(ReadWholeFile(answerFile), expected);
}

// The example with every kind of quoting setup's parser knows: text in
// quotes with commas and doubled quotes, lists quoted item by item and one
// quoted as a whole.
class QuotedValuesRun : public PagesRun {
 protected:
  void SetUp() override {
    quoted = Replace(kAnswerFile, "FullName = \"Бухгалтерия\"", "FullName = \"Бухгалтерия, касса 2\"");
    quoted = Replace(quoted, "OrgName = \"ООО Пример\"", "OrgName = \"ООО \"\"Пример\"\"\"");
    quoted =
        Replace(quoted, "DNSServerSearchOrder = 10.1.2.5,10.1.2.6", "DNSServerSearchOrder = \"10.1.2.5\",\"10.1.2.6\"");
    quoted = Replace(quoted, "WINSServerList = 10.1.2.7", "WINSServerList = \"10.1.2.7,10.1.2.8\"");
    quoted = Replace(quoted, "DomainAdminPassword = \"secret\"", "DomainAdminPassword = \"se,cr;et\"");
    WriteWholeFile(answerFile, quoted);
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog());
  }
  std::string quoted;
};

// What setup reads of the committed file, asked of setupapi: a text with a
// comma reaches it whole, a list item by item, whatever the old line.
TEST_F(PagesRun, TypedTextsAndListsReachSetupAsTyped) {
  ClickTab("PC", 0);
  SetText("edFullName", "Петров, Иван");
  ClickTab("PC", 1);
  SetText("edIP", "10.1.2.5,10.1.2.6");
  SetText("edIPMask", "255.255.255.0,255.255.255.0");
  SetText("edDNSServers", "10.1.1.1,10.1.1.2");
  ClickTab("pc_network", 0);
  SetText("edDomainAdminLogin", "CORP\\adm,1");
  SetText("edMachineObjectOU", "OU=PCs,OU=Kiev,DC=corp,DC=local");
  ClickTab("PC", 0);
  SaveAndFinish();
  using Fields = std::vector<std::string>;
  EXPECT_EQ(SetupText(answerFile, "UserData", "FullName"), std::optional<std::string>("Петров, Иван"));
  EXPECT_EQ(SetupText(answerFile, "Identification", "DomainAdmin"), std::optional<std::string>("CORP\\adm,1"));
  EXPECT_EQ(SetupText(answerFile, "Identification", "MachineObjectOU"),
            std::optional<std::string>("OU=PCs,OU=Kiev,DC=corp,DC=local"));
  EXPECT_EQ(SetupFields(answerFile, "params.MS_TCPIP.Adapter01", "IPAddress"),
            std::optional<Fields>(Fields{"10.1.2.5", "10.1.2.6"}));
  EXPECT_EQ(SetupFields(answerFile, "params.MS_TCPIP.Adapter01", "DNSServerSearchOrder"),
            std::optional<Fields>(Fields{"10.1.1.1", "10.1.1.2"}));
}

TEST_F(QuotedValuesRun, VisitingEveryPageAndSavingRewritesNoneOfThem) {
  VisitEverything();
  SaveAndFinish();
  EXPECT_EQ(ReadWholeFile(answerFile), quoted);
}

TEST_F(QuotedValuesRun, AListQuotedAsAWholeIsWrittenItemByItemOnceTyped) {
  ClickTab("PC", 1);
  EXPECT_EQ(Text("edWinsSrvers"), "10.1.2.7,10.1.2.8") << "the box shows the list, not its quotes";
  SetText("edWinsSrvers", "10.1.2.7,10.1.2.9");
  ClickTab("PC", 0);
  SaveAndFinish();
  EXPECT_EQ(SetupFields(answerFile, "params.MS_TCPIP.Adapter01", "WINSServerList"),
            std::optional<std::vector<std::string>>({"10.1.2.7", "10.1.2.9"}));
}

// A name with quotes, typed, shown again on a second visit, saved, and the
// editor started again on the result: the box shows it, and setup reads it,
// the same each time.
TEST_F(PagesRun, AQuotedNameRoundTripsThroughSaveAndASecondRun) {
  const std::string name = "ООО \"Ромашка\"";
  ClickTab("PC", 0);
  SetText("edOrgName", name);
  ClickTab("PC", 1);
  ClickTab("PC", 0);
  EXPECT_EQ(Text("edOrgName"), name);
  SaveAndFinish();
  const std::string saved = ReadWholeFile(answerFile);
  EXPECT_EQ(SetupText(answerFile, "UserData", "OrgName"), std::optional<std::string>(name));
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  EXPECT_EQ(Text("edOrgName"), name);
  SaveAndFinish();
  EXPECT_EQ(ReadWholeFile(answerFile), saved);
}

// An adapter of [NetAdapters] without a TCP/IP section of its own: the
// section its tab writes is one setup applies.
using UnlinkedAdapterRun = EditorRun;

TEST_F(UnlinkedAdapterRun, AStaticAddressReachesASectionSetupApplies) {
  WriteWholeFile(answerFile,
                 Lines({"[NetAdapters]", "Adapter1 = params.Adapter1", "", "[params.Adapter1]", "InfID = *", "",
                        "[NetProtocols]", "MS_TCPIP = params.MS_TCPIP", "", "[params.MS_TCPIP]", "DNS = No"}));
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  ClickTab("PC", 1);
  if (SendMessageA(Window("chkDHCPEnable"), BM_GETCHECK, 0, 0) == BST_CHECKED) ClickButton("chkDHCPEnable");
  SetText("edIP", "10.1.2.40");
  SetText("edIPMask", "255.255.255.0");
  ClickTab("PC", 0);
  ClickButton("btnSave");
  ASSERT_EQ(Finish(), 0);
  EXPECT_EQ(SetupFields(answerFile, "params.MS_TCPIP", "AdapterSections"),
            std::optional<std::vector<std::string>>({"params.MS_TCPIP.Adapter1"}));
  EXPECT_EQ(SetupText(answerFile, "params.MS_TCPIP.Adapter1", "SpecificTo"), std::optional<std::string>("Adapter1"));
  EXPECT_EQ(SetupText(answerFile, "params.MS_TCPIP.Adapter1", "IPAddress"), std::optional<std::string>("10.1.2.40"));
  EXPECT_EQ(SetupText(answerFile, "params.MS_TCPIP.Adapter1", "DHCP"), std::optional<std::string>("No"));
}

using MarkedValuesRun = EditorRun;

TEST_F(MarkedValuesRun, TheCountdownRunsOutOverThem) {
  std::string marked = Replace(kAnswerFile, "ComputerName = PC01", "ComputerName = PC 01");
  marked = Replace(marked, "SubnetMask = 255.255.255.0", "SubnetMask = 255.0.255.0");
  marked = Replace(marked, "JoinDomain = CORP", "JoinWorkgroup = BUHGALTERIYA-GLAVNAYA");
  WriteWholeFile(answerFile, marked);
  WriteWholeFile(folder / "KivEdt.ini", "[KivEditor]\r\nTimeOut=2\r\n");
  Start("-f:winnt.sif");
  ASSERT_TRUE(WaitForDialog());
  EXPECT_EQ(Finish(15000), 0);
  EXPECT_EQ(ReadWholeFile(answerFile), marked);
}

using AdminPasswordRun = EditorRun;

TEST_F(AdminPasswordRun, ATypedPasswordIsStoredAsPlainTextAndAnUntouchedHashStays) {
  const std::string hashed =
      Replace(kAnswerFile, "AdminPassword = \"*\"",
              "AdminPassword = 8e2f3c1a9b7d6e5f4a3b2c1d0e9f8a7b\r\nEncryptedAdminPassword = Yes");
  for (const char* typed : {"", "Пароль1"}) {
    WriteWholeFile(answerFile, hashed);
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog());
    ClickTab("PC", 1);
    if (*typed) SetText("edLocalAdminPassword", typed);
    ClickTab("PC", 0);
    ClickButton("btnSave");
    ASSERT_EQ(Finish(), 0);
    if (*typed)
      EXPECT_EQ(ReadWholeFile(answerFile), Replace(kAnswerFile, "AdminPassword = \"*\"",
                                                   "AdminPassword = Пароль1\r\nEncryptedAdminPassword = No"));
    else
      EXPECT_EQ(ReadWholeFile(answerFile), hashed) << "a visit without typing changes neither key";
  }
}

}  // namespace
}  // namespace kivtest
