// Each control kind on a real window: its properties reach the window and
// read back, the operator's action fires exactly its handler, and a change
// made in code fires nothing.

#include "support/Operator.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using namespace gui;
using namespace kivtest;

namespace {

class ControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<Form>(Design{.name = "form", .width = 400, .height = 300, .caption = "Test"});
    form->Show();
    PumpUntilIdle();
  }
  void TearDown() override { form.reset(); }

  std::string WindowText(HWND hwnd) {
    char buffer[512] = {};
    GetWindowTextA(hwnd, buffer, sizeof(buffer));
    return buffer;
  }
  LONG_PTR Style(const Control& c) { return GetWindowLongPtrA(c.Handle(), GWL_STYLE); }

  std::unique_ptr<Form> form;
};

TEST_F(ControlsTest, EditPropertiesReachTheWindow) {
  auto* ed = form->Add<Edit>(
      {.name = "edName", .left = 10, .top = 20, .width = 150, .height = 21, .caption = "Иванов", .maxLength = 63});
  RECT r;
  GetWindowRect(ed->Handle(), &r);
  MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 150);
  EXPECT_EQ(WindowText(ed->Handle()), "Иванов");
  EXPECT_EQ(SendMessageA(ed->Handle(), EM_GETLIMITTEXT, 0, 0), 63);
  EXPECT_EQ(KivNameOf(ed->Handle()), "edName");

  ed->SetText("Петров");
  EXPECT_EQ(ed->Text(), "Петров");
  ed->SetReadOnly(true);
  EXPECT_TRUE(Style(*ed) & ES_READONLY);
  ed->SetPasswordChar('*');
  EXPECT_EQ(SendMessageA(ed->Handle(), EM_GETPASSWORDCHAR, 0, 0), '*');
  ed->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(ed->Handle()));
  ed->SetVisible(false);
  EXPECT_FALSE(IsWindowVisible(ed->Handle()));
  ed->SetBounds(5, 6, 70, 22);
  GetWindowRect(ed->Handle(), &r);
  EXPECT_EQ(r.right - r.left, 70);
  EXPECT_EQ(r.bottom - r.top, 22);
}

TEST_F(ControlsTest, EditTypingFiresOnChangeButSetTextDoesNot) {
  int changes = 0;
  auto* ed = form->Add<Edit>({.name = "ed", .onChange = [&] { ++changes; }});
  ed->SetText("abc");
  PumpUntilIdle();
  EXPECT_EQ(changes, 0) << "EN_CHANGE of WM_SETTEXT must not reach the handler";
  EXPECT_FALSE(ed->Modified());

  Type(*ed, "xy");
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(ed->Modified());
  EXPECT_NE(ed->Text().find("xy"), std::string::npos);
}

TEST_F(ControlsTest, EditMaxLengthStopsTheOperator) {
  auto* ed = form->Add<Edit>({.name = "ed", .maxLength = 3});
  Type(*ed, "abcdef");
  EXPECT_EQ(ed->Text(), "abc");
}

TEST_F(ControlsTest, MemoKeepsLineBreaksAndModifiedState) {
  int changes = 0;
  auto* mem = form->Add<Memo>(
      {.name = "mem", .width = 200, .height = 100, .scrollBars = ScrollBars::Vertical, .onChange = [&] { ++changes; }});
  EXPECT_TRUE(Style(*mem) & ES_MULTILINE);
  EXPECT_TRUE(Style(*mem) & WS_VSCROLL);
  mem->SetText("[UserData]\r\nFullName=Иван\r\n");
  EXPECT_EQ(mem->Text(), "[UserData]\r\nFullName=Иван\r\n");
  EXPECT_FALSE(mem->Modified());
  EXPECT_EQ(changes, 0);
  mem->SetReadOnly(true);
  Type(*mem, "zz");
  EXPECT_EQ(mem->Text(), "[UserData]\r\nFullName=Иван\r\n") << "a read-only memo takes no typing";
  EXPECT_FALSE(mem->Modified());
  mem->SetReadOnly(false);
  Type(*mem, "q");
  EXPECT_TRUE(mem->Modified());
  EXPECT_EQ(changes, 1);
}

TEST_F(ControlsTest, MemoTakesALargeText) {
  auto* mem = form->Add<Memo>({.name = "mem"});
  std::string line = "Key=" + std::string(60, 'x') + "\r\n";
  std::string text;
  for (int i = 0; i < 20000; ++i) text += line;
  mem->SetText(text);
  EXPECT_EQ(mem->Text().size(), text.size());
}

