// Drives and partition links made for a test under Wine.

#include "sys/WineObjects.h"

#include <winioctl.h>
#include <winternl.h>

#include <functional>

namespace kivtest {

namespace {

// Wine's own extension of the mount manager: a drive letter defined, or
// removed, with its type and the host folder it stands for.
constexpr DWORD kDefineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct UnixDriveRequest {
  ULONG size;
  ULONG type;
  ULONG fsType;
  DWORD serial;
  ULONGLONG unixDevice;
  WCHAR letter;
  USHORT mountPointOffset;
  USHORT deviceOffset;
  USHORT labelOffset;
};

bool DefineUnixDrive(char letter, UINT type, const std::string& hostFolder, std::string& error) {
  HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (manager == INVALID_HANDLE_VALUE) {
    error = "no mount manager: " + std::to_string(GetLastError());
    return false;
  }
  std::string request(sizeof(UnixDriveRequest) + hostFolder.size() + 1, '\0');
  UnixDriveRequest header{};
  header.size = static_cast<ULONG>(request.size());
  header.type = type;
  header.letter = static_cast<WCHAR>(letter);
  if (!hostFolder.empty()) {
    header.mountPointOffset = sizeof(UnixDriveRequest);
    request.replace(sizeof(UnixDriveRequest), hostFolder.size(), hostFolder);
  }
  request.replace(0, sizeof(header), reinterpret_cast<const char*>(&header), sizeof(header));
  DWORD returned = 0;
  const bool ok = DeviceIoControl(manager, kDefineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                                  nullptr, 0, &returned, nullptr);
  if (!ok) error = "the mount manager refused drive " + std::string(1, letter) + ": " + std::to_string(GetLastError());
  CloseHandle(manager);
  return ok;
}

std::string HostPathOf(const std::string& folder) {
  using Convert = char*(CDECL*)(LPCWSTR);
  auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return {};
  std::wstring wide(folder.size() + 1, L'\0');
  wide.resize(MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide.data(), static_cast<int>(wide.size())));
  char* host = convert(wide.c_str());
  if (!host) return {};
  std::string result = host;
  HeapFree(GetProcessHeap(), 0, host);
  return result;
}

template <class Proc>
Proc Ntdll(const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), name)));
}

using OpenProc = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES);
using CreateLinkProc = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PUNICODE_STRING);
using MakeTemporaryProc = NTSTATUS(NTAPI*)(HANDLE);

constexpr ULONG kPermanent = 0x10;
constexpr ULONG kCaseInsensitive = 0x40;
constexpr ACCESS_MASK kDirectoryAllAccess = 0xF000F;
constexpr ACCESS_MASK kSymbolicLinkAllAccess = 0xF0001;

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// Opens or creates an object by name; the status.
NTSTATUS OnName(const std::string& name, ULONG attributes, const std::function<NTSTATUS(OBJECT_ATTRIBUTES*)>& call) {
  const std::wstring wide = Wide(name);
  UNICODE_STRING text{static_cast<USHORT>(wide.size() * 2), static_cast<USHORT>(wide.size() * 2 + 2),
                      const_cast<PWSTR>(wide.c_str())};
  OBJECT_ATTRIBUTES record;
  InitializeObjectAttributes(&record, &text, attributes, nullptr, nullptr);
  return call(&record);
}

// Takes a permanent object back: it goes when its last handle closes.
void MakeTemporary(const std::string& name, OpenProc open) {
  HANDLE handle = nullptr;
  if (OnName(name, kCaseInsensitive, [&](OBJECT_ATTRIBUTES* record) { return open(&handle, DELETE, record); }) >= 0) {
    Ntdll<MakeTemporaryProc>("NtMakeTemporaryObject")(handle);
    CloseHandle(handle);
  }
}

}  // namespace

MappedDrive::MappedDrive(char letter, UINT type, const std::string& folder)
    : letter_(static_cast<char>(letter & ~0x20)) {
  if (GetLogicalDrives() & (1u << ((letter | 0x20) - 'a'))) {
    error_ = "drive " + Drive() + " is in use";
    return;
  }
  const std::string host = HostPathOf(folder);
  if (host.empty()) {
    error_ = "no host path for " + folder;
    return;
  }
  ok_ = DefineUnixDrive(static_cast<char>(letter | 0x20), type, host, error_);
}

MappedDrive::~MappedDrive() {
  std::string ignored;
  if (ok_) DefineUnixDrive(static_cast<char>(letter_ | 0x20), DRIVE_NO_ROOT_DIR, {}, ignored);
}

char MappedDrive::FreeLetter(char from) {
  const DWORD present = GetLogicalDrives();
  for (char letter = from; letter <= 'z'; ++letter)
    if (!(present & (1u << (letter - 'a')))) return letter;
  return 0;
}

PartitionLinks::PartitionLinks() {
  auto openDirectory = Ntdll<OpenProc>("NtOpenDirectoryObject");
  auto createDirectory = Ntdll<OpenProc>("NtCreateDirectoryObject");
  for (int number = 60; number < 100 && disk_.empty(); ++number) {
    const std::string name = "\\Device\\Harddisk" + std::to_string(number);
    HANDLE handle = nullptr;
    NTSTATUS status =
        OnName(name, kCaseInsensitive, [&](OBJECT_ATTRIBUTES* record) { return openDirectory(&handle, 1, record); });
    if (status >= 0) CloseHandle(handle);
    if (status != static_cast<NTSTATUS>(0xC0000034)) continue;  // taken: not "name not found"
    status = OnName(name, kCaseInsensitive | kPermanent,
                    [&](OBJECT_ATTRIBUTES* record) { return createDirectory(&handle, kDirectoryAllAccess, record); });
    if (status < 0) {
      error_ = "cannot make " + name + ": status " + std::to_string(status);
      return;
    }
    CloseHandle(handle);
    disk_ = name;
  }
  if (disk_.empty() && error_.empty()) error_ = "no free disk number";
}

PartitionLinks::~PartitionLinks() {
  for (auto link = links_.rbegin(); link != links_.rend(); ++link)
    MakeTemporary(*link, Ntdll<OpenProc>("NtOpenSymbolicLinkObject"));
  if (!disk_.empty()) MakeTemporary(disk_, Ntdll<OpenProc>("NtOpenDirectoryObject"));
}

std::string PartitionLinks::Add(const std::string& name, const std::string& target) {
  if (disk_.empty()) return {};
  const std::string link = disk_ + "\\" + name;
  const std::wstring wideTarget = Wide(target);
  UNICODE_STRING targetText{static_cast<USHORT>(wideTarget.size() * 2), static_cast<USHORT>(wideTarget.size() * 2 + 2),
                            const_cast<PWSTR>(wideTarget.c_str())};
  HANDLE handle = nullptr;
  const NTSTATUS status = OnName(link, kCaseInsensitive | kPermanent, [&](OBJECT_ATTRIBUTES* record) {
    return Ntdll<CreateLinkProc>("NtCreateSymbolicLinkObject")(&handle, kSymbolicLinkAllAccess, record, &targetText);
  });
  if (status < 0) {
    error_ = "cannot make " + link + ": status " + std::to_string(status);
    return {};
  }
  CloseHandle(handle);
  links_.push_back(link);
  return link;
}

std::string DosDevice(const std::string& drive) {
  char device[1024] = {};
  return QueryDosDeviceA(drive.c_str(), device, sizeof(device)) ? device : "";
}

}  // namespace kivtest
