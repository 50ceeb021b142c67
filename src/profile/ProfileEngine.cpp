// ProfileEngine: the cache of parsed profile files and the file access under
// it.
//
// A parsed file is reused only while the file is known to be unchanged. The
// cheap test is the file's size, last-write time and change time: every
// write to a file sets its change time to the moment of the write, and no
// copy or time-stamp tool sets it back (a copy that keeps an old last-write
// time and the size would pass the other two). Time stamps have a grain,
// though, and two writes within one grain leave the same stamps, so the test
// is trusted only for a file whose change time lies well before the moment
// its content was last read; any other file is read again and compared byte
// for byte, which still saves the parse. A file system that keeps no change
// time (FAT) is always compared.
//
// The stamps of a file already parsed are asked by its name, which costs a
// twentieth of opening it under Wine; so a file that another program holds
// open without sharing still reads as its known, unchanged text.

#include "profile/ProfileEngine.h"

#include "sys/FileFunctions.h"
#include "sys/NativeApi.h"
#include "sys/Wow64.h"
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <list>
#include <utility>
#include <vector>

namespace profile {

namespace {

// Well wider than the grain of any file system's change time, and than the
// lag with which a file server may report one.
constexpr int64_t kRacyWindow = 3 * 10'000'000LL;  // in 100 ns units
constexpr size_t kMaxCachedFiles = 16;

struct Stamp {
  int64_t size = 0;
  int64_t lastWrite = 0;
  int64_t change = 0;
  bool operator==(const Stamp&) const = default;
};

struct CachedFile {
  std::string key;      // folded full path name
  std::wstring ntPath;  // for asking the stamps by name
  Stamp stamp;
  int64_t contentReadAt = 0;  // system time taken before the content was read
  std::shared_ptr<const ProfileDocument> document;
  uint64_t batch = 0;  // the batch in which the content was last read or written
};

std::list<CachedFile> g_cache;  // most recently used first
// The files held in memory, by folded full path name; a handful at most.
std::vector<std::pair<std::string, std::shared_ptr<const ProfileDocument>>> g_memory;
int g_batchDepth = 0;
uint64_t g_batch = 0;  // the batch open now, when g_batchDepth > 0

uint64_t OpenBatch() { return g_batchDepth > 0 ? g_batch : 0; }

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (Valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  [[nodiscard]] bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  [[nodiscard]] HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

int64_t Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

std::string FullPathName(const std::string& fileName) {
  const DWORD length = GetFullPathNameA(fileName.c_str(), 0, nullptr, nullptr);
  if (length == 0) return fileName;
  std::string full(length, '\0');
  const DWORD written = GetFullPathNameA(fileName.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return fileName;
  full.resize(written);
  return full;
}

// Size and times only: the volume serial number and file index that would
// tell one file from another cost a hundred times more to ask under Wine,
// and a file put in the place of another has a change time of its own.
// The change time comes from the native query (the documented handle query
// that reports it is Vista's); where that is missing, the last-write time
// stands in and the file is compared byte for byte as on FAT.
bool ReadStamp(HANDLE file, Stamp& stamp);

// The native queries of a file's stamps, through the native functions' slots:
// the documented calls that take a name report no change time.
native::NtQueryInformationFileProc QueryInformationFile() {
  return native::BoundOrNull<native::NtQueryInformationFileProc>(native::slotNtQueryInformationFile,
                                                                 "NtQueryInformationFile");
}

native::NtQueryFullAttributesFileProc QueryFullAttributesFile() {
  return native::BoundOrNull<native::NtQueryFullAttributesFileProc>(native::slotNtQueryFullAttributesFile,
                                                                    "NtQueryFullAttributesFile");
}

bool ReadStamp(HANDLE file, Stamp& stamp) {
  // FileNetworkOpenInformation: times, sizes and attributes in one call.
  constexpr auto kFileNetworkOpenInformation = static_cast<FILE_INFORMATION_CLASS>(34);
  if (const auto query = QueryInformationFile()) {
    IO_STATUS_BLOCK status{};
    FILE_NETWORK_OPEN_INFORMATION info{};
    if (query(file, &status, &info, sizeof(info), kFileNetworkOpenInformation) >= 0) {
      stamp.size = info.EndOfFile.QuadPart;
      stamp.lastWrite = info.LastWriteTime.QuadPart;
      stamp.change = info.ChangeTime.QuadPart;
      return true;
    }
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return false;
  stamp.size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
  stamp.lastWrite = static_cast<int64_t>((static_cast<uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                         info.ftLastWriteTime.dwLowDateTime);
  stamp.change = 0;
  return true;
}

// Empty when the stamps cannot be asked by name.
std::wstring NtPathName(const std::string& fullPath) {
  const auto toNtPath = native::BoundOrNull<native::RtlDosPathNameToNtPathName_UProc>(
      native::slotRtlDosPathNameToNtPathName_U, "RtlDosPathNameToNtPathName_U");
  const auto freeString =
      native::BoundOrNull<native::RtlFreeUnicodeStringProc>(native::slotRtlFreeUnicodeString, "RtlFreeUnicodeString");
  if (!QueryFullAttributesFile() || !toNtPath || !freeString) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, fullPath.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, fullPath.c_str(), -1, wide.data(), length);
  UNICODE_STRING nt{};
  if (!toNtPath(wide.c_str(), &nt, nullptr, nullptr)) return {};
  std::wstring out(nt.Buffer, nt.Length / sizeof(WCHAR));
  freeString(&nt);
  return out;
}

bool ReadStampByName(const std::wstring& ntPath, Stamp& stamp) {
  if (ntPath.empty() || ntPath.size() * sizeof(WCHAR) > 0xFFFE) return false;
  UNICODE_STRING name{};
  name.Buffer = const_cast<PWSTR>(ntPath.c_str());
  name.Length = name.MaximumLength = static_cast<USHORT>(ntPath.size() * sizeof(WCHAR));
  OBJECT_ATTRIBUTES attributes{};
  attributes.Length = sizeof(attributes);
  attributes.ObjectName = &name;
  attributes.Attributes = OBJ_CASE_INSENSITIVE;
  FILE_NETWORK_OPEN_INFORMATION info{};
  const auto query = QueryFullAttributesFile();
  if (!query || query(&attributes, &info) < 0) return false;
  stamp.size = info.EndOfFile.QuadPart;
  stamp.lastWrite = info.LastWriteTime.QuadPart;
  stamp.change = info.ChangeTime.QuadPart;
  return true;
}

bool ReadContent(HANDLE file, std::string& content) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart > 0x7FFFFFFF) return false;
  content.assign(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  // The file may grow or shrink under a reader that shares it for writing:
  // read to its end, whatever the size said.
  for (;;) {
    if (done == content.size()) content.resize(done + 4096);
    DWORD got = 0;
    if (!ReadFile(file, content.data() + done, static_cast<DWORD>(content.size() - done), &got, nullptr)) return false;
    if (got == 0) break;
    done += got;
  }
  content.resize(done);
  return true;
}

bool SeekTo(HANDLE file, size_t offset);

// Whether the file, read from its start, holds exactly these bytes.
bool SameContent(HANDLE file, const std::string& bytes) {
  if (!SeekTo(file, 0)) return false;
  std::string piece(std::min<size_t>(bytes.size() + 1, 1 << 20), '\0');
  size_t done = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, piece.data(), static_cast<DWORD>(piece.size()), &got, nullptr)) return false;
    if (got == 0) return done == bytes.size();
    if (got > bytes.size() - done || bytes.compare(done, got, piece, 0, got) != 0) return false;
    done += got;
  }
}

bool SeekTo(HANDLE file, size_t offset) {
  LARGE_INTEGER to;
  to.QuadPart = static_cast<LONGLONG>(offset);
  return SetFilePointerEx(file, to, nullptr, FILE_BEGIN) != 0;
}

// Writes only from the first byte that differs, so an edit near the end of a
// large file costs little; the file keeps its identity, attributes and links.
bool WriteChange(HANDLE file, const std::string& before, const std::string& after) {
  const size_t common = static_cast<size_t>(
      std::mismatch(before.begin(), before.begin() + std::min(before.size(), after.size()), after.begin()).first -
      before.begin());
  if (SeekTo(file, common) && sys::WriteAll(file, after.data() + common, after.size() - common) && SetEndOfFile(file))
    return true;
  // Put the old bytes back so that a failed write (a full disk) leaves no
  // half-written file; the old text needs no more room than it had.
  const DWORD error = GetLastError();
  if (SeekTo(file, common) && sys::WriteAll(file, before.data() + common, before.size() - common)) SetEndOfFile(file);
  SetLastError(error);
  return false;
}

std::list<CachedFile>::iterator Find(const std::string& key) {
  return std::find_if(g_cache.begin(), g_cache.end(), [&](const CachedFile& f) { return f.key == key; });
}

void Forget(const std::string& key) {
  if (const auto found = Find(key); found != g_cache.end()) g_cache.erase(found);
}

void Remember(CachedFile file) {
  Forget(file.key);
  g_cache.push_front(std::move(file));
  if (g_cache.size() > kMaxCachedFiles) g_cache.pop_back();
}

bool Trusted(const CachedFile& cached, const Stamp& stamp) {
  if (cached.stamp != stamp) return false;
  if (cached.batch != 0 && cached.batch == OpenBatch()) return true;
  return stamp.change != 0 && stamp.change + kRacyWindow < cached.contentReadAt;
}

// The document of an open file: the cached one when the file is known to be
// unchanged or reads the same, else a fresh parse. Remembers the result.
std::shared_ptr<const ProfileDocument> Current(HANDLE file, const std::string& fullPath, const std::string& key,
                                               bool mustRead) {
  Stamp stamp;
  if (!ReadStamp(file, stamp)) return nullptr;
  auto cached = Find(key);
  if (cached != g_cache.end() && !mustRead && Trusted(*cached, stamp)) {
    g_cache.splice(g_cache.begin(), g_cache, cached);
    return cached->document;
  }
  CachedFile fresh{key,        cached != g_cache.end() ? cached->ntPath : NtPathName(fullPath), stamp, Now(), nullptr,
                   OpenBatch()};
  // Compared piece by piece against what is known, so that a large file that
  // reads the same is not held twice in memory.
  if (cached != g_cache.end() && SameContent(file, cached->document->Bytes())) {
    fresh.document = cached->document;
  } else {
    std::string content;
    if (!SeekTo(file, 0) || !ReadContent(file, content)) return nullptr;
    fresh.document = std::make_shared<const ProfileDocument>(std::move(content));
  }
  Remember(fresh);
  return fresh.document;
}

std::shared_ptr<const ProfileDocument>* InMemory(const std::string& key) {
  for (auto& [name, document] : g_memory)
    if (name == key) return &document;
  return nullptr;
}

}  // namespace

