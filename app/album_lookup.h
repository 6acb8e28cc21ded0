// The album lookup of a refreshed audio disc: from the disc's local cache
// file, from the CDDB server, or placeholders, as the AlbumInfoSource setting
// says. A remote result is written to the local cache while SaveAlbumInfo is
// set. Everything here runs on the disc worker; when the server offers several
// matches, a MatchChooser lets the user pick one (on the GUI thread, while the
// worker waits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "cddb/cddb_host.h"
#include "cddb/cddb_record.h"

class MainWindowPort;

// The server list entry the lookup talks to: always the first.
inline constexpr int16_t ServerIndex = 0;
// How the client names itself to the server.
inline constexpr const char* CDDBClientName = "DerODIZ";
inline constexpr const char* CDDBClientVersion = "1.28";
// The hello user: "auto" is the login name of the user running the program.
inline constexpr const char* kHelloUser = "auto";

// Lets the user pick one of several matches of the server.
class MatchChooser {
 public:
  virtual ~MatchChooser() = default;
  // Called on the disc worker with the full record of every match, in the
  // server's order. Returns the index of the match to take (Cancel takes 0),
  // or nothing once nobody can answer any more: `stop` was requested while
  // waiting, or the window that asks has gone. Must not wait past a stop.
  virtual std::optional<size_t> ChooseMatch(const std::vector<CCDDBRecord>& matches,
                                            std::stop_token stop) = 0;
};

// What the CDDB client reports during a lookup: its log lines go to the
// window's event log, a failure empties the lookup results.
class LookupCDDBHost : public ICDDBHost {
 public:
  explicit LookupCDDBHost(MainWindowPort& port) : port_(port) {}
  void AddLog(const std::string& text, int level) override;
  void ClearCDDBResults() override;
  // Only a submission answers with a message, and the lookup submits nothing:
  // the text is logged rather than shown from the worker thread.
  void MessageBox(const std::string& text) override;

 private:
  MainWindowPort& port_;
};

// Sets CDDBSite and the client up from ServerList[ServerIndex]: host and
// port, protocol level, hello host and user, time-out, client name and
// version. The client always connects directly. Throws std::runtime_error
// when the server list holds no such entry.
void PrepareCDDBClient();

// The cache file of the disc in the drive: LocalCDDBDir + "/%08x.cddb".
std::string LocalAlbumPath();

// Loads the disc's cache file into AlbumRecord: 1 when loaded, 0 when the
// folder or the file is missing (each logged) or the file cannot be opened.
// A damaged file throws std::runtime_error and leaves AlbumRecord as it was.
int LoadLocalAlbumInfo(MainWindowPort& port);

// Asks the server for the disc's matches and reads the one to keep into
// AlbumRecord: the only one, or the one `chooser` returns when there are
// several. Saves the result to the cache file while SaveAlbumInfo is set.
// A server or network failure propagates as the client's CCDDBException; a
// chooser that gives up throws std::runtime_error. A stop requested through
// `stop` ends a request in progress at once (ECANCELED from the client).
void LookupRemoteAlbumInfo(MainWindowPort& port, MatchChooser& chooser, std::stop_token stop);

// The lookup of a refresh that found an audio disc, by AlbumInfoSource:
// 0 (and any value outside 0-2) the cache, then the server; 1 the server
// only; 2 the cache only, with placeholders when it has no file. Prepares the
// client first. A failure throws and leads to the refresh's retry without a
// lookup.
void LookupAlbum(MainWindowPort& port, MatchChooser& chooser, std::stop_token stop);
