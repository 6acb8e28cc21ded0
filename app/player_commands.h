// The CD player as the main window sees it, in both directions.
//
// IPlayerCommands is what the window's transport commands, sliders and
// stop hooks call; PlayerAdapter implements it over the player engine. The
// window holds at most one; while it holds none, the player's commands do
// nothing and there is nothing to stop.
//
// IPlaybackNotifications is what the player tells the window. Its calls may
// come from any thread (the GUI thread, the player's reader or output
// thread), also while the player holds its own lock: the window queues each
// one to the GUI thread as WM_PLAYBACK_TEXT, WM_PLAYBACK_TIME or a row
// change, in the order of the calls, and returns at once. It never waits for
// the GUI thread and never calls the player back from inside the call.
#pragma once

#include <string>

#include "ui/core/win_types.h"

// The window messages that carry the player's notifications.
inline constexpr unsigned WM_PLAYBACK_TEXT = WM_USER + 102;  // payload PlaybackTextMessage
inline constexpr unsigned WM_PLAYBACK_TIME = WM_USER + 103;  // lParam: seconds played of the current track

// What a playback text asks of the window. Kinds 0-2 are the event log's
// levels (LogInfo, LogError, LogFatal): the text becomes an entry at that level.
enum PlaybackTextKind : int {
  kPlaybackTextStatus = 3,       // the text goes into the Status cell of its row
  kPlaybackTextClearStatus = 4,  // every Status cell becomes empty; the text is not used
};

// The seek slider counts per mille of the current track.
inline constexpr int kSeekRange = 1000;

// The payload of WM_PLAYBACK_TEXT.
struct PlaybackTextMessage {
  std::string text;
  int kind = kPlaybackTextStatus;
  int row = -1;  // the row of a status text; -1: the window's current row when it arrives
};

class IPlayerCommands {
 public:
  virtual ~IPlayerCommands() = default;

  // Transport commands (GUI thread). Each refuses by itself what it cannot
  // do now (a refresh running, no sound device, nothing checked, ...).
  virtual void Play() = 0;                // from the first checked row
  virtual void PlayCurrent(int row) = 0;  // `row`: the audio row the window made current
  virtual void Pause() = 0;               // pause or resume
  virtual void Previous() = 0;            // the checked row before the current one
  virtual void Next() = 0;                // the checked row after it
  virtual void First() = 0;               // the first checked row
  virtual void Last() = 0;                // the last checked row
  // The seek slider moved to `perMille` of the current track; returns the
  // position the slider is to show (its ends do not move playback).
  virtual int Seek(int perMille) = 0;
  // The volume slider moved; false when the player ignored it (while seeking).
  virtual bool SetVolume(int volume) = 0;

  // Ends a running playback and waits until its threads have ended: the
  // Stop command, and the hook that runs before a rip, a refresh, a tray
  // command, a drive change and the exit.
  virtual void StopPlayback() = 0;
  // The disc in the drive changed or went away (GUI thread): playback ends
  // before the window refreshes the disc.
  virtual void MediaChanged() { StopPlayback(); }

  // The window changed the rows or their check boxes, or chose the current
  // row itself (a refresh, Rip Current).
  virtual void RowsChanged() = 0;
  virtual void SetCurrentItem(int row) = 0;

  virtual bool IsPlaying() const = 0;
};

class IPlaybackNotifications {
 public:
  virtual ~IPlaybackNotifications() = default;
  // Kinds 0-2: an event-log entry at that level. kPlaybackTextStatus: `text`
  // goes into the Status cell of `row` (-1: the current row when the message
  // arrives). kPlaybackTextClearStatus: every Status cell becomes empty.
  virtual void PlaybackText(const std::string& text, int kind, int row) = 0;
  // Whole seconds played of the current track: the time label and the seek
  // slider follow.
  virtual void PlaybackTime(int seconds) = 0;
  // `row` is now the current track: selected, focused and scrolled into view.
  virtual void CurrentRowChanged(int row) = 0;
};

// What the time display shows for `seconds` played of a track that lasts
// `durationTenths` tenths of a second: the seek slider's position in per
// mille (0 for a track without length) and the label "mm:ss".
struct PlaybackTimeDisplay {
  int seekPosition = 0;
  std::string label;
};
PlaybackTimeDisplay PlaybackTimeDisplayOf(int seconds, double durationTenths);

// The length of a track of `sectors` sectors in tenths of a second, as the
// player counts it (75 sectors to the second, rounded).
double TrackDurationTenths(int sectors);
