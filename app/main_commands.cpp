// Disc commands and the exit sequence of the main window.
#include "app/main_commands.h"

#include "app/album_defaults.h"
#include "app/disc_worker.h"
#include "app/event_log.h"
#include "app/main_window_port.h"
#include "app/media_poller.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "cddb/freedb_server.h"
#include "platform/cd_drive.h"
#include "platform/folders.h"
#include "ui/core/win_types.h"

std::atomic<int> ExitInProgress{0};

namespace {

bool StartDiscAction(DiscWorker& worker, DiscWorkerAction action, const StopPlayerHook& stopPlayer) {
  if (Busy) return false;
  if (stopPlayer) stopPlayer();
  worker.Start(action);
  return true;
}

}  // namespace

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
  if (SaveAlbumRecord(path, AlbumRecord)) return true;
  port.ShowMessage("Fail to Save Local CDDB File!", "File Error", MB_ICONERROR);
  return false;
}

ExitResult ExitSequence(const ExitContext& context, bool sessionEnd) {
  if (!sessionEnd && Busy) return ExitResult::NotNow;
  if (ExitInProgress.exchange(1)) return ExitResult::NotNow;
  MainWindowPort& port = *context.port;
  EventLog& log = context.log ? *context.log : AppEventLog();

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
