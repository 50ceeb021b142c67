// Our profile functions against the platform's: a corpus of awkward files
// and every question the program could ask of them, answered by both. Where
// the platform under Wine answers otherwise for a reason of its own, the case
// is named in kDivergences with the reason ours stands, and checked to be
// exactly that difference.

#include "ProfileTestFiles.h"
#include "profile/Profile.h"
#include "profile/ProfileDocument.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

using namespace kivtest;

namespace {

// --- the platform's answers -------------------------------------------------

std::string PlatformRead(const std::string& file, const std::string& section, const std::string& key,
                         const std::string& def, size_t buffer) {
  std::string out(buffer + 1, '\x7F');
  GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), out.data(), static_cast<DWORD>(buffer),
                           file.c_str());
  return buffer == 0 ? std::string() : std::string(out.c_str());
}

// A list of names as the program takes it from the buffer: up to the
// returned length, ending at the first empty name.
std::vector<std::string> SplitList(const std::string& buffer, size_t length) {
  std::vector<std::string> names;
  for (size_t at = 0; at < length && buffer[at] != '\0';) {
    const std::string name(buffer.c_str() + at);
    names.push_back(name);
    at += name.size() + 1;
  }
  return names;
}

std::vector<std::string> PlatformKeys(const std::string& file, const std::string& section, size_t buffer) {
  std::string out(buffer + 2, '\0');
  const DWORD length =
      GetPrivateProfileStringA(section.c_str(), nullptr, "", out.data(), static_cast<DWORD>(buffer), file.c_str());
  return SplitList(out, length);
}

std::vector<std::string> PlatformSectionNames(const std::string& file, size_t buffer) {
  std::string out(buffer + 2, '\0');
  const DWORD length = GetPrivateProfileSectionNamesA(out.data(), static_cast<DWORD>(buffer), file.c_str());
  return SplitList(out, length);
}

// Makes the platform read the file afresh: it keeps a parsed copy of its own,
// which a change made through our functions within one time-stamp grain
// would leave stale.
void PlatformForget(const std::string& file) { WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str()); }

std::string Join(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += "<" + name + ">";
  return text;
}

std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// --- known divergences --------------------------------------------------------

// One question, both answers, and what our parse knows of the file.
struct Question {
  std::string what;  // "read", "int", "keys", "names"
  std::string section, key;
  size_t buffer = 0;
  std::string ours, platform;
  const profile::ProfileDocument* document = nullptr;
};

struct Divergence {
  const char* name;
  const char* reason;
  std::function<bool(const Question&)> explains;
};

const profile::ProfileDocument::Section* SectionOf(const Question& q) { return q.document->FindSection(q.section); }

const std::vector<Divergence> kDivergences = {
    {"QuotedValueFillingTheBuffer",
     "Wine cuts a quoted value whose text is exactly one character shorter than the buffer by one character "
     "more (an off-by-one in its quote removal); every other length is cut to one short of the buffer, and so "
     "is ours",
     [](const Question& q) {
       const auto* s = SectionOf(q);
       const auto* e = s ? q.document->FindEntry(*s, q.key) : nullptr;
       return q.what == "read" && e && e->hasValue && e->value.size() >= 2 && e->value.front() == e->value.back() &&
              (e->value.front() == '"' || e->value.front() == '\'') && e->value.size() - 2 == q.buffer - 1 &&
              q.platform == q.ours.substr(0, q.ours.size() - 1);
     }},
    {"KeyListOfAnUntrimmedSectionName",
     "Wine's key list matches the section name as given, blanks included, while its reads trim it; ours trims "
     "for both, so a list and a read of one name agree",
     [](const Question& q) { return q.what == "keys" && q.section != profile::Trim(q.section) && q.platform.empty(); }},
    {"NamelessEntryEndsTheKeyList",
     "a line \"=value\" gives the platform's key list an empty name, where a list of names ends, so the keys "
     "after it are lost; ours leaves the nameless entry out and lists the rest",
     [](const Question& q) {
       const auto* s = SectionOf(q);
       if (q.what != "keys" || !s) return false;
       std::string before;
       for (const auto& e : q.document->Entries(*s)) {
         if (e.hasValue && e.name.empty()) return q.ours.substr(0, before.size()) == before && q.platform == before;
         if (e.hasValue && !e.comment) before += "<" + e.name + ">";
       }
       return false;
     }},
    {"NameCutByTheListBuffer",
     "a name that does not fit the list buffer comes back cut short from the platform, a name that is not in the "
     "file; ours leaves it out",
     [](const Question& q) {
       if ((q.what != "keys" && q.what != "names") || q.platform.size() <= q.ours.size() ||
           q.platform.compare(0, q.ours.size(), q.ours) != 0 ||
           q.platform.find('>', q.ours.size()) != q.platform.size() - 1)
         return false;
       // The one name more is the head of a longer name in the file.
       const std::string cut = q.platform.substr(q.ours.size() + 1, q.platform.size() - q.ours.size() - 2);
       const auto longer = [&](const std::string& name) { return name.size() > cut.size() && name.starts_with(cut); };
       if (q.what == "names")
         return std::any_of(q.document->Sections().begin(), q.document->Sections().end(),
                            [&](const auto& s) { return longer(s.name); });
       const auto* s = SectionOf(q);
       return s && std::ranges::any_of(q.document->Entries(*s), [&](const auto& e) { return longer(e.name); });
     }},
};

