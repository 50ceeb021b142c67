// The read-only text view: its lines, what another program reads of it,
// scrolling by keys, wheel and bars within the text's bounds, and copying.

#include "gui/TextView.h"
#include "support/Operator.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace kivtest;

namespace {

class TextViewTest : public testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<Form>(Design{.name = "form", .width = 300, .height = 200, .caption = "Test"});
    view = form->Add<TextView>({.name = "view", .align = Align::Client});
    form->Show();
    PumpUntilIdle();
  }
  void TearDown() override { form.reset(); }

  static std::string Numbered(int lines) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += "Line " + std::to_string(i) + "\r\n";
    return text;
  }
  int VisibleLines() {
    RECT r;
    GetClientRect(view->Handle(), &r);
    TEXTMETRICA tm{};
    HDC dc = GetDC(view->Handle());
    HGDIOBJ old = SelectObject(dc, view->FontHandleOf());
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(view->Handle(), dc);
    return (r.bottom - r.top) / tm.tmHeight;
  }
  void Key(WORD vk, bool ctrl = false) {
    view->SetFocus();
    PressKey(vk, ctrl);
    PumpUntilIdle();
  }

  std::unique_ptr<Form> form;
  TextView* view = nullptr;
};

TEST_F(TextViewTest, LinesEndAtCrLfCrOrLfAndAFinalBreakOpensAnEmptyLine) {
  view->SetText("");
  EXPECT_EQ(view->LineCount(), 1u);
  view->SetText("a");
  EXPECT_EQ(view->LineCount(), 1u);
  view->SetText("a\r\nb\rc\nd");
  EXPECT_EQ(view->LineCount(), 4u);
  view->SetText("a\r\n\r\n");
  EXPECT_EQ(view->LineCount(), 3u);
}

TEST_F(TextViewTest, AnotherProgramReadsAndSetsTheWholeText) {
  const std::string text = Numbered(5000);
  view->SetText(text);
  const HWND hwnd = view->Handle();
  EXPECT_EQ(static_cast<size_t>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0)), text.size());
  std::string read(text.size() + 1, '\0');
  EXPECT_EQ(static_cast<size_t>(SendMessageA(hwnd, WM_GETTEXT, read.size(), reinterpret_cast<LPARAM>(read.data()))),
            text.size());
  read.resize(text.size());
  EXPECT_EQ(read, text);
  // A buffer too small takes what fits, ended by a NUL.
  char small[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(SendMessageA(hwnd, WM_GETTEXT, sizeof(small), reinterpret_cast<LPARAM>(small)), 4);
  EXPECT_STREQ(small, "Line");
  SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("one\r\ntwo"));
  EXPECT_EQ(view->Text(), "one\r\ntwo");
  EXPECT_EQ(view->LineCount(), 2u);
}

