// The profile engine on real files: what reads give, what writes leave in the
// file byte for byte, and how it notices changes made behind its back.

#include "ProfileTestFiles.h"
#include "profile/IniFiles.h"
#include "profile/Profile.h"
#include "profile/ProfileEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

using namespace kivtest;

namespace {

class ProfileFile : public testing::Test {
 protected:
  ScratchFolder folder;
  std::string Read(const std::string& file, const std::string& section, const std::string& key,
                   const std::string& def = "<default>", size_t buffer = 261) {
    return profile::ReadString(file, section, key, def, buffer);
  }
};

using ProfileRead = ProfileFile;
using ProfileWrite = ProfileFile;
using ProfileCache = ProfileFile;

TEST_F(ProfileRead, EmptyValueMissingKeyAndLinesWithoutEquals) {
  const auto file = Put(folder, "a.ini",
                        "[UserData]\r\nFullName=\r\nOrgName =   \r\nComputerName\r\n"
                        "[Empty]\r\n");
  EXPECT_EQ(Read(file, "UserData", "FullName"), "");
  EXPECT_EQ(Read(file, "UserData", "OrgName"), "");
  EXPECT_EQ(Read(file, "UserData", "ComputerName"), "<default>");
  EXPECT_EQ(Read(file, "UserData", "ProductKey"), "<default>");
  EXPECT_EQ(Read(file, "Empty", "FullName"), "<default>");
  EXPECT_EQ(Read(file, "Network", "FullName"), "<default>");
  EXPECT_EQ(Read(folder / "missing.ini", "UserData", "FullName"), "<default>");
  // The default is given back as the platform gives it.
  EXPECT_EQ(Read(file, "UserData", "ProductKey", "'quoted'  "), "quoted");
  EXPECT_EQ(Read(file, "UserData", "ProductKey", "abcdef", 4), "abc");
}

TEST_F(ProfileRead, ValuesAreCutOneShortOfTheBuffer) {
  const std::string v300(300, 'x');
  const std::string v260(260, 'y');
  const std::string v2100(2100, 'z');
  const std::string v2047(2047, 'w');
  const auto file = Put(folder, "cut.ini",
                        "[S]\r\nLong=" + v300 + "\r\nQuoted260=\"" + v260 + "\"\r\nLonger=" + v2100 +
                            "\r\nQuoted2047='" + v2047 + "'\r\n");
  EXPECT_EQ(Read(file, "S", "Long"), v300.substr(0, 260));
  EXPECT_EQ(Read(file, "S", "Quoted260"), v260);
  EXPECT_EQ(Read(file, "S", "Quoted260", "", 200), v260.substr(0, 199));
  TIniFile ini(file);
  EXPECT_EQ(ini.ReadString("S", "Longer", ""), v2100.substr(0, 2047));
  EXPECT_EQ(ini.ReadString("S", "Quoted2047", ""), v2047);
  EXPECT_EQ(ini.ReadString("S", "Long", ""), v300);
  EXPECT_EQ(Read(file, "S", "Long", "", 1), "");
  EXPECT_EQ(Read(file, "S", "Long", "", 0), "");
}

TEST_F(ProfileRead, BlanksAndOnePairOfQuotes) {
  const auto file = Put(folder, "q.ini",
                        "  [ Proxy ]  \n"
                        "\t Proxy_Override \t=\t \"*.corp.example;<local>\" \t\n"
                        "Inner = \"  keeps blanks  \"\n"
                        "Single='x'\n"
                        "Mixed=\"x'\n"
                        "Lone=\"\n"
                        "Pair=\"\"\n"
                        "Double=\"\"x\"\"\n"
                        "Trailing = value ; not a comment to the profile functions\n");
  EXPECT_EQ(Read(file, "Proxy", "Proxy_Override"), "*.corp.example;<local>");
  EXPECT_EQ(Read(file, "  Proxy ", " Proxy_Override\t"), "*.corp.example;<local>");
  EXPECT_EQ(Read(file, "Proxy", "Inner"), "  keeps blanks  ");
  EXPECT_EQ(Read(file, "Proxy", "Single"), "x");
  EXPECT_EQ(Read(file, "Proxy", "Mixed"), "\"x'");
  EXPECT_EQ(Read(file, "Proxy", "Lone"), "\"");
  EXPECT_EQ(Read(file, "Proxy", "Pair"), "");
  EXPECT_EQ(Read(file, "Proxy", "Double"), "\"x\"");
  EXPECT_EQ(Read(file, "Proxy", "Trailing"), "value ; not a comment to the profile functions");
}

TEST_F(ProfileRead, NamesMatchWithoutCaseCyrillicIncluded) {
  const auto file = Put(folder, "c.ini", "[UserData]\r\nFullName=Ivan\r\n[Сеть]\r\nИмяЁлки=ель\r\nµ=micro\r\n");
  EXPECT_EQ(Read(file, "USERDATA", "fullname"), "Ivan");
  EXPECT_EQ(Read(file, "сеть", "имяёлки"), "ель");
  EXPECT_EQ(Read(file, "СЕТЬ", "ИМЯЁЛКИ"), "ель");
  EXPECT_EQ(Read(file, "Сеть", "ИмяЕлки"), "<default>");  // Е is not Ё
  EXPECT_EQ(Read(file, "Сеть", "µ"), "micro");
  EXPECT_EQ(Read(file, "Сеть", "M"), "<default>");
}

TEST(ProfileFold, AgreesWithTheSystemsCaseInsensitiveComparison) {
  // Every pair of characters of the code page: equal after folding exactly
  // when the system's comparison without case calls them equal.
  int differences = 0;
  for (int a = 1; a < 256; ++a)
    for (int b = 1; b < 256; ++b) {
      const char ca = static_cast<char>(a), cb = static_cast<char>(b);
      const bool system = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, &ca, 1, &cb, 1) == CSTR_EQUAL;
      const bool folded = profile::Fold(std::string(1, ca)) == profile::Fold(std::string(1, cb));
      if (system != folded && ++differences < 5) ADD_FAILURE() << std::hex << a << " " << b << " system " << system;
    }
  EXPECT_EQ(differences, 0);
}

