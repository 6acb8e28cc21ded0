// The drive library against generated disc images listed in QCR_DRIVES: the
// drive list, the READ TOC bytes, byte-exact reads, the lead-out bound, empty
// and damaged images, the virtual tray and the error numbers.
#include "platform/cd_drive.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/platform/cd_drive_test_util.h"

namespace {

// Audio with a gap before track 1 and before track 2, then a data track.
DiscImageSpec MixedDisc() {
  return {{AudioTrackSectors(150, 150), AudioTrackSectors(100, 30), {80, 0, true}}};
}

class ImageDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cue_ = WriteDiscImage(folder_.Path(), MixedDisc());
    layout_ = LayoutOf(MixedDisc());
    drives_ = std::make_unique<DrivesVariable>(cue_);
    handle_ = OpenListedDrive(0);
    ASSERT_GE(handle_, kCDFirstHandle);
    buffer_.reset(AllocSectorBuffer(27));
    ASSERT_NE(buffer_, nullptr);
  }
  void TearDown() override { CloseCDHandle(handle_); }

  int Read(uint32_t lba, uint32_t count) { return ReadSectorsInto(handle_, buffer_.get(), lba, count); }

  ScratchFolder folder_;
  std::string cue_;
  DiscImageLayout layout_;
  std::unique_ptr<DrivesVariable> drives_;
  int handle_ = 0;
  SectorBufferPtr buffer_;
};