TEST_F(ControlsTest, ButtonClickFiresOnClickOnce) {
  int clicks = 0;
  auto* btn = form->Add<Button>({.name = "btn", .caption = "Пуск", .onClick = [&] { ++clicks; }});
  EXPECT_EQ(WindowText(btn->Handle()), "Пуск");
  Click(*btn);
  EXPECT_EQ(clicks, 1);
  btn->SetEnabled(false);
  Click(*btn);
  EXPECT_EQ(clicks, 1) << "a disabled button does not click";
  btn->SetCaption("Стоп");
  EXPECT_EQ(btn->Caption(), "Стоп");
}

TEST_F(ControlsTest, DefaultButtonHasTheDefaultStyle) {
  auto* save = form->Add<Button>({.name = "btnSave", .isDefault = true});
  auto* other = form->Add<Button>({.name = "btnOther"});
  EXPECT_EQ(Style(*save) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(Style(*other) & BS_TYPEMASK, BS_PUSHBUTTON);
  EXPECT_EQ(form->DefaultButton(), save);
}

TEST_F(ControlsTest, CheckBoxClickTogglesAndFiresButSetCheckedDoesNot) {
  int clicks = 0;
  auto* chk = form->Add<CheckBox>({.name = "chk", .caption = "Редактировать", .onClick = [&] { ++clicks; }});
  EXPECT_FALSE(chk->Checked());
  chk->SetChecked(true);
  PumpUntilIdle();
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(SendMessageA(chk->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(clicks, 0);
  Click(*chk);
  EXPECT_FALSE(chk->Checked());
  EXPECT_EQ(clicks, 1);
  Click(*chk);
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, RadioButtonsOfOneParentExcludeEachOther) {
  int clicksA = 0, clicksB = 0;
  auto* box = form->Add<GroupBox>({.name = "gb", .width = 200, .height = 100, .caption = "Членство"});
  auto* a = box->Add<RadioButton>(
      {.name = "rbA", .left = 8, .top = 20, .caption = "Рабочая группа", .checked = true, .onClick = [&] {
         ++clicksA;
       }});
  auto* b =
      box->Add<RadioButton>({.name = "rbB", .left = 8, .top = 44, .caption = "Домен", .onClick = [&] { ++clicksB; }});
  EXPECT_EQ(box->Caption(), "Членство");
  Click(*b);
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(a->Checked());
  EXPECT_EQ(clicksB, 1);
  Click(*b);
  EXPECT_EQ(clicksB, 1) << "a click on the checked button changes nothing";
  a->SetChecked(true);
  PumpUntilIdle();
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked()) << "checking in code clears the group too";
  EXPECT_EQ(clicksA, 0);
}

TEST_F(ControlsTest, LabelSizesToCaptionAndReportsClicks) {
  int clicks = 0;
  auto* lbl = form->Add<Label>({.name = "lbl", .left = 5, .top = 5, .caption = "Имя", .onClick = [&] { ++clicks; }});
  int shortWidth = lbl->Width();
  EXPECT_GT(shortWidth, 0);
  EXPECT_EQ(shortWidth, lbl->TextWidth("Имя"));
  lbl->SetCaption("Имя компьютера в сети");
  EXPECT_GT(lbl->Width(), shortWidth);
  EXPECT_EQ(WindowText(lbl->Handle()), "Имя компьютера в сети");
  Click(*lbl);
  EXPECT_EQ(clicks, 1);

  auto* fixed = form->Add<Label>({.name = "fixed",
                                  .width = 35,
                                  .height = 16,
                                  .caption = " RUS ",
                                  .alignment = TextAlign::Center,
                                  .autoSize = false});
  EXPECT_EQ(fixed->Width(), 35);
  EXPECT_EQ(Style(*fixed) & SS_TYPEMASK, SS_CENTER);
}

TEST_F(ControlsTest, DropDownListPickFiresOnChangeOnce) {
  int changes = 0;
  auto* cb = form->Add<ComboBox>({.name = "cbResolution",
                                  .width = 193,
                                  .style = ComboStyle::DropDownList,
                                  .items = {"(По умолчанию)", "  640x480", "  800x600", "1024x768"},
                                  .onChange = [&] { ++changes; }});
  EXPECT_EQ(SendMessageA(cb->Handle(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(cb->ItemIndex(), -1);
  cb->SetItemIndex(1);
  PumpUntilIdle();
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(cb->Text(), "  640x480") << "leading blanks of an item are kept";
  cb->SetText("1024X768");
  EXPECT_EQ(cb->ItemIndex(), 3) << "text picks the item regardless of case";
  cb->SetText("1152x864");
  EXPECT_EQ(cb->ItemIndex(), -1);
  EXPECT_EQ(changes, 0);

  PickItem(*cb, 2);
  EXPECT_EQ(cb->ItemIndex(), 2);
  EXPECT_EQ(cb->Text(), "  800x600");
  EXPECT_EQ(changes, 1);
}

TEST_F(ControlsTest, DropDownComboTypingAndPickingFireOnChange) {
  int changes = 0;
  std::string seen;
  gui::ComboBox* cb = nullptr;
  cb = form->Add<ComboBox>({.name = "cbAdapters", .items = {"Adapter1", "Adapter2"}, .onChange = [&] {
                              ++changes;
                              seen = cb->Text();
                            }});
  cb->AddItem("Adapter3", "params.Adapter3");
  EXPECT_EQ(cb->ItemCount(), 3);
  EXPECT_EQ(cb->ItemData(2), "params.Adapter3");
  cb->SetText("free text");
  EXPECT_EQ(cb->Text(), "free text");
  EXPECT_EQ(changes, 0);

  PickItem(*cb, 1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(seen, "Adapter2") << "the handler sees the picked item's text";
  Type(*cb, "x");
  EXPECT_EQ(changes, 2);
}

TEST_F(ControlsTest, OnEnterFiresWhenTheFocusArrives) {
  int enters = 0;
  auto* first = form->Add<Edit>({.name = "first"});
  auto* cb = form->Add<ComboBox>({.name = "cb", .top = 40, .items = {"a"}, .onEnter = [&] { ++enters; }});
  first->SetFocus();
  PumpUntilIdle();
  EXPECT_EQ(enters, 0);
  PressKey(VK_TAB);
  EXPECT_TRUE(cb->Focused());
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(form->ActiveControl(), cb);
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  EXPECT_EQ(enters, 2);
}

TEST_F(ControlsTest, PanelAndGroupBoxHoldChildren) {
  auto* pnl = form->Add<Panel>({.name = "pnl", .height = 41, .align = Align::Bottom, .bevel = Bevel::None});
  auto* btn = pnl->Add<Button>({.name = "btn", .left = 80, .top = 8});
  EXPECT_EQ(GetParent(btn->Handle()), pnl->Handle());
  EXPECT_EQ(pnl->GetBevel(), Bevel::None);
  EXPECT_EQ(form->FindControl("btn"), btn);
  EXPECT_EQ(FindNamedWindow(form->Handle(), "btn"), btn->Handle());
  form->DestroyChild(pnl);
  EXPECT_EQ(form->FindControl("btn"), nullptr);
  EXPECT_EQ(FindNamedWindow(form->Handle(), "btn"), nullptr);
}

TEST_F(ControlsTest, InputBoxesTurnGreyWhenDisabledAndBordersFollowTheDesign) {
  auto* edit = form->Add<Edit>({.name = "edBox"});
  auto* combo = form->Add<ComboBox>({.name = "cbBox", .top = 30});
  auto* flat = form->Add<Memo>({.name = "memFlat", .top = 60, .borderStyle = BorderStyle::Single});
  auto* bare = form->Add<Panel>({.name = "pnlBare", .top = 160, .borderStyle = BorderStyle::None});
  for (Control* box : std::initializer_list<Control*>{edit, combo}) {
    EXPECT_EQ(box->EffectiveColor(), clWindow) << box->Name();
    box->SetEnabled(false);
    EXPECT_EQ(box->EffectiveColor(), clBtnFace) << box->Name();
    box->SetEnabled(true);
    EXPECT_EQ(box->EffectiveColor(), clWindow) << box->Name();
  }
  // A colour of the design's own wins over the state's.
  edit->SetColor(clNavy);
  edit->SetEnabled(false);
  EXPECT_EQ(edit->EffectiveColor(), clNavy);
  EXPECT_TRUE(GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // An edit box given a single line draws it itself, inside its client area.
  EXPECT_FALSE(GetWindowLongA(flat->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(GetWindowLongA(bare->Handle(), GWL_STYLE) & WS_BORDER);
  EXPECT_FALSE(GetWindowLongA(bare->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(ControlsTest, TagAndTabOrderReadBack) {
  auto* a = form->Add<Button>({.name = "a", .tag = 42});
  auto* b = form->Add<Button>({.name = "b"});
  auto* c = form->Add<Button>({.name = "c", .tabOrder = 0});
  EXPECT_EQ(a->Tag(), 42);
  EXPECT_EQ(c->TabOrder(), 0);
  EXPECT_EQ(a->TabOrder(), 1);
  EXPECT_EQ(b->TabOrder(), 2);
  b->SetTabOrder(0);
  EXPECT_EQ(b->TabOrder(), 0);
  EXPECT_EQ(c->TabOrder(), 1);
}

}  // namespace
