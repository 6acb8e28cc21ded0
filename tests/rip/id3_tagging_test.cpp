// ID3 tags of ripped MP3 files: both tags filled from the album record and
// read back through TagLib, the placeholder and year rules, the text and user
// text frame setters, and files that cannot be tagged.
#include "rip/id3_tagging.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cddb/cddb_globals.h"
#include "platform/cd_drive.h"
#include "rip/encoder_library.h"

namespace fs = std::filesystem;

namespace {

std::string ProgramFolder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

std::string Utf8(const TagLib::String& s) { return s.to8Bit(true); }

// Half a second of a tone through the encoder library, with its header frame.
bool MakeMp3(const std::string& path) {
  EncoderLibrary lib;
  if (lib.Load(ProgramFolder()) != EncoderLoadResult::Loaded) return false;
  uint8_t config[LAME_ENC_CONFIG_SIZE];
  FillEncoderConfig(config, 7, 11, 2);
  uint32_t chunk = 0, size = 0;
  LameEncStream s = 0;
  if (lib.InitStream(reinterpret_cast<const LameEncConfig*>(config), &chunk, &size, &s) != 0) return false;
  std::vector<int16_t> pcm(22050 * 2);
  for (size_t i = 0; i < pcm.size(); ++i) {
    pcm[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i / 2) * 0.0627));
  }
  std::vector<uint8_t> mp3, out(size);
  uint32_t written = 0;
  for (size_t pos = 0; pos < pcm.size(); pos += chunk) {
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(chunk, pcm.size() - pos));
    if (lib.EncodeChunk(s, n, pcm.data() + pos, out.data(), &written) != 0) return false;
    mp3.insert(mp3.end(), out.begin(), out.begin() + written);
  }
  if (lib.DeinitStream(s, out.data(), &written) != 0) return false;
  mp3.insert(mp3.end(), out.begin(), out.begin() + written);
  lib.CloseStream(s);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(mp3.data()), static_cast<std::streamsize>(mp3.size()));
  return lib.WriteInfoTag(s, path.c_str()) == 0;
}

// Sample values mpg123 decodes from the file.
size_t DecodedSamples(const std::string& path) {
  int fds[2];
  if (pipe(fds) != 0) return 0;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    execlp("mpg123", "mpg123", "-q", "-s", path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  size_t bytes = 0;
  char buf[65536];
  for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) bytes += static_cast<size_t>(n);
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return bytes / 2;
}

CCDDBRecord SampleAlbum() {
  CCDDBRecord album;
  album.Artist = "Björk Guðmundsdóttir";
  album.Title = "A Title Much Longer Than Thirty Characters";
  album.Genre = "Rock";
  album.Year = 1994;
  for (int i = 1; i <= 12; ++i) album.TrackTitles.push_back("Track title " + std::to_string(i));
  album.TrackTitles[4] = "Ωmega in 東京 🎵";
  return album;
}

Id3TrackInfo SampleTrack() {
  Id3TrackInfo t;
  t.TrackIndex = 4;
  t.FirstTrack = 1;
  t.LastTrack = 12;
  t.DiscID = 0x0a0b0c0d;
  return t;
}

std::string FrameText(TagLib::ID3v2::Tag* tag, const char* id) {
  const auto& frames = tag->frameList(id);
  return frames.isEmpty() ? std::string("<none>") : Utf8(frames.front()->toString());
}

std::string UserText(TagLib::ID3v2::Tag* tag, const char* description) {
  auto* f = TagLib::ID3v2::UserTextIdentificationFrame::find(tag, description);
  return f == nullptr || f->fieldList().size() < 2 ? std::string("<none>") : Utf8(f->fieldList()[1]);
}

class Id3TaggingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/qcr-id3-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    file_ = dir_ + "/track.mp3";
    ASSERT_TRUE(MakeMp3(file_));
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string dir_, file_;
};

TEST_F(Id3TaggingTest, RealAlbumDataFillsBothTags) {
  ASSERT_TRUE(TagMp3File(file_, SampleAlbum(), SampleTrack()));
  TagLib::MPEG::File f(file_.c_str(), false);
  ASSERT_TRUE(f.hasID3v1Tag() && f.hasID3v2Tag());

  TagLib::ID3v1::Tag* v1 = f.ID3v1Tag();
  EXPECT_EQ(v1->track(), 5u);
  EXPECT_EQ(Utf8(v1->album()), "A Title Much Longer Than Thirt");  // cut at 30 characters
  EXPECT_EQ(Utf8(v1->artist()), "Björk Guðmundsdóttir");           // Latin-1 kept
  EXPECT_EQ(Utf8(v1->title()), "?mega in ?? ?");                   // the rest becomes '?'
  EXPECT_EQ(Utf8(v1->genre()), "Rock");
  EXPECT_EQ(v1->year(), 1994u);

  TagLib::ID3v2::Tag* v2 = f.ID3v2Tag();
  EXPECT_EQ(FrameText(v2, "TRCK"), "5/12");
  EXPECT_EQ(UserText(v2, "DISCID"), "0a0b0c0d");
  EXPECT_EQ(FrameText(v2, "TENC"), "Quarno CD Ripper Free 6.7.1\r\nhttps://www.example.org/quarno");
  EXPECT_EQ(FrameText(v2, "TALB"), "A Title Much Longer Than Thirty Characters");
  EXPECT_EQ(FrameText(v2, "TPE1"), "Björk Guðmundsdóttir");
  EXPECT_EQ(FrameText(v2, "TCON"), "Rock");
  EXPECT_EQ(FrameText(v2, "TIT2"), "Ωmega in 東京 🎵");
  EXPECT_EQ(FrameText(v2, "TDRC"), "1994");
}

