// Registry fix-ups, the font charset, the keyboard indicator and NextToken.

#include "dialog/Dlg_Settings.h"
#include "setup/KbdUtils.h"
#include "sys/TextUtils.h"
#include "support/Operator.h"
#include "support/TestFiles.h"

#include <shlwapi.h>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace kivtest;

namespace {

std::string ReadString(HKEY root, const std::string& path, const std::string& name) {
  char buffer[256] = {};
  DWORD size = sizeof(buffer), type = 0;
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return "<no value>";
  return type == REG_SZ ? std::string(buffer) : "<type " + std::to_string(type) + ">";
}

DWORD ReadDword(HKEY root, const std::string& path, const std::string& name) {
  DWORD value = 0, size = sizeof(value);
  RegGetValueA(root, path.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

const char kRu[] = "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\00000419";
const char kUa[] = "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\00000422";
const char kFontMapper[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontMapper";

// HKEY_LOCAL_MACHINE redirected, for this process, to a scratch key, so a
// test can take values away or make writes fail without harming the system.
class ScratchMachineKey {
 public:
  explicit ScratchMachineKey(bool isVolatile = false) {
    path_ = "Software\\KivEditorTest\\" + std::to_string(GetCurrentProcessId());
    RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr,
                    isVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_);
  }
  ~ScratchMachineKey() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(key_);
    SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
  }
  HKEY Key() const { return key_; }

 private:
  std::string path_;
  HKEY key_ = nullptr;
};

// The registry as a native program sees it: the 32-bit build on a 64-bit
// system must write where the system's 64-bit font mapper reads, not into
// the 32-bit view of HKLM\SOFTWARE.
DWORD ReadNativeDword(const std::string& path, const std::string& name) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ | (wow64 ? KEY_WOW64_64KEY : 0), &key) != 0) return 0;
  DWORD value = 0, size = sizeof(value), type = 0;
  LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return result == ERROR_SUCCESS && type == REG_DWORD ? value : 0;
}

TEST(FixKeyboardLayouts, WritesTheLayoutsAndTheCyrillicCharset) {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  HKEY native;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontMapper, 0, KEY_SET_VALUE | (wow64 ? KEY_WOW64_64KEY : 0), &native) == 0) {
    RegDeleteValueA(native, "DEFAULT");
    RegCloseKey(native);
  }
  FixKeyboardLayouts();
  EXPECT_EQ(ReadNativeDword(kFontMapper, "DEFAULT"), 204u);
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRu, "Layout Text"), "Русская");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kRu, "Layout File"), "KBDRU.DLL");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUa, "Layout Text"), "Украинская");
  EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, kUa, "Layout File"), "KBDUR.DLL");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, kFontMapper, "DEFAULT"), 204u);
  EXPECT_EQ(GetFontMapperCharset(), RUSSIAN_CHARSET);
}

