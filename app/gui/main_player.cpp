// The main window's side of the CD player: the transport commands and the
// two sliders go to the player (IPlayerCommands), and what the player reports
// comes back as WM_PLAYBACK_TEXT and WM_PLAYBACK_TIME through the window's
// mailbox, handled here on the GUI thread. Without a player the commands do
// nothing and nothing ever plays.
#include <fmt/printf.h>

#include <algorithm>
#include <memory>

#include "app/disc_worker.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/main_commands.h"
#include "app/media_poller.h"
#include "app/player_adapter.h"
#include "app/settings.h"
#include "ui/ui_message.h"

namespace {

// Queues the player's notifications to the window, in the order they come,
// from any thread; dropped once the window has gone.
class CPlaybackPoster : public IPlaybackNotifications {
 public:
  explicit CPlaybackPoster(std::shared_ptr<ui::Mailbox> mailbox) : mailbox_(std::move(mailbox)) {}

  void PlaybackText(const std::string& text, int kind, int row) override {
    mailbox_->Post(WM_PLAYBACK_TEXT, 0, kind, PlaybackTextMessage{text, kind, row});
  }
  void PlaybackTime(int seconds) override { mailbox_->Post(WM_PLAYBACK_TIME, 0, seconds); }
  void CurrentRowChanged(int row) override {
    mailbox_->Post(WM_MAIN_WINDOW_CALL, 0, 0,
                   MainWindowCall([row](CQuarnoCDRipperDlg& w) { w.MakeCurrentRow(row); }));
  }

 private:
  std::shared_ptr<ui::Mailbox> mailbox_;
};

}  // namespace

std::unique_ptr<IPlaybackNotifications> MakePlaybackPoster(std::shared_ptr<ui::Mailbox> mailbox) {
  return std::make_unique<CPlaybackPoster>(std::move(mailbox));
}

void CQuarnoCDRipperDlg::SetPlayer(std::unique_ptr<IPlayerCommands> player) {
  StopPlayback();
  player_ = std::move(player);
  if (player_) player_->SetCurrentItem(CurrentItem);
}

std::unique_ptr<IPlayerCommands> CQuarnoCDRipperDlg::MakeEnginePlayer(std::unique_ptr<SoundOutput> output) {
  return std::make_unique<PlayerAdapter>(
      trackModel_, *playbackNotifications_, [this](const std::string& text) { SetPlayTimeText(text); },
      [this](const std::string& text, const std::string& caption, uint32_t style) {
        return ShowMessageBox(this, text, caption, style);
      },
      std::move(output), SoundAvailable.load() != 0);
}

bool CQuarnoCDRipperDlg::IsPlaying() const { return player_ && player_->IsPlaying(); }

void CQuarnoCDRipperDlg::OnMediaChange(bool arrival) {
  // A notice queued before the exit sequence stopped the poller comes too late.
  if (ExitInProgress.load() != 0 || !worker_) return;
  // The player reads the drive: it must be done before the refresh reads it.
  if (player_) player_->MediaChanged();
  OnDeviceChange(*port_, *worker_, arrival);
}

void CQuarnoCDRipperDlg::StopPlayback() {
  if (player_) player_->StopPlayback();
}

StopPlayerHook CQuarnoCDRipperDlg::PlayerStopHook() {
  return [this] { StopPlayback(); };
}

// --- Transport commands ------------------------------------------------------------

IPlayerCommands* CQuarnoCDRipperDlg::ReadyPlayer() {
  // While nothing plays the window's current row is the one the commands
  // start from (a refresh or Rip Current may have moved it); while a track
  // plays the player's own is.
  if (player_ && !player_->IsPlaying()) player_->SetCurrentItem(CurrentItem);
  return player_.get();
}

void CQuarnoCDRipperDlg::PlayerRowsChanged() {
  if (player_) player_->RowsChanged();
}

void CQuarnoCDRipperDlg::OnPlay() {
  if (IPlayerCommands* player = ReadyPlayer()) player->Play();
}

void CQuarnoCDRipperDlg::OnPlayCurrent() {
  // The refusals come before the question about the selection.
  if (!player_ || Busy.load() != 0 || SoundAvailable.load() == 0) return;
  if (UseSelectedTrack()) player_->PlayCurrent(CurrentItem);
}

void CQuarnoCDRipperDlg::OnPause() {
  if (IPlayerCommands* player = ReadyPlayer()) player->Pause();
}

void CQuarnoCDRipperDlg::OnStop() { StopPlayback(); }

