// The main window: its message map, the status bar and busy switch, the disc
// commands and the exit sequence's window part.
#include "app/gui/quarno_cd_ripper_dlg.h"

#include <portaudio.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/menu.h>

#include "app/drives.h"
#include "app/gui/exit_signals.h"
#include "app/gui/freedb_choice.h"
#include "app/gui/log_dlg.h"
#include "app/gui/main_menus.h"
#include "app/gui/ripping_progress_dlg.h"
#include "app/main_commands.h"
#include "app/settings.h"
#include "platform/desktop_open.h"
#include "platform/folders.h"
#include "res/main_dialog.h"
#include "rip/ripping_progress.h"
#include "ui/help_page.h"
#include "ui/modal_registry.h"

CQuarnoCDRipperDlg* MainDialog = nullptr;
std::atomic<int> SoundAvailable{1};
SectorBuffer* PlayerSectorBuffer = nullptr;
std::time_t StartTime = 0;
std::atomic<bool> MainWindowMarked{false};

namespace {

// The prefix of a pane's text and of its tip, by status kind.
struct PaneText {
  const char* textPrefix;
  const char* tipPrefix;
};
constexpr PaneText kPaneTexts[] = {
    {"  ", "Last Event: "},
    {" ", "Disc Media State: "},
    {"  ", "Output Audio Format: "},
};

}  // namespace

