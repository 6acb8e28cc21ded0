// The drive library against generated disc images listed in QCR_DRIVES: the
// drive list, the READ TOC bytes, byte-exact reads, the lead-out bound, empty
// and damaged images, the virtual tray and the error numbers.
#include "platform/cd_drive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/platform/cd_drive_test_util.h"

namespace {

// Audio with a gap before track 1 and before track 2, then a data track.
DiscImageSpec MixedDisc() {
  return {{AudioTrackSectors(150, 150), AudioTrackSectors(100, 30), {80, 0, true}}};
}

// A drive without a readable disc refuses the table (zeroed) and sectors with `error`.
void ExpectNoReadableDisc(int handle, int error) {
  int result = -1;
  EXPECT_EQ(ReadTOCBytes(handle, &result), std::vector<uint8_t>(kTOCBufferSize, 0));
  EXPECT_EQ(result, 0);
  EXPECT_EQ(GetAspiLibError(handle), error);
  SectorBufferPtr buffer(AllocSectorBuffer(1));
  EXPECT_EQ(ReadSectorsInto(handle, buffer.get(), 0, 1), 0);
  EXPECT_EQ(GetAspiLibError(handle), error);
}

DriveMediaStatus MediaStatus(int drive) {
  DriveMediaStatus status{};
  EXPECT_EQ(GetDriveMediaStatus(drive, &status), 1);
  return status;
}

class ImageDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    drives_ = std::make_unique<DrivesVariable>(WriteDiscImage(folder_.Path(), MixedDisc()));
    handle_ = OpenListedDrive(0);
    ASSERT_GE(handle_, kCDFirstHandle);
    buffer_.reset(AllocSectorBuffer(27));
    ASSERT_NE(buffer_, nullptr);
  }
  void TearDown() override { CloseCDHandle(handle_); }
  int Read(uint32_t lba, uint32_t count) { return ReadSectorsInto(handle_, buffer_.get(), lba, count); }

  ScratchFolder folder_;
  DiscImageLayout layout_ = LayoutOf(MixedDisc());
  std::unique_ptr<DrivesVariable> drives_;
  int handle_ = 0;
  SectorBufferPtr buffer_;
};

TEST(DriveListTest, ListsEntriesInOrderAndRefusesUnknownDrives) {
  ScratchFolder folder;
  const std::string a = WriteDiscImage(folder.Path(), {{AudioTrackSectors(10)}}, "a");
  const std::string missing = folder.File("missing.cue");
  DrivesVariable drives(a + "::" + missing + ":" + a);  // an empty entry is skipped

  const CDDriveList list = ListDrives();
  ASSERT_EQ(list.Count, 3);
  EXPECT_EQ(GetDriveToken(1), missing);
  EXPECT_EQ(GetDriveToken(3), "");
  EXPECT_EQ(GetDriveToken(-1), "");
  for (int i = 0; i < 3; ++i) {
    EXPECT_STREQ(list.Entries[i].Product, "Disc image");
    for (int j = 0; j < i; ++j) {
      const CDDriveEntry &e = list.Entries[i], &o = list.Entries[j];
      EXPECT_FALSE(e.HostAdapter == o.HostAdapter && e.Target == o.Target && e.Lun == o.Lun) << i << "," << j;
    }
  }
  EXPECT_TRUE(ProbeDriveAccess(1));  // the folder is readable even though the file is missing
  EXPECT_FALSE(ProbeDriveAccess(5));
  // Each entry's address opens that drive: drive 1 is the empty one.
  const int empty = OpenListedDrive(1), full = OpenListedDrive(2);
  EXPECT_EQ(TOCResult(empty), 0);
  EXPECT_EQ(GetAspiLibError(empty), kCDErrNoDisc);
  EXPECT_EQ(TOCResult(full), 1);
  CloseCDHandle(empty);
  CloseCDHandle(full);
  CDHandleRequest request{};
  request.Size = sizeof(request);
  request.HostAdapter = 0x55;
  EXPECT_EQ(GetCDHandle(&request), 0);
  EXPECT_EQ(GetAspiLibAspiError(), kCDStatusNoDevice);
  EXPECT_EQ(GetAspiLibError(0), kCDErrNoDrive);
  EXPECT_EQ(GetCDHandle(nullptr), 0);
  EXPECT_EQ(GetAspiLibAspiError(), kCDStatusInvalidRequest);
}

