// ProfileDocument: parsing a profile file as the platform's profile functions
// do, and editing it line by line so that every other byte stays as it was.

#include "profile/ProfileDocument.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

namespace profile {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

const std::array<char, 256>& FoldTable() {
  // Built from the code page itself rather than written out, so that it
  // follows whatever ANSI code page the system has; a character whose capital
  // is not in the code page (µ) stays as it is.
  static const std::array<char, 256> table = [] {
    std::array<char, 256> t{};
    for (int b = 0; b < 256; ++b) {
      t[b] = static_cast<char>(b);
      const char c = static_cast<char>(b);
      WCHAR wide = 0;
      if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, &c, 1, &wide, 1) != 1) continue;
      WCHAR upper = wide;
      CharUpperBuffW(&upper, 1);
      if (upper == wide) continue;
      char back = 0;
      BOOL usedDefault = FALSE;
      if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &upper, 1, &back, 1, nullptr, &usedDefault) == 1 &&
          !usedDefault)
        t[b] = back;
    }
    return t;
  }();
  return table;
}

std::string Convert(std::string_view text, UINT from, UINT to) {
  if (text.empty()) return {};
  const int wideLength = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
  const int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
  return out;
}

// A UTF-16 file's text as UTF-8, in which "[", "]", "=", the blanks and the
// line breaks are the same single bytes as in the ANSI code page, and from
// which the file's bytes come back unchanged.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::wstring wide(bytes.size() / 2, L'\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    const auto lo = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 1 : 0)]);
    const auto hi = static_cast<unsigned char>(bytes[2 * i + (bigEndian ? 0 : 1)]);
    wide[i] = static_cast<wchar_t>(lo | (hi << 8));
  }
  if (wide.empty()) return {};
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), length, nullptr, nullptr);
  return out;
}

std::string Utf8ToUtf16(std::string_view text, bool bigEndian) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  std::string out(wide.size() * 2, '\0');
  for (size_t i = 0; i < wide.size(); ++i) {
    out[2 * i + (bigEndian ? 1 : 0)] = static_cast<char>(wide[i] & 0xFF);
    out[2 * i + (bigEndian ? 0 : 1)] = static_cast<char>(wide[i] >> 8);
  }
  return out;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

// FNV-1a of the folded name, folded as it goes: names are short, a
// collision only costs a comparison, and a lookup allocates nothing.
uint64_t FoldedHashOf(std::string_view name) {
  const auto& table = FoldTable();
  uint64_t hash = 14695981039346656037ull;
  for (char c : name)
    hash = (hash ^ static_cast<unsigned char>(table[static_cast<unsigned char>(c)])) * 1099511628211ull;
  return hash;
}

bool SameFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto& table = FoldTable();
  for (size_t i = 0; i < a.size(); ++i)
    if (table[static_cast<unsigned char>(a[i])] != table[static_cast<unsigned char>(b[i])]) return false;
  return true;
}

template <typename Hashes>
void SortByHash(Hashes& hashes) {
  // Stable: within one hash, file order, so the first match is the one a read finds.
  std::stable_sort(hashes.begin(), hashes.end(), [](const auto& a, const auto& b) { return a.hash < b.hash; });
}

// The quotation mark that encloses the value, or 0.
char EnclosingQuote(std::string_view value) {
  return value.size() >= 2 && IsQuote(value.front()) && value.back() == value.front() ? value.front() : 0;
}

