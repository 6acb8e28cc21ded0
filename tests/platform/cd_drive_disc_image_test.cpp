// The disc-image writer the drive tests, rip tests and the demo stand on: the
// layout, the cue sheet, the sample pattern, the bytes on disk, bad layouts and
// the command-line tool.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

#include "tests/platform/cd_drive_test_util.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(DiscImageLayoutTest, PlacesGapsAndTracksInFileOrder) {
  const DiscImageLayout layout =
      LayoutOf({{DataTrack(1.0), AudioTrackSectors(100, 150), AudioTrack(2.0, 30)}});
  ASSERT_EQ(layout.Tracks.size(), 3u);
  // gap, start, sectors and table-of-contents length (to the next start, gap included)
  const int32_t expected[3][4] = {{0, 0, 75, 225}, {75, 225, 100, 130}, {325, 355, 150, 150}};
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ(layout.Tracks[t].GapLBA, expected[t][0]) << t;
    EXPECT_EQ(layout.Tracks[t].StartLBA, expected[t][1]) << t;
    EXPECT_EQ(layout.Tracks[t].Sectors, expected[t][2]) << t;
    EXPECT_EQ(layout.TOCLength(t), expected[t][3]) << t;
    EXPECT_EQ(layout.Tracks[t].Data, t == 0);
  }
  EXPECT_EQ(layout.LeadOutLBA, 505);
  // A gap belongs to the track after it; -1 outside the image.
  for (const auto& [lba, track] : {std::pair{-1, -1}, {74, 0}, {75, 1}, {354, 2}, {504, 2}, {505, -1}})
    EXPECT_EQ(layout.TrackAt(lba), track) << lba;
}

TEST(DiscImageLayoutTest, RefusesLayoutsThatMakeNoDisc) {
  EXPECT_THROW(LayoutOf({}), std::invalid_argument);
  EXPECT_THROW(LayoutOf({{AudioTrackSectors(0)}}), std::invalid_argument);
  EXPECT_THROW(LayoutOf({{AudioTrackSectors(10, -1)}}), std::invalid_argument);
  EXPECT_THROW(LayoutOf({std::vector<DiscImageTrack>(100, AudioTrackSectors(10))}), std::invalid_argument);
  EXPECT_THROW(LayoutOf({{AudioTrack(60 * 60), AudioTrack(60 * 60)}}), std::invalid_argument);
  EXPECT_THROW(AudioTrack(-1), std::invalid_argument);
  EXPECT_THROW(AudioTrack(0), std::invalid_argument);
  EXPECT_THROW(DataTrack(std::nan("")), std::invalid_argument);
  EXPECT_NO_THROW(LayoutOf({std::vector<DiscImageTrack>(99, AudioTrackSectors(10))}));
}

TEST(DiscImageLayoutTest, CueSheetNamesEveryTrackAndGap) {
  const DiscImageSpec discSpec{{AudioTrackSectors(300, 150), AudioTrackSectors(4500, 75), DataTrack(1.0)}};
  EXPECT_EQ(CueSheetText(discSpec, "album.bin"),
            "FILE \"album.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 00 00:00:00\n    INDEX 01 00:02:00\n"
            "  TRACK 02 AUDIO\n    INDEX 00 00:06:00\n    INDEX 01 00:07:00\n"
            "  TRACK 03 MODE1/2352\n    INDEX 01 01:07:00\n");
  EXPECT_THROW(CueSheetText(discSpec, "bad\"name.bin"), std::invalid_argument);
  EXPECT_THROW(CueSheetText(discSpec, ""), std::invalid_argument);
}

TEST(DiscImagePatternTest, DiffersPerSectorSampleAndChannelAndIsNotSilence) {
  int loud = 0, same = 0;
  std::set<std::vector<uint8_t>> sectors;
  const DiscImageLayout layout = LayoutOf({{AudioTrackSectors(2000)}});
  for (int32_t lba = 0; lba < 2000; ++lba) {
    sectors.insert(ImageBytes(layout, lba, 1));
    for (int i = 0; i < kImageSamplesPerSector; i += 2) {
      const int left = ExpectedSample(lba, i), right = ExpectedSample(lba, i + 1);
      loud += std::abs(left) > 4000;
      ASSERT_FALSE(left == right && left == ExpectedSample(lba, i + 2)) << lba << ":" << i;
    }
  }
  EXPECT_EQ(sectors.size(), 2000u) << "two sectors hold the same bytes";
  EXPECT_GT(loud, 2000 * 588 / 4);
  for (int i = 0; i + 2 < kImageSamplesPerSector; ++i)
    same += ExpectedSample(7, i) == ExpectedSample(7, i + 2);
  EXPECT_LT(same, 10) << "neighbouring samples of one channel repeat";

  // Data sectors carry the MODE1 sync and header; audio sectors do not.
  const DiscImageLayout withData = LayoutOf({{AudioTrackSectors(10), DataTrack(1.0)}});
  uint8_t sector[kImageSectorBytes];
  FillSector(withData, 12, sector);  // frame 162 = 00:02:12
  const uint8_t sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
  const uint8_t header[4] = {0x00, 0x02, 0x12, 1};
  EXPECT_EQ(std::memcmp(sector, sync, 12), 0);
  EXPECT_EQ(std::memcmp(sector + 12, header, 4), 0);
  FillSector(withData, 9, sector);  // audio: no sync
  EXPECT_NE(std::memcmp(sector, sync, 12), 0);
}

