// Volume discovery through its two seams: the native slots serve a made-up
// object namespace and the drive table made-up drives, so that the matching
// rules can be pinned down on layouts no test machine has. The fakes also
// check what the discovery hands the system: access masks, attribute records,
// buffer sizes, and that every handle it opened is closed.

#include "sys/ChangerUtil.h"
#include "sys/NativeApi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

constexpr NTSTATUS kNoMoreEntries = static_cast<NTSTATUS>(0x8000001A);
constexpr NTSTATUS kNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kAccessDenied = static_cast<NTSTATUS>(0xC0000022);

std::wstring Upper(std::wstring text) {
  if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

// UTF-16 from the tests' cp1251 literals.
std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  wide.resize(MultiByteToWideChar(1251, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                  static_cast<int>(wide.size())));
  return wide;
}

// A made-up object namespace: directories with their entries in the order the
// system would list them, symbolic links with their targets. Names are looked
// up without regard to case, as the attribute the discovery passes asks.
class FakeNamespace {
 public:
  void Directory(const std::string& name, const Names& entries) {
    auto& list = directories_[Upper(Wide(name))];
    for (const std::string& entry : entries) list.push_back(Wide(entry));
  }
  void Link(const std::string& name, const std::string& target) { links_[Upper(Wide(name))] = Wide(target); }
  // A link that opens but whose target cannot be read, or a directory whose
  // listing breaks off with an error after `entries` entries.
  void Unreadable(const std::string& name) { unreadable_.push_back(Upper(Wide(name))); }
  void FailAfter(const std::string& directory, size_t entries) { failAfter_[Upper(Wide(directory))] = entries; }
  // The next link query reports this length in bytes, whatever the target.
  void LieAboutLength(USHORT bytes) { lieLength_ = bytes; }

  // Everything wrong the discovery handed the system, in words.
  std::vector<std::string> complaints;
  // The names opened, in order, as "dir:NAME" or "link:NAME".
  Names opened;
  int nativeCalls = 0;

  // True when every handle handed out has been closed again.
  [[nodiscard]] bool AllHandlesClosed() const {
    return std::all_of(handles_.begin(), handles_.end(), [](const auto& entry) {
      DWORD flags = 0;
      return !GetHandleInformation(entry.first, &flags);
    });
  }
  ~FakeNamespace() {
    for (const auto& entry : handles_) {
      DWORD flags = 0;
      if (GetHandleInformation(entry.first, &flags)) CloseHandle(entry.first);
    }
  }

  static FakeNamespace* current;

  static NTSTATUS NTAPI OpenDirectory(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes) {
    return current->Open(true, handle, access, attributes);
  }
  static NTSTATUS NTAPI OpenLink(PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes) {
    return current->Open(false, handle, access, attributes);
  }
  static NTSTATUS NTAPI QueryDirectory(HANDLE handle, PVOID buffer, ULONG length, BOOLEAN single, BOOLEAN restart,
                                       PULONG context, PULONG returned) {
    return current->ListOne(handle, buffer, length, single, restart, context, returned);
  }
  static NTSTATUS NTAPI QueryLink(HANDLE handle, PUNICODE_STRING target, PULONG returned) {
    return current->ReadLink(handle, target, returned);
  }
  static VOID NTAPI InitUnicodeString(PUNICODE_STRING destination, PCWSTR source) {
    ++current->nativeCalls;
    const size_t bytes = source ? wcslen(source) * sizeof(wchar_t) : 0;
    destination->Length = static_cast<USHORT>(bytes);
    destination->MaximumLength = static_cast<USHORT>(source ? bytes + sizeof(wchar_t) : 0);
    destination->Buffer = const_cast<PWSTR>(source);
  }

