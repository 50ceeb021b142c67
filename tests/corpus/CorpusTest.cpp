// Bad input through the real editor. Every file under tests/corpus/ is an
// answer file, a UDB file or a KivEdt.ini that is cut short, binary, in an
// odd encoding or with odd line ends, or full of duplicate and broken lines
// (tests/corpus/README.md says which is which); a few enormous ones are made
// here at run time. Each goes through two unattended runs of KivEdt.exe: one
// that the countdown ends as with OK, and one that ends with Save. Either run
// must end in time with exit code 0, show no message box the program does not
// mean to show, leave no working copy, leave the answer file as the pages
// wrote it and every other file of its folder (KivEdt.ini and the UDB files
// included) as it was.

#include "e2e/EditorRun.h"
#include "sys/WineObjects.h"

#include "profile/Profile.h"
#include "setup/SetupSyntax.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <string_view>

namespace kivtest {
namespace {

enum class Kind { Answer, Udb, Ini };

// How a KivEdt.ini of the corpus gives the countdown run its length.
enum class Countdown {
  // The file itself holds a TimeOut of 1 that the program must find.
  FromFile,
  // Nothing readable is in it: for the countdown run a [KivEditor] section
  // with TimeOut=1 is appended behind the bad bytes, which still have to be
  // read past.
  Appended,
  // Nothing readable, and anything appended would make it another case (a
  // file cut in its last line would no longer end there): the default 30 s
  // would hold the run, so it only runs with Save.
  SaveOnly,
};

struct Value {
  std::string section, key;
  std::optional<std::string> value;  // none: the key must be absent
  bool prefix = false;               // the value must begin with this text
};

struct CorpusCase {
  Kind kind;
  // The name under tests/corpus/<kind>/, or of a file made at run time.
  std::string file;
  std::string (*generate)() = nullptr;

  // Answer files: Save leaves every byte as it was, because the user data
  // that the identification page writes back is in the file as it writes it
  // (or the file is one the program only reads).
  bool saveKeepsBytes = false;
  // A file the program only reads (UTF-16): no page may change a byte of it.
  bool readOnly = false;

  // UDB files: the computer configured as DefaultUDBIdent, and what its merge
  // puts into the answer file; only the sections named here may change.
  std::string ident{};
  std::vector<Value> merged{};
  // The merge hits a key that cannot be written: the page reports it in a
  // message box naming the working copy, and the dialog goes on.
  bool mergeFails = false;
  // Known fault: a run that nobody attends is held by that message box. The
  // reason; the case of CorpusUnattended is skipped while it is set.
  // Set up as "$UNIQUE$.UDB" in the installation source folder (unique mode).
  bool unique = false;
  // The UDB file's name in its folder and as DefaultUDBFile (default: `file`).
  std::string installAs{};
  std::string defaultFile{};