TEST_F(ProfileRead, FirstOfDuplicatesAndKeysBeforeTheFirstSection) {
  const auto file = Put(
      folder, "d.ini", "TopKey=top\r\n[S]\r\nA=1\r\na=2\r\n[T]\r\nB=1\r\n[s]\r\nA=3\r\nC=4\r\n[]\r\nTopKey=hidden\r\n");
  EXPECT_EQ(Read(file, "S", "A"), "1");
  EXPECT_EQ(Read(file, "S", "C"), "<default>");  // in the second [S], which reads never see
  EXPECT_EQ(Read(file, "", "TopKey"), "top");
  EXPECT_EQ(Read(file, "S", "TopKey"), "<default>");
  EXPECT_EQ(profile::ReadSectionNames(file), (std::vector<std::string>{"S", "T", "s"}));
  EXPECT_TRUE(profile::SectionExists(file, "t"));
  EXPECT_FALSE(profile::SectionExists(file, ""));
  EXPECT_FALSE(profile::SectionExists(file, "U"));
  // A write goes where the reads look: into the first [S].
  ASSERT_TRUE(profile::WriteString(file, "S", "C", "new"));
  EXPECT_EQ(Read(file, "S", "C"), "new");
  EXPECT_NE(ReadWholeFile(file).find("a=2\r\nC=new\r\n[T]"), std::string::npos);
}

TEST_F(ProfileRead, Integers) {
  const auto file = Put(folder, "i.ini",
                        "[KivEditor]\r\nTimeOut=45\r\nNeg=-7\r\nHex=0x1F\r\nUpperHex=0X1F\r\nTail=12abc\r\n"
                        "Word=abc\r\nEmpty=\r\nQuoted=\"15\"\r\nWrap=4294967297\r\nBlank=  8\r\n");
  EXPECT_EQ(profile::ReadInt(file, "kiveditor", "timeout", 30), 45);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Neg", 30), -7);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Hex", 30), 31);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "UpperHex", 30), 0);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Tail", 30), 12);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Word", 30), 0);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Empty", 30), 30);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Quoted", 30), 15);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Wrap", 30), 1);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Blank", 30), 8);
  EXPECT_EQ(profile::ReadInt(file, "KivEditor", "Missing", 30), 30);
  EXPECT_EQ(profile::ReadInt(folder / "none.ini", "KivEditor", "TimeOut", 30), 30);
}

