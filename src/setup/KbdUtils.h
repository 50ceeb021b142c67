#pragma once
// KbdUtils: what the program does for the Cyrillic keyboard layouts and
// charset of a half-installed system: the registry fix-ups, the font
// mapper's charset the controls take, the indicator's text.

#include <windows.h>

#include <string>

// Registers the Russian and Ukrainian keyboard layouts, makes the Cyrillic
// charset the font mapper's default and loads both layouts. Fails with
// "Failed to set data for '%s'" when a value cannot be written.
void FixKeyboardLayouts();

// The low byte of the font mapper's "DEFAULT". Fails with "Failed to get
// data for '%s'" when it is missing, "Invalid data type for '%s'" when it is
// not a 32-bit integer.
[[nodiscard]] BYTE GetFontMapperCharset();

// The three-letter name of the current keyboard layout's language (RUS, ENU).
void GetKeyboardLayoutText(std::string& text);
[[nodiscard]] std::string GetKeyboardLayoutText();