  // KivEdt.ini files.
  Countdown countdown = Countdown::FromFile;
  // Whether the run-program page is there: the commands were read.
  bool commands = false;
};

const char kAnswerName[] = "winnt.sif";

const char* KindFolder(Kind kind) {
  switch (kind) {
    case Kind::Answer: return "answer";
    case Kind::Udb: return "udb";
    case Kind::Ini: return "ini";
  }
  return "";
}

// Named by its file in the messages of failed cases.
void PrintTo(const CorpusCase& c, std::ostream* out) { *out << KindFolder(c.kind) << "/" << c.file; }

std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

// ------------------------------------------------------------ made at run time

// The example answer file followed by 10 MB of sections, among them a
// [UserData] every 150 bytes or so that holds an old-style ProductID: the
// first one counts, and a Save must take ProductID out of every one of them
// without touching a line of the others.
std::string TenMegabytesOfDuplicateSections() {
  std::string text = ExampleAnswerFile();
  for (int n = 1; text.size() < 10 * 1024 * 1024; ++n) {
    const std::string id = std::to_string(n);
    text += "\r\n[UserData]\r\nComputerName = DUP-" + id + "\r\nProductID = " + id +
            "\r\n\r\n[params.MS_TCPIP.Adapter" + id + "]\r\nSpecificTo = Adapter" + id + "\r\nIPAddress = 10.1." +
            std::to_string(n % 250) + ".30\r\n; Отдел " + id + "\r\n";
  }
  return text;
}

// The example with a full name of 1 MB in one line: the page shows it cut to
// its read limit and must not write the cut value back.
std::string OneMegabyteUserDataLine() {
  std::string text = ExampleAnswerFile();
  const std::string line = "FullName = \"Бухгалтерия\"";
  const size_t at = text.find(line);
  if (at == std::string::npos) {
    ADD_FAILURE() << "the example has no " << line;
    return text;
  }
  text.replace(at, line.size(), "FullName = " + std::string(1024 * 1024, 'Ж'));
  return text;
}

// A computer whose full name is 1 MB long; a UDB value is read up to 2047
// characters.
std::string OneMegabyteUdbValue() {
  return "[UniqueIds]\r\nPC01 = UserData,KIVEDITOR\r\n\r\n[PC01:KIVEDITOR]\r\nDescription1 = Длинное имя\r\n\r\n"
         "[PC01:UserData]\r\nComputerName = PC01-MB\r\nFullName = " +
         std::string(1024 * 1024, 'Ж') + "\r\nOrgName = after the long line\r\n";
}

// A button caption of 1 MB after a readable TimeOut.
std::string OneMegabyteIniLine() {
  return "[KivEditor]\r\nTimeOut=1\r\n[Commands]\r\nCommand0=notepad.exe\r\nCommand0_Caption=" +
         std::string(1024 * 1024, 'c') + "\r\nCommand0_Hint=after the long line\r\n";
}

// ------------------------------------------------------------ the cases

std::vector<CorpusCase> AnswerCases() {
  const Kind A = Kind::Answer;
  return {
      {.kind = A, .file = "truncated-mid-line.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "truncated-mid-section-header.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "truncated-in-userdata-value.sif"},
      {.kind = A, .file = "truncated-mid-utf8-sequence.sif"},
      {.kind = A, .file = "binary-random.sif"},
      {.kind = A, .file = "binary-exe-header.sif"},
      {.kind = A, .file = "duplicate-sections-and-keys.sif"},
      {.kind = A, .file = "utf8-bom-cyrillic.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "utf8-no-bom-cyrillic.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "utf8-bom-outside-code-page.sif", .saveKeepsBytes = true},
      // UTF-16 files are read, never written.
      {.kind = A, .file = "utf16le-bom.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "utf16be-bom.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "nul-bytes.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "cr-only-line-ends.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "mixed-line-ends.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "cp1251-cyrillic-names.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "unbalanced-brackets.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "equals-without-key.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "very-long-keys-and-section-names.sif", .saveKeepsBytes = true},
      // A computer name longer than its box takes by typing, values longer
      // than a read gives: shown as stored and written back whole.
      {.kind = A, .file = "long-userdata-values.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "network-references-astray.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "blank-tab-ctrlz-lines.sif", .saveKeepsBytes = true},
      {.kind = A, .file = "keys-before-any-section.sif"},
      {.kind = A, .file = "semicolons-and-odd-quotes-in-userdata.sif"},
      {.kind = A, .file = "only-comments-and-nameless-sections.sif"},
      {.kind = A,
       .file = "generated-ten-megabytes-of-duplicate-sections.sif",
       .generate = &TenMegabytesOfDuplicateSections},
      {.kind = A,
       .file = "generated-one-megabyte-userdata-line.sif",
       .generate = &OneMegabyteUserDataLine,
       .saveKeepsBytes = true},
  };
}

std::vector<CorpusCase> UdbCases() {
  const Kind U = Kind::Udb;
  const std::vector<Value> accounting = {
      {"UserData", "ComputerName", "ACC-PC01"},
      {"UserData", "FullName", "Главный бухгалтер"},
      {"UserData", "OrgName", "ООО «Пример»"},
      {"Identification", "JoinWorkgroup", "БУХГАЛТЕРИЯ"},
  };
  return {
      {.kind = U,
       .file = "truncated-mid-line.udb",
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "PC01-CASH"}, {"UserData", "FullName", "\"Касс"}},
       .unique = true},
      {.kind = U,
       .file = "truncated-mid-section-header.udb",
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "PC01-CUT"}}},
      {.kind = U,
       .file = "truncated-mid-utf8-sequence.udb",
       .ident = "PC01",
       .merged = {{"UserData", "FullName", "Главный бухгалтер"}, {"UserData", "OrgName", "ООО Прим", true}}},
      {.kind = U, .file = "binary-random.udb", .ident = "PC01"},
      {.kind = U, .file = "binary-exe-header.udb", .ident = "PC01"},
      // The first of duplicate sections and keys counts.
      {.kind = U,
       .file = "duplicate-sections-and-keys.udb",
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "FIRST"},
                  {"UserData", "FullName", "Первый"},
                  {"UserData", "OrgName", "ООО Пример"}}},
      {.kind = U, .file = "utf8-bom-cyrillic.udb", .ident = "ACC-PC01", .merged = accounting},
      // Without a mark the bytes are taken as they are.
      {.kind = U,
       .file = "utf8-no-bom-cyrillic.udb",
       .ident = "ACC-PC01",
       .merged = {{"UserData", "ComputerName", "ACC-PC01"},
                  {"UserData", "FullName", Utf8(u8"Главный бухгалтер")},
                  {"UserData", "OrgName", Utf8(u8"ООО «Пример»")},
                  {"Identification", "JoinWorkgroup", Utf8(u8"БУХГАЛТЕРИЯ")}}},
      {.kind = U, .file = "utf16le-bom.udb", .ident = "ACC-PC01", .merged = accounting, .unique = true},
      {.kind = U, .file = "utf16be-bom.udb", .ident = "ACC-PC01", .merged = accounting},
      // A NUL ends the section list, a value and a name.
      {.kind = U,
       .file = "nul-bytes.udb",
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "PC01-NUL"}, {"UserData", "FullName", "Касса"}}},
      {.kind = U, .file = "cr-only-line-ends.udb", .ident = "ACC-PC01", .merged = accounting},
      // Identifiers, section names, the file's name and the configured
      // defaults in Cyrillic, each in another letter case.
      {.kind = U,
       .file = "cp1251-cyrillic-ids.udb",
       .ident = "касса-2",
       .merged = {{"UserData", "ComputerName", "KASSA-2"},
                  {"UserData", "FullName", "Кассир"},
                  {"Identification", "JoinWorkgroup", "КАССА"}},
       .installAs = "Бухгалтерия.udb",
       .defaultFile = "БУХГАЛТЕРИЯ.UDB"},
      // "[Broken = 1" is a key named "[Broken": it cannot be written, so the
      // merge stops there with a message, after the keys before it.
      {.kind = U,
       .file = "unbalanced-brackets.udb",
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "PC01-NEW"}, {"UserData", "OrgName", "ООО Пример"}},
       .mergeFails = true},
      {.kind = U,
       .file = "equals-without-key.udb",
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "PC01-EQ"}, {"UserData", "OrgName", "ООО Пример"}}},
      {.kind = U,
       .file = "very-long-keys-and-names.udb",
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "PC01-LONG"}, {"UserData", std::string(2000, 'K'), "v"}}},
      {.kind = U,
       .file = "blank-tab-ctrlz-lines.udb",
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "PC01-Z"}}},
      {.kind = U,
       .file = "generated-one-megabyte-value-line.udb",
       .generate = &OneMegabyteUdbValue,
       .ident = "PC01",
       .merged = {{"UserData", "ComputerName", "PC01-MB"},
                  {"UserData", "FullName", std::string(2047, 'Ж')},
                  {"UserData", "OrgName", "after the long line"}}},
  };
}