TEST(DriveListTest, ListsTheQcrDrivesEntriesInOrder) {
  ScratchFolder folder;
  const std::string a = WriteDiscImage(folder.Path(), {{AudioTrackSectors(10)}}, "a");
  const std::string missing = folder.File("missing.cue");
  DrivesVariable drives(a + "::" + missing + ":" + a);  // an empty entry is skipped

  const CDDriveList list = ListDrives();
  ASSERT_EQ(list.Count, 3);
  EXPECT_EQ(GetDriveToken(0), a);
  EXPECT_EQ(GetDriveToken(1), missing);
  EXPECT_EQ(GetDriveToken(2), a);
  EXPECT_EQ(GetDriveToken(3), "");
  EXPECT_EQ(GetDriveToken(-1), "");
  for (int i = 0; i < 3; ++i) {
    const CDDriveEntry& e = list.Entries[i];
    EXPECT_STREQ(e.Vendor, "QCR");
    EXPECT_STREQ(e.Product, "Disc image");
    EXPECT_STREQ(e.Revision, "1.0");
    EXPECT_STREQ(e.VendorSpecific, "");
    for (int j = 0; j < i; ++j) {
      const CDDriveEntry& o = list.Entries[j];
      EXPECT_FALSE(e.HostAdapter == o.HostAdapter && e.Target == o.Target && e.Lun == o.Lun)
          << "drives " << i << " and " << j << " share an address";
    }
  }
  EXPECT_TRUE(ProbeDriveAccess(1));  // the folder is readable even though the file is missing
  EXPECT_FALSE(ProbeDriveAccess(5));

  // Each entry's address opens that drive: drive 1 is the empty one.
  const int empty = OpenListedDrive(1);
  ASSERT_NE(empty, 0);
  int result = -1;
  ReadTOCBytes(empty, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(GetAspiLibError(empty), kCDErrNoDisc);
  const int full = OpenListedDrive(2);
  ReadTOCBytes(full, &result);
  EXPECT_EQ(result, 1);
  CloseCDHandle(empty);
  CloseCDHandle(full);
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

TEST(DriveListTest, RequestsForUnknownDrivesFail) {
  DrivesVariable drives("/nowhere/disc.cue");
  CDHandleRequest request{};
  request.Size = sizeof(request);
  request.HostAdapter = 0x55;
  EXPECT_EQ(GetCDHandle(&request), 0);
  EXPECT_EQ(GetAspiLibAspiError(), kCDStatusNoDevice);
  EXPECT_EQ(GetAspiLibError(0), kCDErrNoDrive);
  EXPECT_EQ(GetCDHandle(nullptr), 0);
  EXPECT_EQ(GetAspiLibAspiError(), kCDStatusInvalidRequest);
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
  const uint8_t control[] = {0x10, 0x10, 0x14};
  for (int k = 0; k < 3; ++k) {
    const uint8_t* d = &toc[4 + 8 * k];
    EXPECT_EQ(d[0], 0);
    EXPECT_EQ(d[1], control[k]) << "track " << k + 1;
    EXPECT_EQ(d[2], k + 1);
    EXPECT_EQ(d[3], 0);
    EXPECT_EQ(BigEndian32(d + 4), static_cast<uint32_t>(layout_.Tracks[k].StartLBA)) << "track " << k + 1;
  }
  EXPECT_EQ(BigEndian32(&toc[4 + 4]), 150u);
  EXPECT_EQ(BigEndian32(&toc[4 + 8 + 4]), 330u);
  EXPECT_EQ(BigEndian32(&toc[4 + 16 + 4]), 430u);
  // Descriptor number `last` is the lead-out.
  const uint8_t* leadOut = &toc[4 + 8 * 3];
  EXPECT_EQ(leadOut[2], kTOCLeadOutTrack);
  EXPECT_EQ(BigEndian32(leadOut + 4), 510u);
  for (size_t i = 4 + 8 * 4; i < toc.size(); ++i) ASSERT_EQ(toc[i], 0) << "byte " << i;

  // The shared buffer is filled the same way.
  ASSERT_EQ(ReadTOC(handle_, TOCBuffer), 1);
  EXPECT_EQ(std::vector<uint8_t>(TOCBuffer, TOCBuffer + kTOCBufferSize), toc);
}

TEST_F(ImageDriveTest, AudioIsByteExactAtTrackEdges) {
  struct Case {
    uint32_t lba, count;
  };
  const Case cases[] = {
      {0, 1},     // the gap before track 1
      {149, 2},   // last gap sector and the first sector of track 1
      {150, 26},  // track 1 start, a full request
      {290, 26},  // across the end of track 1 into track 2's gap
      {329, 1},   // last gap sector before track 2
      {330, 1},   // track 2 start
      {429, 1},   // last audio sector
      {420, 27},  // audio into the data track
      {484, 26},  // the last 26 sectors of the disc
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Read(c.lba, c.count), 1) << "lba " << c.lba;
    EXPECT_EQ(buffer_->StartOffset, 0u);
    EXPECT_EQ(buffer_->Status, static_cast<uint32_t>(kCDStatusOk));
    EXPECT_TRUE(BufferHolds(*buffer_, ImageBytes(layout_, static_cast<int32_t>(c.lba), c.count)))
        << "lba " << c.lba << " count " << c.count;
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

  struct Case {
    uint32_t lba, count;
  };
  for (const Case c : {Case{leadOut, 1}, Case{leadOut - 1, 2}, Case{leadOut - 10, 26}, Case{leadOut + 500, 1},
                       Case{0xFFFFFFFFu, 1}, Case{0x7FFFFFFFu, 26}}) {
    std::memset(buffer_->Data(), 0x5A, 27 * kCDSectorBytes);
    EXPECT_EQ(Read(c.lba, c.count), 0) << "lba " << c.lba;
    EXPECT_EQ(buffer_->Length, 0u);
    EXPECT_EQ(GetAspiLibError(handle_), kCDErrOutOfRange);
    EXPECT_EQ(GetAspiLibAspiError() & 0xFF, kCDStatusError);
    EXPECT_EQ(buffer_->Status, static_cast<uint32_t>(kCDStatusError));
    EXPECT_EQ(buffer_->Data()[0], 0x5A) << "a refused read wrote into the buffer";
  }
  // The reader's own error line passes the status byte, not the handle.
  EXPECT_EQ(GetAspiLibError(GetAspiLibAspiError() & 0xFF), kCDErrOutOfRange);
}

TEST_F(ImageDriveTest, MalformedReadRequestsAreRefused) {
  EXPECT_EQ(Read(150, 28), 0);  // more than the buffer holds
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrBadRequest);
  EXPECT_EQ(GetAspiLibAspiError(), kCDStatusInvalidRequest);
  EXPECT_EQ(Read(150, 0xFFFFFFFFu), 0);  // a count whose byte size overflows 32 bits
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrBadRequest);
  EXPECT_EQ(ReadCDAudioLBA(handle_, nullptr), 0);
  EXPECT_EQ(ReadTOC(handle_, nullptr), 0);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrBadRequest);
  // Nothing asked, nothing read.
  EXPECT_EQ(Read(150, 0), 1);
  EXPECT_EQ(buffer_->Length, 0u);
}

