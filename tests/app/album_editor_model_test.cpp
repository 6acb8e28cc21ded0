// The album editor without its window: the year rules (including a record
// without a year), trimming, the "Various Artists" switch, a typed genre,
// and the cache file "Save to Local" writes, byte for byte.
#include "app/album_editor_model.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>
#include <vector>

#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "platform/log_sink.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::pair<std::string, int>>;

class RecordingLog : public ILogSink {
 public:
  void AddLog(const std::string& text, int level) override { lines.emplace_back(text, level); }
  Lines lines;
};

std::vector<uint8_t> HexFixture(const std::string& name) {
  std::ifstream in(std::string(QCR_TEST_DATA_DIR) + "/cddb/" + name);
  std::vector<uint8_t> bytes;
  std::string line, word;
  while (std::getline(in, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    while (words >> word) bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class AlbumEditorModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-editor-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    LocalCDDBDir = root_ + "/cache/sub";
    DiscID = 0x0A003C01;
    AlbumRecord = CCDDBRecord();
    CCDDBRecord& r = AlbumRecord;
    r.DiscID = DiscID;
    r.DiscLength = 60;
    r.SubmittedViaClient = "DerODIZ";
    r.SubmittedViaVersion = "1.28";
    r.TrackOffsets = {150};
    r.TrackTitles = {"One"};
    r.ExtendedTrackData = {""};
    r.Artist = "Band";
    r.Title = "Album";
    r.Genre = "Rock";
    r.Year = 1994;
    AlbumInfoIsDefault = 1;
  }
  void TearDown() override {
    AlbumRecord = CCDDBRecord();
    DiscID = 0;
    LocalCDDBDir = "./Local CDDB";
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string root_;
};

TEST_F(AlbumEditorModelTest, YearRules) {
  const struct {
    int recordYear;
    const char* typed;
    const char* message;  // nullptr: applied
    int stored;
  } rows[] = {
      {1994, "2001", nullptr, 2001},
      {1994, " 2100 ", nullptr, 2100},
      {1994, "1", nullptr, 1},
      {1994, "", kEnterIntegerMessage, 1994},
      {1994, "abc", kEnterIntegerMessage, 1994},
      {1994, "19x4", kEnterIntegerMessage, 1994},
      {1994, "0", kEnterYearRangeMessage, 1994},
      {1994, "2101", kEnterYearRangeMessage, 1994},
      {1994, "-5", kEnterYearRangeMessage, 1994},
      {1994, "99999999999999999999", kEnterYearRangeMessage, 1994},
      // A record without a year may stay without one; any other bad year is refused.
      {0, "0", nullptr, 0},
      {0, "2000", nullptr, 2000},
      {0, "", kEnterIntegerMessage, 0},
      {0, "2101", kEnterYearRangeMessage, 0},
  };
  for (const auto& row : rows) {
    AlbumRecord.Year = row.recordYear;
    AlbumRecord.Title = "Album";
    AlbumInfoIsDefault = 1;
    AlbumEditorModel editor;
    editor.Load();
    editor.album = "New";
    editor.year = row.typed;
    int refreshed = 0;
    const AlbumEditResult result = editor.Apply([&] { ++refreshed; });
    SCOPED_TRACE(row.typed);
    EXPECT_EQ(result.applied, row.message == nullptr);
    EXPECT_EQ(result.message, row.message ? row.message : "");
    EXPECT_EQ(AlbumRecord.Year, row.stored);
    EXPECT_EQ(AlbumRecord.Title, row.message ? "Album" : "New");
    EXPECT_EQ(refreshed, row.message ? 0 : 1);
    EXPECT_EQ(AlbumInfoIsDefault, row.message ? 1 : 0);
  }
}

TEST_F(AlbumEditorModelTest, TextFieldsAndVariousArtists) {
  const struct {
    const char* recordArtist;
    bool checkedOnOpen;
    int toggle;  // -1 leave, 0 uncheck, 1 check
    const char* typedArtist;
    const char* storedArtist;
  } rows[] = {
      {"Band", false, -1, "Other Band  ", "Other Band"},
      {"Band", false, 1, nullptr, "Various Artists"},
      {"Various Artists", true, -1, nullptr, "Various Artists"},
      // Unchecking leaves the text, which is then stored as typed.
      {"Various Artists", true, 0, nullptr, "Various Artists"},
      {"Various Artists", true, 0, "  Solo\t", "  Solo"},
      {"various artists", false, -1, nullptr, "various artists"},
  };
  for (const auto& row : rows) {
    AlbumRecord.Artist = row.recordArtist;
    AlbumEditorModel editor;
    editor.Load();
    SCOPED_TRACE(row.recordArtist);
    EXPECT_EQ(editor.variousArtists, row.checkedOnOpen);
    EXPECT_EQ(editor.ArtistEnabled(), !row.checkedOnOpen);
    if (row.toggle >= 0) editor.SetVariousArtists(row.toggle == 1);
    if (row.typedArtist) editor.artist = row.typedArtist;
    editor.album = "Title \t ";
    editor.genre = " My Own Genre ";
    std::string seenByRefresh;
    ASSERT_TRUE(editor.Apply([&] { seenByRefresh = AlbumRecord.Artist + "|" + AlbumRecord.Title; }).applied);
    EXPECT_EQ(AlbumRecord.Artist, row.storedArtist);
    EXPECT_EQ(seenByRefresh, std::string(row.storedArtist) + "|Title");
    EXPECT_EQ(AlbumRecord.Genre, " My Own Genre ");
  }
}

TEST_F(AlbumEditorModelTest, SaveToLocal) {
  AlbumRecord.Year = 0;
  AlbumEditorModel editor;
  editor.Load();
  editor.SetVariousArtists(true);
  editor.album = "Live  ";
  editor.genre = "Acid Jazz";
  RecordingLog log;
  const AlbumEditResult result = editor.SaveToLocal({}, &log);
  EXPECT_TRUE(result.applied);
  EXPECT_EQ(result.message, kLocalCacheSavedMessage);
  EXPECT_EQ(log.lines, (Lines{{"Local CDDB file saved.", LogInfo}}));
  EXPECT_EQ(ReadFile(LocalCDDBDir + "/0a003c01.cddb"), HexFixture("edited_record.hex"));
  EXPECT_EQ(AlbumInfoIsDefault, 0);

  // A bad year saves nothing.
  fs::remove_all(root_ + "/cache");
  editor.year = "";
  log.lines.clear();
  EXPECT_EQ(editor.SaveToLocal({}, &log).message, kEnterIntegerMessage);
  EXPECT_TRUE(log.lines.empty());
  EXPECT_FALSE(fs::exists(root_ + "/cache"));

  // A folder that cannot be made, or none at all: logged, the edits stay applied.
  std::ofstream(root_ + "/file") << "x";
  for (const std::string& folder : {root_ + "/file/sub", std::string(" ")}) {
    LocalCDDBDir = folder;
    editor.year = "0";
    editor.album = "Edited";
    log.lines.clear();
    EXPECT_EQ(editor.SaveToLocal({}, &log).message, "") << folder;
    EXPECT_EQ(log.lines, (Lines{{"Fail to save local CDDB file!", LogError}}));
    EXPECT_EQ(AlbumRecord.Title, "Edited");
  }
}

}  // namespace