std::vector<CorpusCase> IniCases() {
  const Kind I = Kind::Ini;
  return {
      {.kind = I, .file = "truncated-mid-line.ini", .commands = true},
      {.kind = I, .file = "truncated-mid-section-header.ini", .countdown = Countdown::SaveOnly, .commands = true},
      {.kind = I, .file = "truncated-mid-utf8-sequence.ini", .commands = true},
      {.kind = I, .file = "binary-random.ini", .countdown = Countdown::SaveOnly},
      {.kind = I, .file = "binary-exe-header.ini", .countdown = Countdown::Appended},
      // TimeOut is there four times; only the first one is 1.
      {.kind = I, .file = "duplicate-sections-and-keys.ini", .commands = true},
      {.kind = I, .file = "utf8-bom-cyrillic.ini", .commands = true},
      {.kind = I, .file = "utf8-no-bom-cyrillic.ini", .commands = true},
      {.kind = I, .file = "utf16le-bom.ini", .commands = true},
      {.kind = I, .file = "utf16be-bom.ini", .commands = true},
      {.kind = I, .file = "nul-bytes.ini", .commands = true},
      {.kind = I, .file = "cr-only-line-ends.ini", .commands = true},
      {.kind = I, .file = "cp1251-cyrillic-names.ini", .commands = true},
      {.kind = I, .file = "unbalanced-brackets.ini"},
      {.kind = I, .file = "equals-without-key.ini"},
      {.kind = I, .file = "very-long-keys-and-section-names.ini", .commands = true},
      {.kind = I, .file = "blank-tab-ctrlz-lines.ini", .commands = true},
      {.kind = I, .file = "generated-one-megabyte-line.ini", .generate = &OneMegabyteIniLine, .commands = true},
  };
}

std::vector<CorpusCase> WithMergeError(std::vector<CorpusCase> cases) {
  std::erase_if(cases, [](const CorpusCase& c) { return !c.mergeFails; });
  return cases;
}

std::vector<CorpusCase> WithCountdown(std::vector<CorpusCase> cases) {
  std::erase_if(cases, [](const CorpusCase& c) { return c.countdown == Countdown::SaveOnly; });
  return cases;
}

