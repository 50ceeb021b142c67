// The launcher: %NAME% expansion of configured texts, and programs started
// with and without waiting, found by path, by the system's search or not at
// all. kivchild stands in for the programs and logs each start.

#include "sys/Launcher.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace kivtest;

namespace {

using Clock = std::chrono::steady_clock;

// Sets an environment variable for the test's length, restoring what was there.
class ScopedVariable {
 public:
  ScopedVariable(const std::string& name, const char* value) : name_(name) {
    char buffer[32768];
    DWORD length = GetEnvironmentVariableA(name.c_str(), buffer, sizeof(buffer));
    had_ = length > 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
    if (had_) old_.assign(buffer, length);
    SetEnvironmentVariableA(name.c_str(), value);
  }
  ~ScopedVariable() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

TEST(ExpandEnvironment, ReplacesDefinedReferencesAndKeepsUndefinedOnes) {
  ScopedVariable root("KIV_TEST_ROOT", "D:\\I386\\..\\Site");
  ScopedVariable empty("KIV_TEST_EMPTY", "");
  ScopedVariable cyrillic("KIV_TEST_NAME", "Бухгалтерия");
  EXPECT_EQ(ExpandEnvironment("%KIV_TEST_ROOT%\\UDB"), "D:\\I386\\..\\Site\\UDB");
  EXPECT_EQ(ExpandEnvironment("%kiv_test_root%"), "D:\\I386\\..\\Site");
  EXPECT_EQ(ExpandEnvironment("a%KIV_TEST_EMPTY%b"), "ab");
  EXPECT_EQ(ExpandEnvironment("%KIV_TEST_NAME% ПК"), "Бухгалтерия ПК");
  EXPECT_EQ(ExpandEnvironment("%KIV_TEST_UNDEFINED%\\x %KIV_TEST_ROOT%"), "%KIV_TEST_UNDEFINED%\\x D:\\I386\\..\\Site");
  EXPECT_EQ(ExpandEnvironment("50% of 100%"), "50% of 100%");
  EXPECT_EQ(ExpandEnvironment(""), "");
}

TEST(ExpandEnvironment, ResultsBeyond128CharactersComeBackWhole) {
  const std::string latin(120, 'x');
  ScopedVariable longValue("KIV_TEST_LONG", latin.c_str());
  // Around the old 129-character buffer: 127, 128, 129 and 130 characters.
  for (size_t tail = 7; tail <= 10; ++tail) {
    const std::string suffix(tail, 'y');
    EXPECT_EQ(ExpandEnvironment("%KIV_TEST_LONG%" + suffix), latin + suffix) << "length " << 120 + tail;
  }
  const std::string folder = "\\\\deploy01\\xpsp3\\i386\\Учёт\\" + std::string(300, 'z');
  ScopedVariable share("KIV_TEST_SHARE", folder.c_str());
  EXPECT_EQ(ExpandEnvironment("%KIV_TEST_SHARE%\\..\\Site\\%KIV_TEST_SHARE%"), folder + "\\..\\Site\\" + folder);
  const std::string plain(5000, 'p');
  EXPECT_EQ(ExpandEnvironment(plain), plain);
}

// Each test gets kivchild in a folder whose name has a blank, and a log.
class Launcher : public testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryA(binDir.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(HostPath(KIV_CHILD).c_str(), child.c_str(), FALSE)) << KIV_CHILD;
  }

  // The log's lines, once it has `count` of them or the time is up.
  std::vector<std::string> WaitForLines(size_t count, int timeoutMs = 10000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      std::vector<std::string> lines = Lines();
      if (lines.size() >= count || Clock::now() >= deadline) return lines;
      Sleep(20);
    }
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    const std::string text = ReadWholeFile(log);
    for (size_t at = 0; at < text.size();) {
      size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }

  ScratchFolder folder;
  const std::string binDir = folder / "site tools";
  const std::string child = binDir + "\\kivchild.exe";
  const std::string log = folder / "runs.log";
  const std::string quotedChild = "\"" + child + "\"";
};