std::string Enclosed(std::string_view text, char quote) {
  std::string out(1, quote);
  out.append(text);
  out.push_back(quote);
  return out;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

bool IsBlank(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1A'; }

std::string_view Trim(std::string_view text) noexcept {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view CutAtNul(std::string_view text) noexcept { return text.substr(0, text.find('\0')); }

std::string Fold(std::string_view text) {
  const auto& table = FoldTable();
  std::string folded(text);
  for (char& c : folded) c = table[static_cast<unsigned char>(c)];
  return folded;
}

std::string Unquote(std::string_view value, size_t limit) {
  if (EnclosingQuote(value)) value = value.substr(1, value.size() - 2);
  return std::string(value.substr(0, limit));
}

std::string AnsiText(std::string bytes) {
  const std::string_view all = bytes;
  if (all.substr(0, 3) == kUtf8Bom) return Convert(all.substr(3), CP_UTF8, CP_ACP);
  if (all.substr(0, 2) == "\xFF\xFE" || all.substr(0, 2) == "\xFE\xFF")
    return Convert(Utf16ToUtf8(all.substr(2), all[0] == '\xFE'), CP_UTF8, CP_ACP);
  return bytes;
}

ProfileDocument::ProfileDocument(std::string bytes) : bytes_(std::move(bytes)) { Parse(); }

ProfileDocument::ProfileDocument(std::string bytes, const ProfileDocument& before) : bytes_(std::move(bytes)) {
  if (!Derive(before)) Parse();
}

namespace {

// A line is a header when, trimmed, it opens with "[" and has a "]" after.
bool IsHeaderLine(std::string_view line) {
  line = Trim(line);
  return !line.empty() && line.front() == '[' && line.find(']', 1) != std::string_view::npos;
}

// The line of `text` around [from, to), without its break (CR, LF or both).
std::string_view LineAround(const std::string& text, size_t from, size_t to) {
  const size_t begin = from == 0 ? 0 : text.find_last_of("\r\n", from - 1) + 1;  // npos + 1 is 0
  const size_t end = std::min(text.find_first_of("\r\n", to), text.size());
  return std::string_view(text).substr(begin, end - begin);
}

}  // namespace

bool ProfileDocument::Derive(const ProfileDocument& before) {
  // Only a text in the ANSI code page: a converted text's offsets are not
  // the file's. The first line keeps the file's line break and any mark.
  if (before.encoding_ != Encoding::Ansi || !before.hasLines_) return false;
  const std::string& old = before.bytes_;
  const std::string& now = bytes_;
  const size_t firstBreak = old.find_first_of("\r\n");
  if (firstBreak == std::string::npos) return false;
  // The edit as one span: old [at, oldEnd) became now [at, newEnd).
  const size_t shorter = std::min(old.size(), now.size());
  const size_t at = static_cast<size_t>(
      std::mismatch(old.begin(), old.begin() + static_cast<ptrdiff_t>(shorter), now.begin()).first - old.begin());
  size_t tail = 0;
  while (tail < shorter - at && old[old.size() - 1 - tail] == now[now.size() - 1 - tail]) ++tail;
  const size_t oldEnd = old.size() - tail, newEnd = now.size() - tail;
  if (at <= firstBreak + 1 || oldEnd == old.size()) return false;
  const std::string_view removed = std::string_view(old).substr(at, oldEnd - at);
  const std::string_view added = std::string_view(now).substr(at, newEnd - at);
  if (removed.find_first_of("[]") != std::string_view::npos || added.find_first_of("[]") != std::string_view::npos)
    return false;
  const bool inLine =
      removed.find_first_of("\r\n") == std::string_view::npos && added.find_first_of("\r\n") == std::string_view::npos;
  if (inLine) {
    // A change within a line that is no header, and does not become one;
    // not between the CR and LF of a break, which would make two breaks.
    if (old[at - 1] == '\r' || IsHeaderLine(LineAround(old, at, oldEnd)) || IsHeaderLine(LineAround(now, at, newEnd)))
      return false;
  } else if (old[at - 1] != '\n' ||
             (removed.empty() ? added.back() != '\n' : !added.empty() || removed.back() != '\n')) {
    // Else only whole lines, put in or taken out at the start of a line.
    return false;
  }

  const ptrdiff_t delta = static_cast<ptrdiff_t>(newEnd) - static_cast<ptrdiff_t>(oldEnd);
  bool moved = true;
  // Where an offset of the old text is now. At the edit, the start of a body
  // stays (the new text is in it); a line that started there moves on when
  // lines were put in before it, and an end moves on with text added before
  // it. Nothing the parse keeps lies within lines taken out: they hold no
  // header, and the last line is never among them.
  enum class Kind { BodyStart, Start, End };
  const auto shift = [&](size_t pos, Kind kind) -> size_t {
    if (pos < at) return pos;
    if (pos == at) {
      if (kind == Kind::BodyStart) return pos;
      if (inLine && (kind == Kind::Start || at != oldEnd)) return pos;
      return static_cast<size_t>(static_cast<ptrdiff_t>(pos) + delta);
    }
    if (pos < oldEnd) moved = false;
    return static_cast<size_t>(static_cast<ptrdiff_t>(pos) + delta);
  };
  const auto shiftLine = [&](const Line& line, Kind startKind) {
    return Line{shift(line.begin, startKind), shift(line.end, Kind::End), shift(line.next, Kind::BodyStart)};
  };

  std::vector<Section> sections = before.sections_;
  std::vector<std::shared_ptr<const Body>> bodies = before.bodies_;
  for (Section& section : sections) {
    // A body the edit reached is parsed again when it is asked for.
    if (section.bodyBegin <= oldEnd && at <= section.bodyEnd) bodies[section.index].reset();
    if (section.hasHeader) section.header = shiftLine(section.header, Kind::Start);
    section.bodyBegin = shift(section.bodyBegin, Kind::BodyStart);
    section.bodyEnd = shift(section.bodyEnd, Kind::End);
  }
  const Line lastLine = shiftLine(before.lastLine_, Kind::Start);
  if (!moved) return false;
  sections_ = std::move(sections);
  bodies_ = std::move(bodies);
  lastLine_ = lastLine;
  sectionsByName_ = before.sectionsByName_;
  lineBreak_ = before.lineBreak_;
  hasLines_ = true;
  return true;
}

ProfileDocument::Line ProfileDocument::LineAt(size_t pos) const noexcept {
  const std::string& source = Source();
  Line line{pos, pos, pos};
  const void* brk = std::memchr(source.data() + pos, '\n', source.size() - pos);
  const size_t lf = brk ? static_cast<size_t>(static_cast<const char*>(brk) - source.data()) : source.size();
  // A lone CR ends a line too (old Mac files): the first of CR and LF wins.
  const void* cr = std::memchr(source.data() + pos, '\r', lf - pos);
  line.end = cr ? static_cast<size_t>(static_cast<const char*>(cr) - source.data()) : lf;
  line.next = line.end;
  if (line.next < source.size())
    line.next += source[line.next] == '\r' && line.next + 1 < source.size() && source[line.next + 1] == '\n' ? 2 : 1;
  return line;
}

void ProfileDocument::Parse() {
  const std::string_view all = bytes_;
  // The byte-order marks the platform's functions recognise; without one the
  // text is in the ANSI code page.
  if (all.substr(0, 3) == kUtf8Bom) {
    encoding_ = Encoding::Utf8;
    textBegin_ = 3;
  } else if (all.substr(0, 2) == "\xFF\xFE" || all.substr(0, 2) == "\xFE\xFF") {
    encoding_ = Encoding::Utf16;
    bigEndian_ = all[0] == '\xFE';
    utf16Text_ = Utf16ToUtf8(all.substr(2), bigEndian_);
    // A file that is not proper UTF-16 (a lone surrogate, an odd byte at the
    // end) would not come back as it was: it is read, never rewritten.
    utf16Writable_ = Utf8ToUtf16(utf16Text_, bigEndian_) == all.substr(2);
  }
  const std::string& source = Source();
  const size_t begin = encoding_ == Encoding::Utf16 ? 0 : textBegin_;

  sections_.emplace_back();
  sections_.back().bodyBegin = begin;
  // Only the headers are looked for here. "[", "]" and the blanks are the
  // same bytes in every encoding read, so the raw text will do; only a
  // header's name is converted.
  std::string text;
  for (size_t pos = begin; pos < source.size();) {
    const Line line = LineAt(pos);
    if (lineBreak_.empty() && line.next > line.end) lineBreak_ = source.substr(line.end, line.next - line.end);
    hasLines_ = true;
    lastLine_ = line;
    pos = line.next;
    size_t s = line.begin, e = line.end;
    while (s < e && IsBlank(source[s])) ++s;
    if (s == e || source[s] != '[') continue;
    while (e > s && IsBlank(source[e - 1])) --e;
    // The name runs to the last "]"; what follows it is ignored, and a line
    // without "]" is no header but an entry.
    size_t close = e;
    while (close > s + 1 && source[close - 1] != ']') --close;
    if (close <= s + 1) continue;
    --close;
    LineText(Line{s + 1, close, close}, text);
    Section section;
    section.name = CutAtNul(Trim(text));
    section.hasHeader = true;
    section.header = line;
    section.bodyBegin = line.next;
    section.index = static_cast<uint32_t>(sections_.size());
    sections_.back().bodyEnd = line.begin;
    sections_.push_back(std::move(section));
  }
  sections_.back().bodyEnd = source.size();
  if (lineBreak_.empty()) lineBreak_ = "\r\n";
  bodies_.resize(sections_.size());
  sectionsByName_.reserve(sections_.size());
  for (const Section& section : sections_) sectionsByName_.push_back({FoldedHashOf(section.name), section.index});
  SortByHash(sectionsByName_);
}

std::unique_ptr<ProfileDocument::Body> ProfileDocument::ParseBody(const Section& section) const {
  auto body = std::make_unique<Body>();
  // Room for a line each at once: a check that reads every section of a
  // large file parses thousands of bodies, and growing each vector line by
  // line was most of that time.
  const std::string& source = Source();
  size_t lines = 1;
  for (const char *at = source.data() + section.bodyBegin, *end = source.data() + section.bodyEnd;
       (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(end - at)))) != nullptr; ++at)
    ++lines;
  body->entries.reserve(lines);
  body->byName.reserve(lines);
  std::string text;
  for (size_t pos = section.bodyBegin; pos < section.bodyEnd;) {
    const Line line = LineAt(pos);
    pos = line.next;
    LineText(line, text);
    size_t s = 0, e = text.size();
    while (s < e && IsBlank(text[s])) ++s;
    while (e > s && IsBlank(text[e - 1])) --e;
    if (s == e) continue;

    const Line relative{line.begin - section.bodyBegin, line.end - section.bodyBegin, line.next - section.bodyBegin};
    Entry entry;
    entry.line = relative;
    entry.nameBegin = static_cast<uint32_t>(s);
    const size_t equals = text.find('=', s);
    size_t nameEnd = e;
    if (equals < e) {
      nameEnd = equals;
      while (nameEnd > s && IsBlank(text[nameEnd - 1])) --nameEnd;
      size_t valueBegin = equals + 1;
      while (valueBegin < text.size() && IsBlank(text[valueBegin])) ++valueBegin;
      entry.hasValue = true;
      entry.equals = static_cast<uint32_t>(equals);
      entry.valueBegin = static_cast<uint32_t>(valueBegin);
      if (valueBegin < e) entry.value = CutAtNul(std::string_view(text).substr(valueBegin, e - valueBegin));
    }
    entry.nameEnd = static_cast<uint32_t>(nameEnd);
    entry.name = CutAtNul(std::string_view(text).substr(s, nameEnd - s));
    entry.comment = !entry.name.empty() && entry.name.front() == ';';

    if (!entry.comment) {
      body->hasEntryLine = true;
      body->lastEntryLine = relative;
    }
    body->byName.push_back({FoldedHashOf(entry.name), static_cast<uint32_t>(body->entries.size())});
    body->entries.push_back(std::move(entry));
  }
  SortByHash(body->byName);
  return body;
}

const ProfileDocument::Body& ProfileDocument::BodyOf(const Section& section) const {
  auto& body = bodies_[section.index];
  if (!body) body = ParseBody(section);
  return *body;
}

void ProfileDocument::LineText(const Line& line, std::string& text) const {
  const std::string_view raw = std::string_view(Source()).substr(line.begin, line.end - line.begin);
  if (encoding_ != Encoding::Ansi)
    text = Convert(raw, CP_UTF8, CP_ACP);
  else
    text.assign(raw);
}

std::string ProfileDocument::Encode(std::string_view ansi) const {
  return encoding_ != Encoding::Ansi ? Convert(ansi, CP_ACP, CP_UTF8) : std::string(ansi);
}

std::string ProfileDocument::BytesOfText(std::string_view text) const {
  switch (encoding_) {
    case Encoding::Utf8: return std::string(kUtf8Bom) + Encode(text);
    case Encoding::Utf16: return FileBytes(Encode(text));
    default: return std::string(text);
  }
}

std::string ProfileDocument::FileBytes(std::string text) const {
  if (encoding_ != Encoding::Utf16) return text;
  return (bigEndian_ ? "\xFE\xFF" : "\xFF\xFE") + Utf8ToUtf16(text, bigEndian_);
}

std::string_view ProfileDocument::BreakOf(const Line& line) const {
  return std::string_view(Source()).substr(line.end, line.next - line.end);
}

const ProfileDocument::Section* ProfileDocument::FindSection(std::string_view name) const {
  const std::string_view wanted = Trim(name);
  const uint64_t hash = FoldedHashOf(wanted);
  auto at = std::lower_bound(sectionsByName_.begin(), sectionsByName_.end(), hash,
                             [](const NameHash& entry, uint64_t h) { return entry.hash < h; });
  for (; at != sectionsByName_.end() && at->hash == hash; ++at) {
    const Section& section = sections_[at->index];
    // The part before the first header has no name, and no "[]" finds it.
    if (section.hasHeader == !wanted.empty() && SameFolded(section.name, wanted)) return &section;
  }
  return nullptr;
}

const ProfileDocument::Entry* ProfileDocument::FindEntry(const Section& section, std::string_view key) const {
  const Body& body = BodyOf(section);
  const std::string_view wanted = Trim(key);
  const uint64_t hash = FoldedHashOf(wanted);
  auto at = std::lower_bound(body.byName.begin(), body.byName.end(), hash,
                             [](const Body::NameHash& entry, uint64_t h) { return entry.hash < h; });
  for (; at != body.byName.end() && at->hash == hash; ++at)
    if (SameFolded(body.entries[at->index].name, wanted)) return &body.entries[at->index];
  return nullptr;
}

bool ProfileDocument::CanWrite(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  key = Trim(key);
  return !key.empty() && key.find('=') == std::string_view::npos && key.front() != '[';
}

std::string ProfileDocument::StoredValue(std::string_view value, char oldQuote) {
  // Surrounding blanks would not survive a read, so they are not stored.
  value = Trim(value);
  const char quote = EnclosingQuote(value);
  if (value.find(';') != std::string_view::npos && quote != '"') {
    // A value in single quotes reads without them, so the double quotes take
    // their place rather than enclose them.
    return Enclosed(quote ? value.substr(1, value.size() - 2) : value, '"');
  }
  if (oldQuote && !quote) return Enclosed(value, oldQuote);
  return std::string(value);
}

std::string ProfileDocument::ChangedLine(const Section& section, const Entry& entry, std::string_view stored) const {
  const Line line = LineIn(section, entry.line);
  std::string text;
  LineText(line, text);
  std::string prefix;
  if (!entry.hasValue) {
    prefix = Encode(std::string_view(text).substr(0, entry.nameEnd)) + "=";
  } else if (encoding_ == Encoding::Ansi) {
    prefix = bytes_.substr(line.begin, entry.valueBegin);
  } else {
    // The bytes up to "=" stay as they are, whatever the name holds that the
    // ANSI code page cannot show.
    const size_t equals = Source().find('=', line.begin);
    prefix = Source().substr(line.begin, equals + 1 - line.begin) +
             Encode(std::string_view(text).substr(entry.equals + 1, entry.valueBegin - entry.equals - 1));
  }
  return prefix + Encode(stored) + std::string(BreakOf(line));
}

std::string ProfileDocument::NewEntryText(const Section& section, std::string_view key, std::string_view stored) const {
  // A new entry is laid out as the section's last one is: its indent and the
  // blanks around its "=".
  std::string indent, separator = "=";
  const std::vector<Entry>& entries = Entries(section);
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (!entry->hasValue || entry->comment) continue;
    std::string text;
    LineText(LineIn(section, entry->line), text);
    indent = text.substr(0, entry->nameBegin);
    separator = text.substr(entry->nameEnd, entry->valueBegin - entry->nameEnd);
    break;
  }
  return indent + std::string(key) + separator + std::string(stored);
}

