#pragma once
// Journal: one block of text appended to a log file for every run of the
// editor, so that whoever finds a machine set up wrongly can read who
// changed what: the operator, the UDB file, or nobody before the countdown
// ran out. Code page 1251 with CR LF, readable in Notepad. Writing it never
// holds the run up: a journal that cannot be written is skipped.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// One value that differs between the answer file at start and the one
// committed; `hadBefore`/`hasAfter` tell a key added or removed from one set
// to an empty value.
struct JournalChange {
  std::string section, key, before, after;
  bool hadBefore = true, hasAfter = true;
};

// Every key whose value (as a read of it gives it) differs between the two
// files: the sections and keys of the newer file in its order, then those
// only the older one has. Names match without regard to case, as reads do.
[[nodiscard]] std::vector<JournalChange> AnswerFileChanges(const std::string& before, const std::string& after);

struct JournalRun {
  SYSTEMTIME started{}, ended{};
  std::string version, build, answerFile;
  // "Save", "Cancel", "countdown" or "error: <text>".
  std::string ending;
  std::string udbFile, udbMode, udbComputer;
  std::vector<JournalChange> changes;
  bool previewEdited = false;
  // Each exit program's command and exit code, in the order they ran.
  std::vector<std::pair<std::string, DWORD>> programs;
  // Every message shown to the operator.
  std::vector<std::string> errors;
};

// The run as a block of lines, a values of keys whose name holds "Password"
// shown as "***".
[[nodiscard]] std::string JournalBlock(const JournalRun& run);

// The journal of this configuration: "[KivEditor] LogFile" with environment
// references expanded, "%SystemRoot%\KivEdt.log" when the key is absent, and
// "" (no journal) when it is present and empty.
[[nodiscard]] std::string JournalFileName(const std::string& configFile);

// Appends the block to the file; a file that would grow past `limit` bytes
// first loses its older half, cut at a block's start. False when the file
// could not be written; nothing else happens then.
bool AppendToJournal(const std::string& file, const std::string& block, size_t limit = size_t{1} << 20);
