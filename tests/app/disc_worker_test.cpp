// The disc refresh on the worker thread, against generated disc images: the
// status texts, the disc state it leaves, the placeholder album, the retry
// after a failed lookup, the ordering of actions and the busy rules.
#include "app/disc_worker.h"

#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

#include "app/album_defaults.h"
#include "app/drives.h"
#include "app/main_commands.h"
#include "app/media_poller.h"
#include "app/rip_job_snapshot.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "cddb/disc_id.h"
#include "tests/platform/cd_drive_test_util.h"
#include "tests/support/fake_drive.h"
#include "tests/support/recording_port.h"

namespace {

using Kind = RecordingMainWindowPort::Kind;
using Call = RecordingMainWindowPort::Call;
constexpr auto kWait = std::chrono::seconds(30);

CCDDBTrackPosition PositionOf(int lba) {
  const int f = lba + 150;
  return {f / 4500, f % 4500 / 75, f % 75};
}

// The disc ID of the image, worked out by the CDDB module from its layout.
uint32_t ExpectedDiscID(const DiscImageLayout& layout) {
  std::vector<CCDDBTrackPosition> positions;
  for (const auto& track : layout.Tracks) positions.push_back(PositionOf(track.StartLBA));
  positions.push_back(PositionOf(layout.LeadOutLBA));
  return ComputeDiscID(positions);
}

std::string ExpectedStatus(const DiscImageLayout& layout) {
  const int lba = layout.LeadOutLBA;
  const int ms = static_cast<int>((lba % 75) / 75.0 * 1000 + 0.5);
  char text[80];
  std::snprintf(text, sizeof(text), "Recognized Audio CD: %08x  Length: %02d:%02d.%03d",
                ExpectedDiscID(layout), lba / 4500, lba % 4500 / 75, ms);
  return text;
}

// A lookup that waits, inside the refresh, until the test lets it go (or the
// worker is told to stop).
class Gate {
 public:
  void Pass(std::stop_token stop) {
    std::unique_lock lock(mutex_);
    ++entered_;
    changed_.notify_all();
    changed_.wait(lock, stop, [this] { return open_; });
  }
  bool WaitEntered() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWait, [&] { return entered_ > 0; });
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable_any changed_;
  int entered_ = 0;
  bool open_ = false;
};

int Count(const std::vector<Call>& calls, Kind kind, const std::string& text = {}) {
  int n = 0;
  for (const Call& c : calls) n += c.kind == kind && (text.empty() || c.text == text);
  return n;
}

class DiscWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Busy = 0;
    NoDisc = 1;
    IsAudioDisc = 0;
    LookupOnRefresh = 1;
    LookupFollowsSetting = 1;
    LoadAlbumInfo = 1;
    AlbumInfoIsDefault = 0;
    AlbumRecord = CCDDBRecord();
    TrackPositions.clear();
    DiscID = 0;
  }
  void TearDown() override {
    if (const int handle = CDHandle.exchange(0)) CloseCDHandle(handle);
  }

  // Lists an image of `tracks` as the only drive and makes it current.
  DiscImageLayout UseDisc(const DiscImageSpec& tracks) {
    image_ = WriteDiscImage(scratch_.Path(), tracks);
    UseDrive(image_);
    return LayoutOf(tracks);
  }
  void UseDrive(const std::string& token) {
    drives_.reset();  // the old list gives its variable back first
    drives_ = std::make_unique<DrivesVariable>(token);
    ASSERT_TRUE(EnumerateDrives(port_).Found);
    CurrentDrive = 0;
    port_.Reset();
  }
  void RefreshAndWait(DiscWorker& worker) {
    worker.Start(kDiscRefresh);
    ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  }

  ScratchFolder scratch_;
  std::string image_;
  std::unique_ptr<DrivesVariable> drives_;
  RecordingMainWindowPort port_;
};