TEST_F(ProfileRead, KeyListsSkipCommentsAndLinesWithoutValues) {
  const auto file = Put(folder, "k.ini",
                        "[UDB]\r\n; a comment=1\r\nFirst=1\r\njust text\r\n=nameless\r\n Second = 2\r\n"
                        "First=dup\r\nThird=\"3\"\r\n[Other]\r\nX=1\r\n");
  EXPECT_EQ(profile::ReadKeys(file, "udb"), (std::vector<std::string>{"First", "Second", "First", "Third"}));
  // A name that does not fit whole is left out with all after it: "First",
  // "Second" and their NULs and the final NUL take 14 characters.
  EXPECT_EQ(profile::ReadKeys(file, "UDB", 14), (std::vector<std::string>{"First", "Second"}));
  EXPECT_EQ(profile::ReadKeys(file, "UDB", 13), (std::vector<std::string>{"First"}));
  EXPECT_TRUE(profile::ReadKeys(file, "UDB", 2).empty());
  EXPECT_TRUE(profile::ReadKeys(file, "Missing").empty());
  EXPECT_EQ(profile::ReadSectionNames(file, 11), (std::vector<std::string>{"UDB", "Other"}));
  EXPECT_EQ(profile::ReadSectionNames(file, 10), (std::vector<std::string>{"UDB"}));

  TIniFile ini(file);
  std::vector<std::string> list{"stale"};
  ini.ReadSection("UDB", list);
  EXPECT_EQ(list, (std::vector<std::string>{"First", "Second", "First", "Third"}));
  // A duplicate key lists the value a read of it gives, the first line's, as
  // the platform's key list read key by key does: the entries of a computer's
  // editor section and the values its merge reads always agree.
  ini.ReadSectionValues("UDB", list);
  EXPECT_EQ(list, (std::vector<std::string>{"First=1", "Second=2", "First=1", "Third=3"}));
  std::vector<std::string> platform;
  char keys[1024] = {};
  const DWORD length = GetPrivateProfileStringA("UDB", nullptr, "", keys, sizeof(keys), file.c_str());
  // The platform lists the nameless entry as an empty name, which is no key.
  for (const char* key = keys; key < keys + length; key += strlen(key) + 1) {
    if (!*key) continue;
    char value[261] = {};
    GetPrivateProfileStringA("UDB", key, "", value, sizeof(value), file.c_str());
    platform.push_back(std::string(key) + "=" + value);
  }
  EXPECT_EQ(list, platform);
  ini.ReadSectionValues("Missing", list);
  EXPECT_TRUE(list.empty());
}

TEST_F(ProfileRead, Utf8FileWithByteOrderMark) {
  const auto file =
      Put(folder, "u.ini", "\xEF\xBB\xBF[\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C]\nName=\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\n");
  EXPECT_EQ(Read(file, "Сеть", "Name"), "Иван");
  ASSERT_TRUE(profile::WriteString(file, "сеть", "Org", "Рога"));
  EXPECT_EQ(ReadWholeFile(file),
            "\xEF\xBB\xBF[\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C]\nName=\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\n"
            "Org=\xD0\xA0\xD0\xBE\xD0\xB3\xD0\xB0\n");
  EXPECT_EQ(Read(file, "Сеть", "Org"), "Рога");
}

