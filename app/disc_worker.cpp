// The disc worker thread, the disc refresh and the busy switch.
#include "app/disc_worker.h"

#include <fmt/printf.h>

#include <cstring>
#include <stdexcept>
#include <utility>

#include "app/album_defaults.h"
#include "app/drives.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "cddb/disc_id.h"

std::atomic<int> Busy{0};
std::atomic<int> IsAudioDisc{0};
std::atomic<int> LookupOnRefresh{1};
std::atomic<int> LookupFollowsSetting{1};

namespace {

constexpr int kTOCParameter = 36;  // the drive parameter set before a TOC read
constexpr uint32_t kFramesPerMinute = 4500;
constexpr uint32_t kFramesPerSecond = 75;
constexpr uint32_t kLeadInFrames = 150;
// A disc holds less than 100 minutes.
constexpr uint32_t kMaxDiscFrames = 100 * kFramesPerMinute;

void PlaceholderLookup(MainWindowPort&, std::stop_token) { SetAlbumDefaults(); }

uint32_t DescriptorLBA(const TOCData& toc, int index) {
  uint32_t lba = 0;
  ReadBigEndian32(&lba, toc.Descriptors[index].StartLBA);
  return lba;
}

// The number of track descriptors of `toc`, after checking that the response
// describes a disc: 1 to 99 tracks numbered upwards, all present in the
// response, starts rising and the lead-out within 100 minutes.
int CheckedTrackCount(const TOCData& toc) {
  const int length = (toc.Length[0] << 8) | toc.Length[1];
  const int first = toc.FirstTrack;
  const int last = toc.LastTrack;
  const int count = last - first + 1;
  if (first < 1 || count < 1 || count > kTOCMaxDescriptors - 1 || length < 2 + 8 * (count + 1))
    throw std::runtime_error(
        fmt::format("unusable table of contents: tracks {}-{}, length {}", first, last, length));
  for (int k = 0; k <= count; ++k) {
    const uint32_t lba = DescriptorLBA(toc, k);
    if (lba >= kMaxDiscFrames - kLeadInFrames || (k > 0 && lba < DescriptorLBA(toc, k - 1)))
      throw std::runtime_error(fmt::format("unusable table of contents: start {} of entry {}", lba, k));
  }
  return count;
}

std::string RecognizedText(uint32_t discId, uint32_t leadOut) {
  const int ms =
      static_cast<int>(static_cast<double>(leadOut % kFramesPerSecond) / kFramesPerSecond * 1000.0 + 0.5);
  return "Recognized Audio CD:" + fmt::sprintf(" %08x  Length: ", discId) +
         fmt::sprintf("%02d:", static_cast<int>(leadOut / kFramesPerMinute)) +
         fmt::sprintf("%02d.", static_cast<int>(leadOut % kFramesPerMinute / kFramesPerSecond)) +
         fmt::sprintf("%03d", ms);
}

}  // namespace

void SetIdle(MainWindowPort& port, bool idle) {
  Busy = idle ? 0 : 1;
  port.SetIdle(idle);
}

DiscSnapshot CurrentDiscSnapshot() {
  DiscSnapshot disc;
  disc.NoDisc = NoDisc.load();
  disc.IsAudioDisc = IsAudioDisc.load();
  disc.DiscID = DiscID;
  std::memcpy(disc.TOC.data(), TOCBuffer, disc.TOC.size());
  disc.TrackPositions = TrackPositions;
  disc.Album = CopyAlbumRecord();
  disc.AlbumInfoIsDefault = AlbumInfoIsDefault.load();
  disc.LookupOnRefresh = LookupOnRefresh.load();
  disc.LastSessionLBA = LastSessionLBA.load();
  return disc;
}

