// SetupSyntax: setup's field syntax, the form values are stored in, and what
// setup reads where the two part ways.

#include "setup/SetupSyntax.h"

#include "profile/ProfileDocument.h"
#include "sys/TextUtils.h"

#include <algorithm>
#include <array>

namespace inf {
namespace {

// The keys setup reads every field of. All of them hold addresses, names or
// locale codes, none of which can hold a comma of its own.
constexpr std::array<std::string_view, 9> kListKeys = {
    "IPAddress",      "SubnetMask",           "DefaultGateway",  "DNSServerSearchOrder",
    "WINSServerList", "DNSSuffixSearchOrder", "AdapterSections", "LanguageGroup",
    "InputLocale"};

bool IsBlank(char c) { return profile::IsBlank(c); }

// Blanks only, from `pos` to the end.
bool BlankFrom(std::string_view text, size_t pos) {
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(std::min(pos, text.size())), text.end(), IsBlank);
}

// The closing quote of a quoted stretch opened just before `pos`, or npos
// when the line ends inside it; "" inside is an escaped quote.
size_t ClosingQuote(std::string_view text, size_t pos) {
  while (pos < text.size()) {
    if (text[pos] != '"') {
      ++pos;
    } else if (pos + 1 < text.size() && text[pos + 1] == '"') {
      pos += 2;
    } else {
      return pos;
    }
  }
  return std::string_view::npos;
}

void AppendUnescaped(std::string& out, std::string_view quoted) {
  for (size_t i = 0; i < quoted.size(); ++i) {
    out.push_back(quoted[i]);
    if (quoted[i] == '"' && i + 1 < quoted.size() && quoted[i + 1] == '"') ++i;
  }
}

// The whole text one quoted stretch, as a writer that quotes writes it.
bool WhollyQuoted(std::string_view text) {
  return text.size() >= 2 && text.front() == '"' && ClosingQuote(text, 1) == text.size() - 1;
}

bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  if (value.find_first_of(",;\"") != std::string_view::npos) return true;
  if (IsBlank(value.front()) || IsBlank(value.back())) return true;
  // Unquoted, a backslash at the end of a line joins the next line to it.
  if (value.back() == '\\') return true;
  // The profile functions would take these quotes off; setup keeps them.
  return value.size() >= 2 && value.front() == '\'' && value.back() == '\'';
}

std::string Quoted(std::string_view value) {
  std::string out = "\"";
  for (char c : value) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  out.push_back('"');
  return out;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) out.push_back(',');
    out += items[i];
  }
  return out;
}

// The items of a list as typed in a box: split at the commas outside
// quotes, each trimmed, and one that is a quoted stretch taken from its
// quotes. Nothing else of the typing is interpreted.
std::vector<std::string> TypedItems(std::string_view shown) {
  std::vector<std::string> items;
  size_t start = 0, pos = 0;
  for (;;) {
    while (pos < shown.size() && shown[pos] != ',') {
      if (shown[pos] == '"') {
        const size_t close = ClosingQuote(shown, pos + 1);
        pos = close == std::string_view::npos ? shown.size() : close + 1;
      } else {
        ++pos;
      }
    }
    const std::string item = TrimBlanks(std::string(shown.substr(start, pos - start)));
    if (WhollyQuoted(item)) {
      std::string unquoted;
      AppendUnescaped(unquoted, std::string_view(item).substr(1, item.size() - 2));
      items.push_back(unquoted);
    } else {
      items.push_back(item);
    }
    if (pos >= shown.size()) return items;
    start = ++pos;
  }
}

std::string Guillemets(const std::string& text) { return "«" + text + "»"; }

}  // namespace

ValueKind KindOfKey(std::string_view key) {
  const std::string name = TrimBlanks(std::string(key));
  for (std::string_view listKey : kListKeys)
    if (SameAsciiText(name, listKey)) return ValueKind::List;
  return ValueKind::Text;
}

