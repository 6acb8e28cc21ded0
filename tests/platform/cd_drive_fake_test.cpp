// The drive library with test drives behind it: injected failures and their
// error numbers, slow reads that must not hold up other handles, handles
// closed during a read, and the drive list while test drives are installed.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/cd_drive.h"
#include "platform/cd_drive_backend.h"
#include "tests/platform/cd_drive_test_util.h"
#include "tests/support/fake_drive.h"

namespace {

DiscImageSpec TwoTracks() { return {{AudioTrackSectors(60, 10), AudioTrackSectors(40)}}; }

// Waits, without a fixed delay, until `done` holds; false after a generous bound.
template <typename Pred>
bool WaitUntil(Pred done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

class FakeDriveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = drive_.Open();
    ASSERT_GE(handle_, kCDFirstHandle);
    buffer_.reset(AllocSectorBuffer(27));
  }
  void TearDown() override { CloseCDHandle(handle_); }
  int Read(uint32_t lba, uint32_t count) { return ReadSectorsInto(handle_, buffer_.get(), lba, count); }

  FakeDrive drive_{TwoTracks()};
  int handle_ = 0;
  SectorBufferPtr buffer_;
};

TEST_F(FakeDriveTest, FailsTheNextReadsOrAllReadsWithTheirErrorNumbers) {
  drive_.FailNextReads(2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Read(10, 26), 0);
    EXPECT_EQ(buffer_->Length, 0u);
    EXPECT_EQ(GetAspiLibError(handle_), kCDErrInjected);
    const int status = GetAspiLibAspiError() & 0xFF;
    EXPECT_EQ(status, kCDStatusError);
    EXPECT_EQ(GetAspiLibError(status), kCDErrInjected);  // the rip reader's error line
  }
  ASSERT_EQ(Read(10, 26), 1);
  EXPECT_TRUE(BufferHolds(*buffer_, ImageBytes(drive_.Layout(), 10, 26)));
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrNone);
  EXPECT_EQ(GetAspiLibAspiError(), kCDStatusOk);
  EXPECT_EQ(drive_.ReadCalls(), 3);
  EXPECT_EQ(drive_.FailedReads(), 2);

  drive_.FailAllReads(true);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Read(0, 1), 0);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrInjected);
  EXPECT_EQ(drive_.FailedReads(), 8);
  EXPECT_EQ(TOCResult(handle_), 1);  // only sector reads fail
  // Bounds are checked before the drive is asked.
  EXPECT_EQ(Read(110, 1), 0);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrOutOfRange);
  EXPECT_EQ(drive_.ReadCalls(), 9);
  drive_.FailAllReads(false);
  EXPECT_EQ(Read(0, 1), 1);
}

TEST_F(FakeDriveTest, ASlowReadDoesNotHoldUpAnotherHandle) {
  FakeDrive other(TwoTracks());
  const int otherHandle = other.Open();
  ASSERT_NE(otherHandle, 0);
  drive_.SetReadDelay(1500);
  std::atomic<bool> slowDone{false};
  std::atomic<int> slowResult{-1};
  std::thread slow([&] {
    slowResult = Read(10, 26);
    slowDone = true;
  });
  ASSERT_TRUE(WaitUntil([&] { return drive_.ReadCalls() == 1; }));
  // The slow read is under way; reads on another drive and a fresh open go through.
  SectorBufferPtr own(AllocSectorBuffer(27));
  EXPECT_EQ(ReadSectorsInto(otherHandle, own.get(), 0, 26), 1);
  EXPECT_TRUE(BufferHolds(*own, ImageBytes(other.Layout(), 0, 26)));
  EXPECT_EQ(CloseCDHandle(other.Open()), 1);
  EXPECT_FALSE(slowDone.load()) << "the other handle waited for the slow read";
  slow.join();
  EXPECT_EQ(slowResult.load(), 1);
  EXPECT_TRUE(BufferHolds(*buffer_, ImageBytes(drive_.Layout(), 10, 26)));
  CloseCDHandle(otherHandle);
}

TEST_F(FakeDriveTest, ClosingAHandleDuringItsReadIsSafe) {
  drive_.SetReadDelay(200);
  std::atomic<int> result{-1};
  std::thread reader([&] { result = Read(10, 26); });
  ASSERT_TRUE(WaitUntil([&] { return drive_.ReadCalls() == 1; }));
  EXPECT_EQ(CloseCDHandle(handle_), 1);
  reader.join();
  EXPECT_EQ(result.load(), 1);  // the read that had started finishes
  EXPECT_EQ(Read(10, 1), 0);
  EXPECT_EQ(GetAspiLibError(handle_), kCDErrBadHandle);
  handle_ = 0;
}