 private:
  NTSTATUS Open(bool directory, PHANDLE handle, ACCESS_MASK access, POBJECT_ATTRIBUTES attributes) {
    ++nativeCalls;
    const std::wstring name(attributes->ObjectName->Buffer, attributes->ObjectName->Length / sizeof(wchar_t));
    if (attributes->Length != sizeof(OBJECT_ATTRIBUTES)) complaints.push_back("record length");
    if (attributes->RootDirectory) complaints.push_back("root directory");
    if (attributes->Attributes != 0x40) complaints.push_back("attributes " + std::to_string(attributes->Attributes));
    if (attributes->SecurityDescriptor || attributes->SecurityQualityOfService) complaints.push_back("security");
    if (access != (directory ? 0x20001u : 1u)) complaints.push_back("access " + std::to_string(access));
    if (name.find(L'\0') != std::wstring::npos) complaints.push_back("name length");
    const std::wstring key = Upper(name);
    std::string ansi(name.size() * 2 + 1, '\0');
    ansi.resize(std::max(0, WideCharToMultiByte(1251, 0, name.data(), static_cast<int>(name.size()), ansi.data(),
                                                static_cast<int>(ansi.size()), nullptr, nullptr)));
    opened.push_back((directory ? "dir:" : "link:") + ansi);
    if (directory ? !directories_.count(key) : !links_.count(key)) return kNameNotFound;
    *handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    handles_[*handle] = key;
    return 0;
  }

  NTSTATUS ListOne(HANDLE handle, PVOID buffer, ULONG length, BOOLEAN single, BOOLEAN restart, PULONG context,
                   PULONG returned) {
    ++nativeCalls;
    if (length != 1024) complaints.push_back("directory buffer " + std::to_string(length));
    if (!single || restart) complaints.push_back("not one entry at a time");
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    if (std::any_of(bytes, bytes + length, [](unsigned char b) { return b != 0; }))
      complaints.push_back("buffer not cleared");
    const auto directory = directories_.find(handles_.at(handle));
    if (directory == directories_.end() || !context) return kAccessDenied;
    const auto& entries = directory->second;
    const auto limit = failAfter_.find(directory->first);
    if (limit != failAfter_.end() && *context >= limit->second) return kAccessDenied;
    if (*context >= entries.size()) return kNoMoreEntries;
    // As the system lays it out: the entry, an empty entry, then the texts.
    const std::wstring& name = entries[*context];
    auto* info = static_cast<native::OBJECT_DIRECTORY_INFORMATION*>(buffer);
    auto* text = reinterpret_cast<wchar_t*>(info + 2);
    const size_t needed = sizeof(*info) * 2 + (name.size() + 1) * sizeof(wchar_t);
    if (needed > length) return static_cast<NTSTATUS>(0xC0000023);
    std::copy(name.begin(), name.end(), text);
    info->Name = {static_cast<USHORT>(name.size() * 2), static_cast<USHORT>(name.size() * 2 + 2), text};
    ++*context;
    if (returned) *returned = static_cast<ULONG>(needed);
    return 0;
  }

  NTSTATUS ReadLink(HANDLE handle, PUNICODE_STRING target, PULONG) {
    ++nativeCalls;
    if (target->Length != 0 || target->MaximumLength != 1024 || !target->Buffer)
      complaints.push_back("link target record");
    const std::wstring& key = handles_.at(handle);
    if (std::count(unreadable_.begin(), unreadable_.end(), key)) return kAccessDenied;
    const std::wstring& text = links_.at(key);
    if (text.size() * 2 > target->MaximumLength) return static_cast<NTSTATUS>(0xC0000023);
    std::copy(text.begin(), text.end(), target->Buffer);
    target->Length = static_cast<USHORT>(text.size() * 2);
    if (lieLength_) {
      std::fill(target->Buffer + text.size(), target->Buffer + target->MaximumLength / 2, L'x');
      target->Length = lieLength_;
      lieLength_ = 0;
    }
    return 0;
  }