TEST_F(DiscWorkerTest, AudioDiscIsRecognizedWithItsIdAndLength) {
  const DiscImageLayout layout = UseDisc({{AudioTrack(2.0), AudioTrack(3.5, 75), AudioTrackSectors(112)}});
  DiscWorker worker(port_);
  RefreshAndWait(worker);

  EXPECT_EQ(port_.LastDiscStatus(), ExpectedStatus(layout));
  EXPECT_EQ(NoDisc.load(), 0);
  EXPECT_EQ(IsAudioDisc.load(), 1);
  EXPECT_EQ(DiscID, ExpectedDiscID(layout));
  ASSERT_EQ(TrackPositions.size(), 4u);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_EQ(TrackPositions[i], PositionOf(i < 3 ? layout.Tracks[i].StartLBA : layout.LeadOutLBA)) << i;
  EXPECT_EQ(Busy.load(), 0);
  EXPECT_EQ(LookupFollowsSetting.load(), 1);

  const std::vector<Kind> expected = {Kind::Idle,   Kind::Log,      Kind::ClearList, Kind::EnableList,
                                      Kind::Status, Kind::FillList, Kind::Idle};
  std::vector<Kind> kinds;
  for (const Call& c : port_.Calls()) kinds.push_back(c.kind);
  EXPECT_EQ(kinds, expected);
  EXPECT_EQ(port_.Calls().front().value, 0);
  EXPECT_EQ(port_.Calls().back().value, 1);
  EXPECT_EQ(port_.LogLines(), std::vector<std::string>{"Refreshing CD..."});

  // Until the lookup is installed, the album is the placeholder one.
  const auto filled = port_.FilledLists();
  ASSERT_EQ(filled.size(), 1u);
  EXPECT_EQ(filled[0].DiscID, DiscID);
  EXPECT_EQ(filled[0].AlbumInfoIsDefault, 1);
  EXPECT_EQ(filled[0].Album.TrackTitles, (std::vector<std::string>{"Track01", "Track02", "Track03"}));
  EXPECT_EQ(filled[0].Album.Artist, fmt::sprintf("Unknown Artist %08x", DiscID));
  EXPECT_EQ(filled[0].TOC[3], 3);  // last track number of the copied table of contents
}

TEST_F(DiscWorkerTest, OtherDiscsAndSettings) {
  struct Case {
    const char* name;
    std::optional<DiscImageSpec> disc;  // none: the image file is missing
    int16_t loadAlbumInfo;
    const char* status;  // empty: the recognized text
    int noDisc, isAudio, lookups, fills;
  };
  const Case cases[] = {
      {"mixed", DiscImageSpec{{AudioTrack(2.0), AudioTrack(1.0), DataTrack(3.0, 150)}}, 1, "", 0, 1, 1, 1},
      {"data only", DiscImageSpec{{DataTrack(2.0)}}, 1, " Not an Audio CD", 0, 0, 0, 1},
      {"missing image", std::nullopt, 1, "No Disc", 1, 0, 0, 0},
      {"LoadAlbumInfo off", DiscImageSpec{{AudioTrack(1.0)}}, 0, "", 0, 1, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    LoadAlbumInfo = c.loadAlbumInfo;
    AlbumRecord.Artist = "Previous Artist";
    std::string status = c.status;
    if (c.disc) {
      const DiscImageLayout layout = UseDisc(*c.disc);
      if (status.empty()) status = ExpectedStatus(layout);
    } else {
      UseDrive(scratch_.File("nothing.cue"));
    }
    int lookups = 0;
    DiscWorker worker(port_);
    worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token) { ++lookups; });
    RefreshAndWait(worker);

    EXPECT_EQ(port_.LastDiscStatus(), status);
    EXPECT_EQ(NoDisc.load(), c.noDisc);
    EXPECT_EQ(IsAudioDisc.load(), c.isAudio);
    EXPECT_EQ(lookups, c.lookups);
    EXPECT_EQ(port_.CountOf(Kind::FillList), c.fills);
    EXPECT_EQ(port_.CountOf(Kind::ClearList), 1);
    EXPECT_EQ(Busy.load(), 0);
    EXPECT_EQ(LookupFollowsSetting.load(), 1);
    if (c.isAudio && !c.lookups) {
      EXPECT_EQ(AlbumInfoIsDefault.load(), 1);
      EXPECT_EQ(AlbumRecord.TrackTitles, std::vector<std::string>{"Track01"});
    }
    if (c.disc && !c.isAudio) {
      // The placeholder step ran (lists emptied, texts kept); no lookup next time either.
      EXPECT_EQ(AlbumInfoIsDefault.load(), 1);
      EXPECT_EQ(AlbumRecord.Artist, "Previous Artist");
      EXPECT_EQ(LookupOnRefresh.load(), 0);
    }
    if (const int handle = CDHandle.exchange(0)) CloseCDHandle(handle);
  }
}

