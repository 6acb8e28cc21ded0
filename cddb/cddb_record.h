// The plain data of the CDDB client: a position on the disc, one match of a
// query, one full disc record (which is also the album data of the disc in the
// drive and the content of the local cache file) and the address of a server.
// Text is UTF-8; the cache file stores it as UTF-16LE (see cddb/archive.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CArchive;

// One absolute disc address as the drive's table of contents reports it.
// A disc is described by one position per track plus the lead-out last.
struct CCDDBTrackPosition {
  int Minute = 0;
  int Second = 0;  // 0-59
  int Frame = 0;   // 75 per second, 0-74

  bool operator==(const CCDDBTrackPosition&) const = default;
};

// One match returned by a CDDB query.
struct CCDDBQueryResult {
  std::string Category;
  uint32_t DiscID = 0;
  std::string Artist;
  std::string Title;

  bool operator==(const CCDDBQueryResult&) const = default;
};

// One full disc record: the parsed xmcd text, the album being ripped and the
// content of a "%08x.cddb" cache file.
class CCDDBRecord {
 public:
  CCDDBRecord() = default;

  // Stores the record when `ar` is storing, else loads it, overwriting each
  // field as it is read. Damaged input throws CArchiveException; the fields
  // read before the failure keep their new values (use LoadAlbumRecord in
  // cddb/cddb_globals.h to load all-or-nothing).
  void Serialize(CArchive& ar);

  bool operator==(const CCDDBRecord&) const = default;

  std::vector<int> TrackOffsets;  // start of each track, in frames
  int DiscLength = 0;             // seconds
  int Revision = 0;
  std::string SubmittedViaClient;
  std::string SubmittedViaVersion;
  std::string SubmittedViaComment;
  uint32_t DiscID = 0;
  std::string Artist;
  std::string Title;
  std::vector<std::string> TrackTitles;        // TTITLEn at index n
  std::string ExtendedData;                    // EXTD
  std::vector<std::string> ExtendedTrackData;  // EXTTn at index n
  std::vector<int> PlayOrder;
  int Year = 0;
  std::string Genre;
};

// The address of one CDDB server. Fields after Address are filled only by the
// server-list parser.
struct CCDDBSite {
  static constexpr const char* kQueryPath = "/~cddb/cddb.cgi";
  static constexpr const char* kSubmitPath = "/~cddb/submit.cgi";

  // A non-zero flag makes a site for queries, zero one for submissions.
  explicit CCDDBSite(int query = 1) : Address(query ? kQueryPath : kSubmitPath) {}

  bool operator==(const CCDDBSite&) const = default;

  std::string Host;
  int Port = 80;
  std::string Address;  // path of the server's CGI program
  int North = 1;        // 1 northern latitude, 0 southern
  int Latitude = 0;     // minutes of arc
  int East = 1;         // 1 eastern longitude, 0 western
  int Longitude = 0;    // minutes of arc
  std::string Description;
  std::string Protocol;
};
