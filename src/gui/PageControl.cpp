// PageControl and TabSheet: tabs over pages, with one route for switching.

#include "gui/PageControl.h"

#include <commctrl.h>

#include <algorithm>

namespace gui {

TabSheet::TabSheet(Control* parent, const Design& d)
    : Control(parent, {.name = d.name, .visible = false, .tag = d.tag},
              {.className = nullptr, .style = WS_CLIPCHILDREN, .defaultWidth = 0, .defaultHeight = 0}),
      caption_(d.caption) {
  if (PageControl* pc = Owner()) pc->SheetAdded(this);
}

TabSheet::~TabSheet() {
  if (PageControl* pc = Owner()) pc->SheetRemoved(this);
}

PageControl* TabSheet::Owner() const noexcept { return dynamic_cast<PageControl*>(Parent()); }

void TabSheet::SetCaption(const std::string& text) {
  caption_ = text;
  if (PageControl* pc = Owner()) pc->RebuildTabs();
}

void TabSheet::SetTabVisible(bool visible) {
  tabVisible_ = visible;
  if (PageControl* pc = Owner()) pc->RebuildTabs();
}

int TabSheet::PageIndex() const noexcept {
  PageControl* pc = Owner();
  if (!pc) return -1;
  const auto& pages = pc->Pages();
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

PageControl::PageControl(Control* parent, const Design& d)
    : Control(parent, d,
              {.className = WC_TABCONTROLA,
               .style = WS_TABSTOP | WS_CLIPCHILDREN,
               .defaultWidth = 289,
               .defaultHeight = 193,
               .tabStop = true}) {
  OnChanging = d.onChanging;
  OnChange = d.onChange;
  OnEnter = d.onEnter;
}

PageControl::~PageControl() {
  destroying_ = true;
  DestroyChildren();
}

TabSheet* PageControl::AddSheet(const std::string& name, const std::string& caption) {
  return Add<TabSheet>({.name = name, .caption = caption});
}

void PageControl::SheetAdded(TabSheet* sheet) {
  sheets_.push_back(sheet);
  RECT r = AlignRect();
  sheet->MoveWindowTo(r.left, r.top, r.right - r.left, r.bottom - r.top);
  RebuildTabs();
  // The first page is the one shown until another is chosen.
  if (!active_) ShowOnly(sheet);
}

void PageControl::SheetRemoved(TabSheet* sheet) {
  sheets_.erase(std::remove(sheets_.begin(), sheets_.end(), sheet), sheets_.end());
  if (destroying_) return;
  if (active_ == sheet) {
    active_ = nullptr;
    auto next = std::find_if(sheets_.begin(), sheets_.end(), [](TabSheet* s) { return s->TabVisible(); });
    if (next != sheets_.end()) ShowOnly(*next);
  }
  RebuildTabs();
}

int PageControl::TabIndexOf(const TabSheet* sheet) const noexcept {
  int index = 0;
  for (TabSheet* s : sheets_) {
    if (s == sheet) return s->TabVisible() ? index : -1;
    if (s->TabVisible()) ++index;
  }
  return -1;
}

TabSheet* PageControl::SheetAtTab(int tabIndex) const noexcept {
  int index = 0;
  for (TabSheet* s : sheets_) {
    if (!s->TabVisible()) continue;
    if (index == tabIndex) return s;
    ++index;
  }
  return nullptr;
}

void PageControl::RebuildTabs() {
  CodeChange guard(*this);
  SendMessageA(hwnd_, TCM_DELETEALLITEMS, 0, 0);
  int index = 0;
  for (TabSheet* s : sheets_) {
    if (!s->TabVisible()) continue;
    std::string text = s->Caption();
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    SendMessageA(hwnd_, TCM_INSERTITEMA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&item));
  }
  SendMessageA(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(TabIndexOf(active_)), 0);
  // The tab rows may have changed, and with them the pages' area.
  Realign();
}

int PageControl::ActivePageIndex() const noexcept { return active_ ? active_->PageIndex() : -1; }

void PageControl::ShowOnly(TabSheet* sheet) {
  TabSheet* old = active_;
  active_ = sheet;
  if (sheet) sheet->SetVisible(true);
  // The focus must not stay on a control that is about to be hidden.
  if (old && old != sheet && old->Focused()) ::SetFocus(hwnd_);
  for (TabSheet* s : sheets_)
    if (s != sheet && s->Visible()) s->SetVisible(false);
  CodeChange guard(*this);
  SendMessageA(hwnd_, TCM_SETCURSEL, static_cast<WPARAM>(TabIndexOf(sheet)), 0);
}

void PageControl::SetActivePage(TabSheet* sheet) {
  if (sheet == active_) return;
  ShowOnly(sheet);
}

bool PageControl::FireChanging() {
  bool allow = true;
  if (OnChanging && EventsAllowed()) OnChanging(allow);
  return allow;
}

bool PageControl::SelectPage(TabSheet* sheet) {
  if (!sheet || sheet == active_ || !sheet->TabVisible()) return false;
  if (!FireChanging()) return false;
  ShowOnly(sheet);
  Fire(OnChange);
  return true;
}

bool PageControl::SelectNextPage(bool forward) {
  std::vector<TabSheet*> tabs;
  for (TabSheet* s : sheets_)
    if (s->TabVisible()) tabs.push_back(s);
  if (tabs.size() < 2) return false;
  auto it = std::find(tabs.begin(), tabs.end(), active_);
  size_t current = it == tabs.end() ? 0 : static_cast<size_t>(it - tabs.begin());
  size_t next = forward ? (current + 1) % tabs.size() : (current + tabs.size() - 1) % tabs.size();
  return SelectPage(tabs[next]);
}

RECT PageControl::TabRect(TabSheet* sheet) const {
  RECT r{};
  int index = TabIndexOf(sheet);
  if (index >= 0) SendMessageA(hwnd_, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  return r;
}

LRESULT PageControl::Notify(NMHDR* header) {
  switch (header->code) {
    case TCN_SELCHANGING:
      // Nonzero forbids the change.
      return FireChanging() ? FALSE : TRUE;
    case TCN_SELCHANGE: {
      TabSheet* sheet = SheetAtTab(static_cast<int>(SendMessageA(hwnd_, TCM_GETCURSEL, 0, 0)));
      if (sheet && sheet != active_) {
        ShowOnly(sheet);
        Fire(OnChange);
      }
      return 0;
    }
    default: return 0;
  }
}

LRESULT PageControl::NotifyErrorResult(NMHDR* header) {
  // A page that failed to save keeps the operator on it.
  return header->code == TCN_SELCHANGING ? TRUE : 0;
}

RECT PageControl::AlignRect() const {
  RECT r = ClientRect();
  SendMessageA(hwnd_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

void PageControl::Realign() {
  RECT r = AlignRect();
  for (TabSheet* s : sheets_) {
    if (s->Left() != r.left || s->Top() != r.top || s->Width() != r.right - r.left || s->Height() != r.bottom - r.top)
      s->MoveWindowTo(r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  Control::Realign();
}

}  // namespace gui
