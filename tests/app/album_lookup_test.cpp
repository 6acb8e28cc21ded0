// The album lookup inside a whole refresh of a generated disc image, against
// the loopback CDDB server and a local cache folder: every source setting,
// cache present, missing or damaged, one or several matches, a failing
// server, and what is logged, asked over the network and written to the cache.
#include "app/album_lookup.h"

#include <fmt/format.h>
#include <fmt/printf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "app/disc_worker.h"
#include "app/drives.h"
#include "app/main_commands.h"
#include "app/rip_job_snapshot.h"
#include "app/settings.h"
#include "cddb/cddb.h"
#include "cddb/cddb_globals.h"
#include "cddb/disc_id.h"
#include "cddb/freedb_server.h"
#include "tests/platform/cd_drive_test_util.h"
#include "tests/support/cddb_server.h"
#include "tests/support/recording_port.h"

namespace {

namespace fs = std::filesystem;

// Answers the chooser with the scripted index (nothing: gives up) and keeps
// what it was shown.
class ScriptedChooser : public MatchChooser {
 public:
  std::optional<size_t> ChooseMatch(const std::vector<CCDDBRecord>& matches, std::stop_token) override {
    shown.push_back(matches);
    return answer;
  }
  std::optional<size_t> answer = 0;
  std::vector<std::vector<CCDDBRecord>> shown;
};

// What a row of the table puts where before the refresh.
enum Cache { kNoCache, kCache, kDamagedCache, kNoCacheFolder, kCacheFolderIsAFile };
enum Server { kNoMatch, kOneMatch, kTwoMatches, kTwoMatchesNoChoice, kServerFails, kHugeList };

class AlbumLookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const DiscImageSpec disc{{AudioTrack(2.0), AudioTrack(3.0), AudioTrack(1.5)}};
    image_ = WriteDiscImage(scratch_.Path(), disc);
    const DiscImageLayout layout = LayoutOf(disc);
    std::vector<CCDDBTrackPosition> positions;
    for (const auto& track : layout.Tracks) positions.push_back(PositionOf(track.StartLBA));
    positions.push_back(PositionOf(layout.LeadOutLBA));
    id_ = ComputeDiscID(positions);
    idText_ = fmt::format("{:08x}", id_);
    records_ = scratch_.File("records");
    cacheDir_ = scratch_.File("Local CDDB");
    cacheFile_ = cacheDir_ + "/" + idText_ + ".cddb";
    server_ = std::make_unique<CddbLoopbackServer>(records_);
    server_->Start();
    drives_ = std::make_unique<DrivesVariable>(image_);
    ASSERT_TRUE(EnumerateDrives(port_).Found);
    CurrentDrive = 0;
    Reset();
  }
  // What each case starts from: no records, no cache folder, a fresh log.
  void Reset() {
    fs::remove_all(records_);
    fs::remove_all(cacheDir_);
    fs::create_directories(records_);
    server_->SetBehaviour({});
    port_.Reset();
    chooser_ = ScriptedChooser();
    ServerList = {CFreeDBServer("127.0.0.1", server_->Port(), 10000, 6)};
    LoadAlbumInfo = 1;
    LookupFollowsSetting = 1;
    SaveAlbumInfo = 1;
    LocalCDDBDir = cacheDir_;
    CCDDBRecord previous;
    previous.Artist = "Previous Disc";
    SetAlbumRecord(previous);  // the window may be reading it
  }
  void TearDown() override {
    if (const int handle = CDHandle.exchange(0)) CloseCDHandle(handle);
    ServerList.clear();
  }

  static CCDDBTrackPosition PositionOf(int lba) {
    return {(lba + 150) / 4500, (lba + 150) % 4500 / 75, (lba + 150) % 75};
  }

  // An xmcd record of the disc in `category`.
  void ServeRecord(const std::string& category, const std::string& artist, const std::string& title) {
    fs::create_directories(records_ + "/" + category);
    std::ofstream(records_ + "/" + category + "/" + idText_)
        << "# xmcd\n#\n# Track frame offsets:\n#\t150\n#\t300\n#\t525\n#\n# Disc length: 10 seconds\n#\n# "
           "Revision: 2\n# Submitted via: test 1.0\n#\n"
        << "DISCID=" << idText_ << "\nDTITLE=" << artist << " / " << title << "\nDYEAR=1999\nDGENRE=Test\n"
        << "TTITLE0=One\nTTITLE1=Two\nTTITLE2=" << title
        << " Three\nEXTD=\nEXTT0=\nEXTT1=\nEXTT2=\nPLAYORDER=\n";
  }
  void WriteCache(const std::string& artist) {
    CCDDBRecord record;
    record.DiscID = id_;
    record.Artist = artist;
    record.TrackTitles = {"C1", "C2", "C3"};
    fs::create_directories(cacheDir_);
    ASSERT_TRUE(SaveAlbumRecord(cacheFile_, record));
  }
  void Prepare(Cache cache, Server server) {
    if (cache == kCache) WriteCache("Cached Artist");
    if (cache == kDamagedCache) {
      fs::create_directories(cacheDir_);
      std::ofstream(cacheFile_) << "\x05\x00garbage";
    }
    if (cache == kCacheFolderIsAFile) std::ofstream(cacheDir_) << "in the way";
    if (cache == kNoCache) fs::create_directories(cacheDir_);
    if (server == kOneMatch) ServeRecord("rock", "Remote Artist", "Remote Album");
    if (server == kTwoMatches || server == kTwoMatchesNoChoice) {
      ServeRecord("rock", "Remote Artist", "Remote Album");
      ServeRecord("jazz", "Other Artist", "Other Album");
    }
    // The chooser takes the second match, or can no longer answer.
    chooser_.answer = server == kTwoMatchesNoChoice ? std::nullopt : std::optional<size_t>(1);
    if (server == kHugeList) {
      ServeRecord("rock", "Remote Artist", "Remote Album");
      CddbServerBehaviour huge;
      huge.matchCopies = 10000;
      server_->SetBehaviour(huge);
    }
    if (server == kServerFails) {
      CddbServerBehaviour broken;
      broken.rawReply = "HTTP/1.0 500 Broken\r\n\r\n";
      server_->SetBehaviour(broken);
    }
  }
  void Refresh() {
    DiscWorker worker(port_);
    worker.SetAlbumLookup(
        [this](MainWindowPort& port, std::stop_token stop) { LookupAlbum(port, chooser_, stop); });
    worker.Start(kDiscRefresh);
    ASSERT_TRUE(worker.WaitUntilIdle(std::chrono::seconds(30)));
  }
  // The log with the names of this run put back as {dir}, {file}, {id} and
  // {port}.
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (std::string line : port_.LogLines()) {
      for (auto [value, name] : {std::pair{cacheFile_, "{file}"},
                                 {cacheDir_, "{dir}"},
                                 {idText_, "{id}"},
                                 {std::to_string(server_->Port()), "{port}"}}) {
        if (const size_t at = line.find(value); at != std::string::npos) line.replace(at, value.size(), name);
      }
      // The client's own lines, whose wording it owns: one mark for its failure.
      if (line.rfind("CCDDB::", 0) == 0) continue;
      if (line.rfind("Warning: throwing CCDDBException", 0) == 0) line = "{client error}";
      lines.push_back(line);
    }
    return lines;
  }

  ScratchFolder scratch_;
  std::string image_, records_, cacheDir_, cacheFile_, idText_;
  uint32_t id_ = 0;
  std::unique_ptr<CddbLoopbackServer> server_;
  std::unique_ptr<DrivesVariable> drives_;
  RecordingMainWindowPort port_;
  ScriptedChooser chooser_;
};

