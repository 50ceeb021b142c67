// Alignment and anchors after a resize; colours, fonts and hints reaching the
// windows.

#include "support/Operator.h"

#include "gui/Application.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace gui;
using namespace kivtest;

namespace {

RECT BoundsInParent(const Control& c) {
  RECT r;
  GetWindowRect(c.Handle(), &r);
  MapWindowPoints(nullptr, GetParent(c.Handle()), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST(Layout, AlignedControlsFollowTheFormsClientArea) {
  Form form({.name = "form", .width = 381, .height = 289});
  auto* bottom = form.Add<Panel>({.name = "bottom", .height = 41, .align = Align::Bottom});
  auto* top = form.Add<Panel>({.name = "top", .height = 20, .align = Align::Top});
  auto* client = form.Add<Panel>({.name = "client", .align = Align::Client});
  auto* right = bottom->Add<Label>({.name = "right", .width = 50, .align = Align::Right, .autoSize = false});

  RECT b = BoundsInParent(*bottom), c = BoundsInParent(*client), t = BoundsInParent(*top);
  EXPECT_EQ(b.top, 289 - 41);
  EXPECT_EQ(b.right - b.left, 381);
  EXPECT_EQ(t.top, 0);
  EXPECT_EQ(c.top, 20);
  EXPECT_EQ(c.bottom, 289 - 41);

  form.SetClientSize(500, 400);
  b = BoundsInParent(*bottom);
  c = BoundsInParent(*client);
  RECT r = BoundsInParent(*right);
  EXPECT_EQ(b.top, 400 - 41);
  EXPECT_EQ(b.right - b.left, 500);
  EXPECT_EQ(c.right - c.left, 500);
  EXPECT_EQ(c.bottom - c.top, 400 - 41 - 20);
  EXPECT_EQ(r.right, 500 - 1) << "inside the panel's bevel";
  EXPECT_EQ(r.right - r.left, 50);

  top->SetVisible(false);
  EXPECT_EQ(BoundsInParent(*client).top, 0) << "a hidden control leaves its room to the others";
}

TEST(Layout, AnchorsKeepDistancesToTheParentsEdges) {
  Form form({.name = "form", .width = 300, .height = 200});
  auto* stretch = form.Add<Edit>({.name = "stretch", .left = 10, .top = 10, .width = 200, .anchors = LeftTopRight});
  auto* stick =
      form.Add<Button>({.name = "stick", .left = 220, .top = 160, .width = 75, .height = 25, .anchors = RightBottom});
  auto* fixed = form.Add<Edit>({.name = "fixed", .left = 10, .top = 40, .width = 100});
  auto* tall =
      form.Add<Memo>({.name = "tall", .left = 10, .top = 70, .width = 100, .height = 80, .anchors = LeftTopBottom});

  form.SetClientSize(400, 260);
  RECT s = BoundsInParent(*stretch), k = BoundsInParent(*stick), f = BoundsInParent(*fixed), t = BoundsInParent(*tall);
  EXPECT_EQ(s.left, 10);
  EXPECT_EQ(s.right - s.left, 300) << "left and right anchors stretch";
  EXPECT_EQ(k.left, 320);
  EXPECT_EQ(k.top, 220);
  EXPECT_EQ(k.right - k.left, 75) << "right and bottom anchors move";
  EXPECT_EQ(f.left, 10);
  EXPECT_EQ(f.right - f.left, 100);
  EXPECT_EQ(t.bottom - t.top, 140);

  form.SetClientSize(300, 200);
  s = BoundsInParent(*stretch);
  EXPECT_EQ(s.right - s.left, 200) << "shrinking gives the size back";
  EXPECT_EQ(stick->Left(), 220);
}

TEST(Layout, PagesFillThePageControlAndTheirAnchorsFollowIt) {
  Form form({.name = "form", .width = 381, .height = 289});
  auto* pc = form.Add<PageControl>({.name = "PC", .align = Align::Client});
  TabSheet* sheet = pc->AddSheet("ts", "Страница");
  auto* page = sheet->Add<Frame>({.name = "page", .align = Align::Client});
  int pageWidth = page->Width();
  auto* edit = page->Add<Edit>({.name = "ed", .left = 8, .top = 8, .width = pageWidth - 16, .anchors = LeftTopRight});
  EXPECT_GT(pageWidth, 300);
  EXPECT_LT(pageWidth, 381);
  form.SetClientSize(481, 289);
  EXPECT_EQ(page->Width(), pageWidth + 100);
  EXPECT_EQ(edit->Width(), pageWidth - 16 + 100);
}

TEST(Layout, ResizeNotificationFollowsTheLayout) {
  Form form({.name = "form", .width = 200, .height = 100});
  auto* pnl = form.Add<Panel>({.name = "pnl", .height = 30, .align = Align::Bottom});
  int seenWidth = -1, calls = 0;
  form.OnResize = [&] {
    ++calls;
    seenWidth = pnl->Width();
  };
  form.SetClientSize(260, 100);
  EXPECT_GE(calls, 1);
  EXPECT_EQ(seenWidth, 260) << "children are laid out before the notification";
  EXPECT_EQ(form.Width(), [&] {
    RECT r;
    GetWindowRect(form.Handle(), &r);
    return static_cast<int>(r.right - r.left);
  }()) << "Width is the outer width";
}

TEST(Look, ColoursReachTheControlsPainting) {
  Form form({.name = "form", .width = 200, .height = 100});
  auto* ed = form.Add<Edit>({.name = "ed"});
  auto* lbl = form.Add<Label>({.name = "lbl",
                               .caption = " RUS ",
                               .color = clNavy,
                               .font = Font{.name = "MS Sans Serif", .height = -13, .color = clWindow}});
  HDC dc = GetDC(form.Handle());
  auto paint = [&](Control& c, UINT msg) {
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(form.Handle(), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(c.Handle())));
    LOGBRUSH lb{};
    GetObjectA(brush, sizeof(lb), &lb);
    return lb.lbColor;
  };
  EXPECT_EQ(paint(*ed, WM_CTLCOLOREDIT), GetSysColor(COLOR_WINDOW)) << "an edit box is window-coloured";
  ed->SetColor(clBtnFace);
  EXPECT_EQ(paint(*ed, WM_CTLCOLOREDIT), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(paint(*lbl, WM_CTLCOLORSTATIC), RGB(0, 0, 128));
  EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_WINDOW)) << "the label's text takes its font colour";
  ReleaseDC(form.Handle(), dc);
}

TEST(Look, FontsAndCharsetsReachTheWindowsAndPassToChildren) {
  Form form({.name = "form",
             .width = 200,
             .height = 100,
             .font = Font{.name = "MS Sans Serif", .height = -11, .charset = DEFAULT_CHARSET}});
  auto* pnl = form.Add<Panel>({.name = "pnl"});
  auto* ed = pnl->Add<Edit>({.name = "ed"});
  auto* own = pnl->Add<Label>({.name = "own", .font = Font{.name = "Arial", .height = -13}});
  auto logfont = [](Control& c) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(c.Handle(), WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf;
  };
  EXPECT_EQ(logfont(*ed).lfHeight, -11);
  EXPECT_STREQ(logfont(*ed).lfFaceName, "MS Sans Serif");

  Font cyrillic = form.GetFont();
  cyrillic.charset = RUSSIAN_CHARSET;
  form.SetFont(cyrillic);
  EXPECT_EQ(logfont(*ed).lfCharSet, RUSSIAN_CHARSET) << "children that use the parent's font follow it";
  EXPECT_EQ(logfont(*own).lfCharSet, DEFAULT_CHARSET) << "a control with its own font keeps it";
  EXPECT_STREQ(logfont(*own).lfFaceName, "Arial");
}

TEST(Look, ControlsOfOneFontShareOneFontObject) {
  const Font bold{.name = "Arial", .height = -13, .bold = true};
  Form form({.name = "form", .width = 200, .height = 100});
  auto* a = form.Add<Label>({.name = "a", .font = bold});
  auto* b = form.Add<Edit>({.name = "b", .font = Font{.name = "Arial", .height = -13, .color = clNavy, .bold = true}});
  auto* c = form.Add<Edit>({.name = "c", .font = Font{.name = "Arial", .height = -13}});
  auto fontOf = [](Control& control) { return SendMessageA(control.Handle(), WM_GETFONT, 0, 0); };
  EXPECT_EQ(fontOf(*a), fontOf(*b)) << "the colour is no part of the font object";
  EXPECT_NE(fontOf(*a), fontOf(*c));
  Form other({.name = "other", .width = 200, .height = 100});
  auto* d = other.Add<Label>({.name = "d"});
  d->SetFont(bold);
  EXPECT_EQ(fontOf(*d), fontOf(*a)) << "a font set later finds the one in use";
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(fontOf(*c)), sizeof(lf), &lf);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
}

