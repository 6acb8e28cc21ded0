// ID3 tags of ripped MP3 files: both tags filled from the album record and
// read back through TagLib, the placeholder and year rules, the text and user
// text frame setters, and files that cannot be tagged.
#include "rip/id3_tagging.h"

#include <gtest/gtest.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/rip/encode_util.h"

namespace {

std::string Utf8(const TagLib::String& s) { return s.to8Bit(true); }

// Half a second of a tone through the encoder library, with its header frame.
bool MakeMp3(const std::string& path) {
  uint8_t config[LAME_ENC_CONFIG_SIZE];
  FillEncoderConfig(config, Mp3Settings{});
  std::vector<int16_t> pcm(22050 * 2);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(8000 * std::sin(static_cast<double>(i / 2) * 0.0627));
  return !EncodeToFile(config, pcm, path).empty() && !::testing::Test::HasFailure();
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
  void SetUp() override { ASSERT_TRUE(MakeMp3(file_)); }

  TempFolder dir_;
  std::string file_ = dir_ / "track.mp3";
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

TEST_F(Id3TaggingTest, YearsOutsideOneTo9998AndEmptyTextsAreLeftOutAMissingTitleIsTheDefault) {
  for (int year : {0, 9999, -5}) {
    CCDDBRecord album = SampleAlbum();
    album.Year = year;
    album.Genre.clear();
    album.Artist.clear();
    album.TrackTitles.resize(3);  // none for the fifth track
    ASSERT_TRUE(TagMp3File(file_, album, SampleTrack()));
    TagLib::MPEG::File f(file_.c_str(), false);
    EXPECT_EQ(f.ID3v1Tag()->year(), 0u) << year;
    EXPECT_TRUE(f.ID3v1Tag()->genre().isEmpty());
    EXPECT_EQ(Utf8(f.ID3v1Tag()->title()), "Track05");
    EXPECT_EQ(FrameText(f.ID3v2Tag(), "TIT2"), "Track05");
    for (const char* id : {"TDRC", "TCON", "TPE1"}) EXPECT_TRUE(f.ID3v2Tag()->frameList(id).isEmpty()) << id;
    EXPECT_EQ(FrameText(f.ID3v2Tag(), "TALB"), "A Title Much Longer Than Thirty Characters");
  }
  CCDDBRecord album = SampleAlbum();
  album.Year = 1;
  album.Artist = std::string("Bad \xC3\x28 bytes \xFF");  // broken UTF-8 is repaired, not written raw
  ASSERT_TRUE(TagMp3File(file_, album, SampleTrack()));
  TagLib::MPEG::File f(file_.c_str(), false);
  EXPECT_EQ(f.ID3v1Tag()->year(), 1u);
  EXPECT_EQ(FrameText(f.ID3v2Tag(), "TDRC"), "1");
  EXPECT_EQ(FrameText(f.ID3v2Tag(), "TPE1"), "Bad \xEF\xBF\xBD( bytes \xEF\xBF\xBD");
  EXPECT_EQ(Utf8(f.ID3v1Tag()->artist()), "Bad ?( bytes ?");
}

TEST_F(Id3TaggingTest, RetaggingReplacesFramesAndKeepsTheAudioExact) {
  const size_t before = DecodeMp3(file_).size();
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
  EXPECT_EQ(DecodeMp3(file_).size(), before);
}

TEST_F(Id3TaggingTest, FilesThatCannotBeTaggedReportFailure) {
  EXPECT_FALSE(TagMp3File(dir_ / "missing.mp3", SampleAlbum(), SampleTrack()));
  EXPECT_FALSE(TagMp3File(dir_.Path(), SampleAlbum(), SampleTrack()));
  EXPECT_FALSE(PathFileExists(dir_ / "missing.mp3"));
  const std::string text = dir_ / "notes.mp3";
  WriteText(text, "not audio at all\n");
  EXPECT_FALSE(TagMp3File(text, SampleAlbum(), SampleTrack()));
  EXPECT_EQ(ReadText(text), "not audio at all\n");
}

TEST(Id3FrameSetterTest, FramesAreReusedAndEmptyTextRemovesThem) {
  TagLib::ID3v2::Tag tag;
  setUserTextFrame(tag, "DISCID", "0000abcd");
  setUserTextFrame(tag, "OTHER", "x");
  setUserTextFrame(tag, "DISCID", "1111abcd");
  EXPECT_EQ(tag.frameList("TXXX").size(), 2u);
  EXPECT_EQ(UserText(&tag, "DISCID"), "1111abcd");
  EXPECT_EQ(UserText(&tag, "OTHER"), "x");
  setUserTextFrame(tag, "DISCID", "");
  setUserTextFrame(tag, "NEVER", "");  // nothing to remove: nothing added
  EXPECT_EQ(tag.frameList("TXXX").size(), 1u);
  EXPECT_EQ(UserText(&tag, "DISCID"), "<none>");

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
