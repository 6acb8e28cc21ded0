// The exit sequence over a recording window and scratch folders: when it runs
// at all, what it saves (settings, log trailer, the album cache file), what it
// refuses to save, and that failures are reported while the rest goes on.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/disc_worker.h"
#include "app/drives.h"
#include "app/event_log.h"
#include "app/main_commands.h"
#include "app/media_poller.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "cddb/freedb_server.h"
#include "rip/ripping_progress.h"
#include "tests/platform/cd_drive_test_util.h"
#include "tests/support/recording_port.h"
#include "tests/support/recording_sink.h"
#include "ui/core/win_types.h"

namespace {

using Kind = RecordingMainWindowPort::Kind;
namespace fs = std::filesystem;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ExitSequenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Busy = 0;
    ExitInProgress = 0;
    NoDisc = 1;
    IsAudioDisc = 0;
    AlbumInfoIsDefault = 0;
    SaveAlbumInfo = 1;
    WriteLog = 0;
    DataFolder = scratch_.Path();
    LocalCDDBDir = scratch_.File("Local CDDB");
    ServerList = {CFreeDBServer("127.0.0.1", 8080, 1000, 6)};
    context_.port = &port_;
    context_.log = &log_;
  }
  void TearDown() override {
    if (const int handle = CDHandle.exchange(0)) CloseCDHandle(handle);
    ServerList.clear();
  }

  // An audio disc whose album was looked up.
  void LookedUpAudioDisc(uint32_t id) {
    NoDisc = 0;
    IsAudioDisc = 1;
    AlbumInfoIsDefault = 0;
    DiscID = id;
    AlbumRecord = CCDDBRecord();
    AlbumRecord.DiscID = id;
    AlbumRecord.Artist = "The Artist";
    AlbumRecord.Title = "The Album";
    AlbumRecord.TrackTitles = {"One", "Two"};
    AlbumRecord.TrackOffsets = {150, 9000};
    AlbumRecord.ExtendedTrackData = {"", ""};
    AlbumRecord.Year = 1987;
  }
  std::string CachePath(uint32_t id) const { return LocalCDDBDir + "/" + CacheFileName(id); }

  ScratchFolder scratch_;
  RecordingMainWindowPort port_;
  EventLog log_{[] { return std::time_t{1700000000}; }};
  ExitContext context_;
};

TEST_F(ExitSequenceTest, SavesSettingsLogTrailerAndReleasesEverything) {
  WriteLog = 1;
  DriveNum = 1;
  log_.AddLog("an entry", LogInfo);
  std::vector<std::string> order;
  context_.stopPlayer = [&] { order.push_back("stop player"); };
  context_.releasePlayer = [&] { order.push_back("release player"); };
  const std::string disc = WriteDiscImage(scratch_.Path(), {{AudioTrack(1.0)}});
  DrivesVariable drives(disc);
  ASSERT_TRUE(EnumerateDrives(port_).Found);
  const int handle = OpenListedDrive(0);
  ASSERT_NE(handle, 0);
  CDHandle = handle;

  EXPECT_EQ(ExitSequence(context_), ExitResult::Finished);

  EXPECT_EQ(ExitInProgress.load(), 1);
  const std::string ini = ReadBytes(SettingsFilePath());
  EXPECT_NE(ini.find("DriveNum=1"), std::string::npos) << ini;
  const std::string logFile = ReadBytes(EventLog::LogFilePath());
  std::string fiveLineEnds;
  for (int i = 0; i < 5; ++i) fiveLineEnds += std::string("\r\0\n\0", 4);
  ASSERT_GE(logFile.size(), fiveLineEnds.size());
  EXPECT_EQ(logFile.substr(logFile.size() - fiveLineEnds.size()), fiveLineEnds);
  EXPECT_EQ(log_.Size(), 0u);
  EXPECT_EQ(order, (std::vector<std::string>{"stop player", "release player"}));
  EXPECT_EQ(CDHandle.load(), 0);
  EXPECT_EQ(CloseCDHandle(handle), 0);  // already closed
  EXPECT_TRUE(ServerList.empty());
  EXPECT_EQ(port_.CountOf(Kind::Message), 0);
}