std::string CaseName(const testing::TestParamInfo<CorpusCase>& info) {
  std::string name = info.param.file;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

std::string CorpusPath(Kind kind, const std::string& file) {
  return HostPath(std::string(KIV_CORPUS_DIR) + "/" + KindFolder(kind) + "/" + file);
}

std::string CorpusContent(const CorpusCase& c) {
  if (c.generate) return c.generate();
  const std::string path = CorpusPath(c.kind, c.file);
  if (!FileExists(path)) ADD_FAILURE() << "no corpus file " << path;
  return ReadWholeFile(path);
}

// ------------------------------------------------------------ checking

// Every file below a folder with its content, by its name relative to it.
using Snapshot = std::map<std::string, std::string>;

void AddTree(Snapshot& snapshot, const std::string& root, const std::string& relative) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((root + (relative.empty() ? "" : "\\" + relative) + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string inner = relative.empty() ? name : relative + "\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      AddTree(snapshot, root, inner);
    else
      snapshot[inner] = ReadWholeFile(root + "\\" + inner);
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

// `except`: the name of one file in the folder itself that is left out.
Snapshot TakeSnapshot(const std::string& root, const std::string& except) {
  Snapshot snapshot;
  AddTree(snapshot, root, "");
  snapshot.erase(except);
  return snapshot;
}

// The names whose presence or content differs.
std::string SnapshotDifference(const Snapshot& expected, const Snapshot& actual) {
  std::string report;
  for (const auto& [name, content] : expected) {
    const auto found = actual.find(name);
    if (found == actual.end())
      report += " gone: " + name + ";";
    else if (found->second != content)
      report += " changed: " + name + ";";
  }
  for (const auto& [name, content] : actual)
    if (!expected.count(name)) report += " new: " + name + ";";
  return report;
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The lines of a profile file that lie outside the sections named (in upper
// case), with their line breaks; blank lines are left out, and so is the
// break of the last line kept, since an edit that appends a section may add
// a blank line and a break there. A header is a line whose text, blanks
// trimmed, begins with "[" and has a "]" after it; its name runs to the last
// "]" and ends at a NUL.
std::vector<std::string> LinesOutside(const std::string& bytes, const std::set<std::string>& sections) {
  std::vector<std::string> lines;
  bool inside = false;
  const size_t begin = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  for (size_t pos = begin; pos < bytes.size();) {
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    size_t next = end;
    if (next < bytes.size()) next += bytes[next] == '\r' && next + 1 < bytes.size() && bytes[next + 1] == '\n' ? 2 : 1;
    const std::string_view text = TrimBlanks(std::string_view(bytes).substr(pos, end - pos));
    if (!text.empty()) {
      const size_t close = text.front() == '[' ? text.rfind(']') : std::string_view::npos;
      if (close != std::string_view::npos && close > 0) {
        std::string_view name = TrimBlanks(text.substr(1, close - 1));
        name = name.substr(0, name.find('\0'));
        inside = sections.count(AsciiUpper(std::string(name))) > 0;
      }
      if (!inside) lines.push_back(bytes.substr(pos, next - pos));
    }
    pos = next;
  }
  if (!lines.empty()) {
    std::string& last = lines.back();
    while (!last.empty() && (last.back() == '\r' || last.back() == '\n')) last.pop_back();
  }
  return lines;
}

std::string Printable(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 160)) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof(hex), "\\x%02X", u);
      out += hex;
    } else {
      out += c;
    }
  }
  if (text.size() > 160) out += "...";
  return out;
}

// Empty when the two lists are equal, else where they part.
std::string LinesDifference(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
  const size_t common = std::min(expected.size(), actual.size());
  for (size_t i = 0; i < common; ++i)
    if (expected[i] != actual[i])
      return "line " + std::to_string(i + 1) + " of those kept: expected \"" + Printable(expected[i]) + "\", found \"" +
             Printable(actual[i]) + "\"";
  if (expected.size() != actual.size())
    return std::to_string(expected.size()) + " lines expected to be kept, " + std::to_string(actual.size()) + " found";
  return {};
}

const std::string kAbsent(1, '\x01');

std::optional<std::string> ValueIn(const std::string& file, const std::string& section, const std::string& key) {
  std::string value = profile::ReadString(file, section, key, kAbsent, 65536);
  if (value == kAbsent) return std::nullopt;
  return value;
}

// The value as the pages show it and, once they wrote it, as setup reads it.
std::optional<std::string> SetupViewIn(const std::string& file, const std::string& section, const std::string& key) {
  const std::optional<std::string> stored = profile::ReadStoredText(file, section, key);
  if (!stored) return std::nullopt;
  return inf::Shown(*stored, inf::KindOfKey(key));
}

std::string Shown(const std::optional<std::string>& value) {
  if (!value) return "<absent>";
  std::string shown(1, '"');
  shown.append(Printable(*value)).push_back('"');
  return shown;
}

