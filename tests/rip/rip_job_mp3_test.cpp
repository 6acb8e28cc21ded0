// End to end: generated disc images ripped to MP3 files through the real
// drive library and our encoder library, decoded back with mpg123, tags read
// back with TagLib; and the encoder library's failures.
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/mpegheader.h>
#include <taglib/textidentificationframe.h>

#include <filesystem>

#include "rip/id3_tagging.h"
#include "tests/rip/encode_util.h"
#include "tests/rip/rip_job_fixture.h"

namespace {

class Mp3RipTest : public RipJobTest {
 protected:
  void SetUp() override {
    RipJobTest::SetUp();
    settings.outputFormat = 2;
  }
};

// Decoded length in bytes of 16-bit samples, as mpg123 gives it (it honours
// the encoder delay and padding the header frame records).
size_t DecodedBytes(const std::string& path) { return DecodeMp3(path).size() * 2; }

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
  InsertDisc({{AudioTrackSectors(150), AudioTrackSectors(100), AudioTrackSectors(50)}});
  Rip({0, 1});
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

// Mono runs the conversion stage; other rates are the encoder's to make.
TEST_F(Mp3RipTest, MonoAndOtherRatesAndBitRates) {
  struct Case {
    int channel;
    int channels, rate, kbps;
    size_t decodedBytes;
  } cases[] = {{0, 1, 44100, 128, 75u * 588 * 2}, {2, 2, 48000, 320, 0}};
  for (const Case& c : cases) {
    settings.mp3 = Mp3Settings{static_cast<uint32_t>(c.rate), static_cast<uint32_t>(c.kbps), c.channel, 9};
    RecordingRipSink& to = NewSink();
    ReinsertDisc({{AudioTrackSectors(75)}});
    Rip(to, {0});
    ASSERT_TRUE(to.HasFinished()) << ::testing::PrintToString(to.LogLines());
    EXPECT_EQ(job->Mono, c.channels == 1);
    EXPECT_FALSE(job->Resample);  // the encoder resamples, not the conversion stage
    const std::string path = OutputPath("01-First.mp3");
    TagLib::MPEG::File file(path.c_str());
    ASSERT_NE(file.audioProperties(), nullptr);
    EXPECT_EQ(file.audioProperties()->channels(), c.channels);
    EXPECT_EQ(file.audioProperties()->sampleRate(), c.rate);
    EXPECT_EQ(FirstFrameBitrate(file), c.kbps);
    if (c.decodedBytes) {
      EXPECT_EQ(DecodedBytes(path), c.decodedBytes);
    }
  }
}

// Encodes samples straight through the encoder library, as a reference.
std::vector<uint8_t> EncodeStraight(std::vector<int16_t> samples, bool mask, const std::string& path) {
  uint8_t config[LAME_ENC_CONFIG_SIZE];
  FillEncoderConfig(config, Mp3Settings{44100, 128, 2, 9});
  if (mask) MaskSamples(samples.data(), static_cast<uint32_t>(samples.size()));
  return EncodeToFile(config, samples, path);
}

// The job hands the encoder every sample with its four lowest bits cleared,
// in the order the disc holds them, and finishes the file the library's way.
TEST_F(Mp3RipTest, TheEncoderGetsMaskedSamples) {
  settings.fillTag = false;
  InsertDisc({{AudioTrackSectors(60)}});
  Rip({0});
  ASSERT_TRUE(sink.HasFinished());
  const std::string path = OutputPath("01-First.mp3");
  {
    TagLib::MPEG::File file(path.c_str());  // tags switched off
    EXPECT_FALSE(file.hasID3v2Tag());
    EXPECT_FALSE(file.hasID3v1Tag());
  }
  EXPECT_EQ(DecodedBytes(path), 60u * 2352);
  const auto ripped = ReadBytes(path);
  EXPECT_EQ(ripped, EncodeStraight(TrackSamples(0), true, dir / "masked.mp3"));
  EXPECT_NE(ripped, EncodeStraight(TrackSamples(0), false, dir / "unmasked.mp3"));
}

TEST_F(Mp3RipTest, MissingOrIncompleteEncoderLibraryGivesOneLineAndNoFile) {
  const std::string incomplete = GetProgramFolder() + "/lame_enc_incomplete";
  ASSERT_TRUE(PathFileExists(incomplete + "/lame_enc.so")) << "stand-in library not built";
  InsertDisc({{AudioTrackSectors(20)}});
  const struct {
    std::string folder;
    CRippingProgress::StartResult result;
    const char* line;
  } cases[] = {
      {dir.Path(), CRippingProgress::StartResult::EncoderMissing, "Error loading lame_enc.dll"},
      {incomplete, CRippingProgress::StartResult::EncoderIncomplete, "Unable to get LAME interfaces"},
  };
  for (const auto& c : cases) {
    settings.programFolder = c.folder;
    RecordingLogSink lines;
    CRippingProgress j(sink, JobSettings(), &lines);
    j.TrackList = Tracks({0});
    EXPECT_EQ(j.Start(), c.result);
    ASSERT_EQ(lines.Lines().size(), 1u);
    EXPECT_EQ(lines.Lines()[0].text, c.line);
    EXPECT_EQ(lines.Lines()[0].level, LogError);
    EXPECT_FALSE(j.Running);
    EXPECT_TRUE(sink.Recorded().empty());
    EXPECT_FALSE(std::filesystem::exists(DesDir()));
  }
}

// A library whose stream does not open stops the job with the code and
// leaves the track's file empty.
TEST_F(Mp3RipTest, StreamThatDoesNotOpenStopsTheJob) {
  settings.programFolder = GetProgramFolder() + "/lame_enc_no_info_tag";
  ASSERT_TRUE(PathFileExists(settings.programFolder + "/lame_enc.so")) << "stand-in library not built";
  InsertDisc({{AudioTrackSectors(20), AudioTrackSectors(20)}});
  Rip({0, 1});
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_EQ(sink.LogLines(LogError), std::vector<std::string>{"Error opening encoding stream (1)"});
  EXPECT_EQ(ReadBytes(OutputPath("01-First.mp3")).size(), 0u);
  EXPECT_FALSE(PathFileExists(OutputPath("02-Second.mp3")));
}

}  // namespace