TEST_F(TextViewTest, KeysAndWheelScrollWithinTheText) {
  view->SetText(Numbered(1000));
  const size_t page = static_cast<size_t>(VisibleLines());
  ASSERT_GT(page, 2u);
  const size_t lastTop = view->LineCount() - page;
  Key(VK_DOWN);
  EXPECT_EQ(view->TopLine(), 1u);
  Key(VK_NEXT);
  EXPECT_EQ(view->TopLine(), 1u + page);
  Key(VK_UP);
  EXPECT_EQ(view->TopLine(), page);
  Key(VK_END, true);
  EXPECT_EQ(view->TopLine(), lastTop) << "the last line is in sight, at the bottom";
  Key(VK_NEXT);
  EXPECT_EQ(view->TopLine(), lastTop);
  EXPECT_EQ(GetScrollPos(view->Handle(), SB_VERT), static_cast<int>(lastTop));
  Key(VK_HOME, true);
  EXPECT_EQ(view->TopLine(), 0u);
  Key(VK_PRIOR);
  EXPECT_EQ(view->TopLine(), 0u);

  SendMessageA(view->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  UINT perNotch = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &perNotch, 0);
  EXPECT_EQ(view->TopLine(), perNotch);
  SendMessageA(view->Handle(), WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(view->TopLine(), lastTop);
  SendMessageA(view->Handle(), WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(view->TopLine(), lastTop - page);
  // A new text starts at its top.
  view->SetText(Numbered(10));
  EXPECT_EQ(view->TopLine(), 0u);
}

TEST_F(TextViewTest, WithoutWrappingALongLineScrollsSidewaysAndAShortTextNotAtAll) {
  form->DestroyChild(view);
  view = form->Add<TextView>({.name = "view", .align = Align::Client, .wordWrap = false});
  PumpUntilIdle();
  EXPECT_TRUE(GetWindowLongA(view->Handle(), GWL_STYLE) & WS_HSCROLL);
  view->SetText(std::string(2000, 'W') + "\r\nshort");
  Key(VK_END);
  EXPECT_GT(view->ScrolledX(), 0);
  Key(VK_HOME);
  EXPECT_EQ(view->ScrolledX(), 0);
  view->SetText("a\r\nb");
  Key(VK_END, true);
  Key(VK_DOWN);
  Key(VK_END);
  EXPECT_EQ(view->TopLine(), 0u);
  EXPECT_EQ(view->ScrolledX(), 0);
}

TEST_F(TextViewTest, LongLinesWrapAfterABlankToTheWidthWithoutASidewaysBar) {
  EXPECT_FALSE(GetWindowLongA(view->Handle(), GWL_STYLE) & WS_HSCROLL);
  std::string words;
  for (int i = 0; i < 120; ++i) words += "слово" + std::to_string(i) + " ";
  const std::string unbroken(3000, 'W');
  view->SetText("[UserData]\r\n" + words + "\r\n" + unbroken + "\r\nend");
  RECT client;
  GetClientRect(view->Handle(), &client);
  const size_t rows = view->LineCount();
  ASSERT_GT(rows, 8u);
  std::string joined;
  HDC dc = GetDC(view->Handle());
  HGDIOBJ old = SelectObject(dc, view->FontHandleOf());
  for (size_t i = 0; i < rows; ++i) {
    const std::string_view row = view->ShownLine(i);
    SIZE size{};
    GetTextExtentPoint32A(dc, row.data(), static_cast<int>(row.size()), &size);
    EXPECT_LE(size.cx, client.right) << "row " << i << " is wider than the view";
    // A row of the words ends after a blank: no word is split.
    if (row.find("слово") != std::string_view::npos && row.find("слово119") == std::string_view::npos) {
      EXPECT_EQ(row.back(), ' ') << row;
    }
    joined.append(row);
  }
  SelectObject(dc, old);
  ReleaseDC(view->Handle(), dc);
  EXPECT_EQ(joined, "[UserData]" + words + unbroken + "end") << "every character is shown once";
  Key(VK_END);
  EXPECT_EQ(view->ScrolledX(), 0);
  form->SetWidth(form->Width() * 2);
  PumpUntilIdle();
  EXPECT_LT(view->LineCount(), rows) << "a wider view needs fewer rows";
  view->SetText("a\r\nb");
  EXPECT_EQ(view->LineCount(), 2u);
}

TEST_F(TextViewTest, ShrinkingKeepsTheLastLinesInSightAndGrowingShowsMore) {
  view->SetText(Numbered(100));
  Key(VK_END, true);
  const size_t before = view->TopLine();
  form->SetHeight(form->Height() + 100);
  PumpUntilIdle();
  EXPECT_LT(view->TopLine(), before) << "a taller view shows the lines above, not empty space below";
  EXPECT_EQ(view->TopLine() + static_cast<size_t>(VisibleLines()), view->LineCount());
}

TEST_F(TextViewTest, CtrlACtrlCCopiesTheWholeText) {
  const std::string text = "[UserData]\r\nFullName=Иванов\r\n";
  view->SetText(text);
  Key('C', true);
  // Nothing is selected yet: the clipboard keeps what it had.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  Key('C', true);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  Key('A', true);
  Key('C', true);
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE data = GetClipboardData(CF_TEXT);
  ASSERT_TRUE(data);
  const std::string copied = static_cast<const char*>(GlobalLock(data));
  GlobalUnlock(data);
  CloseClipboard();
  EXPECT_EQ(copied, text);
}

}  // namespace