TEST_F(ExitSequenceTest, DoesNothingWhileARefreshRunsAndRunsOnlyOnce) {
  Busy = 1;
  bool stopped = false;
  context_.stopPlayer = [&] { stopped = true; };
  EXPECT_EQ(ExitSequence(context_), ExitResult::NotNow);
  EXPECT_EQ(ExitInProgress.load(), 0);
  EXPECT_FALSE(fs::exists(SettingsFilePath()));
  EXPECT_FALSE(stopped);
  EXPECT_EQ(ServerList.size(), 1u);

  Busy = 0;
  ASSERT_EQ(ExitSequence(context_), ExitResult::Finished);
  fs::remove(SettingsFilePath());
  EXPECT_EQ(ExitSequence(context_), ExitResult::NotNow);
  EXPECT_EQ(ExitSequence(context_, true), ExitResult::NotNow);
  EXPECT_FALSE(fs::exists(SettingsFilePath()));
}

TEST_F(ExitSequenceTest, LookedUpAlbumIsWrittenToTheCacheFolderItCreates) {
  LocalCDDBDir = scratch_.File("deeper/Local CDDB");
  LookedUpAudioDisc(0x1a2b3c04);
  ASSERT_EQ(ExitSequence(context_), ExitResult::Finished);
  CCDDBRecord stored;
  ASSERT_TRUE(LoadAlbumRecord(CachePath(0x1a2b3c04), stored));
  EXPECT_EQ(stored, AlbumRecord);
  EXPECT_EQ(fs::path(CachePath(0x1a2b3c04)).filename(), "1a2b3c04.cddb");
}

TEST_F(ExitSequenceTest, NoCacheFileForAPlaceholderWithoutAnAudioDiscOrTheSetting) {
  struct Case {
    const char* name;
    int noDisc, isAudio, saveAlbumInfo, isDefault;
  };
  const Case cases[] = {{"no disc", 1, 1, 1, 0},
                        {"data disc", 0, 0, 1, 0},
                        {"setting off", 0, 1, 0, 0},
                        {"placeholder album", 0, 1, 1, 1}};
  for (const Case& c : cases) {
    SetUp();
    LookedUpAudioDisc(0x01020304);
    NoDisc = c.noDisc;
    IsAudioDisc = c.isAudio;
    SaveAlbumInfo = c.saveAlbumInfo;
    AlbumInfoIsDefault = c.isDefault;
    // A good cache file from before is never replaced.
    fs::create_directories(LocalCDDBDir);
    std::ofstream(CachePath(0x01020304)) << "good";
    ASSERT_EQ(ExitSequence(context_), ExitResult::Finished) << c.name;
    EXPECT_EQ(ReadBytes(CachePath(0x01020304)), "good") << c.name;
    fs::remove(CachePath(0x01020304));
  }
}

TEST_F(ExitSequenceTest, UnwritableFoldersAreReportedAndTheRestGoesOn) {
  std::ofstream(scratch_.File("file")) << "x";  // a file where a folder should be
  struct Case {
    bool dataFolderBlocked;
    const char* text;
    const char* caption;
  };
  for (const Case& c : {Case{false, "Fail to Save Local CDDB File!", "File Error"},
                        Case{true, "Error on saving settings!", nullptr}}) {
    SetUp();
    port_.Reset();
    ExitInProgress = 0;
    LookedUpAudioDisc(0x11111111);
    if (c.dataFolderBlocked) {
      DataFolder = scratch_.File("file/data");
    } else {
      LocalCDDBDir = scratch_.File("file/Local CDDB");
    }
    bool released = false;
    context_.releasePlayer = [&] { released = true; };

    ASSERT_EQ(ExitSequence(context_), ExitResult::Finished);
    const auto messages = port_.CallsOf(Kind::Message);
    ASSERT_EQ(messages.size(), 1u) << c.text;
    EXPECT_EQ(messages[0].text, c.text);
    if (c.caption) {
      EXPECT_EQ(messages[0].caption, c.caption);
    }
    EXPECT_EQ(messages[0].value, static_cast<int>(MB_ICONERROR));
    EXPECT_EQ(port_.HasLog("Error on saving settings!"), c.dataFolderBlocked);
    EXPECT_EQ(fs::exists(SettingsFilePath()), !c.dataFolderBlocked);
    EXPECT_TRUE(released);
    EXPECT_TRUE(ServerList.empty());
  }
}