// --- the corpus -------------------------------------------------------------

struct CorpusFile {
  const char* name;
  std::string bytes;
};

std::vector<CorpusFile> Corpus() {
  const std::string v259(259, 'a'), v260(260, 'b'), v261(261, 'c'), v2046(2046, 'd'), v2047(2047, 'e'),
      v2048(2048, 'f');
  return {
      {"blanks",
       "  [ Sec ]  \r\n  Key  =  Value  \r\n\tTab\t=\tv\t\r\nEmpty =\r\nK3= \"\" \r\nK4='x'\r\nK5=\"a\r\nK6=\"\r\n"
       "K7='a\"\r\nK8=\"a'b\"\r\nK9=\"  in  \"\r\nK10 = a = b\r\nEof=\x1A x \x1A\r\nVt=\v\fv\v\r\n"},
      {"comments",
       "; top comment\r\n[S]\r\n;c=1\r\nplain line\r\n k = 1 ; trailing\r\n#hash=2\r\n;\r\n[T]\r\n; only\r\n"},
      {"duplicates", "[S]\r\na=1\r\nA=2\r\n[T]\r\nb=1\r\n[s]\r\na=3\r\nc=4\r\n[S]\r\nd=5\r\n"},
      {"before-first-section", "top=1\r\nnoeq\r\n[S]\r\nx=1\r\n[]\r\ny=2\r\ntop=hidden\r\n"},
      {"line-feeds", "[S]\nA=1\n\n[T]\nB=2\n"},
      {"carriage-returns", "[S]\rA=1\r\r[T]\rB=2\r"},
      {"mixed-breaks", "[S]\r\nA=1\n[T]\r\r\nB=2\n\rC=3"},
      {"no-final-break", "[S]\r\nA=1\r\n[T]\r\nB=\"2\""},
      {"headers", "[S]junk\r\nk=1\r\n[a]b]\r\nk=2\r\n[open\r\nk=3\r\n[ ]\r\nk=4\r\n[x] = y\r\nk=5\r\n"},
      {"cyrillic",
       "[Сеть]\r\nИмя=Значение\r\nёлка = \"ель\"\r\n[ЁЛКА]\r\nк=2\r\n[Данные пользователя]\r\nФИО=Иванов\r\n"},
      {"nameless", "[S]\r\nA=1\r\n=x\r\nB=2\r\n[T]\r\n=first\r\nC=3\r\n"},
      {"integers",
       "[I]\r\nA=12\r\nB=-1\r\nC= 7\r\nD=0x1F\r\nE=0X1F\r\nF=12abc\r\nG=abc\r\nH=\r\nI='5'\r\nJ=4294967297\r\nK=+3\r\n"
       "L=0b101\r\nM=0o17\r\nN=-0x10\r\nO=\"\"\r\nP=2147483648\r\nQ=99999999999999999999999999999999\r\n"},
      {"long-values", "[L]\r\nV259=" + v259 + "\r\nV260=" + v260 + "\r\nV261=" + v261 + "\r\nQ259=\"" + v259 +
                          "\"\r\nQ260=\"" + v260 + "\"\r\nQ261='" + v261 + "'\r\nV2046=" + v2046 + "\r\nV2047=" +
                          v2047 + "\r\nV2048=" + v2048 + "\r\nQ2047=\"" + v2047 + "\"\r\nQ2048=\"" + v2048 + "\"\r\n"},
      {"utf8-bom", "\xEF\xBB\xBF[\xD0\xA1\xD0\xB5\xD1\x82\xD1\x8C]\nName=\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\n[S]\nK=v\n"},
      {"empty", ""},
      {"only-blank-lines", "\r\n\r\n   \r\n"},
  };
}

