#include "app/player_engine.h"

#include <fmt/printf.h>

#include <algorithm>
#include <chrono>
#include <new>
#include <stdexcept>

#include "app/disc_worker.h"
#include "app/settings.h"
#include "platform/cd_drive.h"
#include "platform/log_sink.h"
#include "ui/core/win_types.h"

namespace {

// While the ring has no room (reader) or too little data (player).
constexpr auto kIdleSleep = std::chrono::milliseconds(25);
constexpr double kSectorsPerTenth = 7.5;  // 75 sectors per second

const char* const kPlayingText = "Playing";
const char* const kPausedText = "Paused";

std::string TimeText(int seconds) { return fmt::sprintf("%02d:%02d", seconds / 60, seconds % 60); }

struct SectorBufferFree {
  void operator()(SectorBuffer* buffer) const { FreeSectorBuffer(buffer); }
};

}  // namespace

PlayerEngine::PlayerEngine(const TrackListModel& rows, PlayerView& view, SoundOutput& output)
    : model_(rows), view_(view), output_(output) {}

PlayerEngine::~PlayerEngine() {
  EndFlags();
  JoinThreads();
}

// --- Commands (GUI thread) ---

void PlayerEngine::OnPlay() {
  if (Busy.load() != 0 || soundAvailable_.load() == 0 || playing_.load() != 0) return;
  int first = -1;
  {
    std::lock_guard guard(lock_);
    CopyRowsLocked();
    first = NextCheckedLocked(-1);
  }
  if (first < 0) {
    view_.ShowMessage("Warning: No Audio Track Checked!", "", MB_ICONEXCLAMATION);
    return;
  }
  StartPlayback(first);
}

void PlayerEngine::OnPlayCurrent(int selectedRow) {
  if (Busy.load() != 0 || soundAvailable_.load() == 0) return;
  std::unique_lock guard(lock_);
  CopyRowsLocked();
  if (selectedRow < 0 || selectedRow >= static_cast<int>(rows_.size())) {
    guard.unlock();
    view_.ShowMessage("No Audio Track Selected!", "", MB_OK);
    return;
  }
  if (rows_[static_cast<size_t>(selectedRow)].ItemData < 0) {
    guard.unlock();
    view_.ShowMessage("Not an Audio Track!", "", MB_ICONERROR);
    return;
  }
  if (playing_.load() == 0) {
    guard.unlock();
    StartPlayback(selectedRow);
    return;
  }
  // Switch tracks within the running playback.
  view_.PlaybackText("", kPlaybackTextClearStatus, -1);
  ResetRingLocked();
  MakeCurrentLocked(selectedRow);
  view_.PlaybackText(paused_.load() != 0 ? kPausedText : kPlayingText, kPlaybackTextStatus, selectedRow);
  elapsedTenths_ = 0;
  SetTrackPositionLocked(selectedRow);
  guard.unlock();
  view_.SetTimeLabel(TimeText(0));
}

void PlayerEngine::OnPause() {
  if (soundAvailable_.load() == 0 || playing_.load() == 0) return;
  std::lock_guard guard(lock_);
  const bool paused = paused_.load() != 0;
  view_.PlaybackText(paused ? kPlayingText : kPausedText, kPlaybackTextStatus, currentItem_);
  paused_.store(paused ? 0 : 1);
  Wake();
}

void PlayerEngine::OnPrevious() { MoveTo(Move::Previous); }
void PlayerEngine::OnNext() { MoveTo(Move::Next); }
void PlayerEngine::OnFirst() { MoveTo(Move::First); }
void PlayerEngine::OnLast() { MoveTo(Move::Last); }