std::string ProfileDocument::Spliced(size_t begin, size_t end, std::string_view text) const {
  // Built in place: the file may be megabytes, and every temporary a copy.
  const std::string& source = Source();
  std::string out;
  out.reserve(source.size() - (end - begin) + text.size());
  out.append(source, 0, begin).append(text).append(source, end, std::string::npos);
  return FileBytes(std::move(out));
}

std::string ProfileDocument::InsertEntry(const Section& section, std::string_view entryText) const {
  // After the section's last entry, so that the comments and blank lines that
  // lead into the next section stay with it; in a section without entries,
  // right after its header.
  const std::string encoded = Encode(entryText);
  const Body& body = BodyOf(section);
  if (!body.hasEntryLine && !section.hasHeader) return Spliced(textBegin_, textBegin_, encoded + lineBreak_);
  const Line anchor = body.hasEntryLine ? LineIn(section, body.lastEntryLine) : section.header;
  if (anchor.next > anchor.end) return Spliced(anchor.next, anchor.next, encoded + std::string(BreakOf(anchor)));
  // The last line of a file that ends without a line break: the new line
  // becomes the last one, again without a break.
  return FileBytes(Source() + lineBreak_ + encoded);
}

std::string ProfileDocument::AppendSection(std::string_view name, std::string_view entryText) const {
  std::string header = "[";
  header.append(name).push_back(']');
  const std::string body = Encode(header) + lineBreak_ + Encode(entryText);
  if (!hasLines_) return FileBytes(Source() + body + lineBreak_);
  // Set apart from the section before by a blank line, as sections are in
  // the files setup and the tools write.
  const Line& last = lastLine_;
  const bool endsWithBreak = last.next > last.end;
  std::string lastText;
  LineText(last, lastText);
  std::string out = Source();
  if (!endsWithBreak) out += lineBreak_;
  if (!Trim(lastText).empty()) out += lineBreak_;
  out += body;
  if (endsWithBreak) out += lineBreak_;
  return FileBytes(std::move(out));
}

