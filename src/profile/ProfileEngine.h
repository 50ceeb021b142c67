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