  std::map<std::wstring, std::vector<std::wstring>> directories_;
  std::map<std::wstring, std::wstring> links_;
  std::vector<std::wstring> unreadable_;
  std::map<std::wstring, size_t> failAfter_;
  std::map<HANDLE, std::wstring> handles_;
  USHORT lieLength_ = 0;
};
FakeNamespace* FakeNamespace::current = nullptr;

// Made-up drives in the system's order; a drive's device may hold several
// zero-separated names, the first one first.
struct FakeDrive {
  std::string root;
  std::string devices;
  UINT type;
};

class FakeDrives {
 public:
  std::vector<FakeDrive> drives;
  // Each drive asked about, in order.
  Names deviceQueries;
  std::vector<std::string> complaints;
  // The root list is reported as this many characters longer than it is.
  DWORD padding = 0;
  int listCalls = 0;

  static FakeDrives* current;

  static DWORD WINAPI LogicalDriveStrings(DWORD length, LPSTR buffer) {
    FakeDrives& self = *current;
    ++self.listCalls;
    if (self.listCalls == 1 && length != 4096) self.complaints.push_back("root list " + std::to_string(length));
    std::string list;
    for (const FakeDrive& drive : self.drives) list += drive.root + '\0';
    list.append(self.padding, '\0');
    if (list.size() + 1 > length) return static_cast<DWORD>(list.size() + 1);
    std::copy(list.begin(), list.end(), buffer);
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }
  static DWORD WINAPI DosDevice(LPCSTR drive, LPSTR target, DWORD length) {
    FakeDrives& self = *current;
    self.deviceQueries.push_back(drive);
    if (length != 1024) self.complaints.push_back("device buffer " + std::to_string(length));
    const FakeDrive* found = self.Find(drive);
    if (!found || found->devices.empty()) return 0;
    std::copy(found->devices.begin(), found->devices.end(), target);
    target[found->devices.size()] = '\0';
    target[found->devices.size() + 1] = '\0';
    return static_cast<DWORD>(found->devices.size() + 2);
  }
  static UINT WINAPI DriveType(LPCSTR drive) {
    const FakeDrive* found = current->Find(drive);
    return found ? found->type : DRIVE_NO_ROOT_DIR;
  }
  static DWORD WINAPI LogicalDrives() { return 0; }

 private:
  const FakeDrive* Find(const std::string& drive) const {
    for (const FakeDrive& candidate : drives)
      if (_stricmp((drive + "\\").c_str(), candidate.root.c_str()) == 0) return &candidate;
    return nullptr;
  }
};
FakeDrives* FakeDrives::current = nullptr;

// The fakes in the seams for the test's length; what was there before after.
class Discovery : public testing::Test {
 protected:
  void SetUp() override {
    std::copy(std::begin(native::Slots), std::end(native::Slots), savedSlots_);
    savedDrives_ = DriveFunctions;
    FakeNamespace::current = &ns;
    FakeDrives::current = &drives;
    InstallFakeSlots();
    DriveFunctions = {&FakeDrives::LogicalDriveStrings, &FakeDrives::DosDevice, &FakeDrives::DriveType,
                      &FakeDrives::LogicalDrives};
  }
  void TearDown() override {
    EXPECT_EQ(ns.complaints, std::vector<std::string>{});
    EXPECT_EQ(drives.complaints, std::vector<std::string>{});
    EXPECT_TRUE(ns.AllHandlesClosed()) << "a directory or link handle was left open";
    std::copy(std::begin(savedSlots_), std::end(savedSlots_), native::Slots);
    DriveFunctions = savedDrives_;
  }