void PlayerEngine::MoveTo(Move move) {
  if (Busy.load() != 0) return;
  std::unique_lock guard(lock_);
  CopyRowsLocked();
  const int count = static_cast<int>(rows_.size());
  if (move == Move::First && currentItem_ == 0) return;
  if (move == Move::Last && currentItem_ == count - 1) return;
  int target = -1;
  switch (move) {
    case Move::Previous:
      target = PreviousCheckedLocked(currentItem_);
      break;
    case Move::Next:
      target = NextCheckedLocked(currentItem_);
      break;
    case Move::First:
      target = NextCheckedLocked(-1);
      break;
    case Move::Last:
      target = PreviousCheckedLocked(count);
      break;
  }
  if (target < 0 || seeking_.load() != 0) return;
  const bool playing = playing_.load() != 0;
  if (playing) {
    ResetRingLocked();
    view_.PlaybackText("", kPlaybackTextClearStatus, -1);
  }
  MakeCurrentLocked(target);
  if (!playing) return;
  view_.PlaybackText(paused_.load() != 0 ? kPausedText : kPlayingText, kPlaybackTextStatus, target);
  elapsedTenths_ = 0;
  SetTrackPositionLocked(target);
  guard.unlock();
  view_.SetTimeLabel(TimeText(0));
}

int PlayerEngine::OnSeek(int perMille) {
  if (seeking_.load() != 0 || playing_.load() == 0) return perMille;
  if (perMille >= kSeekRange) return kSeekRange;
  if (perMille <= 0) return 0;
  seeking_.store(1);
  try {
    double duration = 0.0;
    {
      std::lock_guard guard(lock_);
      const bool audio = currentItem_ >= 0 && currentItem_ < static_cast<int>(rows_.size()) &&
                         rows_[static_cast<size_t>(currentItem_)].ItemData >= 0;
      if (!audio) throw std::logic_error("no audio track is current");
      const Row& row = rows_[static_cast<size_t>(currentItem_)];
      const uint32_t length = static_cast<uint32_t>(row.ItemData);
      const auto offset = static_cast<int32_t>(length * static_cast<uint32_t>(perMille) / 1000.0 + 0.5);
      currentLBA_ = row.StartLBA + offset;
      remainingSectors_ = row.ItemData - offset;
      elapsedTenths_ = static_cast<unsigned>(offset / kSectorsPerTenth + 0.5);
      ResetRingLocked();
      duration = durationTenths_;
    }
    view_.SetTimeLabel(TimeText(static_cast<int>(perMille / 10000.0 * duration)));
  } catch (...) {
    {
      std::lock_guard guard(lock_);
      view_.PlaybackText("Error during seeking the track!", LogError, -1);
    }
    StopPlayback();
  }
  seeking_.store(0);
  return perMille;
}

bool PlayerEngine::OnVolume(int volume) {
  if (seeking_.load() != 0) return false;
  volume = std::clamp(volume, 0, kVolumeMax);
  Volume = static_cast<uint16_t>(volume);
  volume_.store(volume);
  return true;
}

std::string PlayerEngine::VolumeTipText(int volume) { return fmt::sprintf("Volume: %d", volume); }

void PlayerEngine::StopPlayback() {
  if (soundAvailable_.load() != 0 && playing_.load() != 0) {
    EndFlags();
  }
  // Also collects the threads of a playback that ended by itself.
  JoinThreads();
}

void PlayerEngine::RowsChanged() {
  std::lock_guard guard(lock_);
  CopyRowsLocked();
}

PlayerTimeDisplay PlayerEngine::TimeDisplayOf(int seconds) const {
  double duration = 0.0;
  {
    std::lock_guard guard(lock_);
    duration = durationTenths_;
  }
  PlayerTimeDisplay display;
  // Before the first playback there is no track length to divide by.
  if (duration > 0.0)
    display.SeekPosition =
        static_cast<int>(std::clamp(seconds * 10000.0 / duration, 0.0, double{kSeekRange}));
  display.Label = TimeText(seconds);
  return display;
}

int PlayerEngine::CurrentItem() const {
  std::lock_guard guard(lock_);
  return currentItem_;
}

void PlayerEngine::SetCurrentItem(int row) {
  std::lock_guard guard(lock_);
  currentItem_ = row;
}

// --- Playback start and end (GUI thread) ---