TEST_F(DiscWorkerTest, DriveThatDoesNotOpenLeavesNoDisc) {
  UseDisc({{AudioTrack(1.0)}});
  DiscWorker worker(port_);
  RefreshAndWait(worker);
  ASSERT_EQ(NoDisc.load(), 0);
  port_.Reset();

  CurrentDrive = 3;  // not a listed drive
  RefreshAndWait(worker);
  EXPECT_TRUE(port_.HasLog("Error on get drive handle!"));
  EXPECT_EQ(NoDisc.load(), 1);
  // The pane no longer describes the disc read before.
  EXPECT_EQ(port_.LastDiscStatus(), "No Disc");
  EXPECT_EQ(CDHandle.load(), 0);
  EXPECT_EQ(Busy.load(), 0);
}

TEST_F(DiscWorkerTest, UnreadableTableOfContentsLeavesNoDisc) {
  // A disc read before, then one whose lead-out lies past 100 minutes (the
  // 150 frames before LBA 0 included): its table of contents describes no
  // disc, and the pane must not keep describing the old one.
  FakeDrive good({{AudioTrack(1.0)}});
  FakeDrive tooLong({{AudioTrackSectors(100 * 60 * 75 - 100)}});
  ASSERT_TRUE(EnumerateDrives(port_).Found);
  CurrentDrive = 0;
  DiscWorker worker(port_);
  int lookups = 0;
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token) { ++lookups; });
  RefreshAndWait(worker);
  ASSERT_EQ(port_.LastDiscStatus().rfind("Recognized Audio CD:", 0), 0u);
  port_.Reset();

  CurrentDrive = 1;
  RefreshAndWait(worker);
  EXPECT_EQ(port_.LastDiscStatus(), "No Disc");
  EXPECT_EQ(NoDisc.load(), 1);
  EXPECT_EQ(port_.LogLines(), (std::vector<std::string>{"Refreshing CD...", "Error on refresh disc info!"}));
  EXPECT_EQ(port_.CountOf(Kind::FillList), 0);
  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(Busy.load(), 0);
  EXPECT_EQ(LookupFollowsSetting.load(), 1);
}

TEST_F(DiscWorkerTest, FailedLookupIsRetriedWithoutLookupBeforeTheRefreshEnds) {
  const DiscImageLayout layout = UseDisc({{AudioTrack(1.0), AudioTrack(1.0)}});
  int lookups = 0;
  std::vector<int> busyAtRefresh;
  port_.OnCall(Kind::Log, [&](const Call& call) {
    if (call.text == "Refreshing CD...") busyAtRefresh.push_back(Busy.load());
  });
  DiscWorker worker(port_);
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token) {
    ++lookups;
    AlbumRecord.Artist = "Half-read";
    throw std::runtime_error("server gone");
  });
  RefreshAndWait(worker);

  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(port_.LogLines(), (std::vector<std::string>{"Refreshing CD...", "Error on refresh disc info!",
                                                        "Refreshing CD..."}));
  // The window became idle once, after the retry; the retry ran busy.
  std::vector<int> idle;
  for (const Call& c : port_.CallsOf(Kind::Idle)) idle.push_back(c.value);
  EXPECT_EQ(idle, (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(busyAtRefresh, (std::vector<int>{1, 1}));
  EXPECT_EQ(Busy.load(), 0);
  EXPECT_EQ(LookupOnRefresh.load(), 0);
  EXPECT_EQ(LookupFollowsSetting.load(), 1);
  EXPECT_EQ(AlbumInfoIsDefault.load(), 1);
  EXPECT_EQ(AlbumRecord.Artist, fmt::sprintf("Unknown Artist %08x", ExpectedDiscID(layout)));
  EXPECT_EQ(port_.CountOf(Kind::FillList), 1);

  // The next refresh follows the setting again and looks the album up.
  RefreshAndWait(worker);
  EXPECT_EQ(lookups, 2);
}

TEST_F(DiscWorkerTest, RetryThatFindsNoDiscStillRestoresLookups) {
  UseDisc({{AudioTrack(1.0)}});
  DiscWorker worker(port_);
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token) {
    std::filesystem::rename(image_, image_ + ".gone");
    throw std::runtime_error("lookup failed");
  });
  RefreshAndWait(worker);
  EXPECT_EQ(port_.LastDiscStatus(), "No Disc");
  EXPECT_EQ(NoDisc.load(), 1);
  EXPECT_EQ(LookupFollowsSetting.load(), 1);
  EXPECT_EQ(Busy.load(), 0);
}