TEST(DriveListTest, HonoursMaxEntriesAndTheEightDriveLimit) {
  std::string many;
  for (int i = 0; i < 11; ++i) many += "/nowhere/disc" + std::to_string(i) + ".cue:";
  DrivesVariable drives(many);
  EXPECT_EQ(ListDrives().Count, kCDMaxDrives);
  EXPECT_EQ(ListDrives(3).Count, 3);
  EXPECT_EQ(ListDrives(0).Count, 0);
  EXPECT_EQ(ListDrives(200).Count, kCDMaxDrives);
  EXPECT_EQ(GetCDList(nullptr), 0);
}

TEST_F(ImageDriveTest, TableOfContentsFollowsTheReadTocLayout) {
  EXPECT_EQ(ModifyCDParms(handle_, 36, 0), 1);
  int result = 0;
  const std::vector<uint8_t> toc = ReadTOCBytes(handle_, &result);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrNone);
  EXPECT_EQ(GetAspiLibAspiError(), kCDStatusOk);

  EXPECT_EQ((toc[0] << 8) | toc[1], 2 + 8 * 4);
  EXPECT_EQ(toc[2], 1);
  EXPECT_EQ(toc[3], 3);
  // Descriptor number `last` is the lead-out; only the data track has the data bit.
  const uint8_t control[] = {0x10, 0x10, 0x14}, number[] = {1, 2, 3, kTOCLeadOutTrack};
  const uint32_t lba[] = {150, 330, 430, 510};
  for (int k = 0; k < 4; ++k) {
    const uint8_t* d = &toc[4 + 8 * k];
    EXPECT_EQ(d[0] | d[3], 0);
    EXPECT_TRUE(k == 3 || d[1] == control[k]) << "descriptor " << k << " control " << int{d[1]};
    EXPECT_EQ(d[2], number[k]);
    EXPECT_EQ(BigEndian32(d + 4), lba[k]) << "descriptor " << k;
  }
  for (size_t i = 4 + 8 * 4; i < toc.size(); ++i) ASSERT_EQ(toc[i], 0) << "byte " << i;
  // The shared buffer is filled the same way.
  ASSERT_EQ(ReadTOC(handle_, TOCBuffer), 1);
  EXPECT_EQ(std::vector<uint8_t>(TOCBuffer, TOCBuffer + kTOCBufferSize), toc);
  // An image holds one session: it starts with the first track, data track or not.
  int32_t session = -1;
  EXPECT_EQ(ReadLastSessionLBA(handle_, &session), 1);
  EXPECT_EQ(session, 150);
  EXPECT_EQ(ReadLastSessionLBA(handle_, nullptr), 0);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrBadRequest);
}

TEST_F(ImageDriveTest, AudioIsByteExactAtTrackEdges) {
  // lba, count: gap before track 1, gap into track 1, a full request, track 1
  // into track 2's gap, last gap sector, track 2 start, last audio sector,
  // audio into the data track, the last 26 sectors of the disc.
  const uint32_t cases[][2] = {{0, 1},   {149, 2}, {150, 26}, {290, 26}, {329, 1},
                               {330, 1}, {429, 1}, {420, 27}, {484, 26}};
  for (const auto& c : cases) {
    ASSERT_EQ(Read(c[0], c[1]), 1) << "lba " << c[0];
    EXPECT_EQ(buffer_->StartOffset, 0u);
    EXPECT_EQ(buffer_->Status, static_cast<uint32_t>(kCDStatusOk));
    EXPECT_TRUE(
        BufferHolds(*buffer_, ImageBytes(layout_, static_cast<int32_t>(c[0]), static_cast<int32_t>(c[1]))))
        << "lba " << c[0] << " count " << c[1];
  }
  // Samples are little-endian 16-bit, left then right.
  ASSERT_EQ(Read(200, 1), 1);
  int16_t first[2];
  std::memcpy(first, buffer_->Data(), sizeof(first));
  EXPECT_EQ(first[0], ExpectedSample(200, 0));
  EXPECT_EQ(first[1], ExpectedSample(200, 1));
}