std::set<std::string> SectionNames(const std::string& bytes) {
  std::set<std::string> names;
  for (size_t pos = 0; pos < bytes.size();) {
    size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    std::string_view text = TrimBlanks(std::string_view(bytes).substr(pos, end - pos));
    if (pos == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") text = TrimBlanks(text.substr(3));
    const size_t close = !text.empty() && text.front() == '[' ? text.rfind(']') : std::string_view::npos;
    if (close != std::string_view::npos && close > 0) {
      std::string_view name = TrimBlanks(text.substr(1, close - 1));
      names.insert(AsciiUpper(std::string(name.substr(0, name.find('\0')))));
    }
    pos = end + 1;
  }
  return names;
}

// The sections the pages of an answer file write when every one of them has
// been shown and saved: those of fixed name, the global TCP/IP section that
// [NetProtocols] names and the per-adapter ones its AdapterSections list, the
// adapter sections [NetAdapters] names, and any section that was not there
// before (a page adds the sections it needs).
// The text of a UTF-16 file (either byte order, with its mark) in the ANSI
// code page, for the line comparisons; any other file as it is.
std::string Decoded(const std::string& bytes) {
  const bool little = bytes.rfind("\xFF\xFE", 0) == 0, big = bytes.rfind("\xFE\xFF", 0) == 0;
  if (!little && !big) return bytes;
  std::wstring wide((bytes.size() - 2) / 2, L'\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    const auto a = static_cast<unsigned char>(bytes[2 + 2 * i]), b = static_cast<unsigned char>(bytes[3 + 2 * i]);
    wide[i] = static_cast<wchar_t>(little ? a | (b << 8) : (a << 8) | b);
  }
  std::string text(wide.size() * 2, '\0');
  const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(),
                                         static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(static_cast<size_t>(std::max(length, 0)));
  return text;
}

std::set<std::string> PageSections(const std::string& file, const std::string& before, const std::string& after) {
  std::set<std::string> owned = {"USERDATA",    "IDENTIFICATION", "GUIUNATTENDED", "NETPROTOCOLS", "NETWORKING",
                                 "NETADAPTERS", "BRANDING",       "PROXY",         "DISPLAY",      "PARAMS.MS_TCPIP"};
  auto own = [&](std::string_view name) { owned.insert(AsciiUpper(std::string(TrimBlanks(name)))); };
  for (const char* key : {"MS_TCPIP", "#MS_TCPIP"}) {
    const std::optional<std::string> tcpip = ValueIn(file, "NetProtocols", key);
    if (!tcpip) continue;
    own(*tcpip);
    std::string list = ValueIn(file, *tcpip, "AdapterSections").value_or("");
    for (size_t from = 0; from <= list.size();) {
      const size_t comma = std::min(list.find(',', from), list.size());
      own(std::string_view(list).substr(from, comma - from));
      from = comma + 1;
    }
  }
  for (const auto& [name, value] : profile::ReadEntries(file, "NetAdapters")) {
    own(value);
    own("params." + name);
    own("params.MS_TCPIP." + name);
  }
  const std::set<std::string> had = SectionNames(before);
  for (const std::string& name : SectionNames(after))
    if (!had.count(name)) owned.insert(name);
  return owned;
}

// ------------------------------------------------------------ the runs

class CorpusRun : public EditorRun, public testing::WithParamInterface<CorpusCase> {
 protected:
  void SetUp() override {
    content_ = CorpusContent(GetParam());
    ASSERT_FALSE(content_.empty());
    if (GetParam().kind == Kind::Udb) {
      // Setup records the source folder as a device path; a partition link
      // of the scratch folder's drive lets the editor turn it back into one.
      links_ = std::make_unique<PartitionLinks>();
      ASSERT_TRUE(links_->Ok()) << links_->Error();
      sourceLink_ = links_->Add("Partition1", DosDevice(folder.Path().substr(0, 2)));
      ASSERT_FALSE(sourceLink_.empty()) << links_->Error();
    }
  }

  // The answer file, KivEdt.ini and the UDB folder of the case.
  void Prepare(bool countdown) {
    const CorpusCase& c = GetParam();
    const std::string timeOut = countdown ? "1" : "300";
    switch (c.kind) {
      case Kind::Answer:
        WriteWholeFile(answerFile, content_);
        WriteWholeFile(folder / "KivEdt.ini", "[KivEditor]\r\nTimeOut=" + timeOut + "\r\n");
        break;
      case Kind::Ini: {
        WriteWholeFile(answerFile, ExampleAnswerFile());
        std::string ini = content_;
        if (countdown && c.countdown == Countdown::Appended) ini += "\r\n[KivEditor]\r\nTimeOut=1\r\n";
        WriteWholeFile(folder / "KivEdt.ini", ini);
        break;
      }
      case Kind::Udb: {
        const std::string source = folder / "I386";
        const std::string udbFolder = c.unique ? source : folder / "UDB";
        CreateDirectoryA(source.c_str(), nullptr);
        CreateDirectoryA(udbFolder.c_str(), nullptr);
        const std::string name = c.unique ? "$UNIQUE$.UDB" : c.installAs.empty() ? c.file : c.installAs;
        WriteWholeFile(udbFolder + "\\" + name, content_);
        WriteWholeFile(folder / "KivEdt.ini",
                       "[KivEditor]\r\nTimeOut=" + timeOut + "\r\n[UDB]\r\nPath=" + udbFolder + "\r\nDefaultUDBFile=" +
                           (c.defaultFile.empty() ? name : c.defaultFile) + "\r\nDefaultUDBIdent=" + c.ident + "\r\n");
        WriteWholeFile(answerFile, UdbAnswerFile(source));
        break;
      }
    }
    original_ = ReadWholeFile(answerFile);
    before_ = TakeSnapshot(folder.Path(), kAnswerName);
  }

  std::string UdbAnswerFile(const std::string& source) const {
    return "; Answer file of a machine whose own values come from a UDB file.\r\n"
           "[Data]\r\nsourcepath = \"" +
           sourceLink_ + source.substr(2) + "\"\r\nuniqueness = " + GetParam().ident +
           "\r\n\r\n[GuiUnattended]\r\nAdminPassword = \"*\"\r\nTimeZone = 145\r\n\r\n"
           "[UserData]\r\nProductKey = \"XXXXX-XXXXX-XXXXX-XXXXX-XXXXX\"\r\nFullName = \"Бухгалтерия\"\r\n"
           "OrgName = \"ООО Пример\"\r\nComputerName = ACC-PC01\r\n\r\n"
           "[Identification]\r\nJoinWorkgroup = WORKGROUP\r\n\r\n[Display]\r\nBitsPerPel = 32\r\n";
  }

  // Waits for the end of the run; a message box that shows meanwhile is
  // noted and answered, as an operator would. The exit code, or -1.
  int FinishNotingBoxes(int timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, ProcessId());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (process && WaitForSingleObject(process, 20) == WAIT_TIMEOUT && std::chrono::steady_clock::now() < deadline) {
      if (HWND box = WaitForMessageBox(0)) AnswerBox(box);
    }
    if (process) CloseHandle(process);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return Finish(static_cast<int>(std::max<long long>(left.count(), 100)));
  }

  void AnswerBox(HWND box) {
    boxes_.push_back(MessageBoxText(box));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int wait = 0; wait < 250 && IsWindow(box); ++wait) Sleep(20);
  }

  // A key press, as the operator's first one: it stops the countdown for good.
  void PressShift() const {
    HWND form = Window("dlgSettings");
    ASSERT_TRUE(form);
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(VK_SHIFT, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(form, WM_KEYDOWN, VK_SHIFT, 1 | scan);
    PostMessageA(form, WM_KEYUP, VK_SHIFT, 1 | scan | (3LL << 30));
  }

  void RunCountdown() {
    Prepare(true);
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog());
    const auto shown = GetTickCount();
    // Well short of the 30 s default: a TimeOut that was not read shows here.
    const int code = FinishNotingBoxes(10000);
    const double seconds = static_cast<double>(GetTickCount() - shown) / 1000.0;
    ASSERT_EQ(code, 0) << "after " << seconds << " s (-1: the countdown of 1 s had not ended the run)";
    CheckAfter(false);
  }

  // The countdown run with nobody there to answer the message box.
  void RunUnattended() {
    Prepare(true);
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog());
    HWND box = WaitForMessageBox(10000);
    ASSERT_TRUE(box) << "no message box about the failed merge";
    boxes_.push_back(MessageBoxText(box));
    // The box closes by itself when the countdown runs out, and the run ends.
    const int code = Finish(15000);
    ASSERT_EQ(code, 0) << "(-1: the run was still waiting 15 s after the box showed)";
    CheckAfter(false);
  }

  // Every page and every tab of the network page brought to the front and
  // left again, as an operator looking through them does.
  void VisitEveryPage() {
    ASSERT_EQ(TabCount("PC"), 4) << "answer files run without UDB files and commands";
    for (int i = 1; i < 4; ++i) ClickTab("PC", i, 60000);
    ClickTab("PC", 1, 60000);
    // Left to right only: Wine's tab control misplaces a click on a strip
    // scrolled back to the left.
    for (int i = 0; i < TabCount("pc_network"); ++i) ClickTab("pc_network", i);
    ClickTab("PC", 0);
  }

  // The pages the dialog must have: a UDB page with a UDB file in the
  // configured folder, a run-program page when commands were read.
  int ExpectedPages() const {
    const CorpusCase& c = GetParam();
    return 4 + (c.kind == Kind::Udb ? 1 : 0) + (c.commands ? 1 : 0);
  }

  void RunSave(bool visit = false) {
    visited_ = visit;
    Prepare(false);
    Start("-f:winnt.sif");
    ASSERT_TRUE(WaitForDialog());
    EXPECT_EQ(TabCount("PC"), ExpectedPages());
    if (GetParam().mergeFails) {
      // The page reports the failed merge once the dialog runs; Save comes
      // after the operator has read it.
      HWND box = WaitForMessageBox(10000);
      ASSERT_TRUE(box) << "no message box about the failed merge";
      AnswerBox(box);
    }
    PressShift();
    if (visit) VisitEveryPage();
    if (HasFatalFailure()) return;
    ClickButton("btnSave");
    const int code = FinishNotingBoxes(20000);
    ASSERT_EQ(code, 0) << "(-1: the run had not ended 20 s after Save)";
    CheckAfter(true);
  }

  void CheckAfter(bool saved) {
    const CorpusCase& c = GetParam();
    EXPECT_FALSE(FileExists(answerFile + ".new")) << "a working copy is left";
    if (c.mergeFails) {
      ASSERT_EQ(boxes_.size(), 1u) << "one message box about the failed merge";
      EXPECT_NE(boxes_[0].find("Unable to write to"), std::string::npos) << boxes_[0];
      EXPECT_NE(boxes_[0].find(answerFile + ".new"), std::string::npos) << boxes_[0];
    } else {
      for (const std::string& box : boxes_) ADD_FAILURE() << "message box: " << box;
    }

    Snapshot expected = before_;
    if (c.kind == Kind::Udb && c.unique && saved) {
      // Save retires the setup's UDB file under a name no run picks up.
      const std::string name = "I386\\$UNIQUE$.UDB";
      expected[name + ".KIV"] = expected[name];
      expected.erase(name);
    }
    const std::string difference = SnapshotDifference(expected, TakeSnapshot(folder.Path(), kAnswerName));
    EXPECT_TRUE(difference.empty()) << "other files of the folder:" << difference;

    ASSERT_TRUE(FileExists(answerFile)) << "the answer file is gone";
    const std::string after = ReadWholeFile(answerFile);
    switch (c.kind) {
      case Kind::Answer:
        if (!saved || c.readOnly || (c.saveKeepsBytes && !visited_))
          ExpectSameBytes(after);
        else
          ExpectUserDataWrittenBack(after);
        break;
      case Kind::Ini: ExpectSameBytes(after); break;
      case Kind::Udb: ExpectMerged(after, saved); break;
    }
  }

  void ExpectSameBytes(const std::string& after) const {
    if (after == original_) return;
    const size_t common = std::min(original_.size(), after.size());
    const size_t at = static_cast<size_t>(
        std::mismatch(original_.begin(), original_.begin() + static_cast<std::ptrdiff_t>(common), after.begin()).first -
        original_.begin());
    const size_t from = at < 40 ? 0 : at - 40;
    ADD_FAILURE() << "the answer file changed from byte " << at << " on: expected \""
                  << Printable(std::string_view(original_).substr(from, 120)) << "\", found \""
                  << Printable(std::string_view(after).substr(from, 120)) << "\" (" << original_.size()
                  << " bytes before, " << after.size() << " after)";
  }

  // Save wrote the four keys of the identification page with the values it
  // read (the defaults for missing ones; a ProductID moved to ProductKey),
  // and no line outside the [UserData] sections changed, or outside the
  // sections of any page when every page was shown.
  void ExpectUserDataWrittenBack(const std::string& after) const {
    const ScratchFolder scratch;
    const std::string before = scratch / "before.sif";
    WriteWholeFile(before, original_);
    // A UTF-16 file stays UTF-16, in its byte order; its lines are compared
    // as text.
    if (Decoded(original_) != original_) {
      EXPECT_EQ(after.substr(0, 2), original_.substr(0, 2));
    }
    const std::string textBefore = Decoded(original_), textAfter = Decoded(after);
    const std::set<std::string> owned =
        visited_ ? PageSections(before, textBefore, textAfter) : std::set<std::string>{"USERDATA"};
    const std::string difference = LinesDifference(LinesOutside(textBefore, owned), LinesOutside(textAfter, owned));
    EXPECT_TRUE(difference.empty()) << "outside the pages' sections: " << difference;
    auto was = [&](const char* key) { return SetupViewIn(before, "UserData", key); };
    const std::pair<const char*, std::optional<std::string>> expected[] = {
        {"ComputerName", was("ComputerName").value_or("*")},
        {"FullName", was("FullName").value_or("")},
        {"OrgName", was("OrgName").value_or("")},
        {"ProductKey", was("ProductID") ? was("ProductID") : was("ProductKey").value_or("")},
        {"ProductID", std::nullopt},
    };
    for (const auto& [key, value] : expected)
      EXPECT_EQ(Shown(SetupViewIn(answerFile, "UserData", key)), Shown(value)) << "[UserData] " << key;
  }

  // The merge put the computer's values in; nothing outside the sections it
  // names changed.
  void ExpectMerged(const std::string& after, bool saved) const {
    const CorpusCase& c = GetParam();
    std::vector<Value> values = c.merged;
    // Save in unique mode takes setup's record of the computer out as well.
    if (c.unique && saved) values.push_back({"Data", "uniqueness", std::nullopt});
    if (values.empty()) {
      ExpectSameBytes(after);
      return;
    }
    std::set<std::string> touched;
    for (const Value& v : values) touched.insert(AsciiUpper(v.section));
    const std::string difference = LinesDifference(LinesOutside(original_, touched), LinesOutside(after, touched));
    EXPECT_TRUE(difference.empty()) << "outside the merged sections: " << difference;
    for (const Value& v : values) {
      const std::optional<std::string> found = ValueIn(answerFile, v.section, v.key);
      if (v.prefix && v.value && found)
        EXPECT_EQ(found->substr(0, v.value->size()), *v.value) << "[" << v.section << "] " << Printable(v.key);
      else
        EXPECT_EQ(Shown(found), Shown(v.value)) << "[" << v.section << "] " << Printable(v.key);
    }
  }

  std::unique_ptr<PartitionLinks> links_;
  std::string sourceLink_;
  std::string content_;
  std::string original_;
  Snapshot before_;
  std::vector<std::string> boxes_;
  bool visited_ = false;
};