TEST_F(DiscWorkerTest, MediaChangeDuringARefreshWaitsForIt) {
  UseDisc({{AudioTrack(1.0)}});
  Gate gate;
  int lookups = 0;
  std::vector<int> lookupFlags;
  DiscWorker worker(port_);
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token stop) {
    lookupFlags.push_back(LookupOnRefresh.load());
    if (++lookups == 1) gate.Pass(stop);
  });
  worker.Start(kDiscRefresh);
  ASSERT_TRUE(gate.WaitEntered());

  OnDeviceChange(port_, worker, true);
  EXPECT_EQ(worker.QueuedActions(), 1);
  EXPECT_EQ(LookupOnRefresh.load(), 1);  // the running refresh keeps its lookup
  EXPECT_EQ(Count(port_.Calls(), Kind::Log, "Refreshing CD..."), 1);
  EXPECT_TRUE(port_.HasLog("Insert disc."));
  EXPECT_EQ(port_.CallsOf(Kind::PlayTime).at(0).text, "00:00");

  gate.Open();
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  const auto calls = port_.Calls();
  EXPECT_EQ(Count(calls, Kind::Log, "Refreshing CD..."), 2);
  // The second refresh began only after the first had made the window idle.
  std::vector<int> idle;
  for (const Call& c : calls)
    if (c.kind == Kind::Idle) idle.push_back(c.value);
  EXPECT_EQ(idle, (std::vector<int>{0, 1, 0, 1}));
  EXPECT_EQ(lookups, 2);
  EXPECT_EQ(lookupFlags, (std::vector<int>{1, 1}));
}

// The window builds the track list's names from the album while refreshes
// replace it with placeholders or a looked-up album: each read sees one whole
// album, never one half written.
TEST_F(DiscWorkerTest, WindowReadsWholeAlbumsWhileRefreshesWriteThem) {
  UseDisc({{AudioTrack(1.0), AudioTrack(1.0)}});
  CCDDBRecord found;
  found.Artist = "Found Artist";
  found.TrackTitles = {"One", "Two"};
  DiscWorker worker(port_);
  int refreshes = 0;
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token) {
    if (++refreshes % 2 == 0)
      SetAlbumRecord(found);
    else
      SetAlbumDefaults();
  });
  std::atomic<int> torn = 0;
  std::jthread window([&](std::stop_token stop) {
    while (!stop.stop_requested()) {
      const OutputNaming naming = CurrentOutputNaming();
      const bool placeholder = naming.artist.starts_with("Unknown Artist");
      const size_t titles = naming.artist.empty() ? 0 : 2;
      if (naming.trackTitles.size() != titles ||
          (naming.trackTitles.size() == 2 && (naming.trackTitles[0] == "One") == placeholder))
        ++torn;
    }
  });
  for (int i = 0; i < 40; ++i) RefreshAndWait(worker);
  window.request_stop();
  window.join();
  EXPECT_EQ(refreshes, 40);
  EXPECT_EQ(torn.load(), 0);
}