TEST_F(ProfileWrite, CreatesFileSectionAndKey) {
  const auto file = folder / "new.ini";
  ASSERT_TRUE(profile::WriteString(file, "UserData", "FullName", "Ivan"));
  EXPECT_EQ(ReadWholeFile(file), "[UserData]\r\nFullName=Ivan\r\n");
  ASSERT_TRUE(profile::WriteString(file, "userdata", "OrgName", ""));
  ASSERT_TRUE(profile::WriteString(file, "Display", "BitsPerPel", "32"));
  EXPECT_EQ(ReadWholeFile(file), "[UserData]\r\nFullName=Ivan\r\nOrgName=\r\n\r\n[Display]\r\nBitsPerPel=32\r\n");
  EXPECT_EQ(Read(file, "UserData", "OrgName"), "");
  EXPECT_FALSE(profile::WriteString(folder / "no-such-folder\\x.ini", "S", "K", "v"));
  // A bare name is in the current folder, where the program's file copies
  // put it too (the platform's functions would look in the Windows folder).
  char previous[MAX_PATH + 1] = {};
  GetCurrentDirectoryA(sizeof(previous), previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
  const bool bareWritten = profile::WriteString("bare.ini", "S", "K", "v");
  const std::string bareRead = Read("bare.ini", "S", "K");
  SetCurrentDirectoryA(previous);
  EXPECT_TRUE(bareWritten);
  EXPECT_EQ(bareRead, "v");
  EXPECT_EQ(ReadWholeFile(folder / "bare.ini"), "[S]\r\nK=v\r\n");
  EXPECT_THROW(TIniFile(folder / "no-such-folder\\x.ini").WriteString("S", "K", "v"), std::runtime_error);
}

TEST_F(ProfileWrite, ChangesAValueInPlaceAndNothingElse) {
  const std::string before =
      "; answer file\n[UserData]\n  FullName = \"Old Name\"   \nOrgName=Org\n\n[Data]\nMsDosInitiated=\"0\"\n";
  const auto file = Put(folder, "p.ini", before);
  ASSERT_TRUE(profile::WriteString(file, "USERDATA", "fullname", "New Name"));
  ASSERT_TRUE(profile::WriteString(file, "UserData", "OrgName", "'Quoted'"));
  EXPECT_EQ(ReadWholeFile(file),
            "; answer file\n[UserData]\n  FullName = \"New Name\"\nOrgName='Quoted'\n\n[Data]\nMsDosInitiated=\"0\"\n");
  EXPECT_EQ(Read(file, "UserData", "FullName"), "New Name");
  EXPECT_EQ(Read(file, "UserData", "OrgName"), "Quoted");
  // The same value again leaves the file as it is.
  const std::string now = ReadWholeFile(file);
  ASSERT_TRUE(profile::WriteString(file, "UserData", "FullName", "New Name"));
  EXPECT_EQ(ReadWholeFile(file), now);
  // A line without "=" is the key's entry, and gets its value.
  const auto bare = Put(folder, "bare.ini", "[S]\r\nKey\r\nOther=1\r\n");
  ASSERT_TRUE(profile::WriteString(bare, "S", "key", "v"));
  EXPECT_EQ(ReadWholeFile(bare), "[S]\r\nKey=v\r\nOther=1\r\n");
}

TEST_F(ProfileWrite, NewKeyGoesAfterTheLastEntryOfItsSection) {
  const auto file = Put(folder, "n.ini",
                        "[params.MS_TCPIP]\r\n    DNSDomain = corp.example\r\n; about the adapter\r\n\r\n"
                        "[params.MS_TCPIP.Adapter1]\r\nDHCP=No\r\n[Empty]\r\n; nothing yet\r\n\r\n[Last]\r\nA=1");
  ASSERT_TRUE(profile::WriteString(file, "params.MS_TCPIP", "EnableLMHosts", "Yes"));
  ASSERT_TRUE(profile::WriteString(file, "Empty", "K", "v"));
  ASSERT_TRUE(profile::WriteString(file, "Last", "B", "2"));
  EXPECT_EQ(
      ReadWholeFile(file),
      "[params.MS_TCPIP]\r\n    DNSDomain = corp.example\r\n    EnableLMHosts = Yes\r\n; about the adapter\r\n\r\n"
      "[params.MS_TCPIP.Adapter1]\r\nDHCP=No\r\n[Empty]\r\nK=v\r\n; nothing yet\r\n\r\n[Last]\r\nA=1\r\nB=2");
  ASSERT_TRUE(profile::WriteString(file, "New", "C", "3"));
  const std::string tail = "[Last]\r\nA=1\r\nB=2\r\n\r\n[New]\r\nC=3";
  const std::string after = ReadWholeFile(file);
  EXPECT_EQ(after.substr(after.size() - std::min(after.size(), tail.size())), tail);
  // Into the part before the first header, at the top when it is empty.
  const auto top = Put(folder, "top.ini", "\xEF\xBB\xBF[S]\nK=1\n");
  ASSERT_TRUE(profile::WriteString(top, "", "Top", "t"));
  EXPECT_EQ(ReadWholeFile(top), "\xEF\xBB\xBFTop=t\n[S]\nK=1\n");
}

TEST_F(ProfileWrite, SemicolonValuesAreQuotedForSetup) {
  const auto file = Put(folder, "s.ini", "[Proxy]\r\nProxy_Override=old\r\n");
  const struct {
    const char* value;
    const char* stored;
    const char* reads;
  } cases[] = {
      {"*.corp.example;<local>", "\"*.corp.example;<local>\"", "*.corp.example;<local>"},
      {"\"a;b\"", "\"a;b\"", "a;b"},
      {"'a;b'", "\"a;b\"", "a;b"},
      {"\"a;b", "\"\"a;b\"", "\"a;b"},
      {"  x;y  ", "\"x;y\"", "x;y"},
      // The quotes of the value replaced stay.
      {"plain", "\"plain\"", "plain"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(profile::WriteString(file, "Proxy", "Proxy_Override", c.value)) << c.value;
    EXPECT_EQ(ReadWholeFile(file), std::string("[Proxy]\r\nProxy_Override=") + c.stored + "\r\n") << c.value;
    EXPECT_EQ(Read(file, "Proxy", "Proxy_Override"), c.reads) << c.value;
  }
}

TEST_F(ProfileWrite, RefusesWhatWouldNotReadBack) {
  const std::string before = "[S]\r\nK=1\r\n";
  const auto file = Put(folder, "r.ini", before);
  EXPECT_FALSE(profile::WriteString(file, "S", "K", "line\r\n[Injected]"));
  EXPECT_FALSE(profile::WriteString(file, "S\nT", "K", "v"));
  EXPECT_FALSE(profile::WriteString(file, "S", "A=B", "v"));
  EXPECT_FALSE(profile::WriteString(file, "S", "  ", "v"));
  EXPECT_FALSE(profile::WriteString(file, "S", "[T]", "v"));
  EXPECT_EQ(ReadWholeFile(file), before);
  EXPECT_THROW(TIniFile(file).WriteString("S", "K", "a\nb"), std::runtime_error);
  // A NUL ends an argument, as it does for the platform's functions.
  ASSERT_TRUE(profile::WriteString(file, "S", std::string("K\0junk", 6), std::string("v\0junk", 6)));
  EXPECT_EQ(ReadWholeFile(file), "[S]\r\nK=v\r\n");
}

TEST_F(ProfileWrite, DeleteRemovesTheKeysLinesOnly) {
  const auto file = Put(folder, "del.ini",
                        "[UserData]\nProductID=1\nFullName=x\n; keep me\nproductid=2\n\n"
                        "[Other]\nProductID=3\n[USERDATA]\nProductID=4\n");
  ASSERT_TRUE(profile::DeleteKey(file, "userdata", "ProductID"));
  EXPECT_EQ(ReadWholeFile(file), "[UserData]\nFullName=x\n; keep me\n\n[Other]\nProductID=3\n[USERDATA]\n");
  EXPECT_EQ(Read(file, "UserData", "ProductID"), "<default>");
  const std::string now = ReadWholeFile(file);
  EXPECT_TRUE(profile::DeleteKey(file, "UserData", "ProductKey"));
  EXPECT_TRUE(profile::DeleteKey(file, "Missing", "ProductID"));
  EXPECT_EQ(ReadWholeFile(file), now);
  EXPECT_TRUE(profile::DeleteKey(folder / "none.ini", "S", "K"));
  EXPECT_FALSE(FileExists(folder / "none.ini"));
  // The last line, without a line break.
  const auto last = Put(folder, "last.ini", "[S]\r\nA=1\r\nB=2");
  ASSERT_TRUE(profile::DeleteKey(last, "S", "B"));
  EXPECT_EQ(ReadWholeFile(last), "[S]\r\nA=1\r\n");
  TIniFile(last).DeleteKey("S", "A");
  EXPECT_EQ(ReadWholeFile(last), "[S]\r\n");
}

TEST_F(ProfileWrite, FileHeldByAnotherProgramIsAFailure) {
  const std::string before = "[S]\r\nK=1\r\n";
  const auto file = Put(folder, "held.ini", before);
  EXPECT_EQ(Read(file, "S", "K"), "1");
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(profile::WriteString(file, "S", "K", "2"));
  EXPECT_FALSE(profile::DeleteKey(file, "S", "K"));
  try {
    TIniFile(file).WriteString("S", "K", "2");
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + file);
  }
  // Reads never fail: a file that cannot be opened, and is not known to be
  // unchanged since it was parsed, gives the default.
  EXPECT_EQ(Read(file, "S", "K"), "<default>");
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(file), before);
  EXPECT_EQ(Read(file, "S", "K"), "1");
}