TEST_F(Launcher, WaitsForTheProgramOnlyWhenAsked) {
  auto started = Clock::now();
  EXPECT_TRUE(RunProgram(quotedChild + " --log=" + log + " --sleep=700 waited", true));
  EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(650));
  EXPECT_EQ(Lines(), std::vector<std::string>{"waited"});

  started = Clock::now();
  EXPECT_TRUE(RunProgram(quotedChild + " --log=" + log + " --sleep=1500 --exit=3 not waited", false));
  EXPECT_LT(Clock::now() - started, std::chrono::milliseconds(1000));
  EXPECT_EQ(Lines().size(), 1u) << "the program had ended before RunProgram returned";
  EXPECT_EQ(WaitForLines(2), (std::vector<std::string>{"waited", "not waited"}));
}

TEST_F(Launcher, ProgramsThatCannotStartGiveFalse) {
  EXPECT_FALSE(RunProgram(folder / "no such program.exe", true));
  EXPECT_FALSE(RunProgram("kiv-no-such-program-anywhere --log=" + log, true));
  EXPECT_FALSE(RunProgram(binDir, true));
  EXPECT_FALSE(RunProgram("", true));
  EXPECT_TRUE(Lines().empty());
}

TEST_F(Launcher, ExpandsTheCommandAndPassesTheEnvironmentOn) {
  ScopedVariable root("SourceRoot", binDir.c_str());
  ScopedVariable source("sourcepath", "D:\\I386");
  ScopedVariable empty("KIV_TEST_EMPTY", "");
  // Longer than 128 characters once expanded, and it must arrive whole.
  const std::string words = "Учёт " + std::string(200, 'w');
  EXPECT_TRUE(RunProgram("\"%SourceRoot%\\kivchild.exe\" --log=" + log +
                             " --env=sourcepath --env=KIV_TEST_EMPTY --env=KIV_TEST_UNSET %sourcepath%\\.. " + words,
                         true));
  EXPECT_EQ(Lines(),
            std::vector<std::string>{"D:\\I386\\.. " + words + " sourcepath=D:\\I386 KIV_TEST_EMPTY= KIV_TEST_UNSET"});
}

TEST_F(Launcher, FindsAProgramNamedWithoutPathOnTheSearchPath) {
  char path[32768] = {};
  GetEnvironmentVariableA("PATH", path, sizeof(path));
  ScopedVariable searchPath("PATH", (binDir + ";" + path).c_str());
  EXPECT_TRUE(RunProgram("kivchild --log=" + log + " found", true));
  EXPECT_EQ(Lines(), std::vector<std::string>{"found"});
}

}  // namespace

// A command that names the system folder starts the program a native
// program would start: the one in the real System32, also from the 32-bit
// build on a 64-bit system, where that name would otherwise mean SysWOW64.
TEST_F(Launcher, TheSystemFolderInACommandIsTheNativeOne) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  char native[MAX_PATH] = {};
  // The test itself reaches the real System32 through the alias Wine gives
  // 32-bit programs.
  ExpandEnvironmentStringsA(wow64 ? "%SystemRoot%\\Sysnative" : "%SystemRoot%\\System32", native, sizeof(native));
  const std::string placed = std::string(native) + "\\kivchild-native.exe";
  ASSERT_TRUE(CopyFileA(child.c_str(), placed.c_str(), FALSE)) << placed;
  EXPECT_TRUE(RunProgram("%SystemRoot%\\System32\\kivchild-native.exe --log=" + log + " native", true));
  DeleteFileA(placed.c_str());
  EXPECT_EQ(Lines(), std::vector<std::string>{"native"});
  if (wow64) {
    char redirected[MAX_PATH] = {};
    ASSERT_NE(GetSystemWow64DirectoryA(redirected, sizeof(redirected)), 0u);
    EXPECT_FALSE(FileExists(std::string(redirected) + "\\kivchild-native.exe")) << "placed in SysWOW64 by mistake";
  }
}
