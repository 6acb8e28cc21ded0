// A small CDDB server on 127.0.0.1 for tests and the demo. It answers the
// HTTP/1.0 "cmd=cddb+query" and "cmd=cddb+read" requests from a folder of xmcd
// records laid out as <folder>/<category>/<discid>, one connection at a time,
// and can misbehave on demand: split its replies at chosen bytes, trickle
// them a byte at a time, leave out the list terminator, close early, stall,
// or answer with a chosen status.
#pragma once

#include <atomic>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// How the server answers the connections that come after SetBehaviour. The
// byte offsets count from the first byte of the HTTP status line.
struct CddbServerBehaviour {
  int status = 0;                 // answer with a reply of this status (0: from the records)
  std::string rawReply;           // when not empty: sent as it is, headers included
  bool terminator = true;         // false: lists and records lack their closing ".\r\n" line
  std::vector<size_t> splitAt;    // send the reply in pieces cut at these offsets ...
  int pauseMs = 20;               // ... pausing this long between them so they arrive apart
  int trickleMs = 0;              // > 0: send one byte at a time, this long apart
  std::optional<size_t> closeAt;  // send only this many bytes, then close
  std::optional<size_t> stallAt;  // after this many bytes (or all sent), hold the connection open ...
  int stallMs = 0;                // ... this long, or until the client hangs up
  size_t matchCopies = 1;         // a query lists every match this many times (a huge list)
};

class CddbLoopbackServer {
 public:
  explicit CddbLoopbackServer(std::string recordsFolder);
  ~CddbLoopbackServer();
  CddbLoopbackServer(const CddbLoopbackServer&) = delete;
  CddbLoopbackServer& operator=(const CddbLoopbackServer&) = delete;

  // Binds 127.0.0.1 on `port` (0: a free one) and starts serving on a thread
  // of its own. Throws std::runtime_error when the socket cannot be set up.
  void Start(int port = 0);
  // Stops serving; a stalled connection is let go at once.
  void Stop();

  int Port() const { return port_; }
  void SetBehaviour(const CddbServerBehaviour& behaviour);

  // Every request received so far, as its raw bytes up to the blank line.
  std::vector<std::string> Requests() const;
  size_t RequestCount() const;

  // The whole reply (headers and body) the server gives to one raw request,
  // without any misbehaviour.
  std::string Answer(const std::string& request, int forcedStatus = 0, bool terminator = true,
                     size_t matchCopies = 1) const;

 private:
  struct Match {
    std::string category;
    std::string text;  // the record file as stored
  };

  void Serve();
  void HandleConnection(int client);
  bool ReadRequest(int client, std::string& request);
  void SendReply(int client, const std::string& reply, const CddbServerBehaviour& behaviour);
  bool Wait(int client, int ms);  // false when the client hung up or the server stops

  std::vector<Match> FindRecords(const std::string& discId) const;
  std::string QueryBody(const std::string& discId, int status, bool terminator, size_t copies) const;
  std::string ReadBody(const std::string& category, const std::string& discId, int status,
                       bool terminator) const;

  std::string folder_;
  int listen_ = -1;
  int wake_[2] = {-1, -1};
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  mutable std::mutex mutex_;
  CddbServerBehaviour behaviour_;
  std::vector<std::string> requests_;
};
