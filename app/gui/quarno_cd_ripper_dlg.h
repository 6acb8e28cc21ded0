// The main window: the program's only top-level window, a resizable window
// with a menu bar, the main toolbar across the top, the drive selector, the
// player controls with their own toolbar, the track list and a status bar of
// three panes. It is run modally by the application object; its start-up
// (OnInitDialog) brings up the whole program and its exit sequence ends it.
//
// The window is a frame (a dialog cannot hold a menu bar) with the dialog
// toolkit's template, anchors and message map. The disc worker and the media
// poller reach it only through its port (gui_port.h), queued to the GUI
// thread.
#pragma once

#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/toolbar.h>

#include <array>
#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "app/disc_worker.h"
#include "app/main_commands.h"
#include "app/gui/gui_port.h"
#include "app/media_poller.h"
#include "app/player_commands.h"
#include "app/track_list_model.h"
#include "platform/sound_output.h"
#include "ui/resize_dlg.h"
#include "ui/window_placement_store.h"

struct SectorBuffer;
class CQuarnoCDRipperDlg;
class CLogDlg;

// Process-wide values of the main window.
extern CQuarnoCDRipperDlg* MainDialog;    // the main window while it exists
extern std::atomic<int> SoundAvailable;   // 0 when no usable output device was found
extern SectorBuffer* PlayerSectorBuffer;  // the player reader's 27-sector buffer
extern std::time_t StartTime;             // when the program started
// The system-version tests of the start-up: this platform takes the newer
// look and has no taskbar progress.
inline constexpr int IsVistaOrLater = 1;
inline constexpr int IsWin7OrLater = 0;
// Set while the main window exists (the mark a second copy looks for).
extern std::atomic<bool> MainWindowMarked;

// The window's IPlaybackNotifications: each call queued to `mailbox`
// (main_player.cpp).
std::unique_ptr<IPlaybackNotifications> MakePlaybackPoster(std::shared_ptr<ui::Mailbox> mailbox);

class CQuarnoCDRipperDlg : public ui::CResizeFrameDlg {
 public:
  explicit CQuarnoCDRipperDlg(wxWindow* parent = nullptr);
  ~CQuarnoCDRipperDlg() override;

  // The event log: numbered, time-stamped, shown in status pane 0 and the log
  // window, appended to the log file while WriteLog is set. Any thread.
  void AddLog(const std::string& text, int level);
  // Pane kind - 1 of the status bar with its tip (kStatusLastEvent,
  // kStatusDiscMedia, kStatusOutputFormat); other kinds do nothing. Any
  // thread (queued when not called on the GUI thread).
  void SetStatusText(int kind, const std::string& text);
  // The window's half of the busy switch (GUI thread).
  void SetIdle(int idle);
  void UpdateFormatButton();
  void UpdateFormatStatus();

  // What the disc worker has the window do with the track list (GUI thread).
  void ClearTrackList();
  void EnableTrackList();
  void FillTrackList(const DiscSnapshot& disc);
  void SetPlayTimeText(const std::string& text);

  // The track list (main_track_list.cpp). The rows live in the model; the
  // list control shows them.
  const TrackListModel& TrackModel() const { return trackModel_; }
  // Rewrites the Destination column from the current settings and album.
  void RefreshDestinations();
  // Makes the first checked row after `from` (-1: from the top) current,
  // selected and focused, unless `testOnly`; false when there is none.
  bool FindNextChecked(int from, bool testOnly);
  // The same for the last checked row before `from` (the row count: from the
  // bottom); 1 when there is one, else 0.
  int FindPreviousChecked(int from, int testOnly);
  // Makes the selected row current (selected, focused, visible) when it is an
  // audio track and returns 1; else says why ("No Audio Track Selected!",
  // "Not an Audio Track!") and returns 0.
  int UseSelectedTrack();
  // Makes `row` the current row: selected, focused and scrolled into view,
  // with the focus in the list.
  void MakeCurrentRow(int row);
  // The selected row, or -1.
  int SelectedTrackRow() const;
  void OnCheckAll();
  void OnUncheckAll();
  void OnReverseCheck();
  void OnRip();
  void OnRipCurrent();
  // What a double-click on `row` does, by the DbClk setting.
  void OnTrackListDoubleClick(int row);
  // A new log entry reached the GUI thread.
  void OnLogEntryShown(const CLogItem& item);

