// The dialog base every window of the program derives from.
//
// A dialog names its template, binds its message map in its constructor and
// sets itself up in OnInitDialog, once its controls exist:
//
//   class CMyDlg : public ui::CDialog {
//    public:
//     explicit CMyDlg(wxWindow* parent);
//    protected:
//     bool OnInitDialog() override {
//       CDialogT::OnInitDialog();
//       GetDlgItemAs<wxTextCtrl>(1001)->ChangeValue("...");
//       return true;
//     }
//    private:
//     void OnBrowse();
//     static const ui::MapRow<CMyDlg> kMessageMap[];
//   };
//
//   // my_dlg.cpp: the table first, so the constructor sees its size
//   const ui::MapRow<CMyDlg> CMyDlg::kMessageMap[] = {
//     ui::OnBnClicked(1010, &CMyDlg::OnBrowse),
//   };
//   CMyDlg::CMyDlg(wxWindow* parent) : ui::CDialog(res::kMyDialog, parent) {
//     ui::BindMessageMap(this, kMessageMap);
//   }
//
//   CMyDlg dlg(parent);
//   if (dlg.DoModal() == IDOK) ...
//
// Results are the program's numbers: IDOK (1), IDCANCEL (2) or whatever the
// dialog passes to EndDialog. The OK and Cancel buttons, Escape, Enter and the
// close box are handled here, not by wx (whose defaults would end the dialog
// with its own numbers): Escape and the close box give the command IDCANCEL,
// Enter (outside buttons and multi-line edits) the default button's command;
// IDOK and IDCANCEL call the virtual OnOK and OnCancel, which end the dialog.
// A derived dialog changes that by overriding them or by listing its own rows
// for those ids.
//
// The window is made by DoModal (or Create, for a dialog that stays open
// beside others) and announced gone through the OnWmDestroy row at the end of
// DoModal or in DestroyWindow, while the whole object still exists.
//
// CFrameDialog is the same on a frame, for the one window with a menu bar; its
// controls live on Surface(), a panel filling the frame's client area.
//
// A dialog is made of two halves that other windows use on their own:
// CTemplateHost builds controls from a template on some window and finds them
// again (a property page is a panel with only this half), and
// CTopLevelDialogT runs a top-level window modally and ends it with the
// program's numbers (a property sheet has only this half: it is sized from
// its pages, not from a template of its own).
//
// Data exchange: a dialog or page lists its DDX_ calls in DoDataExchange
// (ui/data_exchange.h); UpdateData(false) fills the controls from the members
// (OnInitDialog does it), UpdateData(true) reads and checks them (OnOK does
// it and stays open when a check fails).
#pragma once

#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/frame.h>

#include <vector>

#include "ui/core/dialog_table.h"
#include "ui/core/win_types.h"
#include "ui/dialog_template.h"
#include "ui/message_map.h"

namespace ui {

class CDataExchange;

// The template half: the controls of one template on one window.
class CTemplateHost {
 public:
  explicit CTemplateHost(const DialogTemplate& tmpl);
  virtual ~CTemplateHost();
  CTemplateHost(const CTemplateHost&) = delete;
  CTemplateHost& operator=(const CTemplateHost&) = delete;

  // The control with program id `id`, or null.
  wxWindow* GetDlgItem(int id) const;
  template <class C>
  C* GetDlgItemAs(int id) const {
    return dynamic_cast<C*>(GetDlgItem(id));
  }
  // The window the template's controls are children of (null before they exist).
  wxWindow* Surface() const { return surface_; }
  const DialogTemplate& Template() const { return *template_; }
  SIZE BaseUnits() const { return baseUnits_; }
  // The template row `control` was built from (its kind, style and program
  // id), or null for a window the template did not make.
  const DialogItem* ItemOf(const wxWindow* control) const;
  // The control built from template row `index` (labels and frames too,
  // which have no id of their own), or null.
  wxWindow* ControlOfItem(size_t index) const;

  // Runs DoDataExchange: true reads the controls into the members and checks
  // them, false fills the controls. False when a check failed: the user was
  // told, the focus is on the offending control and the members read so far
  // keep their new values.
  bool UpdateData(bool saveAndValidate = true);

