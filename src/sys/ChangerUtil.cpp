// Device paths to drive-letter paths, over the object namespace.

#include "sys/ChangerUtil.h"

#include "sys/NativeApi.h"
#include "sys/TextUtils.h"

#include <algorithm>
#include <climits>
#include <cstdint>

DriveFunctionTable DriveFunctions = {&::GetLogicalDriveStringsA, &::QueryDosDeviceA, &::GetDriveTypeA,
                                     &::GetLogicalDrives};

namespace {

constexpr ACCESS_MASK kDirectoryQueryAndReadControl = 0x20001;
constexpr ACCESS_MASK kSymbolicLinkQuery = 1;
constexpr ULONG kDirectoryBufferBytes = 1024;
constexpr size_t kLinkTargetUnits = 512;
constexpr DWORD kDeviceNameChars = 1024;
constexpr DWORD kDriveRootsChars = 4096;

std::string ToAnsi(const wchar_t* text, size_t length) {
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(std::max(size, 0)), '\0');
  if (size > 0) WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), result.data(), size, nullptr, nullptr);
  return result;
}

std::string ToAnsi(const std::wstring& text) { return ToAnsi(text.data(), text.size()); }

std::wstring ToWide(const std::string& text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(std::max(size, 0)), L'\0');
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
  return result;
}

// Upper case as the current locale's ANSI code page has it.
std::string AnsiUpper(std::string text) {
  if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// The rest of a disk directory's name as a number, -1 when it is none.
int DecimalOrMinusOne(const std::string& text) {
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  if (at == text.size()) return -1;
  long long value = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return -1;
    value = value * 10 + (text[at] - '0');
    if (value > INT_MAX) return -1;
  }
  return static_cast<int>(negative ? -value : value);
}

// The name of the entry at the start of a directory query's buffer, up to its
// terminating zero, never read beyond the buffer.
std::string EntryName(const uint8_t* buffer, size_t bufferBytes) {
  const auto* entry = reinterpret_cast<const native::OBJECT_DIRECTORY_INFORMATION*>(buffer);
  const wchar_t* name = entry->Name.Buffer;
  if (!name) return {};
  size_t units = entry->Name.Length / sizeof(wchar_t);
  const auto* at = reinterpret_cast<const uint8_t*>(name);
  if (at >= buffer && at < buffer + bufferBytes)
    units = std::min(units, static_cast<size_t>(buffer + bufferBytes - at) / sizeof(wchar_t));
  return ToAnsi(name, std::find(name, name + units, L'\0') - name);
}

// The object name and attribute records for a lookup; the name text must
// outlive them.
struct ObjectName {
  explicit ObjectName(const std::wstring& text) {
    native::RtlInitUnicodeString(&name, text.c_str());
    native::InitObjectAttributes(attributes, &name, native::kObjCaseInsensitive, nullptr, nullptr);
  }
  UNICODE_STRING name;
  OBJECT_ATTRIBUTES attributes;
};

}  // namespace

void ListObjectDirectory(const std::wstring& directoryName, std::vector<std::string>* list) {
  ObjectName object(directoryName);
  HANDLE directory = nullptr;
  if (!native::IsNtSuccess(
          native::NtOpenDirectoryObject(&directory, kDirectoryQueryAndReadControl, &object.attributes)))
    return;
  ULONG context = 0;
  alignas(8) uint8_t buffer[kDirectoryBufferBytes];
  for (;;) {
    native::ZeroFill(buffer, sizeof(buffer));
    ULONG returned = 0;
    const NTSTATUS status =
        native::NtQueryDirectoryObject(directory, buffer, sizeof(buffer), TRUE, FALSE, &context, &returned);
    if (!native::IsNtSuccess(status)) break;
    if (list) list->push_back(EntryName(buffer, sizeof(buffer)));
  }
  CloseHandle(directory);
}

