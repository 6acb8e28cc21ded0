// The disc refresh on the worker thread, against generated disc images: the
// status texts, the disc state it leaves, the placeholder album, the retry
// after a failed lookup, the ordering of actions and the busy rules.
#include "app/disc_worker.h"

#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <stdexcept>

#include "app/album_defaults.h"
#include "app/drives.h"
#include "app/main_commands.h"
#include "app/media_poller.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "tests/platform/cd_drive_test_util.h"
#include "tests/support/recording_port.h"

namespace {

using Kind = RecordingMainWindowPort::Kind;
using Call = RecordingMainWindowPort::Call;
constexpr auto kWait = std::chrono::seconds(30);

// The disc ID as the CDDB protocol defines it, worked out from the image.
uint32_t ExpectedDiscID(const DiscImageLayout& layout) {
  auto digitSum = [](int n) {
    int sum = 0;
    for (; n > 0; n /= 10) sum += n % 10;
    return sum;
  };
  int n = 0;
  for (const auto& track : layout.Tracks) n += digitSum((track.StartLBA + 150) / 75);
  const int first = (layout.Tracks.front().StartLBA + 150) / 75;
  const int total = (layout.LeadOutLBA + 150) / 75 - first;
  return (static_cast<uint32_t>(n % 255) << 24) | (static_cast<uint32_t>(total) << 8) |
         static_cast<uint32_t>(layout.Tracks.size());
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
  bool WaitEntered(int times = 1) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWait, [&] { return entered_ >= times; });
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
  for (size_t i = 0; i < 3; ++i) {
    const int f = layout.Tracks[i].StartLBA + 150;
    EXPECT_EQ(TrackPositions[i], (CCDDBTrackPosition{f / 4500, f % 4500 / 75, f % 75})) << i;
  }
  EXPECT_EQ(TrackPositions[3].Minute * 4500 + TrackPositions[3].Second * 75 + TrackPositions[3].Frame,
            layout.LeadOutLBA + 150);
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

TEST_F(DiscWorkerTest, DataOnlyDiscIsNotAnAudioCd) {
  UseDisc({{DataTrack(2.0)}});
  int lookups = 0;
  DiscWorker worker(port_);
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token) { ++lookups; });
  AlbumRecord.Artist = "Previous Artist";
  RefreshAndWait(worker);

  EXPECT_EQ(port_.LastDiscStatus(), " Not an Audio CD");
  EXPECT_EQ(NoDisc.load(), 0);
  EXPECT_EQ(IsAudioDisc.load(), 0);
  EXPECT_EQ(lookups, 0);
  EXPECT_EQ(LookupOnRefresh.load(), 0);
  // The placeholder step ran (lists emptied, texts kept) and the list is refilled.
  EXPECT_EQ(AlbumInfoIsDefault.load(), 1);
  EXPECT_EQ(AlbumRecord.Artist, "Previous Artist");
  EXPECT_EQ(port_.CountOf(Kind::FillList), 1);
}

TEST_F(DiscWorkerTest, MissingImageIsNoDisc) {
  UseDrive(scratch_.File("nothing.cue"));
  int lookups = 0;
  DiscWorker worker(port_);
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token) { ++lookups; });
  RefreshAndWait(worker);

  EXPECT_EQ(port_.LastDiscStatus(), "No Disc");
  EXPECT_EQ(NoDisc.load(), 1);
  EXPECT_EQ(lookups, 0);
  EXPECT_EQ(port_.CountOf(Kind::FillList), 0);
  EXPECT_EQ(port_.CountOf(Kind::ClearList), 1);
  EXPECT_EQ(Busy.load(), 0);
  EXPECT_EQ(LookupFollowsSetting.load(), 1);
}