const ui::MapRow<CQuarnoCDRipperDlg> CQuarnoCDRipperDlg::kMessageMap[] = {
    // The system menu gets no About item here, and a minimised window is
    // drawn by the desktop: no system-command, paint or drag-icon rows.
    ui::OnCommand(res::ID_FILE_EXIT, &CQuarnoCDRipperDlg::OnExit),
    ui::OnCbnSelChange(res::IDC_DRIVE_COMBO, &CQuarnoCDRipperDlg::OnDriveSelChange),
    ui::OnCommand(res::ID_FILE_VIEWLOG, &CQuarnoCDRipperDlg::OnViewLog),
    // Menus and controls are brought up to date by update events (below) at
    // idle time and when a menu opens; mouse moves need nothing.
    ui::OnCommand(res::ID_EDIT_CHECKALL, &CQuarnoCDRipperDlg::OnCheckAll),
    ui::OnCommand(res::ID_EDIT_UNCHECKALL, &CQuarnoCDRipperDlg::OnUncheckAll),
    ui::OnCommand(res::ID_EDIT_REVERSECHECK, &CQuarnoCDRipperDlg::OnReverseCheck),
    ui::OnCommand(res::ID_PLAY_PAUSE, &CQuarnoCDRipperDlg::OnPause),
    ui::OnCommand(res::ID_PLAY_PLAY, &CQuarnoCDRipperDlg::OnPlay),
    ui::OnCommand(res::ID_PLAY_PREVIOUS, &CQuarnoCDRipperDlg::OnPrevious),
    ui::OnCommand(res::ID_PLAY_STOP, &CQuarnoCDRipperDlg::OnStop),
    ui::OnCommand(res::ID_PLAY_NEXT, &CQuarnoCDRipperDlg::OnNext),
    ui::OnEvent(wxEVT_LIST_ITEM_CHECKED, res::IDC_TRACK_LIST, &CQuarnoCDRipperDlg::OnTrackListChecked),
    ui::OnEvent(wxEVT_LIST_ITEM_UNCHECKED, res::IDC_TRACK_LIST, &CQuarnoCDRipperDlg::OnTrackListUnchecked),
    ui::OnCommand(res::ID_PLAY_CLOSETRAY, &CQuarnoCDRipperDlg::OnCloseTray),
    ui::OnCommand(res::ID_PLAY_EJECT, &CQuarnoCDRipperDlg::OnEject),
    ui::OnCommand(res::ID_PLAY_REFRESH, &CQuarnoCDRipperDlg::OnRefresh),
    ui::OnCommand(res::ID_PLAY_FIRST, &CQuarnoCDRipperDlg::OnFirst),
    ui::OnCommand(res::ID_PLAY_LAST, &CQuarnoCDRipperDlg::OnLast),
    ui::OnEvent(wxEVT_SLIDER, res::IDC_SEEK_SLIDER, &CQuarnoCDRipperDlg::OnSeekSlider),
    ui::OnEvent(wxEVT_SLIDER, res::IDC_VOLUME_SLIDER, &CQuarnoCDRipperDlg::OnVolumeSlider),
    ui::OnCommand(res::ID_OPERATION_RIP, &CQuarnoCDRipperDlg::OnRip),
    ui::OnCommand(res::ID_OPERATION_RIPCURRENT, &CQuarnoCDRipperDlg::OnRipCurrent),
    ui::OnCommand(res::ID_OPERATION_OPTIONS, &CQuarnoCDRipperDlg::OnOptions),
    ui::OnWmClose(&CQuarnoCDRipperDlg::OnClose),
    // The window's mark for a second copy is set by OnInitDialog.
    ui::OnWmDestroy(&CQuarnoCDRipperDlg::OnDestroy),
    ui::OnEvent(wxEVT_LIST_ITEM_RIGHT_CLICK, res::IDC_TRACK_LIST, &CQuarnoCDRipperDlg::OnTrackListRClick),
    ui::OnCommand(res::ID_LIST_PLAYCURRENT, &CQuarnoCDRipperDlg::OnPlayCurrent),
    ui::OnCommand(res::ID_FORMAT_MP3, &CQuarnoCDRipperDlg::OnFormatMp3),
    ui::OnCommand(res::ID_HELP_CONTENTS, &CQuarnoCDRipperDlg::OnHelpContents),
    ui::OnCommand(res::ID_HELP_EMAILSUPPORT, &CQuarnoCDRipperDlg::OnEmailSupport),
    // The double-click is taken from the mouse (main_track_list.cpp), so
    // that Enter never plays or rips.
    ui::OnCommand(res::ID_HELP_TIPOFTHEDAY, &CQuarnoCDRipperDlg::OnTipOfTheDay),
    ui::OnCommand(res::ID_HELP_ONLINESUPPORT, &CQuarnoCDRipperDlg::OnOnlineSupport),
    ui::OnCommand(res::ID_EDIT_CDINFO, &CQuarnoCDRipperDlg::OnEditCDInfo),
    ui::OnWmTimer(&CQuarnoCDRipperDlg::OnTimer),
    ui::OnCommand(res::ID_FORMAT_WAV, &CQuarnoCDRipperDlg::OnFormatWav),
    ui::OnEvent(wxEVT_UPDATE_UI, res::ID_FORMAT_WAV, &CQuarnoCDRipperDlg::OnUpdateWav),
    ui::OnEvent(wxEVT_UPDATE_UI, res::ID_FORMAT_MP3, &CQuarnoCDRipperDlg::OnUpdateMp3),
    // The end of a session arrives as a signal (exit_signals.h).
    ui::OnCommandRange(res::ID_DRIVE_FIRST, res::ID_DRIVE_LAST, &CQuarnoCDRipperDlg::OnDriveMenu),
    ui::OnEvent(wxEVT_UPDATE_UI, res::IDC_SEEK_SLIDER, &CQuarnoCDRipperDlg::OnUpdateSeekSlider),
    ui::OnMessage(WM_CDDB_MULTIPLE_MATCHES, &CQuarnoCDRipperDlg::OnCddbMultipleMatches),
    ui::OnMessage(WM_PLAYBACK_TEXT, &CQuarnoCDRipperDlg::OnPlaybackText),
    ui::OnMessage(WM_PLAYBACK_TIME, &CQuarnoCDRipperDlg::OnPlaybackTime),
    // Tool tips: the toolbar buttons carry their string-table texts, the
    // volume slider its "Volume: %d", set whenever it moves.
    ui::OnWmSize(&CQuarnoCDRipperDlg::OnSize),
    ui::OnCommand(res::ID_HELP_ABOUT, &CQuarnoCDRipperDlg::OnAbout),
    ui::OnCommand(res::ID_HELP_DOWNLOAD, &CQuarnoCDRipperDlg::OnDownload),
    // Media changes come from the media poller; row colours are set on the rows.
    ui::OnCommand(res::ID_FORMAT_BUTTON, &CQuarnoCDRipperDlg::OnFormatButton),
    ui::OnCommand(res::ID_FORMAT_MORE, &CQuarnoCDRipperDlg::OnMoreFormats),
    // Calls queued by the core; edits and column drags the list must refuse.
    ui::OnMessage(WM_MAIN_WINDOW_CALL, &CQuarnoCDRipperDlg::OnMainWindowCall),
    ui::OnEvent(wxEVT_LIST_END_LABEL_EDIT, res::IDC_TRACK_LIST, &CQuarnoCDRipperDlg::OnEndLabelEdit),
    ui::OnEvent(wxEVT_LIST_COL_BEGIN_DRAG, res::IDC_TRACK_LIST, &CQuarnoCDRipperDlg::OnColumnDrag),
};

