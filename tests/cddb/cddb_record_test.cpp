// Disc records and the local cache file: defaults, the exact bytes of stored
// records, narrow strings from other programs, damaged and truncated files,
// and the safe save that never loses the previous file.
#include "cddb/cddb_record.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cddb/archive.h"
#include "cddb/cddb_globals.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// Reads a fixture written as hex bytes with '#' comments.
Bytes HexFixture(const std::string& name) {
  std::ifstream in(std::string(QCR_TEST_DATA_DIR) + "/cddb/" + name);
  EXPECT_TRUE(in) << name;
  Bytes bytes;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word;
    while (words >> word) bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

Bytes Store(const CCDDBRecord& record) {
  CCDDBRecord copy = record;
  CArchive ar;
  copy.Serialize(ar);
  return ar.Bytes();
}

CCDDBRecord Load(const Bytes& bytes) {
  CCDDBRecord record;
  CArchive ar(bytes);
  record.Serialize(ar);
  return record;
}

// The record the sample fixture holds.
CCDDBRecord SampleRecord() {
  CCDDBRecord r;
  r.TrackOffsets = {150, 14265};
  r.DiscLength = 358;
  r.Revision = 3;
  r.SubmittedViaClient = "DerODIZ";
  r.SubmittedViaVersion = "1.28";
  r.DiscID = 0x0C016602;
  r.Artist = "M\xC3\xB6tley";
  r.Title = "Live";
  r.TrackTitles = {"One", "Two"};
  r.ExtendedData = "x";
  r.ExtendedTrackData = {"", "\xE2\x82\xAC"};
  r.PlayOrder = {1, 0};
  r.Year = 1999;
  r.Genre = "Rock";
  return r;
}

// A record with something unusual in every field.
CCDDBRecord FullRecord() {
  CCDDBRecord r;
  for (int i = 0; i < 99; ++i) {
    r.TrackOffsets.push_back(150 + i * 4000);
    r.TrackTitles.push_back("Track \xE2\x99\xAB " + std::to_string(i + 1));
    r.ExtendedTrackData.push_back(i % 2 ? std::string(300 + i, 'e') : "");
  }
  r.DiscLength = 5282;
  r.Revision = -1;
  r.SubmittedViaClient = "ExactAudioCopy";
  r.SubmittedViaVersion = "v1.6";
  r.SubmittedViaComment = "\xF0\x9F\x8E\xB5";
  r.DiscID = 0xFFFFFFFF;
  r.Artist = std::string(254, 'a');
  r.Title = std::string(255, 't');
  r.ExtendedData = "YEAR: 1999\nID3G: 17";
  r.PlayOrder = {3, 1, 2, -7};
  r.Year = 1999;
  r.Genre = "Drum & Bass";
  return r;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(CDDBTypes, Defaults) {
  CCDDBTrackPosition position;
  EXPECT_EQ(position, (CCDDBTrackPosition{0, 0, 0}));
  CCDDBQueryResult result;
  EXPECT_TRUE(result.Category.empty() && result.Artist.empty() && result.Title.empty());
  EXPECT_EQ(result.DiscID, 0u);
  CCDDBRecord record;
  EXPECT_TRUE(record.TrackOffsets.empty() && record.TrackTitles.empty() && record.ExtendedTrackData.empty() &&
              record.PlayOrder.empty());
  EXPECT_EQ(record.DiscLength + record.Revision + record.Year, 0);
  EXPECT_EQ(record.DiscID, 0u);
  EXPECT_TRUE(record.Artist.empty() && record.Title.empty() && record.Genre.empty() &&
              record.ExtendedData.empty() && record.SubmittedViaClient.empty());
  CCDDBSite query(1), submit(0);
  EXPECT_EQ(query.Address, "/~cddb/cddb.cgi");
  EXPECT_EQ(submit.Address, "/~cddb/submit.cgi");
  EXPECT_EQ(query.Port, 80);
  EXPECT_EQ(query.North, 1);
  EXPECT_EQ(query.East, 1);
  EXPECT_EQ(query.Latitude + query.Longitude, 0);
  EXPECT_TRUE(query.Host.empty() && query.Description.empty() && query.Protocol.empty());
  EXPECT_EQ(CDDBSite.Address, "/~cddb/cddb.cgi");
}

TEST(CDDBRecordFile, DefaultRecordIs52Bytes) {
  Bytes expected = HexFixture("default_record.hex");
  ASSERT_EQ(expected.size(), 52u);
  EXPECT_EQ(Store(CCDDBRecord()), expected);
  EXPECT_EQ(Load(expected), CCDDBRecord());
}

TEST(CDDBRecordFile, FieldOrderOnDisk) {
  Bytes expected = HexFixture("sample_record.hex");
  EXPECT_EQ(Store(SampleRecord()), expected);
  EXPECT_EQ(Load(expected), SampleRecord());
}

TEST(CDDBRecordFile, FullRecordRoundTrip) {
  CCDDBRecord full = FullRecord();
  Bytes bytes = Store(full);
  EXPECT_EQ(Load(bytes), full);
  // Loading overwrites every field of a record that held something else.
  CCDDBRecord target = SampleRecord();
  CArchive ar(bytes);
  target.Serialize(ar);
  EXPECT_EQ(target, full);
}

TEST(CDDBRecordFile, ArraysOfUnequalLengthsAndLongCounts) {
  CCDDBRecord r;
  r.TrackTitles = {"a", "b", "c"};
  r.PlayOrder.assign(70000, 5);  // above 0xFFFF: the count takes its long form
  EXPECT_EQ(Load(Store(r)), r);
}

TEST(CDDBRecordFile, NarrowStringsFromAnotherProgram) {
  CCDDBRecord r = Load(HexFixture("narrow_record.hex"));
  EXPECT_EQ(r.DiscLength, 231);
  EXPECT_EQ(r.Revision, 1);
  EXPECT_EQ(r.SubmittedViaClient, "xmcd");
  EXPECT_EQ(r.DiscID, 0x0200E701u);
  EXPECT_EQ(r.Artist, "Bj\xC3\xB6rk");
  EXPECT_EQ(r.Title, "Caf\xC3\xA9");
  EXPECT_EQ(r.Genre, "Pop");
  EXPECT_EQ(r.TrackOffsets, std::vector<int>{150});
  EXPECT_EQ(r.TrackTitles, std::vector<std::string>{"J\xC3\xB3ga"});
  EXPECT_EQ(r.ExtendedTrackData, std::vector<std::string>{""});
  EXPECT_TRUE(r.PlayOrder.empty());
}

TEST(CDDBRecordFile, BytesAfterTheRecordAreIgnored) {
  Bytes bytes = HexFixture("sample_record.hex");
  bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  EXPECT_EQ(Load(bytes), SampleRecord());
}

TEST(CDDBRecordFile, EveryTruncationFails) {
  for (const Bytes& whole : {HexFixture("sample_record.hex"), Store(FullRecord())}) {
    for (size_t size = 0; size < whole.size(); ++size) {
      Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
      try {
        Load(part);
        ADD_FAILURE() << "a file cut to " << size << " bytes loaded";
      } catch (const CArchiveException& e) {
        ASSERT_EQ(e.cause(), CArchiveException::endOfFile) << size;
      }
    }
  }
}

TEST(CDDBRecordFile, FieldsBeforeADamageKeepTheirNewValues) {
  // Cut inside Artist: the fields stored before it are loaded, the rest stay.
  Bytes bytes = HexFixture("sample_record.hex");
  bytes.resize(4 + 4 + 18 + 12 + 4 + 4 + 5);
  CCDDBRecord target = FullRecord();
  CArchive ar(bytes);
  EXPECT_THROW(target.Serialize(ar), CArchiveException);
  EXPECT_EQ(target.DiscLength, 358);
  EXPECT_EQ(target.DiscID, 0x0C016602u);
  EXPECT_EQ(target.Title, FullRecord().Title);
  EXPECT_EQ(target.TrackTitles, FullRecord().TrackTitles);
}

TEST(CacheFileName, EightLowerCaseDigits) {
  EXPECT_EQ(CacheFileName(0x0C016602), "0c016602.cddb");
  EXPECT_EQ(CacheFileName(0), "00000000.cddb");
  EXPECT_EQ(CacheFileName(0xABCDEF12), "abcdef12.cddb");
}

class CacheFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qcr-cache-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/" + CacheFileName(0x0C016602);
  }
  void TearDown() override { fs::remove_all(dir_); }

  size_t FilesInDir() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }

  std::string dir_;
  std::string path_;
};

