#pragma once
// CommonSettringFrame: the base of every settings page, the contract between
// the dialog and its pages. Values are read from and written to the working
// copy (setup/AnswerFile).

#include "gui/Controls.h"
#include "setup/AnswerFile.h"

#include <string>
#include <vector>

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

  // Makes the page's controls, once. A page is made without them: the
  // dialog asks for them when the page is first shown or when it has nothing
  // else to do, so that the start-up builds only the page seen first.
  void EnsureControls();
  [[nodiscard]] bool HasControls() const noexcept { return controlsMade_; }

  void ReadValue(const std::string& section, const std::string& key, const std::string& defaultValue,
                 const std::string& fileName, std::string& value);
  void WriteValue(const std::string& section, const std::string& key, const std::string& value);
  // The box's text, written as the operator typed it when he did (a value
  // setup read otherwise is then put right even if he typed it unchanged).
  void WriteValue(const std::string& section, const std::string& key, const gui::Edit* box);
  void DeleteKey(const std::string& section, const std::string& key);
  // Marks the box that shows the key's value (SetWarning) with `why`, the
  // page's own reason, and with why setup would read the stored value
  // otherwise than the box shows it; no mark when there is neither.
  void MarkValue(gui::Edit* box, const std::string& section, const std::string& key, const std::string& why = {});
  // The same for a password box, whose mark must not show what setup reads.
  void MarkSecret(gui::Edit* box, const std::string& section, const std::string& key);

 protected:
  // The page's design: its controls, as laid out in the designer.
  virtual void CreateControls() {}

 private:
  bool Loaded_ = false;
  bool controlsMade_ = false;
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