  static void InstallFakeSlots() {
    native::NtOpenDirectoryObjectProc openDirectory = &FakeNamespace::OpenDirectory;
    native::NtOpenSymbolicLinkObjectProc openLink = &FakeNamespace::OpenLink;
    native::NtQueryDirectoryObjectProc queryDirectory = &FakeNamespace::QueryDirectory;
    native::NtQuerySymbolicLinkObjectProc queryLink = &FakeNamespace::QueryLink;
    native::RtlInitUnicodeStringProc init = &FakeNamespace::InitUnicodeString;
    native::Slots[native::slotNtOpenDirectoryObject] = reinterpret_cast<void*>(openDirectory);
    native::Slots[native::slotNtOpenSymbolicLinkObject] = reinterpret_cast<void*>(openLink);
    native::Slots[native::slotNtQueryDirectoryObject] = reinterpret_cast<void*>(queryDirectory);
    native::Slots[native::slotNtQuerySymbolicLinkObject] = reinterpret_cast<void*>(queryLink);
    native::Slots[native::slotRtlInitUnicodeString] = reinterpret_cast<void*>(init);
  }

  // A machine of two disks: C: on partition 1 of disk 0, D: on partition 10 of
  // the same disk, E: a CD-ROM; the disk directories are listed in the order
  // a system gives them, among other devices.
  void TwoDisks() {
    ns.Directory("\\Device", {"Null", "HarddiskVolume1", "Harddisk0", "HarddiskVolume2", "CdRom0", "Harddisk1",
                              "HarddiskVolume3", "MountPointManager"});
    ns.Directory("\\Device\\Harddisk0", {"DR0", "Partition0", "Partition1", "Partition10"});
    ns.Link("\\Device\\Harddisk0\\Partition0", "\\Device\\Harddisk0\\DR0");
    ns.Link("\\Device\\Harddisk0\\Partition1", "\\Device\\HarddiskVolume1");
    ns.Link("\\Device\\Harddisk0\\Partition10", "\\Device\\HarddiskVolume2");
    ns.Directory("\\Device\\Harddisk1", {"DR1", "Partition0", "Partition1"});
    ns.Link("\\Device\\Harddisk1\\Partition0", "\\Device\\Harddisk1\\DR1");
    ns.Link("\\Device\\Harddisk1\\Partition1", "\\Device\\HarddiskVolume3");
    drives.drives = {{"C:\\", "\\Device\\HarddiskVolume1", DRIVE_FIXED},
                     {"D:\\", "\\Device\\HarddiskVolume2", DRIVE_FIXED},
                     {"E:\\", "\\Device\\CdRom0", DRIVE_CDROM},
                     {"F:\\", "\\Device\\HarddiskVolume3", DRIVE_FIXED}};
  }

  FakeNamespace ns;
  FakeDrives drives;

 private:
  void* savedSlots_[native::SlotCount] = {};
  DriveFunctionTable savedDrives_{};
};

TEST_F(Discovery, ListsEveryObjectOfADirectoryInTheSystemsOrder) {
  ns.Directory("\\Device", {"HarddiskVolume1", "Harddisk0", "CdRom0", "Том Учёт", "Null"});
  Names list = {"kept"};
  ListObjectDirectory(L"\\device", &list);
  EXPECT_EQ(list, (Names{"kept", "HarddiskVolume1", "Harddisk0", "CdRom0", "Том Учёт", "Null"}));

  // A directory that cannot be opened adds nothing; one that breaks off with
  // an error keeps what it gave before.
  ListObjectDirectory(L"\\Device\\Harddisk9", &list);
  EXPECT_EQ(list.size(), 6u);
  ns.FailAfter("\\Device", 2);
  list.clear();
  ListObjectDirectory(L"\\Device", &list);
  EXPECT_EQ(list, (Names{"HarddiskVolume1", "Harddisk0"}));
  const int calls = ns.nativeCalls;
  ListObjectDirectory(L"\\Device", nullptr);
  EXPECT_GT(ns.nativeCalls, calls + 2) << "the directory was not read without a list";
}

