// The album lookup: local cache file, CDDB server, placeholders.
#include "app/album_lookup.h"

#include <fmt/printf.h>

#include <stdexcept>
#include <utility>

#include "app/album_defaults.h"
#include "app/disc_worker.h"
#include "app/main_window_port.h"
#include "app/settings.h"
#include "cddb/cddb.h"
#include "cddb/cddb_globals.h"
#include "cddb/freedb_server.h"
#include "platform/folders.h"

namespace {

void SaveLocalAlbumInfo(MainWindowPort& port) {
  if (!PathFileExists(LocalCDDBDir)) CreateFolderPath(LocalCDDBDir);
  if (SaveAlbumRecord(LocalAlbumPath(), CopyAlbumRecord())) {
    port.AddLog("Local CDDB file saved.", LogInfo);
  } else {
    port.AddLog("Fail to save local CDDB file!", LogError);
  }
}

}  // namespace

void LookupCDDBHost::AddLog(const std::string& text, int level) { port_.AddLog(text, level); }

void LookupCDDBHost::ClearCDDBResults() { ::ClearCDDBResults(); }

void LookupCDDBHost::MessageBox(const std::string& text) { port_.AddLog(text, LogInfo); }

void PrepareCDDBClient() {
  if (ServerIndex < 0 || static_cast<size_t>(ServerIndex) >= ServerList.size())
    throw std::runtime_error("no CDDB server is set up");
  const CFreeDBServer& server = ServerList[static_cast<size_t>(ServerIndex)];
  CDDBSite.Host = server.Host;
  CDDBSite.Port = server.Port;
  CDDBClient.SetProtocolLevel(server.ProtocolLevel);
  CDDBClient.SetHelloHost(server.Host);
  CDDBClient.Timeout = server.Timeout;
  CDDBClient.ClientName = CDDBClientName;
  CDDBClient.ClientVersion = CDDBClientVersion;
  // No proxy is ever configured: the client connects to the server itself.
  CDDBClient.ProxyHost = UseProxy ? std::string(ProxyHost) : std::string();
  CDDBClient.ProxyPort = ProxyPort;
  CDDBClient.ProxyUser = UseProxy && ProxyAuth ? std::string(ProxyUser) : std::string();
  CDDBClient.ProxyPassword = UseProxy && ProxyAuth ? std::string(ProxyPassword) : std::string();
  CDDBClient.SetHelloUser(kHelloUser);
}

std::string LocalAlbumPath() { return LocalCDDBDir + kPathSeparator + CacheFileName(DiscID); }

int LoadLocalAlbumInfo(MainWindowPort& port) {
  if (!PathFileExists(LocalCDDBDir)) {
    port.AddLog("Local CDDB directory " + LocalCDDBDir + " not found", LogError);
    return 0;
  }
  const std::string path = LocalAlbumPath();
  if (!PathFileExists(path)) {
    port.AddLog("Local CDDB file " + path + " not found", LogError);
    return 0;
  }
  CCDDBRecord loaded;
  const CacheFileResult result = LoadAlbumRecord(path, loaded);
  if (result.status == CacheFileStatus::Damaged) throw std::runtime_error(result.error);
  if (!result) return 0;
  SetAlbumRecord(std::move(loaded));
  return 1;
}

void LookupRemoteAlbumInfo(MainWindowPort& port, MatchChooser& chooser, std::stop_token stop) {
  // A stop (the program ends) drops the exchange in progress at once rather
  // than after the server's time-out; the client then fails as it does on a
  // socket error, so nothing of this lookup is kept or cached.
  CDDBClient.SetStopToken(stop);
  struct StopReset {
    ~StopReset() { CDDBClient.SetStopToken({}); }
  } stopReset;
  port.AddLog("Querying CD album information from FreeDB server...", LogInfo);
  port.AddLog(fmt::sprintf("ServerURL: %s%s Port: %d", CDDBSite.Host, CDDBSite.Address, CDDBSite.Port),
              LogInfo);
  CDDBClient.Query(CDDBSite, DiscID, TrackPositions, QueryResults);
  // The client throws when the server knows no match; an empty list that got
  // through anyway is no album either.
  if (QueryResults.empty()) throw std::runtime_error("the server returned no match");
  port.AddLog("Retrieved the following matches for the inserted audio CD.", LogInfo);
  MatchRecords.clear();

  // Copies: the client empties QueryResults when a read fails.
  const std::vector<CCDDBQueryResult> results = QueryResults;
  if (results.size() > 1) {
    for (const CCDDBQueryResult& r : results) {
      port.AddLog(fmt::sprintf("Retrieving %08x, %s  %s %s ...", r.DiscID, r.Title, r.Artist, r.Category),
                  LogInfo);
      CCDDBRecord record;
      CDDBClient.Read(CDDBSite, r.DiscID, r.Category, record);
      MatchRecords.push_back(std::move(record));
    }
    const std::optional<size_t> choice = chooser.ChooseMatch(MatchRecords, stop);
    if (!choice) throw std::runtime_error("no match was chosen");
    SetAlbumRecord(MatchRecords.at(*choice));
  } else {
    const CCDDBQueryResult& r = results.front();
    port.AddLog(fmt::sprintf("%08x, %s  %s %s", r.DiscID, r.Title, r.Artist, r.Category), LogInfo);
    port.AddLog("FreeDB information available.", LogInfo);
    CCDDBRecord record;
    CDDBClient.Read(CDDBSite, r.DiscID, r.Category, record);
    SetAlbumRecord(std::move(record));
  }

  if (SaveAlbumInfo) SaveLocalAlbumInfo(port);
}

void LookupAlbum(MainWindowPort& port, MatchChooser& chooser, std::stop_token stop) {
  LookupCDDBHost host(port);
  CDDBClient.SetHost(&host);
  struct HostReset {
    ~HostReset() { CDDBClient.SetHost(nullptr); }
  } reset;
  PrepareCDDBClient();

  switch (AlbumInfoSource) {
    case 1:
      LookupRemoteAlbumInfo(port, chooser, stop);
      break;
    case 2:
      if (LoadLocalAlbumInfo(port)) {
        port.AddLog("Local CDDB loaded.", LogInfo);
      } else {
        port.AddLog("Fail to load local CDDB", LogError);
        ClearCDDBResults();
        LookupOnRefresh = 0;
        SetAlbumDefaults();
      }
      break;
    default:
      // Any other value counts as 0: a new disc must never keep the album of
      // the disc read before it.
      if (LoadLocalAlbumInfo(port)) {
        port.AddLog("Local CDDB loaded.", LogInfo);
      } else {
        port.AddLog("Fail to load local CDDB, try remote FreeDB server.", LogError);
        ClearCDDBResults();
        LookupRemoteAlbumInfo(port, chooser, stop);
      }
      break;
  }
}