// Overwrites the file's bytes the way another program would, and gives it
// back the last-write time it had.
void ChangeBehindTheBack(const std::string& file, const std::string& bytes) {
  WIN32_FILE_ATTRIBUTE_DATA before;
  ASSERT_TRUE(GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &before));
  WriteWholeFile(file, bytes);
  HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(handle, nullptr, nullptr, &before.ftLastWriteTime));
  CloseHandle(handle);
}

TEST_F(ProfileCache, ReusesTheParseWhileTheFileIsUnchanged) {
  const auto file = Put(folder, "c.ini", "[S]\r\nK=1\r\n");
  const auto first = profile::LoadProfile(file);
  EXPECT_EQ(profile::LoadProfile(file).get(), first.get());
  EXPECT_EQ(profile::LoadProfile(folder.Path() + "\\.\\C.INI").get(), first.get());
  ASSERT_TRUE(profile::WriteString(file, "S", "K", "2"));
  const auto written = profile::LoadProfile(file);
  EXPECT_NE(written.get(), first.get());
  EXPECT_EQ(profile::LoadProfile(file).get(), written.get());
}

TEST_F(ProfileCache, SeesAChangeOfTheSameSizeWithTheOldTimeStamp) {
  const auto file = Put(folder, "same.ini", "[S]\r\nK=1\r\n");
  EXPECT_EQ(Read(file, "S", "K"), "1");
  ChangeBehindTheBack(file, "[S]\r\nK=2\r\n");
  EXPECT_EQ(Read(file, "S", "K"), "2");
  // And a write goes into the changed text, not the remembered one.
  ASSERT_TRUE(profile::WriteString(file, "S", "L", "3"));
  EXPECT_EQ(ReadWholeFile(file), "[S]\r\nK=2\r\nL=3\r\n");
  DeleteFileA(file.c_str());
  EXPECT_EQ(Read(file, "S", "K"), "<default>");
}