TEST_F(ImageDriveTest, ReadsAtOrPastTheLeadOutAreRefused) {
  const uint32_t leadOut = 510;
  ASSERT_EQ(Read(leadOut - 1, 1), 1);
  ASSERT_EQ(Read(leadOut - 26, 26), 1);
  const uint32_t cases[][2] = {{leadOut, 1},       {leadOut - 1, 2}, {leadOut - 10, 26},
                               {leadOut + 500, 1}, {0xFFFFFFFFu, 1}, {0x7FFFFFFFu, 26}};
  for (const auto& c : cases) {
    std::memset(buffer_->Data(), 0x5A, 27 * kCDSectorBytes);
    EXPECT_EQ(Read(c[0], c[1]), 0) << "lba " << c[0];
    EXPECT_EQ(buffer_->Length, 0u);
    EXPECT_EQ(GetAspiLibError(handle_), kCDErrOutOfRange);
    EXPECT_EQ(GetAspiLibAspiError() & 0xFF, kCDStatusError);
    EXPECT_EQ(buffer_->Status, static_cast<uint32_t>(kCDStatusError));
    EXPECT_EQ(buffer_->Data()[0], 0x5A) << "a refused read wrote into the buffer";
  }
  // The reader's own error line passes the status byte, not the handle.
  EXPECT_EQ(GetAspiLibError(GetAspiLibAspiError() & 0xFF), kCDErrOutOfRange);
}

TEST_F(ImageDriveTest, MalformedRequestsAndBadHandlesAreRefused) {
  EXPECT_EQ(Read(150, 28), 0);  // more than the buffer holds
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrBadRequest);
  EXPECT_EQ(GetAspiLibAspiError(), kCDStatusInvalidRequest);
  EXPECT_EQ(Read(150, 0xFFFFFFFFu), 0);  // a count whose byte size overflows 32 bits
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrBadRequest);
  EXPECT_EQ(ReadCDAudioLBA(handle_, nullptr), 0);
  EXPECT_EQ(ReadTOC(handle_, nullptr), 0);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrBadRequest);
  EXPECT_EQ(Read(150, 0), 1);  // nothing asked, nothing read
  EXPECT_EQ(buffer_->Length, 0u);
  EXPECT_EQ(AllocSectorBuffer(0), nullptr);
  EXPECT_EQ(AllocSectorBuffer(-3), nullptr);
  EXPECT_EQ(AllocSectorBuffer(0x7FFFFFFF), nullptr);
  FreeSectorBuffer(nullptr);

  // A failure on one handle leaves another on the same drive alone.
  const int second = OpenListedDrive(0);
  ASSERT_NE(second, 0);
  EXPECT_NE(second, handle_);
  EXPECT_EQ(Read(600, 1), 0);
  EXPECT_EQ(GetAspiLibError(second), kCDErrNone);
  EXPECT_EQ(CloseCDHandle(second), 1);
  EXPECT_EQ(Read(150, 1), 1);

  EXPECT_EQ(CloseCDHandle(handle_), 1);
  for (int bad : {handle_, second, 0, 1, -5, 0x7FFFFFFF}) {
    EXPECT_EQ(ReadSectorsInto(bad, buffer_.get(), 150, 1), 0);
    EXPECT_EQ(ReadTOC(bad, TOCBuffer), 0);
    EXPECT_EQ(TOCBuffer[0] | TOCBuffer[1], 0) << "the buffer is zeroed even when the read fails";
    EXPECT_EQ(ModifyCDParms(bad, 36, 0), 0);
    int32_t session = 0;
    EXPECT_EQ(ReadLastSessionLBA(bad, &session), 0);
    EXPECT_EQ(GetAspiLibAspiError(), kCDStatusInvalidHandle);
    EXPECT_EQ(GetAspiLibError(bad), kCDErrBadHandle);
  }
  EXPECT_EQ(CloseCDHandle(handle_), 0);
  EXPECT_EQ(CloseCDHandle(0), 0);
  handle_ = 0;
}

