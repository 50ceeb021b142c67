// The settings dialog's design and layout.

#include "dialog/Dlg_Settings.h"

using namespace gui;

namespace {
const Font kSansSerif8{.name = "MS Sans Serif", .height = -11, .charset = DEFAULT_CHARSET};
}

TdlgSettings::TdlgSettings()
    : Form({.name = "dlgSettings",
            .width = 381,
            .height = 289,
            .caption = "Настройки",
            .color = clBtnFace,
            .font = kSansSerif8}) {
  pnlButtons = Add<Panel>({.name = "pnlButtons", .height = 41, .align = Align::Bottom});
  btnSave = pnlButtons->Add<Button>({.name = "btnSave",
                                     .left = 80,
                                     .top = 8,
                                     .width = 75,
                                     .height = 25,
                                     .caption = "Сохранить",
                                     .tabOrder = 0,
                                     .isDefault = true,
                                     .modalResult = mrOk});
  btnCancel = pnlButtons->Add<Button>({.name = "btnCancel",
                                       .left = 176,
                                       .top = 8,
                                       .width = 75,
                                       .height = 25,
                                       .caption = "Отмена",
                                       .tabOrder = 1,
                                       .cancel = true,
                                       .modalResult = mrCancel});
  PC = Add<PageControl>({.name = "PC", .align = Align::Client, .font = kSansSerif8});
  lblKeyBoardIndicator = pnlButtons->Add<Label>(
      {.name = "lblKeyBoardIndicator",
       .left = 8,
       .top = 8,
       .width = 35,
       .height = 16,
       .caption = " RUS ",
       .color = clNavy,
       .font = Font{.name = "MS Sans Serif", .height = -13, .charset = DEFAULT_CHARSET, .color = clWindow},
       .autoSize = false});
  Label1 = pnlButtons->Add<Label>({.name = "Label1", .align = Align::Right, .alignment = TextAlign::Center});
  ArrangeButtons();
}

void TdlgSettings::Resize() {
  Form::Resize();
  ArrangeButtons();
}

void TdlgSettings::ArrangeButtons() {
  int left = (Width() - (btnSave->Width() + 20 + btnCancel->Width())) / 2;
  btnSave->SetLeft(left);
  btnCancel->SetLeft(btnSave->Left() + btnSave->Width() + 20);
}
