// The drive library's entry points: the drive list, the handle table, the
// READ TOC encoding and the bounded sector read. Backends (cd_drive_cdio.cpp,
// test drives) only report what is on their medium and read sectors.
#include "platform/cd_drive.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/cd_drive_backend.h"

std::atomic<int> CDHandle{0};
uint8_t TOCBuffer[kTOCBufferSize] = {};
std::atomic<int> NoDisc{1};
std::atomic<int32_t> LastSessionLBA{-1};

namespace {

// Address bytes the library gives drives that have none of their own.
constexpr uint8_t kListedDriveHost = 0x7F;
constexpr uint8_t kTestDriveHost = 0x7E;

struct DriveSlot {
  std::shared_ptr<CDDriveBackend> backend;
  uint8_t address[3] = {};
  int testId = 0;
};

struct OpenHandle {
  std::shared_ptr<CDDriveBackend> drive;
  std::unique_ptr<CDDriveSession> session;
  std::mutex mutex;  // serialises use of the session
  std::atomic<int> lastError{kCDErrNone};
};

int StatusOf(int error) {
  switch (error) {
    case kCDErrNone:
      return kCDStatusOk;
    case kCDErrBadHandle:
      return kCDStatusInvalidHandle;
    case kCDErrNoDrive:
    case kCDErrOpenFailed:
      return kCDStatusNoDevice;
    case kCDErrBadRequest:
      return kCDStatusInvalidRequest;
    default:
      return kCDStatusError;
  }
}

bool SameAddress(const uint8_t a[3], const uint8_t b[3]) { return std::memcmp(a, b, 3) == 0; }

class DriveLibrary {
 public:
  // The drives as GetCDList reports them.
  std::vector<DriveSlot> Drives() {
    std::lock_guard lock(mutex_);
    return ListedLocked();
  }

  std::shared_ptr<CDDriveBackend> DriveAt(int index) {
    std::lock_guard lock(mutex_);
    const auto& list = ListedLocked();
    if (index < 0 || index >= static_cast<int>(list.size())) return nullptr;
    return list[index].backend;
  }

  std::shared_ptr<CDDriveBackend> DriveByAddress(const uint8_t address[3]) {
    std::lock_guard lock(mutex_);
    for (const auto& slot : ListedLocked())
      if (SameAddress(slot.address, address)) return slot.backend;
    return nullptr;
  }

  int Register(std::shared_ptr<CDDriveBackend> drive) {
    std::lock_guard lock(mutex_);
    DriveSlot slot;
    slot.backend = std::move(drive);
    slot.testId = nextTestId_;
    nextTestId_ = nextTestId_ >= 0xFFFF ? 1 : nextTestId_ + 1;
    slot.address[0] = kTestDriveHost;
    slot.address[1] = static_cast<uint8_t>(slot.testId & 0xFF);
    slot.address[2] = static_cast<uint8_t>(slot.testId >> 8);
    testDrives_.push_back(slot);
    return slot.testId;
  }

  void Unregister(int id) {
    std::lock_guard lock(mutex_);
    std::erase_if(testDrives_, [id](const DriveSlot& s) { return s.testId == id; });
  }

  bool TestRequest(int id, CDHandleRequest* request) {
    std::lock_guard lock(mutex_);
    for (const auto& slot : testDrives_) {
      if (slot.testId != id) continue;
      std::memset(request, 0, sizeof(*request));
      request->Size = sizeof(CDHandleRequest);
      request->Mode = 1;
      request->HostAdapter = slot.address[0];
      request->Target = slot.address[1];
      request->Lun = slot.address[2];
      return true;
    }
    return false;
  }

  int AddHandle(std::shared_ptr<OpenHandle> handle) {
    std::lock_guard lock(mutex_);
    while (handles_.count(nextHandle_)) Advance();
    const int id = nextHandle_;
    Advance();
    handles_[id] = std::move(handle);
    return id;
  }

  std::shared_ptr<OpenHandle> FindHandle(int id) {
    std::lock_guard lock(mutex_);
    auto it = handles_.find(id);
    return it == handles_.end() ? nullptr : it->second;
  }

  bool RemoveHandle(int id) {
    std::shared_ptr<OpenHandle> gone;  // destroyed outside the lock
    std::lock_guard lock(mutex_);
    auto it = handles_.find(id);
    if (it == handles_.end()) return false;
    gone = std::move(it->second);
    handles_.erase(it);
    return true;
  }

  // Records the outcome of a call; returns 1 for success, else 0.
  int Report(OpenHandle* handle, int error) {
    if (handle) handle->lastError.store(error);
    lastError_.store(error);
    lastStatus_.store(StatusOf(error));
    return error == kCDErrNone ? 1 : 0;
  }

