// The window-free part of the main window's disc commands (Refresh, Eject,
// Close Tray) and of the exit sequence. The window calls these on the GUI
// thread and does its own part afterwards.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "rip/rip_types.h"

class DiscWorker;
class EventLog;
class MainWindowPort;
class MediaPoller;
class TrackListModel;

// 1 once the exit sequence has begun; never goes back to 0.
extern std::atomic<int> ExitInProgress;
// 1 until the tip of the day was due in this run.
extern std::atomic<int> TipPending;

// The product's addresses: the home page (also the About box's link), and
// what Download, Online Support, More Formats? and Email Support open.
inline constexpr const char* kHomePageAddress = "https://www.example.org/quarno/";
inline constexpr const char* kDownloadAddress = "https://www.example.org/quarno/download";
inline constexpr const char* kSupportPageAddress = "https://www.example.org/quarno/support";
inline constexpr const char* kFormatsPageAddress = "https://www.example.org/quarno/formats";
inline constexpr const char* kSupportMailAddress = "mailto:support@example.org";

// The tip timer's question, once per run: true when the tip of the day is to
// be shown now, that is when it has not been due yet in this run and MISC Tip
// of the settings file `iniPath` is not 0 (a missing file or key counts as 1).
// TipPending is cleared only when the answer is true.
bool TipOfTheDayDue(const std::string& iniPath);

// Stops the player when it is playing, and waits for its threads (the player
// does not exist yet; until then the window passes nothing).
using StopPlayerHook = std::function<void()>;

// Each command does nothing while Busy (and returns false); otherwise it stops
// the player and queues the refresh, tray-open or tray-close action. A tray
// move does not refresh by itself: the media change it causes does.
bool OnRefresh(DiscWorker& worker, const StopPlayerHook& stopPlayer = {});
bool OnEject(DiscWorker& worker, const StopPlayerHook& stopPlayer = {});
bool OnCloseTray(DiscWorker& worker, const StopPlayerHook& stopPlayer = {});

// What the rip commands need from the main window (GUI thread).
struct RipCommandContext {
  MainWindowPort* port = nullptr;  // the questions and refusals
  TrackListModel* model = nullptr;
  int* currentItem = nullptr;  // the window's current track row
  bool playing = false;        // the player runs
  StopPlayerHook stopPlayer;   // the player's Stop, which waits for its threads
  DiscWorker* worker = nullptr;  // its queued actions wait while the rip reads the drive
  // The Status column was emptied in the model: show it.
  std::function<void()> statusCleared;
  // Runs the ripping dialog modally on these tracks.
  std::function<void(std::vector<TrackData> tracks)> runRip;
};

enum class RipOutcome {
  NotNow,           // a refresh runs
  PlayerKept,       // the user chose not to stop the player
  NothingChecked,   // "No Audio Tracks Checked!"
  NothingSelected,  // "No Audio Track Selected!"
  NotAudio,         // "Not an Audio Track!"
  Ran,              // the ripping dialog ran and closed
};

// Rip: every checked audio row, in list order. Refuses while Busy and when no
// row is checked (before asking about the player); asks to stop the player
// while it plays ("Do You Wish to Stop Playing to Rip Audio Tracks?").
RipOutcome OnRip(const RipCommandContext& context);
// Rip Current: the selected row (-1: none), checked or not. Refuses while
// Busy, without a selection and for a data row (which is not made current).
RipOutcome OnRipCurrent(const RipCommandContext& context, int selectedRow);

struct ExitContext {
  MainWindowPort* port = nullptr;
  EventLog* log = nullptr;        // null: the program's event log
  MediaPoller* poller = nullptr;  // stopped before the worker
  DiscWorker* worker = nullptr;
  StopPlayerHook stopPlayer;            // ends playback and waits for the player threads
  std::function<void()> releasePlayer;  // frees what the player holds (its sector buffer)
};

enum class ExitResult {
  NotNow,    // a refresh runs, or the exit sequence already ran: nothing done
  Finished,  // the window may now save its placement, close and end with code 0
};

// The exit sequence: refuses while Busy or once begun; else marks the exit,
// cancels a rip that still runs (CurrentRipDialog; its threads are joined),
// stops the player, the media poller and the disc worker, writes the five empty
// lines to the log file, saves the settings ("Error on saving settings!" is
// logged and shown on failure), empties the event log, writes the album of an
// audio disc to the local cache when SaveAlbumInfo is set and the album is not
// the placeholder one ("Fail to Save Local CDDB File!" on failure), closes the
// drive, releases the player and empties the server list.
//
// `sessionEnd` (the session ends: SIGTERM, SIGHUP) runs it even while a
// refresh runs: the refresh is told to stop and ends at its next step, so the
// settings are saved; a refresh cut short writes no cache file.
ExitResult ExitSequence(const ExitContext& context, bool sessionEnd = false);

// The cache step alone: whether the album is written at exit, and the write.
// Returns false only when a write was due and failed.
bool SaveAlbumAtExit(MainWindowPort& port);
