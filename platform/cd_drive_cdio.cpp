// Drive backends on libcdio: real drives (/dev/sr*) and disc-image drives
// whose disc is an image file (BIN/CUE and the other formats libcdio reads).
//
// libcdio traps this code steers around: its image driver reports success for
// reads past the end (the library bounds reads by the lead-out before they get
// here), ejecting an image handle frees its internals and a later destroy
// aborts (image drives never eject; their tray is virtual), its cue reader
// trusts any sheet (each is checked first), and its default log handler
// writes to stderr (replaced by a quiet one).
#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <set>

#include "platform/cd_drive_backend.h"
#include "platform/cd_drive_cue_sheet.h"

namespace {

void QuietLog(cdio_log_level_t level, const char message[]) {
  (void)level;
  (void)message;
}

void InitCdio() {
  static std::once_flag once;
  std::call_once(once, [] {
    cdio_log_set_handler(QuietLog);
    cdio_init();
  });
}

// Owns a CdIo_t.
struct CdioCloser {
  void operator()(CdIo_t* p) const { cdio_destroy(p); }
};
using CdioPtr = std::unique_ptr<CdIo_t, CdioCloser>;

// The table of contents libcdio reports; false when it makes no sense.
bool ReadCdioTOC(CdIo_t* p, DiscTOC* toc) {
  const track_t first = cdio_get_first_track_num(p);
  const track_t count = cdio_get_num_tracks(p);
  if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0 || first + count - 1 > 99)
    return false;
  DiscTOC out;
  out.FirstTrack = first;
  out.LastTrack = static_cast<uint8_t>(first + count - 1);
  for (int t = first; t <= out.LastTrack; ++t) {
    const auto track = static_cast<track_t>(t);
    const lsn_t lsn = cdio_get_track_lsn(p, track);
    if (lsn == CDIO_INVALID_LSN) return false;
    DiscTrackEntry entry;
    entry.Number = track;
    entry.StartLBA = lsn;
    if (cdio_get_track_format(p, track) != TRACK_FORMAT_AUDIO) entry.Control |= 0x04;
    if (cdio_get_track_copy_permit(p, track) == CDIO_TRACK_FLAG_TRUE) entry.Control |= 0x02;
    if (cdio_get_track_preemphasis(p, track) == CDIO_TRACK_FLAG_TRUE) entry.Control |= 0x01;
    if (cdio_get_track_channels(p, track) == 4) entry.Control |= 0x08;
    out.Tracks.push_back(entry);
  }
  out.LeadOutLBA = cdio_get_track_lsn(p, CDIO_CDROM_LEADOUT_TRACK);
  // Real drives tell where the last session starts; image drivers cannot
  // (their sheets hold one session).
  lsn_t lastSession = CDIO_INVALID_LSN;
  if (cdio_get_last_session(p, &lastSession) == DRIVER_OP_SUCCESS && lastSession != CDIO_INVALID_LSN)
    out.LastSessionLBA = lastSession;
  if (!IsPlausibleTOC(out)) return false;
  *toc = std::move(out);
  return true;
}

