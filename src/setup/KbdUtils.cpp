// Registry fix-ups for the Cyrillic layouts and charset, and the keyboard
// indicator's text.

#include "setup/KbdUtils.h"

#include "sys/Wow64.h"

#include <stdexcept>

namespace {

const char kLayouts[] = "SYSTEM\\CurrentControlSet\\Control\\Keyboard Layouts\\";
const char kFontMapper[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\FontMapper";
const char kDefault[] = "DEFAULT";
constexpr DWORD kCyrillicCharset = 204;

class RegKey {
 public:
  // Opens (creating when missing) a key of HKEY_LOCAL_MACHINE with full
  // access; null when that fails.
  explicit RegKey(const std::string& path) {
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | sys::NativeRegistryView(), nullptr, &key_, nullptr) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ~RegKey() {
    if (key_) RegCloseKey(key_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  void WriteString(const std::string& name, const std::string& value) {
    if (!key_ || RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)) != ERROR_SUCCESS)
      throw std::runtime_error("Failed to set data for '" + name + "'");
  }
  void WriteInteger(const std::string& name, DWORD value) {
    if (!key_ || RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                sizeof(value)) != ERROR_SUCCESS)
      throw std::runtime_error("Failed to set data for '" + name + "'");
  }

 private:
  HKEY key_ = nullptr;
};

void RegisterLayout(const char* id, const char* text, const char* file) {
  {
    RegKey key(std::string(kLayouts) + id);
    key.WriteString("Layout Text", text);
    key.WriteString("Layout File", file);
  }
  // A layout that cannot be loaded still has its registration for later.
  LoadKeyboardLayoutA(id, 0);
}

}  // namespace

void FixKeyboardLayouts() {
  RegisterLayout("00000419", "Русская", "KBDRU.DLL");
  RegisterLayout("00000422", "Украинская", "KBDUR.DLL");
  RegKey(kFontMapper).WriteInteger(kDefault, kCyrillicCharset);
}

BYTE GetFontMapperCharset() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kFontMapper, 0, KEY_READ | sys::NativeRegistryView(), &key) != ERROR_SUCCESS)
    throw std::runtime_error(std::string("Failed to get data for '") + kDefault + "'");
  DWORD type = 0, value = 0, size = sizeof(value);
  LONG result = RegQueryValueExA(key, kDefault, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (result == ERROR_FILE_NOT_FOUND)
    throw std::runtime_error(std::string("Failed to get data for '") + kDefault + "'");
  if ((result != ERROR_SUCCESS && result != ERROR_MORE_DATA) || type != REG_DWORD || size != sizeof(value))
    throw std::runtime_error(std::string("Invalid data type for '") + kDefault + "'");
  return static_cast<BYTE>(value & 0xFF);
}

void GetKeyboardLayoutText(std::string& text) {
  LANGID language = LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0)));
  char buffer[64] = {};
  GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), LOCALE_SABBREVLANGNAME, buffer, sizeof(buffer));
  text = buffer;
}

std::string GetKeyboardLayoutText() {
  std::string text;
  GetKeyboardLayoutText(text);
  return text;
}