CQuarnoCDRipperDlg::CQuarnoCDRipperDlg(wxWindow* parent)
    : ui::CResizeFrameDlg(res::kMainDialog, parent), mailbox_(std::make_shared<ui::Mailbox>(this)) {
  port_ = std::make_unique<CGuiPort>(*this, mailbox_);
  playbackNotifications_ = MakePlaybackPoster(mailbox_);
  ui::BindMessageMap(this, kMessageMap);
}

CQuarnoCDRipperDlg::~CQuarnoCDRipperDlg() {
  // Nothing may reach the window once it goes: stop the threads that talk to
  // it (the exit sequence normally did), then close its mailbox.
  player_.reset();
  if (poller_) poller_->Stop();
  if (worker_) worker_->Stop();
  AppEventLog().SetListener(nullptr);
  mailbox_->Detach();
  if (MainDialog == this) MainDialog = nullptr;
  // The log window goes with its parent.
  if (LogWindow != nullptr && LogWindow->GetParent() == this) LogWindow = nullptr;
}

// --- Event log and status bar ------------------------------------------------

void CQuarnoCDRipperDlg::AddLog(const std::string& text, int level) { AppEventLog().AddLog(text, level); }

void CQuarnoCDRipperDlg::OnLogEntryShown(const CLogItem& item) {
  SetStatusText(kStatusLastEvent, LogStatusText(item));
  if (LogWindow != nullptr) LogWindow->AppendLastEntry();
}

void CQuarnoCDRipperDlg::SetStatusText(int kind, const std::string& text) {
  if (kind < kStatusLastEvent || kind > kStatusOutputFormat) return;
  if (!wxIsMainThread()) {
    port_->SetStatusText(kind, text);
    return;
  }
  const PaneText& pane = kPaneTexts[kind - 1];
  statusTips_[static_cast<size_t>(kind - 1)] = pane.tipPrefix + text;
  if (statusBar_ == nullptr) return;
  statusBar_->SetStatusText(wxString::FromUTF8(pane.textPrefix + text), kind - 1);
  statusBar_->Update();
}

void CQuarnoCDRipperDlg::OnSize(unsigned type, int cx, int cy) {
  ui::CResizeFrameDlg::OnSize(type, cx, cy);
  const wxSize client = Surface()->GetClientSize();
  LayoutBars(client.x, client.y);
}

void CQuarnoCDRipperDlg::OnStatusBarMotion(wxMouseEvent& event) {
  event.Skip();
  for (int pane = 0; pane < statusBar_->GetFieldsCount(); ++pane) {
    wxRect rect;
    if (!statusBar_->GetFieldRect(pane, rect) || !rect.Contains(event.GetPosition())) continue;
    const wxString tip = wxString::FromUTF8(statusTips_[static_cast<size_t>(pane)]);
    if (statusBar_->GetToolTipText() != tip) statusBar_->SetToolTip(tip);
    return;
  }
}

// --- Busy switch and track list -------------------------------------------------

wxMenu* CQuarnoCDRipperDlg::DrivesMenu() const {
  wxMenuBar* bar = GetMenuBar();
  if (bar == nullptr || bar->GetMenuCount() == 0) return nullptr;
  wxMenuItem* item = bar->GetMenu(0)->FindItemByPosition(0);
  return item != nullptr ? item->GetSubMenu() : nullptr;
}

void CQuarnoCDRipperDlg::SetIdle(int idle) {
  if (driveCombo_ != nullptr) driveCombo_->Enable(idle != 0);
  if (wxMenu* drives = DrivesMenu()) {
    const int items = static_cast<int>(drives->GetMenuItemCount());
    for (int i = 0; i < driveCount_ && i < items; ++i) drives->FindItemByPosition(i)->Enable(idle != 0);
  }
  // The taskbar progress has no counterpart on this platform.
  if (idle && trackList_ != nullptr) trackList_->Refresh();
}

void CQuarnoCDRipperDlg::ClearTrackList() {
  trackModel_.Clear();
  if (trackList_ != nullptr) trackList_->DeleteAllItems();
  PlayerRowsChanged();
}

void CQuarnoCDRipperDlg::EnableTrackList() {
  if (trackList_ != nullptr) trackList_->Enable();
}

void CQuarnoCDRipperDlg::SetPlayTimeText(const std::string& text) {
  if (timeLabel_ != nullptr) timeLabel_->SetLabel(wxString::FromUTF8(text));
}

void CQuarnoCDRipperDlg::OnEndLabelEdit(wxListEvent& event) {
  // Titles are edited in the album editor; an edit in the list reverts.
  event.Veto();
}

void CQuarnoCDRipperDlg::OnColumnDrag(wxListEvent& event) {
  // Number, type, start, duration and status keep their width.
  const int column = event.GetColumn();
  if (column == 0 || (column >= 2 && column <= 5)) event.Veto();
}