 protected:
  virtual void DoDataExchange(CDataExchange* /*pDX*/) {}
  // Lets a dialog make its own class for a template control; null: the standard one.
  virtual wxWindow* CreateControl(wxWindow* /*parent*/, const DialogItem& /*item*/, int /*wxId*/,
                                  const wxRect& /*rect*/) {
    return nullptr;
  }
  // Makes the template's controls on `surface` (whose font is already set).
  void BuildControls(wxWindow* surface);
  // Names the surface before its controls are built (size events may come first).
  void AttachSurface(wxWindow* surface);
  // The surface is gone (destroyed with its parent).
  void ForgetSurface();

 private:
  struct BuiltControl {
    int wxId;          // the id the control really has (labels get automatic ones)
    size_t itemIndex;  // its row in the template
  };
  const DialogTemplate* template_;
  wxWindow* surface_ = nullptr;
  SIZE baseUnits_;
  std::vector<BuiltControl> built_;
};

// The template row any control built from a template was made from, found
// through its parent; null for other windows.
const DialogItem* FindTemplateItem(const wxWindow* control);

// The child of `parent` with program id `id`, or null.
wxWindow* FindChildById(const wxWindow* parent, int id);

// The top-level half: modal run, ending with the program's numbers, Escape,
// Enter and the close box.
template <class Host>
class CTopLevelDialogT : public Host {
 public:
  explicit CTopLevelDialogT(wxWindow* parent);
  CTopLevelDialogT(const CTopLevelDialogT&) = delete;
  CTopLevelDialogT& operator=(const CTopLevelDialogT&) = delete;

  // Makes the window, runs OnInitDialog and shows the dialog modally. Returns
  // the result given to EndDialog, or -1 when the window could not be made.
  virtual int DoModal();
  // Makes the window and runs OnInitDialog without showing it.
  bool Create();
  // Shows the window whole inside the work area of its screen (size, minimum
  // size and position brought onto it first: dialog units can make a
  // template larger than a small screen), or hides it.
  bool Show(bool show = true) override;
  // Ends a modal dialog with `result` (also when called from OnInitDialog).
  void EndDialog(int result);
  // Announces the end and destroys a dialog made by Create; the object is
  // deleted later by wx, so such dialogs live on the heap.
  void DestroyWindow();

  int Result() const { return result_; }
  bool IsWindowCreated() const { return created_; }

 protected:
  // Makes the window and its children (once).
  virtual bool CreateWindowAndChildren() = 0;
  // The child control with program id `id` (for Enter and SendCommand).
  virtual wxWindow* FindCommandControl(int id) const = 0;
  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // The id Enter gives.
  virtual int DefaultCommandId() const { return IDOK; }
  // Sends the command `id` through the message map, as a click would.
  void SendCommand(int id);
  // Creates the host window itself with the program's style bits (kDialog*).
  bool CreateHost(wxWindow* parent, const wxString& caption, uint32_t style);
  wxWindow* Parent() const { return parent_; }
  void MarkCreated() { created_ = true; }
  bool HasEnded() const { return ended_; }

 private:
  void NotifyDestroy();
  void OnOKCommand() { OnOK(); }
  void OnCancelCommand() { OnCancel(); }
  void OnCloseWindow(wxCloseEvent& event);
  void OnCharHook(wxKeyEvent& event);

  static const MapRow<CTopLevelDialogT> kMessageMap[];

  wxWindow* parent_;
  bool created_ = false;
  bool ended_ = false;
  bool destroyNotified_ = false;
  int result_ = -1;
  wxGUIEventLoop* frameLoop_ = nullptr;
};

// A top-level window built from its own template.
template <class Host>
class CDialogT : public CTopLevelDialogT<Host>, public CTemplateHost {
 public:
  CDialogT(const DialogTemplate& tmpl, wxWindow* parent);

 protected:
  // Fills the controls from the members.
  bool OnInitDialog() override;
  // Reads and checks the members; ends with IDOK only when they pass.
  void OnOK() override;
  int DefaultCommandId() const override;
  // Keeps Surface() filling a frame's client area (nothing for a dialog).
  void FitSurface();
  bool CreateWindowAndChildren() override;
  wxWindow* FindCommandControl(int id) const override { return GetDlgItem(id); }

 private:
  void OnFrameSize(wxSizeEvent& event);

  static const MapRow<CDialogT> kMessageMap[];
};

using CDialog = CDialogT<wxDialog>;
using CFrameDialog = CDialogT<wxFrame>;

extern template class CTopLevelDialogT<wxDialog>;
extern template class CTopLevelDialogT<wxFrame>;
extern template class CDialogT<wxDialog>;
extern template class CDialogT<wxFrame>;

}  // namespace ui
