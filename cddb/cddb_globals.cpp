// Process-wide album objects and the cache-file load and save.
#include "cddb/cddb_globals.h"

#include <fmt/format.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <utility>

#include "cddb/archive.h"
#include "platform/replace_file.h"

CCDDBRecord AlbumRecord;
std::atomic<int> AlbumInfoIsDefault{0};
uint32_t DiscID = 0;
std::vector<CCDDBQueryResult> QueryResults;
std::vector<CCDDBTrackPosition> TrackPositions;
std::vector<CCDDBRecord> MatchRecords;
CCDDBSite CDDBSite(1);
std::string CDDBExceptionText;

namespace {

std::mutex AlbumRecordMutex;

CacheFileResult Failure(CacheFileStatus status, std::string error) { return {status, std::move(error)}; }

}  // namespace

CCDDBRecord CopyAlbumRecord() {
  std::lock_guard lock(AlbumRecordMutex);
  return AlbumRecord;
}

void SetAlbumRecord(CCDDBRecord record) {
  std::lock_guard lock(AlbumRecordMutex);
  AlbumRecord = std::move(record);
}

void ChangeAlbumRecord(const std::function<void(CCDDBRecord&)>& change) {
  std::lock_guard lock(AlbumRecordMutex);
  change(AlbumRecord);
}

std::string CacheFileName(uint32_t disc_id) { return fmt::format("{:08x}.cddb", disc_id); }

CacheFileResult SaveAlbumRecord(const std::string& path, const CCDDBRecord& record) {
  CArchive ar;  // the bytes are collected first, so a failed write never tears the file
  try {
    CCDDBRecord copy = record;  // Serialize also loads, so it takes a non-const record
    copy.Serialize(ar);
    ar.Close();
  } catch (const std::exception& e) {
    return Failure(CacheFileStatus::WriteFailed, fmt::format("Cannot save {}: {}", path, e.what()));
  }
  const std::vector<uint8_t>& bytes = ar.Bytes();
  const ReplaceFileResult result =
      ReplaceFileContents(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  switch (result.failed) {
    case ReplaceFileResult::None:
      return {};
    case ReplaceFileResult::Create:
      return Failure(CacheFileStatus::CannotOpen,
                     fmt::format("Cannot create {}: {}", path, std::strerror(result.error)));
    case ReplaceFileResult::Write:
      return Failure(CacheFileStatus::WriteFailed,
                     fmt::format("Cannot save {}: {}", path, std::strerror(result.error)));
    case ReplaceFileResult::Replace:
      break;
  }
  return Failure(CacheFileStatus::WriteFailed,
                 fmt::format("Cannot replace {}: {}", path, std::strerror(result.error)));
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
  } catch (const std::bad_alloc&) {
    return Failure(CacheFileStatus::Damaged, fmt::format("Cannot load {}: not enough memory", path));
  }
  record = std::move(loaded);
  return {};
}
