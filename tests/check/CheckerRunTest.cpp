// The real KivCheck.exe as a process: its report on the planted tree in
// text and tab-separated form, its exit codes, and the files it read left
// as they were.

#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kivtest;

namespace {

struct CheckerOutput {
  int exitCode = -1;
  std::string out, err;
};

// Runs the checker in `directory`; its output goes to files of a folder of
// the test's own, never beside what it reads, or to `console`, a screen
// buffer of the test's console.
CheckerOutput RunChecker(const std::string& arguments, const std::string& directory, HANDLE console = nullptr) {
  ScratchFolder outputs;
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE out =
      CreateFileA((outputs / "out").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  HANDLE err =
      CreateFileA((outputs / "err").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = console ? console : out;
  startup.hStdError = console ? console : err;
  PROCESS_INFORMATION process{};
  // Built piece by piece: GCC 12 at -O3 warns of an overlapping copy in "\"" + path.
  std::string commandLine = "\"";
  commandLine += HostPath(KIV_CHECKER);
  commandLine += "\" ";
  commandLine += arguments;
  CheckerOutput result;
  if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, console ? 0 : CREATE_NO_WINDOW, nullptr,
                     directory.c_str(), &startup, &process)) {
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process.hProcess, &code);
      result.exitCode = static_cast<int>(code);
    } else {
      TerminateProcess(process.hProcess, 99);
      ADD_FAILURE() << "KivCheck did not end: " << arguments;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    ADD_FAILURE() << "cannot start " << commandLine;
  }
  CloseHandle(out);
  CloseHandle(err);
  result.out = ReadWholeFile(outputs / "out");
  result.err = ReadWholeFile(outputs / "err");
  return result;
}

std::string Planted(const std::string& name) { return HostPath(KIV_CHECK_PLANTED "/" + name); }

const char* const kTreeFiles[] = {"winnt.sif",
                                  "planted.UDB",
                                  "KivEdt.ini",
                                  "KivEdt-nofile.ini",
                                  "media\\I386\\TXTSETUP.SIF",
                                  "media\\Site\\Tools\\present.exe",
                                  "clean\\winnt.sif",
                                  "clean\\site.UDB",
                                  "warned\\winnt.sif",
                                  "warned\\site.UDB"};

std::vector<std::string> FilesUnder(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      for (const std::string& inner : FilesUnder(folder + "\\" + name)) names.push_back(name + "\\" + inner);
    } else {
      names.push_back(name);
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring Widen(const std::string& text, UINT codePage) {
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// What the checker could have left in the temporary folder it shares with
// the test.
std::vector<std::string> TempEntries() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((std::string(temp) + "KivCheck*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

// The planted tree copied into a folder of the test's own, so that the
// report names one path whatever the checkout's.
class PlantedTree : public testing::Test {
 protected:
  PlantedTree() {
    for (const char* sub : {"media", "media\\I386", "media\\Site", "media\\Site\\Tools", "clean", "warned"})
      CreateDirectoryA((tree / sub).c_str(), nullptr);
    for (const char* name : kTreeFiles) {
      std::string source = name;
      std::replace(source.begin(), source.end(), '\\', '/');
      if (!CopyFileA(Planted(source).c_str(), (tree / name).c_str(), FALSE)) ADD_FAILURE() << "cannot copy " << name;
    }
  }
  // The report with the tree's path as "<tree>".
  std::string WithTreeNamed(std::string text) const {
    for (size_t at = text.find(tree.Path()); at != std::string::npos; at = text.find(tree.Path(), at))
      text.replace(at, tree.Path().size(), "<tree>");
    return text;
  }
  ScratchFolder tree;
};

TEST_F(PlantedTree, TheTextReportNamesEveryPlantedFinding) {
  const CheckerOutput run = RunChecker("winnt.sif planted.UDB /media:media", tree.Path());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(WithTreeNamed(run.out), ReadWholeFile(HostPath(KIV_CHECK_EXPECTED "/planted-report.txt")));
}

// In cmd.exe the report goes to a console whose code page is 866, which
// has no « or »: it must read there as it reads in the file.
TEST_F(PlantedTree, AConsoleShowsTheReportAsTheFileHasIt) {
  FreeConsole();
  ASSERT_TRUE(AllocConsole());
  SetConsoleOutputCP(866);
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  HANDLE screen = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                            CONSOLE_TEXTMODE_BUFFER, nullptr);
  ASSERT_NE(screen, INVALID_HANDLE_VALUE);
  constexpr SHORT kWidth = 250, kHeight = 200;
  ASSERT_TRUE(SetConsoleScreenBufferSize(screen, {kWidth, kHeight}));
  const CheckerOutput run = RunChecker("winnt.sif planted.UDB /media:media", tree.Path(), screen);
  EXPECT_EQ(run.exitCode, 2);
  std::wstring shown;
  for (SHORT row = 0; row < kHeight; ++row) {
    std::wstring line(kWidth, L' ');
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, line.data(), kWidth, {0, row}, &read));
    line.resize(line.find_last_not_of(L' ') + 1);
    shown += line + L"\r\n";
  }
  CloseHandle(screen);
  FreeConsole();
  std::wstring expected = Widen(ReadWholeFile(HostPath(KIV_CHECK_EXPECTED "/planted-report.txt")), 1251);
  const std::wstring path = Widen(tree.Path(), CP_ACP);
  for (size_t at = shown.find(path); at != std::wstring::npos; at = shown.find(path, at))
    shown.replace(at, path.size(), L"<tree>");
  // The rows below the report are blank.
  shown.resize(shown.find_last_not_of(L"\r\n") + 1);
  expected.resize(expected.find_last_not_of(L"\r\n") + 1);
  EXPECT_EQ(shown, expected);
  EXPECT_NE(shown.find(L"«"), std::wstring::npos);
}

TEST_F(PlantedTree, TheTsvReportHasOneFindingPerLineOfSixFields) {
  const CheckerOutput run = RunChecker("/tsv winnt.sif planted.UDB /INI:KivEdt-nofile.ini /MEDIA:media", tree.Path());
  EXPECT_EQ(run.exitCode, 2);
  const std::string report = WithTreeNamed(run.out);
  EXPECT_EQ(report, ReadWholeFile(HostPath(KIV_CHECK_EXPECTED "/planted-report.tsv")));
  size_t lines = 0;
  for (size_t start = 0; start < report.size(); ++lines) {
    const size_t end = report.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
    const std::string line = report.substr(start, end - start);
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5) << line;
    start = end + 2;
  }
  EXPECT_GT(lines, 30u);
}