TEST_F(Discovery, ReadsALinksTargetOrNothing) {
  ns.Link("\\Device\\Harddisk0\\Partition1", "\\Device\\HarddiskVolume1");
  ns.Link("\\Device\\Harddisk0\\Partition2", "\\Device\\Harddisk0\\Partition2");
  ns.Link("\\Device\\Harddisk0\\Partition3", "\\Device\\Том");
  ns.Unreadable("\\Device\\Harddisk0\\Partition2");
  EXPECT_EQ(QuerySymbolicLinkTarget(L"\\DEVICE\\harddisk0\\partition1"), L"\\Device\\HarddiskVolume1");
  EXPECT_EQ(QuerySymbolicLinkTarget(L"\\Device\\Harddisk0\\Partition2"), L"");
  EXPECT_EQ(QuerySymbolicLinkTarget(L"\\Device\\Harddisk0\\Partition9"), L"");
  EXPECT_EQ(QuerySymbolicLinkTarget(L"\\Device\\Harddisk0\\Partition3"), Wide("\\Device\\Том"));
  // A reported length beyond the 1024-byte buffer is not read beyond it.
  ns.LieAboutLength(0xFFFE);
  const std::wstring target = QuerySymbolicLinkTarget(L"\\Device\\Harddisk0\\Partition1");
  EXPECT_EQ(target.size(), 512u);
  EXPECT_EQ(target.rfind(L"\\Device\\HarddiskVolume1", 0), 0u);
}

TEST_F(Discovery, PartitionLinksAreLookedForOnlyUnderNumberedDiskDirectories) {
  ns.Directory("\\Device", {"Harddisk", "HarddiskVolume7", "harddisk2", "HARDDISK3", "Harddisk-4", "Harddisk5x",
                            "Harddisk007", "Harddisk99999999999", "XHarddisk6"});
  for (const char* disk : {"\\Device\\Harddisk", "\\Device\\HarddiskVolume7", "\\Device\\harddisk2",
                           "\\Device\\HARDDISK3", "\\Device\\Harddisk-4", "\\Device\\Harddisk5x",
                           "\\Device\\Harddisk99999999999", "\\Device\\XHarddisk6", "\\Device\\Harddisk7"}) {
    ns.Directory(disk, {"Partition1"});
    ns.Link(std::string(disk) + "\\Partition1", "\\Device\\HarddiskVolume7");
  }
  // Only "Harddisk007" names a disk, and it is looked for without its zeros.
  EXPECT_EQ(FindPartitionLink("\\Device\\HarddiskVolume7"), "\\Device\\Harddisk7\\Partition1");
  EXPECT_EQ(ns.opened, (Names{"dir:\\Device", "dir:\\Device\\Harddisk7", "link:\\Device\\Harddisk7\\Partition1"}));
}

TEST_F(Discovery, PartitionEntriesOfAnyCaseAreMatchedIgnoringAsciiCaseFirstOneWins) {
  ns.Directory("\\Device", {"Harddisk1", "Harddisk0"});
  ns.Directory("\\Device\\Harddisk1", {"DR1", "partition1", "PARTITION2", "Partition0", "XPartition3"});
  ns.Link("\\Device\\Harddisk1\\DR1", "\\Device\\HarddiskVolume9");
  ns.Link("\\Device\\Harddisk1\\partition1", "\\Device\\HarddiskVolume4");
  ns.Link("\\Device\\Harddisk1\\PARTITION2", "\\Device\\Том5");
  ns.Link("\\Device\\Harddisk1\\Partition0", "\\Device\\Harddisk1\\DR1");
  ns.Link("\\Device\\Harddisk1\\XPartition3", "\\Device\\HarddiskVolume6");
  ns.Directory("\\Device\\Harddisk0", {"Partition1"});
  ns.Link("\\Device\\Harddisk0\\Partition1", "\\Device\\HarddiskVolume4");

  EXPECT_EQ(FindPartitionLink("\\DEVICE\\harddiskvolume4"), "\\Device\\Harddisk1\\partition1");
  EXPECT_EQ(FindPartitionLink("\\Device\\Harddisk1\\DR1"), "\\Device\\Harddisk1\\Partition0");
  EXPECT_EQ(FindPartitionLink("\\Device\\Том5"), "\\Device\\Harddisk1\\PARTITION2");
  // Letters beyond ASCII are compared as they are.
  EXPECT_EQ(FindPartitionLink("\\Device\\ТОМ5"), std::nullopt);
  EXPECT_EQ(FindPartitionLink("\\Device\\HarddiskVolume9"), std::nullopt) << "DR1 is no partition entry";
  EXPECT_EQ(FindPartitionLink("\\Device\\HarddiskVolume6"), std::nullopt) << "XPartition3 is no partition entry";
}

