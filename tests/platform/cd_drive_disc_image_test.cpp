// The disc-image writer the drive tests, rip tests and the demo stand on: the
// layout, the cue sheet, the sample pattern, the bytes on disk, bad specs and
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
  const DiscImageSpec discSpec{{DataTrack(1.0), AudioTrackSectors(100, 150), AudioTrack(2.0, 30)}};
  const DiscImageLayout layout = LayoutOf(discSpec);
  ASSERT_EQ(layout.Tracks.size(), 3u);
  EXPECT_EQ(layout.Tracks[0].GapLBA, 0);
  EXPECT_EQ(layout.Tracks[0].StartLBA, 0);
  EXPECT_EQ(layout.Tracks[0].Sectors, 75);
  EXPECT_TRUE(layout.Tracks[0].Data);
  EXPECT_EQ(layout.Tracks[1].GapLBA, 75);
  EXPECT_EQ(layout.Tracks[1].StartLBA, 225);
  EXPECT_EQ(layout.Tracks[2].GapLBA, 325);
  EXPECT_EQ(layout.Tracks[2].StartLBA, 355);
  EXPECT_EQ(layout.LeadOutLBA, 505);
  // A track's table-of-contents length runs to the next start, gap included.
  EXPECT_EQ(layout.TOCLength(0), 225);
  EXPECT_EQ(layout.TOCLength(1), 130);
  EXPECT_EQ(layout.TOCLength(2), 150);
  EXPECT_EQ(layout.TrackAt(-1), -1);
  EXPECT_EQ(layout.TrackAt(74), 0);
  EXPECT_EQ(layout.TrackAt(75), 1);  // a gap belongs to the track after it
  EXPECT_EQ(layout.TrackAt(354), 2);
  EXPECT_EQ(layout.TrackAt(504), 2);
  EXPECT_EQ(layout.TrackAt(505), -1);
}

TEST(DiscImageLayoutTest, RefusesSpecsThatMakeNoDisc) {
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
            "FILE \"album.bin\" BINARY\n"
            "  TRACK 01 AUDIO\n"
            "    INDEX 00 00:00:00\n"
            "    INDEX 01 00:02:00\n"
            "  TRACK 02 AUDIO\n"
            "    INDEX 00 00:06:00\n"
            "    INDEX 01 00:07:00\n"
            "  TRACK 03 MODE1/2352\n"
            "    INDEX 01 01:07:00\n");
  EXPECT_THROW(CueSheetText(discSpec, "bad\"name.bin"), std::invalid_argument);
  EXPECT_THROW(CueSheetText(discSpec, ""), std::invalid_argument);
}

TEST(DiscImagePatternTest, DiffersPerSectorSampleAndChannelAndIsNotSilence) {
  int loud = 0;
  std::set<std::vector<uint8_t>> sectors;
  const DiscImageLayout layout = LayoutOf({{AudioTrackSectors(2000)}});
  for (int32_t lba = 0; lba < 2000; ++lba) {
    const auto bytes = ImageBytes(layout, lba, 1);
    sectors.insert(bytes);
    for (int i = 0; i < kImageSamplesPerSector; i += 2) {
      const int left = ExpectedSample(lba, i), right = ExpectedSample(lba, i + 1);
      if (std::abs(left) > 4000) ++loud;
      ASSERT_FALSE(left == right && left == ExpectedSample(lba, i + 2)) << lba << ":" << i;
    }
  }
  EXPECT_EQ(sectors.size(), 2000u) << "two sectors hold the same bytes";
  EXPECT_GT(loud, 2000 * 588 / 4);
  // Neighbouring samples of one channel differ almost everywhere.
  int same = 0;
  for (int i = 0; i + 2 < kImageSamplesPerSector; ++i)
    same += ExpectedSample(7, i) == ExpectedSample(7, i + 2);
  EXPECT_LT(same, 10);
}

