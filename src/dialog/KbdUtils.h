#pragma once
// KbdUtils: what the program does for the Cyrillic keyboard layouts and
// charset of a half-installed system (registry fix-ups, the indicator's
// text, the controls' charset), and NextToken, the list splitter of the
// network and UDB pages.

#include "gui/Control.h"

#include <string>

// Registers the Russian and Ukrainian keyboard layouts, makes the Cyrillic
// charset the font mapper's default and loads both layouts. Fails with
// "Failed to set data for '%s'" when a value cannot be written.
void FixKeyboardLayouts();

// The low byte of the font mapper's "DEFAULT". Fails with "Failed to get
// data for '%s'" when it is missing, "Invalid data type for '%s'" when it is
// not a 32-bit integer.
[[nodiscard]] BYTE GetFontMapperCharset();

// Gives every control under `component`, at any depth, the font mapper's charset.
void ApplyFontCharset(gui::Control* component);

// The three-letter name of the current keyboard layout's language (RUS, ENU).
void GetKeyboardLayoutText(std::string& text);
[[nodiscard]] std::string GetKeyboardLayoutText();

// The text without the blanks and control characters around it.
[[nodiscard]] std::string TrimBlanks(const std::string& text);

// Cuts the next item off the front of `list`: the text before the first
// `delimiter` (or the whole text when there is none), trimmed of blanks and
// control characters. The rest of the list is left untrimmed.
void NextToken(std::string& list, const std::string& delimiter, std::string& token);
