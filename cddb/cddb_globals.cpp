// Process-wide album objects and the cache-file load and save.
#include "cddb/cddb_globals.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <utility>

#include "cddb/archive.h"

CCDDBRecord AlbumRecord;
std::atomic<int> AlbumInfoIsDefault{0};
uint32_t DiscID = 0;
std::vector<CCDDBQueryResult> QueryResults;
std::vector<CCDDBTrackPosition> TrackPositions;
std::vector<CCDDBRecord> MatchRecords;
CCDDBSite CDDBSite(1);
std::string CDDBExceptionText;

namespace {

// Creates a new, unique file beside `path` for writing (permissions as for a
// plain new file, subject to the umask). Returns its descriptor or -1.
int CreateTemporaryBeside(const std::string& path, std::string& temp_path) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path = fmt::format("{}.tmp{}-{}", path, static_cast<long>(getpid()), counter++);
    int fd = open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

CacheFileResult Failure(CacheFileStatus status, std::string error) { return {status, std::move(error)}; }

}  // namespace

std::string CacheFileName(uint32_t disc_id) { return fmt::format("{:08x}.cddb", disc_id); }

CacheFileResult SaveAlbumRecord(const std::string& path, const CCDDBRecord& record) {
  std::string temp_path;
  int fd = CreateTemporaryBeside(path, temp_path);
  if (fd < 0)
    return Failure(CacheFileStatus::CannotOpen,
                   fmt::format("Cannot create {}: {}", path, std::strerror(errno)));
  std::FILE* file = fdopen(fd, "wb");
  if (!file) {
    int error = errno;
    close(fd);
    unlink(temp_path.c_str());
    return Failure(CacheFileStatus::CannotOpen,
                   fmt::format("Cannot create {}: {}", path, std::strerror(error)));
  }
  try {
    CArchive ar(file, CArchive::store);
    CCDDBRecord copy = record;  // Serialize also loads, so it takes a non-const record
    copy.Serialize(ar);
    ar.Close();
  } catch (const std::exception& e) {
    unlink(temp_path.c_str());
    return Failure(CacheFileStatus::WriteFailed, fmt::format("Cannot save {}: {}", path, e.what()));
  }
  if (std::rename(temp_path.c_str(), path.c_str()) != 0) {
    int error = errno;
    unlink(temp_path.c_str());
    return Failure(CacheFileStatus::WriteFailed,
                   fmt::format("Cannot replace {}: {}", path, std::strerror(error)));
  }
  return {};
}

CacheFileResult LoadAlbumRecord(const std::string& path, CCDDBRecord& record) {
  CCDDBRecord loaded;
  try {
    CArchive ar(path, CArchive::load);
    try {
      loaded.Serialize(ar);
    } catch (const CArchiveException& e) {
      return Failure(CacheFileStatus::Damaged, fmt::format("Damaged file {}: {}", path, e.what()));
    }
  } catch (const CArchiveException& e) {
    return Failure(CacheFileStatus::CannotOpen, e.what());
  }
  record = std::move(loaded);
  return {};
}
