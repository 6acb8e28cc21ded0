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

using FailureRipTest = RipJobTest;

std::vector<std::string> RetryLines(int sector, int count) {
  std::vector<std::string> lines;
  for (int i = 1; i <= count; ++i) lines.push_back(fmt::sprintf("Retry %d to read sector %d", i, sector));
  return lines;
}

TEST_F(FailureRipTest, DriveThatFailsEveryReadStopsTheJob) {
  InsertDisc({{AudioTrackSectors(40), AudioTrackSectors(40)}});
  drive->FailAllReads(true);
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({1});
  RunToEnd(job);
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_FALSE(job.Running);
  std::vector<std::string> expected = RetryLines(40, 5);
  expected.push_back("Error at sector 40 (error code: 9, 4)");
  EXPECT_EQ(sink.LogLines(LogError), expected);
  EXPECT_EQ(sink.LogLines(LogFatal), std::vector<std::string>{"Reach Maximum Retries, Forced to Stop."});
  EXPECT_EQ(drive->ReadCalls(), 6);
}

TEST_F(FailureRipTest, ReadThatWorksOnTheThirdTryGoesOn) {
  InsertDisc({{AudioTrackSectors(60), AudioTrackSectors(30)}});
  drive->FailNextReads(2);
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
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
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  ASSERT_EQ(job.Start(), CRippingProgress::StartResult::Started);
  WaitUntil([&] { return !sink.LogLines(LogError).empty(); });
  job.Cancel();
  EXPECT_LT(drive->ReadCalls(), 6);
  EXPECT_TRUE(sink.LogLines(LogFatal).empty());
  for (const auto& line : sink.LogLines(LogError)) EXPECT_EQ(line.rfind("Retry ", 0), 0u) << line;
}

TEST_F(FailureRipTest, NoDiscStopsAtOnceAndSilently) {
  InsertDisc({{AudioTrackSectors(40)}});
  NoDisc = 1;
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  EXPECT_FALSE(job.Running);
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_TRUE(sink.LogLines(LogError).empty());
  EXPECT_TRUE(sink.LogLines(LogFatal).empty());
  EXPECT_EQ(drive->ReadCalls(), 0);
}

