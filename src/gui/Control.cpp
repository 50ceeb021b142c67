// Control: window creation, message routing, layout, colours, fonts, hints.

#include "gui/Control.h"

#include "gui/Application.h"
#include "gui/Form.h"
#include "gui/Subclass.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>

namespace gui {

namespace {

constexpr char kObjectProp[] = "GuiObject";
// The component name, as a global atom, so that tests and automation find a
// control by its design name from inside the process or from another one.
constexpr char kContainerClass[] = "GuiContainer";
constexpr UINT_PTR kSubclassId = 1;

void RegisterContainerClass(WNDPROC proc) {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = kContainerClass;
  if (!RegisterClassExA(&wc)) throw std::runtime_error("Cannot register the window class");
  registered = true;
}

}  // namespace

class FontHandle {
 public:
  explicit FontHandle(const Font& font) {
    LOGFONTA lf{};
    lf.lfHeight = font.height;
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = font.charset;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
    handle_ = CreateFontIndirectA(&lf);
  }
  ~FontHandle() {
    if (handle_) DeleteObject(handle_);
  }
  FontHandle(const FontHandle&) = delete;
  FontHandle& operator=(const FontHandle&) = delete;
  [[nodiscard]] HFONT Get() const noexcept { return handle_; }

 private:
  HFONT handle_ = nullptr;
};

namespace {

// One font object per font shown, shared by every control that shows it: a
// dialog of a hundred controls in two fonts asks the system to match two
// fonts, not a hundred. The colour is the control's own, not the font
// object's.
std::shared_ptr<FontHandle> SharedFont(const Font& font) {
  static std::vector<std::pair<Font, std::weak_ptr<FontHandle>>> fonts;
  auto same = [&font](const Font& f) {
    return f.name == font.name && f.height == font.height && f.charset == font.charset && f.bold == font.bold;
  };
  for (auto it = fonts.begin(); it != fonts.end();) {
    std::shared_ptr<FontHandle> handle = it->second.lock();
    if (!handle) {
      it = fonts.erase(it);
      continue;
    }
    if (same(it->first)) return handle;
    ++it;
  }
  auto handle = std::make_shared<FontHandle>(font);
  fonts.emplace_back(font, handle);
  return handle;
}

}  // namespace

COLORREF ColorToRGB(TColor color) noexcept {
  if (color == clDefault) return GetSysColor(COLOR_BTNFACE);
  if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFFu));
  return static_cast<COLORREF>(color);
}

// The two window procedures: one for the toolkit's own container class, one
// for the system controls it subclasses. Both hand the message to the object.
struct WindowProcs {
  static LRESULT CALLBACK Container(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
      if (auto* control = static_cast<Control*>(cs->lpCreateParams)) {
        control->hwnd_ = hwnd;
        SetPropA(hwnd, kObjectProp, control);
      }
    }
    Control* control = Control::FromHandle(hwnd);
    if (!control) return DefWindowProcA(hwnd, msg, wParam, lParam);
    return control->Route(msg, wParam, lParam);
  }

  static LRESULT CALLBACK Subclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept {
    Control* control = Control::FromHandle(hwnd);
    if (!control || msg == WM_NCDESTROY) {
      if (msg == WM_NCDESTROY) subclass::Remove(hwnd, &Subclass, kSubclassId);
      return subclass::Default(hwnd, msg, wParam, lParam);
    }
    return control->Route(msg, wParam, lParam);
  }
};

