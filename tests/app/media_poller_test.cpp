// The media poller against image drives: tray moves of the virtual tray and
// image files that appear, vanish or are replaced become "Insert disc." and
// "Eject disc." with a refresh; other drives and a new current drive do not.
#include "app/media_poller.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "app/disc_worker.h"
#include "app/drives.h"
#include "app/main_commands.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "tests/platform/cd_drive_test_util.h"
#include "tests/support/recording_port.h"

namespace {

using Kind = RecordingMainWindowPort::Kind;
using Call = RecordingMainWindowPort::Call;
constexpr auto kWait = std::chrono::seconds(30);
constexpr auto kFast = std::chrono::milliseconds(5);

class MediaPollerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Busy = 0;
    NoDisc = 1;
    LookupOnRefresh = 1;
    LookupFollowsSetting = 1;
    LoadAlbumInfo = 1;
    CurrentDrive = -1;
  }
  void TearDown() override {
    if (const int handle = CDHandle.exchange(0)) CloseCDHandle(handle);
  }

  // Lists `list` as the drives, makes the first current and waits for its refresh.
  void UseFirstDrive(const std::string& list, DiscWorker& worker) {
    drives_ = std::make_unique<DrivesVariable>(list);
    ASSERT_TRUE(EnumerateDrives(port_).Found);
    ASSERT_TRUE(SelectDrive(port_, worker, 0, 1));
    ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  }
  std::unique_ptr<MediaPoller> WatchFor(DiscWorker& worker) {
    auto poller = std::make_unique<MediaPoller>(
        [this, &worker](bool arrival) { OnDeviceChange(port_, worker, arrival); }, kFast);
    EXPECT_TRUE(WaitForPolls(*poller, 2));
    return poller;
  }
  // Waits for a call at or after `from` that `match` accepts.
  bool WaitForCall(size_t from, const std::function<bool(const Call&)>& match) {
    return port_.WaitFor([&](const std::vector<Call>& calls) {
      for (size_t i = from; i < calls.size(); ++i)
        if (match(calls[i])) return true;
      return false;
    });
  }
  static bool Recognized(const Call& c) {
    return c.kind == Kind::Status && c.text.rfind("Recognized Audio CD: ", 0) == 0;
  }
  // Waits until the poller has looked at the drive `more` more times (or `more` times in all).
  static bool WaitForPolls(const MediaPoller& poller, uint64_t more, bool absolute = false) {
    const uint64_t target = absolute ? more : poller.PollCount() + more;
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    while (poller.PollCount() < target) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::yield();
    }
    return true;
  }
  // Index of the first log call with `text` at or after `from`; -1 if none.
  int IndexOfLog(const std::string& text, size_t from = 0) const {
    const auto calls = port_.Calls();
    for (size_t i = from; i < calls.size(); ++i)
      if (calls[i].kind == Kind::Log && calls[i].text == text) return static_cast<int>(i);
    return -1;
  }

  ScratchFolder scratch_;
  std::unique_ptr<DrivesVariable> drives_;
  RecordingMainWindowPort port_;
};

TEST_F(MediaPollerTest, VirtualTrayEjectAndCloseRefreshTheDisc) {
  DiscWorker worker(port_);
  UseFirstDrive(WriteDiscImage(scratch_.Path(), {{AudioTrack(2.0), AudioTrack(1.0)}}), worker);
  const std::string recognized = port_.LastDiscStatus();
  ASSERT_EQ(recognized.rfind("Recognized Audio CD: ", 0), 0u);
  const auto poller = WatchFor(worker);

  size_t from = port_.Calls().size();
  ASSERT_TRUE(OnEject(worker));
  ASSERT_TRUE(port_.WaitForStatus("No Disc", from));
  const int eject = IndexOfLog("Eject disc.", from);
  ASSERT_GE(eject, 0);
  EXPECT_GT(IndexOfLog("Refreshing CD...", eject), eject);
  EXPECT_EQ(port_.CallsOf(Kind::PlayTime).back().text, "00:00");
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  EXPECT_EQ(NoDisc.load(), 1);

  from = port_.Calls().size();
  ASSERT_TRUE(OnCloseTray(worker));
  ASSERT_TRUE(port_.WaitForStatus(recognized, from));
  const int insert = IndexOfLog("Insert disc.", from);
  ASSERT_GE(insert, 0);
  EXPECT_GT(IndexOfLog("Refreshing CD...", insert), insert);
  EXPECT_EQ(IndexOfLog("Eject disc.", from), -1);
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  EXPECT_EQ(NoDisc.load(), 0);
}

