#pragma once
// AnswerFile: the answer file being edited and its working copy, and the
// value access the pages and start-up use.

#include <string>
#include <vector>

// The answer file being edited, its working copy (the same name with ".new"
// appended) and the editor directives of the computer chosen on the UDB page.
extern std::string AnswerFileName;
extern std::string WorkFileName;
extern std::vector<std::string> EditorDirectives;
// What the run's journal tells of the pages: whether the operator's own text
// replaced the working copy on the preview page, and the UDB computer last
// merged into it (file, mode, computer; empty when none was).
extern bool PreviewEditedByHand;
struct UDBMergeRecord {
  std::string file, mode, computer;
};
extern UDBMergeRecord LastUDBMerge;

// Copies the answer file over the working copy. The copy is writable whatever
// the answer file's attributes: one marked read-only must not pass the mark
// on, or every write of the pages would fail and the copy outlive the run.
// False when the copy failed, the reason in GetLastError.
[[nodiscard]] bool CopyAnswerToWorkingCopy();
// Removes the working copy, read-only or not.
void RemoveWorkingCopy();

// One value from `fileName`, or from the working copy when it is empty, read
// into a 261-character buffer: at most 260 characters; the default when the
// file, section or key is missing. A value of the working copy comes as
// setup would have the operator see it (setup/SetupSyntax): a quoted one
// without its quotes and with its "" as one quote, a list without the
// quotes of its items.
void ReadProfileValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                      const std::string& fileName, std::string& value);
// One value written into the working copy in the form setup reads as the
// value given (setup/SetupSyntax); a value that reads as the stored one
// leaves the line as it is, unless the operator `edited` its box and setup
// reads the line otherwise. An empty value leaves the key present and empty.
void WriteProfileValue(const std::string& section, const std::string& key, const std::string& value,
                       bool edited = false);

// Why setup would read the working copy's value of the key otherwise than
// `shown`, the box's text, presents it; empty when it would not, or when
// the box no longer shows the stored value (its save writes it as setup
// reads it).
[[nodiscard]] std::string SetupReadsOtherwise(const std::string& section, const std::string& key,
                                              const std::string& shown);