Control::Control(Control* parent, const Design& design, const WindowSpec& kind) : parent_(parent), name_(design.name) {
  left_ = design.left;
  top_ = design.top;
  width_ = design.width >= 0 ? design.width : kind.defaultWidth;
  height_ = design.height >= 0 ? design.height : kind.defaultHeight;
  align_ = design.align;
  anchors_ = design.anchors;
  enabled_ = design.enabled;
  visible_ = design.visible;
  color_ = design.color;
  hint_ = design.hint;
  showHint_ = design.showHint;
  tabStop_ = design.tabStop.value_or(kind.tabStop);
  tag_ = design.tag;
  hasTabOrder_ = kind.hasTabOrder;
  designTabOrder_ = design.tabOrder;

  if (design.font) {
    font_ = *design.font;
    parentFont_ = false;
    hfont_ = SharedFont(font_);
  } else if (parent) {
    font_ = parent->font_;
    hfont_ = parent->hfont_;
  } else {
    parentFont_ = false;
    hfont_ = SharedFont(font_);
  }

  RegisterContainerClass(&WindowProcs::Container);
  DWORD style = kind.style;
  DWORD exStyle = kind.exStyle;
  if (design.borderStyle != BorderStyle::Kind) {
    style &= ~static_cast<DWORD>(WS_BORDER);
    exStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    if (design.borderStyle == BorderStyle::Single) style |= WS_BORDER;
  }
  if (parent) {
    style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (visible_) style |= WS_VISIBLE;
  }
  if (!enabled_) style |= WS_DISABLED;
  HWND parentHwnd = parent ? parent->hwnd_ : nullptr;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (kind.className) {
    hwnd_ = CreateWindowExA(exStyle, kind.className, design.caption.c_str(), style, left_, top_, width_,
                            height_ + kind.dropDownHeight, parentHwnd, nullptr, instance, nullptr);
    if (!hwnd_) throw std::runtime_error("Cannot create window " + name_);
    SetPropA(hwnd_, kObjectProp, this);
    try {
      subclass::Set(hwnd_, &WindowProcs::Subclass, kSubclassId, 0);
    } catch (...) {
      RemovePropA(hwnd_, kObjectProp);
      DestroyWindow(hwnd_);
      hwnd_ = nullptr;
      throw;
    }
    subclassed_ = true;
  } else {
    CreateWindowExA(exStyle, kContainerClass, design.caption.c_str(), style, left_, top_, width_, height_, parentHwnd,
                    nullptr, instance, this);
    if (!hwnd_) throw std::runtime_error("Cannot create window " + name_);
  }
  if (Application* application = Application::Current();
      application && !application->NameProperty.empty() && !name_.empty()) {
    nameProp_ = application->NameProperty;
    nameAtom_ = GlobalAddAtomA(name_.c_str());
    SetPropA(hwnd_, nameProp_.c_str(), reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(nameAtom_)));
  }
  ApplyFontToWindow();
}

Control::~Control() {
  destroying_ = true;
  DestroyChildren();
  if (Form* form = OwnerForm(); form && form != this) form->ControlDestroyed(this);
  if (parent_) {
    auto& list = parent_->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  if (hwnd_) {
    if (HasTooltip()) {
      if (Form* form = OwnerForm(); form && form != this && form->tooltip_) {
        for (HWND w : HintWindows()) {
          TTTOOLINFOA ti{};
          ti.cbSize = TTTOOLINFOA_V1_SIZE;
          ti.hwnd = form->hwnd_;
          ti.uId = reinterpret_cast<UINT_PTR>(w);
          SendMessageA(form->tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
        }
      }
    }
    RemovePropA(hwnd_, kObjectProp);
    if (!nameProp_.empty()) RemovePropA(hwnd_, nameProp_.c_str());
    if (subclassed_) subclass::Remove(hwnd_, &WindowProcs::Subclass, kSubclassId);
    DestroyWindow(hwnd_);
  }
  if (nameAtom_) GlobalDeleteAtom(nameAtom_);
  if (brush_) DeleteObject(brush_);
}

void Control::DestroyChildren() noexcept {
  while (!children_.empty()) {
    std::unique_ptr<Control> last = std::move(children_.back());
    children_.pop_back();
    last.reset();
  }
}

void Control::Adopt(std::unique_ptr<Control> child) {
  Control* raw = child.get();
  children_.push_back(std::move(child));
  if (raw->hasTabOrder_) {
    tabList_.push_back(raw);
    if (raw->designTabOrder_ >= 0) raw->SetTabOrder(raw->designTabOrder_);
  }
  // Window z-order follows the order of making, as the designer lays them.
  // A new child window is put there already; moving it costs the messages
  // of a move, for each of a page's controls.
  if (GetWindow(raw->hwnd_, GW_HWNDNEXT))
    SetWindowPos(raw->hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  raw->RecordAnchorMargins();
  if (raw->align_ != Align::None) Realign();
  if (raw->HasTooltip()) raw->RefreshTooltip();
}

void Control::DestroyChild(Control* child) {
  auto it = std::find_if(children_.begin(), children_.end(),
                         [child](const std::unique_ptr<Control>& c) { return c.get() == child; });
  if (it == children_.end()) return;
  std::unique_ptr<Control> owned = std::move(*it);
  children_.erase(it);
  bool aligned = owned->align_ != Align::None;
  owned.reset();
  if (aligned) Realign();
}

Form* Control::OwnerForm() noexcept {
  Control* c = this;
  while (c->parent_) c = c->parent_;
  return dynamic_cast<Form*>(c);
}

Control* Control::FindControl(std::string_view name) noexcept {
  for (auto& child : children_) {
    if (child->name_ == name) return child.get();
    if (Control* found = child->FindControl(name)) return found;
  }
  return nullptr;
}

Control* Control::FromHandle(HWND hwnd) noexcept {
  if (!hwnd) return nullptr;
  return static_cast<Control*>(GetPropA(hwnd, kObjectProp));
}

LRESULT Control::Route(UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  // The one place where an error of a handler stops: it is reported and the
  // window goes on. Nothing may cross back into the system's code.
  try {
    return WndProc(msg, wParam, lParam);
  } catch (...) {
    Application::ReportException();
  }
  if (msg == WM_NOTIFY && lParam) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (Control* child = FromHandle(header->hwndFrom)) return child->NotifyErrorResult(header);
  }
  return 0;
}

LRESULT Control::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (lParam) {
        if (Control* child = FromHandle(reinterpret_cast<HWND>(lParam)); child && child != this) {
          child->Command(HIWORD(wParam));
          return 0;
        }
      }
      break;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (Control* child = FromHandle(header->hwndFrom); child && child != this) return child->Notify(header);
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (Control* child = FromHandle(reinterpret_cast<HWND>(lParam)); child && child != this) {
        if (HBRUSH brush = child->CtlColor(reinterpret_cast<HDC>(wParam))) return reinterpret_cast<LRESULT>(brush);
      }
      break;
    case WM_ERASEBKGND:
      if (OwnsBackground()) {
        RECT r;
        GetClientRect(hwnd_, &r);
        TColor color = EffectiveColor();
        if (!brush_ || brushColor_ != color) {
          if (brush_) DeleteObject(brush_);
          brush_ = CreateSolidBrush(ColorToRGB(color));
          brushColor_ = color;
        }
        FillRect(reinterpret_cast<HDC>(wParam), &r, brush_);
        return 1;
      }
      break;
    case WM_SIZE: {
      LRESULT result = DefaultProc(msg, wParam, lParam);
      if (!parent_) {
        RECT r;
        GetWindowRect(hwnd_, &r);
        left_ = r.left;
        top_ = r.top;
        width_ = r.right - r.left;
        height_ = r.bottom - r.top;
      }
      if (!children_.empty()) Realign();
      Resize();
      return result;
    }
    case WM_SETFOCUS: FocusArrived(); break;
    case WM_GETFONT:
      // Our own containers paint with the font too; answer as controls do.
      if (!subclassed_) return reinterpret_cast<LRESULT>(FontHandleOf());
      break;
    default: break;
  }
  return DefaultProc(msg, wParam, lParam);
}