std::vector<CorpusFile> CorpusWithSamples() {
  auto corpus = Corpus();
  for (const auto& sample : SampleAnswerFiles()) corpus.push_back({nullptr, ReadWholeFile(sample)});
  return corpus;
}

// Compares one answer; a mismatch must be a known divergence.
class Comparer {
 public:
  void Check(Question q) {
    ++asked_;
    if (q.ours == q.platform) return;
    for (const auto& d : kDivergences)
      if (d.explains(q)) {
        ++excused_[d.name];
        return;
      }
    ADD_FAILURE() << q.what << " [" << q.section << "] " << q.key << " buffer " << q.buffer
                  << "\n  ours:     " << q.ours << "\n  platform: " << q.platform;
  }
  void Report() const {
    std::printf("%d answers compared\n", asked_);
    for (const auto& d : kDivergences)
      if (const int count = Excused(d.name))
        std::printf("  known divergence %s (%d answers): %s\n", d.name, count, d.reason);
  }
  [[nodiscard]] int Excused(const std::string& name) const {
    const auto found = excused_.find(name);
    return found == excused_.end() ? 0 : found->second;
  }

 private:
  int asked_ = 0;
  std::map<std::string, int> excused_;
};

// Every name the program could ask for: those in the file as both sides see
// them, in other letter cases, with blanks around, and some that are absent.
std::set<std::string> Variants(const std::vector<std::string>& names) {
  std::set<std::string> out{"", "Missing", " "};
  for (const auto& n : names) {
    out.insert(n);
    out.insert(AsciiUpper(n));
    out.insert(AsciiLower(n));
    out.insert(" " + n + "\t");
  }
  return out;
}

void CompareReads(const std::string& file, Comparer& comparer) {
  const profile::ProfileDocument document(ReadWholeFile(file));
  std::vector<std::string> sectionNames = PlatformSectionNames(file, 65536);
  for (const auto& s : document.Sections()) sectionNames.push_back(s.name);

  for (size_t buffer : {0, 1, 2, 3, 5, 8, 16, 64}) {
    comparer.Check({"names", "", "", buffer, Join(profile::ReadSectionNames(file, buffer)),
                    Join(PlatformSectionNames(file, buffer)), &document});
  }
  comparer.Check({"names", "", "", 16384, Join(profile::ReadSectionNames(file)),
                  Join(PlatformSectionNames(file, 16384)), &document});

  for (const auto& section : Variants(sectionNames)) {
    const auto* found = document.FindSection(section);
    std::vector<std::string> keyNames = PlatformKeys(file, section, 65536);
    if (found)
      for (const auto& e : document.Entries(*found)) keyNames.push_back(e.name);
    for (size_t buffer : {1, 2, 3, 4, 7, 12, 16384})
      comparer.Check({"keys", section, "", buffer, Join(profile::ReadKeys(file, section, buffer)),
                      Join(PlatformKeys(file, section, buffer)), &document});

    // Names as written in the file are asked with every buffer size that
    // matters for their value; other spellings with the page's buffer.
    const bool asWritten = found && found->hasHeader && found->name == section;
    for (const auto& key : asWritten ? Variants(keyNames) : std::set<std::string>(keyNames.begin(), keyNames.end())) {
      // An empty key name asks the platform for the key list; ours has
      // ReadKeys for that.
      if (key.empty()) continue;
      std::set<size_t> buffers{261};
      const auto* entry = found ? document.FindEntry(*found, key) : nullptr;
      if (asWritten && entry && entry->name == key) {
        buffers.insert({1, 2, 3, 30, 2048});
        for (size_t length : {entry->value.size(), entry->value.size() - std::min<size_t>(2, entry->value.size())})
          for (size_t around : {0, 1, 2, 3}) buffers.insert(length + around);
        comparer.Check(
            {"int", section, key, 0, std::to_string(profile::ReadInt(file, section, key, 77)),
             std::to_string(static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), 77, file.c_str()))),
             &document});
      }
      for (size_t buffer : buffers)
        comparer.Check({"read", section, key, buffer, profile::ReadString(file, section, key, "dflt", buffer),
                        PlatformRead(file, section, key, "dflt", buffer), &document});
      if (!entry)
        comparer.Check({"read", section, key, 261,
                        profile::ReadString(file, section, key, " \"quoted default\"  ", 261),
                        PlatformRead(file, section, key, " \"quoted default\"  ", 261), &document});
    }
  }
}

