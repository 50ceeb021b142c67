#pragma once
// Helpers of the robustness tests: what a run of the real editor leaves on the
// machine (processes, files, registry), the answer file cut into its
// sections, and ways to act on the editor's thread from outside that keep
// the order of the operator's actions.

#include "e2e/EditorRun.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace kivtest {

// Ids of the running processes whose program file is `exeName` (any case).
[[nodiscard]] std::set<DWORD> ProcessesNamed(const std::string& exeName);

// The names in a folder (files and folders, without "." and "..").
[[nodiscard]] std::set<std::string> FolderEntries(const std::string& folder);

// Every key of a registry tree as "ROOT\path", and every value as
// "ROOT\path|name" (names compared as the registry does, without case).
[[nodiscard]] std::set<std::string> RegistryCensus(HKEY root, const std::string& rootName, const std::string& path);

// One section of an INI text, as the lines of the file hold it: the header
// line and every line after it up to the next header, each with its line
// break. The part before the first header has the name "" and no header.
struct IniSection {
  std::string name;  // as between the brackets, blanks trimmed
  std::vector<std::string> lines;
  // The key a line sets, blanks trimmed; empty for comments, blank lines,
  // lines without "=" and the header.
  [[nodiscard]] static std::string KeyOf(const std::string& line);
};
[[nodiscard]] std::vector<IniSection> SplitSections(const std::string& text);
// ASCII letters up-cased, the way the editor compares section and key names
// that are written in Latin letters.
[[nodiscard]] std::string Upper(std::string text);

// A few bytes in the editor's process, for messages whose answer is written
// through a pointer (tab and list item rectangles, combo box parts).
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD pid, size_t size);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  [[nodiscard]] LPARAM Address() const noexcept { return reinterpret_cast<LPARAM>(remote_); }
  [[nodiscard]] bool Valid() const noexcept { return remote_ != nullptr; }
  bool Write(const void* data, size_t size) const;
  bool Read(void* data, size_t size) const;

 private:
  HANDLE process_ = nullptr;
  void* remote_ = nullptr;
};

// Waits until the editor has taken every message posted to it before: a
// marker is posted behind them to the dialog's tooltip window (its maximum
// tip width, which no test and no page looks at) and read back with a sent
// message until it shows. A sent message alone would overtake them.
class PostedQueue {
 public:
  explicit PostedQueue(HWND dialog);
  [[nodiscard]] bool Usable() const noexcept { return tooltip_ != nullptr; }
  // False when the editor has not got there within `timeoutMs`.
  bool Drain(int timeoutMs = 10000);

 private:
  HWND tooltip_ = nullptr;
  LRESULT width_ = 0;
};

// Keys with Ctrl and Shift as the editor's thread sees them: the thread's
// key state is what the dialog asks when it takes a posted key, so it is set
// through a shared input state for as long as the key is being handled.
// `queue` is drained before the state changes and after the key was taken.
bool PostKeyWithModifiers(DWORD editorThread, HWND target, WORD vk, bool ctrl, bool shift, PostedQueue& queue);

}  // namespace kivtest
