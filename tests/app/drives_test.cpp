// Drive enumeration, selection and the drive helpers, against image drives
// named in QCR_DRIVES and drives installed by the test.
#include "app/drives.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "app/disc_worker.h"
#include "app/settings.h"
#include "platform/cd_drive_backend.h"
#include "tests/platform/cd_drive_test_util.h"
#include "tests/support/recording_port.h"
#include "ui/core/win_types.h"

namespace {

using Kind = RecordingMainWindowPort::Kind;

// A drive whose identity and accessibility the test chooses; it holds no disc.
class ListedOnlyDrive : public CDDriveBackend {
 public:
  ListedOnlyDrive(std::string token, bool accessible, std::string vendor = "ACME")
      : token_(std::move(token)), vendor_(std::move(vendor)), accessible_(accessible) {}
  CDDriveIdentity Identity() const override { return {token_, vendor_, "Writer", "1.2"}; }
  std::unique_ptr<CDDriveSession> Open(int* error) override {
    *error = kCDErrOpenFailed;
    return nullptr;
  }
  int SetTray(bool) override { return kCDErrNone; }
  DriveMediaStatus PollMedia() override { return {}; }
  bool Accessible() const override { return accessible_; }

 private:
  std::string token_;
  std::string vendor_;
  bool accessible_;
};

class RegisteredDrive {
 public:
  explicit RegisteredDrive(std::shared_ptr<CDDriveBackend> drive)
      : id_(RegisterTestDrive(std::move(drive))) {}
  ~RegisteredDrive() { UnregisterTestDrive(id_); }
  RegisteredDrive(const RegisteredDrive&) = delete;
  RegisteredDrive& operator=(const RegisteredDrive&) = delete;

 private:
  int id_;
};

class DrivesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DriveCount = 0;
    DriveNum = 0;
    CurrentDrive = -1;
    LookupOnRefresh = 1;
  }
  ScratchFolder scratch_;
  RecordingMainWindowPort port_;
};

TEST_F(DrivesTest, ListsImageDrivesInOrderWithTheirTexts) {
  const std::string disc = WriteDiscImage(scratch_.Path(), {{AudioTrack(2.0)}});
  const std::string empty = scratch_.File("missing.cue");
  DrivesVariable drives(disc + ":" + empty);

  const DriveEnumeration result = EnumerateDrives(port_);

  ASSERT_TRUE(result.Found);
  ASSERT_EQ(DriveList.Count, 2);
  EXPECT_EQ(DriveLetters, (std::vector<std::string>{disc, empty}));
  // VendorSpecific is empty and still gets its "%s ".
  const std::string line0 = disc + "  QCR Disc image 1.0  ";
  const std::string line1 = empty + "  QCR Disc image 1.0  ";
  EXPECT_EQ(result.ComboLines, (std::vector<std::string>{line0, line1}));
  EXPECT_EQ(result.MenuItems, (std::vector<std::string>{"Drive  " + disc, "Drive  " + empty}));
  EXPECT_EQ(port_.LogLines(),
            (std::vector<std::string>{"Initializing CD-drives...", "Find drive \"" + line0 + "\"",
                                      "Find drive \"" + line1 + "\""}));
  EXPECT_EQ(port_.CountOf(Kind::Message), 0);
  EXPECT_EQ(DriveDescription(1), line1);
  EXPECT_EQ(DriveDescription(2), "");
  EXPECT_EQ(DriveDescription(-1), "");
}

TEST_F(DrivesTest, InaccessibleDriveIsWarnedAboutAndLeftOutOfBothLists) {
  RegisteredDrive blocked(std::make_shared<ListedOnlyDrive>("/dev/blocked", false));
  RegisteredDrive open(std::make_shared<ListedOnlyDrive>("/dev/open", true, ""));

  const DriveEnumeration result = EnumerateDrives(port_);

  ASSERT_TRUE(result.Found);
  ASSERT_EQ(DriveList.Count, 1);
  EXPECT_EQ(DriveLetters, std::vector<std::string>{"/dev/open"});
  // The remaining entry is the accessible drive's, so the pairing holds.
  EXPECT_STREQ(DriveList.Entries[0].Product, "Writer");
  EXPECT_EQ(LibraryDriveIndex(0), 1);
  EXPECT_EQ(LibraryDriveIndex(1), -1);
  // An empty vendor prints as a lone blank.
  EXPECT_EQ(result.ComboLines[0], "/dev/open   Writer 1.2  ");
  const auto lines = port_.Calls();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].text, "Warning: drive /dev/blocked is not accessible");
  EXPECT_EQ(lines[0].value, LogError);
  EXPECT_EQ(lines[1].text, "Initializing CD-drives...");
  EXPECT_TRUE(IsDriveAccessible(0));
  EXPECT_FALSE(IsDriveAccessible(1));
}