TEST(Look, TextExtentMeasuresInTheControlsFont) {
  Form form({.name = "form", .width = 200, .height = 100});
  auto* small = form.Add<Label>({.name = "small", .caption = "x", .font = Font{.height = -8}});
  auto* large = form.Add<Label>({.name = "large", .caption = "x", .font = Font{.height = -24}});
  EXPECT_EQ(small->TextWidth(""), 0);
  EXPECT_LT(small->TextWidth("Запуск программы"), large->TextWidth("Запуск программы"));
  EXPECT_LT(small->TextWidth("ab"), small->TextWidth("abcdef"));
}

TEST(Look, HintsBecomeToolsOfTheFormsTooltip) {
  Form form({.name = "form", .width = 300, .height = 100, .showHint = true});
  auto* ed = form.Add<Edit>({.name = "ed", .hint = "Имя компьютера, не более 63 символов"});
  auto* quiet = form.Add<Edit>({.name = "quiet", .top = 30, .hint = "не видна", .showHint = false});
  HWND tooltip = form.Tooltip();
  ASSERT_NE(tooltip, nullptr);
  auto toolText = [&](Control& c) {
    char text[256] = {};
    TTTOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = form.Handle();
    ti.uId = reinterpret_cast<UINT_PTR>(c.Handle());
    ti.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&ti));
    return std::string(text);
  };
  EXPECT_EQ(toolText(*ed), "Имя компьютера, не более 63 символов");
  EXPECT_EQ(toolText(*quiet), "") << "ShowHint false keeps the hint to itself";
  ed->SetHint("другая");
  EXPECT_EQ(toolText(*ed), "другая");
  EXPECT_EQ(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);

  Font hint = Application::Instance().HintFont();
  hint.charset = RUSSIAN_CHARSET;
  Application::Instance().SetHintFont(hint);
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(tooltip, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
  EXPECT_EQ(lf.lfCharSet, RUSSIAN_CHARSET);
}