TEST_F(ImageDriveTest, VirtualTrayHidesAndReturnsTheDisc) {
  const DriveMediaStatus before = MediaStatus(0);
  EXPECT_EQ(before.Present, 1);
  ASSERT_EQ(OpenDriveTray(0), 1);
  const DriveMediaStatus open = MediaStatus(0);
  EXPECT_EQ(open.Present, 0);
  EXPECT_GT(open.ChangeCount, before.ChangeCount);
  ExpectNoReadableDisc(handle_, kCDErrNoDisc);
  ASSERT_EQ(OpenDriveTray(0), 1);  // already open: no further change
  EXPECT_EQ(MediaStatus(0).ChangeCount, open.ChangeCount);

  ASSERT_EQ(CloseDriveTray(0), 1);
  const DriveMediaStatus closed = MediaStatus(0);
  EXPECT_EQ(closed.Present, 1);
  EXPECT_GT(closed.ChangeCount, open.ChangeCount);
  EXPECT_EQ(TOCResult(handle_), 1);
  ASSERT_EQ(Read(150, 1), 1);
  EXPECT_TRUE(BufferHolds(*buffer_, ImageBytes(layout_, 150, 1)));
  DriveMediaStatus unused;
  EXPECT_EQ(OpenDriveTray(7) | CloseDriveTray(-1) | GetDriveMediaStatus(3, &unused), 0);
  EXPECT_EQ(GetDriveMediaStatus(0, nullptr), 0);
}

TEST_F(ImageDriveTest, MissingImageIsNoDiscAndAReplacedImageANewDisc) {
  const DriveMediaStatus before = MediaStatus(0);
  std::filesystem::remove(folder_.File("disc.cue"));  // under the open handle
  const DriveMediaStatus removed = MediaStatus(0);
  EXPECT_EQ(removed.Present, 0);
  EXPECT_NE(removed.ChangeCount, before.ChangeCount);
  ExpectNoReadableDisc(handle_, kCDErrNoDisc);

  // A new image under the same name is a new disc with the new table.
  WriteDiscImage(folder_.Path(), {{AudioTrackSectors(40), AudioTrackSectors(60)}});
  const DriveMediaStatus after = MediaStatus(0);
  EXPECT_EQ(after.Present, 1);
  EXPECT_NE(after.ChangeCount, removed.ChangeCount);
  int result = 0;
  const auto toc = ReadTOCBytes(handle_, &result);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(toc[3], 2);
  EXPECT_EQ(BigEndian32(&toc[4 + 16 + 4]), 100u);
  EXPECT_EQ(Read(99, 1), 1);
  EXPECT_EQ(Read(100, 1), 0);  // the old disc's sectors are gone
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrOutOfRange);
}

