#pragma once
// CommonSettringFrame: the base of every settings page (the contract between
// the dialog and its pages) and the answer-file value access the pages and
// start-up use. Values are read from and written to the working copy.

#include "gui/Controls.h"

#include <string>
#include <vector>

// The answer file being edited, its working copy (the same name with ".new"
// appended) and the editor directives of the computer chosen on the UDB page.
extern std::string AnswerFileName;
extern std::string WorkFileName;
extern std::vector<std::string> EditorDirectives;

// Copies the answer file over the working copy. The copy is writable whatever
// the answer file's attributes: one marked read-only must not pass the mark
// on, or every write of the pages would fail and the copy outlive the run.
// False when the copy failed, the reason in GetLastError.
[[nodiscard]] bool CopyAnswerToWorkingCopy();
// Removes the working copy, read-only or not.
void RemoveWorkingCopy();

// One value from `fileName`, or from the working copy when it is empty, read
// into a 261-character buffer: at most 260 characters; the default when the
// file, section or key is missing.
void ReadProfileValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                      const std::string& fileName, std::string& value);
// One value written into the working copy; an empty value leaves the key
// present and empty.
void WriteProfileValue(const std::string& section, const std::string& key, const std::string& value);

class TCommonSettingsFrame : public gui::Frame {
 public:
  TCommonSettingsFrame(gui::Control* owner, const std::string& name);

  // The tab's caption, asked of the class before any page exists.
  [[nodiscard]] static std::string GetCaption();

  [[nodiscard]] virtual bool IsSaveAllowed();
  virtual void SaveSettings();
  virtual void LoadSettings();
  [[nodiscard]] virtual bool CheckBeforeSave(bool showErrors);
  [[nodiscard]] virtual bool HasValidData();

  [[nodiscard]] bool Loaded() const noexcept { return Loaded_; }

  void ReadValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                 const std::string& fileName, std::string& value);
  void WriteValue(const std::string& section, const std::string& key, const std::string& value);
  void DeleteKey(const std::string& section, const std::string& key);

 private:
  bool Loaded_ = false;
};

// A page class: its caption and how to make a page of it on a tab sheet. An
// empty entry (no functions) is skipped by the dialog.
struct TCommonSettingsFrameClass {
  std::string (*GetCaption)() = nullptr;
  TCommonSettingsFrame* (*Create)(gui::Control* owner) = nullptr;
  explicit operator bool() const noexcept { return GetCaption && Create; }
};

template <class T>
TCommonSettingsFrameClass ClassOf() {
  return {&T::GetCaption, [](gui::Control* owner) -> TCommonSettingsFrame* { return owner->Create<T>(); }};
}