TEST(DiscImageWriterTest, NamesTheFilesAndReportsWhatCannotBeWritten) {
  ScratchFolder folder;
  const DiscImageSpec discSpec{{AudioTrackSectors(3)}};
  const std::string cue = WriteDiscImage(folder.Path(), discSpec, "my disc");
  EXPECT_EQ(cue, folder.File("my disc.cue"));
  EXPECT_EQ(ReadFile(cue), CueSheetText(discSpec, "my disc.bin"));
  EXPECT_EQ(ReadFile(folder.File("my disc.bin")).size(), 3u * kImageSectorBytes);
  EXPECT_FALSE(std::filesystem::exists(cue + ".part"));
  EXPECT_EQ(WriteDiscImageFile(folder.File("other"), discSpec), folder.File("other"));
  EXPECT_TRUE(std::filesystem::exists(folder.File("other.bin")));

  EXPECT_THROW(WriteDiscImage(folder.File("no/such/folder"), discSpec), std::runtime_error);
  EXPECT_THROW(WriteDiscImage(folder.Path(), discSpec, "a/b"), std::invalid_argument);
  EXPECT_THROW(WriteDiscImage(folder.Path(), discSpec, ""), std::invalid_argument);
  EXPECT_THROW(WriteDiscImageFile(folder.File("x.bin"), discSpec), std::invalid_argument);
  EXPECT_THROW(WriteDiscImage(folder.Path(), {}), std::invalid_argument);
  if (::geteuid() != 0) {  // root writes anywhere
    ::chmod(folder.Path().c_str(), 0500);
    EXPECT_THROW(WriteDiscImage(folder.Path(), discSpec), std::runtime_error);
    ::chmod(folder.Path().c_str(), 0700);
  }
}

// Runs the tool from the program folder (the tests' working folder).
int RunTool(const std::string& args) {
  const int status = std::system(("./qcr-disc-image " + args + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(DiscImageToolTest, WritesTheImageItIsAskedFor) {
  ScratchFolder folder;
  const std::string cue = folder.File("demo.cue");
  ASSERT_EQ(RunTool("'" + cue + "' --data-first 1 --audio 2 --gap 75 --audio-sectors 100 --data-last 0.5"),
            0);
  const DiscImageSpec expected{{DataTrack(1), AudioTrack(2), AudioTrackSectors(100, 75), DataTrack(0.5)}};
  EXPECT_EQ(ReadFile(cue), CueSheetText(expected, "demo.bin"));
  EXPECT_EQ(std::filesystem::file_size(folder.File("demo.bin")),
            static_cast<uintmax_t>(LayoutOf(expected).LeadOutLBA) * kImageSectorBytes);

  // The image reads back through the drive library, data tracks marked.
  DrivesVariable drives(cue);
  const int handle = OpenListedDrive(0);
  int result = 0;
  const auto toc = ReadTOCBytes(handle, &result);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(toc[3], 4);
  for (int k = 0; k < 4; ++k) EXPECT_EQ(toc[4 + 8 * k + 1], k == 0 || k == 3 ? 0x14 : 0x10) << k;
  CloseCDHandle(handle);
}

TEST(DiscImageToolTest, RefusesBadCommandLines) {
  ScratchFolder folder;
  const std::string out = "'" + folder.File("x.cue") + "'";
  EXPECT_EQ(RunTool("--help"), 0);
  EXPECT_EQ(RunTool(""), 2);
  // No track, a missing value, not a number, trailing garbage, a negative gap,
  // fractional sectors, an unknown option, two outputs: usage errors.
  for (const char* args : {"", " --audio", " --audio ten", " --audio 5x", " --gap -3 --audio 1",
                           " --audio-sectors 1.5", " --frobnicate 1"})
    EXPECT_EQ(RunTool(out + args), 2) << args;
  EXPECT_EQ(RunTool(out + " " + out + " --audio 1"), 2);
  EXPECT_EQ(RunTool(out + " --audio -4"), 1);  // a length no disc has
  EXPECT_EQ(RunTool("'" + folder.File("none/x.cue") + "' --audio 1"), 1);
  EXPECT_FALSE(std::filesystem::exists(folder.File("x.cue")));
}

}  // namespace