TEST_F(ImageDriveTest, ClosedAndUnknownHandlesAreRefused) {
  EXPECT_EQ(CloseCDHandle(handle_), 1);
  for (int bad : {handle_, 0, 1, -5, 0x7FFFFFFF}) {
    EXPECT_EQ(ReadSectorsInto(bad, buffer_.get(), 150, 1), 0);
    EXPECT_EQ(ReadTOC(bad, TOCBuffer), 0);
    EXPECT_EQ(TOCBuffer[0] | TOCBuffer[1], 0) << "the buffer is zeroed even when the read fails";
    EXPECT_EQ(ModifyCDParms(bad, 36, 0), 0);
    EXPECT_EQ(GetAspiLibAspiError(), kCDStatusInvalidHandle);
    EXPECT_EQ(GetAspiLibError(bad), kCDErrBadHandle);
  }
  EXPECT_EQ(CloseCDHandle(handle_), 0);
  EXPECT_EQ(CloseCDHandle(0), 0);
  handle_ = 0;
}

TEST_F(ImageDriveTest, HandlesAreIndependent) {
  const int second = OpenListedDrive(0);
  ASSERT_NE(second, 0);
  EXPECT_NE(second, handle_);
  EXPECT_EQ(Read(600, 1), 0);  // fails on the first handle only
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrOutOfRange);
  EXPECT_EQ(GetAspiLibError(second), kCDErrNone);
  EXPECT_EQ(CloseCDHandle(second), 1);
  EXPECT_EQ(Read(150, 1), 1);  // the first handle still works
}

TEST_F(ImageDriveTest, VirtualTrayHidesAndReturnsTheDisc) {
  DriveMediaStatus before;
  ASSERT_EQ(GetDriveMediaStatus(0, &before), 1);
  EXPECT_EQ(before.Present, 1);

  ASSERT_EQ(OpenDriveTray(0), 1);
  DriveMediaStatus open;
  GetDriveMediaStatus(0, &open);
  EXPECT_EQ(open.Present, 0);
  EXPECT_GT(open.ChangeCount, before.ChangeCount);
  int result = -1;
  const auto toc = ReadTOCBytes(handle_, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(toc[0] | toc[1], 0);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrNoDisc);
  EXPECT_EQ(Read(150, 1), 0);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrNoDisc);
  ASSERT_EQ(OpenDriveTray(0), 1);  // already open: no further change
  DriveMediaStatus again;
  GetDriveMediaStatus(0, &again);
  EXPECT_EQ(again.ChangeCount, open.ChangeCount);

  ASSERT_EQ(CloseDriveTray(0), 1);
  DriveMediaStatus closed;
  GetDriveMediaStatus(0, &closed);
  EXPECT_EQ(closed.Present, 1);
  EXPECT_GT(closed.ChangeCount, open.ChangeCount);
  ReadTOCBytes(handle_, &result);
  EXPECT_EQ(result, 1);
  ASSERT_EQ(Read(150, 1), 1);
  EXPECT_TRUE(BufferHolds(*buffer_, ImageBytes(layout_, 150, 1)));

  // A new handle after the tray moved works as well, and closing it is safe.
  ASSERT_EQ(OpenDriveTray(0), 1);
  const int other = OpenListedDrive(0);
  EXPECT_EQ(CloseCDHandle(other), 1);
  ASSERT_EQ(CloseDriveTray(0), 1);

  EXPECT_EQ(OpenDriveTray(7), 0);
  EXPECT_EQ(CloseDriveTray(-1), 0);
  EXPECT_EQ(GetDriveMediaStatus(3, &again), 0);
  EXPECT_EQ(GetDriveMediaStatus(0, nullptr), 0);
}

TEST_F(ImageDriveTest, ReplacedImageIsSeenAsANewDisc) {
  DriveMediaStatus before;
  GetDriveMediaStatus(0, &before);
  const DiscImageSpec twoTracks{{AudioTrackSectors(40), AudioTrackSectors(60)}};
  WriteDiscImage(folder_.Path(), twoTracks);  // same name, new content
  DriveMediaStatus after;
  GetDriveMediaStatus(0, &after);
  EXPECT_EQ(after.Present, 1);
  EXPECT_NE(after.ChangeCount, before.ChangeCount);

  int result = 0;
  const auto toc = ReadTOCBytes(handle_, &result);
  ASSERT_EQ(result, 1);
  EXPECT_EQ(toc[3], 2);
  EXPECT_EQ(BigEndian32(&toc[4 + 16 + 4]), 100u);
  EXPECT_EQ(Read(100, 1), 0);  // the old disc's sectors are gone
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrOutOfRange);
}