TEST_F(CacheFile, SaveAndLoad) {
  ASSERT_TRUE(SaveAlbumRecord(path_, SampleRecord()));
  EXPECT_EQ(ReadFile(path_), HexFixture("sample_record.hex"));
  CCDDBRecord loaded;
  CacheFileResult result = LoadAlbumRecord(path_, loaded);
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(loaded, SampleRecord());
  EXPECT_EQ(FilesInDir(), 1u);  // no temporary file left behind
}

TEST_F(CacheFile, SaveReplacesAnExistingFile) {
  ASSERT_TRUE(SaveAlbumRecord(path_, FullRecord()));
  ASSERT_TRUE(SaveAlbumRecord(path_, CCDDBRecord()));
  EXPECT_EQ(ReadFile(path_), HexFixture("default_record.hex"));
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(CacheFile, DamagedFilesLeaveTheRecordUntouched) {
  const Bytes whole = Store(FullRecord());
  const CCDDBRecord before = SampleRecord();
  for (size_t size = 0; size < whole.size(); size += (size < 600 ? 1 : 97)) {
    WriteFile(path_, Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
    CCDDBRecord record = before;
    CacheFileResult result = LoadAlbumRecord(path_, record);
    ASSERT_EQ(result.status, CacheFileStatus::Damaged) << size;
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.error.empty());
    ASSERT_EQ(record, before) << size;
  }
}

TEST_F(CacheFile, UnreadableFiles) {
  CCDDBRecord record = SampleRecord();
  EXPECT_EQ(LoadAlbumRecord(dir_ + "/missing.cddb", record).status, CacheFileStatus::CannotOpen);
  EXPECT_EQ(LoadAlbumRecord(dir_, record).status, CacheFileStatus::CannotOpen);
  EXPECT_EQ(record, SampleRecord());
}

TEST_F(CacheFile, SaveIntoAMissingFolderFails) {
  CacheFileResult result = SaveAlbumRecord(dir_ + "/absent/x.cddb", SampleRecord());
  EXPECT_EQ(result.status, CacheFileStatus::CannotOpen);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(CacheFile, FailedReplaceLeavesNoTemporaryFile) {
  // The target is a folder, so the final rename fails.
  fs::create_directory(path_);
  fs::create_directory(path_ + "/inside");
  EXPECT_EQ(SaveAlbumRecord(path_, SampleRecord()).status, CacheFileStatus::WriteFailed);
  EXPECT_TRUE(fs::is_directory(path_ + "/inside"));
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(CacheFile, FullDiskKeepsThePreviousFile) {
  ASSERT_TRUE(SaveAlbumRecord(path_, SampleRecord()));
  // Limit the size of files this process may write, so the next save runs
  // out of room half-way, as on a full disk.
  CCDDBRecord big = FullRecord();
  big.Title = std::string(20000, 'T');
  rlimit old_limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  sighandler_t old_handler = signal(SIGXFSZ, SIG_IGN);
  rlimit small = old_limit;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  CacheFileResult result = SaveAlbumRecord(path_, big);
  setrlimit(RLIMIT_FSIZE, &old_limit);
  signal(SIGXFSZ, old_handler);
  EXPECT_EQ(result.status, CacheFileStatus::WriteFailed);
  EXPECT_NE(result.error.find("too large"), std::string::npos) << result.error;
  EXPECT_EQ(ReadFile(path_), HexFixture("sample_record.hex"));
  EXPECT_EQ(FilesInDir(), 1u);
}

}  // namespace
