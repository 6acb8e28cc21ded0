// The test drive: a backend of the drive library whose reads can be made to
// fail or wait, over a computed disc or an image drive.
#include "tests/support/fake_drive.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/cd_drive_backend.h"

class FakeDriveBackend : public CDDriveBackend, public std::enable_shared_from_this<FakeDriveBackend> {
 public:
  explicit FakeDriveBackend(const DiscImageSpec& discSpec) : layout_(LayoutOf(discSpec)) {
    toc_.FirstTrack = 1;
    toc_.LastTrack = static_cast<uint8_t>(layout_.Tracks.size());
    for (size_t i = 0; i < layout_.Tracks.size(); ++i) {
      DiscTrackEntry entry;
      entry.Number = static_cast<uint8_t>(i + 1);
      entry.Control = layout_.Tracks[i].Data ? kTOCDataTrack : 0;
      entry.StartLBA = layout_.Tracks[i].StartLBA;
      toc_.Tracks.push_back(entry);
    }
    toc_.LeadOutLBA = layout_.LeadOutLBA;
  }
  explicit FakeDriveBackend(const std::string& imagePath) : image_(MakeImageDrive(imagePath)) {}

  CDDriveIdentity Identity() const override {
    return {image_ ? image_->Identity().Token : "fake", "QCR", "Fake drive", "1.0"};
  }
  std::unique_ptr<CDDriveSession> Open(int* error) override;
  int SetTray(bool open) override {
    if (image_) return image_->SetTray(open);
    tray_.Set(open);
    return kCDErrNone;
  }
  DriveMediaStatus PollMedia() override {
    if (image_) return image_->PollMedia();
    DriveMediaStatus status;
    status.Present = discPresent_.load() && !tray_.IsOpen();
    status.ChangeCount = tray_.Changes() + discChanges_.load();
    return status;
  }
  bool Accessible() const override { return true; }

  // Applies the injected faults to one read; kCDErrNone lets it through.
  int Inject() {
    reads_.fetch_add(1);
    if (const int ms = delayMs_.load(); ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    int pending = failNext_.load();
    while (pending > 0 && !failNext_.compare_exchange_weak(pending, pending - 1)) {
    }
    if (failAll_.load() || pending > 0) {
      failed_.fetch_add(1);
      return kCDErrInjected;
    }
    return kCDErrNone;
  }

  const DiscImageLayout layout_;
  DiscTOC toc_;
  std::shared_ptr<CDDriveBackend> image_;
  VirtualTray tray_;
  std::atomic<bool> discPresent_{true};
  std::atomic<uint32_t> discChanges_{0};
  std::atomic<int> failNext_{0};
  std::atomic<bool> failAll_{false};
  std::atomic<int> delayMs_{0};
  std::atomic<int> reads_{0};
  std::atomic<int> failed_{0};
};

namespace {

class FakeSession : public CDDriveSession {
 public:
  FakeSession(std::shared_ptr<FakeDriveBackend> drive, std::unique_ptr<CDDriveSession> inner)
      : drive_(std::move(drive)), inner_(std::move(inner)) {}

  const DiscTOC* TOC(bool reread, int* error) override {
    if (inner_) return inner_->TOC(reread, error);
    if (!drive_->PollMedia().Present) {
      *error = kCDErrNoDisc;
      return nullptr;
    }
    return &drive_->toc_;
  }
  int ReadSectors(int32_t lba, int32_t count, uint8_t* dst) override {
    if (const int error = drive_->Inject(); error != kCDErrNone) return error;
    if (inner_) return inner_->ReadSectors(lba, count, dst);
    if (!drive_->PollMedia().Present) return kCDErrNoDisc;
    for (int32_t i = 0; i < count; ++i) FillSector(drive_->layout_, lba + i, dst + i * kImageSectorBytes);
    return kCDErrNone;
  }

 private:
  std::shared_ptr<FakeDriveBackend> drive_;
  std::unique_ptr<CDDriveSession> inner_;
};

}  // namespace

std::unique_ptr<CDDriveSession> FakeDriveBackend::Open(int* error) {
  std::unique_ptr<CDDriveSession> inner;
  if (image_) {
    inner = image_->Open(error);
    if (!inner) return nullptr;
  }
  *error = kCDErrNone;
  return std::make_unique<FakeSession>(shared_from_this(), std::move(inner));
}

FakeDrive::FakeDrive(const DiscImageSpec& discSpec)
    : backend_(std::make_shared<FakeDriveBackend>(discSpec)), id_(RegisterTestDrive(backend_)) {}

FakeDrive::FakeDrive(const std::string& imagePath)
    : backend_(std::make_shared<FakeDriveBackend>(imagePath)), id_(RegisterTestDrive(backend_)) {}

FakeDrive::~FakeDrive() { UnregisterTestDrive(id_); }

void FakeDrive::FailNextReads(int count) { backend_->failNext_.store(count > 0 ? count : 0); }
void FakeDrive::FailAllReads(bool fail) { backend_->failAll_.store(fail); }
void FakeDrive::SetReadDelay(int milliseconds) {
  backend_->delayMs_.store(milliseconds > 0 ? milliseconds : 0);
}

void FakeDrive::SetLastSessionTrack(int track) {
  if (track >= 0 && track < static_cast<int>(backend_->toc_.Tracks.size()))
    backend_->toc_.LastSessionLBA = backend_->toc_.Tracks[static_cast<size_t>(track)].StartLBA;
}

void FakeDrive::SetDiscPresent(bool present) {
  if (backend_->discPresent_.exchange(present) != present) backend_->discChanges_.fetch_add(1);
}

int FakeDrive::ReadCalls() const { return backend_->reads_.load(); }
int FakeDrive::FailedReads() const { return backend_->failed_.load(); }
const DiscImageLayout& FakeDrive::Layout() const { return backend_->layout_; }

CDHandleRequest FakeDrive::Request() const {
  CDHandleRequest request;
  std::memset(&request, 0, sizeof(request));
  TestDriveRequest(id_, &request);
  return request;
}

int FakeDrive::Open() const {
  CDHandleRequest request = Request();
  return GetCDHandle(&request);
}

int FakeDrive::DriveIndex() const {
  CDDriveList list;
  std::memset(&list, 0, sizeof(list));
  list.MaxEntries = kCDMaxDrives;
  GetCDList(&list);
  const CDHandleRequest request = Request();
  for (int i = 0; i < list.Count; ++i) {
    const CDDriveEntry& e = list.Entries[i];
    if (e.HostAdapter == request.HostAdapter && e.Target == request.Target && e.Lun == request.Lun) return i;
  }
  return -1;
}
