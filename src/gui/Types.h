#pragma once
// Value types of the widget toolkit: colours, fonts, alignment and the design
// record from which every control is built.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace gui {

// A colour as the form designer spells it: 0x00BBGGRR, or a system colour
// (0x80000000 | COLOR_xxx) that follows the user's scheme.
using TColor = std::uint32_t;

inline constexpr TColor clDefault = 0x1FFFFFFFu;  // the kind's own colour, or the parent's
inline constexpr TColor clWindow = 0x80000000u | COLOR_WINDOW;
inline constexpr TColor clWindowText = 0x80000000u | COLOR_WINDOWTEXT;
inline constexpr TColor clBtnFace = 0x80000000u | COLOR_BTNFACE;
inline constexpr TColor clBtnText = 0x80000000u | COLOR_BTNTEXT;
inline constexpr TColor clInfoBk = 0x80000000u | COLOR_INFOBK;
inline constexpr TColor clNavy = 0x00800000u;
inline constexpr TColor clBlack = 0x00000000u;
inline constexpr TColor clWhite = 0x00FFFFFFu;
// A light red that marks a value the operator should look at again, with
// black text still easy to read on it.
inline constexpr TColor clWarning = 0x00D2D2FFu;

[[nodiscard]] COLORREF ColorToRGB(TColor color) noexcept;

struct Font {
  std::string name = "MS Sans Serif";
  int height = -11;  // LOGFONT height: negative is the character height
  BYTE charset = DEFAULT_CHARSET;
  TColor color = clWindowText;
  bool bold = false;

  bool operator==(const Font&) const = default;
};

enum class Align { None, Top, Bottom, Left, Right, Client };

enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
inline constexpr unsigned LeftTop = akLeft | akTop;
inline constexpr unsigned LeftTopRight = akLeft | akTop | akRight;
inline constexpr unsigned LeftTopRightBottom = akLeft | akTop | akRight | akBottom;
inline constexpr unsigned LeftTopBottom = akLeft | akTop | akBottom;
inline constexpr unsigned TopRight = akTop | akRight;
inline constexpr unsigned LeftBottom = akLeft | akBottom;
inline constexpr unsigned RightBottom = akRight | akBottom;

enum class TextAlign { Left, Center, Right };
enum class ComboStyle { DropDown, DropDownList };
enum class ScrollBars { None, Vertical, Horizontal, Both };
enum class Bevel { None, Raised, Lowered };
// The frame around a control: its kind's own (the sunken edge of input
// boxes), a single flat line, or none.
enum class BorderStyle { Kind, Single, None };

enum ModalResult : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL };

// The toolkit's own window messages take WM_APP + 0x400 to WM_APP + 0x4FF;
// a program's own messages stay below.
enum ToolkitMessage : UINT {
  kToolkitMessages = WM_APP + 0x400,
  kDialogKeyMessage = kToolkitMessages,  // a dialog key, taken by the form
  kPostedErrorMessage,                   // an error posted for the running form
  kToolkitMessagesEnd = WM_APP + 0x500
};

// One control's design: what a form designer's table says of it. Fields not
// given keep the kind's defaults; fields a kind does not have are ignored.
// Designated initialisers must follow this order.
struct Design {
  std::string name{};
  int left = 0;
  int top = 0;
  int width = -1;  // -1: the kind's default size
  int height = -1;
  std::string caption{};  // caption of a label, button, box or form; text of an edit
  Align align = Align::None;
  unsigned anchors = LeftTop;
  bool enabled = true;
  bool visible = true;
  TColor color = clDefault;
  std::optional<Font> font{};  // none: the parent's font
  std::string hint{};
  std::optional<bool> showHint{};  // none: as the parent
  int tabOrder = -1;               // -1: after the siblings made before it
  std::optional<bool> tabStop{};   // none: the kind's default
  std::intptr_t tag = 0;

  // Kind-specific.
  ComboStyle style = ComboStyle::DropDown;
  std::vector<std::string> items{};
  int itemIndex = -1;
  bool isDefault = false;  // Enter presses it
  bool cancel = false;     // Esc presses it
  int modalResult = mrNone;
  char passwordChar = 0;
  int maxLength = 0;  // 0: no limit
  bool readOnly = false;
  ScrollBars scrollBars = ScrollBars::None;
  bool checked = false;
  TextAlign alignment = TextAlign::Left;
  std::optional<bool> autoSize{};  // labels size themselves to their caption by default
  Bevel bevel = Bevel::Raised;
  std::optional<bool> wordWrap{};  // memos wrap long lines by default
  BorderStyle borderStyle = BorderStyle::Kind;

  // Handlers, named in the design after the control and its event.
  std::function<void()> onClick{};
  std::function<void()> onChange{};
  std::function<void()> onEnter{};
  std::function<void(bool& allow)> onChanging{};
};

}  // namespace gui
