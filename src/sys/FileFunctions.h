#pragma once
// The file functions whose failures the program must come through whole (a
// disk that fills up while a file is written) are reached through this
// table, since nothing under Wine can be brought to fail that way; it holds
// the system's own functions unless a test changes it.

#include <windows.h>

#include <string>

struct FileFunctionTable {
  BOOL(WINAPI* WriteFile)(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
  BOOL(WINAPI* FlushFileBuffers)(HANDLE file);
};
extern FileFunctionTable FileFunctions;

namespace sys {
// Writes all of the bytes, in pieces of at most a megabyte; false at the
// first piece that fails, the reason in GetLastError.
[[nodiscard]] bool WriteAll(HANDLE file, const char* data, size_t size);
// The whole file's bytes; false when it cannot be opened or read (the reason
// in GetLastError), and `bytes` is then empty.
[[nodiscard]] bool ReadAll(const std::string& name, std::string& bytes);
}  // namespace sys