Parsed ParseValue(std::string_view stored) {
  Parsed parsed;
  size_t pos = 0;
  for (;;) {
    while (pos < stored.size() && IsBlank(stored[pos])) ++pos;
    std::string field;
    size_t kept = 0;  // the field's length without its unquoted trailing blanks
    bool more = false;
    while (pos < stored.size()) {
      const char c = stored[pos];
      if (c == ',') {
        ++pos;
        more = true;
        break;
      }
      if (c == ';') {
        parsed.commentCut = !BlankFrom(stored, pos + 1);
        pos = stored.size();
        break;
      }
      if (c == '"') {
        const size_t close = ClosingQuote(stored, pos + 1);
        const size_t end = close == std::string_view::npos ? stored.size() : close;
        AppendUnescaped(field, stored.substr(pos + 1, end - pos - 1));
        kept = field.size();
        pos = close == std::string_view::npos ? stored.size() : close + 1;
        continue;
      }
      if (c == '\\') {
        // Backslashes and blanks up to the end of the line or a comment
        // continue the value on the next line; anything else makes them text.
        size_t next = pos;
        while (next < stored.size() && (stored[next] == '\\' || IsBlank(stored[next]))) ++next;
        if (next == stored.size() || stored[next] == ';') {
          parsed.continued = true;
          if (next < stored.size()) parsed.commentCut = !BlankFrom(stored, next + 1);
          pos = stored.size();
          break;
        }
        field.append(stored.substr(pos, next - pos));
        kept = field.size();
        pos = next;
        continue;
      }
      field.push_back(c);
      if (!IsBlank(c)) kept = field.size();
      ++pos;
    }
    field.resize(kept);
    parsed.fields.push_back(std::move(field));
    if (!more) return parsed;
  }
}

std::string Shown(std::string_view stored, ValueKind kind) {
  if (kind == ValueKind::List) {
    if (stored.find('"') == std::string_view::npos) return profile::Unquote(stored, stored.size());
    return Joined(ParseValue(stored).fields);
  }
  if (WhollyQuoted(stored)) {
    std::string shown;
    AppendUnescaped(shown, stored.substr(1, stored.size() - 2));
    return shown;
  }
  return profile::Unquote(stored, stored.size());
}

std::string ToStore(const std::string& shown, ValueKind kind, const std::string* oldStored, bool edited) {
  if (oldStored && Shown(*oldStored, kind) == shown && !(edited && !ReadsOtherwise(*oldStored, kind).empty()))
    return *oldStored;
  if (kind == ValueKind::List) {
    std::vector<std::string> items = TypedItems(shown);
    for (std::string& item : items)
      if (NeedsQuotes(item)) item = Quoted(item);
    return items.size() == 1 && items[0].empty() ? std::string() : Joined(items);
  }
  // Blanks alone are no value worth quoting: the key is written empty.
  if (!shown.empty() && TrimBlanks(shown).empty()) return ToStore({}, kind, oldStored, edited);
  if (NeedsQuotes(shown)) return Quoted(shown);
  const bool oldQuoted = oldStored && oldStored->size() >= 2 && oldStored->front() == '"' && oldStored->back() == '"';
  return oldQuoted ? "\"" + shown + "\"" : shown;
}

std::string ReadsOtherwise(std::string_view stored, ValueKind kind) {
  const Parsed parsed = ParseValue(stored);
  if (parsed.continued) return "Значение кончается на «\\»: установка присоединит к нему следующую строку файла.";
  const std::string shown = Shown(stored, kind);
  if (kind == ValueKind::List) {
    for (const std::string& field : parsed.fields)
      if (field.find(',') != std::string::npos)
        return "Список в кавычках целиком: установка прочтёт один элемент " + Guillemets(field) +
               ", а не элементы через запятую.";
    const std::string read = Joined(parsed.fields);
    if (read == Joined(TypedItems(shown))) return {};
    return "Установка прочтёт только " + Guillemets(read) +
           (parsed.commentCut ? ": «;» вне кавычек начинает комментарий." : ".");
  }
  const std::string& read = parsed.fields.front();
  if (read == shown) return {};
  if (parsed.fields.size() > 1)
    return "Установка прочтёт только " + Guillemets(read) + ": запятая вне кавычек делит значение.";
  if (parsed.commentCut)
    return "Установка прочтёт только " + Guillemets(read) + ": «;» вне кавычек начинает комментарий.";
  return "Установка прочтёт " + Guillemets(read) + ": кавычки внутри значения она снимет.";
}

}  // namespace inf
