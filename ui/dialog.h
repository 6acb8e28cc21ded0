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
#pragma once

#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/frame.h>

#include "ui/core/dialog_table.h"
#include "ui/core/win_types.h"
#include "ui/dialog_template.h"
#include "ui/message_map.h"

namespace ui {

template <class Host>
class CDialogT : public Host {
 public:
  CDialogT(const DialogTemplate& tmpl, wxWindow* parent);
  CDialogT(const CDialogT&) = delete;
  CDialogT& operator=(const CDialogT&) = delete;

  // Makes the window, runs OnInitDialog and shows the dialog modally. Returns
  // the result given to EndDialog, or -1 when the window could not be made.
  virtual int DoModal();
  // Makes the window and runs OnInitDialog without showing it.
  bool Create();
  // Ends a modal dialog with `result` (also when called from OnInitDialog).
  void EndDialog(int result);
  // Announces the end and destroys a dialog made by Create; the object is
  // deleted later by wx, so such dialogs live on the heap.
  void DestroyWindow();

  // The control with program id `id`, or null.
  wxWindow* GetDlgItem(int id) const;
  template <class C>
  C* GetDlgItemAs(int id) const {
    return dynamic_cast<C*>(GetDlgItem(id));
  }
  // The window the template's controls are children of.
  wxWindow* Surface() const { return surface_; }
  const DialogTemplate& Template() const { return *template_; }
  SIZE BaseUnits() const { return baseUnits_; }
  int Result() const { return result_; }
  bool IsWindowCreated() const { return created_; }

 protected:
  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Lets a dialog make its own class for a template control; null: the standard one.
  virtual wxWindow* CreateControl(wxWindow* /*parent*/, const DialogItem& /*item*/, int /*wxId*/,
                                  const wxRect& /*rect*/) {
    return nullptr;
  }
  // The id Enter gives: the template's default button, else IDOK.
  int DefaultCommandId() const;
  // Sends the command `id` through the message map, as a click would.
  void SendCommand(int id);
  // Keeps Surface() filling a frame's client area (nothing for a dialog).
  void FitSurface();

 private:
  bool CreateWindowAndControls();
  void NotifyDestroy();
  void OnOKCommand() { OnOK(); }
  void OnCancelCommand() { OnCancel(); }
  void OnCloseWindow(wxCloseEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnFrameSize(wxSizeEvent& event);

  static const MapRow<CDialogT> kMessageMap[];

  const DialogTemplate* template_;
  wxWindow* parent_;
  wxWindow* surface_ = nullptr;
  SIZE baseUnits_;
  bool created_ = false;
  bool ended_ = false;
  bool destroyNotified_ = false;
  int result_ = -1;
  wxGUIEventLoop* frameLoop_ = nullptr;
};

using CDialog = CDialogT<wxDialog>;
using CFrameDialog = CDialogT<wxFrame>;

extern template class CDialogT<wxDialog>;
extern template class CDialogT<wxFrame>;

}  // namespace ui
