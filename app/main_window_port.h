// The small interface through which the window-free core of the program (the
// disc worker, the media poller, the commands and the exit sequence) reaches
// the main window. The GUI implements it by forwarding each call to the GUI
// thread; tests implement it by recording the calls.
//
// Threads: every call except ShowMessage may come from any thread (the disc
// worker, the media poller or the GUI thread itself). The implementation must
// not touch a control on the calling thread: it queues the call to the GUI
// thread and returns at once, keeping the order in which the calls were made
// (so a status text queued before SetIdle(true) is shown before the window
// becomes idle again). Such calls must never wait for the GUI thread, because
// the GUI thread may be waiting for the caller.
//
// ShowMessage is the one call that waits for an answer. The core makes it on
// the GUI thread only (the exit sequence); the implementation shows the box
// there directly.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cddb/cddb_record.h"
#include "platform/cd_drive.h"
#include "platform/log_sink.h"
#include "ui/core/win_types.h"

// What SetStatusText writes: the kind number names the status-bar pane (pane
// index = kind - 1) and the tool tip that goes with it.
enum StatusKind : int {
  kStatusLastEvent = 1,     // pane 0, "Last Event: "
  kStatusDiscMedia = 2,     // pane 1, "Disc Media State: "
  kStatusOutputFormat = 3,  // pane 2, "Output Audio Format: "
};

// What a finished refresh knows of the disc, copied out of the shared objects
// so the GUI thread can build the track list from it while the next refresh
// already reads the drive.
struct DiscSnapshot {
  int NoDisc = 1;
  int IsAudioDisc = 0;
  uint32_t DiscID = 0;
  std::array<uint8_t, kTOCBufferSize> TOC{};       // the READ TOC response
  std::vector<CCDDBTrackPosition> TrackPositions;  // tracks, then the lead-out
  CCDDBRecord Album;                               // the album of the disc
  int AlbumInfoIsDefault = 1;                      // Album holds placeholders
  int LookupOnRefresh = 0;                         // the refresh looked the album up
  int32_t LastSessionLBA = -1;                     // where the last session starts; -1 unknown
};

class MainWindowPort : public ILogSink {
 public:
  ~MainWindowPort() override = default;

  // Adds an entry to the program's event log (any thread).
  void AddLog(const std::string& text, int level) override = 0;

  // Shows `text` in the status-bar pane of `kind` (StatusKind) and sets that
  // pane's tool tip (any thread, queued).
  virtual void SetStatusText(int kind, const std::string& text) = 0;

  // The window's half of the busy switch (any thread, queued). The core has
  // already set the process-wide Busy flag when this is called. Idle: the
  // drive combo box and the drive menu items are enabled, the track list is
  // repainted and the taskbar progress cleared. Busy: combo box and drive items
  // greyed, taskbar progress indeterminate.
  virtual void SetIdle(bool idle) = 0;

  // Empties the track list; makes it usable again (any thread, queued).
  virtual void ClearTrackList() = 0;
  virtual void EnableTrackList() = 0;

  // Refills the track list for the disc a refresh has just read (any thread,
  // queued). Only called when a disc is in the drive.
  virtual void FillTrackList(const DiscSnapshot& disc) = 0;

  // Sets the player's time label, e.g. "00:00" (any thread, queued).
  virtual void SetPlayTimeText(const std::string& text) = 0;

  // Shows a modal message box with `style` made of the MB_* bits of
  // ui/core/win_types.h and returns the id of the button pressed (IDOK, IDYES,
  // ...). An empty caption means the application's name. GUI thread only.
  virtual int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) = 0;
};
