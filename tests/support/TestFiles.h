#pragma once
// A scratch folder per test, removed with everything in it at the end, and
// whole-file reads and writes for checking what the program left behind.

#include <windows.h>

#include <string>

namespace kivtest {

class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // The full path of a file in the folder.
  [[nodiscard]] std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
  [[nodiscard]] const std::string& Path() const noexcept { return path_; }

 private:
  std::string path_;
};

[[nodiscard]] std::string ReadWholeFile(const std::string& name);
// A text as a UTF-16 file holds it, with its byte-order mark: little-endian
// (Notepad's "Unicode") unless asked otherwise.
[[nodiscard]] std::string Utf16Bytes(const std::wstring& text, bool bigEndian = false);
void WriteWholeFile(const std::string& name, const std::string& content);
[[nodiscard]] bool FileExists(const std::string& name);
// A path of the build machine (a Unix path, as CMake gives it) as a Windows
// program sees it: the host's root is drive Z: under Wine.
[[nodiscard]] std::string HostPath(std::string path);

}  // namespace kivtest
