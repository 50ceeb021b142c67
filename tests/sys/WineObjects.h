#pragma once
// Real drives and object-namespace entries that a Wine prefix lacks, made by a
// test for its own length and removed afterwards: a drive letter of any type
// mapped to a folder (through Wine's mount manager, as its configuration tool
// does it, so no server restart is needed) and permanent partition links
// "\Device\Harddisk<N>\Partition<M>", which live in the wineserver until
// removed.

#include <windows.h>

#include <string>
#include <vector>

namespace kivtest {

class MappedDrive {
 public:
  // Maps `letter` (which must be free) to the folder with the drive type given
  // (DRIVE_CDROM, DRIVE_REMOVABLE, ...).
  MappedDrive(char letter, UINT type, const std::string& folder);
  ~MappedDrive();
  MappedDrive(const MappedDrive&) = delete;
  MappedDrive& operator=(const MappedDrive&) = delete;

  // The first letter from `from` on that no drive uses, or 0.
  [[nodiscard]] static char FreeLetter(char from);

  [[nodiscard]] bool Ok() const noexcept { return ok_; }
  // What went wrong, when not Ok().
  [[nodiscard]] const std::string& Error() const noexcept { return error_; }
  // "K:"
  [[nodiscard]] std::string Drive() const { return std::string(1, letter_) + ":"; }

 private:
  char letter_;
  bool ok_ = false;
  std::string error_;
};

class PartitionLinks {
 public:
  // Makes the directory "\Device\Harddisk<N>" for the first N from 60 on that
  // is not taken.
  PartitionLinks();
  ~PartitionLinks();
  PartitionLinks(const PartitionLinks&) = delete;
  PartitionLinks& operator=(const PartitionLinks&) = delete;

  [[nodiscard]] bool Ok() const noexcept { return !disk_.empty(); }
  [[nodiscard]] const std::string& Error() const noexcept { return error_; }
  // "\Device\Harddisk<N>"
  [[nodiscard]] const std::string& Disk() const noexcept { return disk_; }
  // Adds "\Device\Harddisk<N>\<name>" pointing at `target`; its full name, or
  // empty when it could not be made.
  std::string Add(const std::string& name, const std::string& target);

 private:
  std::string disk_;
  std::vector<std::string> links_;
  std::string error_;
};

// The volume device a drive letter stands for ("\Device\HarddiskVolume1").
[[nodiscard]] std::string DosDevice(const std::string& drive);

}  // namespace kivtest