TEST(DiscImagePatternTest, DataSectorsCarrySyncAndHeader) {
  const DiscImageLayout layout = LayoutOf({{AudioTrackSectors(10), DataTrack(1.0)}});
  uint8_t sector[kImageSectorBytes];
  FillSector(layout, 12, sector);  // frame 162 = 00:02:12
  const uint8_t sync[12] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
  EXPECT_EQ(std::memcmp(sector, sync, 12), 0);
  EXPECT_EQ(sector[12], 0x00);
  EXPECT_EQ(sector[13], 0x02);
  EXPECT_EQ(sector[14], 0x12);
  EXPECT_EQ(sector[15], 1);
  FillSector(layout, 9, sector);  // audio: no sync
  EXPECT_NE(std::memcmp(sector, sync, 12), 0);
}

TEST(DiscImageWriterTest, WritesTheBinAndCueBesideEachOther) {
  ScratchFolder folder;
  const DiscImageSpec discSpec{{AudioTrackSectors(30, 5), DataTrack(0.5)}};
  const std::string cue = WriteDiscImage(folder.Path(), discSpec, "my disc");
  EXPECT_EQ(cue, folder.File("my disc.cue"));
  EXPECT_EQ(ReadFile(cue), CueSheetText(discSpec, "my disc.bin"));
  const std::string bin = ReadFile(folder.File("my disc.bin"));
  const DiscImageLayout layout = LayoutOf(discSpec);
  ASSERT_EQ(bin.size(), static_cast<size_t>(layout.LeadOutLBA) * kImageSectorBytes);
  const auto expected = ImageBytes(layout, 0, layout.LeadOutLBA);
  EXPECT_EQ(std::memcmp(bin.data(), expected.data(), bin.size()), 0);
  EXPECT_FALSE(std::filesystem::exists(cue + ".part"));

  EXPECT_EQ(WriteDiscImageFile(folder.File("other"), discSpec), folder.File("other"));
  EXPECT_TRUE(std::filesystem::exists(folder.File("other.bin")));
}

TEST(DiscImageWriterTest, ReportsWhatCannotBeWritten) {
  ScratchFolder folder;
  const DiscImageSpec discSpec{{AudioTrackSectors(3)}};
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

  // The image reads back through the drive library.
  DrivesVariable drives(cue);
  const int handle = OpenListedDrive(0);
  int result = 0;
  const auto toc = ReadTOCBytes(handle, &result);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(toc[3], 4);
  EXPECT_EQ(toc[4 + 1], 0x14);
  EXPECT_EQ(toc[4 + 8 + 1], 0x10);
  EXPECT_EQ(toc[4 + 24 + 1], 0x14);
  CloseCDHandle(handle);
}

TEST(DiscImageToolTest, RefusesBadCommandLines) {
  ScratchFolder folder;
  const std::string out = "'" + folder.File("x.cue") + "'";
  EXPECT_EQ(RunTool("--help"), 0);
  EXPECT_EQ(RunTool(""), 2);
  EXPECT_EQ(RunTool(out), 2);                   // no track
  EXPECT_EQ(RunTool(out + " --audio"), 2);      // missing value
  EXPECT_EQ(RunTool(out + " --audio ten"), 2);  // not a number
  EXPECT_EQ(RunTool(out + " --audio 5x"), 2);   // trailing garbage
  EXPECT_EQ(RunTool(out + " --gap -3 --audio 1"), 2);
  EXPECT_EQ(RunTool(out + " --audio-sectors 1.5"), 2);
  EXPECT_EQ(RunTool(out + " --frobnicate 1"), 2);
  EXPECT_EQ(RunTool(out + " " + out + " --audio 1"), 2);
  EXPECT_EQ(RunTool(out + " --audio -4"), 1);  // a length no disc has
  EXPECT_EQ(RunTool("'" + folder.File("none/x.cue") + "' --audio 1"), 1);
  EXPECT_FALSE(std::filesystem::exists(folder.File("x.cue")));
}

}  // namespace
