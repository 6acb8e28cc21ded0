// Disc commands and the exit sequence of the main window.
#include "app/main_commands.h"

#include "app/album_defaults.h"
#include "app/disc_worker.h"
#include "app/event_log.h"
#include "app/main_window_port.h"
#include "app/media_poller.h"
#include "app/settings.h"
#include "app/track_list_model.h"
#include "cddb/cddb_globals.h"
#include "cddb/freedb_server.h"
#include "platform/cd_drive.h"
#include "platform/folders.h"
#include "platform/ini_file.h"
#include "rip/ripping_progress.h"
#include "ui/core/win_types.h"

std::atomic<int> ExitInProgress{0};
std::atomic<int> TipPending{1};

namespace {

bool StartDiscAction(DiscWorker& worker, DiscWorkerAction action, const StopPlayerHook& stopPlayer) {
  if (Busy) return false;
  if (stopPlayer) stopPlayer();
  worker.Start(action);
  return true;
}

// The question before a rip while the player runs; false when the user keeps it.
bool StopPlayerForRip(const RipCommandContext& context) {
  if (!context.playing) return true;
  const int answer =
      context.port->ShowMessage("Do You Wish to Stop Playing to Rip Audio Tracks?", "", MB_YESNO);
  if (answer != IDYES) return false;
  if (context.stopPlayer) context.stopPlayer();
  return true;
}

RipOutcome RunRip(const RipCommandContext& context, std::vector<TrackData> tracks) {
  context.model->ClearStatus();
  if (context.statusCleared) context.statusCleared();
  // A media change during the rip refreshes the disc only after it.
  struct Hold {
    DiscWorker* worker;
    explicit Hold(DiscWorker* w) : worker(w) {
      if (worker) worker->HoldActions(true);
    }
    ~Hold() {
      if (worker) worker->HoldActions(false);
    }
  } hold(context.worker);
  if (context.runRip) context.runRip(std::move(tracks));
  return RipOutcome::Ran;
}

}  // namespace

RipOutcome OnRip(const RipCommandContext& context) {
  if (Busy) return RipOutcome::NotNow;
  if (!context.model->AnyChecked()) {
    context.port->ShowMessage("No Audio Tracks Checked!", "", MB_OK);
    return RipOutcome::NothingChecked;
  }
  if (!StopPlayerForRip(context)) return RipOutcome::PlayerKept;
  return RunRip(context, context.model->CheckedTracks());
}

RipOutcome OnRipCurrent(const RipCommandContext& context, int selectedRow) {
  if (Busy) return RipOutcome::NotNow;
  if (!context.model->IsRow(selectedRow)) {
    context.port->ShowMessage("No Audio Track Selected!", "", MB_OK);
    return RipOutcome::NothingSelected;
  }
  if (!StopPlayerForRip(context)) return RipOutcome::PlayerKept;
  if (context.model->IsDataRow(selectedRow)) {
    context.port->ShowMessage("Not an Audio Track!", "", MB_ICONERROR);
    return RipOutcome::NotAudio;
  }
  if (context.currentItem) *context.currentItem = selectedRow;
  return RunRip(context, context.model->SingleTrack(selectedRow));
}

bool OnRefresh(DiscWorker& worker, const StopPlayerHook& stopPlayer) {
  return StartDiscAction(worker, kDiscRefresh, stopPlayer);
}

bool OnEject(DiscWorker& worker, const StopPlayerHook& stopPlayer) {
  return StartDiscAction(worker, kDiscOpenTray, stopPlayer);
}

bool OnCloseTray(DiscWorker& worker, const StopPlayerHook& stopPlayer) {
  return StartDiscAction(worker, kDiscCloseTray, stopPlayer);
}

bool SaveAlbumAtExit(MainWindowPort& port) {
  // A placeholder album is never written: it would replace a good cache file
  // with "Unknown Artist" and be loaded instead of asking the server again.
  if (NoDisc || !IsAudioDisc || !SaveAlbumInfo || AlbumInfoIsDefault) return true;
  if (!PathFileExists(LocalCDDBDir)) CreateFolderPath(LocalCDDBDir);
  const std::string path = LocalCDDBDir + kPathSeparator + CacheFileName(DiscID);
  if (SaveAlbumRecord(path, CopyAlbumRecord())) return true;
  port.ShowMessage("Fail to Save Local CDDB File!", "File Error", MB_ICONERROR);
  return false;
}

ExitResult ExitSequence(const ExitContext& context, bool sessionEnd) {
  if (!sessionEnd && Busy) return ExitResult::NotNow;
  if (ExitInProgress.exchange(1)) return ExitResult::NotNow;
  MainWindowPort& port = *context.port;
  EventLog& log = context.log ? *context.log : AppEventLog();

  // A rip still running stops as its Cancel stops it; every thread of the
  // rip has ended before the drive, the rings or the sound library go.
  if (CRippingProgress* job = CurrentRipDialog.load()) {
    if (job->Running) {
      job->Cancel();
    } else {
      job->WaitForThreads();
    }
  }
  if (context.stopPlayer) context.stopPlayer();
  if (context.poller) context.poller->Stop();
  if (context.worker) context.worker->Stop();

  log.WriteExitLines();
  SaveSettings(&port, [&port](const std::string& text) { port.ShowMessage(text, "", MB_ICONERROR); });
  log.Clear();
  SaveAlbumAtExit(port);

  if (const int handle = CDHandle.exchange(0)) CloseCDHandle(handle);
  if (context.releasePlayer) context.releasePlayer();
  ServerList.clear();
  return ExitResult::Finished;
}

bool TipOfTheDayDue(const std::string& iniPath) {
  if (TipPending.load() == 0) return false;
  if (GetPrivateProfileInt("MISC", "Tip", 1, iniPath) == 0) return false;
  return TipPending.exchange(0) != 0;
}