  // The player the transport commands go to (null: they do nothing), and
  // the notifications it sends back to the window.
  void SetPlayer(std::unique_ptr<IPlayerCommands> player);
  IPlayerCommands* Player() const { return player_.get(); }
  IPlaybackNotifications& PlaybackNotifications() { return *playbackNotifications_; }
  // The player engine on this window's track list, playing through `output`
  // (the program's is the default sound device) when the start-up sound
  // check passed.
  std::unique_ptr<IPlayerCommands> MakeEnginePlayer(std::unique_ptr<SoundOutput> output);
  // Whether a playback runs.
  bool IsPlaying() const;
  // The media poller saw the disc come (arrival) or go: playback ends, then
  // the disc is refreshed (GUI thread).
  void OnMediaChange(bool arrival);
  // Ends a running playback and waits for it (before a rip, a refresh, a
  // tray command, a drive change and the exit).
  void StopPlayback();

  // The windows of other parts of the program that commands open, each run
  // modally by its function; a command whose window is not set does nothing.
  struct CommandWindows {
    std::function<void()> about;        // About
    std::function<void()> tipOfTheDay;  // Tip of the Day, the start-up tip
    std::function<void()> albumEditor;  // Edit CD Info
    std::function<void()> options;      // Options
  };
  void SetCommandWindows(CommandWindows windows) { commandWindows_ = std::move(windows); }

  // Commands.
  void OnExit();
  void OnViewLog();
  // The log window, made (hidden) when it does not exist yet; null when it
  // cannot be made.
  CLogDlg* MakeLogWindow();
  void OnEditCDInfo();
  void OnOptions();
  void OnHelpContents();
  void OnTipOfTheDay();
  void OnAbout();
  void OnDownload();
  void OnEmailSupport();
  void OnOnlineSupport();
  void OnMoreFormats();
  // Player commands (main_player.cpp).
  void OnPlay();
  void OnPlayCurrent();
  void OnPause();
  void OnStop();
  void OnPrevious();
  void OnNext();
  void OnFirst();
  void OnLast();
  void OnRefresh();
  void OnEject();
  void OnCloseTray();
  void OnFormatButton();
  void OnFormatWav();
  void OnFormatMp3();
  void OnDriveSelChange();
  void OnDriveMenu(unsigned command);
  // The session ends (SIGTERM, SIGINT, SIGHUP, the desktop's log-out): an
  // open pop-up menu closes, a rip is cancelled, every open dialog is ended
  // as cancelled, then the exit sequence runs, even while a refresh runs.
  void OnSessionEnd();

  // 0 after the exit sequence, 1 after the no-drive end; -1 while running.
  int ProcessExitCode() const { return exitCode_; }

  // Controls, for the port and for tests.
  wxStatusBar* StatusBar() const { return statusBar_; }
  wxToolBar* MainToolBar() const { return mainToolBar_; }
  wxWindow* ToolBarBand() const { return toolBarBand_; }
  wxToolBar* PlayerToolBar() const { return playerToolBar_; }
  wxChoice* DriveCombo() const { return driveCombo_; }
  wxListCtrl* TrackList() const { return trackList_; }
  wxStaticText* TimeLabel() const { return timeLabel_; }
  wxSlider* SeekSlider() const { return seekSlider_; }
  wxSlider* VolumeSlider() const { return volumeSlider_; }
  wxMenu* DrivesMenu() const;
  const std::string& StatusTip(int pane) const { return statusTips_.at(static_cast<size_t>(pane)); }
  MainWindowPort& Port() { return *port_; }
  // The image the Format button shows (res::MainToolImage).
  int FormatButtonImage() const { return formatButtonImage_; }
  DiscWorker* Worker() { return worker_.get(); }

  // The current row, which the player's row changes move. Whether a track
  // plays, is paused or seeks is the player's to know.
  int CurrentItem = 0;

  // Timers: the one-shot tip timer and the poll for end-of-session signals.
  static constexpr int kTipTimer = 1;
  static constexpr int kSignalTimer = 2;
  static constexpr int kTipDelayMs = 1000;
  static constexpr int kSignalPollMs = 200;
  // Signal-timer ticks the exit sequence waits for the open dialogs and menus to end.
  static constexpr int kSessionEndWaitTicks = 10;

 protected:
  bool OnInitDialog() override;
  // Enter and Escape do nothing in the main window.
  void OnOK() override {}
  void OnCancel() override {}

