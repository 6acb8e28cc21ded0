// End to end: what a rip does when things go wrong: failing drives, no disc,
// folders and files that cannot be made, a full disk, a bad output format, an
// album without a title for the track.
#include <fmt/printf.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/rip/rip_job_fixture.h"

namespace {

class FailureRipTest : public RipJobTest {
 protected:
  // Rips in a child process whose files may not grow beyond `limit` bytes, as
  // on a full disk; the child exits 0 when the job stopped with exactly
  // `error` and no fatal line (no tag is attempted).
  int RipWithFileSizeLimit(std::initializer_list<int> tracks, rlim_t limit, const char* error) {
    const pid_t pid = fork();
    if (pid == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit r{limit, limit};
      setrlimit(RLIMIT_FSIZE, &r);
      CRippingProgress j(sink, JobSettings(), &log);
      j.TrackList = Tracks(tracks);
      if (j.Start() != CRippingProgress::StartResult::Started) _exit(10);
      WaitUntil([&] { return sink.HasFinished() || !j.Running; });
      j.WaitForThreads();
      if (sink.HasFinished()) _exit(11);
      if (sink.LogLines(LogError) != std::vector<std::string>{error}) _exit(12);
      _exit(sink.LogLines(LogFatal).empty() ? 0 : 13);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

std::vector<std::string> RetryLines(int sector, int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(fmt::sprintf("Retry %d to read sector %d", i, sector));
  return lines;
}

TEST_F(FailureRipTest, DriveThatFailsEveryReadStopsTheJob) {
  InsertDisc({{AudioTrackSectors(40), AudioTrackSectors(40)}});
  drive->FailAllReads(true);
  Rip({1});
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_FALSE(job->Running);
  std::vector<std::string> expected = RetryLines(40, 5);
  expected.push_back("Error at sector 40 (error code: 9, 4)");
  EXPECT_EQ(sink.LogLines(LogError), expected);
  EXPECT_EQ(sink.LogLines(LogFatal), std::vector<std::string>{"Reach Maximum Retries, Forced to Stop."});
  EXPECT_EQ(drive->ReadCalls(), 6);
}

TEST_F(FailureRipTest, ReadThatWorksOnTheThirdTryGoesOn) {
  InsertDisc({{AudioTrackSectors(60), AudioTrackSectors(30)}});
  drive->FailNextReads(2);
  Rip({0});
  ASSERT_TRUE(sink.HasFinished());
  EXPECT_EQ(sink.LogLines(LogError), RetryLines(0, 2));
  EXPECT_TRUE(sink.LogLines(LogFatal).empty());
  // Requests of 26, 26 and 8 sectors, the first tried three times.
  EXPECT_EQ(drive->ReadCalls(), 5);
  const auto file = ReadBytes(OutputPath("01-First.wav"));
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 44, file.end()), AsBytes(TrackSamples(0)));
}

TEST_F(FailureRipTest, CancelDuringRetriesLogsNoError) {
  InsertDisc({{AudioTrackSectors(40)}});
  drive->FailAllReads(true);
  drive->SetReadDelay(50);
  ASSERT_EQ(Rip({0}, false).Start(), CRippingProgress::StartResult::Started);
  WaitUntil([&] { return !sink.LogLines(LogError).empty(); });
  job->Cancel();
  EXPECT_LT(drive->ReadCalls(), 6);
  EXPECT_TRUE(sink.LogLines(LogFatal).empty());
  for (const auto& line : sink.LogLines(LogError)) EXPECT_EQ(line.rfind("Retry ", 0), 0u) << line;
}

TEST_F(FailureRipTest, NoDiscOrNoAudioStopsAtOnceAndSilently) {
  InsertDisc({{AudioTrackSectors(40)}});
  for (const bool noDisc : {true, false}) {
    NoDisc = noDisc ? 1 : 0;
    RecordingRipSink& to = NewSink();
    Rip(to, {0}, false);
    job->IsAudioDisc = noDisc ? 1 : 0;
    RunToEnd(*job, to);
    EXPECT_FALSE(job->Running);
    EXPECT_FALSE(to.HasFinished());
    EXPECT_TRUE(to.LogLines(LogError).empty());
    EXPECT_TRUE(to.LogLines(LogFatal).empty());
    EXPECT_EQ(drive->ReadCalls(), 0);
  }
}

// Where the folder, the playlist or the file should go stands something
// else; a dangling link where the file would go is not followed.
TEST_F(FailureRipTest, OutputThatCannotBeMadeIsFatal) {
  InsertDisc({{AudioTrackSectors(20)}});
  const struct {
    std::function<void()> block;
    std::function<std::string()> fatal;
  } cases[] = {
      {[&] { WriteText(dir / "blocker", "a file where a folder should be"), settings.naming.desDir = dir / "blocker/"; },
       [&] { return "Fail to create folder " + dir / "blocker/The Testers/Generated !"; }},
      {[&] { std::filesystem::create_directories(OutputPath("Generated.m3u")); },
       [&] { return "File Error: " + OutputPath("Generated.m3u") + ": Is a directory"; }},
      {[&] {
         std::filesystem::create_directories(OutputPath(""));
         std::filesystem::create_symlink(dir / "elsewhere.wav", OutputPath("01-First.wav"));
       },
       [&] { return "File Error: " + OutputPath("01-First.wav") + ": File exists"; }},
  };
  for (const auto& c : cases) {
    settings.naming.desDir = dir.Path() + "/out/";
    std::filesystem::remove_all(DesDir());
    c.block();
    RecordingRipSink& to = NewSink();
    Rip(to, {0});
    EXPECT_FALSE(to.HasFinished());
    EXPECT_FALSE(job->Running);
    EXPECT_EQ(to.LogLines(LogFatal), std::vector<std::string>{c.fatal()});
    EXPECT_FALSE(std::filesystem::is_regular_file(OutputPath("01-First.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.wav"));
  }
}

TEST_F(FailureRipTest, UnknownOutputFormatIsRefusedAtTheStart) {
  InsertDisc({{AudioTrackSectors(20)}});
  for (int format : {0, 3, -1}) {
    settings.outputFormat = format;
    RecordingRipSink& refused = NewSink();
    EXPECT_EQ(Rip(refused, {0}, false).Start(), CRippingProgress::StartResult::UnknownOutputFormat);
    EXPECT_FALSE(job->Running);
    EXPECT_EQ(refused.LogLines(LogFatal), std::vector<std::string>{fmt::sprintf("Unknown output format %d", format)});
  }
  EXPECT_FALSE(std::filesystem::exists(DesDir()));
}

TEST_F(FailureRipTest, NothingToRip) {
  EXPECT_EQ(Rip({}, false).Start(), CRippingProgress::StartResult::NoTracks);
  EXPECT_TRUE(sink.Recorded().empty());
}

// A record with fewer titles than the disc has tracks fails nothing: the
// track past its titles gets the title it would have without any album.
TEST_F(FailureRipTest, TrackWithoutATitleIsRippedUnderTheDefaultTitle) {
  settings.album.TrackTitles = {"Only one"};
  InsertDisc({{AudioTrackSectors(20), AudioTrackSectors(20)}});
  Rip({0, 1});
  EXPECT_TRUE(sink.HasFinished());
  EXPECT_TRUE(sink.LogLines(LogError).empty());
  EXPECT_TRUE(PathFileExists(OutputPath("01-Only one.wav")));
  EXPECT_TRUE(PathFileExists(OutputPath("02-Track02.wav")));
}

TEST_F(FailureRipTest, FullDiskLeavesAWavWhoseHeaderCountsWhatWasWritten) {
  InsertDisc({{AudioTrackSectors(100), AudioTrackSectors(20)}});
  ASSERT_EQ(RipWithFileSizeLimit({0, 1}, 100002, "An error occurred while encoding"), 0);
  const auto file = ReadBytes(OutputPath("01-First.wav"));
  ASSERT_GE(file.size(), 44u);
  EXPECT_EQ(Le32(file, 40), file.size() - 44);
  EXPECT_EQ(Le32(file, 4), file.size() - 8);
  EXPECT_EQ(file.size(), 44u + 99956);  // whole frames up to the limit
  const auto cd = AsBytes(TrackSamples(0));
  EXPECT_TRUE(std::equal(file.begin() + 44, file.end(), cd.begin()));
  EXPECT_FALSE(PathFileExists(OutputPath("02-Second.wav")));
}

TEST_F(FailureRipTest, FullDiskWhileEncodingMp3) {
  settings.outputFormat = 2;
  InsertDisc({{AudioTrackSectors(300)}});
  EXPECT_EQ(RipWithFileSizeLimit({0}, 10000, "Output file write error"), 0);
  EXPECT_LE(ReadBytes(OutputPath("01-First.mp3")).size(), 10000u);
}

}  // namespace
