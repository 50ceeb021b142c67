// The settings dialog: its design, page creation, and the page contract
// driven from the tab changes and the Save button.

#include "dialog/Dlg_Settings.h"

#include "profile/ProfileEngine.h"
#include "setup/KbdUtils.h"
#include "gui/Application.h"
#include "sys/Timeline.h"

#include <functional>
#include <memory>

using namespace gui;

namespace {
const Font kSansSerif8{.name = "MS Sans Serif", .height = -11, .charset = DEFAULT_CHARSET};
}

void ApplyFontCharset(Control* component) {
  const BYTE charset = GetFontMapperCharset();
  std::function<void(Control*)> apply = [&](Control* owner) {
    for (const auto& child : owner->Children()) {
      Font font = child->GetFont();
      // A control made with the charset keeps its font: changing a font
      // costs the system a new match for every control.
      if (font.charset != charset) {
        font.charset = charset;
        child->SetFont(font);
      }
      apply(child.get());
    }
  };
  apply(component);
}

TdlgSettings::TdlgSettings(const std::vector<TCommonSettingsFrameClass>& pages)
    : Form({.name = "dlgSettings",
            .width = 381,
            .height = 289,
            .caption = "Настройки",
            .color = clBtnFace,
            .font = kSansSerif8,
            .showHint = true}) {
  // The controls are made with the charset that shows Cyrillic rather than
  // changed to it afterwards.
  Font dialogFont = kSansSerif8;
  dialogFont.charset = GetFontMapperCharset();
  SetFont(dialogFont);
  pnlButtons = Add<Panel>({.name = "pnlButtons", .height = 41, .align = Align::Bottom});
  btnSave = pnlButtons->Add<Button>({.name = "btnSave",
                                     .left = 80,
                                     .top = 8,
                                     .width = 75,
                                     .height = 25,
                                     .caption = "Сохранить",
                                     .tabOrder = 0,
                                     .isDefault = true,
                                     .modalResult = mrOk,
                                     .onClick = [this] { btnSaveClick(); }});
  btnCancel = pnlButtons->Add<Button>({.name = "btnCancel",
                                       .left = 176,
                                       .top = 8,
                                       .width = 75,
                                       .height = 25,
                                       .caption = "Отмена",
                                       .tabOrder = 1,
                                       .cancel = true,
                                       .modalResult = mrCancel});
  PC = Add<PageControl>({.name = "PC",
                         .align = Align::Client,
                         .font = dialogFont,
                         .onChange = [this] { PCChange(); },
                         .onChanging = [this](bool& allow) { PCChanging(allow); }});
  lblKeyBoardIndicator = pnlButtons->Add<Label>(
      {.name = "lblKeyBoardIndicator",
       .left = 8,
       .top = 8,
       .width = 35,
       .height = 16,
       .caption = " RUS ",
       .color = clNavy,
       .font = Font{.name = "MS Sans Serif", .height = -13, .charset = dialogFont.charset, .color = clWindow},
       .autoSize = false,
       .onClick = [this] { lblKeyBoardIndicatorClick(); }});
  Label1 = pnlButtons->Add<Label>({.name = "Label1", .align = Align::Right, .alignment = TextAlign::Center});
  // The controls must show Cyrillic whatever the half-installed system's
  // defaults; pages made below inherit it through the page control's font.
  ApplyFontCharset(this);
  lblKeyBoardIndicator->SetCaption(GetKeyboardLayoutText());

  // Every action of the operator on a page (a pick, a change) is one
  // operation of the profile engine, as the dialog's own are.
  if (Application* application = Application::Current())
    application->EventScope = [](const std::function<void()>& handler) {
      profile::Batch batch;
      handler();
    };

  profile::Batch batch;
  sys::TimelineMark("dialog and buttons");

  for (const auto& pageClass : pages) {
    if (!pageClass) continue;
    AddPage(pageClass);
    sys::TimelineMark(("page " + pageClass.GetCaption()).c_str());
  }
  // Bring each of the first two pages to the front once, as the designer's
  // form does, without loading or saving anything.
  if (PC->PageCount() >= 2) {
    PC->SetActivePage(PC->Page(1));
    PC->SetActivePage(PC->Page(0));
  }
  if (TCommonSettingsFrame* first = PageOf(PC->ActivePage())) {
    first->EnsureControls();
    sys::TimelineMark(("controls of " + PC->ActivePage()->Caption()).c_str());
    first->LoadSettings();
  }
  ArrangeButtons();
  sys::TimelineMark("first page loaded");
  // The other pages get their controls once the operator has the dialog,
  // one page at a time between his actions, unless he shows one before.
  for (TabSheet* sheet : PC->Pages())
    if (PageOf(sheet) && !PageOf(sheet)->HasControls())
      WhenIdle([sheet] {
        PageOf(sheet)->EnsureControls();
        sys::TimelineMark(("controls of " + sheet->Caption()).c_str());
      });
}