std::optional<std::string> ProfileDocument::WithValue(std::string_view section, std::string_view key,
                                                      std::string_view value) const {
  return WithStored(section, key, value, false);
}

std::optional<std::string> ProfileDocument::WithStoredText(std::string_view section, std::string_view key,
                                                           std::string_view text) const {
  return WithStored(section, key, text, true);
}

std::optional<std::string> ProfileDocument::WithStored(std::string_view section, std::string_view key,
                                                       std::string_view value, bool verbatim) const {
  section = Trim(section);
  key = Trim(key);
  const auto store = [&](char oldQuote) { return verbatim ? std::string(Trim(value)) : StoredValue(value, oldQuote); };
  const Section* found = FindSection(section);
  if (!found) return AppendSection(section, std::string(key) + "=" + store(0));
  const Entry* entry = FindEntry(*found, key);
  if (!entry) return InsertEntry(*found, NewEntryText(*found, key, store(0)));

  const std::string stored = store(entry->hasValue ? EnclosingQuote(entry->value) : 0);
  if (entry->hasValue && entry->value == stored) return std::nullopt;
  const Line line = LineIn(*found, entry->line);
  return Spliced(line.begin, line.next, ChangedLine(*found, *entry, stored));
}

std::optional<std::string> ProfileDocument::WithoutKey(std::string_view section, std::string_view key) const {
  // Every section of the name and every line of the key: a delete that left a
  // duplicate behind would let a read find the key still there, and setup
  // joins sections of one name.
  const std::string_view sectionName = Trim(section), keyName = Trim(key);
  std::vector<Line> doomed;
  for (const Section& s : sections_) {
    if (!SameFolded(s.name, sectionName)) continue;
    for (const Entry& entry : Entries(s))
      if (SameFolded(entry.name, keyName)) doomed.push_back(LineIn(s, entry.line));
  }
  if (doomed.empty()) return std::nullopt;
  std::sort(doomed.begin(), doomed.end(), [](const Line& a, const Line& b) { return a.begin < b.begin; });
  const std::string& source = Source();
  std::string out;
  out.reserve(source.size());
  size_t kept = 0;
  for (const Line& line : doomed) {
    out.append(source, kept, line.begin - kept);
    kept = line.next;
  }
  out.append(source, kept, std::string::npos);
  return FileBytes(std::move(out));
}

}  // namespace profile