const std::vector<std::string> kQuery = {"Querying CD album information from FreeDB server...",
                                         "ServerURL: 127.0.0.1/~cddb/cddb.cgi Port: {port}",
                                         "Retrieved the following matches for the inserted audio CD."};
const std::vector<std::string> kOneMatchLines = {"{id}, Remote Album  Remote Artist rock",
                                                 "FreeDB information available."};
const std::vector<std::string> kTwoMatchLines = {"Retrieving {id}, Other Album  Other Artist jazz ...",
                                                 "Retrieving {id}, Remote Album  Remote Artist rock ..."};
// One line per match read from a list of copies of the rock record.
const std::vector<std::string> kHugeListLines(kCDDBMaxMatches,
                                              "Retrieving {id}, Remote Album  Remote Artist rock ...");
const std::vector<std::string> kFailed = {"Error on refresh disc info!", "Refreshing CD..."};

std::vector<std::string> Lines(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all = {"Refreshing CD..."};
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST_F(AlbumLookupTest, SourcesCachesAndServers) {
  struct Row {
    const char* name;
    int source;
    Cache cache;
    Server server;
    std::vector<std::string> log;
    size_t requests;
    const char* artist;  // of the album afterwards; "" the placeholder
    const char* cached;  // artist of the cache file afterwards; "" none
  };
  const std::vector<Row> rows = {
      {"cache hit: no network", 0, kCache, kOneMatch, Lines({{"Local CDDB loaded."}}), 0, "Cached Artist",
       "Cached Artist"},
      {"cache miss: server, saved", 0, kNoCache, kOneMatch,
       Lines({{"Local CDDB file {file} not found", "Fail to load local CDDB, try remote FreeDB server."},
              kQuery,
              kOneMatchLines,
              {"Local CDDB file saved."}}),
       2, "Remote Artist", "Remote Artist"},
      {"unknown source counts as 0", 7, kNoCache, kOneMatch,
       Lines({{"Local CDDB file {file} not found", "Fail to load local CDDB, try remote FreeDB server."},
              kQuery,
              kOneMatchLines,
              {"Local CDDB file saved."}}),
       2, "Remote Artist", "Remote Artist"},
      {"server only overwrites the cache", 1, kCache, kOneMatch,
       Lines({kQuery, kOneMatchLines, {"Local CDDB file saved."}}), 2, "Remote Artist", "Remote Artist"},
      {"cache only, hit", 2, kCache, kOneMatch, Lines({{"Local CDDB loaded."}}), 0, "Cached Artist",
       "Cached Artist"},
      {"cache only, miss: placeholders", 2, kNoCache, kOneMatch,
       Lines({{"Local CDDB file {file} not found", "Fail to load local CDDB"}}), 0, "", ""},
      {"cache only, no folder", 2, kNoCacheFolder, kOneMatch,
       Lines({{"Local CDDB directory {dir} not found", "Fail to load local CDDB"}}), 0, "", ""},
      {"damaged cache: placeholders", 0, kDamagedCache, kOneMatch, Lines({kFailed}), 0, "", "?"},
      {"no match", 1, kNoCache, kNoMatch,
       Lines({{"Querying CD album information from FreeDB server...",
               "ServerURL: 127.0.0.1/~cddb/cddb.cgi Port: {port}", "{client error}"},
              kFailed}),
       1, "", ""},
      {"server fails", 1, kNoCache, kServerFails, Lines({{kQuery[0], kQuery[1], "{client error}"}, kFailed}),
       1, "", ""},
      {"cache cannot be saved", 1, kCacheFolderIsAFile, kOneMatch,
       Lines({kQuery, kOneMatchLines, {"Fail to save local CDDB file!"}}), 2, "Remote Artist", ""},
      {"several matches: the chosen one", 1, kNoCache, kTwoMatches,
       Lines({kQuery, kTwoMatchLines, {"Local CDDB file saved."}}), 3, "Remote Artist", "Remote Artist"},
      {"several matches: no choice", 1, kNoCache, kTwoMatchesNoChoice,
       Lines({kQuery, kTwoMatchLines, kFailed}), 3, "", ""},
      {"ten thousand matches: only the first are read", 1, kNoCache, kHugeList,
       Lines({kQuery, kHugeListLines, {"Local CDDB file saved."}}), 1 + kCDDBMaxMatches, "Remote Artist",
       "Remote Artist"},
  };
  // The window builds its track names from the album while each lookup writes it.
  const std::jthread window([](std::stop_token stop) {
    while (!stop.stop_requested()) CurrentOutputNaming();
  });
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    AlbumInfoSource = static_cast<int16_t>(row.source);
    Prepare(row.cache, row.server);
    const size_t before = server_->RequestCount();
    Refresh();

    EXPECT_EQ(Log(), row.log);
    EXPECT_EQ(server_->RequestCount() - before, row.requests);
    const std::string artist = *row.artist ? row.artist : fmt::sprintf("Unknown Artist %08x", id_);
    EXPECT_EQ(AlbumRecord.Artist, artist);
    EXPECT_EQ(AlbumInfoIsDefault.load(), *row.artist ? 0 : 1);
    if (!*row.artist) {
      EXPECT_EQ(AlbumRecord.TrackTitles, (std::vector<std::string>{"Track01", "Track02", "Track03"}));
    }
    // The list is filled once, with the album found.
    ASSERT_EQ(port_.FilledLists().size(), 1u);
    EXPECT_EQ(port_.FilledLists()[0].Album, AlbumRecord);
    CCDDBRecord cached;
    if (std::string(row.cached) != "?") {
      EXPECT_EQ(LoadAlbumRecord(cacheFile_, cached) ? cached.Artist : "", row.cached);
    }
    // The chooser sees every match read in full, in the server's order.
    const bool several = row.server == kTwoMatches || row.server == kTwoMatchesNoChoice;
    ASSERT_EQ(chooser_.shown.size(), several || row.server == kHugeList ? 1u : 0u);
    if (row.server == kHugeList) {
      EXPECT_EQ(chooser_.shown[0].size(), kCDDBMaxMatches);
    }
    if (several) {
      EXPECT_EQ(chooser_.shown[0].at(0).Artist, "Other Artist");
      EXPECT_EQ(chooser_.shown[0].at(1).TrackTitles,
                (std::vector<std::string>{"One", "Two", "Remote Album Three"}));
    }
  }
}

