// A property sheet: a modal window showing one of several property pages
// (ui/property_page.h) at a time, chosen by a row of tabs, with OK, Cancel,
// Apply and (optionally) Help buttons under them.
//
//   ui::CPropertySheet sheet("Options", parent, /*selectPage=*/1);
//   sheet.AddPage(&freedbPage);
//   sheet.AddPage(&outputPage);
//   sheet.DoModal();   // IDOK or IDCANCEL
//
// The sheet is sized from its pages: the page area is as large as the
// largest page template, in the sheet's dialog units. Its children keep the
// numbers other code addresses them by: the tab strip 0x3020 (AFX_IDC_TAB_CONTROL),
// the buttons IDOK, IDCANCEL, ID_APPLY_NOW (0x3021) and IDHELP (9).
//
// Pages are made when first shown. OK and Apply first ask the shown page to
// let go (OnKillActive), then ask every page whose window exists to apply
// (OnApply, in page order); the first page that refuses stops it and the
// sheet stays open on the page it showed. Cancel tells every created page
// (OnReset) and ends the sheet. Ctrl+Tab and Ctrl+Page Down show the next
// page, Ctrl+Shift+Tab and Ctrl+Page Up the previous one, wrapping around;
// every other key goes on to the focused control.
//
// A derived sheet changes the page navigation and the reaction to page-list
// changes through the virtual members (the tree sheet hides the tabs and
// shows a page tree instead).
#pragma once

#include <wx/dialog.h>
#include <wx/imaglist.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/property_page.h"

namespace ui {

// Sheet flags.
inline constexpr uint32_t PSH_WIZARD = 0x20;
inline constexpr uint32_t PSH_HASHELP = 0x200;  // the sheet has a Help button
inline constexpr uint32_t PSH_WIZARD97 = 0x01000000;

// Ids of the sheet's own children.
inline constexpr int AFX_IDC_TAB_CONTROL = 0x3020;
inline constexpr int ID_APPLY_NOW = 0x3021;
inline constexpr int IDHELP = 9;
inline constexpr int ID_WIZBACK = 0x3023;
inline constexpr int ID_WIZNEXT = 0x3024;
inline constexpr int ID_WIZFINISH = 0x3025;
inline constexpr int ID_WIZLINE = 0x3026;  // the wizard's etched line

// The row of tabs over the pages: one item per page (its caption and image),
// the current selection, and the geometry a sheet and its layout need.
class CTabStrip : public wxWindow {
 public:
  CTabStrip(wxWindow* parent, const wxRect& rect);
  ~CTabStrip() override;

  int GetItemCount() const { return static_cast<int>(items_.size()); }
  void InsertItem(int index, const std::string& text, int image = -1);
  void DeleteItem(int index);
  void DeleteAllItems();
  std::string GetItemText(int index) const;
  int GetItemImage(int index) const;
  // The selected item, or -1.
  int GetCurSel() const { return current_; }
  void SetCurSel(int index);
  // Images of the items; the strip owns the list. Returns the previous one
  // (owned by the caller now).
  wxImageList* SetImageList(wxImageList* images);
  wxImageList* GetImageList() const { return images_.get(); }

  // Height of the row of tabs.
  int GetItemHeight() const;
  // Rectangle of tab `index` in the strip's client coordinates.
  wxRect GetItemRect(int index) const;
  // The page area inside a strip at `rect` (larger = false), or the strip
  // rectangle around a page area `rect` (larger = true).
  wxRect AdjustRect(bool larger, const wxRect& rect) const;

  // Asks the sheet to show the page of a clicked tab.
  std::function<void(int index)> onSelect;

 private:
  struct Item {
    std::string text;
    int image;
  };
  int TabWidth(int index) const;
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);

  std::vector<Item> items_;
  int current_ = -1;
  std::unique_ptr<wxImageList> images_;
};

class CPropertySheet : public CTopLevelDialogT<wxDialog> {
 public:
  explicit CPropertySheet(const std::string& caption, wxWindow* parent = nullptr, int selectPage = 0);
  ~CPropertySheet() override;