std::shared_ptr<const ProfileDocument> LoadProfile(const std::string& fileName) {
  const std::string full = FullPathName(fileName);
  const std::string key = Fold(full);
  if (const auto* memory = InMemory(key)) return *memory;
  sys::NativeFileSystem native;
  if (const auto cached = Find(key); cached != g_cache.end()) {
    Stamp stamp;
    if (ReadStampByName(cached->ntPath, stamp) && Trusted(*cached, stamp)) {
      g_cache.splice(g_cache.begin(), g_cache, cached);
      return cached->document;
    }
  }
  Handle file(CreateFileA(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  // A file that cannot be opened reads as missing; what is remembered of it
  // stays, checked again at the next call like everything remembered.
  if (!file.Valid()) return nullptr;
  return Current(file.Get(), full, key, false);
}

bool EditProfile(const std::string& fileName, const ProfileEdit& edit, bool createMissing) {
  const std::string full = FullPathName(fileName);
  const std::string key = Fold(full);
  if (auto* memory = InMemory(key)) {
    if (!(*memory)->Writable()) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return false;
    }
    std::optional<std::string> changed = edit(**memory);
    if (changed) *memory = std::make_shared<const ProfileDocument>(std::move(*changed), **memory);
    return true;
  }
  sys::NativeFileSystem native;
  Handle file(CreateFileA(full.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                          createMissing ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    const DWORD error = GetLastError();
    if (!createMissing && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
      return !edit(ProfileDocument(std::string())).has_value();
    return false;
  }
  // Read afresh, unless read or written in this batch with the stamps
  // unchanged: the handle now keeps other writers out, and the edit must
  // start from exactly the bytes that are in the file.
  const int64_t startedAt = Now();
  auto document = Current(file.Get(), full, key, OpenBatch() == 0);
  if (!document) return false;
  if (!document->Writable()) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return false;
  }
  std::optional<std::string> changed = edit(*document);
  if (!changed) return true;
  if (!WriteChange(file.Get(), document->Bytes(), *changed)) return false;
  // The old text is not wanted any more: let it go before the new one is
  // parsed, so that a large file is not held twice over.
  Forget(key);
  document.reset();
  Stamp stamp;
  if (!ReadStamp(file.Get(), stamp)) {
    Forget(key);
    return true;
  }
  // Stamped with the time before the write, so the stamps the write left are
  // not trusted until they have aged.
  Remember({key, NtPathName(full), stamp, startedAt, std::make_shared<const ProfileDocument>(std::move(*changed)),
            OpenBatch()});
  return true;
}

MemoryProfile::MemoryProfile(const std::string& fileName, std::shared_ptr<const ProfileDocument> document)
    : fileName_(fileName), key_(Fold(FullPathName(fileName))) {
  if (!document) document = std::make_shared<const ProfileDocument>(std::string());
  if (auto* held = InMemory(key_))
    *held = std::move(document);
  else
    g_memory.emplace_back(key_, std::move(document));
}

MemoryProfile::~MemoryProfile() {
  g_memory.erase(std::remove_if(g_memory.begin(), g_memory.end(), [&](const auto& held) { return held.first == key_; }),
                 g_memory.end());
}

std::shared_ptr<const ProfileDocument> MemoryProfile::Document() const {
  const auto* held = InMemory(key_);
  return held ? *held : nullptr;
}

Batch::Batch() {
  if (g_batchDepth++ == 0) ++g_batch;
}

Batch::~Batch() { --g_batchDepth; }

}  // namespace profile
