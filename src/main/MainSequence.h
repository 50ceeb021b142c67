#pragma once
// MainSequence: what KivEdt does from start to end: the answer file and its
// working copy, the settings dialog, the commit on OK and the exit programs.

#include "dialog/CommonSettringFrame.h"
#include "sys/Launcher.h"

#include <windows.h>

#include <string>
#include <vector>

// The command line's arguments, split as the program's own start-up does:
// blanks separate, double quotes group blanks and are removed. The first
// item is the program itself.
[[nodiscard]] std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Applies the "-f:"/"/f:" arguments of a command line to AnswerFileName;
// `programDir` ends with a separator.
void ParseCommandLine(const std::string& commandLine, const std::string& programDir);
void ParseCommandLine();

// Copies the working copy over the answer file in one step: afterwards the
// answer file is either the old one or the new one, whole, with its
// attributes. False (with the system's error) when it stayed the old one.
bool CommitWorkingCopy(const std::string& workFile, const std::string& answerFile);

// Runs, one after the other and each waited for, the "RunOnExit" entries of
// EditorDirectives in text order.
void RunExitPrograms();

// The tone that tells the operator the dialog is there: the system's Beep
// unless a test has put another function in its place.
extern BOOL(WINAPI* BeepFunction)(DWORD frequency, DWORD milliseconds);

// Starts the tone (1000 Hz, 700 ms) on a thread of its own and returns at
// once; nothing waits for it to end.
void StartTone();

// Starts the tone and shows the settings dialog with these pages, so that the
// tone sounds while the dialog is built and appears; true when it ended with
// OK. `savePressed` as for ShowSettings.
bool ShowSettingsWithTone(const std::vector<TCommonSettingsFrameClass>& pages, bool* savePressed);

// The whole run; returns the process exit code.
int RunMainSequence();
