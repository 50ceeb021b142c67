#pragma once
// SysUtils: the system's own words for an error.

#include <windows.h>

#include <string>

// The system's message for an error code, without the trailing period and
// line break; "System error N" when the system has none.
[[nodiscard]] std::string SysErrorMessage(DWORD code);
