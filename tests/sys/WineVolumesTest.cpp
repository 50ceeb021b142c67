// Volume discovery against Wine's own native functions and drives: the
// object directory "\Device", a CD-ROM drive mapped to a folder, and partition
// links of a fixed drive made as permanent objects for the test.

#include "support/TestFiles.h"
#include "sys/ChangerUtil.h"
#include "sys/NativeApi.h"
#include "sys/WineObjects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

using namespace kivtest;

namespace {

using Names = std::vector<std::string>;

bool Contains(const Names& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Starts from unbound slots, so that the real functions are bound here.
class WineVolumes : public testing::Test {
 protected:
  void SetUp() override {
    std::copy(std::begin(native::Slots), std::end(native::Slots), saved_);
    std::fill(std::begin(native::Slots), std::end(native::Slots), nullptr);
  }
  void TearDown() override { std::copy(std::begin(saved_), std::end(saved_), native::Slots); }

 private:
  void* saved_[native::SlotCount] = {};
};

TEST_F(WineVolumes, ListsTheDeviceDirectory) {
  Names devices;
  ListObjectDirectory(L"\\Device", &devices);
  EXPECT_TRUE(Contains(devices, DosDevice("C:").substr(8))) << "no " << DosDevice("C:");
  EXPECT_TRUE(Contains(devices, "Null"));
  EXPECT_TRUE(Contains(devices, "MountPointManager"));
  Names again;
  ListObjectDirectory(L"\\DEVICE", &again);
  EXPECT_EQ(again, devices);
  Names none;
  ListObjectDirectory(L"\\Device\\KivNoSuchDirectory", &none);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(QuerySymbolicLinkTarget(L"\\??\\C:"), std::wstring(L"\\Device\\") + L"HarddiskVolume1");
  EXPECT_EQ(QuerySymbolicLinkTarget(L"\\??\\KivNoSuchLink"), L"");
}

TEST_F(WineVolumes, ConvertsAPathOnACdRomDrive) {
  ScratchFolder medium;
  ASSERT_TRUE(CreateDirectoryA((medium / "I386").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((medium / "I386\\Учёт").c_str(), nullptr));
  const char letter = MappedDrive::FreeLetter('k');
  ASSERT_NE(letter, 0) << "no free drive letter";
  MappedDrive cdrom(letter, DRIVE_CDROM, medium.Path());
  ASSERT_TRUE(cdrom.Ok()) << cdrom.Error();
  ASSERT_EQ(GetDriveTypeA(cdrom.Drive().c_str()), static_cast<UINT>(DRIVE_CDROM));
  const std::string device = DosDevice(cdrom.Drive());
  ASSERT_EQ(device.rfind("\\Device\\CdRom", 0), 0u) << device;

  EXPECT_EQ(DriveToDeviceName(cdrom.Drive()), device);
  const std::string path = DevicePathToDosPath(device + "\\I386\\Учёт");
  EXPECT_EQ(path, cdrom.Drive() + "\\I386\\Учёт");
  EXPECT_TRUE(IsFolder(path)) << path << " is not the folder made on the medium";
  std::string lower = device;
  CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
  EXPECT_EQ(DevicePathToDosPath(lower + "\\i386"), cdrom.Drive() + "\\i386");
  EXPECT_EQ(DevicePathToDosPath(device + "9\\I386"), "");
}

TEST_F(WineVolumes, ConvertsAPathOnAPartitionOfAFixedDrive) {
  const std::string volume = DosDevice("C:");
  ASSERT_FALSE(volume.empty());
  ASSERT_EQ(GetDriveTypeA("C:"), static_cast<UINT>(DRIVE_FIXED));
  // Without partition links a fixed drive matches nothing.
  EXPECT_EQ(DriveToDeviceName("C:"), "");
  PartitionLinks disk;
  ASSERT_TRUE(disk.Ok()) << disk.Error();
  const std::string partition1 = disk.Add("Partition1", volume);
  const std::string partition10 = disk.Add("Partition10", DosDevice("Z:"));
  ASSERT_FALSE(partition1.empty()) << disk.Error();
  ASSERT_FALSE(partition10.empty()) << disk.Error();
  ASSERT_FALSE(disk.Add("Partition0", disk.Disk() + "\\DR60").empty()) << disk.Error();

  EXPECT_EQ(FindPartitionLink(volume), partition1);
  EXPECT_EQ(DriveToDeviceName("C:"), partition1);
  EXPECT_EQ(DevicePathToDosPath(partition1 + "\\I386"), "C:\\I386");
  EXPECT_EQ(DevicePathToDosPath(partition1 + "\\windows\\system32"), "C:\\windows\\system32");
  EXPECT_TRUE(IsFolder(DevicePathToDosPath(partition1 + "\\windows\\system32")));
  EXPECT_EQ(DevicePathToDosPath(partition10 + "\\tmp"), "Z:\\tmp");
  // The five functions of volume discovery were bound from ntdll on the way.
  for (native::Slot slot :
       {native::slotNtOpenDirectoryObject, native::slotNtOpenSymbolicLinkObject, native::slotNtQueryDirectoryObject,
        native::slotNtQuerySymbolicLinkObject, native::slotRtlInitUnicodeString})
    EXPECT_NE(native::Slots[slot], nullptr) << slot;
}

}  // namespace