LRESULT Control::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (subclassed_) return subclass::Default(hwnd_, msg, wParam, lParam);
  return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

HBRUSH Control::CtlColor(HDC dc) {
  TColor color = EffectiveColor();
  SetTextColor(dc, ColorToRGB(font_.color));
  SetBkColor(dc, ColorToRGB(color));
  if (!brush_ || brushColor_ != color) {
    if (brush_) DeleteObject(brush_);
    brush_ = CreateSolidBrush(ColorToRGB(color));
    brushColor_ = color;
  }
  return brush_;
}

void Control::Resize() {
  if (OnResize) OnResize();
}

void Control::Realign() {
  if (realigning_) return;
  realigning_ = true;
  RECT r = AlignRect();
  for (Align pass : {Align::Top, Align::Bottom, Align::Left, Align::Right, Align::Client}) {
    for (auto& child : children_) {
      Control* c = child.get();
      if (c->align_ != pass || !c->visible_) continue;
      int w = std::max<int>(0, r.right - r.left);
      int h = std::max<int>(0, r.bottom - r.top);
      switch (pass) {
        case Align::Top:
          c->MoveWindowTo(r.left, r.top, w, c->height_);
          r.top += c->height_;
          break;
        case Align::Bottom:
          c->MoveWindowTo(r.left, r.bottom - c->height_, w, c->height_);
          r.bottom -= c->height_;
          break;
        case Align::Left:
          c->MoveWindowTo(r.left, r.top, c->width_, h);
          r.left += c->width_;
          break;
        case Align::Right:
          c->MoveWindowTo(r.right - c->width_, r.top, c->width_, h);
          r.right -= c->width_;
          break;
        case Align::Client: c->MoveWindowTo(r.left, r.top, w, h); break;
        case Align::None: break;
      }
    }
  }
  RECT client = ClientRect();
  for (auto& child : children_) {
    Control* c = child.get();
    if (c->align_ != Align::None) continue;
    unsigned a = c->anchors_;
    int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
    if (a & akRight) {
      if (a & akLeft)
        w = client.right - l - c->anchorRight_;
      else
        l = client.right - c->anchorRight_ - w;
    }
    if (a & akBottom) {
      if (a & akTop)
        h = client.bottom - t - c->anchorBottom_;
      else
        t = client.bottom - c->anchorBottom_ - h;
    }
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (l != c->left_ || t != c->top_ || w != c->width_ || h != c->height_) c->MoveWindowTo(l, t, w, h);
  }
  realigning_ = false;
}

RECT Control::ClientRect() const {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return r;
}

void Control::MoveWindowTo(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  MoveWindow(hwnd_, left, top, width, height, TRUE);
}

void Control::SetBounds(int left, int top, int width, int height) {
  MoveWindowTo(left, top, width, height);
  RecordAnchorMargins();
  RealignParent();
}