TEST(EmptyDriveTest, MissingImageIsAnEmptyDriveUntilItAppears) {
  ScratchFolder folder;
  const std::string cue = folder.File("later.cue");
  DrivesVariable drives(cue);
  const int handle = OpenListedDrive(0);
  ASSERT_NE(handle, 0) << "an empty drive still opens";
  DriveMediaStatus status;
  ASSERT_EQ(GetDriveMediaStatus(0, &status), 1);
  EXPECT_EQ(status.Present, 0);

  int result = -1;
  auto toc = ReadTOCBytes(handle, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(toc, std::vector<uint8_t>(kTOCBufferSize, 0));
  EXPECT_EQ(GetAspiLibError(handle), kCDErrNoDisc);
  SectorBufferPtr buffer(AllocSectorBuffer(1));
  EXPECT_EQ(ReadSectorsInto(handle, buffer.get(), 0, 1), 0);
  EXPECT_EQ(GetAspiLibError(handle), kCDErrNoDisc);

  WriteDiscImage(folder.Path(), {{AudioTrackSectors(20)}}, "later");
  DriveMediaStatus inserted;
  GetDriveMediaStatus(0, &inserted);
  EXPECT_EQ(inserted.Present, 1);
  EXPECT_NE(inserted.ChangeCount, status.ChangeCount);
  toc = ReadTOCBytes(handle, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(BigEndian32(&toc[4 + 8 + 4]), 20u);
  EXPECT_EQ(ReadSectorsInto(handle, buffer.get(), 19, 1), 1);

  // Taking the file away empties the drive again, under the open handle.
  std::filesystem::remove(cue);
  DriveMediaStatus removed;
  GetDriveMediaStatus(0, &removed);
  EXPECT_EQ(removed.Present, 0);
  EXPECT_NE(removed.ChangeCount, inserted.ChangeCount);
  EXPECT_EQ(ReadSectorsInto(handle, buffer.get(), 19, 1), 0);
  EXPECT_EQ(GetAspiLibError(handle), kCDErrNoDisc);
  CloseCDHandle(handle);
}

TEST(EmptyDriveTest, AFolderListedAsADriveHoldsNoDisc) {
  ScratchFolder folder;
  DrivesVariable drives(folder.Path());
  const int handle = OpenListedDrive(0);
  ASSERT_NE(handle, 0);
  EXPECT_EQ(ReadTOC(handle, TOCBuffer), 0);
  EXPECT_EQ(GetAspiLibError(handle), kCDErrNoDisc);
  DriveMediaStatus status;
  GetDriveMediaStatus(0, &status);
  EXPECT_EQ(status.Present, 0);
  CloseCDHandle(handle);
}

TEST(EmptyDriveTest, DamagedImagesAreUnreadableDiscs) {
  ScratchFolder folder;
  const auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream(folder.File(name)) << text;
    return folder.File(name);
  };
  const std::string cases[] = {
      write("empty.cue", ""),
      write("garbage.cue", "\x01\x02 this is not a cue sheet\nTRACK banana\n"),
      write("nobin.cue", "FILE \"absent.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"),
      write("notracks.cue", "FILE \"notracks.cue\" BINARY\n"),
  };
  for (const std::string& cue : cases) {
    DrivesVariable drives(cue);
    const int handle = OpenListedDrive(0);
    ASSERT_NE(handle, 0) << cue;
    int result = -1;
    const auto toc = ReadTOCBytes(handle, &result);
    EXPECT_EQ(result, 0) << cue;
    EXPECT_EQ(toc[0] | toc[1], 0) << cue;
    EXPECT_EQ(GetAspiLibError(handle), kCDErrUnreadableDisc) << cue;
    SectorBufferPtr buffer(AllocSectorBuffer(1));
    EXPECT_EQ(ReadSectorsInto(handle, buffer.get(), 0, 1), 0) << cue;
    CloseCDHandle(handle);
  }
}

TEST(SectorBufferTest, AllocatesAZeroedRecordOfTheAskedSize) {
  SectorBufferPtr buffer(AllocSectorBuffer(27));
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->MaxLength, 63504u);
  EXPECT_EQ(buffer->StartSector | buffer->SectorCount | buffer->Length | buffer->Status | buffer->StartOffset,
            0u);
  for (uint32_t i = 0; i < buffer->MaxLength; ++i) ASSERT_EQ(buffer->Data()[i], 0) << i;
  EXPECT_EQ(reinterpret_cast<uint8_t*>(buffer.get()) + 24, buffer->Data());
  EXPECT_EQ(AllocSectorBuffer(0), nullptr);
  EXPECT_EQ(AllocSectorBuffer(-3), nullptr);
  EXPECT_EQ(AllocSectorBuffer(0x7FFFFFFF), nullptr);
  FreeSectorBuffer(nullptr);
}

}  // namespace