TdlgSettings::~TdlgSettings() {
  if (Application* application = Application::Current()) application->EventScope = nullptr;
}

void TdlgSettings::AddPage(const TCommonSettingsFrameClass& pageClass) {
  TabSheet* sheet = PC->AddSheet("", pageClass.GetCaption());
  TCommonSettingsFrame* page = pageClass.Create(sheet);
  if (!page->HasValidData()) {
    PC->DestroyChild(sheet);
    return;
  }
  sheet->SetTag(reinterpret_cast<std::intptr_t>(page));
}

TCommonSettingsFrame* TdlgSettings::PageOf(const TabSheet* sheet) noexcept {
  return sheet ? reinterpret_cast<TCommonSettingsFrame*>(sheet->Tag()) : nullptr;
}

void TdlgSettings::PCChanging(bool&) {
  profile::Batch batch;
  if (TCommonSettingsFrame* page = PageOf(PC->ActivePage())) page->SaveSettings();
}

void TdlgSettings::PCChange() {
  profile::Batch batch;
  TabSheet* sheet = PC->ActivePage();
  if (TCommonSettingsFrame* page = PageOf(sheet); page && sheet->TabVisible()) {
    page->EnsureControls();
    page->LoadSettings();
  }
}

void TdlgSettings::btnSaveClick() {
  profile::Batch batch;
  bool ok = true;
  for (TabSheet* sheet : PC->Pages()) {
    TCommonSettingsFrame* page = PageOf(sheet);
    if (!page) continue;
    // A page checks what its controls hold: those not yet made are made now
    // (the operator was quicker than the idle time that makes them).
    page->EnsureControls();
    // A page is brought to the front only when its check fails, and then
    // checked again to show the operator what is wrong: bringing every page
    // to the front in turn costs more than the rest of Save together, for
    // pages that are not seen again.
    if (page->CheckBeforeSave(false)) continue;
    PC->SetActivePage(sheet);
    ok = page->CheckBeforeSave(true);
    if (!ok) break;
  }
  if (ok) {
    savePressed_ = true;
    SaveAllPages();
  } else {
    SetModalResult(mrNone);
  }
}

void TdlgSettings::SaveAllPages() {
  for (TabSheet* sheet : PC->Pages())
    if (TCommonSettingsFrame* page = PageOf(sheet); page && page->HasControls() && sheet->TabVisible())
      page->SaveSettings();
}

void TdlgSettings::lblKeyBoardIndicatorClick() {
  ActivateKeyboardLayout(reinterpret_cast<HKL>(HKL_NEXT), 0);
  lblKeyBoardIndicator->SetCaption(GetKeyboardLayoutText());
}

void TdlgSettings::Resize() {
  Form::Resize();
  ArrangeButtons();
}

void TdlgSettings::ArrangeButtons() {
  if (!btnSave || !btnCancel) return;  // resized while the design is being built
  int left = (Width() - (btnSave->Width() + 20 + btnCancel->Width())) / 2;
  btnSave->SetLeft(left);
  btnCancel->SetLeft(btnSave->Left() + btnSave->Width() + 20);
}

bool ShowSettings(const std::vector<TCommonSettingsFrameClass>& pages, bool* savePressed) {
  auto dialog = std::make_unique<TdlgSettings>(pages);
  bool ok = dialog->ShowModal() == mrOk;
  if (savePressed) *savePressed = dialog->SavePressed();
  return ok;
}