TEST_F(ProfileCache, SeesACopyWithAnOldTimeStampOverAFileKnownToBeOld) {
  // Time stamps are trusted only for a file that has not changed for a few
  // seconds; wait that long so that this test reaches the trusted path.
  const auto file = Put(folder, "old.ini", "[S]\r\nK=1\r\n");
  const auto source = Put(folder, "source.ini", "[S]\r\nK=9\r\n");
  WIN32_FILE_ATTRIBUTE_DATA old;
  ASSERT_TRUE(GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &old));
  Sleep(3500);
  EXPECT_EQ(Read(file, "S", "K"), "1");
  const auto trusted = profile::LoadProfile(file);
  EXPECT_EQ(profile::LoadProfile(file).get(), trusted.get());
  // Known unchanged by its stamps, the file still reads while another
  // program holds it without sharing.
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Read(file, "S", "K"), "1");
  CloseHandle(held);
  ASSERT_TRUE(CopyFileA(source.c_str(), file.c_str(), FALSE));
  HANDLE handle = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(handle, &old.ftCreationTime, &old.ftLastAccessTime, &old.ftLastWriteTime));
  CloseHandle(handle);
  EXPECT_EQ(Read(file, "S", "K"), "9");
}

TEST_F(ProfileCache, InsideABatchTheStampsDecide) {
  const auto file = Put(folder, "batch.ini", "[S]\r\nK=1\r\n");
  HANDLE held = INVALID_HANDLE_VALUE;
  {
    profile::Batch batch;
    EXPECT_EQ(Read(file, "S", "K"), "1");
    // Read once in the batch, the file is not read again while its stamps
    // hold: it reads even while another program holds it without sharing.
    held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Read(file, "S", "K"), "1");
  }
  // Outside a batch a file changed seconds ago must be read to be believed,
  // and this one cannot be opened.
  EXPECT_EQ(Read(file, "S", "K"), "<default>");
  CloseHandle(held);

  profile::Batch batch;
  ASSERT_TRUE(profile::WriteString(file, "S", "K", "2"));
  EXPECT_EQ(Read(file, "S", "K"), "2");
  // A change of size behind the batch's back is seen, by reads and by the
  // next write, which goes into the changed text.
  ChangeBehindTheBack(file, "[S]\r\nK=333\r\n");
  EXPECT_EQ(Read(file, "S", "K"), "333");
  ChangeBehindTheBack(file, "[S]\r\nK=4444\r\n");
  ASSERT_TRUE(profile::WriteString(file, "S", "L", "5"));
  EXPECT_EQ(ReadWholeFile(file), "[S]\r\nK=4444\r\nL=5\r\n");
}

