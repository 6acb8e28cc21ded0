// The album objects the disc refresh, the lookup, the album editor and the rip
// share for the whole run, and the one safe way to read and write a disc's
// local cache file.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cddb/cddb_record.h"

// The album of the disc in the drive. The disc worker writes it while the
// window reads it, so once the worker runs every read and write goes through
// the three calls below, which hold one lock for each whole read or change.
extern CCDDBRecord AlbumRecord;
// A copy of AlbumRecord taken in one piece.
CCDDBRecord CopyAlbumRecord();
// Replaces AlbumRecord in one piece.
void SetAlbumRecord(CCDDBRecord record);
// Runs `change` on AlbumRecord under its lock, which is not re-entrant:
// `change` must not call these three itself.
void ChangeAlbumRecord(const std::function<void(CCDDBRecord&)>& change);
// 1 while AlbumRecord holds placeholders rather than looked-up data.
extern std::atomic<int> AlbumInfoIsDefault;
// Disc id of the disc in the drive.
extern uint32_t DiscID;
// Matches of the last remote query.
extern std::vector<CCDDBQueryResult> QueryResults;
// Table of contents of the disc in the drive: one position per track, then the lead-out.
extern std::vector<CCDDBTrackPosition> TrackPositions;
// One full record per query match when the server offered several.
extern std::vector<CCDDBRecord> MatchRecords;
// The server the lookup talks to (host and port from the server list).
extern CCDDBSite CDDBSite;
// The last CDDB failure or notice the client logged.
extern std::string CDDBExceptionText;

// Name of a disc's cache file in the local CDDB folder: "%08x.cddb".
std::string CacheFileName(uint32_t disc_id);

enum class CacheFileStatus {
  Ok,
  CannotOpen,   // missing, unreadable, or (saving) not creatable
  Damaged,      // loading: the file's bytes are not a whole record
  WriteFailed,  // saving: writing, flushing or replacing the file failed
};

struct CacheFileResult {
  CacheFileStatus status = CacheFileStatus::Ok;
  std::string error;  // empty on success

  explicit operator bool() const { return status == CacheFileStatus::Ok; }
};

// Writes `record` to `path` through a temporary file in the same folder that
// replaces `path` only once it is completely on disk, so a failed or
// interrupted save leaves the previous file as it was.
CacheFileResult SaveAlbumRecord(const std::string& path, const CCDDBRecord& record);

// Reads the record in `path` into `record`. On any failure `record` is left
// exactly as it was.
CacheFileResult LoadAlbumRecord(const std::string& path, CCDDBRecord& record);