TEST(ProfileDifferential, ReadsAnswerAsThePlatformDoes) {
  ScratchFolder folder;
  Comparer comparer;
  int index = 0;
  for (const auto& entry : CorpusWithSamples()) {
    const std::string name = entry.name ? entry.name : "sample-" + std::to_string(index);
    SCOPED_TRACE(name);
    const auto file = Put(folder, name + "-" + std::to_string(index++) + ".ini", entry.bytes);
    CompareReads(file, comparer);
  }
  CompareReads(folder / "missing.ini", comparer);
  comparer.Report();
  // The corpus is built to meet each known divergence; one that no longer
  // shows means Wine changed, and the list wants looking at.
  for (const auto& d : kDivergences) EXPECT_GT(comparer.Excused(d.name), 0) << d.name << " no longer seen";
}

// --- writes -----------------------------------------------------------------

struct Operation {
  std::string section, key;
  const char* value;  // nullptr deletes the key
};

// The same writes through both: every read of the two files agrees, and the
// platform reads our file as we do.
void CompareWrites(ScratchFolder& folder, const std::string& name, const std::string& start,
                   const std::vector<Operation>& operations, Comparer& comparer) {
  const auto ours = folder / (name + "-ours.ini");
  const auto theirs = folder / (name + "-platform.ini");
  if (!start.empty()) {
    WriteWholeFile(ours, start);
    WriteWholeFile(theirs, start);
  }
  for (const auto& op : operations) {
    if (op.value) {
      EXPECT_TRUE(profile::WriteString(ours, op.section, op.key, op.value)) << op.key;
      EXPECT_TRUE(WritePrivateProfileStringA(op.section.c_str(), op.key.c_str(), op.value, theirs.c_str())) << op.key;
    } else {
      EXPECT_TRUE(profile::DeleteKey(ours, op.section, op.key)) << op.key;
      WritePrivateProfileStringA(op.section.c_str(), op.key.c_str(), nullptr, theirs.c_str());
    }
  }
  PlatformForget(ours);
  PlatformForget(theirs);
  std::vector<std::string> sections = PlatformSectionNames(theirs, 65536);
  for (const auto& s : PlatformSectionNames(ours, 65536)) sections.push_back(s);
  sections.push_back("");
  const profile::ProfileDocument document(ReadWholeFile(ours));
  for (const auto& section : sections) {
    comparer.Check({"keys", section, "", 16384, Join(profile::ReadKeys(ours, section)),
                    Join(PlatformKeys(theirs, section, 16384)), &document});
    comparer.Check({"keys", section, "", 16384, Join(profile::ReadKeys(ours, section)),
                    Join(PlatformKeys(ours, section, 16384)), &document});
    std::vector<std::string> keys = PlatformKeys(theirs, section, 65536);
    for (const auto& op : operations) keys.push_back(op.key);
    for (const auto& key : keys) {
      const std::string mine = profile::ReadString(ours, section, key, "dflt", 2048);
      comparer.Check({"read", section, key, 2048, mine, PlatformRead(theirs, section, key, "dflt", 2048), &document});
      comparer.Check({"read", section, key, 2048, mine, PlatformRead(ours, section, key, "dflt", 2048), &document});
    }
  }
}

TEST(ProfileDifferential, WritesReadBackAsThePlatformsDo) {
  ScratchFolder folder;
  Comparer comparer;
  const std::string answerFile =
      "; generated\r\n[UserData]\r\n  FullName = \"Old Name\"\r\nOrgName=Org\r\n\r\n[Proxy]\r\nProxy_Enable=1\r\n"
      "[Сеть]\r\nИмя=x\r\n";
  CompareWrites(folder, "edits", answerFile,
                {{"UserData", "FullName", "New Name"},
                 {"userdata", "ORGNAME", ""},
                 {"UserData", "ComputerName", "  PC01  "},
                 {"Proxy", "Proxy_Override", "*.corp.example;<local>"},
                 {"Proxy", "Quoted", "\"a;b\""},
                 {"Proxy", "Single", "'a;b'"},
                 {"Proxy", "Half", "\"a;b"},
                 {"Proxy", "Proxy_Enable", nullptr},
                 {"Proxy", "Absent", nullptr},
                 {"Nowhere", "Absent", nullptr},
                 {"Сеть", "Имя", "значение"},
                 {"Сеть", "Новый", "ключ"},
                 {"Display", "BitsPerPel", "32"},
                 {"Display", "Xresolution", "'1024'"},
                 {"UserData", "FullName", "\"Quoted Name\""}},
                comparer);
  CompareWrites(folder, "created", "",
                {{"KivEditor", "TimeOut", "30"}, {"KivEditor", "PachOffset", "..\\site"}, {"UDB", "Path", "UDB"}},
                comparer);
  CompareWrites(folder, "awkward", "top=1\r\nnoeq\r\n[S]\r\nplain\r\n;c=1\r\n[T]\r\nB=\"2\"",
                {{"S", "plain", "now"}, {"S", ";c", "2"}, {"T", "C", "3"}, {"", "top", "2"}, {"", "new", "n"}},
                comparer);
  comparer.Report();
}

