#pragma once
// Launcher: %NAME% expansion and the start of other programs, for the
// commands and paths taken from configuration.

#include <windows.h>

#include <string>

// The text with its %NAME% references replaced by the process environment;
// references to undefined variables stay as written. The result is never
// cut, however long.
[[nodiscard]] std::string ExpandEnvironment(const std::string& text);

// Starts the expanded command line as a new process with a console of its
// own; with `wait`, returns only when it has ended. True when it started.
bool RunProgram(const std::string& commandLine, bool wait);
// The same, giving the program's exit code when it was waited for.
bool RunProgram(const std::string& commandLine, bool wait, DWORD* exitCode);

// The directory of the running program, with its trailing separator.
[[nodiscard]] std::string ProgramDirectory();

// Whether a file (not a folder) of that name exists.
[[nodiscard]] bool IsFile(const std::string& name);