  int LastError() const { return lastError_.load(); }
  int LastStatus() const { return lastStatus_.load(); }

 private:
  void Advance() { nextHandle_ = nextHandle_ >= 0x7FFFFFFF ? kCDFirstHandle : nextHandle_ + 1; }

  const std::vector<DriveSlot>& ListedLocked() {
    if (!testDrives_.empty()) return testDrives_;
    const char* env = std::getenv("QCR_DRIVES");
    const bool fromEnv = env && *env;
    const std::string key = fromEnv ? std::string("=") + env : std::string();
    if (!built_ || key != envKey_) {
      envDrives_ = fromEnv ? DrivesFromList(env) : DrivesFromDevices();
      envKey_ = key;
      built_ = true;
    }
    return envDrives_;
  }

  static bool IsBlockDevice(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode);
  }

  static std::vector<DriveSlot> DrivesFromList(const std::string& list) {
    std::vector<DriveSlot> slots;
    size_t pos = 0;
    while (pos <= list.size() && slots.size() < kCDMaxDrives) {
      size_t end = list.find(':', pos);
      if (end == std::string::npos) end = list.size();
      const std::string entry = list.substr(pos, end - pos);
      pos = end + 1;
      if (entry.empty()) continue;
      DriveSlot slot;
      slot.backend = IsBlockDevice(entry) ? MakeDeviceDrive(entry) : MakeImageDrive(entry);
      slots.push_back(slot);
    }
    AssignAddresses(slots);
    return slots;
  }

  static std::vector<DriveSlot> DrivesFromDevices() {
    std::vector<DriveSlot> slots;
    for (const auto& path : FindDeviceDrives()) {
      DriveSlot slot;
      slot.backend = MakeDeviceDrive(path);
      slots.push_back(slot);
    }
    AssignAddresses(slots);
    return slots;
  }

  // A drive keeps its own SCSI address when it has one that no earlier drive
  // uses; otherwise it is named by its place in the list.
  static void AssignAddresses(std::vector<DriveSlot>& slots) {
    for (size_t i = 0; i < slots.size(); ++i) {
      uint8_t own[3];
      bool unique =
          slots[i].backend->ScsiAddress(own) && own[0] != kListedDriveHost && own[0] != kTestDriveHost;
      for (size_t j = 0; unique && j < i; ++j) unique = !SameAddress(slots[j].address, own);
      if (unique) {
        std::memcpy(slots[i].address, own, 3);
      } else {
        slots[i].address[0] = kListedDriveHost;
        slots[i].address[1] = static_cast<uint8_t>(i);
        slots[i].address[2] = 0;
      }
    }
  }

  std::mutex mutex_;
  bool built_ = false;
  std::string envKey_;
  std::vector<DriveSlot> envDrives_;
  std::vector<DriveSlot> testDrives_;
  int nextTestId_ = 1;
  std::map<int, std::shared_ptr<OpenHandle>> handles_;
  int nextHandle_ = kCDFirstHandle;
  std::atomic<int> lastError_{kCDErrNone};
  std::atomic<int> lastStatus_{kCDStatusNone};
};

DriveLibrary& Library() {
  static DriveLibrary library;
  return library;
}

void CopyText(char* field, size_t size, const std::string& text) {
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

void PutBigEndian32(uint8_t* p, uint32_t value) {
  p[0] = static_cast<uint8_t>(value >> 24);
  p[1] = static_cast<uint8_t>(value >> 16);
  p[2] = static_cast<uint8_t>(value >> 8);
  p[3] = static_cast<uint8_t>(value);
}

void PutDescriptor(TOCDescriptor& d, uint8_t number, uint8_t control, int32_t lba) {
  d.AdrControl = static_cast<uint8_t>(0x10 | (control & 0x0F));
  d.TrackNumber = number;
  PutBigEndian32(d.StartLBA, static_cast<uint32_t>(lba));
}

void EncodeTOC(const DiscTOC& toc, uint8_t* out) {
  auto* data = reinterpret_cast<TOCData*>(out);
  const size_t tracks = std::min<size_t>(toc.Tracks.size(), kTOCMaxDescriptors - 1);
  const size_t length = 2 + 8 * (tracks + 1);
  data->Length[0] = static_cast<uint8_t>(length >> 8);
  data->Length[1] = static_cast<uint8_t>(length);
  data->FirstTrack = toc.FirstTrack;
  data->LastTrack = toc.LastTrack;
  for (size_t i = 0; i < tracks; ++i) {
    const auto& t = toc.Tracks[i];
    PutDescriptor(data->Descriptors[i], t.Number, t.Control, t.StartLBA);
  }
  // The lead-out carries the control bits of the track before it, as drives report it.
  const uint8_t lastControl = tracks ? toc.Tracks[tracks - 1].Control : 0;
  PutDescriptor(data->Descriptors[tracks], kTOCLeadOutTrack, lastControl, toc.LeadOutLBA);
}

}  // namespace

