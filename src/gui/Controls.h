#pragma once
// The control kinds a page is made of: labels, buttons, edit boxes, memos,
// check boxes, radio buttons, group boxes, combo boxes, panels and frames.

#include "gui/Control.h"

namespace gui {

// A text on the parent's surface; by default it sizes itself to its caption.
class Label : public Control {
 public:
  Label(Control* parent, const Design& design);
  void SetCaption(const std::string& text) override;
  [[nodiscard]] bool AutoSize() const noexcept { return autoSize_; }
  void SetAutoSize(bool autoSize);
  [[nodiscard]] TextAlign Alignment() const noexcept { return alignment_; }
  void SetAlignment(TextAlign alignment);
  std::function<void()> OnClick;

 protected:
  void Command(WORD code) override;
  HBRUSH CtlColor(HDC dc) override;
  void FontChanged() override { FitToCaption(); }

 private:
  void FitToCaption();
  bool autoSize_ = true;
  TextAlign alignment_ = TextAlign::Left;
};

class Button : public Control {
 public:
  Button(Control* parent, const Design& design);
  [[nodiscard]] bool Default() const noexcept { return default_; }
  void SetDefault(bool isDefault);
  [[nodiscard]] bool Cancel() const noexcept { return cancel_; }
  void SetCancel(bool cancel) noexcept { cancel_ = cancel; }
  [[nodiscard]] int GetModalResult() const noexcept { return modalResult_; }
  void SetModalResult(int result) noexcept { modalResult_ = result; }
  // Presses the button as the operator does: the form receives the button's
  // modal result first, then OnClick runs.
  void Click();
  std::function<void()> OnClick;

 protected:
  void Command(WORD code) override;

 private:
  bool default_ = false;
  bool cancel_ = false;
  int modalResult_ = mrNone;
};

class Edit : public Control {
 public:
  Edit(Control* parent, const Design& design);
  [[nodiscard]] std::string Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }
  void SetCaption(const std::string& text) override;
  [[nodiscard]] int MaxLength() const noexcept { return maxLength_; }
  void SetMaxLength(int length);
  [[nodiscard]] char PasswordChar() const noexcept { return passwordChar_; }
  void SetPasswordChar(char c);
  [[nodiscard]] bool ReadOnly() const noexcept { return readOnly_; }
  void SetReadOnly(bool readOnly);
  // Whether the operator changed the text since it was last set or cleared.
  [[nodiscard]] bool Modified() const noexcept;
  void SetModified(bool modified);
  void SelectAll();
  std::function<void()> OnChange;

 protected:
  Edit(Control* parent, const Design& design, const WindowSpec& kind);
  void Command(WORD code) override;
  // A disabled box is grey, as the text it cannot take.
  [[nodiscard]] TColor KindColor() const noexcept override { return Enabled() ? clWindow : clBtnFace; }

 private:
  void ApplyEditDesign(const Design& design);
  int maxLength_ = 0;
  char passwordChar_ = 0;
  bool readOnly_ = false;
};

// A multi-line edit box: Enter makes a new line, lines end with CR LF.
class Memo : public Edit {
 public:
  Memo(Control* parent, const Design& design);
  // Fails with "Text exceeds memo capacity" when the box cannot take the text.
  void SetCaption(const std::string& text) override;
  [[nodiscard]] bool WantsReturn() const noexcept override { return true; }
};

class CheckBox : public Control {
 public:
  CheckBox(Control* parent, const Design& design);
  [[nodiscard]] bool Checked() const noexcept;
  virtual void SetChecked(bool checked);
  std::function<void()> OnClick;

 protected:
  CheckBox(Control* parent, const Design& design, const WindowSpec& kind);
  void Command(WORD code) override;
  HBRUSH CtlColor(HDC dc) override;
};

// Radio buttons with the same parent form one group: checking one clears the others.
class RadioButton : public CheckBox {
 public:
  RadioButton(Control* parent, const Design& design);
  void SetChecked(bool checked) override;
  // Tab stops at the checked button of the group, or at the first when none is.
  [[nodiscard]] bool IsTabTarget() const noexcept override;

 protected:
  void Command(WORD code) override;
};

// A container with a raised, lowered or no bevel and a centred caption.
class Panel : public Control {
 public:
  Panel(Control* parent, const Design& design);
  [[nodiscard]] Bevel GetBevel() const noexcept { return bevel_; }
  void SetBevel(Bevel bevel);

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  [[nodiscard]] RECT AlignRect() const override;
  [[nodiscard]] bool OwnsBackground() const noexcept override { return true; }
  [[nodiscard]] TColor KindColor() const noexcept override { return clBtnFace; }

 private:
  Bevel bevel_ = Bevel::Raised;
};

// A framed container with a caption, holding radio buttons or other controls.
class GroupBox : public Control {
 public:
  GroupBox(Control* parent, const Design& design);
  void SetCaption(const std::string& text) override;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  [[nodiscard]] RECT AlignRect() const override;
  [[nodiscard]] bool OwnsBackground() const noexcept override { return true; }
};

// A plain container without border: the base of the settings pages.
class Frame : public Control {
 public:
  Frame(Control* parent, const Design& design);
  // A frame passes the focus on to its controls rather than taking it.
  [[nodiscard]] bool IsTabTarget() const noexcept override { return false; }

 protected:
  [[nodiscard]] bool OwnsBackground() const noexcept override { return true; }
};

// A drop-down combo box. With DropDown the operator may type; with
// DropDownList he only picks. Every item may carry an attached text.
class ComboBox : public Control {
 public:
  ComboBox(Control* parent, const Design& design);
  [[nodiscard]] ComboStyle Style() const noexcept { return style_; }

  void ClearItems();
  int AddItem(const std::string& text, const std::string& data = {});
  void SetItems(const std::vector<std::string>& items);
  [[nodiscard]] int ItemCount() const noexcept { return static_cast<int>(items_.size()); }
  [[nodiscard]] const std::string& ItemText(int index) const;
  [[nodiscard]] const std::string& ItemData(int index) const;
  void SetItemData(int index, const std::string& data);
  // Index of the item whose text equals `text` (case ignored), or -1.
  [[nodiscard]] int IndexOf(const std::string& text) const;

  [[nodiscard]] int ItemIndex() const noexcept;
  void SetItemIndex(int index);
  // The edit field's text (DropDown) or the picked item's text (DropDownList).
  [[nodiscard]] std::string Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }
  [[nodiscard]] std::string Caption() const override;
  // DropDownList: picks the item of that text, or none.
  void SetCaption(const std::string& text) override;
  [[nodiscard]] bool DroppedDown() const noexcept;
  // The list's window while it is dropped down (for the operator's pick).
  [[nodiscard]] HWND ListHandle() const noexcept;
  [[nodiscard]] HWND EditHandle() const noexcept;

  std::function<void()> OnChange;

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Command(WORD code) override;
  // A disabled box is grey, as the text it cannot take.
  [[nodiscard]] TColor KindColor() const noexcept override { return Enabled() ? clWindow : clBtnFace; }
  [[nodiscard]] std::vector<HWND> HintWindows() const override;
  void MoveWindowTo(int left, int top, int width, int height) override;

 private:
  struct Item {
    std::string text;
    std::string data;
  };
  ComboStyle style_;
  std::vector<Item> items_;
};

}  // namespace gui