// The exit stops the worker while the server holds the lookup: the stop must
// not wait for the client's time-out, and the lookup cut short must leave
// nothing that the exit would cache.
TEST_F(AlbumLookupTest, StoppingTheWorkerEndsALookupThatWaitsOnTheServer) {
  struct Row {
    const char* name;
    Cache cache;
    size_t stallAt;   // where the server stops sending and holds the connection
    bool terminator;  // false: a record that never ends, so the query gets through
    size_t requests;  // that the server has seen when the stop comes
    std::vector<std::string> log;
  };
  const std::vector<Row> rows = {
      {"in the query", kNoCache, 0, true, 1, Lines({{kQuery[0], kQuery[1], "{client error}"}})},
      {"in the read, over a cache file", kCache, SIZE_MAX, false, 2,
       Lines({kQuery, kOneMatchLines, {"{client error}"}})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    AlbumInfoSource = 1;
    ServerList = {CFreeDBServer("127.0.0.1", server_->Port(), 600000, 6)};
    Prepare(row.cache, kOneMatch);
    CddbServerBehaviour stall;
    stall.stallAt = row.stallAt;
    stall.stallMs = 600000;
    stall.terminator = row.terminator;
    server_->SetBehaviour(stall);
    const size_t before = server_->RequestCount();

    DiscWorker worker(port_);
    worker.SetAlbumLookup(
        [this](MainWindowPort& port, std::stop_token stop) { LookupAlbum(port, chooser_, stop); });
    worker.Start(kDiscRefresh);
    for (int i = 0; i < 30000 && server_->RequestCount() < before + row.requests; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(server_->RequestCount(), before + row.requests);
    auto stopped = std::async(std::launch::async, [&] { worker.Stop(); });
    if (stopped.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      ADD_FAILURE() << "the stop waited for the server";
      server_->Stop();
    }
    stopped.get();

    EXPECT_EQ(Log(), row.log);
    EXPECT_TRUE(port_.HasLog("Warning: throwing CCDDBException for error Operation canceled"));
    EXPECT_EQ(server_->RequestCount(), before + row.requests);  // no retry
    EXPECT_EQ(port_.FilledLists().size(), 0u);
    EXPECT_EQ(NoDisc.load(), 1);
    EXPECT_EQ(Busy.load(), 0);
    // Whatever was cached stays as it was, also after the exit's cache step.
    const char* cached = row.cache == kCache ? "Cached Artist" : "";
    EXPECT_TRUE(SaveAlbumAtExit(port_));
    CCDDBRecord record;
    EXPECT_EQ(LoadAlbumRecord(cacheFile_, record) ? record.Artist : "", cached);
  }
}

}  // namespace
