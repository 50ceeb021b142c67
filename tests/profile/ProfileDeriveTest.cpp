// A document made from the one before an edit takes over that one's parse
// where the edit allows it: whatever the edit, it must be the document a
// full parse of the new bytes gives.

#include "ProfileTestFiles.h"
#include "profile/ProfileDocument.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

using namespace kivtest;
using profile::ProfileDocument;

namespace {

std::string Describe(const ProfileDocument::Line& l) {
  return std::to_string(l.begin) + "-" + std::to_string(l.end) + "-" + std::to_string(l.next);
}

// Everything a reader or an edit of the document can see of its parse.
std::string Structure(const ProfileDocument& d) {
  std::ostringstream out;
  for (const auto& s : d.Sections()) {
    out << "[" << s.name << "]" << s.hasHeader << " " << Describe(s.header) << " " << s.bodyBegin << "-" << s.bodyEnd
        << " found:" << (d.FindSection(s.name) ? d.FindSection(s.name)->index : 999) << "\n";
    const auto& body = d.BodyOf(s);
    out << "  last " << body.hasEntryLine << " " << Describe(ProfileDocument::LineIn(s, body.lastEntryLine)) << "\n";
    for (const auto& e : body.entries)
      out << "  " << e.name << "|" << e.value << "|" << e.hasValue << e.comment << " "
          << Describe(ProfileDocument::LineIn(s, e.line)) << " " << e.nameBegin << "," << e.nameEnd << "," << e.equals
          << "," << e.valueBegin << " first:" << (d.FindEntry(s, e.name) == &e) << "\n";
  }
  // A new section goes after the last line, with the file's line break.
  out << d.WithValue("Zz New", "K", "v").value_or("<none>").substr(d.Bytes().size() > 40 ? d.Bytes().size() - 40 : 0);
  return out.str();
}

// Asks for some of the bodies, so that the derived document has parsed
// bodies to take over, and some it must parse itself.
void ParseSomeBodies(const ProfileDocument& d, std::mt19937& random) {
  for (const auto& s : d.Sections())
    if (random() % 2) (void)d.BodyOf(s);
}

std::string Pick(std::mt19937& random, const std::vector<std::string>& from) { return from[random() % from.size()]; }

// A splice anywhere, of text made of the characters that decide the parse.
std::string RandomSplice(const std::string& bytes, std::mt19937& random) {
  static const std::vector<std::string> pieces = {"a", "K", "=", " ", "\r\n", "\n", "\r", "[", "]", ";", "\"", "[S]"};
  const size_t at = bytes.empty() ? 0 : random() % (bytes.size() + 1);
  const size_t cut = std::min<size_t>(random() % 6, bytes.size() - at);
  std::string text;
  for (unsigned n = random() % 4; n > 0; --n) text += Pick(random, pieces);
  return bytes.substr(0, at) + text + bytes.substr(at + cut);
}

// An edit as the program makes them: a value written, a key deleted.
std::string RandomEdit(const ProfileDocument& d, std::mt19937& random) {
  static const std::vector<std::string> values = {"1", "", "Петров, Иван", "\"quoted\"", "a;b", "x y", "[not]"};
  std::vector<std::string> sections{"New Section"};
  for (const auto& s : d.Sections())
    if (s.hasHeader) sections.push_back(s.name);
  const std::string section = Pick(random, sections);
  std::vector<std::string> keys{"NewKey"};
  if (const auto* found = d.FindSection(section))
    for (const auto& e : d.Entries(*found))
      if (!e.name.empty() && !e.comment) keys.push_back(e.name);
  const std::string key = Pick(random, keys);
  std::optional<std::string> bytes;
  switch (random() % 3) {
    case 0: bytes = d.WithValue(section, key, Pick(random, values)); break;
    case 1: bytes = d.WithStoredText(section, key, Pick(random, values)); break;
    default: bytes = d.WithoutKey(section, key); break;
  }
  return bytes.value_or(d.Bytes());
}

TEST(ProfileDerive, AnEditedDocumentIsTheOneAFullParseGives) {
  std::vector<std::string> texts = {
      "[S]\r\nA=1\r\nB=2\r\n\r\n[T]\r\nC=3\r\n",
      "; head\r\nX=0\r\n[S]\r\n  A = 1 \r\n[T]\r\n[U]\r\nD\r\n[S]\r\nA=dup\r\n",
      "[S]\nA=1\n[T]\rB=2\r[U]\r\nC=x[y]\r\n",
      "[S]\r\nA=1\r\n[T]\r\nB=2",
  };
  for (const std::string& file : SampleAnswerFiles()) texts.push_back(ReadWholeFile(file));
  ASSERT_GT(texts.size(), 8u) << "the sample answer files are missing";

  std::mt19937 random(20261210);
  int edits = 0, taken = 0;
  for (const std::string& text : texts) {
    auto document = std::make_shared<const ProfileDocument>(text);
    for (int step = 0; step < 120; ++step) {
      ParseSomeBodies(*document, random);
      std::string next = step % 2 ? RandomSplice(document->Bytes(), random) : RandomEdit(*document, random);
      const ProfileDocument fresh(next);
      auto derived = std::make_shared<const ProfileDocument>(std::move(next), *document);
      ASSERT_EQ(Structure(*derived), Structure(fresh))
          << "step " << step << " of a text starting " << text.substr(0, 40);
      // A body taken over is the very object the document before had.
      const auto& before = document->Sections();
      const auto& after = derived->Sections();
      bool shared = false;
      for (size_t i = 0; i < before.size() && i < after.size(); ++i)
        shared = shared || &document->BodyOf(before[i]) == &derived->BodyOf(after[i]);
      if (step % 2 == 0) {
        ++edits;
        taken += shared;
      }
      document = std::move(derived);
    }
  }
  // Most of the program's own edits change one body's lines and take the
  // rest over.
  EXPECT_GT(taken, edits / 2) << taken << " of " << edits;
}

}  // namespace
