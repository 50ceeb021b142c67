// Processes, folders, registry trees and INI sections as the robustness
// tests compare them, and the editor's queue and key state from outside.

#include "robust/RobustSupport.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>

namespace kivtest {

namespace {

using Clock = std::chrono::steady_clock;

std::string TrimmedView(const std::string& text, size_t begin, size_t end) {
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

// The registry as the system and setup see it: a 32-bit test counts the
// 64-bit view, where the editor writes too.
REGSAM NativeView() {
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 ? KEY_WOW64_64KEY : 0;
}

void CensusOf(HKEY key, const std::string& name, std::set<std::string>& out) {
  out.insert(Upper(name));
  std::vector<char> valueName(16384);
  for (DWORD i = 0;; ++i) {
    DWORD length = static_cast<DWORD>(valueName.size());
    const LONG got = RegEnumValueA(key, i, valueName.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (got == ERROR_MORE_DATA) continue;
    // Also any other answer: some keys of Wine's (Perflib\009) answer every
    // index with an error.
    if (got != ERROR_SUCCESS) break;
    out.insert(Upper(name) + "|" + Upper(std::string(valueName.data(), length)));
  }
  std::vector<std::string> subkeys;
  char subkey[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof(subkey);
    const LONG got = RegEnumKeyExA(key, i, subkey, &length, nullptr, nullptr, nullptr, nullptr);
    if (got == ERROR_MORE_DATA) continue;
    if (got != ERROR_SUCCESS) break;
    subkeys.emplace_back(subkey, length);
  }
  for (const std::string& sub : subkeys) {
    HKEY child = nullptr;
    // A link (Wine links the 32-bit view's classes into the 64-bit tree and
    // back) is counted as the key it is, not followed round in circles.
    if (RegOpenKeyExA(key, sub.c_str(), REG_OPTION_OPEN_LINK, KEY_READ | NativeView(), &child) != ERROR_SUCCESS) {
      // Still counted: a key that cannot be read is there all the same.
      out.insert(Upper(name + "\\" + sub));
      continue;
    }
    CensusOf(child, name + "\\" + sub, out);
    RegCloseKey(child);
  }
}

}  // namespace

std::set<DWORD> ProcessesNamed(const std::string& exeName) {
  std::set<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "no process snapshot: error " << GetLastError();
    return ids;
  }
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) ids.insert(entry.th32ProcessID);
  CloseHandle(snapshot);
  return ids;
}

std::set<std::string> FolderEntries(const std::string& folder) {
  std::set<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = data.cFileName;
    if (name != "." && name != "..") names.insert(name);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

std::set<std::string> RegistryCensus(HKEY root, const std::string& rootName, const std::string& path) {
  std::set<std::string> out;
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | NativeView(), &key) != ERROR_SUCCESS) {
    ADD_FAILURE() << "cannot open " << rootName << "\\" << path;
    return out;
  }
  CensusOf(key, rootName + "\\" + path, out);
  RegCloseKey(key);
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string IniSection::KeyOf(const std::string& line) {
  const std::string text = TrimmedView(line, 0, line.size());
  if (text.empty() || text[0] == ';' || text[0] == '[') return {};
  const size_t equals = text.find('=');
  if (equals == std::string::npos) return {};
  return TrimmedView(text, 0, equals);
}

std::vector<IniSection> SplitSections(const std::string& text) {
  std::vector<IniSection> sections(1);
  size_t at = 0;
  while (at < text.size()) {
    // A line ends after CR LF, a lone CR or a lone LF.
    size_t end = at;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    size_t next = end;
    if (next < text.size() && text[next] == '\r') ++next;
    if (next < text.size() && text[next] == '\n' && (next == end || text[next - 1] == '\r')) ++next;
    const std::string body = TrimmedView(text, at, end);
    if (!body.empty() && body[0] == '[') {
      const size_t close = body.find(']');
      IniSection section;
      section.name = TrimmedView(body, 1, close == std::string::npos ? body.size() : close);
      sections.push_back(section);
    }
    sections.back().lines.push_back(text.substr(at, next - at));
    at = next;
  }
  return sections;
}

RemoteBuffer::RemoteBuffer(DWORD pid, size_t size) {
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process_) remote_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
  if (remote_) VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
  if (process_) CloseHandle(process_);
}

bool RemoteBuffer::Write(const void* data, size_t size) const {
  SIZE_T done = 0;
  return remote_ && WriteProcessMemory(process_, remote_, data, size, &done) && done == size;
}

bool RemoteBuffer::Read(void* data, size_t size) const {
  SIZE_T done = 0;
  return remote_ && ReadProcessMemory(process_, remote_, data, size, &done) && done == size;
}

namespace {

struct TooltipSearch {
  DWORD pid;
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchTooltip(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<TooltipSearch*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[32] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (pid != s->pid || lstrcmpiA(cls, TOOLTIPS_CLASSA) != 0 || GetWindow(hwnd, GW_OWNER) != s->owner) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

PostedQueue::PostedQueue(HWND dialog) {
  TooltipSearch s{0, dialog, nullptr};
  GetWindowThreadProcessId(dialog, &s.pid);
  EnumWindows(&MatchTooltip, reinterpret_cast<LPARAM>(&s));
  tooltip_ = s.found;
  DWORD_PTR width = 0;
  if (tooltip_ && SendMessageTimeoutA(tooltip_, TTM_GETMAXTIPWIDTH, 0, 0, SMTO_NORMAL, 10000, &width))
    width_ = static_cast<LRESULT>(width);
  else
    tooltip_ = nullptr;
}

bool PostedQueue::Drain(int timeoutMs) {
  if (!tooltip_) return false;
  // Two widths in turn: the one asked for differs from the one shown until
  // the marker is taken.
  width_ = width_ == 400 ? 401 : 400;
  if (!PostMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, width_)) return false;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (int round = 0;; ++round) {
    DWORD_PTR shown = 0;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    if (!SendMessageTimeoutA(tooltip_, TTM_GETMAXTIPWIDTH, 0, 0, SMTO_NORMAL, static_cast<UINT>(left), &shown))
      return false;
    if (static_cast<LRESULT>(shown) == width_) return true;
    Sleep(round < 20 ? 0 : 1);
  }
}

bool PostKeyWithModifiers(DWORD editorThread, HWND target, WORD vk, bool ctrl, bool shift, PostedQueue& queue) {
  if (!queue.Drain()) return false;
  const DWORD self = GetCurrentThreadId();
  if (!AttachThreadInput(self, editorThread, TRUE)) return false;
  BYTE state[256] = {};
  GetKeyboardState(state);
  const BYTE c = ctrl ? 0x80 : 0, s = shift ? 0x80 : 0;
  state[VK_CONTROL] = state[VK_LCONTROL] = c;
  state[VK_SHIFT] = state[VK_LSHIFT] = s;
  SetKeyboardState(state);
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(target, WM_KEYDOWN, vk, 1 | scan);
  PostMessageA(target, WM_KEYUP, vk, 1 | scan | (3LL << 30));
  const bool taken = queue.Drain();
  state[VK_CONTROL] = state[VK_LCONTROL] = 0;
  state[VK_SHIFT] = state[VK_LSHIFT] = 0;
  SetKeyboardState(state);
  AttachThreadInput(self, editorThread, FALSE);
  return taken;
}

}  // namespace kivtest
