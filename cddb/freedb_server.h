// The CDDB server the album lookup talks to, and the process-wide list that
// holds it. The list gets one entry at start-up; the lookup takes entry 0.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CArchive;

class CFreeDBServer {
 public:
  CFreeDBServer() = default;
  CFreeDBServer(std::string host, int port, int timeout, int protocol_level)
      : Port(port), Timeout(timeout), Host(std::move(host)), ProtocolLevel(protocol_level) {}

  // Stores Host, Port, Timeout and ProtocolLevel in that order, or loads them.
  void Serialize(CArchive& ar);

  bool operator==(const CFreeDBServer&) const = default;

  int Port = 0;
  int Timeout = 0;  // milliseconds for one exchange
  std::string Host;
  int ProtocolLevel = 0;
};

extern std::vector<CFreeDBServer> ServerList;

inline constexpr const char* kDefaultCDDBHost = "gnudb.gnudb.org";
inline constexpr int kDefaultCDDBPort = 80;
inline constexpr int kDefaultCDDBTimeout = 60000;
inline constexpr int kDefaultCDDBProtocolLevel = 6;
// "host:port" that replaces the default entry's host and port (tests, demo).
inline constexpr const char* kCDDBServerVariable = "QCR_CDDB_SERVER";

// Parses a "host:port" override. On failure returns false and says why in
// `reason`; `host` and `port` are then left unchanged.
bool ParseServerOverride(std::string_view value, std::string& host, int& port, std::string& reason);

// The entry made at start-up: the default remote server, with host and port
// taken from QCR_CDDB_SERVER when it is set and well-formed. A malformed value
// is ignored and `notice`, when given, receives the reason (else it is left
// empty).
CFreeDBServer DefaultFreeDBServer(std::string* notice = nullptr);