TEST_F(ProfileCache, AFileInMemoryShadowsTheDiskAndLeavesItUntouched) {
  const std::string text = "[S]\r\nK=1\r\n";
  const auto file = Put(folder, "memory.ini", text);
  const auto original = profile::LoadProfile(file);
  ASSERT_TRUE(original);
  {
    profile::MemoryProfile memory(folder / "MEMORY.INI", original);
    ASSERT_TRUE(profile::WriteString(file, "S", "K", "2"));
    ASSERT_TRUE(profile::WriteString(file, "T", "L", "3"));
    ASSERT_TRUE(profile::DeleteKey(file, "S", "K"));
    ASSERT_TRUE(profile::WriteString(file, "S", "M", "4"));
    EXPECT_EQ(Read(file, "T", "L"), "3");
    EXPECT_EQ(Read(file, "S", "K"), "<default>");
    EXPECT_EQ(memory.Document()->Bytes(), "[S]\r\nM=4\r\n\r\n[T]\r\nL=3\r\n");
    // The document it started from is shared, so it stays as it was.
    EXPECT_EQ(original->Bytes(), text);
    EXPECT_EQ(ReadWholeFile(file), text);
  }
  EXPECT_EQ(Read(file, "S", "K"), "1");
  // A name no file has holds a text all the same, and leaves no file.
  const std::string none = folder / "none.ini";
  {
    profile::MemoryProfile memory(none, nullptr);
    EXPECT_EQ(Read(none, "S", "K"), "<default>");
    ASSERT_TRUE(profile::WriteString(none, "S", "K", "5"));
    EXPECT_EQ(Read(none, "S", "K"), "5");
  }
  EXPECT_EQ(GetFileAttributesA(none.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The real answer files: each write or delete changes the lines it must and
// leaves every other one byte for byte as it was.
std::vector<std::string> SplitLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t begin = 0;
  while (begin < bytes.size()) {
    size_t end = bytes.find('\n', begin);
    end = end == std::string::npos ? bytes.size() : end + 1;
    lines.push_back(bytes.substr(begin, end - begin));
    begin = end;
  }
  return lines;
}

// The lines of `after` that differ from `before`, and the lines of `before`
// they took the place of, once the equal lines at both ends are set aside.
struct LineChange {
  std::vector<std::string> removed, added;
};

LineChange Difference(const std::string& before, const std::string& after) {
  const auto a = SplitLines(before), b = SplitLines(after);
  size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  return {{a.begin() + head, a.end() - tail}, {b.begin() + head, b.end() - tail}};
}

std::string LineBreakOf(const std::string& line) { return line.substr(line.find_last_not_of("\r\n") + 1); }

TEST_F(ProfileWrite, RealAnswerFilesKeepEveryUntouchedLine) {
  const auto samples = SampleAnswerFiles();
  ASSERT_GE(samples.size(), 5u) << "sample answer files not found in " << KIV_SAMPLES_DIR;
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample);
    const std::string original = ReadWholeFile(sample);
    const auto file = Put(folder, "sample.ini", original);
    std::vector<std::string> sections;
    for (const auto& section : profile::ReadSectionNames(file))
      if (!profile::ReadKeys(file, section).empty()) sections.push_back(section);
    ASSERT_GE(sections.size(), 2u);
    const auto firstKeys = profile::ReadKeys(file, sections.front());
    const auto lastKeys = profile::ReadKeys(file, sections.back());

    // A changed value: its line only, up to the value as it was.
    ASSERT_TRUE(profile::WriteString(file, sections.front(), firstKeys.front(), "Changed;Value"));
    auto change = Difference(original, ReadWholeFile(file));
    ASSERT_EQ(change.removed.size(), 1u);
    ASSERT_EQ(change.added.size(), 1u);
    const std::string& old = change.removed[0];
    const size_t valueAt = old.find_first_not_of(" \t", old.find('=') + 1);
    EXPECT_EQ(change.added[0], old.substr(0, valueAt) + "\"Changed;Value\"" + LineBreakOf(old));
    EXPECT_EQ(Read(file, sections.front(), firstKeys.front()), "Changed;Value");
    const std::string afterChange = ReadWholeFile(file);

    // A deleted key: its line only.
    ASSERT_TRUE(profile::DeleteKey(file, sections.back(), lastKeys.back()));
    change = Difference(afterChange, ReadWholeFile(file));
    ASSERT_EQ(change.removed.size(), 1u);
    EXPECT_EQ(change.removed[0].find(lastKeys.back()), change.removed[0].find_first_not_of(" \t"));
    EXPECT_TRUE(change.added.empty());
    EXPECT_EQ(Read(file, sections.back(), lastKeys.back()), "<default>");
    const std::string afterDelete = ReadWholeFile(file);

    // A new key: one line more, in its section.
    ASSERT_TRUE(profile::WriteString(file, sections[1], "KivAdded", "Added"));
    change = Difference(afterDelete, ReadWholeFile(file));
    EXPECT_TRUE(change.removed.empty());
    ASSERT_EQ(change.added.size(), 1u);
    EXPECT_EQ(change.added[0].find("KivAdded"), change.added[0].find_first_not_of(" \t")) << change.added[0];
    EXPECT_EQ(Read(file, sections[1], "KivAdded"), "Added");
    EXPECT_EQ(profile::ReadKeys(file, sections[1]).back(), "KivAdded");
    const std::string afterAdd = ReadWholeFile(file);

    // A new section: at the end, after the file's bytes as they were.
    ASSERT_TRUE(profile::WriteString(file, "KivNewSection", "KivNew", ""));
    const std::string final = ReadWholeFile(file);
    EXPECT_EQ(final.substr(0, afterAdd.size()), afterAdd);
    EXPECT_NE(final.find("[KivNewSection]" + LineBreakOf(SplitLines(original).front()) + "KivNew="), std::string::npos);
    EXPECT_EQ(Read(file, "KivNewSection", "KivNew"), "");
  }
}

}  // namespace
