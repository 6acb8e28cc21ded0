// The main window as the window-free core sees it (MainWindowPort), and the
// program's one message-box service.
//
// Calls from any thread are queued to the GUI thread through the main
// window's mailbox, in the order they were made, and never wait; once the
// window has gone they are dropped. The event log's listener takes the same
// road, so the status bar and the log window follow the log from any thread.
#pragma once

#include <wx/statusbr.h>
#include <wx/window.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/event_log.h"
#include "app/main_window_port.h"
#include "ui/core/win_types.h"
#include "ui/ui_message.h"

class CQuarnoCDRipperDlg;
struct XMessageBoxParams;

// The message that carries a queued call to the main window.
inline constexpr unsigned WM_MAIN_WINDOW_CALL = WM_USER + 120;
using MainWindowCall = std::function<void(CQuarnoCDRipperDlg&)>;

// The product's name as a person reads it: the title of message boxes that
// have none of their own (the program file's name is lower-case with hyphens).
inline constexpr const char* kProductName = "Quarno CD Ripper";

// Set once the session ends (SIGTERM, SIGHUP): from then on no message box
// is shown, since nobody is there to answer it; each is answered Cancel.
extern std::atomic<bool> SessionEnding;

// Shows a modal message box owned by `owner` (the caption defaults to the
// product's name) and returns the button pressed. GUI thread only.
int ShowMessageBox(wxWindow* owner, const std::string& text, const std::string& caption = "",
                   uint32_t style = MB_OK);
// The custom message box with its parameter block (custom buttons, the
// "don't ask again" box): returns the whole result, the button's id plus the
// check box's bit. Answered by the responder too, which then gets the same
// text, caption and style.
int ShowCustomMessageBox(wxWindow* owner, const std::string& text, const std::string& caption, uint32_t style,
                         const XMessageBoxParams& params);
// Replaces the boxes by `responder` (tests), or restores them (null).
using MessageBoxResponder =
    std::function<int(const std::string& text, const std::string& caption, uint32_t style)>;
void SetMessageBoxResponder(MessageBoxResponder responder);

// The main window's status bar: a pane's text that is wider than the pane is
// shown ellipsised (ui/core/text_fit.h: a path loses its middle and keeps its
// file name, other texts their end), refitted whenever the pane's width
// changes. GetStatusText still gives the whole text.
class CFittingStatusBar : public wxStatusBar {
 public:
  using wxStatusBar::wxStatusBar;
  // What pane `pane` shows at its present width.
  wxString ShownText(int pane) const;

 protected:
  void DrawFieldText(wxDC& dc, const wxRect& rect, int pane, int textHeight) override;
};

class CGuiPort : public MainWindowPort, public ILogListener {
 public:
  CGuiPort(CQuarnoCDRipperDlg& window, std::shared_ptr<ui::Mailbox> mailbox);

  void AddLog(const std::string& text, int level) override;
  void SetStatusText(int kind, const std::string& text) override;
  void SetIdle(bool idle) override;
  void ClearTrackList() override;
  void EnableTrackList() override;
  void FillTrackList(const DiscSnapshot& disc) override;
  void SetPlayTimeText(const std::string& text) override;
  int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) override;

  // The event log's listener: the new entry goes to the status bar and the
  // log window.
  void OnLogEntryAdded(const CLogItem& item) override;

  // Queues `call` to the window; false when the window has gone.
  bool Queue(MainWindowCall call);

 private:
  CQuarnoCDRipperDlg& window_;
  std::shared_ptr<ui::Mailbox> mailbox_;
};