  // Adds a page (not owned; it must outlive the sheet's window). With the
  // window present the page's tab appears at once.
  void AddPage(CPropertyPage* page);
  // Removes a page; its window, if made, is destroyed.
  void RemovePage(int index);
  void RemovePage(CPropertyPage* page);
  int GetPageCount() const { return static_cast<int>(pages_.size()); }
  CPropertyPage* GetPage(int index) const;
  int GetPageIndex(const CPropertyPage* page) const;
  // The page selected now (before the window exists: the start page).
  int GetActiveIndex() const;
  CPropertyPage* GetActivePage() const;
  // Before the window exists: sets the start page. After: leaves the shown
  // page (OnKillActive) and shows `index` (made first when new, then
  // OnSetActive); false when either refused or the index is out of range.
  virtual bool SetActivePage(int index);
  bool SetActivePage(CPropertyPage* page);
  // Places every created page on the page area (after the area moved).
  void PlacePages() const;
  // The shown page's window, or null while no page is shown.
  wxWindow* GetCurrentPageWindow() const;
  // Hides the shown page without showing another (after its OnKillActive
  // agreed); false when it refused.
  bool HideCurrentPage();

  CTabStrip* GetTabControl() const { return tabs_; }
  // The sheet's own children by program id (tab strip, buttons, and what a
  // derived sheet adds).
  wxWindow* GetDlgItem(int id) const { return FindChildById(this, id); }
  // Where the pages go, in the sheet's client coordinates: the tab strip's page area.
  virtual wxRect GetPageRect() const;

  uint32_t SheetFlags() const { return sheetFlags_; }
  void SetSheetFlags(uint32_t flags) { sheetFlags_ = flags; }
  bool IsWizard() const { return (sheetFlags_ & (PSH_WIZARD | PSH_WIZARD97)) != 0; }

  // OK's and Apply's work: the shown page lets go, then every created page
  // applies. False (sheet stays open) when one refused.
  bool Apply();
  // Re-reads the pages' modified flags into the Apply button.
  void UpdateApplyButton();

 protected:
  bool CreateWindowAndChildren() override;
  wxWindow* FindCommandControl(int id) const override { return GetDlgItem(id); }
  // Shows the start page.
  bool OnInitDialog() override;
  // Shows the start page (or the first, when it is out of range).
  void ShowStartPage();
  void OnOK() override;
  void OnCancel() override;
  // Keys before the focused control sees them; true: consumed. The default
  // handles the page keys (Ctrl+Tab and the others above).
  virtual bool IsDialogMessageHook(const wxKeyEvent& key);
  // Whether `key` is a page key, and which way it goes: 1 to the next page,
  // -1 to the one before, 0 not a page key (left to the focused control).
  static int PageKeyDirection(const wxKeyEvent& key);
  // The page after (or before) the active one, for the page keys; -1: none.
  virtual int NextPageIndex(bool forward) const;
  // A page was added or removed while the window exists.
  virtual void OnPageListChanged() {}
  // The shown page changed (also to none).
  virtual void OnActivePageChanged() {}
  // Places `page` on the page area.
  void PlacePage(CPropertyPage* page) const;
  // The window's style bits (kDialog*): a resizable sheet adds kDialogResizable.
  virtual uint32_t WindowStyleBits() const { return kDialogDefault; }

 private:
  void OnApplyNow();
  void OnHelpButton();
  void OnCharHook(wxKeyEvent& event);
  bool ShowPage(int index);

  static const MapRow<CPropertySheet> kMessageMap[];

  std::string caption_;
  std::vector<CPropertyPage*> pages_;
  int startPage_;
  int active_ = -1;         // index of the selected page once the window exists
  bool pageShown_ = false;  // whether pages_[active_] is on screen
  uint32_t sheetFlags_ = PSH_HASHELP;
  CTabStrip* tabs_ = nullptr;
};

}  // namespace ui