TEST_F(Id3TaggingTest, PlaceholderAlbumWritesOnlyTrackDiscIdAndCredit) {
  Id3TrackInfo track = SampleTrack();
  track.AlbumInfoIsDefault = true;
  ASSERT_TRUE(TagMp3File(file_, SampleAlbum(), track));
  TagLib::MPEG::File f(file_.c_str(), false);
  TagLib::ID3v2::Tag* v2 = f.ID3v2Tag();
  ASSERT_NE(v2, nullptr);
  EXPECT_EQ(v2->frameList().size(), 3u);
  EXPECT_EQ(FrameText(v2, "TRCK"), "5/12");
  EXPECT_EQ(UserText(v2, "DISCID"), "0a0b0c0d");
  EXPECT_NE(FrameText(v2, "TENC"), "<none>");
  TagLib::ID3v1::Tag* v1 = f.ID3v1Tag();
  ASSERT_NE(v1, nullptr);
  EXPECT_EQ(v1->track(), 5u);
  EXPECT_TRUE(v1->title().isEmpty() && v1->artist().isEmpty() && v1->album().isEmpty());
  EXPECT_TRUE(v1->genre().isEmpty());
  EXPECT_EQ(v1->year(), 0u);
}

TEST_F(Id3TaggingTest, YearsOutsideOneTo9998AndEmptyTextsAreLeftOut) {
  for (int year : {0, 9999, -5}) {
    CCDDBRecord album = SampleAlbum();
    album.Year = year;
    album.Genre.clear();
    album.Artist.clear();
    ASSERT_TRUE(TagMp3File(file_, album, SampleTrack()));
    TagLib::MPEG::File f(file_.c_str(), false);
    EXPECT_EQ(f.ID3v1Tag()->year(), 0u) << year;
    EXPECT_TRUE(f.ID3v1Tag()->genre().isEmpty());
    EXPECT_TRUE(f.ID3v2Tag()->frameList("TDRC").isEmpty()) << year;
    EXPECT_TRUE(f.ID3v2Tag()->frameList("TCON").isEmpty());
    EXPECT_TRUE(f.ID3v2Tag()->frameList("TPE1").isEmpty());
    EXPECT_EQ(FrameText(f.ID3v2Tag(), "TALB"), "A Title Much Longer Than Thirty Characters");
  }
  CCDDBRecord album = SampleAlbum();
  album.Year = 1;
  ASSERT_TRUE(TagMp3File(file_, album, SampleTrack()));
  TagLib::MPEG::File f(file_.c_str(), false);
  EXPECT_EQ(f.ID3v1Tag()->year(), 1u);
  EXPECT_EQ(FrameText(f.ID3v2Tag(), "TDRC"), "1");
}

TEST_F(Id3TaggingTest, RetaggingReplacesFramesAndKeepsTheAudioExact) {
  const size_t before = DecodedSamples(file_);
  EXPECT_EQ(before, 22050u * 2);
  ASSERT_TRUE(TagMp3File(file_, SampleAlbum(), SampleTrack()));
  Id3TrackInfo track = SampleTrack();
  track.TrackIndex = 0;
  track.DiscID = 0x12345678;
  ASSERT_TRUE(TagMp3File(file_, SampleAlbum(), track));
  TagLib::MPEG::File f(file_.c_str(), false);
  TagLib::ID3v2::Tag* v2 = f.ID3v2Tag();
  EXPECT_EQ(v2->frameList("TXXX").size(), 1u);
  EXPECT_EQ(v2->frameList("TIT2").size(), 1u);
  EXPECT_EQ(FrameText(v2, "TRCK"), "1/12");
  EXPECT_EQ(UserText(v2, "DISCID"), "12345678");
  EXPECT_EQ(FrameText(v2, "TIT2"), "Track title 1");
  EXPECT_EQ(DecodedSamples(file_), before);
}

TEST_F(Id3TaggingTest, TrackBeyondTheTitleListGetsNoTitle) {
  CCDDBRecord album = SampleAlbum();
  album.TrackTitles.resize(3);
  ASSERT_TRUE(TagMp3File(file_, album, SampleTrack()));
  TagLib::MPEG::File f(file_.c_str(), false);
  EXPECT_TRUE(f.ID3v2Tag()->frameList("TIT2").isEmpty());
  EXPECT_TRUE(f.ID3v1Tag()->title().isEmpty());
  EXPECT_EQ(FrameText(f.ID3v2Tag(), "TALB"), "A Title Much Longer Than Thirty Characters");
}

