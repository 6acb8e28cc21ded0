// Disc records and the local cache file: the exact bytes of stored records,
// narrow strings from other programs, damaged and truncated files, and the
// safe save that never loses the previous file.
#include "cddb/cddb_record.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cddb/archive.h"
#include "cddb/cddb_globals.h"

#if !defined(__SANITIZE_ADDRESS__)
// Allocations above this size fail, as they do when memory runs out.
static size_t gLargestAllocation = SIZE_MAX;

void* operator new(size_t size) {
  if (size > gLargestAllocation) throw std::bad_alloc();
  if (void* memory = std::malloc(size ? size : 1)) return memory;
  throw std::bad_alloc();
}
#endif

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// Reads a fixture written as hex bytes with '#' comments.
Bytes HexFixture(const std::string& name) {
  std::ifstream in(std::string(QCR_TEST_DATA_DIR) + "/cddb/" + name);
  EXPECT_TRUE(in) << name;
  Bytes bytes;
  std::string line, word;
  while (std::getline(in, line)) {
    std::istringstream words(line.substr(0, line.find('#')));
    while (words >> word) bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
  }
  return bytes;
}

Bytes Store(CCDDBRecord record) {
  CArchive ar;
  record.Serialize(ar);
  return ar.Bytes();
}

CCDDBRecord Load(const Bytes& bytes, CCDDBRecord record = {}) {
  CArchive ar(bytes);
  record.Serialize(ar);
  return record;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
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

// The record another program stored with narrow strings (Windows-1252 and UTF-8).
CCDDBRecord NarrowRecord() {
  CCDDBRecord r;
  r.DiscLength = 231;
  r.Revision = 1;
  r.SubmittedViaClient = "xmcd";
  r.DiscID = 0x0200E701;
  r.Artist = "Bj\xC3\xB6rk";
  r.Title = "Caf\xC3\xA9";
  r.Genre = "Pop";
  r.TrackOffsets = {150};
  r.TrackTitles = {"J\xC3\xB3ga"};
  r.ExtendedTrackData = {""};
  return r;
}

// A record with something unusual in every field: 254/255-character strings
// and arrays of unequal lengths.
CCDDBRecord FullRecord() {
  CCDDBRecord r;
  for (int i = 0; i < 99; ++i) {
    r.TrackOffsets.push_back(150 + i * 4000);
    r.TrackTitles.push_back("Track \xE2\x99\xAB " + std::to_string(i + 1));
    r.ExtendedTrackData.push_back(i % 2 ? std::string(300 + i, 'e') : "");
  }
  r.TrackTitles.push_back("extra");
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

TEST(CDDBRecordFile, FixturesByteForByte) {
  const Bytes empty = HexFixture("default_record.hex");
  ASSERT_EQ(empty.size(), 52u);
  EXPECT_EQ(Store(CCDDBRecord()), empty);
  EXPECT_EQ(Load(empty), CCDDBRecord());
  Bytes sample = HexFixture("sample_record.hex");
  EXPECT_EQ(Store(SampleRecord()), sample);
  sample.insert(sample.end(), {0xDE, 0xAD, 0xBE, 0xEF});  // bytes after the record are ignored
  EXPECT_EQ(Load(sample), SampleRecord());
  EXPECT_EQ(Load(HexFixture("narrow_record.hex")), NarrowRecord());
}

TEST(CDDBRecordFile, FullRecordRoundTrip) {
  // Loading overwrites every field of a record that held something else.
  EXPECT_EQ(Load(Store(FullRecord()), SampleRecord()), FullRecord());
  CCDDBRecord r;
  r.PlayOrder.assign(70000, 5);  // above 0xFFFF: the count takes its long form
  EXPECT_EQ(Load(Store(r)), r);
}

TEST(CDDBRecordFile, EveryTruncationFails) {
  for (const Bytes& whole : {HexFixture("sample_record.hex"), Store(FullRecord())}) {
    for (size_t size = 0; size < whole.size(); ++size) {
      try {
        Load(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
        ADD_FAILURE() << "a file cut to " << size << " bytes loaded";
      } catch (const CArchiveException& e) {
        ASSERT_EQ(e.cause(), CArchiveException::endOfFile) << size;
      }
    }
  }
}

// Loads `path` in a child process. Returns the load's status (-1 when the
// child died) and the child's peak resident memory in KiB.
std::pair<int, long> LoadInChild(const std::string& path) {
  pid_t pid = fork();
  if (pid == 0) {
    CCDDBRecord record;
    _exit(static_cast<int>(LoadAlbumRecord(path, record).status));
  }
  int status = 0;
  rusage usage{};
  if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return {-2, 0};
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss};
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

TEST_F(CacheFile, SaveReplaceAndLoad) {
  EXPECT_EQ(CacheFileName(0xABCDEF12), "abcdef12.cddb");
  EXPECT_EQ(path_, dir_ + "/0c016602.cddb");
  ASSERT_TRUE(SaveAlbumRecord(path_, FullRecord()));
  ASSERT_TRUE(SaveAlbumRecord(path_, SampleRecord()));
  EXPECT_EQ(ReadFile(path_), HexFixture("sample_record.hex"));
  CCDDBRecord loaded;
  CacheFileResult result = LoadAlbumRecord(path_, loaded);
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(loaded, SampleRecord());
  EXPECT_EQ(FilesInDir(), 1u);  // no temporary file left behind
}

TEST_F(CacheFile, DamagedFilesLeaveTheRecordUntouched) {
  const Bytes whole = Store(FullRecord());
  for (size_t size = 0; size < whole.size(); size += (size < 600 ? 1 : 97)) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(whole.data()), static_cast<std::streamsize>(size));
    CCDDBRecord record = SampleRecord();
    CacheFileResult result = LoadAlbumRecord(path_, record);
    ASSERT_EQ(result.status, CacheFileStatus::Damaged) << size;
    EXPECT_FALSE(result.error.empty());
    ASSERT_EQ(record, SampleRecord()) << size;
  }
}

TEST_F(CacheFile, UnopenablePaths) {
  CCDDBRecord record = SampleRecord();
  EXPECT_EQ(LoadAlbumRecord(dir_ + "/missing.cddb", record).status, CacheFileStatus::CannotOpen);
  EXPECT_EQ(LoadAlbumRecord(dir_, record).status, CacheFileStatus::CannotOpen);
  // A FIFO named like a cache file is refused at once, not waited on.
  ASSERT_EQ(mkfifo((dir_ + "/fifo.cddb").c_str(), 0600), 0);
  EXPECT_EQ(LoadAlbumRecord(dir_ + "/fifo.cddb", record).status, CacheFileStatus::CannotOpen);
  fs::remove(dir_ + "/fifo.cddb");
  EXPECT_EQ(record, SampleRecord());
  CacheFileResult result = SaveAlbumRecord(dir_ + "/absent/x.cddb", SampleRecord());
  EXPECT_EQ(result.status, CacheFileStatus::CannotOpen);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(FilesInDir(), 0u);
  // The target is a folder, so the final rename fails without leftovers.
  fs::create_directories(path_ + "/inside");
  EXPECT_EQ(SaveAlbumRecord(path_, SampleRecord()).status, CacheFileStatus::WriteFailed);
  EXPECT_TRUE(fs::is_directory(path_ + "/inside"));
  EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(CacheFile, LargeFilesLoadInBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer's own maps hide the load's memory";
#endif
  // 16 MiB holding a title count its size allows, of one-byte empty strings
  // that each cost far more in memory: no disc has that many titles.
  Bytes crafted = Store(CCDDBRecord());
  crafted.resize(crafted.size() - 6);  // up to the title count
  const uint32_t titles = (16u << 20) - static_cast<uint32_t>(crafted.size()) - 10;
  crafted.insert(crafted.end(), {0xFF, 0xFF, static_cast<uint8_t>(titles), static_cast<uint8_t>(titles >> 8),
                                 static_cast<uint8_t>(titles >> 16), static_cast<uint8_t>(titles >> 24)});
  crafted.resize(crafted.size() + titles + 4, 0);
  std::ofstream(path_, std::ios::binary)
      .write(reinterpret_cast<const char*>(crafted.data()), static_cast<std::streamsize>(crafted.size()));
  auto [status, peakKiB] = LoadInChild(path_);
  EXPECT_EQ(status, static_cast<int>(CacheFileStatus::Damaged));
  EXPECT_LT(peakKiB, 64 * 1024);

  // One string as long as 16 MiB allows loads within the same bound, and
  // when memory runs out the load fails like a damaged file.
  CCDDBRecord big;
  big.ExtendedData = std::string(8 << 20, 'x');
  ASSERT_TRUE(SaveAlbumRecord(path_, big));
  std::tie(status, peakKiB) = LoadInChild(path_);
  EXPECT_EQ(status, static_cast<int>(CacheFileStatus::Ok));
  EXPECT_LT(peakKiB, 64 * 1024);
#if !defined(__SANITIZE_ADDRESS__)
  CCDDBRecord record = SampleRecord();
  gLargestAllocation = 1 << 20;
  CacheFileResult result = LoadAlbumRecord(path_, record);
  gLargestAllocation = SIZE_MAX;
  EXPECT_EQ(result.status, CacheFileStatus::Damaged);
  EXPECT_EQ(record, SampleRecord());
#endif
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
