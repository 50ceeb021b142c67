#pragma once
// ProfileEngine: the profile files the program uses, each parsed once and
// kept while the file stays as it is, and the writes that put an edit into
// the file before they return.

#include "profile/ProfileDocument.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace profile {

// The file as it is now; nullptr when it cannot be read (missing, or held by
// another program), where the profile functions give the default.
[[nodiscard]] std::shared_ptr<const ProfileDocument> LoadProfile(const std::string& fileName);

// One operation of the operator's (a page's load or save, a merge) as a
// batch of reads and writes: while a batch lives, a file once read or
// written in it is taken as unchanged as long as its size and times are,
// without the byte compare that guards files changed in the last seconds.
// The compare is for writers racing within one time-stamp grain; inside one
// operation of ours the writer is ourselves. Batches nest; the outermost
// decides.
class Batch {
 public:
  Batch();
  ~Batch();
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;
};

// A profile file that lives in memory only, under a name: while it lives,
// the profile functions read and write that name here and no disk is
// touched, whatever is on the disk under the name. For a caller that makes
// and reads a copy of a file many times over and must leave nothing behind
// (KivCheck merges each computer of a UDB into the answer file's text).
// An edit makes a new document; the one given stays as it is, so one parsed
// file can start any number of copies. Not nested: one name, one holder.
class MemoryProfile {
 public:
  MemoryProfile(const std::string& fileName, std::shared_ptr<const ProfileDocument> document);
  ~MemoryProfile();
  MemoryProfile(const MemoryProfile&) = delete;
  MemoryProfile& operator=(const MemoryProfile&) = delete;
  [[nodiscard]] const std::string& FileName() const noexcept { return fileName_; }
  // The text as the edits so far have left it.
  [[nodiscard]] std::shared_ptr<const ProfileDocument> Document() const;

 private:
  std::string fileName_;
  std::string key_;
};

// Given the file's current document, an edit returns the file's new bytes, or
// nothing when nothing is to change.
using ProfileEdit = std::function<std::optional<std::string>(const ProfileDocument&)>;

// Runs the edit on the file as it is now and writes the result before it
// returns; the file is held against other writers meanwhile. A missing file
// is created when `createMissing` is set and otherwise taken as empty (and
// left missing). False when the file could not be read or written; the file
// then has the bytes it had.
[[nodiscard]] bool EditProfile(const std::string& fileName, const ProfileEdit& edit, bool createMissing);

}  // namespace profile