TEST_F(ExitSequenceTest, SessionEndSavesEvenWhileARefreshRunsButWritesNoCache) {
  const std::string disc = WriteDiscImage(scratch_.Path(), {{AudioTrack(1.0)}});
  DrivesVariable drives(disc);
  ASSERT_TRUE(EnumerateDrives(port_).Found);
  CurrentDrive = 0;
  LoadAlbumInfo = 1;
  LookupFollowsSetting = 1;
  std::atomic<bool> entered{false};
  DiscWorker worker(port_);
  // A lookup that would wait for a server that never answers.
  worker.SetAlbumLookup([&](MainWindowPort&, std::stop_token stop) {
    entered = true;
    while (!stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    AlbumInfoIsDefault = 0;
  });
  MediaPoller poller([&](bool arrival) { OnDeviceChange(port_, worker, arrival); });
  worker.Start(kDiscRefresh);
  for (int i = 0; i < 30000 && !entered; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(entered);
  ASSERT_EQ(Busy.load(), 1);
  ASSERT_EQ(ExitSequence(context_), ExitResult::NotNow);

  context_.worker = &worker;
  context_.poller = &poller;
  EXPECT_EQ(ExitSequence(context_, true), ExitResult::Finished);
  EXPECT_TRUE(fs::exists(SettingsFilePath()));
  EXPECT_EQ(NoDisc.load(), 1);
  EXPECT_EQ(Busy.load(), 0);
  EXPECT_FALSE(fs::exists(LocalCDDBDir + "/" + CacheFileName(DiscID)));
  EXPECT_EQ(CDHandle.load(), 0);
}

// A rip still running when the program ends stops as its Cancel stops it,
// before the drive closes: every thread of it has ended (the rings can go),
// and the track being written is a whole WAV file, cut short.
TEST_F(ExitSequenceTest, ARipStillRunningStopsBeforeTheDriveAndTheRingsGo) {
  const DiscImageSpec image{{AudioTrack(90.0)}};
  DrivesVariable drives(WriteDiscImage(scratch_.Path(), image));
  ASSERT_TRUE(EnumerateDrives(port_).Found);
  CDHandle = OpenListedDrive(0);
  NoDisc = 0;
  RipJobSettings settings;
  settings.naming.desDir = scratch_.File("out") + "/";
  settings.naming.trackTitles = {"One"};
  settings.outputFormat = 1;
  settings.wavRate = 44100;
  settings.wavChannel = 1;
  RecordingRipSink sink;
  CRippingProgress job(sink, settings);
  const int32_t sectors = LayoutOf(image).TOCLength(0);
  job.TrackList = {{0, 0, sectors, sectors}};
  ASSERT_EQ(job.Start(), CRippingProgress::StartResult::Started);
  for (int i = 0; i < 6000 && job.TotalDone.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_GT(job.TotalDone.load(), 0u) << ::testing::PrintToString(sink.LogLines());

  ASSERT_EQ(ExitSequence(context_), ExitResult::Finished);
  EXPECT_EQ(job.Cancelled.load(), 1);
  EXPECT_EQ(job.Running.load(), 0);
  RipReadRing.reset();
  RipConvertRing.reset();
  const std::string bytes = ReadBytes(job.LastOutputPath());
  ASSERT_GE(bytes.size(), 44u);
  uint32_t dataSize = 0;  // the header's little-endian data size
  for (size_t k = 44; k-- > 40;) dataSize = dataSize << 8 | static_cast<uint8_t>(bytes[k]);
  EXPECT_EQ(dataSize, bytes.size() - 44);
  EXPECT_LT(dataSize, 90u * 176400u) << "the track was cut short";
}

}  // namespace
