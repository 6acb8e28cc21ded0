// End to end: generated disc images ripped to WAV files through the real
// drive library, the conversion stage and the writer; playlists, unique
// names, pause and cancel.
#include "tests/rip/rip_job_fixture.h"

namespace {

struct WavInfo {
  uint16_t channels, bits, blockAlign;
  uint32_t rate, byteRate, riffSize, dataSize;
};

WavInfo HeaderOf(const std::vector<uint8_t>& f) {
  EXPECT_GE(f.size(), 44u);
  EXPECT_EQ(std::string(f.begin(), f.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(f.begin() + 8, f.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(std::string(f.begin() + 36, f.begin() + 40), "data");
  return {Le16(f, 22), Le16(f, 34), Le16(f, 32), Le32(f, 24), Le32(f, 28), Le32(f, 4), Le32(f, 40)};
}

std::string Soxi(const std::string& option, const std::string& path) { return RunTool({"soxi", option, path}); }

using WavRipTest = RipJobTest;

TEST_F(WavRipTest, SixteenBitStereoIsTheDiscsAudioByteForByte) {
  InsertDisc({{AudioTrackSectors(100), AudioTrackSectors(60), AudioTrackSectors(40, 10)}});
  Rip({0, 1});
  ASSERT_TRUE(sink.HasFinished()) << ::testing::PrintToString(sink.LogLines());

  const auto first = ReadBytes(OutputPath("01-First.wav"));
  const WavInfo h = HeaderOf(first);
  EXPECT_EQ(h.dataSize, 235200u);
  EXPECT_EQ(h.riffSize, 235236u);
  EXPECT_EQ(h.channels, 2);
  EXPECT_EQ(h.rate, 44100u);
  EXPECT_EQ(h.byteRate, 176400u);
  EXPECT_EQ(h.blockAlign, 4);
  EXPECT_EQ(h.bits, 16);
  EXPECT_EQ(std::vector<uint8_t>(first.begin() + 44, first.end()), AsBytes(TrackSamples(0)));

  // The second track includes the gap before the third, as its length in
  // the table of contents says.
  const auto second = ReadBytes(OutputPath("02-Second.wav"));
  ASSERT_EQ(layout.TOCLength(1), 70);
  EXPECT_EQ(HeaderOf(second).dataSize, 70u * 2352);
  EXPECT_EQ(std::vector<uint8_t>(second.begin() + 44, second.end()), AsBytes(TrackSamples(1)));
  EXPECT_EQ(job->LastOutputPath(), OutputPath("02-Second.wav"));
  EXPECT_EQ(job->TotalDone.load(), 170u * 1176);
}

TEST_F(WavRipTest, MessagesOfAJob) {
  InsertDisc({{AudioTrackSectors(30), AudioTrackSectors(30)}});
  Rip({1});
  const auto recorded = sink.Recorded();
  ASSERT_GE(recorded.size(), 5u);
  // The job opens with 0/0 progress, then names the track and its destination.
  EXPECT_EQ(recorded[0].message, RipMessage::Progress(0, 0));
  EXPECT_EQ(recorded[1].message, RipMessage::Status(kRipStatusCaption, "1/1"));
  const std::string path = OutputPath("02-Second.wav");
  EXPECT_EQ(recorded[2].message, RipMessage::Log("Rip track(s) to \"" + path + "\"", LogInfo));
  EXPECT_EQ(recorded[3].message, RipMessage::Status(kRipStatusLine, "Destination:     " + path));
  EXPECT_TRUE(recorded[3].sent);
  // It ends with the final progress, sent, and the end of the job.
  const RecordedRipMessage& final = recorded[recorded.size() - 2];
  EXPECT_EQ(final.message, RipMessage::Progress(100, 100));
  EXPECT_TRUE(final.sent);
  EXPECT_EQ(recorded.back().message, RipMessage::Finished());
  EXPECT_TRUE(sink.LogLines(LogError).empty());
  EXPECT_TRUE(log.Lines().empty());
}

// Sample size, channels and rate from the settings, checked in the header
// and by soxi.
TEST_F(WavRipTest, EightBitMonoAndResampledFilesHaveTheirHeaderAndLength) {
  struct Case {
    int16_t subFormat, channel;
    int sectors;
    uint16_t channels, bits;
    uint32_t rate, dataSize;
    const char* soxiSamples;
  } cases[] = {
      {0, 1, 100, 2, 8, 44100, 117600, "58800"},
      {1, 0, 100, 1, 16, 44100, 117600, "58800"},
      {1, 1, 150, 2, 16, 22050, 176400, "44100"},  // 2 s of frames
      {0, 0, 150, 1, 8, 8000, 16000, "16000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    settings.subFormat = c.subFormat;
    settings.wavChannel = c.channel;
    settings.wavRate = c.rate;
    settings.m3u = c.subFormat != 0;  // the playlist switched off half the time
    ReinsertDisc({{AudioTrackSectors(c.sectors)}});
    RecordingRipSink& to = NewSink();
    Rip(to, {0});
    ASSERT_TRUE(to.HasFinished()) << ::testing::PrintToString(to.LogLines());
    EXPECT_EQ(job->Mono, c.channels == 1);
    EXPECT_EQ(job->Resample, c.rate != 44100);
    const std::string path = OutputPath("01-First.wav");
    const auto file = ReadBytes(path);
    const WavInfo h = HeaderOf(file);
    EXPECT_EQ(h.channels, c.channels);
    EXPECT_EQ(h.bits, c.bits);
    EXPECT_EQ(h.rate, c.rate);
    EXPECT_EQ(h.blockAlign, c.channels * c.bits / 8);
    EXPECT_EQ(h.byteRate, c.rate * h.blockAlign);
    EXPECT_EQ(h.dataSize, c.dataSize);
    EXPECT_EQ(Soxi("-s", path), c.soxiSamples);
    EXPECT_EQ(Soxi("-c", path), std::to_string(c.channels));
    EXPECT_EQ(Soxi("-r", path), std::to_string(c.rate));
    EXPECT_EQ(Soxi("-b", path), std::to_string(c.bits));
    EXPECT_EQ(PathFileExists(OutputPath("Generated.m3u")), settings.m3u);
    if (c.bits == 8 && c.rate == 44100 && c.channels == 2) {
      const std::vector<int16_t> cd = TrackSamples(0);
      std::vector<uint8_t> expected(cd.size());
      SamplesTo8Bit(cd.data(), expected.data(), static_cast<uint32_t>(cd.size()));
      EXPECT_EQ(std::vector<uint8_t>(file.begin() + 44, file.end()), expected);
    }
  }
}

TEST_F(WavRipTest, PlaylistLinesAreAppendedAcrossRipsAndNamesMadeUnique) {
  InsertDisc({{AudioTrackSectors(20), AudioTrackSectors(20)}});
  Rip({0, 1});
  ASSERT_TRUE(sink.HasFinished());
  const auto firstFile = ReadBytes(OutputPath("01-First.wav"));
  RecordingRipSink& again = NewSink();
  Rip(again, {0});
  ASSERT_TRUE(again.HasFinished());
  EXPECT_EQ(job->LastOutputPath(), OutputPath("01-First (2).wav"));
  EXPECT_EQ(ReadText(OutputPath("Generated.m3u")), "01-First.wav\r\n02-Second.wav\r\n01-First (2).wav\r\n");
  EXPECT_EQ(ReadBytes(OutputPath("01-First.wav")), firstFile);  // never overwritten
  EXPECT_EQ(ReadBytes(OutputPath("01-First (2).wav")), firstFile);
}

TEST_F(WavRipTest, NamesFromTheNetworkStayInsideTheOutputFolder) {
  settings.album.Artist = "..";
  settings.album.Title = "../..";
  settings.album.TrackTitles = {"Line\r\nBreak"};
  InsertDisc({{AudioTrackSectors(10)}});
  Rip({0});
  ASSERT_TRUE(sink.HasFinished());
  EXPECT_EQ(job->LastOutputPath(), DesDir() + "_/.._../01-Line__Break.wav");
  EXPECT_TRUE(PathFileExists(DesDir() + "_/.._../01-Line__Break.wav"));
  EXPECT_EQ(ReadText(DesDir() + "_/.._../.._...m3u"), "01-Line__Break.wav\r\n");
}

// A cancel in the middle of a track leaves a valid WAV file, shorter, whose
// header counts exactly what was written; with the conversion stage too,
// which may be waiting for the drive.
TEST_F(WavRipTest, CancelInTheMiddleLeavesAValidShorterFile) {
  for (const bool convert : {false, true}) {
    settings.wavChannel = convert ? 0 : 1;
    settings.wavRate = convert ? 22050 : 44100;
    ReinsertDisc({{AudioTrackSectors(1500)}});
    drive->SetReadDelay(15);
    RecordingRipSink& to = NewSink();
    Rip(to, {0}, false);
    ASSERT_EQ(job->Start(), CRippingProgress::StartResult::Started);
    WaitUntil([&] { return job->TrackDone.load() >= (convert ? 1u : 20000u); });
    job->Cancel();  // returns only once all three threads have ended
    EXPECT_FALSE(job->Running);
    EXPECT_TRUE(job->Cancelled);
    EXPECT_FALSE(to.HasFinished());

    const std::string path = OutputPath("01-First.wav");
    const auto file = ReadBytes(path);
    const WavInfo h = HeaderOf(file);
    EXPECT_EQ(h.dataSize, file.size() - 44);
    EXPECT_EQ(h.riffSize, file.size() - 8);
    EXPECT_GT(h.dataSize, 0u);
    EXPECT_EQ(h.channels, convert ? 1 : 2);
    if (convert) continue;
    EXPECT_LT(h.dataSize, 1500u * 2352);
    EXPECT_EQ(h.dataSize % 4, 0u);
    const auto cd = AsBytes(TrackSamples(0));
    EXPECT_TRUE(std::equal(file.begin() + 44, file.end(), cd.begin()));
    EXPECT_EQ(Soxi("-s", path), std::to_string(h.dataSize / 4));
  }
}

// A window busy elsewhere must not keep a cancelled job alive.
TEST_F(WavRipTest, CancelWhileTheWindowHoldsASend) {
  InsertDisc({{AudioTrackSectors(50)}});
  sink.HoldSends(true);
  Rip({0}, false);
  ASSERT_EQ(job->Start(), CRippingProgress::StartResult::Started);
  WaitUntil([&] { return !sink.LogLines(LogInfo).empty(); });  // the destination line comes next, by send
  job->Cancel();
  EXPECT_EQ(sink.SendsGivenUp(), 2);                    // the destination line and the track's final progress
  EXPECT_TRUE(sink.WithId(WM_RIP_STATUS).size() == 1);  // only the caption got through
}

TEST_F(WavRipTest, PauseHoldsTheWriterWhileTheReaderFillsItsRing) {
  InsertDisc({{AudioTrackSectors(2000)}});
  drive->SetReadDelay(3);  // the pause must come long before the reader is through
  Rip({0}, false);
  EXPECT_FALSE(job->TogglePause());  // nothing to pause before the job runs
  ASSERT_EQ(job->Start(), CRippingProgress::StartResult::Started);
  WaitUntil([&] { return job->TrackDone.load() > 0; });
  ASSERT_TRUE(job->TogglePause());
  // The writer stops taking samples; the reader reads until the ring is full
  // and then waits for room.
  WaitUntil([&] { return RipReadRing->GetFreeCount() < 26u * 1176; });
  const uint32_t held = job->TrackDone.load();
  const auto reads = static_cast<uint32_t>(drive->ReadCalls());
  EXPECT_LE(reads * 26 * 1176, held + kRipRingCapacity);
  EXPECT_LT(held, 2000u * 1176);
  EXPECT_EQ(job->TrackDone.load(), held);
  EXPECT_FALSE(job->TogglePause());
  WaitUntil([&] { return sink.HasFinished(); });
  job->WaitForThreads();
  EXPECT_EQ(HeaderOf(ReadBytes(OutputPath("01-First.wav"))).dataSize, 2000u * 2352);
}

TEST_F(WavRipTest, ReaderPriorityFollowsTheDrivesSpeed) {
  EXPECT_EQ(ReaderPriorityFor(8, true), ThreadPriority::Highest);
  EXPECT_EQ(ReaderPriorityFor(6, false), ThreadPriority::Highest);
  EXPECT_EQ(ReaderPriorityFor(4, false), ThreadPriority::AboveNormal);
  EXPECT_EQ(ReaderPriorityFor(3, true), ThreadPriority::AboveNormal);
  EXPECT_EQ(ReaderPriorityFor(2, false), ThreadPriority::Normal);
}

}  // namespace