void Control::RealignParent() {
  if (parent_ && align_ != Align::None) parent_->Realign();
}

void Control::RecordAnchorMargins() {
  if (!parent_) return;
  RECT pr = parent_->ClientRect();
  anchorRight_ = pr.right - (left_ + width_);
  anchorBottom_ = pr.bottom - (top_ + height_);
}

void Control::SetAlign(Align align) {
  align_ = align;
  if (parent_) parent_->Realign();
}

void Control::SetAnchors(unsigned anchors) {
  anchors_ = anchors;
  RecordAnchorMargins();
}

void Control::SetEnabled(bool enabled) {
  enabled_ = enabled;
  EnableWindow(hwnd_, enabled ? TRUE : FALSE);
  // A kind whose colour follows the state shows the new one.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void Control::SetVisible(bool visible) {
  visible_ = visible;
  ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
  RealignParent();
}

bool Control::Showing() const noexcept {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

std::string Control::Caption() const {
  int length = GetWindowTextLengthA(hwnd_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = GetWindowTextA(hwnd_, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

void Control::SetCaption(const std::string& text) {
  CodeChange guard(*this);
  SetWindowTextA(hwnd_, text.c_str());
}

void Control::SetColor(TColor color) {
  color_ = color;
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

TColor Control::EffectiveColor() const noexcept {
  // A disabled box is not the operator's to fix; it keeps its grey.
  if (!warning_.empty() && enabled_) return clWarning;
  if (color_ != clDefault) return color_;
  if (TColor own = KindColor(); own != clDefault) return own;
  if (parent_) return parent_->EffectiveColor();
  return clBtnFace;
}

void Control::SetFont(const Font& font) {
  font_ = font;
  parentFont_ = false;
  hfont_ = SharedFont(font_);
  ApplyFontToWindow();
  PropagateFont();
}

void Control::PropagateFont() {
  for (auto& child : children_) {
    if (!child->parentFont_) continue;
    child->font_ = font_;
    child->hfont_ = hfont_;
    child->ApplyFontToWindow();
    child->PropagateFont();
  }
}

HFONT Control::FontHandleOf() const noexcept { return hfont_ ? hfont_->Get() : nullptr; }

void Control::ApplyFontToWindow() {
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandleOf()), TRUE);
  FontChanged();
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetHint(const std::string& hint) {
  hint_ = hint;
  RefreshTooltip();
}

bool Control::ShowHint() const noexcept {
  if (showHint_) return *showHint_;
  return parent_ ? parent_->ShowHint() : false;
}

void Control::SetShowHint(bool show) {
  showHint_ = show;
  std::function<void(Control*)> refresh = [&](Control* c) {
    if (c->HasTooltip()) c->RefreshTooltip();
    for (auto& child : c->children_) refresh(child.get());
  };
  refresh(this);
}

void Control::SetWarning(const std::string& why) {
  if (why == warning_) return;
  warning_ = why;
  RefreshTooltip();
  if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::RefreshTooltip() {
  Form* form = OwnerForm();
  if (!form || form == this) return;
  const bool shown = !warning_.empty() || (!hint_.empty() && ShowHint());
  std::string text = warning_.empty() ? hint_ : hint_.empty() ? warning_ : warning_ + "\n\n" + hint_;
  HWND tooltip = form->Tooltip();
  for (HWND w : HintWindows()) {
    TTTOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = form->hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(w);
    SendMessageA(tooltip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    if (!shown) continue;
    ti.lpszText = text.data();
    SendMessageA(tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
  }
}

int Control::TabOrder() const noexcept {
  if (!parent_) return -1;
  const auto& list = parent_->tabList_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void Control::SetTabOrder(int order) {
  if (!parent_ || !hasTabOrder_) return;
  auto& list = parent_->tabList_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  order = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
}

std::vector<Control*> Control::TabList() const { return tabList_; }

bool Control::CanFocus() const noexcept { return hasTabOrder_ && hwnd_ && Showing(); }

bool Control::Focused() const noexcept {
  HWND focus = GetFocus();
  return focus && (focus == hwnd_ || IsChild(hwnd_, focus));
}

void Control::SetFocus() { ::SetFocus(hwnd_); }

void Control::FocusArrived() {
  if (Form* form = OwnerForm(); form && form != this) form->ControlFocused(this);
}

SIZE Control::TextExtent(const std::string& text) const {
  SIZE size{};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontHandleOf());
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

bool Control::EventsAllowed() const noexcept {
  for (const Control* c = this; c; c = c->parent_)
    if (c->destroying_) return false;
  return codeChange_ == 0;
}

void Control::Fire(const std::function<void()>& event) {
  if (!event || !EventsAllowed()) return;
  if (Application* application = Application::Current(); application && application->EventScope)
    application->EventScope(event);
  else
    event();
}

}  // namespace gui