// --- divergences shown one by one ----------------------------------------------

TEST(ProfileDifferential, WineMatchesNonAsciiNamesByCase) {
  // Windows compares profile names without case in every script, and so do
  // we; Wine's profile functions fold ASCII letters only.
  ScratchFolder folder;
  const auto file = Put(folder, "c.ini", "[Сеть]\r\nИмя=1\r\n[сеть]\r\nимя=2\r\n");
  EXPECT_EQ(profile::ReadString(file, "СЕТЬ", "ИМЯ", "dflt", 261), "1");
  EXPECT_EQ(profile::ReadString(file, "сеть", "имя", "dflt", 261), "1");
  EXPECT_EQ(profile::ReadSectionNames(file), (std::vector<std::string>{"Сеть", "сеть"}));
  const std::string platform = PlatformRead(file, "сеть", "имя", "dflt", 261);
  if (platform == "1") GTEST_SKIP() << "the platform now folds Cyrillic too; drop this case";
  EXPECT_EQ(platform, "2");
  GTEST_SKIP() << "known Wine divergence: non-ASCII names are matched with their case (Wine gives '" << platform
               << "' where Windows and ours give '1')";
}

TEST(ProfileDifferential, DeleteRemovesDuplicatesThePlatformKeeps) {
  // The platform removes the first line of the key only, so a duplicate
  // behind it becomes the value and the key reads as still there; ours
  // removes every line of it.
  ScratchFolder folder;
  const std::string text = "[UserData]\r\nProductID=1\r\nProductID=2\r\n[UserData]\r\nProductID=3\r\n";
  const auto ours = Put(folder, "ours.ini", text);
  const auto theirs = Put(folder, "theirs.ini", text);
  ASSERT_TRUE(profile::DeleteKey(ours, "UserData", "ProductID"));
  WritePrivateProfileStringA("UserData", "ProductID", nullptr, theirs.c_str());
  EXPECT_EQ(profile::ReadString(ours, "UserData", "ProductID", "dflt", 261), "dflt");
  const std::string platform = PlatformRead(theirs, "UserData", "ProductID", "dflt", 261);
  if (platform == "dflt") GTEST_SKIP() << "the platform now removes duplicates too; drop this case";
  GTEST_SKIP() << "known divergence: after deleting a duplicated key the platform reads '" << platform
               << "', ours the default";
}