TEST_F(Id3TaggingTest, BrokenUtf8IsRepairedNotWrittenRaw) {
  CCDDBRecord album = SampleAlbum();
  album.Artist = std::string("Bad \xC3\x28 bytes \xFF");
  ASSERT_TRUE(TagMp3File(file_, album, SampleTrack()));
  TagLib::MPEG::File f(file_.c_str(), false);
  EXPECT_EQ(FrameText(f.ID3v2Tag(), "TPE1"), "Bad \xEF\xBF\xBD( bytes \xEF\xBF\xBD");
  EXPECT_EQ(Utf8(f.ID3v1Tag()->artist()), "Bad ?( bytes ?");
}

TEST_F(Id3TaggingTest, FilesThatCannotBeTaggedReportFailure) {
  EXPECT_FALSE(TagMp3File(dir_ + "/missing.mp3", SampleAlbum(), SampleTrack()));
  EXPECT_FALSE(TagMp3File(dir_, SampleAlbum(), SampleTrack()));
  EXPECT_FALSE(fs::exists(dir_ + "/missing.mp3"));
  const std::string text = dir_ + "/notes.mp3";
  std::ofstream(text) << "not audio at all\n";
  EXPECT_FALSE(TagMp3File(text, SampleAlbum(), SampleTrack()));
  std::ifstream in(text, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "not audio at all\n");
}

TEST_F(Id3TaggingTest, GlobalsOverloadReadsTheDiscInTheDrive) {
  const CCDDBRecord savedAlbum = AlbumRecord;
  const uint32_t savedId = DiscID;
  const int savedDefault = AlbumInfoIsDefault.load();
  const uint8_t savedFirst = TOCBuffer[2], savedLast = TOCBuffer[3];
  AlbumRecord = SampleAlbum();
  DiscID = 0xfeedbeef;
  AlbumInfoIsDefault = 0;
  TOCBuffer[2] = 2;
  TOCBuffer[3] = 9;
  const Id3TrackInfo info = CurrentTrackInfo(4);
  const bool tagged = TagMp3File(file_, 4);
  AlbumRecord = savedAlbum;
  DiscID = savedId;
  AlbumInfoIsDefault = savedDefault;
  TOCBuffer[2] = savedFirst;
  TOCBuffer[3] = savedLast;

  EXPECT_EQ(info.FirstTrack, 2);
  EXPECT_EQ(info.LastTrack, 9);
  ASSERT_TRUE(tagged);
  TagLib::MPEG::File f(file_.c_str(), false);
  EXPECT_EQ(FrameText(f.ID3v2Tag(), "TRCK"), "5/8");
  EXPECT_EQ(UserText(f.ID3v2Tag(), "DISCID"), "feedbeef");
  EXPECT_EQ(FrameText(f.ID3v2Tag(), "TIT2"), "Ωmega in 東京 🎵");
}

TEST(Id3FrameSetterTest, UserTextFrameIsFoundByDescription) {
  TagLib::ID3v2::Tag tag;
  setUserTextFrame(tag, "DISCID", "0000abcd");
  setUserTextFrame(tag, "OTHER", "x");
  setUserTextFrame(tag, "DISCID", "1111abcd");
  EXPECT_EQ(tag.frameList("TXXX").size(), 2u);
  EXPECT_EQ(UserText(&tag, "DISCID"), "1111abcd");
  EXPECT_EQ(UserText(&tag, "OTHER"), "x");
  setUserTextFrame(tag, "DISCID", "");
  EXPECT_EQ(tag.frameList("TXXX").size(), 1u);
  EXPECT_EQ(UserText(&tag, "DISCID"), "<none>");
  setUserTextFrame(tag, "NEVER", "");  // nothing to remove: nothing added
  EXPECT_EQ(tag.frameList("TXXX").size(), 1u);
}

TEST(Id3FrameSetterTest, TextFrameReusesTheFirstAndEmptyRemovesAll) {
  TagLib::ID3v2::Tag tag;
  setTextFrame(tag, "TALB", "one");
  auto* second = new TagLib::ID3v2::TextIdentificationFrame("TALB", TagLib::String::UTF8);
  second->setText("two");
  tag.addFrame(second);
  setTextFrame(tag, "TALB", "three");
  ASSERT_EQ(tag.frameList("TALB").size(), 2u);
  EXPECT_EQ(FrameText(&tag, "TALB"), "three");
  setTextFrame(tag, "TALB", "");
  EXPECT_TRUE(tag.frameList("TALB").isEmpty());
}

TEST(Id3FrameSetterTest, Id3v1TextIsLatin1WithQuestionMarks) {
  EXPECT_EQ(Utf8(ToId3v1Text("Café")), "Café");
  EXPECT_EQ(Utf8(ToId3v1Text("Čapek 🎵")), "?apek ?");
  EXPECT_EQ(ToId3v1Text(std::string(40, 'x')).size(), 30u);
  EXPECT_EQ(ToId3v1Text(std::string(20, 'x') + std::string("é東京東京東京東京東京東京")).size(), 30u);
  EXPECT_TRUE(ToId3v1Text("").isEmpty());
}

}  // namespace