bool IsPlausibleTOC(const DiscTOC& toc) {
  if (toc.Tracks.empty() || toc.Tracks.size() > 99) return false;
  if (toc.FirstTrack != toc.Tracks.front().Number || toc.LastTrack != toc.Tracks.back().Number) return false;
  for (size_t i = 0; i < toc.Tracks.size(); ++i) {
    const auto& t = toc.Tracks[i];
    if (t.StartLBA < 0 || t.Number < 1 || t.Number > 99) return false;
    if (i > 0 && (t.Number != toc.Tracks[i - 1].Number + 1 || t.StartLBA <= toc.Tracks[i - 1].StartLBA))
      return false;
  }
  return toc.LeadOutLBA > toc.Tracks.back().StartLBA;
}

int GetCDList(CDDriveList* list) {
  auto& lib = Library();
  if (!list) return lib.Report(nullptr, kCDErrBadRequest);
  const auto drives = lib.Drives();
  const size_t room = std::min<size_t>(list->MaxEntries, kCDMaxDrives);
  const size_t count = std::min(room, drives.size());
  std::memset(list->Entries, 0, sizeof(list->Entries));
  for (size_t i = 0; i < count; ++i) {
    CDDriveEntry& e = list->Entries[i];
    e.HostAdapter = drives[i].address[0];
    e.Target = drives[i].address[1];
    e.Lun = drives[i].address[2];
    const CDDriveIdentity id = drives[i].backend->Identity();
    CopyText(e.Vendor, sizeof(e.Vendor), id.Vendor);
    CopyText(e.Product, sizeof(e.Product), id.Product);
    CopyText(e.Revision, sizeof(e.Revision), id.Revision);
  }
  list->Count = static_cast<uint8_t>(count);
  return lib.Report(nullptr, kCDErrNone);
}

int GetCDHandle(CDHandleRequest* request) {
  auto& lib = Library();
  if (!request) return lib.Report(nullptr, kCDErrBadRequest);
  const uint8_t address[3] = {request->HostAdapter, request->Target, request->Lun};
  auto drive = lib.DriveByAddress(address);
  if (!drive) return lib.Report(nullptr, kCDErrNoDrive);
  int error = kCDErrOpenFailed;
  auto session = drive->Open(&error);
  if (!session) return lib.Report(nullptr, error == kCDErrNone ? kCDErrOpenFailed : error);
  auto handle = std::make_shared<OpenHandle>();
  handle->drive = std::move(drive);
  handle->session = std::move(session);
  const int id = lib.AddHandle(handle);
  lib.Report(handle.get(), kCDErrNone);
  return id;
}

int ModifyCDParms(int handle, int parm, int value) {
  (void)parm;
  (void)value;
  auto& lib = Library();
  auto h = lib.FindHandle(handle);
  return lib.Report(h.get(), h ? kCDErrNone : kCDErrBadHandle);
}

int ReadTOC(int handle, uint8_t* toc) {
  auto& lib = Library();
  if (toc) std::memset(toc, 0, kTOCBufferSize);
  auto h = lib.FindHandle(handle);
  if (!h) return lib.Report(nullptr, kCDErrBadHandle);
  if (!toc) return lib.Report(h.get(), kCDErrBadRequest);
  std::lock_guard lock(h->mutex);
  int error = kCDErrUnreadableDisc;
  const DiscTOC* disc = h->session->TOC(true, &error);
  if (!disc) return lib.Report(h.get(), error == kCDErrNone ? kCDErrUnreadableDisc : error);
  if (!IsPlausibleTOC(*disc)) return lib.Report(h.get(), kCDErrUnreadableDisc);
  EncodeTOC(*disc, toc);
  return lib.Report(h.get(), kCDErrNone);
}

int32_t LastSessionStart(const DiscTOC& toc) {
  if (toc.Tracks.empty()) return 0;
  const int32_t first = toc.Tracks.front().StartLBA;
  const int32_t reported = toc.LastSessionLBA;
  if (reported <= first || reported > toc.Tracks.back().StartLBA) return first;
  // The first track that starts at or after the reported address.
  for (const DiscTrackEntry& track : toc.Tracks)
    if (track.StartLBA >= reported) return track.StartLBA;
  return first;
}