void PlayerEngine::StartPlayback(int row) {
  // The last playback may still be draining its final block; its end must be
  // over before the new one sets the flags and posts its texts.
  JoinThreads();
  failed_.store(false);
  volume_.store(std::min<int>(Volume, kVolumeMax));
  {
    std::lock_guard guard(lock_);
    playback_ = std::make_unique<Playback>();
    MakeCurrentLocked(row);
    view_.PlaybackText(kPlayingText, kPlaybackTextStatus, row);
    elapsedTenths_ = 0;
    SetTrackPositionLocked(row);
  }
  playing_.store(1);
  seeking_.store(0);
  paused_.store(0);
  Playback& playback = *playback_;
  try {
    playback.reader = std::thread([this, &playback] { ReaderThread(playback); });
    playback.player = std::thread([this, &playback] { PlayerThread(playback); });
  } catch (...) {
    EndFlags();
    JoinThreads();
    Fail("An error occurred while playing.");
  }
}

void PlayerEngine::JoinThreads() {
  if (!playback_) return;
  if (playback_->reader.joinable()) playback_->reader.join();
  if (playback_->player.joinable()) playback_->player.join();
}

// --- Threads ---

void PlayerEngine::ReaderThread(Playback& playback) {
  try {
    std::unique_ptr<SectorBuffer, SectorBufferFree> buffer(AllocSectorBuffer(kPlayerReadSectors));
    if (!buffer) throw std::bad_alloc();
    while (playing_.load() != 0) {
      if (paused_.load() != 0) {
        WaitWhilePaused();
        continue;
      }
      // Wait for room for more than a whole read.
      if (playback.ring.GetFreeCount() / kSamplesPerSector <= kPlayerReadSectors) {
        Doze(kIdleSleep);
        continue;
      }
      int32_t lba = 0;
      int32_t count = 0;
      uint64_t position = 0;
      {
        std::lock_guard guard(lock_);
        if (remainingSectors_ <= 0) {
          if (!AdvanceLocked()) break;
          continue;
        }
        count = std::min(remainingSectors_, kPlayerReadSectors);
        lba = currentLBA_;
        position = position_;
      }
      SectorBuffer& request = *buffer;
      request.StartSector = static_cast<uint32_t>(lba);
      request.SectorCount = static_cast<uint32_t>(count);
      request.Length = 0;
      request.StartOffset = 0;
      const int read = ReadCDAudioLBA(CDHandle.load(), &request);
      // A bad sector is skipped; a drive that is no longer open is not a bad sector.
      if (read != 1 && request.Status == kCDStatusInvalidHandle)
        throw std::runtime_error("the drive is not open");
      std::lock_guard guard(lock_);
      if (position != position_) continue;  // the position moved while the drive read
      if (read == 1)
        playback.ring.Write(reinterpret_cast<const int16_t*>(request.Data() + request.StartOffset),
                            request.Length / 2);
      remainingSectors_ -= count;
      currentLBA_ += count;
    }
  } catch (...) {
    Fail("An error occurred while reading audio CD.");
  }
  playback.readerDone.store(true);
}

bool PlayerEngine::AdvanceLocked() {
  const int next = NextCheckedLocked(currentItem_);
  if (next < 0) return false;
  view_.PlaybackText("", kPlaybackTextStatus, currentItem_);
  MakeCurrentLocked(next);
  SetTrackPositionLocked(next);
  elapsedTenths_ = 0;
  view_.PlaybackTime(0);
  view_.PlaybackText(kPlayingText, kPlaybackTextStatus, next);
  return true;
}