// --- Commands -------------------------------------------------------------------

CLogDlg* CQuarnoCDRipperDlg::MakeLogWindow() {
  if (LogWindow == nullptr) {
    LogWindow = new CLogDlg(this);
    if (!LogWindow->Create()) {
      LogWindow->Destroy();
      LogWindow = nullptr;
    }
  }
  return LogWindow;
}

void CQuarnoCDRipperDlg::OnViewLog() {
  if (MakeLogWindow() == nullptr) return;
  LogWindow->Show();
  LogWindow->Raise();
}

void CQuarnoCDRipperDlg::OnRefresh() {
  if (worker_) ::OnRefresh(*worker_, PlayerStopHook());
}

void CQuarnoCDRipperDlg::OnEject() {
  if (worker_) ::OnEject(*worker_, PlayerStopHook());
}

void CQuarnoCDRipperDlg::OnCloseTray() {
  if (worker_) ::OnCloseTray(*worker_, PlayerStopHook());
}

void CQuarnoCDRipperDlg::OnEditCDInfo() {
  if (Busy.load() != 0) return;
  if (NoDisc.load() != 0) {
    ShowMessageBox(this, "No Disc Found!", "", MB_OK);
  } else if (IsAudioDisc.load() != 0) {
    if (commandWindows_.albumEditor) commandWindows_.albumEditor();
  } else {
    ShowMessageBox(this, "Not an Audio CD!", "", MB_OK);
  }
}

void CQuarnoCDRipperDlg::OnOptions() {
  if (commandWindows_.options) commandWindows_.options();
}

void CQuarnoCDRipperDlg::OnTipOfTheDay() {
  if (commandWindows_.tipOfTheDay) commandWindows_.tipOfTheDay();
}

void CQuarnoCDRipperDlg::OnAbout() {
  if (commandWindows_.about) commandWindows_.about();
}

// The help page and the product's addresses open with the desktop's
// handlers; whether one started is not checked, and nothing is shown when
// there is no help page.
void CQuarnoCDRipperDlg::OnHelpContents() { OpenHelpPage(ProgramFolder + kPathSeparator + "Help.html"); }

void CQuarnoCDRipperDlg::OnDownload() { OpenWithDesktopHandler(kDownloadAddress); }

void CQuarnoCDRipperDlg::OnEmailSupport() { OpenWithDesktopHandler(kSupportMailAddress); }

void CQuarnoCDRipperDlg::OnOnlineSupport() { OpenWithDesktopHandler(kSupportPageAddress); }

void CQuarnoCDRipperDlg::OnMoreFormats() { OpenWithDesktopHandler(kFormatsPageAddress); }

void CQuarnoCDRipperDlg::OnFormatWav() {
  OutputFormat = 1;
  UpdateFormatStatus();
}

void CQuarnoCDRipperDlg::OnFormatMp3() {
  OutputFormat = 2;
  UpdateFormatStatus();
}

void CQuarnoCDRipperDlg::UpdateFormatStatus() {
  const FormatStatus status = FormatStatusText();
  if (status.logBeforeText && !status.logLine.empty()) AddLog(status.logLine, LogInfo);
  if (!status.text.empty()) SetStatusText(kStatusOutputFormat, status.text);
  if (!status.logBeforeText && !status.logLine.empty()) AddLog(status.logLine, LogInfo);
  UpdateFormatButton();
  RefreshDestinations();  // the extension follows the format
}

void CQuarnoCDRipperDlg::OnUpdateWav(wxUpdateUIEvent& event) {
  event.Enable(true);
  event.Check(OutputFormat == 1);
}

void CQuarnoCDRipperDlg::OnUpdateMp3(wxUpdateUIEvent& event) {
  event.Enable(true);
  event.Check(OutputFormat == 2);
}

void CQuarnoCDRipperDlg::CheckDriveItem(int index) {
  wxMenuBar* bar = GetMenuBar();
  if (bar == nullptr || index < 0 || index >= driveCount_) return;
  if (wxMenuItem* item = bar->FindItem(ui::WxId(res::ID_DRIVE_FIRST + index))) item->Check(true);
}

void CQuarnoCDRipperDlg::StopPlayerForDriveChange() {
  StopPlayback();
  CurrentItem = 0;
  if (player_) player_->SetCurrentItem(0);
}

void CQuarnoCDRipperDlg::OnDriveSelChange() {
  StopPlayerForDriveChange();
  const int index = driveCombo_->GetSelection();
  CheckDriveItem(index);
  if (worker_) SelectDrive(*port_, *worker_, index, 0);
}

