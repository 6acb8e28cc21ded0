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

std::string Soxi(const std::string& option, const std::string& path) {
  return RunTool({"soxi", option, path});
}

using WavRipTest = RipJobTest;

TEST_F(WavRipTest, SixteenBitStereoIsTheDiscsAudioByteForByte) {
  InsertDisc({{AudioTrackSectors(100), AudioTrackSectors(60), AudioTrackSectors(40, 10)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0, 1});
  RunToEnd(job);
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
  EXPECT_EQ(job.LastOutputPath(), OutputPath("02-Second.wav"));
  EXPECT_EQ(job.TotalDone.load(), 170u * 1176);
}

TEST_F(WavRipTest, MessagesOfAJob) {
  InsertDisc({{AudioTrackSectors(30), AudioTrackSectors(30)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({1});
  RunToEnd(job);
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

TEST_F(WavRipTest, EightBitHalvesTheData) {
  SubFormat = 0;
  InsertDisc({{AudioTrackSectors(100)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  const std::string path = OutputPath("01-First.wav");
  const auto file = ReadBytes(path);
  const WavInfo h = HeaderOf(file);
  EXPECT_EQ(h.dataSize, 117600u);
  EXPECT_EQ(h.bits, 8);
  EXPECT_EQ(h.blockAlign, 2);
  EXPECT_EQ(h.byteRate, 88200u);
  const std::vector<int16_t> cd = TrackSamples(0);
  std::vector<uint8_t> expected(cd.size());
  SamplesTo8Bit(cd.data(), expected.data(), static_cast<uint32_t>(cd.size()));
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 44, file.end()), expected);
  EXPECT_EQ(Soxi("-b", path), "8");
  EXPECT_EQ(Soxi("-s", path), "58800");
}

TEST_F(WavRipTest, MonoAt44100HasOneChannel) {
  Channel = 0;
  InsertDisc({{AudioTrackSectors(100)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  EXPECT_TRUE(job.Mono);
  EXPECT_FALSE(job.Resample);
  const std::string path = OutputPath("01-First.wav");
  const WavInfo h = HeaderOf(ReadBytes(path));
  EXPECT_EQ(h.channels, 1);
  EXPECT_EQ(h.dataSize, 100u * 588 * 2);
  EXPECT_EQ(Soxi("-c", path), "1");
  EXPECT_EQ(Soxi("-r", path), "44100");
  EXPECT_EQ(Soxi("-s", path), "58800");
}

TEST_F(WavRipTest, ResampledStereoAt22050) {
  Freq = 4;
  InsertDisc({{AudioTrackSectors(150), AudioTrackSectors(75)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0, 1});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished()) << ::testing::PrintToString(sink.LogLines());
  EXPECT_TRUE(job.Resample);
  EXPECT_DOUBLE_EQ(job.RateFactor, 0.5);
  const std::string path = OutputPath("01-First.wav");
  EXPECT_EQ(HeaderOf(ReadBytes(path)).dataSize, 150u * 588 * 2);
  EXPECT_EQ(Soxi("-r", path), "22050");
  EXPECT_EQ(Soxi("-c", path), "2");
  EXPECT_EQ(Soxi("-s", path), "44100");  // 2 s of frames
  EXPECT_EQ(Soxi("-s", OutputPath("02-Second.wav")), "22050");
}

TEST_F(WavRipTest, EightBitMonoAt8000) {
  SubFormat = 0;
  Channel = 0;
  Freq = 0;
  InsertDisc({{AudioTrackSectors(150)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  const std::string path = OutputPath("01-First.wav");
  const WavInfo h = HeaderOf(ReadBytes(path));
  EXPECT_EQ(h.channels, 1);
  EXPECT_EQ(h.bits, 8);
  EXPECT_EQ(h.rate, 8000u);
  EXPECT_EQ(h.byteRate, 8000u);
  EXPECT_EQ(h.dataSize, 16000u);
  EXPECT_EQ(Soxi("-s", path), "16000");
  EXPECT_EQ(Soxi("-b", path), "8");
}

TEST_F(WavRipTest, PlaylistLinesAreAppendedAcrossRipsAndNamesMadeUnique) {
  InsertDisc({{AudioTrackSectors(20), AudioTrackSectors(20)}});
  {
    CRippingProgress job(sink, &log);
    job.TrackList = Tracks({0, 1});
    RunToEnd(job);
    ASSERT_TRUE(sink.HasFinished());
  }
  const auto firstFile = ReadBytes(OutputPath("01-First.wav"));
  RecordingRipSink again;
  {
    CRippingProgress job(again, &log);
    job.TrackList = Tracks({0});
    ASSERT_EQ(job.Start(), CRippingProgress::StartResult::Started);
    WaitUntil([&] { return again.HasFinished() || !job.Running; });
    job.WaitForThreads();
    ASSERT_TRUE(again.HasFinished());
    EXPECT_EQ(job.LastOutputPath(), OutputPath("01-First (2).wav"));
  }
  EXPECT_EQ(ReadText(OutputPath("Generated.m3u")), "01-First.wav\r\n02-Second.wav\r\n01-First (2).wav\r\n");
  EXPECT_EQ(ReadBytes(OutputPath("01-First.wav")), firstFile);  // never overwritten
  EXPECT_EQ(ReadBytes(OutputPath("01-First (2).wav")), firstFile);
}

TEST_F(WavRipTest, NoPlaylistWhenSwitchedOff) {
  M3U = 0;
  InsertDisc({{AudioTrackSectors(10)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  EXPECT_FALSE(PathFileExists(OutputPath("Generated.m3u")));
  EXPECT_TRUE(PathFileExists(OutputPath("01-First.wav")));
}

TEST_F(WavRipTest, NamesFromTheNetworkStayInsideTheOutputFolder) {
  AlbumRecord.Artist = "..";
  AlbumRecord.Title = "../..";
  AlbumRecord.TrackTitles = {"Line\r\nBreak"};
  InsertDisc({{AudioTrackSectors(10)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  ASSERT_TRUE(sink.HasFinished());
  EXPECT_EQ(job.LastOutputPath(), DesDir + "_/.._../01-Line__Break.wav");
  EXPECT_TRUE(PathFileExists(DesDir + "_/.._../01-Line__Break.wav"));
  EXPECT_EQ(ReadText(DesDir + "_/.._../.._...m3u"), "01-Line__Break.wav\r\n");
}

// A cancel in the middle of a track leaves a valid WAV file, shorter, whose
// header counts exactly what was written.
TEST_F(WavRipTest, CancelInTheMiddleLeavesAValidShorterFile) {
  InsertDisc({{AudioTrackSectors(1500)}});
  drive->SetReadDelay(15);
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  ASSERT_EQ(job.Start(), CRippingProgress::StartResult::Started);
  WaitUntil([&] { return job.TrackDone.load() >= 20000; });
  job.Cancel();
  EXPECT_FALSE(job.Running);
  EXPECT_TRUE(job.Cancelled);
  EXPECT_FALSE(sink.HasFinished());

  const std::string path = OutputPath("01-First.wav");
  const auto file = ReadBytes(path);
  const WavInfo h = HeaderOf(file);
  EXPECT_EQ(h.dataSize, file.size() - 44);
  EXPECT_EQ(h.riffSize, file.size() - 8);
  EXPECT_GT(h.dataSize, 0u);
  EXPECT_LT(h.dataSize, 1500u * 2352);
  EXPECT_EQ(h.dataSize % 4, 0u);
  const auto cd = AsBytes(TrackSamples(0));
  EXPECT_TRUE(std::equal(file.begin() + 44, file.end(), cd.begin()));
  EXPECT_EQ(Soxi("-s", path), std::to_string(h.dataSize / 4));
}

TEST_F(WavRipTest, CancelEndsAConversionWaitingForTheDrive) {
  Channel = 0;
  Freq = 4;
  InsertDisc({{AudioTrackSectors(1500)}});
  drive->SetReadDelay(15);
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  ASSERT_EQ(job.Start(), CRippingProgress::StartResult::Started);
  WaitUntil([&] { return job.TrackDone.load() > 0; });
  job.Cancel();  // returns only once all three threads have ended
  EXPECT_FALSE(job.Running);
  const WavInfo h = HeaderOf(ReadBytes(OutputPath("01-First.wav")));
  EXPECT_GT(h.dataSize, 0u);
  EXPECT_EQ(h.channels, 1);
}

// A window busy elsewhere must not keep a cancelled job alive.
TEST_F(WavRipTest, CancelWhileTheWindowHoldsASend) {
  InsertDisc({{AudioTrackSectors(50)}});
  sink.HoldSends(true);
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  ASSERT_EQ(job.Start(), CRippingProgress::StartResult::Started);
  WaitUntil([&] { return !sink.LogLines(LogInfo).empty(); });  // the destination line comes next, by send
  job.Cancel();
  EXPECT_EQ(sink.SendsGivenUp(), 2);                    // the destination line and the track's final progress
  EXPECT_TRUE(sink.WithId(WM_RIP_STATUS).size() == 1);  // only the caption got through
}

TEST_F(WavRipTest, PauseHoldsTheWriterWhileTheReaderFillsItsRing) {
  InsertDisc({{AudioTrackSectors(2000)}});
  drive->SetReadDelay(3);  // the pause must come long before the reader is through
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  EXPECT_FALSE(job.TogglePause());  // nothing to pause before the job runs
  ASSERT_EQ(job.Start(), CRippingProgress::StartResult::Started);
  WaitUntil([&] { return job.TrackDone.load() > 0; });
  ASSERT_TRUE(job.TogglePause());
  // The writer stops taking samples; the reader reads until the ring is full
  // and then waits for room.
  WaitUntil([&] { return RipReadRing->GetFreeCount() < 26u * 1176; });
  const uint32_t held = job.TrackDone.load();
  const auto reads = static_cast<uint32_t>(drive->ReadCalls());
  EXPECT_LE(reads * 26 * 1176, held + kRipRingCapacity);
  EXPECT_LT(held, 2000u * 1176);
  EXPECT_EQ(job.TrackDone.load(), held);
  EXPECT_FALSE(job.TogglePause());
  WaitUntil([&] { return sink.HasFinished(); });
  job.WaitForThreads();
  EXPECT_EQ(HeaderOf(ReadBytes(OutputPath("01-First.wav"))).dataSize, 2000u * 2352);
}

TEST_F(WavRipTest, ReaderAndWriterPriorities) {
  EXPECT_EQ(ReaderPriorityFor(8, true), ThreadPriority::Highest);
  EXPECT_EQ(ReaderPriorityFor(6, false), ThreadPriority::Highest);
  EXPECT_EQ(ReaderPriorityFor(4, false), ThreadPriority::AboveNormal);
  EXPECT_EQ(ReaderPriorityFor(3, true), ThreadPriority::AboveNormal);
  EXPECT_EQ(ReaderPriorityFor(2, false), ThreadPriority::Normal);
  EXPECT_EQ(ReaderPriorityFor(1, false), ThreadPriority::Normal);
}

}  // namespace
