// What the player tests and the player benchmark share: a sound output that
// keeps every sample it is given (optionally at a real device's pace, or held
// like a busy device), a window that records what the player reports, and a
// disc in a test drive with its track list.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window_port.h"
#include "app/player_engine.h"
#include "app/track_list_model.h"
#include "platform/cd_drive.h"
#include "tests/support/disc_image.h"
#include "tests/support/fake_drive.h"

class CapturingOutput : public SoundOutput {
 public:
  bool Open(std::string* error) override {
    std::lock_guard guard(mutex_);
    ++opens_;
    if (failOpen_) {
      if (error) *error = "refused";
      return false;
    }
    open_ = true;
    return true;
  }

  bool Write(const int16_t* samples, uint32_t frames) override {
    std::unique_lock guard(mutex_);
    if (!open_) ++writesWhileClosed_;
    ++pendingWrites_;
    changed_.notify_all();
    changed_.wait(guard, [this] { return !hold_; });
    --pendingWrites_;
    if (failWrites_) return false;
    samples_.insert(samples_.end(), samples, samples + 2 * frames);
    ++writes_;
    changed_.notify_all();
    if (paced_) {
      guard.unlock();
      std::this_thread::sleep_for(std::chrono::microseconds(uint64_t{frames} * 1000000 / kSoundSampleRate));
    }
    return true;
  }

  void Close() override {
    std::lock_guard guard(mutex_);
    if (!open_) ++closesWhileClosed_;
    open_ = false;
    ++closes_;
  }

  void FailOpen(bool fail) { Set(failOpen_, fail); }
  void FailWrites(bool fail) { Set(failWrites_, fail); }
  // Writes take as long as the audio they carry, like a sound card's.
  void Pace(bool paced) { Set(paced_, paced); }
  // While held, a write does not return, like a device that is busy.
  void Hold(bool hold) {
    Set(hold_, hold);
    changed_.notify_all();
  }
  // Waits until a write is waiting in a held output.
  bool WaitForHeldWrite() {
    std::unique_lock guard(mutex_);
    return changed_.wait_for(guard, std::chrono::seconds(30), [this] { return pendingWrites_ > 0; });
  }
  bool WaitForWrites(int count) {
    std::unique_lock guard(mutex_);
    return changed_.wait_for(guard, std::chrono::seconds(30), [&] { return writes_ >= count; });
  }

  std::vector<int16_t> Samples() const { return Get(samples_); }
  int Writes() const { return Get(writes_); }
  int Opens() const { return Get(opens_); }
  int Closes() const { return Get(closes_); }
  // Calls on a stream that was never opened or already closed.
  int CallsWithoutStream() const {
    std::lock_guard guard(mutex_);
    return writesWhileClosed_ + closesWhileClosed_;
  }

 private:
  template <typename T>
  void Set(T& field, T value) {
    std::lock_guard guard(mutex_);
    field = value;
  }
  template <typename T>
  T Get(const T& field) const {
    std::lock_guard guard(mutex_);
    return field;
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<int16_t> samples_;
  bool open_ = false, failOpen_ = false, failWrites_ = false, paced_ = false, hold_ = false;
  int opens_ = 0, closes_ = 0, writes_ = 0, pendingWrites_ = 0, writesWhileClosed_ = 0,
      closesWhileClosed_ = 0;
};

// What the player told the window, in order.
class RecordingPlayerView : public PlayerView {
 public:
  enum class Kind { Text, Time, Row, Label, Message };
  struct Call {
    Kind kind;
    std::string text;
    int value = 0;  // text kind, seconds, row, message style
    int row = -1;   // the row of a text
  };

  void PlaybackText(const std::string& text, int kind, int row) override {
    Add({Kind::Text, text, kind, row});
  }
  void PlaybackTime(int seconds) override { Add({Kind::Time, "", seconds}); }
  void CurrentRowChanged(int row) override { Add({Kind::Row, "", row}); }
  void SetTimeLabel(const std::string& text) override { Add({Kind::Label, text}); }
  int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) override {
    Add({Kind::Message, text, static_cast<int>(style), caption.empty() ? -1 : 0});
    return 1;  // IDOK
  }

  std::vector<Call> Calls() const {
    std::lock_guard guard(mutex_);
    return calls_;
  }
  std::vector<Call> Of(Kind kind) const {
    std::vector<Call> out;
    for (const auto& c : Calls())
      if (c.kind == kind) out.push_back(c);
    return out;
  }
  void Clear() {
    std::lock_guard guard(mutex_);
    calls_.clear();
  }

 private:
  void Add(Call call) {
    std::lock_guard guard(mutex_);
    calls_.push_back(std::move(call));
  }
  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};

// A disc in a test drive, open as the program's drive, and its track list.
struct PlayerDisc {
  explicit PlayerDisc(const DiscImageSpec& discSpec) : drive(discSpec) { Load(); }
  // The disc in an image file.
  explicit PlayerDisc(const std::string& imagePath) : drive(imagePath) { Load(); }
  ~PlayerDisc() {
    CloseCDHandle(CDHandle);
    CDHandle = 0;
  }
  void Load() {
    CDHandle = drive.Open();
    DiscSnapshot snapshot;
    snapshot.NoDisc = 0;
    snapshot.IsAudioDisc = 1;
    ReadTOC(CDHandle, snapshot.TOC.data());
    model.Refill(snapshot);
  }

  // The samples of `row` from its sector `fromSector` to its end.
  std::vector<int16_t> RowSamples(int row, int32_t fromSector = 0) const {
    std::vector<int16_t> out;
    const TrackRow& r = model.Row(row);
    for (int32_t lba = r.StartLBA + fromSector; lba < r.StartLBA + r.Length(); ++lba)
      for (int i = 0; i < kImageSamplesPerSector; ++i) out.push_back(ExpectedSample(lba, i));
    return out;
  }

  FakeDrive drive;
  TrackListModel model;
};

// Waits until the playback has ended by itself, then collects its threads.
inline bool WaitUntilStopped(PlayerEngine& engine, std::chrono::seconds limit = std::chrono::seconds(60)) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (engine.Playing()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  engine.StopPlayback();
  return true;
}
