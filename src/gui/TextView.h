#pragma once
// TextView: a read-only view of a text of any length. Only the lines in
// sight are laid out and painted, so a text of megabytes shows at once,
// where a multi-line edit box lays out every line before it shows one (under
// Wine, seconds for a 10 MB text). The operator scrolls it with the scroll
// bars, the wheel and the keys a read-only edit box knows; Ctrl+A then
// Ctrl+C copies the whole text. The window answers WM_GETTEXT with the text.

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
  [[nodiscard]] size_t LineCount() const noexcept { return lines_.size(); }
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
  void Paint();
  void ScrollTo(long long line, long long x);
  void UpdateScrollBars();
  [[nodiscard]] int PageLines() const;
  [[nodiscard]] std::string_view Line(size_t index) const;
  void CopyToClipboard() const;
  bool KeyDown(WPARAM key);

  std::string text_;
  std::vector<uint32_t> lines_;  // offset of each line's first character
  size_t longest_ = 0;           // the line with the most characters
  int lineHeight_ = 13;
  int widest_ = 0;  // pixels of the longest line
  size_t top_ = 0;
  int x_ = 0;
  int wheelRest_ = 0;
  bool allSelected_ = false;
};

}  // namespace gui
