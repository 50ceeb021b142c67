// The text helpers.

#include "sys/TextUtils.h"

#include <windows.h>

#include <algorithm>

namespace {

char AsciiUpperChar(char c) noexcept { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

int CompareInLocale(std::string_view a, std::string_view b) noexcept {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size()));
}

}  // namespace

std::string TrimBlanks(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ') --e;
  return text.substr(b, e - b);
}

void NextToken(std::string& list, const std::string& delimiter, std::string& token) {
  size_t at = delimiter.empty() ? std::string::npos : list.find(delimiter);
  if (at == std::string::npos) {
    token = list;
    list.clear();
  } else {
    token = list.substr(0, at);
    list.erase(0, at + delimiter.size());
  }
  token = TrimBlanks(token);
}

std::string AsciiUpper(std::string text) {
  for (char& c : text) c = AsciiUpperChar(c);
  return text;
}

bool SameAsciiText(std::string_view a, std::string_view b) noexcept {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return AsciiUpperChar(x) == AsciiUpperChar(y); });
}

bool SameLocaleText(std::string_view a, std::string_view b) noexcept { return CompareInLocale(a, b) == CSTR_EQUAL; }

bool LocaleTextLess(std::string_view a, std::string_view b) noexcept { return CompareInLocale(a, b) == CSTR_LESS_THAN; }