TEST_F(FailureRipTest, DiscWithoutAudioStopsAtOnce) {
  InsertDisc({{AudioTrackSectors(40)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  job.IsAudioDisc = 0;
  RunToEnd(job);
  EXPECT_FALSE(job.Running);
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_EQ(drive->ReadCalls(), 0);
}

TEST_F(FailureRipTest, FolderThatCannotBeMade) {
  WriteText(dir / "blocker", "a file where a folder should be");
  DesDir = dir / "blocker/";
  InsertDisc({{AudioTrackSectors(20)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_EQ(sink.LogLines(LogFatal),
            std::vector<std::string>{"Fail to create folder " + dir / "blocker/The Testers/Generated !"});
  EXPECT_FALSE(job.Running);
}

TEST_F(FailureRipTest, PlaylistThatCannotBeOpened) {
  std::filesystem::create_directories(OutputPath("Generated.m3u"));
  InsertDisc({{AudioTrackSectors(20)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  EXPECT_FALSE(sink.HasFinished());
  ASSERT_EQ(sink.LogLines(LogFatal).size(), 1u);
  EXPECT_EQ(sink.LogLines(LogFatal)[0], "File Error: " + OutputPath("Generated.m3u") + ": Is a directory");
  EXPECT_FALSE(PathFileExists(OutputPath("01-First.wav")));
}

// A dangling link where the file would go is not followed: nothing is
// written through it.
TEST_F(FailureRipTest, OutputFileThatCannotBeCreated) {
  std::filesystem::create_directories(OutputPath(""));
  std::filesystem::create_symlink(dir / "elsewhere.wav", OutputPath("01-First.wav"));
  InsertDisc({{AudioTrackSectors(20)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0});
  RunToEnd(job);
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_EQ(sink.LogLines(LogFatal),
            std::vector<std::string>{"File Error: " + OutputPath("01-First.wav") + ": File exists"});
  EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.wav"));
}

TEST_F(FailureRipTest, UnknownOutputFormatIsRefusedAtTheStart) {
  for (int format : {0, 3, -1}) {
    RecordingRipSink refused;
    OutputFormat = static_cast<int16_t>(format);
    InsertDisc({{AudioTrackSectors(20)}});
    CRippingProgress job(refused, &log);
    job.TrackList = Tracks({0});
    EXPECT_EQ(job.Start(), CRippingProgress::StartResult::UnknownOutputFormat);
    EXPECT_FALSE(job.Running);
    EXPECT_EQ(refused.LogLines(LogFatal),
              std::vector<std::string>{fmt::sprintf("Unknown output format %d", format)});
    CloseCDHandle(CDHandle);
    CDHandle = 0;
  }
  EXPECT_FALSE(std::filesystem::exists(DesDir));
}

TEST_F(FailureRipTest, NothingToRip) {
  CRippingProgress job(sink, &log);
  EXPECT_EQ(job.Start(), CRippingProgress::StartResult::NoTracks);
  EXPECT_TRUE(sink.Recorded().empty());
}

TEST_F(FailureRipTest, TrackWithoutATitleEndsTheJob) {
  AlbumRecord.TrackTitles = {"Only one"};
  InsertDisc({{AudioTrackSectors(20), AudioTrackSectors(20)}});
  CRippingProgress job(sink, &log);
  job.TrackList = Tracks({0, 1});
  RunToEnd(job);
  EXPECT_FALSE(sink.HasFinished());
  EXPECT_EQ(sink.LogLines(LogError), std::vector<std::string>{"An error occurred while encoding"});
  EXPECT_TRUE(PathFileExists(OutputPath("01-Only one.wav")));
}

// Runs `body` in a child process whose files may not grow beyond `limit`
// bytes, as on a full disk; returns the child's exit code.
int RunWithFileSizeLimit(rlim_t limit, const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit r{limit, limit};
    setrlimit(RLIMIT_FSIZE, &r);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(FailureRipTest, FullDiskLeavesAWavWhoseHeaderCountsWhatWasWritten) {
  InsertDisc({{AudioTrackSectors(100), AudioTrackSectors(20)}});
  const int code = RunWithFileSizeLimit(100002, [&] {
    CRippingProgress job(sink, &log);
    job.TrackList = Tracks({0, 1});
    if (job.Start() != CRippingProgress::StartResult::Started) return 10;
    WaitUntil([&] { return sink.HasFinished() || !job.Running; });
    job.WaitForThreads();
    if (sink.HasFinished()) return 11;
    if (sink.LogLines(LogError) != std::vector<std::string>{"An error occurred while encoding"}) return 12;
    return 0;
  });
  ASSERT_EQ(code, 0);
  const auto file = ReadBytes(OutputPath("01-First.wav"));
  ASSERT_GE(file.size(), 44u);
  EXPECT_EQ(Le32(file, 40), file.size() - 44);
  EXPECT_EQ(Le32(file, 4), file.size() - 8);
  EXPECT_EQ(Le32(file, 40) % 4, 0u);
  EXPECT_EQ(file.size(), 44u + 99956);  // whole frames up to the limit
  const auto cd = AsBytes(TrackSamples(0));
  EXPECT_TRUE(std::equal(file.begin() + 44, file.end(), cd.begin()));
  EXPECT_FALSE(PathFileExists(OutputPath("02-Second.wav")));
}

TEST_F(FailureRipTest, FullDiskWhileEncodingMp3) {
  OutputFormat = 2;
  InsertDisc({{AudioTrackSectors(300)}});
  const int code = RunWithFileSizeLimit(10000, [&] {
    CRippingProgress job(sink, &log);
    job.TrackList = Tracks({0});
    if (job.Start() != CRippingProgress::StartResult::Started) return 10;
    WaitUntil([&] { return sink.HasFinished() || !job.Running; });
    job.WaitForThreads();
    if (sink.HasFinished()) return 11;
    if (sink.LogLines(LogError) != std::vector<std::string>{"Output file write error"}) return 12;
    if (!sink.LogLines(LogFatal).empty()) return 13;  // no tag is attempted
    return 0;
  });
  EXPECT_EQ(code, 0);
  EXPECT_LE(ReadBytes(OutputPath("01-First.mp3")).size(), 10000u);
}

}  // namespace