void CQuarnoCDRipperDlg::OnPrevious() {
  if (IPlayerCommands* player = ReadyPlayer()) player->Previous();
}

void CQuarnoCDRipperDlg::OnNext() {
  if (IPlayerCommands* player = ReadyPlayer()) player->Next();
}

void CQuarnoCDRipperDlg::OnFirst() {
  if (IPlayerCommands* player = ReadyPlayer()) player->First();
}

void CQuarnoCDRipperDlg::OnLast() {
  if (IPlayerCommands* player = ReadyPlayer()) player->Last();
}

// --- Current row ----------------------------------------------------------------------

void CQuarnoCDRipperDlg::MakeCurrentRow(int row) {
  if (!trackModel_.IsRow(row)) return;
  CurrentItem = row;
  if (trackList_ == nullptr || row >= trackList_->GetItemCount()) return;
  const int state = wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED;
  trackList_->SetItemState(row, state, state);
  trackList_->EnsureVisible(row);
  trackList_->SetFocus();
}

int CQuarnoCDRipperDlg::FindPreviousChecked(int from, int testOnly) {
  for (int row = std::min(from, trackModel_.Count()) - 1; row >= 0; --row) {
    if (!trackModel_.IsChecked(row)) continue;
    if (!testOnly) MakeCurrentRow(row);
    return 1;
  }
  return 0;
}

int CQuarnoCDRipperDlg::UseSelectedTrack() {
  const int row = SelectedTrackRow();
  if (!trackModel_.IsRow(row)) {
    ShowMessageBox(this, "No Audio Track Selected!", "", MB_OK);
    return 0;
  }
  if (trackModel_.IsDataRow(row)) {
    ShowMessageBox(this, "Not an Audio Track!", "", MB_ICONERROR);
    return 0;
  }
  MakeCurrentRow(row);
  return 1;
}

// --- Sliders ----------------------------------------------------------------------

void CQuarnoCDRipperDlg::OnSeekSlider(wxCommandEvent&) {
  // Enabled only while a track plays; a late notification changes nothing.
  if (!player_ || !IsPlaying()) return;
  const int shown = player_->Seek(seekSlider_->GetValue());
  if (shown != seekSlider_->GetValue()) seekSlider_->SetValue(shown);
}

void CQuarnoCDRipperDlg::OnVolumeSlider(wxCommandEvent&) {
  const int volume = volumeSlider_->GetValue();
  // The volume is a setting of its own: without a player it is kept for the
  // next start; the player ignores a change while it seeks.
  if (player_) {
    player_->SetVolume(volume);
  } else {
    Volume = static_cast<uint16_t>(volume);
  }
  // The tip always names the slider's position.
  volumeSlider_->SetToolTip(fmt::sprintf("Volume: %d", volume));
}

void CQuarnoCDRipperDlg::OnUpdateSeekSlider(wxUpdateUIEvent& event) { event.Enable(IsPlaying()); }

// --- Notifications ------------------------------------------------------------------

void CQuarnoCDRipperDlg::SetStatusCell(int row, const std::string& text) {
  if (!trackModel_.IsRow(row)) return;
  trackModel_.SetStatus(row, text);
  if (trackList_ != nullptr && row < trackList_->GetItemCount())
    trackList_->SetItem(row, kTrackColumnStatus, wxString::FromUTF8(text));
}

ui::LRESULT CQuarnoCDRipperDlg::OnPlaybackText(ui::UiMessageEvent& event) {
  const auto* message = event.Payload<PlaybackTextMessage>();
  if (message == nullptr) return 0;
  if (message->kind == kPlaybackTextClearStatus) {
    for (int row = 0; row < trackModel_.Count(); ++row) SetStatusCell(row, "");
  } else if (message->kind >= LogInfo && message->kind <= LogFatal) {
    AddLog(message->text, message->kind);
  } else {
    // The row that is current when the text arrives, unless the player named one.
    SetStatusCell(message->row >= 0 ? message->row : CurrentItem, message->text);
  }
  return 0;
}

ui::LRESULT CQuarnoCDRipperDlg::OnPlaybackTime(ui::UiMessageEvent& event) {
  const int seconds = static_cast<int>(event.lParam());
  const double duration =
      trackModel_.IsRow(CurrentItem) ? TrackDurationTenths(trackModel_.Row(CurrentItem).Length()) : 0.0;
  const PlaybackTimeDisplay display = PlaybackTimeDisplayOf(seconds, duration);
  if (seekSlider_ != nullptr) seekSlider_->SetValue(display.seekPosition);
  SetPlayTimeText(display.label);
  return 0;
}