TEST_F(FakeDriveTest, ParallelReadersAndOpenersStayConsistent) {
  FakeDrive second(TwoTracks());
  std::atomic<int> bad{0};
  auto reader = [&](int handle, const DiscImageLayout& layout) {
    SectorBufferPtr own(AllocSectorBuffer(27));
    for (int i = 0; i < 200; ++i) {
      const auto lba = static_cast<uint32_t>(i % 84);
      if (ReadSectorsInto(handle, own.get(), lba, 26) != 1 || !BufferHolds(*own, ImageBytes(layout, lba, 26)))
        ++bad;
    }
  };
  const int h1 = second.Open(), h2 = second.Open();
  std::vector<std::thread> readers;
  for (int h : {handle_, h1, h2})
    readers.emplace_back(reader, h, std::cref(h == handle_ ? drive_.Layout() : second.Layout()));
  for (int i = 0; i < 200; ++i) {
    const int h = second.Open();
    EXPECT_EQ(ReadTOC(h, TOCBuffer), 1);
    EXPECT_EQ(CloseCDHandle(h), 1);
  }
  for (auto& t : readers) t.join();
  EXPECT_EQ(bad.load(), 0);
  CloseCDHandle(h1);
  CloseCDHandle(h2);
}

TEST(FakeDriveListTest, TestDrivesReplaceTheConfiguredDrivesWhileInstalled) {
  ScratchFolder folder;
  const std::string cue = WriteDiscImage(folder.Path(), TwoTracks());
  DrivesVariable drives(cue);
  ASSERT_EQ(ListDrives().Count, 1);
  CDHandleRequest goneRequest{};
  {
    FakeDrive first(TwoTracks());
    FakeDrive second(cue);
    goneRequest = first.Request();
    const CDDriveList list = ListDrives();
    ASSERT_EQ(list.Count, 2);
    EXPECT_EQ(second.DriveIndex(), 1);
    EXPECT_STREQ(list.Entries[0].Product, "Fake drive");
    EXPECT_EQ(GetDriveToken(1), cue);

    // A test drive over an image file reads the file.
    const int handle = second.Open();
    SectorBufferPtr buffer(AllocSectorBuffer(1));
    EXPECT_EQ(ReadSectorsInto(handle, buffer.get(), 5, 1), 1);
    EXPECT_TRUE(BufferHolds(*buffer, ImageBytes(LayoutOf(TwoTracks()), 5, 1)));
    CloseCDHandle(handle);
  }
  const CDDriveList list = ListDrives();
  ASSERT_EQ(list.Count, 1);
  EXPECT_STREQ(list.Entries[0].Product, "Disc image");
  // A drive that is gone cannot be opened.
  EXPECT_EQ(GetCDHandle(&goneRequest), 0);
  EXPECT_EQ(GetAspiLibError(0), kCDErrNoDrive);
}

// The start of the last session: the reported address names the first track
// at or after it; anything that names no later track means one session.
TEST(LastSessionTest, ReportedAddressesMapToATrackStart) {
  DiscTOC toc;
  toc.FirstTrack = 1;
  toc.LastTrack = 3;
  toc.Tracks = {{1, 0, 150}, {2, 0, 9000}, {3, kTOCDataTrack, 31000}};
  toc.LeadOutLBA = 40000;
  const struct {
    int32_t reported, start;
  } rows[] = {{-1, 150}, {0, 150}, {150, 150}, {9000, 9000}, {30900, 31000}, {31000, 31000}, {35000, 150}};
  for (const auto& row : rows) {
    toc.LastSessionLBA = row.reported;
    EXPECT_EQ(LastSessionStart(toc), row.start) << "reported " << row.reported;
  }

  // A test drive passes what its medium reports through the library.
  FakeDrive drive({{AudioTrackSectors(300), AudioTrackSectors(200), {100, 0, true}}});
  drive.SetLastSessionTrack(2);
  const int handle = drive.Open();
  int32_t start = 0;
  EXPECT_EQ(ReadLastSessionLBA(handle, &start), 1);
  EXPECT_EQ(start, drive.Layout().Tracks[2].StartLBA);
  CloseCDHandle(handle);
}

}  // namespace
