#pragma once
// TextUtils: the small text helpers every layer uses: trimming, the list
// splitter, and the two case-insensitive comparisons (ASCII letters only, and
// the locale's), each written once so that every list sorts and every name
// matches the same way.

#include <string>
#include <string_view>

// The text without the blanks and control characters around it.
[[nodiscard]] std::string TrimBlanks(const std::string& text);

// Cuts the next item off the front of `list`: the text before the first
// `delimiter` (or the whole text when there is none), trimmed of blanks and
// control characters. The rest of the list is left untrimmed.
void NextToken(std::string& list, const std::string& delimiter, std::string& token);

// ASCII letters in upper case; every other byte, Cyrillic included, as it is.
[[nodiscard]] std::string AsciiUpper(std::string text);
// Equal when ASCII letters are compared without regard to case.
[[nodiscard]] bool SameAsciiText(std::string_view a, std::string_view b) noexcept;

// The locale's comparison with letter case ignored (CompareString with
// NORM_IGNORECASE): equal, and ordered before.
[[nodiscard]] bool SameLocaleText(std::string_view a, std::string_view b) noexcept;
[[nodiscard]] bool LocaleTextLess(std::string_view a, std::string_view b) noexcept;
