// The answer file's globals, the working copy and the value access.

#include "setup/AnswerFile.h"

#include "profile/Profile.h"
#include "profile/ProfileDocument.h"
#include "setup/SetupSyntax.h"
#include "sys/Wow64.h"

#include <windows.h>

#include <map>
#include <optional>

std::string AnswerFileName;
std::string WorkFileName;
std::vector<std::string> EditorDirectives;
bool PreviewEditedByHand = false;
UDBMergeRecord LastUDBMerge;

namespace {

constexpr size_t kValueBuffer = 261;
// Large enough for any value a profile line holds in practice.
constexpr size_t kWholeValueBuffer = 65536;

// The values the pages were given cut to the read limit: writing such a
// value back unchanged would lose its end, so that write keeps the whole
// value instead. File, section and key are matched as the profile engine
// matches names.
class CutReads {
 public:
  // The value as the page was given it, when it was cut.
  [[nodiscard]] const std::string* Find(const std::string& file, const std::string& section,
                                        const std::string& key) const {
    const auto found = values_.find(Id(file, section, key));
    return found == values_.end() ? nullptr : &found->second;
  }
  void Remember(const std::string& file, const std::string& section, const std::string& key, const std::string& shown) {
    values_[Id(file, section, key)] = shown;
  }
  void Forget(const std::string& file, const std::string& section, const std::string& key) {
    values_.erase(Id(file, section, key));
  }

 private:
  static std::string Id(const std::string& file, const std::string& section, const std::string& key) {
    return profile::Fold(file + '\n' + std::string(profile::Trim(section)) + '\n' + std::string(profile::Trim(key)));
  }
  std::map<std::string, std::string> values_;
};

CutReads g_cutReads;

}  // namespace

bool CopyAnswerToWorkingCopy() {
  sys::NativeFileSystem native;
  // A read-only copy left by an earlier run would refuse to be replaced.
  SetFileAttributesA(WorkFileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!CopyFileA(AnswerFileName.c_str(), WorkFileName.c_str(), FALSE)) return false;
  SetFileAttributesA(WorkFileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  return true;
}

void RemoveWorkingCopy() {
  if (WorkFileName.empty()) return;
  sys::NativeFileSystem native;
  SetFileAttributesA(WorkFileName.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(WorkFileName.c_str());
}

namespace {

// Setup reads the working copy with its own parser, so values there are
// shown and stored in its syntax; any other file (the editor's
// configuration) is read as the profile functions read it.
bool IsWorkingCopy(const std::string& file) { return profile::Fold(file) == profile::Fold(WorkFileName); }

}  // namespace

void ReadProfileValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                      const std::string& fileName, std::string& value) {
  const std::string& file = fileName.empty() ? WorkFileName : fileName;
  const std::optional<std::string> stored =
      IsWorkingCopy(file) ? profile::ReadStoredText(file, section, key) : std::nullopt;
  if (stored) {
    value = inf::Shown(*stored, inf::KindOfKey(key));
  } else {
    value = profile::ReadString(file, section, key, defaultValue, kWholeValueBuffer);
  }
  if (value.size() < kValueBuffer) {
    g_cutReads.Forget(file, section, key);
    return;
  }
  value.resize(kValueBuffer - 1);
  // Only a value that is really in the file is worth keeping whole.
  if (stored || profile::ReadStoredText(file, section, key))
    g_cutReads.Remember(file, section, key, value);
  else
    g_cutReads.Forget(file, section, key);
}

void WriteProfileValue(const std::string& section, const std::string& key, const std::string& value, bool edited) {
  if (const std::string* cut = g_cutReads.Find(WorkFileName, section, key)) {
    if (*cut == value) return;
    g_cutReads.Forget(WorkFileName, section, key);
  }
  const std::optional<std::string> old = profile::ReadStoredText(WorkFileName, section, key);
  const std::string stored = inf::ToStore(value, inf::KindOfKey(key), old ? &*old : nullptr, edited);
  // Like the platform's profile write, a failure here is not the caller's
  // business: the pages go on.
  (void)profile::WriteStoredText(WorkFileName, section, key, stored);
}

std::string SetupReadsOtherwise(const std::string& section, const std::string& key, const std::string& shown) {
  const std::optional<std::string> stored = profile::ReadStoredText(WorkFileName, section, key);
  if (!stored) return {};
  const inf::ValueKind kind = inf::KindOfKey(key);
  // An edited box is written in setup's syntax; only the stored text can
  // be read otherwise.
  if (inf::Shown(*stored, kind) != shown) return {};
  return inf::ReadsOtherwise(*stored, kind);
}