TEST_F(MediaPollerTest, ImageFileAppearingAndVanishingIsInsertAndEject) {
  const std::string cue = scratch_.File("later.cue");
  DiscWorker worker(port_);
  UseFirstDrive(cue, worker);
  EXPECT_EQ(port_.LastDiscStatus(), "No Disc");
  const auto poller = WatchFor(worker);

  size_t from = port_.Calls().size();
  WriteDiscImageFile(cue, {{AudioTrack(1.0)}});
  ASSERT_TRUE(WaitForCall(from, Recognized));
  EXPECT_GE(IndexOfLog("Insert disc.", from), 0);

  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  from = port_.Calls().size();
  std::filesystem::remove(cue);
  ASSERT_TRUE(port_.WaitForStatus("No Disc", from));
  EXPECT_GE(IndexOfLog("Eject disc.", from), 0);
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
}

TEST_F(MediaPollerTest, ReplacedImageIsAnEjectAndAnInsert) {
  const std::string cue = WriteDiscImage(scratch_.Path(), {{AudioTrack(1.0)}}, "disc");
  DiscWorker worker(port_);
  UseFirstDrive(cue, worker);
  const std::string firstStatus = port_.LastDiscStatus();
  const auto poller = WatchFor(worker);

  const size_t from = port_.Calls().size();
  // A different disc under the same name, swapped in at once.
  const DiscImageSpec tracks{{AudioTrack(3.0), AudioTrack(2.0)}};
  WriteDiscImage(scratch_.Path(), tracks, "other");
  std::filesystem::rename(scratch_.File("other.bin"), scratch_.File("disc.bin"));
  std::ofstream(scratch_.File("swap.cue")) << CueSheetText(tracks, "disc.bin");
  std::filesystem::rename(scratch_.File("swap.cue"), cue);

  ASSERT_TRUE(WaitForCall(from, [&](const Call& c) { return Recognized(c) && c.text != firstStatus; }));
  // Both reports are made before the poller's thread ends.
  ASSERT_TRUE(
      WaitForCall(from, [](const Call& c) { return c.kind == Kind::Log && c.text == "Insert disc."; }));
  poller->Stop();
  ASSERT_TRUE(worker.WaitUntilIdle(kWait));
  const int eject = IndexOfLog("Eject disc.", from);
  ASSERT_GE(eject, 0);
  EXPECT_GT(IndexOfLog("Insert disc.", from), eject);
  EXPECT_EQ(TrackPositions.size(), 3u);
}

TEST_F(MediaPollerTest, OtherDrivesAndANewCurrentDriveRaiseNothing) {
  const std::string a = WriteDiscImage(scratch_.Path(), {{AudioTrack(1.0)}}, "a");
  const std::string b = WriteDiscImage(scratch_.Path(), {{AudioTrack(1.0)}}, "b");
  drives_ = std::make_unique<DrivesVariable>(a + ":" + b);
  ASSERT_TRUE(EnumerateDrives(port_).Found);
  CurrentDrive = 0;
  int changes = 0;
  MediaPoller poller([&](bool) { ++changes; }, kFast);
  ASSERT_TRUE(WaitForPolls(poller, 2));

  SetDriveDoor(1, 1);  // not the current drive
  ASSERT_TRUE(WaitForPolls(poller, 3));
  EXPECT_EQ(changes, 0);

  // Drive 1 (tray open, no disc) becomes current: looked at quietly first.
  CurrentDrive = 1;
  ASSERT_TRUE(WaitForPolls(poller, 3));
  EXPECT_EQ(changes, 0);
  SetDriveDoor(0, 1);
  ASSERT_TRUE(WaitForPolls(poller, 3));
  EXPECT_EQ(changes, 1);

  // Stop ends the wait between looks at once.
  MediaPoller slow([](bool) {}, std::chrono::hours(1));
  ASSERT_TRUE(WaitForPolls(slow, 1, true));
  slow.Stop();
  slow.Stop();
  EXPECT_EQ(slow.PollCount(), 1u);
}

}  // namespace
