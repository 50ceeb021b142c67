#pragma once
// TextView: a read-only view of a text of any length. Only the lines in
// sight are laid out and painted, so a text of megabytes shows at once,
// where a multi-line edit box lays out every line before it shows one (under
// Wine, seconds for a 10 MB text). The operator scrolls it with the scroll
// bars, the wheel and the keys a read-only edit box knows; Ctrl+A then
// Ctrl+C copies the whole text. The window answers WM_GETTEXT with the text.
// Like a multi-line edit box, it wraps lines longer than its width (breaking
// after a blank where it can) unless its design says wordWrap = false; only
// then has it a horizontal scroll bar.

#include "gui/Control.h"

#include <cstdint>

namespace gui {

class TextView : public Control {
 public:
  TextView(Control* parent, const Design& design);
  [[nodiscard]] const std::string& Text() const noexcept { return text_; }
  void SetText(std::string text);
  [[nodiscard]] std::string Caption() const override { return text_; }
  void SetCaption(const std::string& text) override { SetText(text); }
  // Lines as shown: a wrapped line counts once for each row it takes.
  [[nodiscard]] size_t LineCount() const noexcept { return Rows().size(); }
  [[nodiscard]] bool WordWrap() const noexcept { return wrap_; }
  // The characters of a line as shown, without its line break.
  [[nodiscard]] std::string_view ShownLine(size_t index) const;
  // Enter belongs to the text, as in an edit box: it never presses the
  // form's default button.
  [[nodiscard]] bool WantsReturn() const noexcept override { return true; }
  // The first line in sight and the first column's offset in pixels.
  [[nodiscard]] size_t TopLine() const noexcept { return top_; }
  [[nodiscard]] int ScrolledX() const noexcept { return x_; }

 protected:
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  [[nodiscard]] bool OwnsBackground() const noexcept override { return true; }
  [[nodiscard]] TColor KindColor() const noexcept override { return clWindow; }
  void FontChanged() override;

 private:
  void Measure();
  // Splits the lines into rows that fit the width; the row in sight at the
  // top stays in sight.
  void Wrap(HDC dc, int aveCharWidth, int maxCharWidth);
  [[nodiscard]] const std::vector<uint32_t>& Rows() const noexcept { return wrap_ ? rows_ : lines_; }
  void Paint();
  void ScrollTo(long long line, long long x);
  void UpdateScrollBars();
  [[nodiscard]] int PageLines() const;
  void CopyToClipboard() const;
  bool KeyDown(WPARAM key);

  std::string text_;
  const bool wrap_;
  std::vector<uint32_t> lines_;  // offset of each line's first character
  std::vector<uint32_t> rows_;   // offset of each row's first character, when wrapping
  int wrapWidth_ = -1;           // the width the rows were made for
  size_t longest_ = 0;           // the line with the most characters
  int lineHeight_ = 13;
  int widest_ = 0;  // pixels of the longest line
  size_t top_ = 0;
  int x_ = 0;
  int wheelRest_ = 0;
  bool allSelected_ = false;
};

}  // namespace gui
