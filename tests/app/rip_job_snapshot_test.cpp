// The settings a rip job is handed: taken from the program's settings, the
// current album and the disc, with indices a damaged settings file could
// leave resolved to their defaults.
#include "app/rip_job_snapshot.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "platform/cd_drive.h"

namespace {

TEST(RipJobSnapshotTest, TakesSettingsAlbumAndDisc) {
  DesDir = "/music/";
  FileStyle = 5;
  Separator = "_";
  OutputFormat = 2;
  SubFormat = 0;
  Channel = 0;
  Freq = 4;
  LameFreq = 0;
  LameBits = 16;
  LameChannel = 3;
  M3U = 0;
  FillTag = 1;
  ProgramFolder = "/opt/qcr";
  AlbumRecord = CCDDBRecord();
  AlbumRecord.Artist = "Artist";
  AlbumRecord.Title = "Album";
  AlbumRecord.Year = 1977;
  AlbumRecord.TrackTitles = {"One", "Two"};
  DiscID = 0x12345678;
  AlbumInfoIsDefault = 1;
  TOCBuffer[2] = 3;
  TOCBuffer[3] = 9;

  const RipJobSettings s = MakeRipJobSettings();
  EXPECT_EQ(
      fmt::format("{} {} {} {} | {} {} {} {} | {} {} {} {}", s.outputFormat, s.subFormat, s.wavChannel,
                  s.wavRate, s.mp3.outputRate, s.mp3.bitRate, s.mp3.channel, s.mp3.quality == LameQuality,
                  s.m3u, s.fillTag, s.maxReadRetries == MaxReadRetries, s.programFolder),
      "2 0 0 22050 | 8000 320 3 true | false true true /opt/qcr");
  EXPECT_EQ(fmt::format("{} {} {} {} | {} {} {} {}", s.naming.desDir, s.naming.fileStyle, s.naming.separator,
                        s.naming.outputFormat, s.naming.artist, s.naming.album, s.naming.year, s.album.Title),
            "/music/ 5 _ 2 | Artist Album 1977 Album");
  EXPECT_EQ(s.naming.trackTitles, AlbumRecord.TrackTitles);
  EXPECT_EQ(fmt::format("{:08x} {} {} {}", s.discId, s.albumInfoIsDefault, s.firstTrack, s.lastTrack),
            "12345678 true 3 9");

  // Taken, not shared: later changes do not reach a job made earlier.
  AlbumRecord.Title = "Changed";
  EXPECT_EQ(s.naming.album, "Album");
}

TEST(RipJobSnapshotTest, IndexOutsideItsTableTakesTheDefault) {
  const int16_t bad[] = {11, -1, 17, 18, 32767, -32768};
  for (int16_t index : bad) {
    Freq = index;
    LameFreq = index;
    LameBits = index;
    const RipJobSettings s = MakeRipJobSettings();
    EXPECT_EQ(s.wavRate, 44100u) << index;
    EXPECT_EQ(s.mp3.outputRate, 44100u) << index;
    EXPECT_EQ(s.mp3.bitRate, 128u) << index;
  }
  // 88200 and 96000 are in the rate table: the job's encoder refuses them.
  LameFreq = 10;
  EXPECT_EQ(MakeRipJobSettings().mp3.outputRate, 96000u);
}

}  // namespace
