// The CD player without its window: plays the checked tracks of the track
// list straight from the disc through a sound output.
//
// Two threads do the work of one playback. The reader reads raw sectors of
// the current track through the drive library, 8 at a time, into a sample
// ring and moves on to the next checked row when the track ends; the player
// takes 0.1-second blocks from the ring, scales them by the volume and writes
// them to the sound output, whose writes block at the device's pace. The
// window runs the transport commands on the GUI thread and shows what the
// threads report through PlayerView.
//
// Threads never look at the track-list model: it is GUI-thread data. The
// engine keeps a copy of what playing needs (checks, starts, lengths), taken
// under its lock on the GUI thread at every command and whenever the window
// reports a change (RowsChanged), so the reader can pick the next row while
// the GUI thread is busy or waiting for it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/player_commands.h"
#include "app/track_list_model.h"
#include "platform/sound_output.h"
#include "rip/rip_types.h"

// Capacity of a playback's sample ring: about 0.74 s of CD audio.
inline constexpr uint32_t kPlayerRingCapacity = 0xFFFF;
// Samples in one block of the player: 0.1 s of stereo audio.
inline constexpr uint32_t kPlayerBlockSamples = 8820;
// Sectors the reader reads at a time.
inline constexpr int kPlayerReadSectors = 8;
// The range of the volume slider (the seek slider's is kSeekRange).
inline constexpr int kVolumeMax = 100;

// The window's side of the player.
//
// PlaybackText, PlaybackTime and CurrentRowChanged come from any thread (the
// GUI thread, the reader or the player), sometimes while the engine holds its
// lock. The window queues each to the GUI thread in the order of the calls and
// returns at once: it must never wait for the GUI thread (which may be joining
// the caller) and never call the engine from inside the call.
//
// SetTimeLabel and ShowMessage are called on the GUI thread only, from a
// command the window is running.
class PlayerView {
 public:
  virtual ~PlayerView() = default;
  // Kinds 0-2: an event-log entry at that level. kPlaybackTextStatus: `text` goes
  // into the Status cell of `row`. kPlaybackTextClearStatus: every Status cell
  // becomes empty (`text` empty, `row` -1).
  virtual void PlaybackText(const std::string& text, int kind, int row) = 0;
  // Whole seconds played of the current track; the window shows
  // PlayerEngine::TimeDisplayOf(seconds).
  virtual void PlaybackTime(int seconds) = 0;
  // `row` is now the current track: select and focus it, scroll it into view.
  virtual void CurrentRowChanged(int row) = 0;
  // The time label's text, e.g. "00:00".
  virtual void SetTimeLabel(const std::string& text) = 0;
  // A modal message box (MB_* style bits of ui/core/win_types.h; an empty
  // caption means the program's name); the id of the button pressed.
  virtual int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) = 0;
};

// What the time display shows for a number of seconds played.
struct PlayerTimeDisplay {
  int SeekPosition = 0;  // per mille of the current track
  std::string Label;     // "mm:ss"
};

class PlayerEngine {
 public:
  // `rows` is the track list the window shows; it is read on the GUI thread
  // only, inside the engine's commands and RowsChanged. The drive is the open
  // handle in CDHandle at the time of each read.
  PlayerEngine(const TrackListModel& rows, PlayerView& view, SoundOutput& output);
  // Stops playback and waits for its threads.
  ~PlayerEngine();
  PlayerEngine(const PlayerEngine&) = delete;
  PlayerEngine& operator=(const PlayerEngine&) = delete;

  // Whether the start-up check found a usable sound device; without one every
  // command that plays does nothing. Set before the first command.
  void SetSoundAvailable(bool available) { soundAvailable_.store(available); }