std::wstring QuerySymbolicLinkTarget(const std::wstring& linkName) {
  ObjectName object(linkName);
  HANDLE link = nullptr;
  if (!native::IsNtSuccess(native::NtOpenSymbolicLinkObject(&link, kSymbolicLinkQuery, &object.attributes))) return {};
  std::wstring buffer(kLinkTargetUnits, L'\0');
  UNICODE_STRING target{0, static_cast<USHORT>(kLinkTargetUnits * sizeof(wchar_t)), buffer.data()};
  ULONG returned = 0;
  std::wstring result;
  // A length beyond the buffer would have us read memory that is not ours.
  if (native::IsNtSuccess(native::NtQuerySymbolicLinkObject(link, &target, &returned)))
    result = buffer.substr(0, std::min<size_t>(target.Length / sizeof(wchar_t), kLinkTargetUnits));
  CloseHandle(link);
  return result;
}

std::optional<std::string> FindPartitionLink(const std::string& deviceName) {
  std::vector<std::string> entries;
  ListObjectDirectory(L"\\Device", &entries);
  std::vector<std::string> disks;
  for (const std::string& entry : entries) {
    if (entry.compare(0, 8, "Harddisk") != 0) continue;
    const int number = DecimalOrMinusOne(entry.substr(8));
    if (number >= 0) disks.push_back("\\Device\\Harddisk" + std::to_string(number));
  }
  for (const std::string& disk : disks) {
    entries.clear();
    ListObjectDirectory(ToWide(disk), &entries);
    for (const std::string& entry : entries) {
      if (AnsiUpper(entry).compare(0, 9, "PARTITION") != 0) continue;
      const std::string link = disk + "\\" + entry;
      const std::string target = ToAnsi(QuerySymbolicLinkTarget(ToWide(link)));
      // A link that cannot be read points nowhere, not at a nameless device.
      if (!target.empty() && SameAsciiText(target, deviceName)) return link;
    }
  }
  return std::nullopt;
}

std::string DriveToDeviceName(const std::string& drive) {
  std::string device(kDeviceNameChars, '\0');
  if (DriveFunctions.QueryDosDeviceA(drive.c_str(), device.data(), kDeviceNameChars) == 0) device.clear();
  device.resize(std::find(device.begin(), device.end(), '\0') - device.begin());
  if (device.empty()) return {};
  if (DriveFunctions.GetDriveTypeA(drive.c_str()) == DRIVE_FIXED) return FindPartitionLink(device).value_or("");
  return device;
}

std::string DevicePathToDosPath(const std::string& path) {
  std::string roots(kDriveRootsChars, '\0');
  DWORD length = DriveFunctions.GetLogicalDriveStringsA(kDriveRootsChars, roots.data());
  if (length > kDriveRootsChars) {
    // The list did not fit: ask again with room for all of it.
    roots.assign(length + 1, '\0');
    length = DriveFunctions.GetLogicalDriveStringsA(static_cast<DWORD>(roots.size()), roots.data());
    if (length >= roots.size()) return {};
  }
  if (length == 0) return {};
  roots.resize(length);
  const std::string upperPath = AnsiUpper(path);
  for (size_t at = 0; at < roots.size();) {
    size_t end = roots.find('\0', at);
    if (end == std::string::npos) end = roots.size();
    std::string drive = roots.substr(at, end - at);
    at = end + 1;
    if (!drive.empty() && drive.back() == '\\') drive.pop_back();
    if (drive.empty()) continue;
    const std::string device = AnsiUpper(DriveToDeviceName(drive));
    if (device.empty()) continue;
    // Only whole components: the link of partition 1 must not take a path on
    // partition 10 of the same disk.
    for (size_t found = upperPath.find(device); found != std::string::npos; found = upperPath.find(device, found + 1)) {
      const size_t after = found + device.size();
      if (after == upperPath.size() || upperPath[after] == '\\' || device.back() == '\\')
        return drive + path.substr(after);
    }
  }
  return {};
}