TEST(ProfileDifferential, Utf16FilesAreEditedInUtf16AsThePlatformDoes) {
  // Notepad's "Unicode" is little-endian; the platform keeps a big-endian
  // file big-endian too. Ours changes only the edited lines: a comment in a
  // script the ANSI code page lacks stays byte for byte.
  ScratchFolder folder;
  for (const bool bigEndian : {false, true}) {
    const std::string utf16 =
        Utf16Bytes(L"; \u03A9 \u4E2D\u6587\r\n[UserData]\r\nFullName = \"Old\"\r\nOrgName=ООО\r\n", bigEndian);
    const auto ours = Put(folder, "ours.ini", utf16);
    const auto theirs = Put(folder, "theirs.ini", utf16);
    for (const auto& [file, platform] : {std::pair{ours, false}, std::pair{theirs, true}}) {
      if (platform) {
        ASSERT_TRUE(WritePrivateProfileStringA("UserData", "FullName", "Иванов", file.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringA("Identification", "JoinWorkgroup", "ОТДЕЛ", file.c_str()));
      } else {
        ASSERT_TRUE(profile::WriteString(file, "UserData", "FullName", "Иванов"));
        ASSERT_TRUE(profile::WriteString(file, "Identification", "JoinWorkgroup", "ОТДЕЛ"));
      }
      const std::string bytes = ReadWholeFile(file);
      EXPECT_EQ(bytes.substr(0, 2), utf16.substr(0, 2)) << "the byte-order mark stays";
      EXPECT_EQ(bytes.substr(0, 18), utf16.substr(0, 18)) << "the comment stays";
    }
    for (const auto& file : {ours, theirs}) {
      for (const auto& [section, key, value] :
           {std::tuple{"UserData", "FullName", "Иванов"}, std::tuple{"UserData", "OrgName", "ООО"},
            std::tuple{"Identification", "JoinWorkgroup", "ОТДЕЛ"}}) {
        EXPECT_EQ(profile::ReadString(file, section, key, "", 261), value) << file;
        EXPECT_EQ(PlatformRead(file, section, key, "", 261), value) << file;
      }
    }
    EXPECT_EQ(ReadWholeFile(ours),
              Utf16Bytes(L"; \u03A9 \u4E2D\u6587\r\n[UserData]\r\nFullName = \"Иванов\"\r\nOrgName=ООО\r\n\r\n"
                         L"[Identification]\r\nJoinWorkgroup=ОТДЕЛ\r\n",
                         bigEndian));
  }
  // Not UTF-16 through and through (an odd byte at the end): read, but an
  // edit would not give the file back as it was, so none is made.
  const std::string odd = Utf16Bytes(L"[S]\r\nK=1\r\n", false) + "x";
  const auto file = Put(folder, "odd.ini", odd);
  EXPECT_EQ(profile::ReadString(file, "S", "K", "", 261), "1");
  EXPECT_FALSE(profile::WriteString(file, "S", "K", "2"));
  EXPECT_EQ(ReadWholeFile(file), odd);
}

// Not a test but a measurement, so it does not run by default:
// app_tests --gtest_also_run_disabled_tests --gtest_filter=*Benchmark*
TEST(ProfileBenchmark, DISABLED_ReadsOfAOneMegabyteFile) {
  ScratchFolder folder;
  std::string text;
  for (int s = 0; text.size() < (1 << 20); ++s) {
    text += "[Section" + std::to_string(s) + "]\r\n";
    for (int k = 0; k < 20; ++k)
      text += "Key" + std::to_string(k) + " = \"value " + std::to_string(s * 100 + k) + "\"\r\n";
  }
  const auto file = Put(folder, "big.ini", text);
  // Let the file age past the time-stamp grain, as files being read have.
  Sleep(3500);
  using Clock = std::chrono::steady_clock;
  const auto measure = [&](int count, const std::function<std::string(int)>& read) {
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) EXPECT_FALSE(read(i).empty());
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  };
  const auto section = [](int i) { return "section" + std::to_string((i * 7919) % 2000); };
  const auto key = [](int i) { return "KEY" + std::to_string(i % 20); };
  const double ours = measure(10000, [&](int i) { return profile::ReadString(file, section(i), key(i), "", 261); });
  const double platform = measure(10000, [&](int i) { return PlatformRead(file, section(i), key(i), "", 261); });
  std::printf("a file of %zu bytes, unchanged\n", text.size());
  std::printf("  ours:     10000 reads in %7.1f ms (%.3f ms a read)\n", ours, ours / 10000);
  std::printf("  platform: 10000 reads in %7.1f ms (%.3f ms a read)\n", platform, platform / 10000);
  // A write, then a read that sees it: the pattern of a page's save.
  const auto platformFile = Put(folder, "big-platform.ini", text);
  const double oursWrites = measure(100, [&](int i) {
    return profile::WriteString(file, section(i), "Written", std::to_string(i))
               ? profile::ReadString(file, section(i), "Written", "", 261)
               : "";
  });
  const double platformWrites = measure(100, [&](int i) {
    return WritePrivateProfileStringA(section(i).c_str(), "Written", std::to_string(i).c_str(), platformFile.c_str())
               ? PlatformRead(platformFile, section(i), "Written", "", 261)
               : "";
  });
  std::printf("  ours:     100 writes, each read back, in %7.1f ms (%.2f ms each)\n", oursWrites, oursWrites / 100);
  std::printf("  platform: 100 writes, each read back, in %7.1f ms (%.2f ms each)\n", platformWrites,
              platformWrites / 100);
}

}  // namespace