TEST_F(DiscWorkerTest, MixedDiscCountsAsAudioAndItsDataTrackIsInTheId) {
  const DiscImageLayout layout = UseDisc({{AudioTrack(2.0), AudioTrack(1.0), DataTrack(3.0, 150)}});
  DiscWorker worker(port_);
  RefreshAndWait(worker);

  EXPECT_EQ(IsAudioDisc.load(), 1);
  EXPECT_EQ(TrackPositions.size(), 4u);
  EXPECT_EQ(DiscID, ExpectedDiscID(layout));
  EXPECT_EQ(port_.LastDiscStatus(), ExpectedStatus(layout));
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

TEST_F(DiscWorkerTest, NoLookupWhenLoadAlbumInfoIsOff) {
  UseDisc({{AudioTrack(1.0)}});
  LoadAlbumInfo = 0;
  int lookups = 0;
  DiscWorker worker(port_);
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token) { ++lookups; });
  RefreshAndWait(worker);
  EXPECT_EQ(lookups, 0);
  EXPECT_EQ(AlbumInfoIsDefault.load(), 1);
  EXPECT_EQ(AlbumRecord.TrackTitles, std::vector<std::string>{"Track01"});
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
  EXPECT_EQ(playerStops, 1);
  DriveMediaStatus status;
  ASSERT_EQ(GetDriveMediaStatus(LibraryDriveIndex(0), &status), 1);
  EXPECT_EQ(status.Present, 0);
  // Moving the tray does not refresh by itself.
  EXPECT_EQ(Count(port_.Calls(), Kind::Log, "Refreshing CD..."), refreshes);

  EXPECT_TRUE(OnCloseTray(worker, stopPlayer));
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  ASSERT_EQ(GetDriveMediaStatus(LibraryDriveIndex(0), &status), 1);
  EXPECT_EQ(status.Present, 1);
  EXPECT_TRUE(OnRefresh(worker, stopPlayer));
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  EXPECT_EQ(Count(port_.Calls(), Kind::Log, "Refreshing CD..."), refreshes + 1);
  EXPECT_EQ(playerStops, 3);
}

TEST_F(DiscWorkerTest, StopEndsARefreshThatWaitsAndLeavesNoDisc) {
  UseDisc({{AudioTrack(1.0)}});
  Gate gate;
  DiscWorker worker(port_);
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token stop) {
    gate.Pass(stop);
    AlbumRecord.Artist = "Not finished";
  });
  worker.Start(kDiscRefresh);
  ASSERT_TRUE(gate.WaitEntered());
  worker.Start(kDiscOpenTray);

  worker.Stop();
  EXPECT_EQ(NoDisc.load(), 1);
  EXPECT_EQ(Busy.load(), 0);
  EXPECT_EQ(port_.CountOf(Kind::FillList), 0);
  EXPECT_FALSE(port_.HasLog("Error on refresh disc info!"));
  // The queued tray action was dropped, and nothing runs after the stop.
  DriveMediaStatus status;
  ASSERT_EQ(GetDriveMediaStatus(LibraryDriveIndex(0), &status), 1);
  EXPECT_EQ(status.Present, 1);
  worker.Start(kDiscRefresh);
  EXPECT_EQ(worker.QueuedActions(), 0);
  worker.Stop();
}

TEST_F(DiscWorkerTest, HeldActionsWaitAndThenRunInOrder) {
  UseDisc({{AudioTrack(1.0)}});
  DiscWorker worker(port_);
  worker.HoldActions(true);
  worker.Start(kDiscOpenTray);
  worker.Start(kDiscRefresh);
  worker.Start(kDiscRefresh);
  EXPECT_EQ(worker.QueuedActions(), 2);
  EXPECT_FALSE(worker.WaitUntilIdle(std::chrono::milliseconds(20)));
  worker.HoldActions(false);
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  // The tray opened first, so the refresh found no disc.
  EXPECT_EQ(port_.DiscStatusTexts(), std::vector<std::string>{"No Disc"});
}

// ---- The table of contents alone ----------------------------------------------