TEST(Look, AWarningColoursTheBoxAndLeadsItsTooltipEvenWithHintsHidden) {
  Form form({.name = "form", .width = 300, .height = 100});
  auto* ed = form.Add<Edit>({.name = "ed", .hint = "IPAddress: 10.1.2.30"});
  HWND tooltip = form.Tooltip();
  auto toolText = [&] {
    char text[256] = {};
    TTTOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V1_SIZE;
    ti.hwnd = form.Handle();
    ti.uId = reinterpret_cast<UINT_PTR>(ed->Handle());
    ti.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&ti));
    return std::string(text);
  };
  // The colour the box is painted with, as its parent answers it.
  auto painted = [&] {
    HDC dc = GetDC(ed->Handle());
    SendMessageA(form.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(ed->Handle()));
    COLORREF color = GetBkColor(dc);
    ReleaseDC(ed->Handle(), dc);
    return color;
  };
  const COLORREF window = painted();
  EXPECT_EQ(toolText(), "") << "hints are hidden on this form";

  ed->SetWarning("Маска не непрерывна");
  EXPECT_EQ(toolText(), "Маска не непрерывна\n\nIPAddress: 10.1.2.30");
  EXPECT_EQ(painted(), ColorToRGB(clWarning));
  EXPECT_NE(painted(), window);
  ed->SetEnabled(false);
  EXPECT_EQ(painted(), ColorToRGB(clBtnFace)) << "a greyed box is not the operator's to fix";
  ed->SetEnabled(true);
  ed->SetHint("");
  EXPECT_EQ(toolText(), "Маска не непрерывна");

  ed->SetWarning("");
  EXPECT_EQ(painted(), window);
  EXPECT_EQ(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 0);
}

}  // namespace