int ReadCdioSectors(CdIo_t* p, int32_t lba, int32_t count, uint8_t* dst) {
  if (!p) return kCDErrNoDisc;
  return cdio_read_audio_sectors(p, dst, lba, static_cast<uint32_t>(count)) == DRIVER_OP_SUCCESS
             ? kCDErrNone
             : kCDErrReadFailed;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// ---- Image drives ----------------------------------------------------------

driver_id_t ImageDriver(const std::string& path) {
  auto endsWith = [&](const char* ext) {
    const size_t n = std::strlen(ext);
    if (path.size() < n) return false;
    return strcasecmp(path.c_str() + path.size() - n, ext) == 0;
  };
  if (endsWith(".cue")) return DRIVER_BINCUE;
  if (endsWith(".toc")) return DRIVER_CDRDAO;
  if (endsWith(".nrg")) return DRIVER_NRG;
  return DRIVER_UNKNOWN;
}

// libcdio's cue reader takes the disc data from the file named like the cue
// sheet (x.cue -> x.bin) and ignores the sheet's FILE line. It also trusts
// the sheet (see cd_drive_cue_sheet.h). So a sheet is read once and checked,
// and libcdio opens that checked copy from a private folder, beside a link
// named like it to the data file the sheet's FILE names: it never reads a
// sheet that was not checked, nor one changed after its check.
class CueFolder {
 public:
  // Null when the sheet fails its check or the folder cannot be made.
  static std::unique_ptr<CueFolder> For(const std::string& cuePath) {
    const std::optional<CheckedCueSheet> sheet = ReadCheckedCueSheet(cuePath);
    if (!sheet) return nullptr;
    std::string folder = (std::filesystem::temp_directory_path() / "qcr-cue-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) return nullptr;
    auto made = std::unique_ptr<CueFolder>(new CueFolder(folder));
    std::ofstream out(made->Cue(), std::ios::binary);
    out << sheet->text;
    out.close();
    if (!out) return nullptr;
    std::error_code error;
    std::filesystem::create_symlink(std::filesystem::absolute(sheet->dataFile, error), folder + "/disc.bin",
                                    error);
    return error ? nullptr : std::move(made);
  }
  ~CueFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  CueFolder(const CueFolder&) = delete;
  CueFolder& operator=(const CueFolder&) = delete;
  std::string Cue() const { return folder_ + "/disc.cue"; }

 private:
  explicit CueFolder(std::string folder) : folder_(std::move(folder)) {}
  std::string folder_;
};

// What identifies the image file: a new file, a rewrite or a removal changes it.
struct FileSignature {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t mtimeNs = 0;
  bool operator==(const FileSignature&) const = default;
};

FileSignature SignatureOf(const std::string& path) {
  FileSignature sig;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return sig;
  sig.exists = true;
  sig.device = st.st_dev;
  sig.inode = st.st_ino;
  sig.size = st.st_size;
  sig.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return sig;
}

class ImageDrive : public CDDriveBackend, public std::enable_shared_from_this<ImageDrive> {
 public:
  explicit ImageDrive(std::string path) : path_(std::move(path)) {}

  CDDriveIdentity Identity() const override { return {path_, "QCR", "Disc image", "1.0"}; }
  std::unique_ptr<CDDriveSession> Open(int* error) override;
  int SetTray(bool open) override {
    tray_.Set(open);
    return kCDErrNone;
  }
  DriveMediaStatus PollMedia() override {
    std::lock_guard lock(mutex_);
    const FileSignature now = SignatureOf(path_);
    if (!(now == last_)) {
      if (polled_) ++fileChanges_;
      last_ = now;
    }
    polled_ = true;
    DriveMediaStatus status;
    status.Present = now.exists && !tray_.IsOpen();
    status.ChangeCount = fileChanges_ + tray_.Changes();
    return status;
  }
  bool Accessible() const override {
    const size_t slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
    return ::access(folder.c_str(), R_OK | X_OK) == 0;
  }
  const std::string& Path() const { return path_; }

 private:
  const std::string path_;
  VirtualTray tray_;
  std::mutex mutex_;
  FileSignature last_;
  bool polled_ = false;
  uint32_t fileChanges_ = 0;
};

class ImageSession : public CDDriveSession {
 public:
  explicit ImageSession(std::shared_ptr<ImageDrive> drive) : drive_(std::move(drive)) {}

  const DiscTOC* TOC(bool reread, int* error) override {
    (void)reread;  // an image changes only as its file does, which Sync notices
    Sync();
    if (!cdio_) {
      *error = error_;
      return nullptr;
    }
    return &toc_;
  }
  int ReadSectors(int32_t lba, int32_t count, uint8_t* dst) override {
    return ReadCdioSectors(cdio_.get(), lba, count, dst);
  }

 private:
  // Reopens the image when the medium changed since the last look.
  void Sync() {
    const DriveMediaStatus status = drive_->PollMedia();
    if (synced_ && status.ChangeCount == generation_) return;
    synced_ = true;
    generation_ = status.ChangeCount;
    cdio_.reset();
    cueFolder_.reset();
    if (!status.Present) {
      error_ = kCDErrNoDisc;
      return;
    }
    InitCdio();
    const driver_id_t driver = ImageDriver(drive_->Path());
    if (driver == DRIVER_BINCUE) cueFolder_ = CueFolder::For(drive_->Path());
    CdioPtr p;
    if (driver != DRIVER_BINCUE)
      p.reset(cdio_open(drive_->Path().c_str(), driver));
    else if (cueFolder_)
      p.reset(cdio_open(cueFolder_->Cue().c_str(), driver));
    if (!p || !ReadCdioTOC(p.get(), &toc_)) {
      error_ = FileExists(drive_->Path()) ? kCDErrUnreadableDisc : kCDErrNoDisc;
      return;
    }
    cdio_ = std::move(p);
  }

  std::shared_ptr<ImageDrive> drive_;
  std::unique_ptr<CueFolder> cueFolder_;  // outlives cdio_, which reads through it
  CdioPtr cdio_;
  DiscTOC toc_;
  bool synced_ = false;
  uint32_t generation_ = 0;
  int error_ = kCDErrNoDisc;
};

std::unique_ptr<CDDriveSession> ImageDrive::Open(int* error) {
  *error = kCDErrNone;
  return std::make_unique<ImageSession>(shared_from_this());
}

// ---- Real drives -----------------------------------------------------------

class DeviceDrive : public CDDriveBackend {
 public:
  explicit DeviceDrive(std::string path) : path_(std::move(path)) { ReadIdentity(); }

  CDDriveIdentity Identity() const override { return identity_; }
  bool ScsiAddress(uint8_t address[3]) const override;
  std::unique_ptr<CDDriveSession> Open(int* error) override;
  int SetTray(bool open) override {
    InitCdio();
    driver_id_t driver = DRIVER_DEVICE;
    const driver_return_code_t rc =
        open ? cdio_eject_media_drive(path_.c_str()) : cdio_close_tray(path_.c_str(), &driver);
    return rc == DRIVER_OP_SUCCESS ? kCDErrNone : kCDErrTrayFailed;
  }
  DriveMediaStatus PollMedia() override {
    bool present = false;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd >= 0) {
      present = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT) == CDS_DISC_OK;
      ::close(fd);
    }
    std::lock_guard lock(mutex_);
    if (polled_ && present != present_) ++changes_;
    polled_ = true;
    present_ = present;
    return {present ? 1 : 0, changes_};
  }
  bool Accessible() const override {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return false;
    ::close(fd);
    return true;
  }
  const std::string& Path() const { return path_; }

 private:
  void ReadIdentity() {
    identity_.Token = path_;
    InitCdio();
    CdioPtr p(cdio_open(path_.c_str(), DRIVER_DEVICE));
    cdio_hwinfo_t hw{};
    if (p && cdio_get_hwinfo(p.get(), &hw)) {
      identity_.Vendor = hw.psz_vendor;
      identity_.Product = hw.psz_model;
      identity_.Revision = hw.psz_revision;
    }
  }

  const std::string path_;
  CDDriveIdentity identity_;
  std::mutex mutex_;
  bool polled_ = false;
  bool present_ = false;
  uint32_t changes_ = 0;
};