TEST(FixKeyboardLayouts, CreatesMissingKeysAndASecondRunChangesNothing) {
  ScratchMachineKey scratch;
  FixKeyboardLayouts();
  EXPECT_EQ(ReadString(scratch.Key(), kRu, "Layout Text"), "Русская");
  EXPECT_EQ(ReadDword(scratch.Key(), kFontMapper, "DEFAULT"), 204u);
  DWORD subkeys = 0, values = 0;
  HKEY ru;
  ASSERT_EQ(RegOpenKeyExA(scratch.Key(), kRu, 0, KEY_READ, &ru), ERROR_SUCCESS);
  RegQueryInfoKeyA(ru, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(ru);
  EXPECT_EQ(values, 2u);
  FixKeyboardLayouts();
  ASSERT_EQ(RegOpenKeyExA(scratch.Key(), kRu, 0, KEY_READ, &ru), ERROR_SUCCESS);
  DWORD valuesAfter = 0;
  RegQueryInfoKeyA(ru, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valuesAfter, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(ru);
  EXPECT_EQ(valuesAfter, 2u);
  EXPECT_EQ(ReadString(scratch.Key(), kUa, "Layout Text"), "Украинская");
}

TEST(FixKeyboardLayouts, AWriteThatFailsNamesTheValue) {
  // Under a volatile key no lasting key can be made.
  ScratchMachineKey scratch(true);
  try {
    FixKeyboardLayouts();
    FAIL() << "the write should have failed";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Layout Text'");
  }
}

TEST(GetFontMapperCharset, AMissingOrMistypedValueIsAnError) {
  ScratchMachineKey scratch;
  try {
    (void)GetFontMapperCharset();
    FAIL() << "a missing value should be an error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Failed to get data for 'DEFAULT'");
  }
  HKEY key;
  RegCreateKeyExA(scratch.Key(), kFontMapper, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "DEFAULT", 0, REG_SZ, reinterpret_cast<const BYTE*>("204"), 4);
  try {
    (void)GetFontMapperCharset();
    FAIL() << "a string value should be an error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'DEFAULT'");
  }
  DWORD value = 0x1CC;  // only the low byte is a charset
  RegSetValueExA(key, "DEFAULT", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
  EXPECT_EQ(GetFontMapperCharset(), 0xCC);
}

TEST(ApplyFontCharset, ReachesEveryControlAtAnyDepth) {
  FixKeyboardLayouts();
  gui::Form form({.name = "form"});
  auto* panel = form.Add<gui::Panel>({.name = "pnl"});
  auto* box = panel->Add<gui::GroupBox>({.name = "gb"});
  auto* deep = box->Add<gui::Edit>({.name = "ed"});
  auto* own = form.Add<gui::Label>({.name = "lbl", .font = gui::Font{.name = "Arial", .height = -13}});
  ApplyFontCharset(&form);
  for (gui::Control* c : {static_cast<gui::Control*>(panel), static_cast<gui::Control*>(box),
                          static_cast<gui::Control*>(deep), static_cast<gui::Control*>(own)}) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(c->Handle(), WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfCharSet, RUSSIAN_CHARSET) << c->Name();
  }
  EXPECT_EQ(own->GetFont().name, "Arial") << "only the charset changes";
}

TEST(KeyboardIndicator, ShowsTheCurrentLayoutAndRefreshesOnAClick) {
  FixKeyboardLayouts();
  TdlgSettings dlg({});
  std::string current = GetKeyboardLayoutText();
  EXPECT_EQ(current.size(), 3u) << current;
  EXPECT_EQ(dlg.lblKeyBoardIndicator->Caption(), current);
  dlg.Show();
  PumpUntilIdle();
  dlg.lblKeyBoardIndicator->SetCaption("???");
  Click(*dlg.lblKeyBoardIndicator);
  // Wine cannot switch layouts, so the caption shows the same layout again.
  EXPECT_EQ(dlg.lblKeyBoardIndicator->Caption(), GetKeyboardLayoutText());
}

TEST(NextToken, CutsItemsOffTheFront) {
  struct Case {
    std::string list, token, rest;
  } cases[] = {
      {"a, b", "a", " b"},
      {"b", "b", ""},
      {",after", "", "after"},
      {"  params.MS_TCPIP.Adapter1 \t,x", "params.MS_TCPIP.Adapter1", "x"},
      {"", "", ""},
      {"a,,b", "a", ",b"},
  };
  for (const Case& c : cases) {
    std::string list = c.list, token = "junk";
    NextToken(list, ",", token);
    EXPECT_EQ(token, c.token) << c.list;
    EXPECT_EQ(list, c.rest) << c.list;
  }
  std::string list = "PC01:UserData", token;
  NextToken(list, ":", token);
  EXPECT_EQ(token, "PC01");
  EXPECT_EQ(list, "UserData");
}

}  // namespace

namespace {

// What an administrator sees with the system's own tool: the layout names
// in Cyrillic, printed by "reg query" in the OEM code page.
TEST(FixKeyboardLayouts, RegQueryShowsTheNamesInCyrillic) {
  FixKeyboardLayouts();
  ScratchFolder folder;
  std::string out = folder / "reg.txt";
  std::string command = "cmd.exe /c reg query \"HKLM\\" + std::string(kRu) + "\" /v \"Layout Text\" > \"" + out + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::string printed = ReadWholeFile(out);
  std::string expected = "Русская";
  CharToOemBuffA(expected.data(), expected.data(), static_cast<DWORD>(expected.size()));
  EXPECT_NE(printed.find(expected), std::string::npos) << printed;
}

}  // namespace