TEST_F(DrivesTest, NoUsableDriveEndsWithTheNoDriveMessage) {
  {
    RegisteredDrive blocked(std::make_shared<ListedOnlyDrive>("/dev/blocked", false));
    const DriveEnumeration result = EnumerateDrives(port_);
    EXPECT_FALSE(result.Found);
    EXPECT_TRUE(result.ComboLines.empty());
    EXPECT_TRUE(DriveLetters.empty());
  }
  const auto calls = port_.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].text, "Warning: drive /dev/blocked is not accessible");
  EXPECT_EQ(calls[1].text, "CD drives not found !");
  EXPECT_EQ(calls[1].value, LogFatal);
  EXPECT_EQ(calls[2].kind, Kind::Message);
  EXPECT_EQ(calls[2].caption, "CD Drives NOT Found!");
  EXPECT_EQ(calls[2].value, static_cast<int>(MB_ICONERROR));
  EXPECT_EQ(calls[2].text.rfind("CD Drives NOT Found! Please Make Sure the Following Things:\n1. ", 0), 0u);

  port_.Reset();  // a list of empty names ends the same way
  DrivesVariable drives("::");
  EXPECT_FALSE(EnumerateDrives(port_).Found);
  EXPECT_EQ(port_.LogLines(), std::vector<std::string>{"CD drives not found !"});
  EXPECT_EQ(port_.CountOf(Kind::Message), 1);
}

TEST_F(DrivesTest, SavedDriveIsSelectedOnlyWhenTheCountMatches) {
  DrivesVariable drives(scratch_.File("a.cue") + ":" + scratch_.File("b.cue"));
  ASSERT_TRUE(EnumerateDrives(port_).Found);
  DiscWorker worker(port_);
  worker.HoldActions(true);  // the selection's refresh is not the subject here

  DriveCount = 2;
  DriveNum = 1;
  EXPECT_EQ(SelectInitialDrive(port_, worker, 2), 1);
  EXPECT_EQ(CurrentDrive.load(), 1);
  EXPECT_EQ(DriveNum, 1);
  EXPECT_TRUE(port_.HasLog("Set drive " + scratch_.File("b.cue") + "  QCR Disc image 1.0   as current."));
  EXPECT_EQ(worker.QueuedActions(), 1);

  DriveCount = 3;
  DriveNum = 1;
  EXPECT_EQ(SelectInitialDrive(port_, worker, 2), 0);
  EXPECT_EQ(DriveCount, 2);
  EXPECT_EQ(DriveNum, 0);
  EXPECT_EQ(CurrentDrive.load(), 0);
  // A second refresh request joins the one still waiting.
  EXPECT_EQ(worker.QueuedActions(), 1);

  // A saved index outside the list falls back to the first drive.
  DriveCount = 2;
  DriveNum = 7;
  EXPECT_EQ(SelectInitialDrive(port_, worker, 2), 0);
  worker.Stop();
}

TEST_F(DrivesTest, NoDriveToSelectShowsTheMessage) {
  DiscWorker worker(port_);
  DriveCount = 1;
  DriveNum = 0;
  EXPECT_EQ(SelectInitialDrive(port_, worker, 0), -1);
  EXPECT_EQ(DriveCount, 0);
  EXPECT_EQ(DriveNum, -1);
  const auto messages = port_.CallsOf(Kind::Message);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "No CD Drive Found !");
  EXPECT_TRUE(port_.HasLog("No CD drive found !"));
  EXPECT_EQ(worker.QueuedActions(), 0);
}

TEST_F(DrivesTest, UnlistedDrivesAndCommandsOutsideTheList) {
  DrivesVariable drives(scratch_.File("a.cue") + ":" + scratch_.File("b.cue"));
  ASSERT_TRUE(EnumerateDrives(port_).Found);
  DiscWorker worker(port_);
  worker.HoldActions(true);
  port_.Reset();
  EXPECT_FALSE(SelectDrive(port_, worker, 2, 0));
  EXPECT_FALSE(SelectDrive(port_, worker, -1, 0));
  EXPECT_TRUE(port_.Calls().empty());
  EXPECT_EQ(worker.QueuedActions(), 0);
  EXPECT_EQ(CurrentDrive.load(), -1);
  // Drive menu commands outside the list select the first drive; below the
  // range wraps, as an unsigned compare does.
  const std::pair<int, int> commands[] = {{101, 0}, {102, 1}, {103, 0}, {110, 0}, {100, 0}, {0, 0}};
  for (const auto& [command, index] : commands) EXPECT_EQ(DriveIndexOfCommand(command), index) << command;
}

TEST(DriveHelpersTest, AnsiToCStringKeepsUtf8AndReadsOtherBytesAsLatin1) {
  EXPECT_EQ(AnsiToCString(nullptr), "");
  EXPECT_EQ(AnsiToCString("HL-DT-ST"), "HL-DT-ST");
  EXPECT_EQ(AnsiToCString("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(AnsiToCString("Caf\xE9"), "Caf\xC3\xA9");
  std::string out = "old";
  AnsiToCString(out, nullptr);
  EXPECT_EQ(out, "");
}

}  // namespace