TEST_F(Discovery, AnUnreadableLinkPointsAtNoDevice) {
  ns.Directory("\\Device", {"Harddisk0"});
  ns.Directory("\\Device\\Harddisk0", {"Partition1", "Partition2"});
  ns.Link("\\Device\\Harddisk0\\Partition1", "\\Device\\HarddiskVolume1");
  ns.Unreadable("\\Device\\Harddisk0\\Partition1");
  ns.Link("\\Device\\Harddisk0\\Partition2", "\\Device\\HarddiskVolume1");
  EXPECT_EQ(FindPartitionLink("\\Device\\HarddiskVolume1"), "\\Device\\Harddisk0\\Partition2");
  EXPECT_EQ(FindPartitionLink(""), std::nullopt);
  // A fixed drive of which the system knows no device is passed over, even
  // with an unreadable link about.
  drives.drives = {{"C:\\", "", DRIVE_FIXED}};
  EXPECT_EQ(DriveToDeviceName("C:"), "");
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Harddisk0\\Partition1\\I386"), "");
}

TEST_F(Discovery, FixedDrivesAreKnownByTheirPartitionLinkOthersByTheirDeviceName) {
  TwoDisks();
  drives.drives.push_back({"G:\\", "\\Device\\HarddiskVolume8", DRIVE_FIXED});
  drives.drives.push_back({"H:\\", std::string("\\Device\\CdRom1\0\\Device\\CdRom9", 29), DRIVE_CDROM});
  drives.drives.push_back({"N:\\", "\\Device\\LanmanRedirector\\;N:0\\server\\share", DRIVE_REMOTE});
  drives.drives.push_back({"P:\\", "", DRIVE_REMOVABLE});
  EXPECT_EQ(DriveToDeviceName("C:"), "\\Device\\Harddisk0\\Partition1");
  EXPECT_EQ(DriveToDeviceName("D:"), "\\Device\\Harddisk0\\Partition10");
  EXPECT_EQ(DriveToDeviceName("F:"), "\\Device\\Harddisk1\\Partition1");
  EXPECT_EQ(DriveToDeviceName("G:"), "") << "no partition link points at it";
  ns.nativeCalls = 0;
  EXPECT_EQ(DriveToDeviceName("E:"), "\\Device\\CdRom0");
  EXPECT_EQ(DriveToDeviceName("H:"), "\\Device\\CdRom1");
  EXPECT_EQ(DriveToDeviceName("N:"), "\\Device\\LanmanRedirector\\;N:0\\server\\share");
  EXPECT_EQ(DriveToDeviceName("P:"), "");
  EXPECT_EQ(DriveToDeviceName("Q:"), "");
  EXPECT_EQ(ns.nativeCalls, 0) << "the namespace was walked for a drive that is not fixed";
}

TEST_F(Discovery, EmptyOrUnknownPathsGiveEmptyText) {
  TwoDisks();
  for (const std::string& path :
       {std::string(), std::string("\\"), std::string("I386"), std::string("\\Device\\CdRom1\\I386"),
        std::string("\\Device\\Harddisk0\\Partition2\\I386"), std::string("\\Device\\HarddiskVolume1\\I386"),
        std::string("C:\\I386"), std::string("\\Device\\Дистрибутив\\I386"), std::string(300, 'x')})
    EXPECT_EQ(DevicePathToDosPath(path), "") << path;
}

