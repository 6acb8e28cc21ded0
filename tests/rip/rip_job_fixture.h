// What the end-to-end rip tests share: a generated disc image in a temporary
// folder, played by a test drive through the real drive library (libcdio),
// settings that point the output into the same folder, an album, and a job
// run to its end with bounded waits.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "platform/cd_drive.h"
#include "platform/folders.h"
#include "rip/ripping_progress.h"
#include "tests/rip/rip_test_util.h"
#include "tests/support/disc_image.h"
#include "tests/support/fake_drive.h"
#include "tests/support/recording_sink.h"

class RipJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DesDir = dir.Path() + "/out/";
    FileStyle = 11;
    Separator = "-";
    OutputFormat = 1;
    SubFormat = 1;
    Freq = 7;
    Channel = 1;
    LameFreq = 7;
    LameBits = 11;
    LameChannel = 2;
    M3U = 1;
    FillTag = 1;
    ProgramFolder = GetProgramFolder();
    AlbumRecord = CCDDBRecord();
    AlbumRecord.Artist = "The Testers";
    AlbumRecord.Title = "Generated";
    AlbumRecord.Year = 1994;
    AlbumRecord.Genre = "Rock";
    AlbumRecord.TrackTitles = {"First", "Second", "Third", "Fourth"};
    AlbumInfoIsDefault = 0;
    DiscID = 0x2a03c704;
  }

  void TearDown() override {
    if (CDHandle) CloseCDHandle(CDHandle);
    CDHandle = 0;
  }

  // Writes the image, puts it in a test drive and opens it as the drive the
  // rip reads from, with its table of contents read.
  void InsertDisc(const DiscImageSpec& discSpec) {
    cue = WriteDiscImage(dir.Path(), discSpec, "disc");
    layout = LayoutOf(discSpec);
    drive = std::make_unique<FakeDrive>(cue);
    CDHandle = drive->Open();
    ASSERT_NE(CDHandle.load(), 0);
    ASSERT_EQ(ReadTOC(CDHandle, TOCBuffer), 1);
    NoDisc = 0;
  }

  // The tracks (0-based) as the Rip command lists them.
  std::vector<TrackData> Tracks(std::initializer_list<int> indices) const {
    std::vector<TrackData> list;
    int32_t total = 0;
    for (int i : indices) {
      TrackData t;
      t.TrackNumber = static_cast<uint16_t>(i);
      t.StartLBA = layout.Tracks[static_cast<size_t>(i)].StartLBA;
      t.Length = layout.TOCLength(i);
      total += t.Length;
      t.TotalLength = total;
      list.push_back(t);
    }
    return list;
  }

  // The CD samples of a track, as the image holds them.
  std::vector<int16_t> TrackSamples(int i) const {
    std::vector<int16_t> samples;
    const int32_t start = layout.Tracks[static_cast<size_t>(i)].StartLBA;
    for (int32_t lba = start; lba < start + layout.TOCLength(i); ++lba)
      for (int k = 0; k < kImageSamplesPerSector; ++k) samples.push_back(ExpectedSample(lba, k));
    return samples;
  }

  std::string OutputPath(const std::string& name) const {
    return DesDir + AlbumRecord.Artist + "/" + AlbumRecord.Title + "/" + name;
  }

  // Starts the job and waits until it has finished or stopped on its own.
  void RunToEnd(CRippingProgress& job) {
    ASSERT_EQ(job.Start(), CRippingProgress::StartResult::Started);
    WaitUntil([&] { return sink.HasFinished() || !job.Running; });
    job.WaitForThreads();
  }

  // Polls `done` until it holds; fails the test after a generous bound.
  static void WaitUntil(const std::function<bool()>& done,
                        std::chrono::seconds bound = std::chrono::seconds(60)) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) {
        ADD_FAILURE() << "timed out";
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }

  TempFolder dir;
  std::string cue;
  DiscImageLayout layout;
  std::unique_ptr<FakeDrive> drive;
  RecordingRipSink sink;
  RecordingLogSink log;
};

// Bytes of a sample vector as a file holds them (little-endian host).
inline std::vector<uint8_t> AsBytes(const std::vector<int16_t>& samples) {
  const auto* p = reinterpret_cast<const uint8_t*>(samples.data());
  return std::vector<uint8_t>(p, p + samples.size() * 2);
}

// Runs a command without a shell and returns what it printed on stdout
// (line ends at its end removed unless `raw`).
inline std::string RunTool(const std::vector<std::string>& args, int* exitCode = nullptr, bool raw = false) {
  int out[2];
  if (pipe(out) != 0) return std::string();
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    close(out[1]);
    if (FILE* devnull = fopen("/dev/null", "w")) dup2(fileno(devnull), 2);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  std::string text;
  std::array<char, 4096> buf;
  for (ssize_t n; (n = read(out[0], buf.data(), buf.size())) > 0;)
    text.append(buf.data(), static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  while (!raw && !text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}