struct TOCBytes {
  std::array<uint8_t, kTOCBufferSize> bytes{};
  TOCBytes(int first, int last, std::vector<std::pair<uint32_t, uint8_t>> entries) {
    const int length = 2 + 8 * static_cast<int>(entries.size());
    bytes[0] = static_cast<uint8_t>(length >> 8);
    bytes[1] = static_cast<uint8_t>(length);
    bytes[2] = static_cast<uint8_t>(first);
    bytes[3] = static_cast<uint8_t>(last);
    for (size_t i = 0; i < entries.size(); ++i) {
      uint8_t* d = bytes.data() + 4 + 8 * i;
      d[1] = static_cast<uint8_t>(0x10 | entries[i].second);
      d[2] = i + 1 == entries.size() ? kTOCLeadOutTrack : static_cast<uint8_t>(first + i);
      const uint32_t lba = entries[i].first;
      d[4] = static_cast<uint8_t>(lba >> 24);
      d[5] = static_cast<uint8_t>(lba >> 16);
      d[6] = static_cast<uint8_t>(lba >> 8);
      d[7] = static_cast<uint8_t>(lba);
    }
  }
};

TEST(DescribeDiscTest, NoDiscWhenTheReadFailedOrTheLengthIsZero) {
  TOCBytes toc(1, 1, {{0, 0}, {1000, 0}});
  EXPECT_EQ(DescribeDisc(toc.bytes.data(), 0).StatusText, "No Disc");
  EXPECT_EQ(DescribeDisc(toc.bytes.data(), 0).NoDisc, 1);
  std::array<uint8_t, kTOCBufferSize> zero{};
  EXPECT_EQ(DescribeDisc(zero.data(), 1).NoDisc, 1);
}

TEST(DescribeDiscTest, LengthMillisecondsAreRounded) {
  // Lead-out at 4500 + 75 + 37 frames: 01:01 and 37/75 s = 493.3 ms.
  const DiscInfo info = DescribeDisc(TOCBytes(1, 1, {{0, 0}, {4612, 0}}).bytes.data(), 1);
  EXPECT_EQ(info.StatusText, fmt::sprintf("Recognized Audio CD: %08x  Length: 01:01.493", info.DiscID));
  // 74 frames: 986.67 ms rounds up to 987.
  const DiscInfo late = DescribeDisc(TOCBytes(1, 1, {{0, 0}, {74 + 750, 0}}).bytes.data(), 1);
  EXPECT_EQ(late.StatusText.substr(late.StatusText.size() - 9), "00:10.987");
}

TEST(DescribeDiscTest, FirstTrackAboveOneIsReadFromTheFirstDescriptor) {
  const DiscInfo info = DescribeDisc(TOCBytes(3, 4, {{0, 0}, {750, 0}, {1500, 0}}).bytes.data(), 1);
  ASSERT_EQ(info.TrackPositions.size(), 3u);
  EXPECT_EQ(info.TrackPositions[0], (CCDDBTrackPosition{0, 2, 0}));
  EXPECT_EQ(info.TrackPositions[1], (CCDDBTrackPosition{0, 12, 0}));
  EXPECT_EQ(info.TrackPositions[2], (CCDDBTrackPosition{0, 22, 0}));
  EXPECT_EQ(info.DiscID & 0xFF, 2u);
}

