// The settings a rip job is handed: taken from the program's settings, the
// current album and the disc, with indices a damaged settings file could
// leave resolved to their defaults.
#include "app/rip_job_snapshot.h"

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
  EXPECT_EQ(s.outputFormat, 2);
  EXPECT_EQ(s.subFormat, 0);
  EXPECT_EQ(s.wavChannel, 0);
  EXPECT_EQ(s.wavRate, 22050u);
  EXPECT_EQ(s.mp3.outputRate, 8000u);
  EXPECT_EQ(s.mp3.bitRate, 320u);
  EXPECT_EQ(s.mp3.channel, 3);
  EXPECT_EQ(s.mp3.quality, LameQuality);
  EXPECT_FALSE(s.m3u);
  EXPECT_TRUE(s.fillTag);
  EXPECT_EQ(s.maxReadRetries, MaxReadRetries);
  EXPECT_EQ(s.programFolder, "/opt/qcr");
  EXPECT_EQ(s.naming.desDir, "/music/");
  EXPECT_EQ(s.naming.fileStyle, 5);
  EXPECT_EQ(s.naming.separator, "_");
  EXPECT_EQ(s.naming.outputFormat, 2);
  EXPECT_EQ(s.naming.artist, "Artist");
  EXPECT_EQ(s.naming.album, "Album");
  EXPECT_EQ(s.naming.year, 1977);
  EXPECT_EQ(s.naming.trackTitles, AlbumRecord.TrackTitles);
  EXPECT_EQ(s.album.Title, "Album");
  EXPECT_EQ(s.discId, 0x12345678u);
  EXPECT_TRUE(s.albumInfoIsDefault);
  EXPECT_EQ(s.firstTrack, 3);
  EXPECT_EQ(s.lastTrack, 9);

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
