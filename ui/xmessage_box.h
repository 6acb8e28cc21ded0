// The custom message box: a modal box built at run time from the text, the
// type word and an optional parameter block, through the same template
// builder as every dialog.
//
//   XMessageBoxParams params;
//   params.customButtons = "Play the Track\nRip the Track\nCancel\n";
//   const int r = XMessageBox(owner, "Which Action Do You Wish to Perform?", "Choose Your Action",
//                             MB_DONOTASKAGAIN | MB_NORESOURCE | MB_ICONEXCLAMATION, &params);
//   // r & 0xFFFF: IDCUSTOM1 + n for custom button n, or IDOK, IDCANCEL, IDYES, ...
//   // r & MB_DONOTASKAGAIN: the check box was ticked; r & MB_TIMEOUT: the time-out pressed it
//
// Beyond the standard button sets it offers up to four custom buttons, Yes
// and No to All, a Report button, a "Don't ask me again" check box whose
// answer can be remembered in the profile (params.valueNameSource names it),
// a time-out that counts down on the default button, buttons disabled for
// some seconds, and Ctrl+C to copy the whole box as text.
//
// MB_HELP adds a Help button that opens the program's help page
// (ui/help_page.h), if it has one, and leaves the box open.
//
// Not on this platform: a system-modal box (the box is modal to the program;
// MB_SYSTEMMODAL keeps it above other windows) and help context ids (the
// help page opens at its start). Icons come from the toolkit's art provider:
// params.iconName is an art or theme icon name.
#pragma once

#include <wx/timer.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/core/xdialog_template.h"
#include "ui/dialog.h"

// Shows the box and returns the pressed button's id, plus the check box's bit
// when it was ticked, plus MB_TIMEOUT when the time-out pressed the default
// button; -1 when the box could not be made. An empty caption shows "Error".
// A remembered answer for the box is returned without showing it.
int XMessageBox(wxWindow* owner, const std::string& text, const std::string& caption,
                uint32_t type = MB_OK | MB_ICONEXCLAMATION, const XMessageBoxParams* params = nullptr);
// The same with text and caption as string resource ids, looked up through
// params->loadString (a caption id of 0 shows "Error").
int XMessageBox(wxWindow* owner, int textId, int captionId, uint32_t type, const XMessageBoxParams* params);

// Measures with the toolkit's dialog font.
class WxXmbMetrics : public IXmbMetrics {
 public:
  explicit WxXmbMetrics(const wxWindow* reference);
  SIZE BaseUnits() const override;
  int TextWidth(std::string_view text) const override;
  int LineHeight() const override;
  SIZE ScreenSize() const override;
  SIZE IconSize() const override;
  int ButtonExtra() const override;
  int CheckBoxExtra() const override;

 private:
  const wxWindow* reference_;
  wxFont font_;
};

namespace ui {
// The box's template, built before the dialog base that shows it.
struct XmbTemplateStorage {
  explicit XmbTemplateStorage(std::unique_ptr<CXDialogTemplate> boxModel);
  std::unique_ptr<CXDialogTemplate> model;
  std::vector<DialogItem> items;
  DialogTemplate tmpl;
};
}  // namespace ui

// The box's window. XMessageBox makes and runs one; tests may too.
class CXMessageDialog : private ui::XmbTemplateStorage, public ui::CDialog {
 public:
  static constexpr const char* kWindowName = "XMessageBox";

  CXMessageDialog(wxWindow* owner, std::unique_ptr<CXDialogTemplate> model);

  const CXDialogTemplate& Model() const { return *model; }
  // Timer 1 counts the time-out down, timer 2 the disabled seconds.
  static constexpr int kTimeoutTimer = 1;
  static constexpr int kDisabledTimer = 2;
  void OnTimer(unsigned timerId);
  bool IsTimerRunning(int timerId) const;
  // Puts the box on the clipboard as text (the Ctrl+C key).
  void CopyToClipboard();

 protected:
  bool OnInitDialog() override;

 private:
  void OnButton(wxCommandEvent& event);
  void OnMouseDown(wxMouseEvent& event);
  void OnKey(wxKeyEvent& event);
  void OnPaintBox(wxPaintEvent& event);
  void Apply(const CXDialogTemplate::Reaction& reaction);
  void EnableButtons(bool enable);
  bool CheckBoxTicked() const;
  void SetIcon();

  static const ui::MapRow<CXMessageDialog> kMessageMap[];

  wxTimer timeoutTimer_{this, kTimeoutTimer};
  wxTimer disabledTimer_{this, kDisabledTimer};
};
