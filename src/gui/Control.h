#pragma once
// Control: the base of every window of the toolkit. It owns its HWND and its
// child controls, carries the designer's properties and fires the operator's
// events; the window procedures route every message to it.

#include "gui/Types.h"

#include <memory>
#include <string_view>

namespace gui {

class Form;
class FontHandle;

class Control {
 public:
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  [[nodiscard]] HWND Handle() const noexcept { return hwnd_; }
  [[nodiscard]] const std::string& Name() const noexcept { return name_; }
  [[nodiscard]] Control* Parent() const noexcept { return parent_; }
  [[nodiscard]] Form* OwnerForm() noexcept;
  [[nodiscard]] const std::vector<std::unique_ptr<Control>>& Children() const noexcept { return children_; }
  // The control of this name among the descendants, or null.
  [[nodiscard]] Control* FindControl(std::string_view name) noexcept;
  // The wrapper of a window made by this toolkit, or null.
  [[nodiscard]] static Control* FromHandle(HWND hwnd) noexcept;

  // Makes a child of a toolkit kind from its design; the child is owned here.
  template <class T>
  T* Add(const Design& design) {
    auto child = std::make_unique<T>(this, design);
    T* raw = child.get();
    Adopt(std::move(child));
    return raw;
  }
  // Makes a child of a class with its own constructor (a page, a frame).
  template <class T, class... Args>
  T* Create(Args&&... args) {
    auto child = std::make_unique<T>(this, std::forward<Args>(args)...);
    T* raw = child.get();
    Adopt(std::move(child));
    return raw;
  }
  // Destroys a child and everything it owns.
  void DestroyChild(Control* child);

