// What stands behind one drive of the drive library: a real device, a disc
// image, or a drive a test installs. The library turns a backend's table of
// contents into the READ TOC layout, bounds every read by the lead-out and
// keeps the handles and error numbers; a backend only reports what is on its
// medium and reads sectors.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/cd_drive.h"

// One track of a disc's table of contents.
struct DiscTrackEntry {
  uint8_t Number = 0;
  uint8_t Control = 0;  // 0x04 data track, 0x02 copy permitted, 0x01 pre-emphasis, 0x08 four channels
  int32_t StartLBA = 0;
};

// Tracks in disc order, then where the lead-out starts.
struct DiscTOC {
  uint8_t FirstTrack = 0;
  uint8_t LastTrack = 0;
  std::vector<DiscTrackEntry> Tracks;
  int32_t LeadOutLBA = 0;
  // Where the disc's last session starts, as the drive reports it; -1 when
  // the medium cannot tell (disc images), which counts as one session.
  int32_t LastSessionLBA = -1;
};

// The start of the first track of the disc's last session: the first track's
// start for a single-session disc, or when the reported value names no track
// after the first.
int32_t LastSessionStart(const DiscTOC& toc);

// Whether a table of contents can be trusted for bounding reads: 1 to 99
// tracks numbered in order, starts increasing, the lead-out after the last.
bool IsPlausibleTOC(const DiscTOC& toc);

struct CDDriveIdentity {
  std::string Token;  // device or image path
  std::string Vendor;
  std::string Product;
  std::string Revision;
};

// The medium as one open handle sees it. The library serialises calls on one
// session.
class CDDriveSession {
 public:
  virtual ~CDDriveSession() = default;
  // The disc's table of contents, or null with *error set (kCDErrNoDisc,
  // kCDErrUnreadableDisc). `reread` asks for a fresh read from the medium; a
  // session may otherwise answer from what it read before, but must notice a
  // medium that changed since.
  virtual const DiscTOC* TOC(bool reread, int* error) = 0;
  // Reads `count` raw sectors from `lba` into `dst`; the range lies within
  // the table of contents last returned. kCDErrNone or an error number.
  virtual int ReadSectors(int32_t lba, int32_t count, uint8_t* dst) = 0;
};

class CDDriveBackend {
 public:
  virtual ~CDDriveBackend() = default;
  virtual CDDriveIdentity Identity() const = 0;
  // The drive's own SCSI address (host adapter, target, LUN), when it has
  // one; otherwise the library gives it one.
  virtual bool ScsiAddress(uint8_t address[3]) const {
    (void)address;
    return false;
  }
  // A session on the drive, or null with *error set. An empty drive opens.
  virtual std::unique_ptr<CDDriveSession> Open(int* error) = 0;
  // Moves the tray; kCDErrNone or an error number.
  virtual int SetTray(bool open) = 0;
  virtual DriveMediaStatus PollMedia() = 0;
  virtual bool Accessible() const = 0;
};

// Tray of a drive whose tray exists only in the library: open means no disc.
// Every move counts as a change of medium.
class VirtualTray {
 public:
  bool IsOpen() const { return open_.load(); }
  void Set(bool open) {
    if (open_.exchange(open) != open) changes_.fetch_add(1);
  }
  uint32_t Changes() const { return changes_.load(); }

 private:
  std::atomic<bool> open_{false};
  std::atomic<uint32_t> changes_{0};
};

// Backends on libcdio.
std::shared_ptr<CDDriveBackend> MakeImageDrive(const std::string& imagePath);
std::shared_ptr<CDDriveBackend> MakeDeviceDrive(const std::string& devicePath);
// The real drives libcdio finds, each path once, at most kCDMaxDrives.
std::vector<std::string> FindDeviceDrives();

// Drives installed by tests. While any is registered, the drive list holds
// exactly the registered drives, in the order they were registered, instead of
// QCR_DRIVES or the real drives. Returns an id (> 0).
int RegisterTestDrive(std::shared_ptr<CDDriveBackend> drive);
// Takes the drive off the list; its open handles keep working until closed.
void UnregisterTestDrive(int id);
// The request that opens a registered drive; false for an unknown id.
bool TestDriveRequest(int id, CDHandleRequest* request);