// The countdown ends the run as with OK: no page is saved on this path, so
// the answer file keeps every byte, except for what a UDB computer's merge
// put in while the page loaded.
class CorpusCountdown : public CorpusRun {};
TEST_P(CorpusCountdown, EndsTheRunWithTheAnswerFileAsThePagesLeftIt) { RunCountdown(); }

// Save writes back what the first page shows: the user data (which is the
// file's own unless keys are missing), or nothing from the UDB page when the
// configured computer stays selected.
class CorpusSave : public CorpusRun {};
TEST_P(CorpusSave, EndsTheRunWithTheAnswerFileAsThePagesLeftIt) { RunSave(); }

// The operator looks through every page before Save: each page reads the
// bad file, and the pages write only into their own sections.
class CorpusVisitAndSave : public CorpusRun {};
TEST_P(CorpusVisitAndSave, EndsTheRunWithOnlyThePagesSectionsChanged) { RunSave(true); }

// Nobody is at the machine during an unattended setup: a message box must
// not hold the run that the countdown ends.
class CorpusUnattended : public CorpusRun {};
TEST_P(CorpusUnattended, AMessageBoxDoesNotHoldTheCountdownRun) { RunUnattended(); }

INSTANTIATE_TEST_SUITE_P(AnswerFiles, CorpusCountdown, testing::ValuesIn(AnswerCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(AnswerFiles, CorpusSave, testing::ValuesIn(AnswerCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(AnswerFiles, CorpusVisitAndSave, testing::ValuesIn(AnswerCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(UdbFiles, CorpusCountdown, testing::ValuesIn(UdbCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(UdbFiles, CorpusSave, testing::ValuesIn(UdbCases()), CaseName);
INSTANTIATE_TEST_SUITE_P(UdbFiles, CorpusUnattended, testing::ValuesIn(WithMergeError(UdbCases())), CaseName);
INSTANTIATE_TEST_SUITE_P(IniFiles, CorpusCountdown, testing::ValuesIn(WithCountdown(IniCases())), CaseName);
INSTANTIATE_TEST_SUITE_P(IniFiles, CorpusSave, testing::ValuesIn(IniCases()), CaseName);

// A file put into the corpus without a case would never run, and a case
// without its file would test nothing.
TEST(CorpusListing, EveryFileOfTheCorpusHasItsCase) {
  for (const auto& [kind, cases] :
       {std::pair{Kind::Answer, AnswerCases()}, std::pair{Kind::Udb, UdbCases()}, std::pair{Kind::Ini, IniCases()}}) {
    std::set<std::string> listed, files;
    for (const CorpusCase& c : cases)
      if (!c.generate) listed.insert(c.file);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((CorpusPath(kind, "") + "*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE) << CorpusPath(kind, "");
    do
      if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.insert(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    EXPECT_EQ(files, listed) << KindFolder(kind);
  }
}

}  // namespace
}  // namespace kivtest