TEST(EmptyDriveTest, FoldersAndDamagedImagesHoldNoReadableDisc) {
  ScratchFolder folder;
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(folder.File(name)) << text;
    return folder.File(name);
  };
  write("album.bin", std::string(40 * kCDSectorBytes, '\0'));
  const std::string kFile = "FILE \"album.bin\" BINARY\n";
  const std::string kTrack1 = "TRACK 01 AUDIO\nINDEX 01 00:00:00\n";
  const std::pair<std::string, int> cases[] = {
      {folder.File("never.cue"), kCDErrNoDisc},
      {folder.Path(), kCDErrNoDisc},
      {write("empty.cue", ""), kCDErrUnreadableDisc},
      {write("garbage.cue", "\x01\x02 this is not a cue sheet\nTRACK banana\n"), kCDErrUnreadableDisc},
      {write("nobin.cue", "FILE \"absent.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"),
       kCDErrUnreadableDisc},
      {write("notracks.cue", "FILE \"notracks.cue\" BINARY\n"), kCDErrUnreadableDisc},
      // Sheets the image driver would misread (or read out of bounds) never
      // reach it, though their data file is there.
      {write("from99.cue", kFile + "TRACK 99 AUDIO\nINDEX 01 00:00:00\n"), kCDErrUnreadableDisc},
      {write("from5.cue", kFile + "TRACK 05 AUDIO\nINDEX 01 00:00:00\nTRACK 06 AUDIO\nINDEX 01 00:00:10\n"),
       kCDErrUnreadableDisc},
      {write("gap.cue", kFile + kTrack1 + "TRACK 03 AUDIO\nINDEX 01 00:00:10\n"), kCDErrUnreadableDisc},
      {write("twocatalogs.cue", "CATALOG 1234567890123\nCATALOG 1234567890123\n" + kFile + kTrack1),
       kCDErrUnreadableDisc},
      {write("cdtextfile.cue", "CDTEXTFILE \"album.bin\"\n" + kFile + kTrack1), kCDErrUnreadableDisc},
      {write("longline.cue", kFile + "REM " + std::string(4091, 'x') + "CDTEXTFILE \"album.bin\"\n" + kTrack1),
       kCDErrUnreadableDisc},
      {write("noindex.cue", kFile + "TRACK 01 AUDIO\nTRACK 02 AUDIO\nINDEX 01 00:00:10\n"), kCDErrUnreadableDisc},
  };
  for (const auto& [cue, error] : cases) {
    SCOPED_TRACE(cue);
    DrivesVariable drives(cue);
    const int handle = OpenListedDrive(0);
    ASSERT_NE(handle, 0);
    ExpectNoReadableDisc(handle, error);
    EXPECT_TRUE(error != kCDErrNoDisc || MediaStatus(0).Present == 0);
    CloseCDHandle(handle);
  }
  // Every line the check lets through, in a sheet as CD tools write them.
  DrivesVariable drives(write("full.cue", "REM GENRE Rock\r\nCATALOG 1234567890123\r\nTITLE \"Album\"\r\n" + kFile +
                                              "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    FLAGS DCP PRE\r\n"
                                              "    ISRC ABCDE1234567\r\n    INDEX 00 00:00:00\r\n"
                                              "    INDEX 01 00:00:02\r\n  TRACK 02 MODE1/2352\r\n"
                                              "    PREGAP 00:00:02\r\n    INDEX 01 00:00:20\r\n"));
  const int handle = OpenListedDrive(0);
  EXPECT_EQ(TOCResult(handle), 1);
  CloseCDHandle(handle);
}

}  // namespace

// Images in the wild name their data file freely ("Album (Disc 1).bin"); the
// drive reads what the sheet's FILE line names, not a file named like the sheet.
TEST(ImageFileNameTest, TheCueSheetsFileLineNamesTheData) {
  ScratchFolder folder;
  const DiscImageSpec disc{{AudioTrackSectors(40), AudioTrackSectors(30)}};
  const std::string cue = WriteDiscImage(folder.Path(), disc, "disc");
  std::filesystem::rename(folder.File("disc.bin"), folder.File("Album (Disc 1).bin"));
  std::ifstream in(cue);
  std::string sheet((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t at = sheet.find("\"disc.bin\"");
  ASSERT_NE(at, std::string::npos) << sheet;
  sheet.replace(at, 10, "\"Album (Disc 1).bin\"");
  std::ofstream(cue, std::ios::trunc) << sheet;

  DrivesVariable drives(cue);
  const int handle = OpenListedDrive(0);
  ASSERT_GE(handle, kCDFirstHandle);
  EXPECT_EQ(TOCResult(handle), 1);
  SectorBufferPtr buffer(AllocSectorBuffer(2));
  ASSERT_EQ(ReadSectorsInto(handle, buffer.get(), 39, 2), 1);
  EXPECT_TRUE(BufferHolds(*buffer, ImageBytes(LayoutOf(disc), 39, 2)));
  CloseCDHandle(handle);
}