void CQuarnoCDRipperDlg::OnDriveMenu(unsigned command) {
  StopPlayerForDriveChange();
  const int index = DriveIndexOfCommand(command);
  CheckDriveItem(index);
  if (driveCombo_ != nullptr) driveCombo_->SetSelection(index);
  if (worker_) SelectDrive(*port_, *worker_, index, 0);
}

ui::LRESULT CQuarnoCDRipperDlg::OnMainWindowCall(ui::UiMessageEvent& event) {
  if (const auto* call = event.Payload<MainWindowCall>()) (*call)(*this);
  return 0;
}

// --- Timers, close, exit -------------------------------------------------------

void CQuarnoCDRipperDlg::OnTimer(unsigned timerId) {
  if (timerId == kSignalTimer) {
    if (TakeExitSignal()) {
      OnSessionEnd();
    } else if (sessionEndWait_ > 0 && (NothingOpenToEnd() || --sessionEndWait_ == 0)) {
      sessionEndWait_ = 0;
      RunExitSequence(true);
    }
    return;
  }
  // One shot: the tip of the day, once per run, unless the settings say no.
  // It waits while another modal window is open (a message box, the match
  // chooser), which it would otherwise cover.
  tipTimer_.Stop();
  if (!ui::OpenModalDialogs().empty()) {
    tipTimer_.StartOnce(kTipDelayMs);
    return;
  }
  if (TipOfTheDayDue(SettingsFilePath())) OnTipOfTheDay();
}

bool CQuarnoCDRipperDlg::NothingOpenToEnd() {
  return ui::OpenModalDialogs().empty() && !mainmenu::PopupMenuOpen();
}

void CQuarnoCDRipperDlg::OnClose() { OnExit(); }

void CQuarnoCDRipperDlg::OnExit() { RunExitSequence(false); }

void CQuarnoCDRipperDlg::OnSessionEnd() {
  SessionEnding = true;
  // An open pop-up menu's loop keeps the window's loop from ending: the menu
  // closes, and what is picked as it closes starts nothing.
  mainmenu::ClosePopupMenus();
  // Nobody is left to answer a dialog: none opens from here on, and those
  // still open (any kind, nested or not) are answered Cancel, so that their
  // callers, and with them the program, can end.
  ui::RefuseModalDialogs(true);
  // A rip stops first, as its Cancel's Yes stops it: its threads are joined
  // and the file being written is closed whole, shorter.
  for (wxDialog* dialog : ui::OpenModalDialogs())
    if (auto* rip = dynamic_cast<CRippingProgressDlg*>(dialog)) rip->CancelForSessionEnd();
  // So do the other threads, before their dialogs end: a refresh waiting
  // for the match chooser is cut short rather than handed a choice nobody
  // made, and takes no album.
  StopPlayback();
  if (poller_) poller_->Stop();
  if (worker_) worker_->Stop();
  if (NothingOpenToEnd()) {
    RunExitSequence(true);
    return;
  }
  // The dialogs and menus end first, so that their callers have finished (a
  // rip window saved its placement, a lookup wrote its lines) before the exit
  // sequence runs; the signal timer starts it once the last one has returned,
  // or after a bound if one will not end.
  sessionEndWait_ = kSessionEndWaitTicks;
  ui::EndOpenModalDialogs();
}

void CQuarnoCDRipperDlg::RunExitSequence(bool sessionEnd) {
  ExitContext context;
  context.port = port_.get();
  context.poller = poller_.get();
  context.worker = worker_.get();
  context.stopPlayer = PlayerStopHook();
  context.releasePlayer = [] {
    FreeSectorBuffer(PlayerSectorBuffer);
    PlayerSectorBuffer = nullptr;
  };
  if (ExitSequence(context, sessionEnd) != ExitResult::Finished) return;
  FinishExit();
}

void CQuarnoCDRipperDlg::FinishExit() {
  // No taskbar progress to release on this platform.
  if (SoundAvailable.load() != 0) Pa_Terminate();
  RipReadRing.reset();
  RipConvertRing.reset();
  if (placementWindow_) mainPlacement_.Save(*placementWindow_, kMainWindowPlacementEntry, kPlacementSection);
  if (LogWindow != nullptr) {
    LogWindow->DestroyWindow();
    LogWindow = nullptr;
  }
  signalTimer_.Stop();
  tipTimer_.Stop();
  exitCode_ = 0;
  EndDialog(IDOK);
}

void CQuarnoCDRipperDlg::OnDestroy() {
  MainWindowMarked = false;
  AppEventLog().SetListener(nullptr);
}