 private:
  // Start-up (main_startup.cpp).
  bool CreateBars();
  void StartFolders();
  void StartSettingsAndLog();
  bool StartDrives();
  void CheckSoundDevice();
  void SetUpTrackList();
  void SelectStartDrive(int drivesFound);
  void FitTrackListToWindow();
  // The height the track list needs to show its header and `rows` rows whole
  // (with its frame and the horizontal scroll bar), measured on the list.
  int TrackListHeightForRows(int rows);
  // The window's minimum from its smallest client area, taken again when the
  // window manager's frame around it becomes known (main_toolbars.cpp).
  void SetMinClientArea(const wxSize& client);
  // Bars (main_toolbars.cpp).
  bool CreateStatusBar();
  bool CreateMainToolBar();
  bool CreatePlayerToolBar();
  void PlacePlayerToolBar();
  void LayoutBars(int width, int height);
  void OnStatusBarMotion(wxMouseEvent& event);
  // Handlers.
  void OnSize(unsigned type, int cx, int cy);
  void OnClose();
  void OnDestroy();
  void OnTimer(unsigned timerId);
  ui::LRESULT OnMainWindowCall(ui::UiMessageEvent& event);
  // Several CDDB matches from the disc worker: the user picks one (freedb_choice.cpp).
  ui::LRESULT OnCddbMultipleMatches(ui::UiMessageEvent& event);
  void OnUpdateWav(wxUpdateUIEvent& event);
  void OnUpdateMp3(wxUpdateUIEvent& event);
  void OnUpdateSeekSlider(wxUpdateUIEvent& event);
  // The player's notifications and sliders (main_player.cpp).
  ui::LRESULT OnPlaybackText(ui::UiMessageEvent& event);
  ui::LRESULT OnPlaybackTime(ui::UiMessageEvent& event);
  void OnSeekSlider(wxCommandEvent& event);
  void OnVolumeSlider(wxCommandEvent& event);
  void SetStatusCell(int row, const std::string& text);
  StopPlayerHook PlayerStopHook();
  // The player, told the current row first while nothing plays; null when none.
  IPlayerCommands* ReadyPlayer();
  // Tells the player that rows or check boxes changed.
  void PlayerRowsChanged();
  void OnEndLabelEdit(wxListEvent& event);
  // Track list (main_track_list.cpp).
  void BindTrackListMouse();
  void ShowTrackRows();
  void ShowDestinations();
  void ShowChecks();
  void OnTrackListChecked(wxListEvent& event);
  void OnTrackListUnchecked(wxListEvent& event);
  void OnTrackListRClick(wxListEvent& event);
  void RunCommand(int command);
  RipCommandContext RipContext();
  // Runs the ripping-progress window modally over `tracks` (main_rip.cpp).
  void RunRipDialog(std::vector<TrackData> tracks);
  void OnColumnDrag(wxListEvent& event);
  void RunExitSequence(bool sessionEnd);
  // Whether no modal dialog and no pop-up menu is open (a session end waits for them).
  static bool NothingOpenToEnd();
  void FinishExit();
  void CheckDriveItem(int index);
  // A drive change ends playback and starts again from the first row.
  void StopPlayerForDriveChange();

  static const ui::MapRow<CQuarnoCDRipperDlg> kMessageMap[];

  std::shared_ptr<ui::Mailbox> mailbox_;
  std::unique_ptr<CGuiPort> port_;
  std::unique_ptr<DiscWorker> worker_;
  std::unique_ptr<MediaPoller> poller_;
  // The player's threads report through the notifications: they outlive it.
  std::unique_ptr<IPlaybackNotifications> playbackNotifications_;
  std::unique_ptr<IPlayerCommands> player_;
  CommandWindows commandWindows_;
  wxWindow* toolBarBand_ = nullptr;  // the band across the top that holds the main toolbar
  wxToolBar* mainToolBar_ = nullptr;
  wxToolBar* playerToolBar_ = nullptr;
  wxStatusBar* statusBar_ = nullptr;
  WindowPlacementStore mainPlacement_;
  std::unique_ptr<WxPlacementWindow> placementWindow_;
  wxSlider* volumeSlider_ = nullptr;
  wxStaticText* timeLabel_ = nullptr;
  wxSlider* seekSlider_ = nullptr;
  wxListCtrl* trackList_ = nullptr;
  TrackListModel trackModel_;
  // Set while the program changes check boxes itself: the list reports those
  // changes like a user's click.
  bool updatingChecks_ = false;
  wxChoice* driveCombo_ = nullptr;
  std::array<std::string, 3> statusTips_;
  wxTimer tipTimer_{this, kTipTimer};
  wxTimer signalTimer_{this, kSignalTimer};
  int formatButtonImage_ = -1;
  wxSize minClientArea_;  // the smallest client area; empty: none set
  int exitCode_ = -1;
  int sessionEndWait_ = 0;  // ticks left while the session end waits for dialogs
  int driveCount_ = 0;
};
