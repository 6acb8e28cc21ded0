// The main window's port for the core, and the message-box service.
#include "app/gui/gui_port.h"

#include <wx/dc.h>
#include <wx/dcclient.h>

#include <mutex>

#include "app/gui/quarno_cd_ripper_dlg.h"
#include "ui/core/text_fit.h"
#include "ui/xmessage_box.h"

namespace {

std::mutex g_responderMutex;
MessageBoxResponder g_responder;

}  // namespace

std::atomic<bool> SessionEnding{false};

int ShowMessageBox(wxWindow* owner, const std::string& text, const std::string& caption, uint32_t style) {
  if (SessionEnding.load()) return IDCANCEL;
  MessageBoxResponder responder;
  {
    std::lock_guard lock(g_responderMutex);
    responder = g_responder;
  }
  const std::string title = caption.empty() ? std::string(kProductName) : caption;
  if (responder) return responder(text, title, style);
  const int result = XMessageBox(owner, text, title, style);
  return result < 0 ? result : result & 0xFFFF;  // the button, without the check box's bits
}

int ShowCustomMessageBox(wxWindow* owner, const std::string& text, const std::string& caption, uint32_t style,
                         const XMessageBoxParams& params) {
  if (SessionEnding.load()) return IDCANCEL;
  MessageBoxResponder responder;
  {
    std::lock_guard lock(g_responderMutex);
    responder = g_responder;
  }
  if (responder) return responder(text, caption, style);
  return XMessageBox(owner, text, caption, style, &params);
}

void SetMessageBoxResponder(MessageBoxResponder responder) {
  std::lock_guard lock(g_responderMutex);
  g_responder = std::move(responder);
}

namespace {
constexpr int kPaneTextMargin = 2;  // the status bar's own, left and right of a pane's text
}

wxString CFittingStatusBar::ShownText(int pane) const {
  const wxString text = GetStatusText(pane);
  wxRect rect;
  if (text.empty() || !GetFieldRect(pane, rect)) return text;
  int room = rect.width - 2 * kPaneTextMargin;
  if (pane == GetFieldsCount() - 1 && ShowsSizeGrip()) room -= GetSizeGripRect().width;
  const auto width = [this](std::string_view s) {
    return GetTextExtent(wxString::FromUTF8(s.data(), s.size())).x;
  };
  return wxString::FromUTF8(FitTextToWidth(text.utf8_string(), room, width));
}

void CFittingStatusBar::DrawFieldText(wxDC& dc, const wxRect& rect, int pane, int textHeight) {
  const wxString shown = ShownText(pane);
  if (shown.empty()) return;
  wxDCClipper clip(dc, rect);
  dc.DrawText(shown, rect.x + kPaneTextMargin, rect.y + (rect.height - textHeight) / 2);
}

CGuiPort::CGuiPort(CQuarnoCDRipperDlg& window, std::shared_ptr<ui::Mailbox> mailbox)
    : window_(window), mailbox_(std::move(mailbox)) {}

bool CGuiPort::Queue(MainWindowCall call) {
  return mailbox_->Post(WM_MAIN_WINDOW_CALL, 0, 0, std::move(call));
}

void CGuiPort::AddLog(const std::string& text, int level) { AppEventLog().AddLog(text, level); }

void CGuiPort::SetStatusText(int kind, const std::string& text) {
  Queue([kind, text](CQuarnoCDRipperDlg& w) { w.SetStatusText(kind, text); });
}

void CGuiPort::SetIdle(bool idle) {
  Queue([idle](CQuarnoCDRipperDlg& w) { w.SetIdle(idle ? 1 : 0); });
}

void CGuiPort::ClearTrackList() {
  Queue([](CQuarnoCDRipperDlg& w) { w.ClearTrackList(); });
}

void CGuiPort::EnableTrackList() {
  Queue([](CQuarnoCDRipperDlg& w) { w.EnableTrackList(); });
}

void CGuiPort::FillTrackList(const DiscSnapshot& disc) {
  Queue([disc](CQuarnoCDRipperDlg& w) { w.FillTrackList(disc); });
}

void CGuiPort::SetPlayTimeText(const std::string& text) {
  Queue([text](CQuarnoCDRipperDlg& w) { w.SetPlayTimeText(text); });
}

int CGuiPort::ShowMessage(const std::string& text, const std::string& caption, uint32_t style) {
  return ShowMessageBox(&window_, text, caption, style);
}

void CGuiPort::OnLogEntryAdded(const CLogItem& item) {
  Queue([item](CQuarnoCDRipperDlg& w) { w.OnLogEntryShown(item); });
}