TEST_F(PlantedTree, EveryFileItReadsIsLeftAsItWasAndItsOwnFolderGoes) {
  SetFileAttributesA((tree / "winnt.sif").c_str(), FILE_ATTRIBUTE_READONLY);
  const std::vector<std::string> before = FilesUnder(tree.Path());
  const std::vector<std::string> tempBefore = TempEntries();
  const CheckerOutput run = RunChecker("winnt.sif planted.UDB /ini:KivEdt.ini /media:media", tree.Path());
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_EQ(FilesUnder(tree.Path()), before) << "nothing written beside what it read";
  for (const char* name : kTreeFiles) {
    std::string source = name;
    std::replace(source.begin(), source.end(), '\\', '/');
    EXPECT_EQ(ReadWholeFile(tree / name), ReadWholeFile(Planted(source))) << name;
  }
  EXPECT_EQ(GetFileAttributesA((tree / "winnt.sif").c_str()) & FILE_ATTRIBUTE_READONLY, DWORD{FILE_ATTRIBUTE_READONLY});
  SetFileAttributesA((tree / "winnt.sif").c_str(), FILE_ATTRIBUTE_NORMAL);

  // Nor anything in the temporary folder: the merged copies live in memory.
  EXPECT_EQ(TempEntries(), tempBefore);
}

TEST_F(PlantedTree, TheExitCodeSaysWhatWasFound) {
  const struct {
    const char* arguments;
    int exitCode;
    const char* onStandardError;  // a part of it; nullptr: nothing there
  } cases[] = {
      {"clean\\winnt.sif clean\\site.UDB", 0, nullptr},
      {"clean\\winnt.sif", 0, nullptr},
      {"warned\\winnt.sif warned\\site.UDB", 1, nullptr},
      {"warned\\winnt.sif clean", 0, nullptr},
      {"winnt.sif planted.UDB", 2, nullptr},
      {"winnt.sif", 2, nullptr},
      {"gone.sif planted.UDB", 3, "gone.sif"},
      {"winnt.sif gone.UDB", 3, "gone.UDB"},
      {"winnt.sif media", 3, "*.UDB"},
      {"winnt.sif planted.UDB /ini:gone.ini", 3, "gone.ini"},
      {"winnt.sif planted.UDB /media:gone", 3, "gone"},
      {"winnt.sif planted.UDB /fast", 3, "/fast"},
      {"", 3, "KivCheck.exe"},
      {"media winnt.sif", 3, "media"},
  };
  for (const auto& c : cases) {
    const CheckerOutput run = RunChecker(c.arguments, tree.Path());
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.out << run.err;
    if (c.onStandardError) {
      EXPECT_NE(run.err.find(c.onStandardError), std::string::npos) << c.arguments << ": " << run.err;
      EXPECT_EQ(run.out, "") << c.arguments;
    } else {
      EXPECT_EQ(run.err, "") << c.arguments;
      EXPECT_NE(run.out.find("Итого: "), std::string::npos) << c.arguments;
    }
  }
}

}  // namespace