// The drive's H:C:T:L from sysfs; the channel is not part of the address.
bool DeviceDrive::ScsiAddress(uint8_t address[3]) const {
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0 || !S_ISBLK(st.st_mode)) return false;
  const std::string link = "/sys/dev/block/" + std::to_string(major(st.st_rdev)) + ":" +
                           std::to_string(minor(st.st_rdev)) + "/device";
  char target[PATH_MAX];
  const ssize_t n = ::readlink(link.c_str(), target, sizeof(target) - 1);
  if (n <= 0) return false;
  target[n] = '\0';
  const char* name = std::strrchr(target, '/');
  unsigned h = 0, c = 0, t = 0, l = 0;
  if (std::sscanf(name ? name + 1 : target, "%u:%u:%u:%u", &h, &c, &t, &l) != 4) return false;
  if (h > 0xFF || t > 0xFF || l > 0xFF) return false;
  address[0] = static_cast<uint8_t>(h);
  address[1] = static_cast<uint8_t>(t);
  address[2] = static_cast<uint8_t>(l);
  return true;
}

class DeviceSession : public CDDriveSession {
 public:
  explicit DeviceSession(std::string path) : path_(std::move(path)) {}

  // A real drive's disc may change at any time; every explicit read of the
  // table of contents reopens the device so libcdio forgets the old disc.
  const DiscTOC* TOC(bool reread, int* error) override {
    if (cdio_ && !reread) return &toc_;
    cdio_.reset();
    InitCdio();
    CdioPtr p(cdio_open(path_.c_str(), DRIVER_DEVICE));
    if (!p || !ReadCdioTOC(p.get(), &toc_)) {
      *error = kCDErrNoDisc;
      return nullptr;
    }
    cdio_ = std::move(p);
    return &toc_;
  }
  int ReadSectors(int32_t lba, int32_t count, uint8_t* dst) override {
    return ReadCdioSectors(cdio_.get(), lba, count, dst);
  }

 private:
  const std::string path_;
  CdioPtr cdio_;
  DiscTOC toc_;
};

std::unique_ptr<CDDriveSession> DeviceDrive::Open(int* error) {
  if (!Accessible()) {
    *error = kCDErrOpenFailed;
    return nullptr;
  }
  *error = kCDErrNone;
  return std::make_unique<DeviceSession>(path_);
}

}  // namespace

std::shared_ptr<CDDriveBackend> MakeImageDrive(const std::string& imagePath) {
  return std::make_shared<ImageDrive>(imagePath);
}

std::shared_ptr<CDDriveBackend> MakeDeviceDrive(const std::string& devicePath) {
  return std::make_shared<DeviceDrive>(devicePath);
}

std::vector<std::string> FindDeviceDrives() {
  InitCdio();
  std::vector<std::string> found;
  std::set<std::string> seen;
  char** devices = cdio_get_devices(DRIVER_DEVICE);
  if (!devices) return found;  // no drive at all
  for (char** d = devices; *d && found.size() < kCDMaxDrives; ++d) {
    char* real = ::realpath(*d, nullptr);
    const std::string key = real ? real : *d;
    std::free(real);
    if (seen.insert(key).second) found.push_back(*d);
  }
  cdio_free_device_list(devices);
  return found;
}
