// TextView: lines indexed once, painted only while in sight.

#include "gui/TextView.h"

#include <algorithm>
#include <cstring>

namespace gui {

namespace {
// Space left of the text, as an edit box leaves it.
constexpr int kMargin = 2;
}  // namespace

TextView::TextView(Control* parent, const Design& design)
    : Control(parent, design,
              {.className = nullptr,
               .style = static_cast<DWORD>(WS_VSCROLL | (design.wordWrap.value_or(true) ? 0 : WS_HSCROLL)),
               .exStyle = WS_EX_CLIENTEDGE,
               .defaultWidth = 185,
               .defaultHeight = 89,
               .tabStop = true}),
      wrap_(design.wordWrap.value_or(true)) {
  SetText(design.caption);
}

void TextView::SetText(std::string text) {
  text_ = std::move(text);
  lines_.clear();
  longest_ = 0;
  size_t longestLength = 0;
  // A line ends at CR LF, or at a CR or LF of its own.
  for (size_t pos = 0;;) {
    lines_.push_back(static_cast<uint32_t>(pos));
    const char* from = text_.data() + pos;
    const size_t rest = text_.size() - pos;
    const void* lf = std::memchr(from, '\n', rest);
    const size_t lfAt = lf ? static_cast<size_t>(static_cast<const char*>(lf) - text_.data()) : text_.size();
    const void* cr = std::memchr(from, '\r', lfAt - pos);
    const size_t end = cr ? static_cast<size_t>(static_cast<const char*>(cr) - text_.data()) : lfAt;
    if (end - pos > longestLength) {
      longestLength = end - pos;
      longest_ = lines_.size() - 1;
    }
    if (end >= text_.size()) break;
    pos = end + (text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1);
    if (pos >= text_.size()) {
      lines_.push_back(static_cast<uint32_t>(pos));
      break;
    }
  }
  top_ = 0;
  x_ = 0;
  allSelected_ = false;
  wrapWidth_ = -1;
  Measure();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

std::string_view TextView::ShownLine(size_t index) const {
  const std::vector<uint32_t>& rows = Rows();
  const size_t begin = rows[index];
  size_t end = index + 1 < rows.size() ? rows[index + 1] : text_.size();
  while (end > begin && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
  return std::string_view(text_).substr(begin, end - begin);
}

void TextView::Measure() {
  HDC dc = GetDC(hwnd_);
  HGDIOBJ old = SelectObject(dc, FontHandleOf());
  TEXTMETRICA tm{};
  GetTextMetricsA(dc, &tm);
  lineHeight_ = std::max<int>(1, tm.tmHeight);
  if (wrap_) {
    widest_ = 0;
    Wrap(dc, tm.tmAveCharWidth, tm.tmMaxCharWidth);
  } else {
    // The line with the most characters stands for the widest; with a
    // proportional font another may be a little wider, which the margin covers.
    const std::string_view longest = lines_.empty() ? std::string_view() : ShownLine(longest_);
    // A line is painted up to 32767 characters; the measure's width has 16
    // bits, so a line too long for it is estimated by the average character.
    const size_t shown = std::min<size_t>(longest.size(), 32767);
    const long long width = shown > 2000
                                ? static_cast<long long>(shown) * tm.tmAveCharWidth
                                : LOWORD(GetTabbedTextExtentA(dc, longest.data(), static_cast<int>(shown), 0, nullptr));
    widest_ = static_cast<int>(kMargin + width + tm.tmAveCharWidth * 4);
  }
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  UpdateScrollBars();
}

void TextView::Wrap(HDC dc, int aveCharWidth, int maxCharWidth) {
  RECT r;
  GetClientRect(hwnd_, &r);
  const int width = std::max<int>(0, r.right - r.left - 2 * kMargin);
  // Before the first layout the view has no width yet: the rows wait for it
  // rather than be made a character wide.
  if (width < 4 * std::max(aveCharWidth, 1)) {
    if (rows_ != lines_) rows_ = lines_;
    wrapWidth_ = -1;
    return;
  }
  if (width == wrapWidth_) return;
  const uint32_t topOffset = top_ < rows_.size() ? rows_[top_] : 0;
  wrapWidth_ = width;
  rows_.clear();
  rows_.reserve(lines_.size());
  // The advance of every character of the code page, asked once: a line is
  // then measured by adding, without a call into the system per line, so
  // that a text of megabytes wraps at once. Tabs advance to the next stop
  // of eight average characters, as they are painted.
  int advance[256] = {};
  const bool table = GetCharWidth32A(dc, 0, 255, advance) != 0;
  const int tabStop = 8 * std::max(aveCharWidth, 1);
  auto fitting = [&](size_t from, size_t end) -> size_t {
    if (!table) {
      const int asked = static_cast<int>(std::min<size_t>(end - from, static_cast<size_t>(width) + 1));
      int fit = 0;
      SIZE size{};
      if (!GetTextExtentExPointA(dc, text_.data() + from, asked, width, &fit, nullptr, &size)) fit = 0;
      return static_cast<size_t>(std::max(fit, 1));
    }
    int x = 0;
    size_t k = from;
    for (; k < end; ++k) {
      const auto c = static_cast<unsigned char>(text_[k]);
      const int next = c == '\t' ? (x / tabStop + 1) * tabStop : x + advance[c];
      if (next > width) break;
      x = next;
    }
    return std::max<size_t>(k - from, 1);
  };
  for (size_t i = 0; i < lines_.size(); ++i) {
    size_t pos = lines_[i];
    size_t end = i + 1 < lines_.size() ? lines_[i + 1] : text_.size();
    while (end > pos && (text_[end - 1] == '\n' || text_[end - 1] == '\r')) --end;
    // Most lines fit even in the widest characters, and are not measured.
    if (static_cast<long long>(end - pos) * maxCharWidth <= width) {
      rows_.push_back(static_cast<uint32_t>(pos));
      continue;
    }
    do {
      rows_.push_back(static_cast<uint32_t>(pos));
      size_t rowEnd = pos + fitting(pos, end);
      if (rowEnd < end) {
        // Broken after the last blank that fits, as an edit box breaks; a
        // word longer than the row is cut.
        for (size_t k = rowEnd; k > pos + 1; --k) {
          if (text_[k - 1] == ' ' || text_[k - 1] == '\t') {
            rowEnd = k;
            break;
          }
        }
      }
      pos = rowEnd;
    } while (pos < end);
  }
  if (rows_.empty()) rows_.push_back(0);
  top_ = static_cast<size_t>(std::upper_bound(rows_.begin(), rows_.end(), topOffset) - rows_.begin()) - 1;
}

void TextView::FontChanged() {
  if (hwnd_) Measure();
}

int TextView::PageLines() const {
  RECT r;
  GetClientRect(hwnd_, &r);
  return std::max<int>(1, (r.bottom - r.top) / lineHeight_);
}

void TextView::UpdateScrollBars() {
  RECT r;
  GetClientRect(hwnd_, &r);
  SCROLLINFO vertical{sizeof(SCROLLINFO),
                      SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                      0,
                      static_cast<int>(std::max<size_t>(Rows().size(), 1) - 1),
                      static_cast<UINT>(PageLines()),
                      static_cast<int>(top_),
                      0};
  SetScrollInfo(hwnd_, SB_VERT, &vertical, TRUE);
  // Setting a range would give a wrapping view the bar it must not have.
  if (wrap_) return;
  SCROLLINFO horizontal{sizeof(SCROLLINFO),
                        SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
                        0,
                        widest_,
                        static_cast<UINT>(std::max<LONG>(r.right - r.left, 1)),
                        x_,
                        0};
  SetScrollInfo(hwnd_, SB_HORZ, &horizontal, TRUE);
}

void TextView::ScrollTo(long long line, long long x) {
  RECT r;
  GetClientRect(hwnd_, &r);
  const long long lastTop = std::max<long long>(static_cast<long long>(Rows().size()) - PageLines(), 0);
  const long long lastX = std::max<long long>(widest_ - (r.right - r.left), 0);
  const size_t top = static_cast<size_t>(std::clamp<long long>(line, 0, lastTop));
  const int left = static_cast<int>(std::clamp<long long>(x, 0, lastX));
  if (top == top_ && left == x_) return;
  const long long dy = (static_cast<long long>(top_) - static_cast<long long>(top)) * lineHeight_;
  const int dx = x_ - left;
  top_ = top;
  x_ = left;
  if (std::llabs(dy) < r.bottom && std::abs(dx) < r.right)
    ScrollWindowEx(hwnd_, dx, static_cast<int>(dy), nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
  else
    InvalidateRect(hwnd_, nullptr, TRUE);
  UpdateScrollBars();
}

void TextView::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  HGDIOBJ old = SelectObject(dc, FontHandleOf());
  SetBkMode(dc, TRANSPARENT);
  const bool selected = allSelected_ && Focused();
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  const int first = std::max<int>(0, ps.rcPaint.top / lineHeight_);
  const int last = ps.rcPaint.bottom / lineHeight_;
  for (int row = first; row <= last; ++row) {
    const size_t index = top_ + static_cast<size_t>(row);
    if (index >= Rows().size()) break;
    const std::string_view line = ShownLine(index);
    if (selected) {
      RECT band{ps.rcPaint.left, row * lineHeight_, ps.rcPaint.right, (row + 1) * lineHeight_};
      FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    if (!line.empty())
      TabbedTextOutA(dc, kMargin - x_, row * lineHeight_, line.data(),
                     static_cast<int>(std::min<size_t>(line.size(), 32767)), 0, nullptr, kMargin - x_);
  }
  SelectObject(dc, old);
  EndPaint(hwnd_, &ps);
}

void TextView::CopyToClipboard() const {
  if (!OpenClipboard(hwnd_)) return;
  EmptyClipboard();
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text_.size() + 1)) {
    if (void* p = GlobalLock(memory)) {
      std::memcpy(p, text_.c_str(), text_.size() + 1);
      GlobalUnlock(memory);
      if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

bool TextView::KeyDown(WPARAM key) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const long long top = static_cast<long long>(top_), page = PageLines();
  switch (key) {
    case VK_UP: ScrollTo(top - 1, x_); return true;
    case VK_DOWN: ScrollTo(top + 1, x_); return true;
    case VK_PRIOR: ScrollTo(top - page, x_); return true;
    case VK_NEXT: ScrollTo(top + page, x_); return true;
    case VK_HOME: ScrollTo(ctrl ? 0 : top, 0); return true;
    case VK_END: ScrollTo(ctrl ? static_cast<long long>(Rows().size()) : top, ctrl ? x_ : widest_); return true;
    case VK_LEFT: ScrollTo(top, x_ - lineHeight_); return true;
    case VK_RIGHT: ScrollTo(top, x_ + lineHeight_); return true;
    case 'A':
      if (!ctrl) return false;
      allSelected_ = true;
      InvalidateRect(hwnd_, nullptr, TRUE);
      return true;
    case 'C':
    case VK_INSERT:
      if (!ctrl || !allSelected_) return false;
      CopyToClipboard();
      return true;
    default: return false;
  }
}

LRESULT TextView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT: Paint(); return 0;
    case WM_SIZE:
      // A wrapping view makes its rows again for the new width.
      if (wrap_ && LOWORD(lParam) > 0) Measure();
      UpdateScrollBars();
      ScrollTo(static_cast<long long>(top_), x_);
      break;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(text_.size());
    case WM_GETTEXT: {
      if (wParam == 0) return 0;
      const size_t n = std::min<size_t>(text_.size(), static_cast<size_t>(wParam) - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), text_.data(), n);
      reinterpret_cast<char*>(lParam)[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_SETTEXT: SetText(lParam ? reinterpret_cast<const char*>(lParam) : ""); return TRUE;
    case WM_LBUTTONDOWN:
      ::SetFocus(hwnd_);
      if (allSelected_) {
        allSelected_ = false;
        InvalidateRect(hwnd_, nullptr, TRUE);
      }
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (allSelected_) InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case WM_KEYDOWN:
      if (KeyDown(wParam)) return 0;
      break;
    case WM_MOUSEWHEEL: {
      wheelRest_ += GET_WHEEL_DELTA_WPARAM(wParam);
      UINT perNotch = 3;
      SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
      const int notches = wheelRest_ / WHEEL_DELTA;
      wheelRest_ -= notches * WHEEL_DELTA;
      ScrollTo(static_cast<long long>(top_) - static_cast<long long>(notches) * perNotch, x_);
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      const bool vertical = msg == WM_VSCROLL;
      SCROLLINFO si{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd_, vertical ? SB_VERT : SB_HORZ, &si);
      const long long step = vertical ? 1 : lineHeight_;
      long long to = si.nPos;
      switch (LOWORD(wParam)) {
        case SB_LINEUP: to -= step; break;
        case SB_LINEDOWN: to += step; break;
        case SB_PAGEUP: to -= static_cast<long long>(si.nPage); break;
        case SB_PAGEDOWN: to += static_cast<long long>(si.nPage); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: to = si.nTrackPos; break;
        case SB_TOP: to = 0; break;
        case SB_BOTTOM: to = si.nMax; break;
        default: return 0;
      }
      if (vertical)
        ScrollTo(to, x_);
      else
        ScrollTo(static_cast<long long>(top_), to);
      return 0;
    }
    default: break;
  }
  return Control::WndProc(msg, wParam, lParam);
}

}  // namespace gui
