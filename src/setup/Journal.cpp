// The run journal: the block's text, the values that changed, and the
// bounded append.

#include "setup/Journal.h"

#include "profile/Profile.h"
#include "profile/ProfileEngine.h"
#include "sys/FileFunctions.h"
#include "sys/Launcher.h"
#include "sys/TextUtils.h"

#include <cstdio>
#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_set>

namespace {

constexpr size_t kWhole = std::numeric_limits<size_t>::max() / 4;
// Every block begins with it: the cut of an overgrown journal is made there.
constexpr char kBlockStart[] = "==== KivEdt";

struct Entry {
  std::string key, value;
};

// The keys of a section with the value a read gives: the first line's.
std::vector<Entry> EntriesOf(const std::string& file, const std::string& section) {
  std::vector<Entry> entries;
  for (auto& [key, value] : profile::ReadEntries(file, section, kWhole, kWhole)) {
    bool seen = false;
    for (const Entry& e : entries) seen = seen || SameLocaleText(e.key, key);
    if (!seen) entries.push_back({key, value});
  }
  return entries;
}

// A name as reads match it: an answer file of megabytes has tens of
// thousands of sections, too many to compare each with each.
std::string Folded(std::string name) {
  if (!name.empty()) CharUpperBuffA(name.data(), static_cast<DWORD>(name.size()));
  return name;
}

std::vector<std::string> UniqueSections(const std::string& file) {
  std::vector<std::string> unique;
  std::unordered_set<std::string> seen;
  for (const std::string& name : profile::ReadSectionNames(file, kWhole))
    if (seen.insert(Folded(name)).second) unique.push_back(name);
  return unique;
}

const Entry* Find(const std::vector<Entry>& entries, const std::string& key) {
  for (const Entry& e : entries)
    if (SameLocaleText(e.key, key)) return &e;
  return nullptr;
}

bool IsSecret(const std::string& key) { return AsciiUpper(key).find("PASSWORD") != std::string::npos; }

std::string Shown(const std::string& key, const std::string& value, bool present) {
  if (!present) return "(нет)";
  if (IsSecret(key)) return "***";
  return "\"" + value + "\"";
}

std::string TimeText(const SYSTEMTIME& t) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                t.wSecond);
  return text;
}

}  // namespace