TEST(DescribeDiscTest, ResponsesThatDescribeNoDiscAreRefused) {
  struct Case {
    const char* name;
    TOCBytes toc;
  };
  std::vector<Case> cases = {
      {"first track 0", TOCBytes(0, 1, {{0, 0}, {100, 0}, {200, 0}})},
      {"last before first", TOCBytes(2, 1, {{0, 0}})},
      {"start falls", TOCBytes(1, 2, {{500, 0}, {100, 0}, {900, 0}})},
      {"lead-out falls", TOCBytes(1, 1, {{500, 0}, {100, 0}})},
      {"beyond 100 minutes", TOCBytes(1, 1, {{0, 0}, {450000, 0}})},
      {"huge start", TOCBytes(1, 1, {{0xFFFFFFF0u, 0}, {0xFFFFFFFFu, 0}})},
  };
  // Tracks announced that the response does not hold.
  TOCBytes shortOne(1, 5, {{0, 0}, {100, 0}});
  cases.push_back({"entries missing", shortOne});
  TOCBytes tooMany(1, 99, {{0, 0}});
  tooMany.bytes[2] = 1;
  tooMany.bytes[3] = 100;
  tooMany.bytes[0] = 0x03;
  tooMany.bytes[1] = 0x2A;
  cases.push_back({"100 tracks", tooMany});
  for (const Case& c : cases) EXPECT_THROW(DescribeDisc(c.toc.bytes.data(), 1), std::runtime_error) << c.name;
}

// ---- Placeholder album --------------------------------------------------------

TEST(AlbumDefaultsTest, AudioDiscGetsNamedPlaceholders) {
  NoDisc = 0;
  IsAudioDisc = 1;
  TrackPositions = {{0, 2, 0}, {1, 0, 10}, {3, 30, 74}};
  AlbumRecord = CCDDBRecord();
  AlbumRecord.PlayOrder = {1, 2};
  AlbumInfoIsDefault = 0;
  SetAlbumDefaults();
  const CCDDBRecord& a = AlbumRecord;
  EXPECT_EQ(AlbumInfoIsDefault.load(), 1);
  EXPECT_EQ(a.TrackOffsets, (std::vector<int>{150, 60 * 75 + 10}));
  EXPECT_EQ(a.TrackTitles, (std::vector<std::string>{"Track01", "Track02"}));
  EXPECT_EQ(a.ExtendedTrackData, (std::vector<std::string>{"", ""}));
  EXPECT_TRUE(a.PlayOrder.empty());
  const std::string id = fmt::sprintf("%08x", a.DiscID);
  EXPECT_EQ(a.Artist, "Unknown Artist " + id);
  EXPECT_EQ(a.Title, "Unknown Album " + id);
  EXPECT_EQ(a.Genre, "Unknown Genre " + id);
  EXPECT_EQ(a.Year, 2000);
  EXPECT_EQ(a.DiscLength, 210 - 2);
  EXPECT_EQ(a.SubmittedViaClient, "DerODIZ");
  EXPECT_EQ(a.SubmittedViaVersion, "1.28");
  EXPECT_EQ(a.SubmittedViaComment, "");
  EXPECT_EQ(a.DiscID & 0xFF, 2u);
}

TEST(AlbumDefaultsTest, WithoutAnAudioDiscOnlyTheListsAreEmptied) {
  NoDisc = 1;
  IsAudioDisc = 1;
  AlbumRecord = CCDDBRecord();
  AlbumRecord.Artist = "Kept";
  AlbumRecord.Year = 1999;
  AlbumRecord.TrackTitles = {"One"};
  SetAlbumDefaults();
  EXPECT_EQ(AlbumRecord.Artist, "Kept");
  EXPECT_EQ(AlbumRecord.Year, 1999);
  EXPECT_TRUE(AlbumRecord.TrackTitles.empty());
  EXPECT_EQ(AlbumInfoIsDefault.load(), 1);
}

TEST(AlbumDefaultsTest, ClearCDDBResultsEmptiesTheLastLookup) {
  QueryResults = {CCDDBQueryResult{"rock", 1, "A", "T"}};
  MatchRecords = {CCDDBRecord()};
  OutputSubFolder = "A/T/";
  ClearCDDBResults();
  EXPECT_TRUE(QueryResults.empty());
  EXPECT_TRUE(MatchRecords.empty());
  EXPECT_TRUE(OutputSubFolder.empty());
}

}  // namespace