void PlayerEngine::PlayerThread(Playback& playback) {
  std::string error;
  if (!output_.Open(&error)) {
    // No stream: the playback ends as at its end, and the reader at its next look.
    {
      std::lock_guard guard(lock_);
      view_.PlaybackText("Fail to open input stream.", LogError, -1);
    }
    EndFlags();
  } else {
    try {
      std::vector<int16_t> block(kPlayerBlockSamples);
      while (playing_.load() != 0) {
        if (paused_.load() != 0) {
          WaitWhilePaused();
          continue;
        }
        uint32_t count = 0;
        bool wait = false;
        {
          std::lock_guard guard(lock_);
          // Looked at before the count: once the reader is done, every sample it wrote is counted.
          const bool readerDone = playback.readerDone.load();
          count = playback.ring.GetReadCount();
          if (count >= kPlayerBlockSamples) {
            count = kPlayerBlockSamples;
          } else if (!readerDone) {
            wait = true;
          } else {
            playing_.store(0);  // the last, short block
            Wake();
          }
          if (!wait) {
            ++elapsedTenths_;
            playback.ring.Read(block.data(), count);
            if (playing_.load() != 0 && elapsedTenths_ % 10 == 0)
              view_.PlaybackTime(static_cast<int>(elapsedTenths_ / 10));
          }
        }
        if (wait) {
          Doze(kIdleSleep);
          continue;
        }
        const int volume = volume_.load();
        if (volume != kVolumeMax) {
          const float factor = static_cast<float>(volume) / 100.0f;
          for (uint32_t i = 0; i < count; ++i) block[i] = static_cast<int16_t>(block[i] * factor);
        }
        if (count > 0 && !output_.Write(block.data(), count / 2))
          throw std::runtime_error("sound output failed");
      }
    } catch (...) {
      Fail("An error occurred while playing.");
    }
    output_.Close();
  }
  {
    std::lock_guard guard(lock_);
    view_.PlaybackTime(0);
    // After an error the Status cell keeps saying so.
    if (!failed_.load()) view_.PlaybackText("", kPlaybackTextClearStatus, -1);
  }
  EndFlags();
}

void PlayerEngine::Fail(const char* logText) {
  failed_.store(true);
  {
    std::lock_guard guard(lock_);
    view_.PlaybackText("Error", kPlaybackTextStatus, currentItem_);
    view_.PlaybackText(logText, LogError, -1);
  }
  EndFlags();
}

void PlayerEngine::EndFlags() {
  seeking_.store(0);
  paused_.store(0);
  playing_.store(0);
  Wake();
}

void PlayerEngine::Wake() {
  // Taking the mutex orders the flag change before a sleeper's look at it:
  // a sleeper either sees the new value or is already waiting for this call.
  { std::lock_guard guard(wakeMutex_); }
  wake_.notify_all();
}

void PlayerEngine::Doze(std::chrono::milliseconds time) {
  std::unique_lock guard(wakeMutex_);
  wake_.wait_for(guard, time, [this] { return playing_.load() == 0; });
}

void PlayerEngine::WaitWhilePaused() {
  std::unique_lock guard(wakeMutex_);
  wake_.wait(guard, [this] { return paused_.load() == 0 || playing_.load() == 0; });
}

// --- Under lock_ ---

void PlayerEngine::CopyRowsLocked() {
  rows_.resize(static_cast<size_t>(model_.Count()));
  for (int i = 0; i < model_.Count(); ++i) {
    const TrackRow& row = model_.Row(i);
    rows_[static_cast<size_t>(i)] = Row{row.ItemData, row.StartLBA, row.Checked};
  }
}

int PlayerEngine::NextCheckedLocked(int from) const {
  for (int r = std::max(from + 1, 0); r < static_cast<int>(rows_.size()); ++r)
    if (rows_[static_cast<size_t>(r)].Checked && rows_[static_cast<size_t>(r)].ItemData >= 0) return r;
  return -1;
}

int PlayerEngine::PreviousCheckedLocked(int from) const {
  for (int r = std::min(from, static_cast<int>(rows_.size())) - 1; r >= 0; --r)
    if (rows_[static_cast<size_t>(r)].Checked && rows_[static_cast<size_t>(r)].ItemData >= 0) return r;
  return -1;
}

void PlayerEngine::SetTrackPositionLocked(int row) {
  const bool audio =
      row >= 0 && row < static_cast<int>(rows_.size()) && rows_[static_cast<size_t>(row)].ItemData >= 0;
  remainingSectors_ = audio ? rows_[static_cast<size_t>(row)].ItemData : 0;
  currentLBA_ = audio ? rows_[static_cast<size_t>(row)].StartLBA : 0;
  durationTenths_ = remainingSectors_ / kSectorsPerTenth + 0.5;
  ++position_;
}

void PlayerEngine::MakeCurrentLocked(int row) {
  currentItem_ = row;
  view_.CurrentRowChanged(row);
}

void PlayerEngine::ResetRingLocked() {
  // The ring of an ended playback stays until the next one replaces it, so
  // a reset never reaches freed memory.
  if (playback_) playback_->ring.Reset();
  ++position_;
}
