#pragma once
// ChangerUtil: device paths of the object namespace (as setup records the
// installation source, "\Device\Harddisk0\Partition1\I386") turned into
// drive-letter paths, by walking the namespace with the native functions and
// matching every drive letter against the path. Texts in and out are 8-bit in
// the ANSI code page; nothing is cached between calls.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The drive functions, reached through this table so that tests can serve
// made-up drives; it holds the system's own functions unless a test changes it.
struct DriveFunctionTable {
  DWORD(WINAPI* GetLogicalDriveStringsA)(DWORD bufferLength, LPSTR buffer);
  DWORD(WINAPI* QueryDosDeviceA)(LPCSTR deviceName, LPSTR targetPath, DWORD maxChars);
  UINT(WINAPI* GetDriveTypeA)(LPCSTR rootPathName);
  DWORD(WINAPI* GetLogicalDrives)();
};
extern DriveFunctionTable DriveFunctions;

// Appends the names of all objects of the object directory, of every kind, in
// the system's order, to `list` (none: the names are read and dropped). A
// directory that cannot be opened adds nothing.
void ListObjectDirectory(const std::wstring& directoryName, std::vector<std::string>* list);

// The target of the symbolic link; empty when it cannot be opened or read.
[[nodiscard]] std::wstring QuerySymbolicLinkTarget(const std::wstring& linkName);

// The partition link "\Device\Harddisk<N>\Partition<M>" that points at the
// device (ASCII letters compared without regard to case); nothing when none
// does.
[[nodiscard]] std::optional<std::string> FindPartitionLink(const std::string& deviceName);

// The device text of a drive such as "C:": its partition link for a fixed
// drive, the system's device name for any other; empty when none is known.
[[nodiscard]] std::string DriveToDeviceName(const std::string& drive);

// The drive-letter form of a device path: the first drive, in the system's
// order, whose device text occurs in the path as whole components, followed
// by the rest of the path as written; empty when no drive matches.
[[nodiscard]] std::string DevicePathToDosPath(const std::string& path);
