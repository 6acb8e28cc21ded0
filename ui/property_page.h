// A property page: one panel of a property sheet (ui/property_sheet.h), built
// from its own dialog template the first time the sheet shows it.
//
//   class COutputPage : public ui::CPropertyPage {
//    public:
//     COutputPage() : ui::CPropertyPage(res::kOutputPage) {
//       SetPageFlags(PageFlags() & ~ui::PSP_HASHELP);
//       ui::BindMessageMap(this, kMessageMap);
//     }
//     bool OnSetActive() override { ...; return true; }
//     bool OnApply() override { if (busy) return false; ...; return true; }
//    protected:
//     bool OnInitDialog() override { CPropertyPage::OnInitDialog(); ...; return true; }
//     void DoDataExchange(ui::CDataExchange* pDX) override { ui::DDX_CBIndex(pDX, 1060, style_); }
//   };
//
// The sheet talks to its pages through the virtual protocol below: a page
// about to be left is asked OnKillActive (false keeps it; the default reads
// and checks its data), a page about to be shown OnSetActive, and OK and
// Apply ask OnApply of every page whose window exists (false keeps the sheet
// open). SetModified tells the sheet that the page has changes to apply.
//
// The page object is not the window: the sheet makes the page's window (a
// panel, Surface()) when it first shows the page and destroys it with the
// sheet's window, while the page object lives on (on the caller's stack, as
// long as the sheet or longer). The page puts itself in front of its
// window's event handlers, so its message map sees the events of the panel
// and of the page's controls.
#pragma once

#include <wx/event.h>
#include <wx/icon.h>

#include <cstdint>
#include <string>

#include "ui/dialog.h"

namespace ui {

class CPropertySheet;

// Page flags.
inline constexpr uint32_t PSP_USEHICON = 0x2;   // the page has an icon (SetIcon)
inline constexpr uint32_t PSP_USEICONID = 0x4;  // the same, from a resource
inline constexpr uint32_t PSP_USETITLE = 0x8;   // the caption is not the template's
inline constexpr uint32_t PSP_HASHELP = 0x20;   // the sheet's Help button is enabled on this page

class CPropertyPage : public wxEvtHandler, public CTemplateHost {
 public:
  explicit CPropertyPage(const DialogTemplate& tmpl);
  ~CPropertyPage() override;

  // The text of the page's tab or tree item: the template's caption unless
  // SetCaption gave another.
  std::string GetCaption() const;
  void SetCaption(const std::string& caption);
  uint32_t PageFlags() const { return flags_; }
  void SetPageFlags(uint32_t flags) { flags_ = flags; }
  // The icon of the page's tab (sets PSP_USEHICON).
  void SetIcon(const wxIcon& icon);
  const wxIcon& GetIcon() const { return icon_; }

  // Marks the page as holding changes (enables the sheet's Apply button) or not.
  void SetModified(bool changed = true);
  bool IsModified() const { return modified_; }
  // The sheet the page was added to, or null.
  CPropertySheet* GetSheet() const { return sheet_; }
  // Whether the page's window and controls exist.
  bool IsPageCreated() const { return Surface() != nullptr; }
  // The page's window (null before it exists) and its client size, for map rows.
  wxWindow* GetWindow() const { return Surface(); }
  wxSize GetClientSize() const;
  // Runs OnInitDialog again on a created page, so it refills its controls.
  void SendInitDialog();

  // The page protocol, called by the sheet.
  // About to be shown; false: stay hidden (the sheet keeps the previous page).
  virtual bool OnSetActive() { return true; }
  // About to be left; false keeps the page. Reads and checks the page's data.
  virtual bool OnKillActive() { return UpdateData(true); }
  // OK or Apply; false keeps the sheet open. Calls OnOK.
  virtual bool OnApply();
  virtual void OnOK() {}
  // Cancel; calls OnCancel.
  virtual void OnReset() { OnCancel(); }
  virtual void OnCancel() {}

 protected:
  // The page's controls exist; fills them from the members.
  virtual bool OnInitDialog();

 private:
  friend class CPropertySheet;
  // Makes the window on `sheet` at `rect` (sheet client coordinates), builds
  // the controls and runs OnInitDialog.
  bool CreatePage(wxWindow* sheetWindow, const wxRect& rect);
  void Attach(CPropertySheet* sheet) { sheet_ = sheet; }
  void OnWindowDestroy(wxWindowDestroyEvent& event);

  std::string caption_;
  bool ownCaption_ = false;
  uint32_t flags_ = PSP_HASHELP;
  wxIcon icon_;
  bool modified_ = false;
  CPropertySheet* sheet_ = nullptr;
};

}  // namespace ui