DiscInfo DescribeDisc(const uint8_t* tocBytes, int readResult) {
  DiscInfo info;
  const auto& toc = *reinterpret_cast<const TOCData*>(tocBytes);
  if (readResult != 1 || (toc.Length[0] == 0 && toc.Length[1] == 0)) {
    info.StatusText = "No Disc";
    return info;
  }
  const int count = CheckedTrackCount(toc);
  info.NoDisc = 0;
  for (int i = 0; i < count; ++i) {
    if ((toc.Descriptors[i].AdrControl & kTOCDataTrack) == 0) {
      info.IsAudioDisc = 1;
      break;
    }
  }
  if (!info.IsAudioDisc) {
    info.StatusText = " Not an Audio CD";
    return info;
  }
  // Descriptors 0 .. count-1 are the tracks in disc order, descriptor count
  // the lead-out; a disc whose first track number is not 1 is read the same.
  for (int k = 0; k <= count; ++k) {
    const uint32_t f = DescriptorLBA(toc, k) + kLeadInFrames;
    info.TrackPositions.push_back({static_cast<int>(f / kFramesPerMinute),
                                   static_cast<int>(f % kFramesPerMinute / kFramesPerSecond),
                                   static_cast<int>(f % kFramesPerSecond)});
  }
  info.DiscID = ComputeDiscID(info.TrackPositions);
  info.StatusText = RecognizedText(info.DiscID, DescriptorLBA(toc, count));
  return info;
}

void RefreshDiscInfo(MainWindowPort& port) {
  // No readable disc until its table of contents has been read and checked.
  NoDisc = 1;
  const int drive = CurrentDrive.load();
  CDHandleRequest request;
  std::memset(&request, 0, sizeof(request));
  const bool listed = drive >= 0 && drive < DriveList.Count;
  if (listed) {
    const CDDriveEntry& entry = DriveList.Entries[drive];
    request.Size = sizeof(request);
    request.Mode = 1;
    request.HostAdapter = entry.HostAdapter;
    request.Target = entry.Target;
    request.Lun = entry.Lun;
  }
  if (const int old = CDHandle.exchange(0)) CloseCDHandle(old);
  const int handle = listed ? GetCDHandle(&request) : 0;
  CDHandle = handle;
  if (handle == 0) {
    port.AddLog("Error on get drive handle!", LogError);
    // The pane would otherwise still describe the disc read before.
    port.SetStatusText(kStatusDiscMedia, "No Disc");
    return;
  }

  std::memset(TOCBuffer, 0, sizeof(TOCBuffer));
  ModifyCDParms(handle, kTOCParameter, 0);
  const int result = ReadTOC(handle, TOCBuffer);
  DiscInfo info;
  try {
    info = DescribeDisc(TOCBuffer, result);
  } catch (...) {
    // A table of contents that describes no disc: the disc is treated as
    // absent, so the pane must not keep describing the disc read before, and
    // the retry without a lookup would only read the same table again.
    LookupOnRefresh = 0;
    ClearCDDBResults();
    port.SetStatusText(kStatusDiscMedia, "No Disc");
    throw;
  }
  NoDisc = info.NoDisc;
  IsAudioDisc = info.IsAudioDisc;
  if (info.NoDisc || !info.IsAudioDisc) {
    LookupOnRefresh = 0;
    ClearCDDBResults();
  } else {
    TrackPositions = std::move(info.TrackPositions);
    DiscID = info.DiscID;
  }
  // The track list needs to know where a later session begins.
  int32_t lastSession = -1;
  if (info.NoDisc || ReadLastSessionLBA(handle, &lastSession) != 1) lastSession = -1;
  LastSessionLBA = lastSession;
  port.SetStatusText(kStatusDiscMedia, info.StatusText);
}

