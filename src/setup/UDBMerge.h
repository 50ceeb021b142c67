#pragma once
// UDBMerge: the uniqueness database as the editor reads it. A computer's
// entry in [UniqueIds] lists the answer-file sections it changes; its
// sections "<id>:<section>" hold the values, and "<id>:KIVEDITOR" the lines
// of its description and the commands to run after Save. Here are the walk of
// that list, the step that runs when a computer is picked, the two merges of
// its values into an answer file and the retirement of a setup-supplied UDB.

#include "profile/IniFiles.h"

#include <functional>
#include <string>
#include <vector>

// The item of a section list that marks an editor section; never a section
// to merge.
inline constexpr char kEditorMarker[] = "KIVEDITOR";

// Calls `section` for each section name of a computer's list, left to right:
// items split at ",", trimmed; the first empty item ends the list; the
// marker item is skipped.
void ForEachListedSection(std::string list, const std::function<void(const std::string& section)>& section);

// Whether a computer's list marks an editor section: the marker anywhere in
// it, ASCII letters compared without regard to case.
[[nodiscard]] bool HasEditorSection(const std::string& list);

// The step run when computer `id` of `udb` is picked: EditorDirectives is
// emptied and, for a computer with an editor section, refilled with its
// entries other than the description lines, sorted as text without regard
// to case; `showDescription` gets the description lines in that order; then
// the working copy is made again from the answer file and the computer's
// values are merged into it. True when that happened. A failed write
// throws, after the description was shown.
bool SelectUDBComputer(const TIniFile& udb, const std::string& id,
                       const std::function<void(const std::vector<std::string>& lines)>& showDescription);

// Writes the values of computer `id` into `targetFile`, section by section of
// its list. A section "UserData" whose values include "ProductID" or
// "ProductKey" first loses both keys, so that the two never disagree. Throws
// "Unable to write to <targetFile>" at the first value it cannot write.
void MergeUDBComputer(const TIniFile& udb, const std::string& targetFile, const std::string& id);

// Writes the values of computer `id` of the UDB file `udbFileName` on top of
// the working copy; write failures pass unnoticed.
void ApplyUDBComputer(const std::string& udbFileName, const std::string& id);

// For a selected computer: the working copy loses [Data] "uniqueness" and,
// with `merge`, takes the computer's values, and the UDB file is renamed to its name with
// ".KIV" appended, so that setup's unique mode does not find it again. A
// rename that fails (the name is taken) leaves the file as it is.
void RetireUniqueUDB(bool computerSelected, bool merge, const std::string& udbFileName, const std::string& id);

// Why setup cannot take `id` as a computer's identifier (it is given as
// "winnt32 /udf:ID,file", and the UDB's own parser reads it as a key), in
// Russian; empty when it can.
[[nodiscard]] std::string UDBIdentifierProblem(const std::string& id);
