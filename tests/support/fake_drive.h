// A drive for tests, behind the drive library's own entry points: it holds a
// disc laid out like a generated image (and serves the same bytes without a
// file) or an image file, and can be told to fail or slow down its reads.
//
// While a FakeDrive lives it is on the drive list (while any test drive is
// registered the list holds only test drives, in order of creation).
#pragma once

#include <memory>
#include <string>

#include "platform/cd_drive.h"
#include "tests/support/disc_image.h"

class FakeDriveBackend;

class FakeDrive {
 public:
  // A disc laid out by `discSpec`, its sectors computed as the image writer writes them.
  explicit FakeDrive(const DiscImageSpec& discSpec);
  // The disc in an image file (a missing file is an empty drive).
  explicit FakeDrive(const std::string& imagePath);
  ~FakeDrive();
  FakeDrive(const FakeDrive&) = delete;
  FakeDrive& operator=(const FakeDrive&) = delete;

  // The next `count` reads fail with kCDErrInjected, then reads work again.
  void FailNextReads(int count);
  // Every read fails until switched off.
  void FailAllReads(bool fail);
  // Each read waits this long before it is served (or fails).
  void SetReadDelay(int milliseconds);
  // Makes the disc's last session start at 0-based track `track` (a disc
  // made from a disc layout only; set before the drive is read).
  void SetLastSessionTrack(int track);
  // Takes the disc out or puts it back, as a user would (tray stays shut).
  void SetDiscPresent(bool present);

  // Read requests that reached the drive, and how many of them failed.
  int ReadCalls() const;
  int FailedReads() const;

  // The layout of a disc made from a disc layout (empty for an image drive).
  const DiscImageLayout& Layout() const;
  // The request that opens this drive, and a handle opened with it (0 on failure).
  CDHandleRequest Request() const;
  int Open() const;
  // This drive's place in the drive list; -1 when it is not listed.
  int DriveIndex() const;

 private:
  std::shared_ptr<FakeDriveBackend> backend_;
  int id_ = 0;
};