TEST_F(Discovery, TheRestOfThePathKeepsItsLettersAndWhateverStandsBeforeTheDeviceGoes) {
  TwoDisks();
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Harddisk0\\Partition1\\I386"), "C:\\I386");
  EXPECT_EQ(DevicePathToDosPath("\\device\\HARDDISK0\\partition1\\Setup\\i386"), "C:\\Setup\\i386");
  EXPECT_EQ(DevicePathToDosPath("\\??\\GLOBALROOT\\Device\\CdRom0\\Дистрибутив\\I386"), "E:\\Дистрибутив\\I386");
  EXPECT_EQ(DevicePathToDosPath("\\Device\\CDROM0\\дистрибутив"), "E:\\дистрибутив");
  EXPECT_EQ(DevicePathToDosPath("\\Device\\CdRom0"), "E:");
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Harddisk1\\Partition1\\"), "F:\\");
  const std::string deep = "\\" + std::string(300, 'd') + "\\I386";
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Harddisk1\\Partition1" + deep), "F:" + deep);
}

TEST_F(Discovery, TheFirstDriveInTheSystemsOrderThatHoldsThePathAsWholeComponentsWins) {
  TwoDisks();
  // Partition 1's link is text of a path on partition 10, but not a whole
  // component of it: C: must not take D:'s path.
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Harddisk0\\Partition10\\I386"), "D:\\I386");
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Harddisk0\\Partition10"), "D:");
  EXPECT_EQ(DevicePathToDosPath("\\Device\\CdRom01\\I386"), "");
  // Two drives on one device: the first listed takes it, and no drive after
  // the match is asked about.
  drives.drives.insert(drives.drives.begin() + 2, {"B:\\", "\\Device\\CdRom0", DRIVE_REMOVABLE});
  drives.deviceQueries.clear();
  EXPECT_EQ(DevicePathToDosPath("\\Device\\CdRom0\\I386"), "B:\\I386");
  EXPECT_EQ(drives.deviceQueries, (Names{"C:", "D:", "B:"}));
  // Disk 0's partition 0 stands for the whole disk and takes part as well.
  drives.drives.insert(drives.drives.begin(), {"A:\\", "\\Device\\Harddisk0\\DR0", DRIVE_FIXED});
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Harddisk0\\Partition0\\I386"), "A:\\I386");
}

TEST_F(Discovery, WithoutFixedDrivesNoNativeFunctionIsEverBound) {
  drives.drives = {{"D:\\", "\\Device\\CdRom0", DRIVE_CDROM}, {"N:\\", "\\Device\\Mup\\server\\share", DRIVE_REMOTE}};
  std::fill(std::begin(native::Slots), std::end(native::Slots), nullptr);
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Mup\\server\\share\\I386"), "N:\\I386");
  EXPECT_EQ(DevicePathToDosPath("\\Device\\Harddisk0\\Partition1\\I386"), "");
  EXPECT_TRUE(std::all_of(std::begin(native::Slots), std::end(native::Slots), [](void* slot) { return !slot; }));
  InstallFakeSlots();
}

TEST_F(Discovery, TheDriveRootListIsTakenWholeOrNotAtAll) {
  TwoDisks();
  // A list longer than the 4096-character buffer is asked for again, whole.
  drives.padding = 5000;
  EXPECT_EQ(DevicePathToDosPath("\\Device\\CdRom0\\I386"), "E:\\I386");
  EXPECT_EQ(drives.listCalls, 2);
  drives.drives.clear();
  drives.padding = 0;
  EXPECT_EQ(DevicePathToDosPath("\\Device\\CdRom0\\I386"), "");
}

}  // namespace