DiscWorker::DiscWorker(MainWindowPort& port) : port_(port), lookup_(PlaceholderLookup) {
  thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

DiscWorker::~DiscWorker() { Stop(); }

void DiscWorker::SetAlbumLookup(AlbumLookup lookup) {
  std::lock_guard lock(mutex_);
  lookup_ = lookup ? std::move(lookup) : AlbumLookup(PlaceholderLookup);
}

void DiscWorker::Start(DiscWorkerAction action) { Enqueue({action, -1}); }

void DiscWorker::StartRefresh(int lookupOnRefresh) { Enqueue({kDiscRefresh, lookupOnRefresh}); }

void DiscWorker::Enqueue(Request request) {
  {
    std::lock_guard lock(mutex_);
    if (stopped_) return;
    if (request.action == kDiscRefresh && !queue_.empty() && queue_.back().action == kDiscRefresh) {
      // The waiting refresh will read the drive after this request anyway.
      if (request.lookup >= 0) queue_.back().lookup = request.lookup;
      return;
    }
    queue_.push_back(request);
  }
  wake_.notify_all();
}

void DiscWorker::HoldActions(bool hold) {
  {
    std::lock_guard lock(mutex_);
    held_ = hold;
  }
  wake_.notify_all();
}

void DiscWorker::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    queue_.clear();
  }
  idle_.notify_all();
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
}

bool DiscWorker::WaitUntilIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, timeout, [this] { return queue_.empty() && !running_; });
}

int DiscWorker::QueuedActions() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(queue_.size());
}

void DiscWorker::Run(std::stop_token stop) {
  for (;;) {
    Request request;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, stop, [this] { return !queue_.empty() && !held_; });
      if (stop.stop_requested()) return;
      request = queue_.front();
      queue_.pop_front();
      running_ = true;
    }
    Perform(request, stop);
    {
      std::lock_guard lock(mutex_);
      running_ = false;
    }
    idle_.notify_all();
  }
}

void DiscWorker::Perform(const Request& request, std::stop_token stop) {
  try {
    switch (request.action) {
      case kDiscRefresh:
        if (request.lookup >= 0) LookupOnRefresh = request.lookup;
        RefreshCD(stop);
        break;
      case kDiscOpenTray:
        SetDriveDoor(1, CurrentDrive.load());
        break;
      case kDiscCloseTray:
        SetDriveDoor(0, CurrentDrive.load());
        break;
    }
  } catch (...) {
    // RefreshCD handles its own failures and a tray move throws nothing; an
    // unexpected failure (out of memory) must still not end the program.
  }
}

void DiscWorker::RefreshCD(std::stop_token stop) {
  while (RefreshPass(stop) && !stop.stop_requested()) {
  }
  SetIdle(port_, true);
  LookupFollowsSetting = 1;
}

bool DiscWorker::RefreshPass(std::stop_token stop) {
  AlbumInfoIsDefault = 0;
  SetIdle(port_, false);
  ClearCDDBResults();
  try {
    if (LookupFollowsSetting) LookupOnRefresh = LoadAlbumInfo;
    port_.AddLog("Refreshing CD...", LogInfo);
    port_.ClearTrackList();
    port_.EnableTrackList();
    RefreshDiscInfo(port_);
    if (NoDisc) return false;
    if (stop.stop_requested()) {
      NoDisc = 1;  // the album of this disc was not found
      return false;
    }
    if (LookupOnRefresh) {
      AlbumLookup lookup;
      {
        std::lock_guard lock(mutex_);
        lookup = lookup_;
      }
      lookup(port_, stop);
    } else {
      SetAlbumDefaults();
    }
    if (stop.stop_requested()) {
      NoDisc = 1;
      return false;
    }
    port_.FillTrackList(CurrentDiscSnapshot());
    return false;
  } catch (...) {
    return RefreshFailed(stop);
  }
}

bool DiscWorker::RefreshFailed(std::stop_token stop) {
  if (stop.stop_requested()) {
    NoDisc = 1;
    return false;
  }
  port_.AddLog("Error on refresh disc info!", LogError);
  if (!LookupOnRefresh) return false;
  LookupOnRefresh = 0;
  LookupFollowsSetting = 0;
  ClearCDDBResults();
  SetAlbumDefaults();
  return true;
}