TEST_F(DiscWorkerTest, CommandsDoNothingWhileARefreshRuns) {
  UseDisc({{AudioTrack(1.0)}});
  Gate gate;
  DiscWorker worker(port_);
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token stop) { gate.Pass(stop); });
  int playerStops = 0;
  const StopPlayerHook stopPlayer = [&] { ++playerStops; };
  worker.Start(kDiscRefresh);
  ASSERT_TRUE(gate.WaitEntered());
  ASSERT_EQ(Busy.load(), 1);

  EXPECT_FALSE(OnRefresh(worker, stopPlayer));
  EXPECT_FALSE(OnEject(worker, stopPlayer));
  EXPECT_FALSE(OnCloseTray(worker, stopPlayer));
  EXPECT_EQ(worker.QueuedActions(), 0);
  EXPECT_EQ(playerStops, 0);

  gate.Open();
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  const int refreshes = Count(port_.Calls(), Kind::Log, "Refreshing CD...");
  EXPECT_TRUE(OnEject(worker, stopPlayer));
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  DriveMediaStatus status;
  ASSERT_EQ(GetDriveMediaStatus(LibraryDriveIndex(0), &status), 1);
  EXPECT_EQ(status.Present, 0);
  // Moving the tray does not refresh by itself.
  EXPECT_EQ(Count(port_.Calls(), Kind::Log, "Refreshing CD..."), refreshes);
  EXPECT_TRUE(OnRefresh(worker, stopPlayer));
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  EXPECT_EQ(Count(port_.Calls(), Kind::Log, "Refreshing CD..."), refreshes + 1);
  EXPECT_EQ(playerStops, 2);
}

// ---- The table of contents alone ----------------------------------------------

struct TOCBytes {
  std::array<uint8_t, kTOCBufferSize> bytes{};
  // `lbas` holds the tracks' starts and then the lead-out.
  TOCBytes(int first, int last, std::vector<uint32_t> lbas) {
    const int length = 2 + 8 * static_cast<int>(lbas.size());
    bytes = {static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length), static_cast<uint8_t>(first),
             static_cast<uint8_t>(last)};
    for (size_t i = 0; i < lbas.size(); ++i) {
      uint8_t* d = bytes.data() + 4 + 8 * i;
      d[1] = 0x10;
      d[2] = i + 1 == lbas.size() ? kTOCLeadOutTrack : static_cast<uint8_t>(first + i);
      for (int b = 0; b < 4; ++b) d[4 + b] = static_cast<uint8_t>(lbas[i] >> (24 - 8 * b));
    }
  }
};

TEST(DescribeDiscTest, LengthFirstTrackAndNoDisc) {
  // Lead-out at 750 + 74 frames: 986.67 ms rounds up to 987.
  const DiscInfo info = DescribeDisc(TOCBytes(1, 1, {0, 74 + 750}).bytes.data(), 1);
  EXPECT_EQ(info.StatusText, fmt::sprintf("Recognized Audio CD: %08x  Length: 00:10.987", info.DiscID));
  // A first track above one is read from the first descriptor.
  const DiscInfo third = DescribeDisc(TOCBytes(3, 4, {0, 750, 1500}).bytes.data(), 1);
  EXPECT_EQ(third.TrackPositions, (std::vector<CCDDBTrackPosition>{{0, 2, 0}, {0, 12, 0}, {0, 22, 0}}));
  EXPECT_EQ(third.DiscID & 0xFF, 2u);
  // A failed read or a zero length is no disc.
  const DiscInfo failed = DescribeDisc(TOCBytes(1, 1, {0, 1000}).bytes.data(), 0);
  EXPECT_EQ(failed.StatusText, "No Disc");
  EXPECT_EQ(failed.NoDisc, 1);
  std::array<uint8_t, kTOCBufferSize> zero{};
  EXPECT_EQ(DescribeDisc(zero.data(), 1).NoDisc, 1);
}

TEST(DescribeDiscTest, ResponsesThatDescribeNoDiscAreRefused) {
  struct Case {
    const char* name;
    TOCBytes toc;
  };
  std::vector<Case> cases = {
      {"first track 0", TOCBytes(0, 1, {0, 100, 200})},
      {"last before first", TOCBytes(2, 1, {0})},
      {"start falls", TOCBytes(1, 2, {500, 100, 900})},
      {"lead-out falls", TOCBytes(1, 1, {500, 100})},
      {"beyond 100 minutes", TOCBytes(1, 1, {0, 450000})},
      {"huge start", TOCBytes(1, 1, {0xFFFFFFF0u, 0xFFFFFFFFu})},
      {"entries missing", TOCBytes(1, 5, {0, 100})},  // tracks announced that the response does not hold
  };
  TOCBytes tooMany(1, 100, {0});
  tooMany.bytes[0] = 0x03;
  tooMany.bytes[1] = 0x2A;
  cases.push_back({"100 tracks", tooMany});
  for (const Case& c : cases) EXPECT_THROW(DescribeDisc(c.toc.bytes.data(), 1), std::runtime_error) << c.name;
}

}  // namespace
