// End to end: generated disc images ripped to MP3 files through the real
// drive library and our encoder library, decoded back with mpg123, tags read
// back with TagLib; and the encoder library's failures.
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegheader.h>
#include <taglib/textidentificationframe.h>

#include <filesystem>

#include "rip/encoder_library.h"
#include "rip/id3_tagging.h"
#include "tests/rip/rip_job_fixture.h"

namespace {

using Mp3RipTest = RipJobTest;

// Decoded length in bytes of 16-bit samples, as mpg123 gives it (it honours
// the encoder delay and padding the header frame records).
size_t DecodedBytes(const std::string& path) {
  int code = -1;
  const std::string pcm = RunTool({"mpg123", "-q", "-s", path}, &code, true);
  EXPECT_EQ(code, 0);
  return pcm.size();
}

// Bit rate of the first audio frame (the file's own average would count the tags).
int FirstFrameBitrate(TagLib::MPEG::File& file) {
  const TagLib::MPEG::Header header(&file, file.firstFrameOffset());
  EXPECT_TRUE(header.isValid());
  return header.bitrate();
}

std::string FrameText(TagLib::ID3v2::Tag* tag, const char* id) {
  const auto& frames = tag->frameList(id);
  return frames.isEmpty() ? std::string("<none>") : frames.front()->toString().to8Bit(true);
}

TEST_F(Mp3RipTest, DecodesToTheTracksExactLengthWithItsTags) {
  OutputFormat = 2;
  InsertDisc({{AudioTrackSectors(150), AudioTrackSectors(100), AudioTrackSectors(50)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0, 1});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished()) << ::testing::PrintToString(sink.LogLines());
  const std::string path = OutputPath("02-Second.mp3");
  EXPECT_EQ(DecodedBytes(OutputPath("01-First.mp3")), 150u * 2352);
  EXPECT_EQ(DecodedBytes(path), 100u * 2352);
  EXPECT_EQ(ReadText(OutputPath("Generated.m3u")), "01-First.mp3\r\n02-Second.mp3\r\n");

  TagLib::MPEG::File file(path.c_str());
  ASSERT_TRUE(file.isValid());
  ASSERT_NE(file.audioProperties(), nullptr);
  EXPECT_EQ(file.audioProperties()->sampleRate(), 44100);
  EXPECT_EQ(FirstFrameBitrate(file), 128);
  EXPECT_EQ(file.audioProperties()->channelMode(), TagLib::MPEG::Header::JointStereo);

  TagLib::ID3v2::Tag* v2 = file.ID3v2Tag();
  ASSERT_NE(v2, nullptr);
  EXPECT_EQ(FrameText(v2, "TRCK"), "2/3");
  EXPECT_EQ(FrameText(v2, "TALB"), "Generated");
  EXPECT_EQ(FrameText(v2, "TPE1"), "The Testers");
  EXPECT_EQ(FrameText(v2, "TIT2"), "Second");
  EXPECT_EQ(FrameText(v2, "TCON"), "Rock");
  EXPECT_EQ(FrameText(v2, "TDRC"), "1994");
  EXPECT_EQ(FrameText(v2, "TENC"), kEncoderCredit);
  auto* discId = TagLib::ID3v2::UserTextIdentificationFrame::find(v2, "DISCID");
  ASSERT_NE(discId, nullptr);
  EXPECT_EQ(discId->fieldList().back().to8Bit(), "2a03c704");

  TagLib::ID3v1::Tag* v1 = file.ID3v1Tag();
  ASSERT_NE(v1, nullptr);
  EXPECT_EQ(v1->track(), 2u);
  EXPECT_EQ(v1->album().to8Bit(), "Generated");
  EXPECT_EQ(v1->title().to8Bit(), "Second");
  EXPECT_EQ(v1->year(), 1994u);
}

TEST_F(Mp3RipTest, PlaceholderAlbumWritesOnlyTheTrackAndDisc) {
  OutputFormat = 2;
  AlbumInfoIsDefault = 1;
  InsertDisc({{AudioTrackSectors(40)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  TagLib::MPEG::File file(OutputPath("01-First.mp3").c_str());
  TagLib::ID3v2::Tag* v2 = file.ID3v2Tag();
  ASSERT_NE(v2, nullptr);
  EXPECT_EQ(FrameText(v2, "TRCK"), "1/1");
  EXPECT_EQ(FrameText(v2, "TALB"), "<none>");
  EXPECT_NE(TagLib::ID3v2::UserTextIdentificationFrame::find(v2, "DISCID"), nullptr);
  ASSERT_NE(file.ID3v1Tag(), nullptr);
  EXPECT_EQ(file.ID3v1Tag()->track(), 1u);
  EXPECT_TRUE(file.ID3v1Tag()->album().isEmpty());
}

TEST_F(Mp3RipTest, NoTagsWhenSwitchedOff) {
  OutputFormat = 2;
  FillTag = 0;
  InsertDisc({{AudioTrackSectors(40)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  TagLib::MPEG::File file(OutputPath("01-First.mp3").c_str());
  EXPECT_FALSE(file.hasID3v2Tag());
  EXPECT_FALSE(file.hasID3v1Tag());
  EXPECT_EQ(DecodedBytes(OutputPath("01-First.mp3")), 40u * 2352);
}

TEST_F(Mp3RipTest, MonoRunsTheConversionToOneChannel) {
  OutputFormat = 2;
  LameChannel = 0;
  InsertDisc({{AudioTrackSectors(75)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished()) << ::testing::PrintToString(sink.LogLines());
  EXPECT_TRUE(job.Mono);
  EXPECT_FALSE(job.Resample);
  const std::string path = OutputPath("01-First.mp3");
  TagLib::MPEG::File file(path.c_str());
  ASSERT_NE(file.audioProperties(), nullptr);
  EXPECT_EQ(file.audioProperties()->channels(), 1);
  EXPECT_EQ(DecodedBytes(path), 75u * 588 * 2);
}

TEST_F(Mp3RipTest, TheEncoderResamplesAt48000And320) {
  OutputFormat = 2;
  LameFreq = 8;
  LameBits = 16;
  InsertDisc({{AudioTrackSectors(75)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  EXPECT_FALSE(job.Resample);  // no conversion stage: the encoder resamples
  TagLib::MPEG::File file(OutputPath("01-First.mp3").c_str());
  ASSERT_NE(file.audioProperties(), nullptr);
  EXPECT_EQ(file.audioProperties()->sampleRate(), 48000);
  EXPECT_EQ(FirstFrameBitrate(file), 320);
}

// Encodes samples straight through the encoder library, as a reference.
std::vector<uint8_t> EncodeStraight(std::vector<int16_t> samples, bool mask, const std::string& path) {
  EncoderLibrary lib;
  EXPECT_EQ(lib.Load(GetProgramFolder()), EncoderLoadResult::Loaded);
  uint8_t config[LAME_ENC_CONFIG_SIZE];
  FillEncoderConfig(config, 7, 11, 2, 9);
  uint32_t chunk = 0, size = 0;
  LameEncStream stream = 0;
  EXPECT_EQ(lib.InitStream(reinterpret_cast<const LameEncConfig*>(config), &chunk, &size, &stream), 0u);
  if (mask) MaskSamples(samples.data(), static_cast<uint32_t>(samples.size()));
  std::vector<uint8_t> out(size), file;
  for (size_t at = 0; at < samples.size(); at += chunk) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(chunk, samples.size() - at));
    uint32_t written = 0;
    EXPECT_EQ(lib.EncodeChunk(stream, n, samples.data() + at, out.data(), &written), 0u);
    file.insert(file.end(), out.begin(), out.begin() + written);
  }
  uint32_t written = 0;
  EXPECT_EQ(lib.DeinitStream(stream, out.data(), &written), 0u);
  file.insert(file.end(), out.begin(), out.begin() + written);
  lib.CloseStream(stream);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  lib.WriteInfoTag(stream, path.c_str());
  return ReadBytes(path);
}

// The job hands the encoder every sample with its four lowest bits cleared,
// in the order the disc holds them, and finishes the file the library's way.
TEST_F(Mp3RipTest, TheEncoderGetsMaskedSamples) {
  OutputFormat = 2;
  FillTag = 0;
  InsertDisc({{AudioTrackSectors(60)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  const auto ripped = ReadBytes(OutputPath("01-First.mp3"));
  EXPECT_EQ(ripped, EncodeStraight(TrackSamples(0), true, dir / "masked.mp3"));
  EXPECT_NE(ripped, EncodeStraight(TrackSamples(0), false, dir / "unmasked.mp3"));
}

TEST_F(Mp3RipTest, MissingEncoderLibraryGivesOneLineAndNoFile) {
  OutputFormat = 2;
  ProgramFolder = dir.Path();  // holds no encoder library
  InsertDisc({{AudioTrackSectors(20)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  EXPECT_EQ(job.Start(), CRippingProgress::StartResult::EncoderMissing);
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0].text, "Error loading lame_enc.dll");
  EXPECT_EQ(log.Lines()[0].level, LogError);
  EXPECT_FALSE(job.Running);
  EXPECT_TRUE(sink.Recorded().empty());
  EXPECT_FALSE(std::filesystem::exists(DesDir));
}

TEST_F(Mp3RipTest, IncompleteEncoderLibraryGivesOneLine) {
  OutputFormat = 2;
  ProgramFolder = GetProgramFolder() + "/lame_enc_incomplete";
  ASSERT_TRUE(PathFileExists(ProgramFolder + "/lame_enc.so")) << "stand-in library not built";
  InsertDisc({{AudioTrackSectors(20)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  EXPECT_EQ(job.Start(), CRippingProgress::StartResult::EncoderIncomplete);
  ASSERT_EQ(log.Lines().size(), 1u);
  EXPECT_EQ(log.Lines()[0].text, "Unable to get LAME interfaces");
  EXPECT_FALSE(std::filesystem::exists(DesDir));
}

// A library whose stream does not open stops the job with the code and
// leaves the track's file empty.
TEST_F(Mp3RipTest, StreamThatDoesNotOpenStopsTheJob) {
  OutputFormat = 2;
  ProgramFolder = GetProgramFolder() + "/lame_enc_no_info_tag";
  ASSERT_TRUE(PathFileExists(ProgramFolder + "/lame_enc.so")) << "stand-in library not built";
  InsertDisc({{AudioTrackSectors(20), AudioTrackSectors(20)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0, 1});
  RunToEnd(job);
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_EQ(sink.LogLines(LogError), std::vector<std::string>{"Error opening encoding stream (1)"});
  EXPECT_EQ(ReadBytes(OutputPath("01-First.mp3")).size(), 0u);
  EXPECT_FALSE(PathFileExists(OutputPath("02-Second.mp3")));
}

}  // namespace
