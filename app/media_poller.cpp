// The media poller and the media-change reaction of the main window.
#include "app/media_poller.h"

#include <condition_variable>
#include <mutex>
#include <utility>

#include "app/disc_worker.h"
#include "app/drives.h"
#include "app/main_window_port.h"

MediaPoller::MediaPoller(ChangeHandler onChange, std::chrono::milliseconds interval)
    : onChange_(std::move(onChange)), interval_(interval) {
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

MediaPoller::~MediaPoller() { Stop(); }

void MediaPoller::Stop() {
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
}

void MediaPoller::Run(std::stop_token stop) {
  std::mutex mutex;
  std::condition_variable_any wake;
  while (!stop.stop_requested()) {
    Poll();
    polls_.fetch_add(1);
    std::unique_lock lock(mutex);
    wake.wait_for(lock, stop, interval_, [] { return false; });
  }
}

void MediaPoller::Poll() {
  const int drive = CurrentDrive.load();
  const int libraryDrive = LibraryDriveIndex(drive);
  DriveMediaStatus now;
  if (libraryDrive < 0 || !GetDriveMediaStatus(libraryDrive, &now)) {
    drive_ = -1;
    return;
  }
  const bool sameDrive = drive == drive_;
  const DriveMediaStatus before = last_;
  drive_ = drive;
  last_ = now;
  if (!sameDrive || !onChange_) return;

  if (now.Present != before.Present) {
    onChange_(now.Present != 0);
  } else if (now.Present && now.ChangeCount != before.ChangeCount) {
    onChange_(false);
    onChange_(true);
  }
}

void OnDeviceChange(MainWindowPort& port, DiscWorker& worker, bool arrival) {
  port.AddLog(arrival ? "Insert disc." : "Eject disc.", LogInfo);
  port.SetPlayTimeText("00:00");
  worker.StartRefresh(0);
}