  // Transport commands (GUI thread).
  void OnPlay();                        // from the first checked row
  void OnPlayCurrent(int selectedRow);  // the selected row (-1: none), switching tracks while playing
  void OnPause();                       // pause or resume
  void OnStop() { StopPlayback(); }
  void OnPrevious();  // the checked row before the current one
  void OnNext();      // the checked row after it
  void OnFirst();     // the first checked row
  void OnLast();      // the last checked row
  // Moves playback to `perMille` of the current track; returns the position
  // the seek slider is to show (its ends do not move playback).
  int OnSeek(int perMille);
  // The volume slider moved: sets Volume; false when ignored (while seeking).
  bool OnVolume(int volume);
  // The volume slider's tool tip for a slider position.
  static std::string VolumeTipText(int volume);

  // Ends a running playback and waits until both threads have ended. Runs
  // before a rip, a refresh, a tray or drive change and at exit.
  void StopPlayback();
  // The disc in the drive changed or went away: playback stops before the
  // window refreshes the disc and the track list.
  void OnMediaChanged() { StopPlayback(); }
  // The window changed rows or check boxes of the model (GUI thread).
  void RowsChanged();

  // The slider position and label for `seconds` played of the current track.
  PlayerTimeDisplay TimeDisplayOf(int seconds) const;

  // The current row: the one being played, or the one the next command
  // starts from. The window sets it when it picks a row itself (a refresh,
  // Rip Current).
  int CurrentItem() const;
  void SetCurrentItem(int row);

  bool Playing() const { return playing_.load() != 0; }
  bool Paused() const { return paused_.load() != 0; }
  bool Seeking() const { return seeking_.load() != 0; }

 private:
  struct Row {
    int32_t ItemData = 0;
    int32_t StartLBA = 0;
    bool Checked = false;
  };
  // One playback: its ring and its two threads. Replaced only on the GUI
  // thread after both threads have been joined, so the threads never see it go.
  struct Playback {
    SampleRing ring{kPlayerRingCapacity};
    std::atomic<bool> readerDone{false};
    std::thread reader;
    std::thread player;
  };
  enum class Move { Previous, Next, First, Last };

  // Joins the last playback's threads, then plays from `row`.
  void StartPlayback(int row);
  void JoinThreads();
  void MoveTo(Move move);
  void ReaderThread(Playback& playback);
  void PlayerThread(Playback& playback);
  // Returns false when the playback is to end: no later checked row.
  bool AdvanceLocked();
  void Fail(const char* logText);
  // Clears Seeking, Paused and Playing and wakes the threads.
  void EndFlags();
  // Sleeping threads: woken at once by a change of Paused or Playing, so a
  // paused playback costs nothing and a stop is not kept waiting.
  void Wake();
  void Doze(std::chrono::milliseconds time);
  void WaitWhilePaused();

  // Under lock_.
  void CopyRowsLocked();
  int NextCheckedLocked(int from) const;
  int PreviousCheckedLocked(int from) const;
  void SetTrackPositionLocked(int row);
  void MakeCurrentLocked(int row);
  void ResetRingLocked();

  const TrackListModel& model_;
  PlayerView& view_;
  SoundOutput& output_;

  std::atomic<int> playing_{0};
  std::atomic<int> paused_{0};
  std::atomic<int> seeking_{0};
  std::atomic<int> soundAvailable_{1};
  std::atomic<int> volume_{kVolumeMax};
  // Set by a thread that ends the playback with an error: its Status cell
  // keeps "Error".
  std::atomic<bool> failed_{false};
  std::mutex wakeMutex_;
  std::condition_variable wake_;

  mutable std::mutex lock_;  // guards everything below and the ring's contents
  std::vector<Row> rows_;
  int currentItem_ = 0;
  int remainingSectors_ = 0;
  int currentLBA_ = 0;
  unsigned elapsedTenths_ = 0;
  double durationTenths_ = 0.0;
  // Grows with every change of position, so a read that started before it
  // is not stored at the new position.
  uint64_t position_ = 0;
  // The last playback. The GUI thread alone creates, resets (under lock_)
  // and replaces it; its threads hold a reference.
  std::unique_ptr<Playback> playback_;
};