namespace {

std::string FileBytes(const std::string& name) {
  std::string bytes;
  (void)sys::ReadAll(name, bytes);
  return bytes;
}

bool IsUtf16(const std::string& bytes) {
  return bytes.size() >= 2 &&
         ((bytes[0] == '\xFF' && bytes[1] == '\xFE') || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

// The name of a section header line, or nothing.
bool HeaderName(std::string_view line, std::string& name) {
  size_t i = 0;
  while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
  if (i >= line.size() || line[i] != '[') return false;
  const size_t close = line.find(']', i + 1);
  name = TrimBlanks(std::string(line.substr(i + 1, (close == std::string_view::npos ? line.size() : close) - i - 1)));
  return true;
}

// The sections whose lines lie in text[from, to), and the one that holds
// `from`, in order.
void SectionsAround(const std::string& text, size_t from, size_t to, std::vector<std::string>& names) {
  size_t lineStart = text.rfind('\n', from ? from - 1 : 0);
  lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
  // The header above the first difference.
  std::string name;
  for (size_t at = lineStart; at > 0;) {
    const size_t end = at - 1;
    size_t begin = text.rfind('\n', end ? end - 1 : 0);
    begin = begin == std::string::npos || end == 0 ? 0 : begin + 1;
    if (HeaderName(std::string_view(text).substr(begin, end - begin), name)) {
      names.push_back(name);
      break;
    }
    at = begin;
  }
  for (size_t at = lineStart; at < text.size() && at <= to;) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (HeaderName(std::string_view(text).substr(at, end - at), name)) names.push_back(name);
    at = end + 1;
  }
}

}  // namespace

std::vector<JournalChange> AnswerFileChanges(const std::string& before, const std::string& after) {
  std::vector<JournalChange> changes;
  const std::string oldBytes = FileBytes(before), newBytes = FileBytes(after);
  if (oldBytes == newBytes) return changes;
  // One operation: each file is taken as read once, not compared byte for
  // byte again at every section of a file written seconds ago.
  profile::Batch batch;
  std::vector<std::string> candidates;
  if (IsUtf16(oldBytes) || IsUtf16(newBytes)) {
    candidates = UniqueSections(after);
    for (const std::string& name : UniqueSections(before)) candidates.push_back(name);
  } else {
    // Only the sections the differing stretch touches can hold a change: an
    // answer file of megabytes is mostly the same before and after.
    const size_t shorter = std::min(oldBytes.size(), newBytes.size());
    size_t prefix = 0;
    while (prefix < shorter && oldBytes[prefix] == newBytes[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < shorter - prefix &&
           oldBytes[oldBytes.size() - 1 - suffix] == newBytes[newBytes.size() - 1 - suffix])
      ++suffix;
    SectionsAround(newBytes, prefix, newBytes.size() - suffix, candidates);
    SectionsAround(oldBytes, prefix, oldBytes.size() - suffix, candidates);
  }
  std::unordered_set<std::string> done;
  for (const std::string& section : candidates) {
    if (section.empty() || !done.insert(Folded(section)).second) continue;
    const bool inOld = profile::SectionExists(before, section), inNew = profile::SectionExists(after, section);
    const std::vector<Entry> oldEntries = inOld ? EntriesOf(before, section) : std::vector<Entry>{};
    const std::vector<Entry> newEntries = inNew ? EntriesOf(after, section) : std::vector<Entry>{};
    for (const Entry& e : newEntries) {
      const Entry* old = Find(oldEntries, e.key);
      if (!old)
        changes.push_back({section, e.key, "", e.value, false, true});
      else if (old->value != e.value)
        changes.push_back({section, e.key, old->value, e.value, true, true});
    }
    for (const Entry& e : oldEntries)
      if (!Find(newEntries, e.key)) changes.push_back({section, e.key, e.value, "", true, false});
  }
  return changes;
}

std::string JournalBlock(const JournalRun& run) {
  std::string text;
  auto line = [&text](const std::string& l) { text.append(l).append("\r\n"); };
  line(std::string(kBlockStart) + " " + run.version + " (" + run.build + ") ====");
  line("Начало:         " + TimeText(run.started));
  line("Конец:          " + TimeText(run.ended));
  line("Файл ответов:   " + run.answerFile);
  line("Завершение:     " + run.ending);
  if (!run.udbFile.empty())
    line("UDB:            " + run.udbFile + ", режим " + run.udbMode + ", компьютер " + run.udbComputer);
  if (run.changes.empty()) {
    line("Изменения:      нет");
  } else {
    line("Изменения:");
    for (const JournalChange& c : run.changes)
      line("  [" + c.section + "] " + c.key + ": " + Shown(c.key, c.before, c.hadBefore) + " -> " +
           Shown(c.key, c.after, c.hasAfter));
  }
  line(std::string("Итоговый вид:   ") + (run.previewEdited ? "изменён вручную" : "не изменялся вручную"));
  for (const auto& [command, code] : run.programs)
    line("Программа:      " + command + " (код завершения " + std::to_string(code) + ")");
  for (const std::string& error : run.errors) line("Сообщение:      " + error);
  line("");
  return text;
}

std::string JournalFileName(const std::string& configFile) {
  // A marker no one types tells an absent key from an empty one.
  const std::string kAbsent = "\x01";
  const std::string name = profile::ReadString(configFile, "KivEditor", "LogFile", kAbsent, MAX_PATH * 4);
  if (name == kAbsent) return ExpandEnvironment("%SystemRoot%\\KivEdt.log");
  return TrimBlanks(ExpandEnvironment(name));
}

bool AppendToJournal(const std::string& file, const std::string& block, size_t limit) {
  if (file.empty()) return false;
  HANDLE h = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(h, &size) != 0;
  if (ok && static_cast<ULONGLONG>(size.QuadPart) + block.size() > limit && size.QuadPart < 0x7FFFFFFF) {
    // The older half goes, cut where a block begins, so that every block
    // left is whole.
    std::string old(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ok = ReadFile(h, old.data(), static_cast<DWORD>(old.size()), &got, nullptr) && got == old.size();
    if (ok) {
      size_t cut = old.find(kBlockStart, old.size() / 2);
      std::string kept = cut == std::string::npos ? std::string() : old.substr(cut);
      DWORD written = 0;
      ok = SetFilePointer(h, 0, nullptr, FILE_BEGIN) == 0 &&
           WriteFile(h, kept.data(), static_cast<DWORD>(kept.size()), &written, nullptr) && written == kept.size() &&
           SetEndOfFile(h);
    }
  }
  if (ok) {
    DWORD written = 0;
    ok = SetFilePointer(h, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
         WriteFile(h, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written == block.size();
  }
  CloseHandle(h);
  return ok;
}
