// The control kinds: how each maps its properties and notifications.

#include "gui/Controls.h"

#include "gui/Form.h"
#include "sys/TextUtils.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace gui {

namespace {

DWORD LabelStyle(TextAlign alignment) {
  switch (alignment) {
    case TextAlign::Center: return SS_CENTER;
    case TextAlign::Right: return SS_RIGHT;
    case TextAlign::Left: break;
  }
  return SS_LEFT;
}

}  // namespace

// ---------------------------------------------------------------- Label

Label::Label(Control* parent, const Design& d)
    : Control(parent, d,
              {.className = "STATIC",
               .style = LabelStyle(d.alignment) | SS_NOTIFY,
               .defaultWidth = 0,
               .defaultHeight = 13,
               .hasTabOrder = false}),
      autoSize_(d.autoSize.value_or(d.align == Align::None || d.align == Align::Left || d.align == Align::Right)),
      alignment_(d.alignment) {
  OnClick = d.onClick;
  FitToCaption();
}

void Label::SetCaption(const std::string& text) {
  Control::SetCaption(text);
  FitToCaption();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Label::SetAutoSize(bool autoSize) {
  autoSize_ = autoSize;
  FitToCaption();
}

void Label::SetAlignment(TextAlign alignment) {
  alignment_ = alignment;
  LONG_PTR style = GetWindowLongPtrA(hwnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(SS_TYPEMASK);
  SetWindowLongPtrA(hwnd_, GWL_STYLE, style | static_cast<LONG_PTR>(LabelStyle(alignment)));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Label::FitToCaption() {
  if (!autoSize_ || !hwnd_) return;
  std::string text = Caption();
  RECT r{0, 0, 0, 0};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontHandleOf());
  DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_LEFT);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  int width = text.empty() ? 0 : r.right - r.left;
  int height = r.bottom - r.top;
  if (width != Width() || height != Height()) SetBounds(Left(), Top(), width, height);
}

void Label::Command(WORD code) {
  if (code == STN_CLICKED) Fire(OnClick);
}

HBRUSH Label::CtlColor(HDC dc) { return Control::CtlColor(dc); }

// ---------------------------------------------------------------- Button

Button::Button(Control* parent, const Design& d)
    : Control(parent, d,
              {.className = "BUTTON",
               .style = static_cast<DWORD>(d.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP,
               .defaultWidth = 75,
               .defaultHeight = 25,
               .tabStop = true}),
      default_(d.isDefault),
      cancel_(d.cancel),
      modalResult_(d.modalResult) {
  OnClick = d.onClick;
}

void Button::SetDefault(bool isDefault) {
  default_ = isDefault;
  SendMessageA(hwnd_, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Button::Click() {
  if (modalResult_ != mrNone) {
    if (Form* form = OwnerForm()) form->SetModalResult(modalResult_);
  }
  Fire(OnClick);
}

void Button::Command(WORD code) {
  if (code == BN_CLICKED && EventsAllowed()) Click();
}

// ---------------------------------------------------------------- Edit

Edit::Edit(Control* parent, const Design& d)
    : Edit(parent, d,
           {.className = "EDIT",
            .style = ES_AUTOHSCROLL | ES_LEFT | WS_TABSTOP,
            .exStyle = WS_EX_CLIENTEDGE,
            .defaultWidth = 121,
            .defaultHeight = 21,
            .tabStop = true}) {}

Edit::Edit(Control* parent, const Design& d, const WindowSpec& kind) : Control(parent, d, kind) { ApplyEditDesign(d); }

void Edit::ApplyEditDesign(const Design& d) {
  OnChange = d.onChange;
  OnEnter = d.onEnter;
  if (d.maxLength > 0) SetMaxLength(d.maxLength);
  if (d.passwordChar) SetPasswordChar(d.passwordChar);
  if (d.readOnly) SetReadOnly(true);
  SetModified(false);
}

void Edit::SetCaption(const std::string& text) {
  CodeChange guard(*this);
  SetWindowTextA(hwnd_, text.c_str());
  SetModified(false);
}

void Edit::SetMaxLength(int length) {
  maxLength_ = length;
  SendMessageA(hwnd_, EM_LIMITTEXT, static_cast<WPARAM>(std::max(length, 0)), 0);
}

void Edit::SetPasswordChar(char c) {
  passwordChar_ = c;
  SendMessageA(hwnd_, EM_SETPASSWORDCHAR, static_cast<unsigned char>(c), 0);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Edit::SetReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  SendMessageA(hwnd_, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

bool Edit::Modified() const noexcept { return SendMessageA(hwnd_, EM_GETMODIFY, 0, 0) != 0; }

void Edit::SetModified(bool modified) { SendMessageA(hwnd_, EM_SETMODIFY, modified ? TRUE : FALSE, 0); }

void Edit::SelectAll() { SendMessageA(hwnd_, EM_SETSEL, 0, -1); }

void Edit::Command(WORD code) {
  if (code == EN_CHANGE) Fire(OnChange);
}

// ---------------------------------------------------------------- Memo

namespace {
DWORD MemoStyle(const Design& d) {
  DWORD style = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_LEFT | WS_TABSTOP;
  if (!d.wordWrap.value_or(true)) style |= ES_AUTOHSCROLL;
  if (d.scrollBars == ScrollBars::Vertical || d.scrollBars == ScrollBars::Both) style |= WS_VSCROLL;
  if (d.scrollBars == ScrollBars::Horizontal || d.scrollBars == ScrollBars::Both) style |= WS_HSCROLL;
  return style;
}
}  // namespace

Memo::Memo(Control* parent, const Design& d)
    : Edit(parent, d,
           {.className = "EDIT",
            .style = MemoStyle(d),
            .exStyle = WS_EX_CLIENTEDGE,
            .defaultWidth = 185,
            .defaultHeight = 89,
            .tabStop = true}) {
  // No limit of the box's own: the text is whatever file it shows.
  if (MaxLength() == 0) SendMessageA(hwnd_, EM_LIMITTEXT, 0, 0);
}

void Memo::SetCaption(const std::string& text) {
  CodeChange guard(*this);
  if (!SetWindowTextA(hwnd_, text.c_str())) throw std::runtime_error("Text exceeds memo capacity");
  SetModified(false);
}

// ---------------------------------------------------------------- CheckBox, RadioButton

CheckBox::CheckBox(Control* parent, const Design& d)
    : CheckBox(parent, d,
               {.className = "BUTTON",
                .style = BS_AUTOCHECKBOX | WS_TABSTOP,
                .defaultWidth = 97,
                .defaultHeight = 17,
                .tabStop = true}) {}

CheckBox::CheckBox(Control* parent, const Design& d, const WindowSpec& kind) : Control(parent, d, kind) {
  OnClick = d.onClick;
  OnEnter = d.onEnter;
  if (d.checked) SendMessageA(hwnd_, BM_SETCHECK, BST_CHECKED, 0);
}

bool CheckBox::Checked() const noexcept { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  CodeChange guard(*this);
  SendMessageA(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::Command(WORD code) {
  if (code == BN_CLICKED) Fire(OnClick);
}

HBRUSH CheckBox::CtlColor(HDC dc) {
  HBRUSH brush = Control::CtlColor(dc);
  SetBkMode(dc, TRANSPARENT);
  return brush;
}

RadioButton::RadioButton(Control* parent, const Design& d)
    : CheckBox(
          parent, d,
          {.className = "BUTTON", .style = BS_RADIOBUTTON, .defaultWidth = 113, .defaultHeight = 17, .tabStop = true}) {
}

void RadioButton::SetChecked(bool checked) {
  CheckBox::SetChecked(checked);
  if (!checked || !Parent()) return;
  // The system clears the other buttons of the group only for a click.
  for (auto& sibling : Parent()->Children()) {
    if (sibling.get() == this) continue;
    if (auto* radio = dynamic_cast<RadioButton*>(sibling.get()); radio && radio->Checked())
      radio->CheckBox::SetChecked(false);
  }
}

bool RadioButton::IsTabTarget() const noexcept {
  if (!TabStop() || !CanFocus()) return false;
  if (Checked()) return true;
  const RadioButton* first = nullptr;
  for (Control* sibling : Parent()->TabList()) {
    auto* radio = dynamic_cast<RadioButton*>(sibling);
    if (!radio || !radio->CanFocus()) continue;
    if (radio->Checked()) return false;
    if (!first) first = radio;
  }
  return first == this;
}

void RadioButton::Command(WORD code) {
  // The button is checked here rather than by the system, so that a click on
  // the button already checked changes nothing and says nothing.
  if (code != BN_CLICKED || Checked() || !EventsAllowed()) return;
  SetChecked(true);
  Fire(OnClick);
}

// ---------------------------------------------------------------- Panel, GroupBox, Frame

Panel::Panel(Control* parent, const Design& d)
    : Control(parent, d, {.className = nullptr, .style = WS_CLIPCHILDREN, .defaultWidth = 185, .defaultHeight = 41}),
      bevel_(d.bevel) {}

void Panel::SetBevel(Bevel bevel) {
  bevel_ = bevel;
  InvalidateRect(hwnd_, nullptr, TRUE);
  Realign();
}

RECT Panel::AlignRect() const {
  RECT r = ClientRect();
  if (bevel_ != Bevel::None) InflateRect(&r, -1, -1);
  return r;
}

LRESULT Panel::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT r = ClientRect();
    if (bevel_ != Bevel::None) DrawEdge(dc, &r, bevel_ == Bevel::Raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    std::string text = Caption();
    if (!text.empty()) {
      HGDIOBJ old = SelectObject(dc, FontHandleOf());
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, ColorToRGB(GetFont().color));
      DrawTextA(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, old);
    }
    EndPaint(hwnd_, &ps);
    return 0;
  }
  if (msg == WM_SIZE) InvalidateRect(hwnd_, nullptr, TRUE);
  return Control::WndProc(msg, wParam, lParam);
}

GroupBox::GroupBox(Control* parent, const Design& d)
    : Control(parent, d, {.className = nullptr, .style = WS_CLIPCHILDREN, .defaultWidth = 185, .defaultHeight = 105}) {}

void GroupBox::SetCaption(const std::string& text) {
  Control::SetCaption(text);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

RECT GroupBox::AlignRect() const {
  RECT r = ClientRect();
  r.top += TextExtent("0").cy;
  InflateRect(&r, -2, -2);
  return r;
}

LRESULT GroupBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    HGDIOBJ old = SelectObject(dc, FontHandleOf());
    int textHeight = TextExtent("0").cy;
    RECT frame = ClientRect();
    frame.top += textHeight / 2;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    std::string text = Caption();
    if (!text.empty()) {
      SetBkMode(dc, OPAQUE);
      SetBkColor(dc, ColorToRGB(EffectiveColor()));
      SetTextColor(dc, ColorToRGB(GetFont().color));
      RECT tr{8, 0, 8 + TextWidth(text) + 2, textHeight};
      DrawTextA(dc, text.c_str(), -1, &tr, DT_LEFT | DT_SINGLELINE);
    }
    SelectObject(dc, old);
    EndPaint(hwnd_, &ps);
    return 0;
  }
  if (msg == WM_SIZE) InvalidateRect(hwnd_, nullptr, TRUE);
  return Control::WndProc(msg, wParam, lParam);
}

Frame::Frame(Control* parent, const Design& d)
    : Control(parent, d, {.className = nullptr, .style = WS_CLIPCHILDREN, .defaultWidth = 320, .defaultHeight = 240}) {}

// ---------------------------------------------------------------- ComboBox

namespace {
constexpr int kDropDownHeight = 200;
}

ComboBox::ComboBox(Control* parent, const Design& d)
    : Control(parent, d,
              {.className = "COMBOBOX",
               .style = static_cast<DWORD>(d.style == ComboStyle::DropDownList ? CBS_DROPDOWNLIST
                                                                               : CBS_DROPDOWN | CBS_AUTOHSCROLL) |
                        WS_VSCROLL | WS_TABSTOP,
               .defaultWidth = 145,
               .defaultHeight = 21,
               .tabStop = true,
               .dropDownHeight = kDropDownHeight}),
      style_(d.style) {
  RECT r;
  GetWindowRect(hwnd_, &r);
  MoveWindowTo(Left(), Top(), Width(), r.bottom - r.top);
  OnChange = d.onChange;
  OnEnter = d.onEnter;
  SetItems(d.items);
  if (d.itemIndex >= 0) SetItemIndex(d.itemIndex);
  if (style_ == ComboStyle::DropDown && !d.caption.empty()) SetText(d.caption);
}

void ComboBox::MoveWindowTo(int left, int top, int width, int height) {
  Control::MoveWindowTo(left, top, width, height);
  MoveWindow(hwnd_, left, top, width, height + kDropDownHeight, TRUE);
}

std::vector<HWND> ComboBox::HintWindows() const {
  std::vector<HWND> windows{hwnd_};
  if (HWND edit = EditHandle(); edit && edit != hwnd_) windows.push_back(edit);
  return windows;
}

void ComboBox::ClearItems() {
  CodeChange guard(*this);
  SendMessageA(hwnd_, CB_RESETCONTENT, 0, 0);
  items_.clear();
}

int ComboBox::AddItem(const std::string& text, const std::string& data) {
  CodeChange guard(*this);
  LRESULT index = SendMessageA(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
  if (index < 0) throw std::runtime_error("Cannot add an item to " + Name());
  items_.push_back({text, data});
  return static_cast<int>(index);
}

void ComboBox::SetItems(const std::vector<std::string>& items) {
  ClearItems();
  for (const auto& item : items) AddItem(item);
}

const std::string& ComboBox::ItemText(int index) const { return items_.at(static_cast<size_t>(index)).text; }

const std::string& ComboBox::ItemData(int index) const { return items_.at(static_cast<size_t>(index)).data; }

void ComboBox::SetItemData(int index, const std::string& data) { items_.at(static_cast<size_t>(index)).data = data; }

int ComboBox::IndexOf(const std::string& text) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (SameLocaleText(items_[i].text, text)) return static_cast<int>(i);
  return -1;
}

int ComboBox::ItemIndex() const noexcept { return static_cast<int>(SendMessageA(hwnd_, CB_GETCURSEL, 0, 0)); }

void ComboBox::SetItemIndex(int index) {
  CodeChange guard(*this);
  if (index < -1 || index >= ItemCount()) index = -1;
  SendMessageA(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string ComboBox::Caption() const {
  if (style_ == ComboStyle::DropDownList) {
    int index = ItemIndex();
    return index >= 0 && index < ItemCount() ? items_[static_cast<size_t>(index)].text : std::string();
  }
  return Control::Caption();
}

void ComboBox::SetCaption(const std::string& text) {
  if (style_ == ComboStyle::DropDownList) {
    SetItemIndex(IndexOf(text));
    return;
  }
  CodeChange guard(*this);
  SetWindowTextA(hwnd_, text.c_str());
}

bool ComboBox::DroppedDown() const noexcept { return SendMessageA(hwnd_, CB_GETDROPPEDSTATE, 0, 0) != 0; }

HWND ComboBox::ListHandle() const noexcept {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  return GetComboBoxInfo(hwnd_, &info) ? info.hwndList : nullptr;
}

HWND ComboBox::EditHandle() const noexcept {
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  return GetComboBoxInfo(hwnd_, &info) ? info.hwndItem : nullptr;
}

LRESULT ComboBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
      // The edit field and the list are the box's own parts and take its colour.
      if (!FromHandle(reinterpret_cast<HWND>(lParam)))
        return reinterpret_cast<LRESULT>(CtlColor(reinterpret_cast<HDC>(wParam)));
      break;
    default: break;
  }
  return Control::WndProc(msg, wParam, lParam);
}

void ComboBox::Command(WORD code) {
  switch (code) {
    case CBN_SELCHANGE:
      if (!EventsAllowed()) return;
      // The edit field takes the picked item's text only after this
      // notification; the handler must already see it.
      if (style_ == ComboStyle::DropDown) {
        int index = ItemIndex();
        if (index >= 0 && index < ItemCount()) {
          CodeChange guard(*this);
          SetWindowTextA(hwnd_, items_[static_cast<size_t>(index)].text.c_str());
        }
      }
      Fire(OnChange);
      break;
    case CBN_EDITCHANGE: Fire(OnChange); break;
    case CBN_SETFOCUS: FocusArrived(); break;
    default: break;
  }
}

}  // namespace gui
