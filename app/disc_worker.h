// The disc worker: the one thread that refreshes the disc in the current
// drive and moves its tray, and the state of the disc it leaves behind.
//
// A refresh opens the drive, reads its table of contents, tells an audio disc
// from a data disc, builds the track positions and the disc ID, finds the
// album and has the window refill the track list. The window is reached only
// through MainWindowPort, whose calls are queued to the GUI thread.
//
// Every action (refresh, open tray, close tray) runs on one long-lived thread,
// in the order asked for, rather than on a new thread per action: a media
// change that arrives while a refresh runs must wait for it instead of
// refreshing the same drive at the same time, and the retry after a failed
// lookup must run before the window is told that the refresh is over. A queued
// refresh that has not started yet also answers any further refresh request.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window_port.h"

// 1 while a refresh runs: the tray and refresh commands, drive selection and
// the exit sequence wait for it.
extern std::atomic<int> Busy;
// 1 when at least one track of the disc is an audio track.
extern std::atomic<int> IsAudioDisc;
// Whether the current refresh looks the album up.
extern std::atomic<int> LookupOnRefresh;
// When set, a refresh starts by copying the LoadAlbumInfo setting into
// LookupOnRefresh; 0 only while the retry after a failed refresh runs.
extern std::atomic<int> LookupFollowsSetting;

enum DiscWorkerAction : uint16_t {
  kDiscRefresh = 0,
  kDiscOpenTray = 1,
  kDiscCloseTray = 2,
};

// The busy switch: Busy = !idle on the calling thread, then the window's part.
void SetIdle(MainWindowPort& port, bool idle);

// What the window needs to build the track list, copied from the shared state.
DiscSnapshot CurrentDiscSnapshot();

class DiscWorker {
 public:
  // Finds the album of the audio disc just read, leaving it in AlbumRecord. It
  // is called only while LookupOnRefresh is set (otherwise the placeholders
  // are used); it prepares the CDDB client and follows the AlbumInfoSource
  // setting. It runs on the worker thread; a failure throws, which leads to
  // the retry without a lookup. Any wait inside it must end when `stop` is
  // requested. Until the real lookup is installed, the placeholders are used.
  using AlbumLookup = std::function<void(MainWindowPort& port, std::stop_token stop)>;

  explicit DiscWorker(MainWindowPort& port);
  ~DiscWorker();  // Stop()
  DiscWorker(const DiscWorker&) = delete;
  DiscWorker& operator=(const DiscWorker&) = delete;

  // Installs the album lookup (before the first refresh; null restores the
  // placeholder lookup).
  void SetAlbumLookup(AlbumLookup lookup);

  // Queues an action. A refresh asked for while another one waits (not yet
  // started) is answered by the waiting one. Ignored after Stop().
  void Start(DiscWorkerAction action);
  // Queues a refresh that sets LookupOnRefresh to `lookupOnRefresh` when it
  // begins, so a request never changes a refresh that is already running.
  void StartRefresh(int lookupOnRefresh);

  // While held, queued actions wait (a rip reads the drive); releasing lets
  // them run in order.
  void HoldActions(bool hold);

  // Drops the queued actions, asks a running one to end at its next step and
  // joins the thread. The stop reaches the album lookup, which drops a CDDB
  // exchange in progress at once, so the join never waits on the network. A
  // refresh cut short leaves NoDisc set, because the disc and its album were
  // not read to the end. Safe to call more than once.
  void Stop();

  // Waits until no action is queued or running (held actions count as
  // queued); false when `timeout` passed first.
  bool WaitUntilIdle(std::chrono::milliseconds timeout);
  // Actions queued and not yet started.
  int QueuedActions() const;

  // The whole refresh of the current drive, on the calling thread (the
  // worker runs it for action 0). A failed refresh that looked the album up
  // is repeated at once without a lookup before the window is told that the
  // refresh is over.
  void RefreshCD(std::stop_token stop = {});

 private:
  struct Request {
    DiscWorkerAction action = kDiscRefresh;
    int lookup = -1;  // refresh: the LookupOnRefresh to set when it begins; -1 none
  };

  void Enqueue(Request request);
  void Run(std::stop_token stop);
  void Perform(const Request& request, std::stop_token stop);
  // One pass of the refresh; true when it failed and must be repeated.
  bool RefreshPass(std::stop_token stop);
  // The failure step of a pass: true when the refresh must run once more
  // without a lookup.
  bool RefreshFailed(std::stop_token stop);

  MainWindowPort& port_;
  AlbumLookup lookup_;
  mutable std::mutex mutex_;
  std::condition_variable_any wake_;
  std::condition_variable idle_;
  std::deque<Request> queue_;
  bool running_ = false;
  bool held_ = false;
  bool stopped_ = false;
  std::jthread thread_;
};

// What a table of contents says about the disc in the drive.
struct DiscInfo {
  int NoDisc = 1;
  int IsAudioDisc = 0;
  std::vector<CCDDBTrackPosition> TrackPositions;  // audio disc only: tracks, then the lead-out
  uint32_t DiscID = 0;                             // audio disc only
  std::string StatusText;                          // for the disc status pane
};

// Reads the 804-byte READ TOC response `toc` that ReadTOC answered with
// `readResult`. No disc: a failed read or a length of 0. A disc whose tracks
// are all data tracks is " Not an Audio CD"; otherwise the positions (LBA +
// 150 as minute, second, frame), the disc ID and "Recognized Audio CD: ...".
// A response that cannot describe a disc (first track 0, last before first,
// more than 99 tracks, entries missing from its length, a start before the
// previous one or beyond 100 minutes) throws std::runtime_error.
DiscInfo DescribeDisc(const uint8_t* toc, int readResult);

// The drive part of a refresh: opens the current drive, reads its table of
// contents into TOCBuffer and sets NoDisc, IsAudioDisc, TrackPositions and
// DiscID and the disc status text. A table of contents that cannot describe a
// disc shows "No Disc", turns the lookup off and throws std::runtime_error.
void RefreshDiscInfo(MainWindowPort& port);
