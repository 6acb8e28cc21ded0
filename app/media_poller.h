// Watches the current drive for a disc being inserted or taken out, the way
// the system's media notices would: a thread asks the drive library for the
// medium of the current drive at a fixed interval and reports each change.
// Other drives are not watched; a new current drive is first looked at
// quietly, so selecting a drive is not taken for a disc change.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "platform/cd_drive.h"

class DiscWorker;
class MainWindowPort;

class MediaPoller {
 public:
  // Called on the poller's thread: arrival true for a disc that came, false
  // for one that went. A disc replaced between two looks gives a removal and
  // then an arrival.
  using ChangeHandler = std::function<void(bool arrival)>;

  static constexpr std::chrono::milliseconds kDefaultInterval{500};

  explicit MediaPoller(ChangeHandler onChange, std::chrono::milliseconds interval = kDefaultInterval);
  ~MediaPoller();  // Stop()
  MediaPoller(const MediaPoller&) = delete;
  MediaPoller& operator=(const MediaPoller&) = delete;

  // Ends the thread (a wait between looks ends at once) and joins it. Safe to
  // call twice.
  void Stop();

  // How many looks at the drive have been completed; tests wait on it.
  uint64_t PollCount() const { return polls_.load(); }

 private:
  void Run(std::stop_token stop);
  void Poll();

  ChangeHandler onChange_;
  std::chrono::milliseconds interval_;
  int drive_ = -1;  // the drive the last look was at, -1 none
  DriveMediaStatus last_;
  std::atomic<uint64_t> polls_{0};
  std::jthread thread_;
};

// What the main window does on a media change of the current drive (any
// thread): logs "Insert disc." or "Eject disc.", resets the play-time label to
// "00:00" and queues a refresh without a lookup.
void OnDeviceChange(MainWindowPort& port, DiscWorker& worker, bool arrival);
