// What the end-to-end rip tests share: a generated disc image in a temporary
// folder, played by a test drive through the real drive library (libcdio),
// job settings that point the output into the same folder, an album, and a job
// run to its end with bounded waits.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

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
    settings.naming.desDir = dir.Path() + "/out/";
    settings.naming.fileStyle = 11;
    settings.naming.separator = "-";
    settings.outputFormat = 1;
    settings.subFormat = 1;
    settings.wavRate = 44100;
    settings.wavChannel = 1;
    settings.mp3 = Mp3Settings{44100, 128, 2, 9};
    settings.m3u = true;
    settings.fillTag = true;
    settings.programFolder = GetProgramFolder();
    CCDDBRecord& album = settings.album;
    album.Artist = "The Testers";
    album.Title = "Generated";
    album.Year = 1994;
    album.Genre = "Rock";
    album.TrackTitles = {"First", "Second", "Third", "Fourth"};
    settings.albumInfoIsDefault = false;
    settings.discId = 0x2a03c704;
  }

  // The job's naming follows the album the test set.
  RipJobSettings JobSettings() const {
    RipJobSettings s = settings;
    s.naming.artist = s.album.Artist;
    s.naming.album = s.album.Title;
    s.naming.year = s.album.Year;
    s.naming.trackTitles = s.album.TrackTitles;
    return s;
  }
  const std::string& DesDir() const { return settings.naming.desDir; }

  void TearDown() override {
    job.reset();
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
    settings.firstTrack = TOCBuffer[2];
    settings.lastTrack = TOCBuffer[3];
    NoDisc = 0;
  }

  // Starts afresh with another disc: no output yet, the old drive closed.
  void ReinsertDisc(const DiscImageSpec& discSpec) {
    std::filesystem::remove_all(DesDir());
    if (CDHandle) CloseCDHandle(CDHandle);
    InsertDisc(discSpec);
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
    return DesDir() + settings.album.Artist + "/" + settings.album.Title + "/" + name;
  }

  // A new job over the given tracks (0-based) reporting to `to`, run to its
  // end unless `run` is false.
  CRippingProgress& Rip(RecordingRipSink& to, std::initializer_list<int> indices, bool run = true) {
    job.reset();
    job = std::make_unique<CRippingProgress>(to, JobSettings(), &log);
    job->TrackList = Tracks(indices);
    if (run) RunToEnd(*job, to);
    return *job;
  }
  CRippingProgress& Rip(std::initializer_list<int> indices, bool run = true) { return Rip(sink, indices, run); }

  // A further sink, for a further job; it lives as long as the test.
  RecordingRipSink& NewSink() { return extraSinks.emplace_back(); }

  // Starts a job and waits until it has finished or stopped on its own.
  void RunToEnd(CRippingProgress& j, const RecordingRipSink& to) {
    ASSERT_EQ(j.Start(), CRippingProgress::StartResult::Started);
    WaitUntil([&] { return to.HasFinished() || !j.Running; });
    j.WaitForThreads();
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
  RipJobSettings settings;  // what the next job gets
  std::string cue;
  DiscImageLayout layout;
  std::unique_ptr<FakeDrive> drive;
  RecordingRipSink sink;
  RecordingLogSink log;
  std::deque<RecordingRipSink> extraSinks;
  std::unique_ptr<CRippingProgress> job;
};

// Bytes of a sample vector as a file holds them (little-endian host).
inline std::vector<uint8_t> AsBytes(const std::vector<int16_t>& samples) {
  const auto* p = reinterpret_cast<const uint8_t*>(samples.data());
  return std::vector<uint8_t>(p, p + samples.size() * 2);
}