int ReadLastSessionLBA(int handle, int32_t* lba) {
  auto& lib = Library();
  auto h = lib.FindHandle(handle);
  if (!h) return lib.Report(nullptr, kCDErrBadHandle);
  if (!lba) return lib.Report(h.get(), kCDErrBadRequest);
  std::lock_guard lock(h->mutex);
  int error = kCDErrUnreadableDisc;
  const DiscTOC* disc = h->session->TOC(false, &error);
  if (!disc) return lib.Report(h.get(), error == kCDErrNone ? kCDErrUnreadableDisc : error);
  if (!IsPlausibleTOC(*disc)) return lib.Report(h.get(), kCDErrUnreadableDisc);
  *lba = LastSessionStart(*disc);
  return lib.Report(h.get(), kCDErrNone);
}

namespace {

// The read itself, with the handle's session locked.
int ReadLocked(OpenHandle& h, SectorBuffer& buffer) {
  int error = kCDErrUnreadableDisc;
  const DiscTOC* disc = h.session->TOC(false, &error);
  if (!disc) return error == kCDErrNone ? kCDErrUnreadableDisc : error;
  if (!IsPlausibleTOC(*disc)) return kCDErrUnreadableDisc;
  const uint64_t first = buffer.StartSector;
  const uint64_t end = first + buffer.SectorCount;
  if (end > static_cast<uint64_t>(disc->LeadOutLBA)) return kCDErrOutOfRange;
  return h.session->ReadSectors(static_cast<int32_t>(first), static_cast<int32_t>(buffer.SectorCount),
                                buffer.Data());
}

}  // namespace

int ReadCDAudioLBA(int handle, SectorBuffer* buffer) {
  auto& lib = Library();
  auto h = lib.FindHandle(handle);
  if (buffer) {
    buffer->Length = 0;
    buffer->StartOffset = 0;
  }
  int error = kCDErrNone;
  if (!h) {
    error = kCDErrBadHandle;
  } else if (!buffer || static_cast<uint64_t>(buffer->SectorCount) * kCDSectorBytes > buffer->MaxLength) {
    error = kCDErrBadRequest;
  } else if (buffer->SectorCount > 0) {
    std::lock_guard lock(h->mutex);
    error = ReadLocked(*h, *buffer);
  }
  if (buffer) {
    if (error == kCDErrNone) buffer->Length = buffer->SectorCount * kCDSectorBytes;
    buffer->Status = static_cast<uint32_t>(StatusOf(error));
  }
  return lib.Report(h.get(), error);
}

int CloseCDHandle(int handle) {
  auto& lib = Library();
  if (handle == 0) return 0;
  if (!lib.RemoveHandle(handle)) return lib.Report(nullptr, kCDErrBadHandle);
  return lib.Report(nullptr, kCDErrNone);
}

int GetAspiLibError(int handle) {
  auto& lib = Library();
  if (auto h = lib.FindHandle(handle)) return h->lastError.load();
  return lib.LastError();
}

int GetAspiLibAspiError() { return Library().LastStatus(); }

SectorBuffer* AllocSectorBuffer(int sectors) {
  if (sectors < 1 || static_cast<uint64_t>(sectors) * kCDSectorBytes > UINT32_MAX - sizeof(SectorBuffer))
    return nullptr;
  const size_t room = static_cast<size_t>(sectors) * kCDSectorBytes;
  void* block = std::calloc(1, sizeof(SectorBuffer) + room);
  if (!block) return nullptr;
  auto* buffer = static_cast<SectorBuffer*>(block);
  buffer->MaxLength = static_cast<uint32_t>(room);
  return buffer;
}

void FreeSectorBuffer(SectorBuffer* buffer) { std::free(buffer); }

std::string GetDriveToken(int driveIndex) {
  auto drive = Library().DriveAt(driveIndex);
  return drive ? drive->Identity().Token : std::string();
}

bool ProbeDriveAccess(int driveIndex) {
  auto drive = Library().DriveAt(driveIndex);
  return drive && drive->Accessible();
}

namespace {

int MoveTray(int driveIndex, bool open) {
  auto& lib = Library();
  auto drive = lib.DriveAt(driveIndex);
  if (!drive) return lib.Report(nullptr, kCDErrNoDrive);
  return lib.Report(nullptr, drive->SetTray(open));
}

}  // namespace

int OpenDriveTray(int driveIndex) { return MoveTray(driveIndex, true); }
int CloseDriveTray(int driveIndex) { return MoveTray(driveIndex, false); }

int GetDriveMediaStatus(int driveIndex, DriveMediaStatus* status) {
  auto drive = Library().DriveAt(driveIndex);
  if (!drive || !status) return 0;
  *status = drive->PollMedia();
  return 1;
}

int RegisterTestDrive(std::shared_ptr<CDDriveBackend> drive) {
  if (!drive) return 0;
  return Library().Register(std::move(drive));
}

void UnregisterTestDrive(int id) { Library().Unregister(id); }

bool TestDriveRequest(int id, CDHandleRequest* request) {
  return request && Library().TestRequest(id, request);
}
