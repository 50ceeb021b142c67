#pragma once
// PageControl: a tab control whose tabs bring TabSheets to the front.

#include "gui/Control.h"

namespace gui {

class PageControl;

// One page of a PageControl; its caption is the tab's text.
class TabSheet : public Control {
 public:
  TabSheet(Control* parent, const Design& design);
  ~TabSheet() override;
  void SetCaption(const std::string& text) override;
  [[nodiscard]] std::string Caption() const override { return caption_; }
  [[nodiscard]] PageControl* Owner() const noexcept;
  [[nodiscard]] bool TabVisible() const noexcept { return tabVisible_; }
  void SetTabVisible(bool visible);
  [[nodiscard]] int PageIndex() const noexcept;

 protected:
  [[nodiscard]] bool OwnsBackground() const noexcept override { return true; }
  [[nodiscard]] TColor KindColor() const noexcept override { return clBtnFace; }

 private:
  std::string caption_;
  bool tabVisible_ = true;
};

class PageControl : public Control {
 public:
  PageControl(Control* parent, const Design& design);
  ~PageControl() override;

  // Adds a tab sheet as the last page.
  TabSheet* AddSheet(const std::string& name, const std::string& caption);
  [[nodiscard]] int PageCount() const noexcept { return static_cast<int>(sheets_.size()); }
  [[nodiscard]] TabSheet* Page(int index) const { return sheets_.at(static_cast<size_t>(index)); }
  [[nodiscard]] const std::vector<TabSheet*>& Pages() const noexcept { return sheets_; }
  [[nodiscard]] TabSheet* ActivePage() const noexcept { return active_; }
  [[nodiscard]] int ActivePageIndex() const noexcept;

  // Brings a page to the front without OnChanging or OnChange.
  void SetActivePage(TabSheet* sheet);
  // Brings a page to the front as the operator does: OnChanging may veto,
  // OnChange follows. Clicks, Ctrl+Tab and code that wants the events all
  // come here. Returns whether the page changed.
  bool SelectPage(TabSheet* sheet);
  // The next (or previous) page with a visible tab, cycling.
  bool SelectNextPage(bool forward);
  // The tab's rectangle in the page control's client coordinates, for the
  // operator's click; empty when the tab is hidden.
  [[nodiscard]] RECT TabRect(TabSheet* sheet) const;
  [[nodiscard]] int TabIndexOf(const TabSheet* sheet) const noexcept;

  std::function<void(bool& allow)> OnChanging;
  std::function<void()> OnChange;

 protected:
  LRESULT Notify(NMHDR* header) override;
  LRESULT NotifyErrorResult(NMHDR* header) override;
  void Realign() override;
  [[nodiscard]] RECT AlignRect() const override;

 private:
  friend class TabSheet;
  void SheetAdded(TabSheet* sheet);
  void SheetRemoved(TabSheet* sheet);
  void RebuildTabs();
  void ShowOnly(TabSheet* sheet);
  [[nodiscard]] TabSheet* SheetAtTab(int tabIndex) const noexcept;
  [[nodiscard]] bool FireChanging();

  std::vector<TabSheet*> sheets_;
  TabSheet* active_ = nullptr;
};

}  // namespace gui