  // Geometry, in pixels relative to the parent's client area (outer size).
  [[nodiscard]] int Left() const noexcept { return left_; }
  [[nodiscard]] int Top() const noexcept { return top_; }
  [[nodiscard]] int Width() const noexcept { return width_; }
  [[nodiscard]] int Height() const noexcept { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  [[nodiscard]] virtual RECT ClientRect() const;

  [[nodiscard]] Align GetAlign() const noexcept { return align_; }
  void SetAlign(Align align);
  [[nodiscard]] unsigned Anchors() const noexcept { return anchors_; }
  void SetAnchors(unsigned anchors);

  [[nodiscard]] bool Enabled() const noexcept { return enabled_; }
  virtual void SetEnabled(bool enabled);
  [[nodiscard]] bool Visible() const noexcept { return visible_; }
  virtual void SetVisible(bool visible);
  // Visible and enabled up to the form: the operator can reach it.
  [[nodiscard]] bool Showing() const noexcept;

  [[nodiscard]] virtual std::string Caption() const;
  virtual void SetCaption(const std::string& text);

  [[nodiscard]] TColor Color() const noexcept { return color_; }
  void SetColor(TColor color);
  // The colour the control paints with: its own, or its kind's, or its parent's.
  [[nodiscard]] TColor EffectiveColor() const noexcept;

  [[nodiscard]] const Font& GetFont() const noexcept { return font_; }
  void SetFont(const Font& font);
  [[nodiscard]] bool ParentFont() const noexcept { return parentFont_; }
  [[nodiscard]] HFONT FontHandleOf() const noexcept;

  [[nodiscard]] const std::string& Hint() const noexcept { return hint_; }
  void SetHint(const std::string& hint);
  [[nodiscard]] bool ShowHint() const noexcept;
  void SetShowHint(bool show);
  // A warning on the control's value: the box takes the warning colour while
  // it is enabled, and its tooltip says why, before its hint, whether hints
  // are shown or not. An empty text takes the warning away.
  [[nodiscard]] const std::string& Warning() const noexcept { return warning_; }
  void SetWarning(const std::string& why);

  [[nodiscard]] int TabOrder() const noexcept;
  void SetTabOrder(int order);
  [[nodiscard]] bool TabStop() const noexcept { return tabStop_; }
  void SetTabStop(bool stop) { tabStop_ = stop; }
  // Whether the operator can move the focus here (Tab, click).
  [[nodiscard]] virtual bool CanFocus() const noexcept;
  // Whether Tab stops here.
  [[nodiscard]] virtual bool IsTabTarget() const noexcept { return tabStop_ && CanFocus(); }
  // Whether Enter belongs to this control (a text of several lines) rather
  // than pressing the form's default button.
  [[nodiscard]] virtual bool WantsReturn() const noexcept { return false; }
  [[nodiscard]] bool Focused() const noexcept;
  // Moves the focus here as the operator's Tab would (OnEnter fires).
  void SetFocus();

  [[nodiscard]] std::intptr_t Tag() const noexcept { return tag_; }
  void SetTag(std::intptr_t tag) noexcept { tag_ = tag; }

  // Size of a text in this control's font.
  [[nodiscard]] SIZE TextExtent(const std::string& text) const;
  [[nodiscard]] int TextWidth(const std::string& text) const { return TextExtent(text).cx; }

  // Children in tab order, as the keyboard visits them.
  [[nodiscard]] std::vector<Control*> TabList() const;

  std::function<void()> OnEnter;
  std::function<void()> OnResize;

 protected:
  struct WindowSpec {
    const char* className = nullptr;  // a system class, or null for the toolkit's container class
    DWORD style = 0;
    DWORD exStyle = 0;
    int defaultWidth = 100;
    int defaultHeight = 25;
    bool tabStop = false;
    bool hasTabOrder = true;  // labels are not in the tab order
    int dropDownHeight = 0;   // a combo box's window is taller than it looks
  };

  // Parent null: a top-level window (a form).
  Control(Control* parent, const Design& design, const WindowSpec& kind);

  // Handles a message of this window; the default handles routing to
  // children, colours, layout and focus, then calls DefaultProc.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);

  // A WM_COMMAND notification this control sent to its parent.
  virtual void Command(WORD code) { (void)code; }
  // A WM_NOTIFY this control sent to its parent.
  virtual LRESULT Notify(NMHDR* header) {
    (void)header;
    return 0;
  }
  // Brush for WM_CTLCOLOR*; null leaves the system's colours.
  virtual HBRUSH CtlColor(HDC dc);
  // What a WM_NOTIFY of this control answers when its handler failed.
  virtual LRESULT NotifyErrorResult(NMHDR* header) {
    (void)header;
    return 0;
  }
  // The font reached the window.
  virtual void FontChanged() {}
  // The windows a hint is shown for (a combo box's edit field too).
  [[nodiscard]] virtual std::vector<HWND> HintWindows() const { return {hwnd_}; }
  // Destroys the children first, for derived destructors that the children's
  // destruction still reaches.
  void DestroyChildren() noexcept;
  // After the window was resized and the children laid out.
  virtual void Resize();
  // Lays out the children by their Align and Anchors.
  virtual void Realign();
  // The inner rectangle in which aligned children are placed.
  [[nodiscard]] virtual RECT AlignRect() const { return ClientRect(); }
  // Whether this kind paints its own background with its colour.
  [[nodiscard]] virtual bool OwnsBackground() const noexcept { return false; }
  [[nodiscard]] virtual TColor KindColor() const noexcept { return clDefault; }

  // Events fire for the operator only: our own setters raise this while the
  // window answers them, so what the control sends back is not taken as his.
  class CodeChange {
   public:
    explicit CodeChange(Control& c) noexcept : c_(c) { ++c_.codeChange_; }
    ~CodeChange() { --c_.codeChange_; }
    CodeChange(const CodeChange&) = delete;
    CodeChange& operator=(const CodeChange&) = delete;

   private:
    Control& c_;
  };
  [[nodiscard]] bool EventsAllowed() const noexcept;
  void Fire(const std::function<void()>& event);

  // Called when this control received the keyboard focus.
  void FocusArrived();
  void ApplyBoundsToWindow();
  virtual void MoveWindowTo(int left, int top, int width, int height);
  void RecordAnchorMargins();
  void RefreshTooltip();
  [[nodiscard]] bool HasTooltip() const noexcept { return !hint_.empty() || !warning_.empty(); }
  void ApplyFontToWindow();
  void RealignParent();

  HWND hwnd_ = nullptr;
  bool destroying_ = false;

 private:
  friend class Form;
  friend class PageControl;
  friend struct WindowProcs;
  void Adopt(std::unique_ptr<Control> child);
  void PropagateFont();
  LRESULT Route(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  Control* parent_ = nullptr;
  std::vector<std::unique_ptr<Control>> children_;
  std::vector<Control*> tabList_;  // children that take part in the tab order, in that order
  std::string name_;
  bool subclassed_ = false;
  bool hasTabOrder_ = true;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  int anchorRight_ = 0, anchorBottom_ = 0;  // distances to the parent's right and bottom edges
  Align align_ = Align::None;
  unsigned anchors_ = LeftTop;
  bool enabled_ = true;
  bool visible_ = true;
  TColor color_ = clDefault;
  Font font_;
  bool parentFont_ = true;
  std::shared_ptr<FontHandle> hfont_;
  std::string hint_;
  std::optional<bool> showHint_;
  std::string warning_;
  bool tabStop_ = false;
  std::intptr_t tag_ = 0;
  int codeChange_ = 0;
  bool realigning_ = false;
  HBRUSH brush_ = nullptr;
  TColor brushColor_ = clDefault;
  ATOM nameAtom_ = 0;
  std::string nameProp_;  // the property the name atom is under
  int designTabOrder_ = -1;
};

}  // namespace gui
