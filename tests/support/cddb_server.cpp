// The loopback CDDB server: see cddb_server.h.
#include "tests/support/cddb_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxRequest = 64 * 1024;
constexpr const char* kHeaders =
    "HTTP/1.0 200 OK\r\nServer: qcr-cddb-server\r\nContent-Type: text/plain\r\n\r\n";
constexpr const char* kListEnd = ".\r\n";

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

// A CDDB word that may become part of a path: no dots, no slashes.
bool IsSafeWord(const std::string& word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
  });
}

bool IsDiscId(const std::string& word) {
  return word.size() == 8 && std::all_of(word.begin(), word.end(), [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

std::string ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The record's lines with CR LF endings, the last one ended too.
std::string WithCrLf(const std::string& text) {
  std::string out;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out += line + "\r\n";
  }
  return out;
}

// The disc title of a record: its DTITLE values joined.
std::string DiscTitle(const std::string& record) {
  std::string title;
  std::string line;
  std::istringstream in(record);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("DTITLE=", 0) == 0) title += line.substr(7);
  }
  return title;
}

std::string StatusLine(int status, const std::string& words) {
  switch (status) {
    case 401:
      return "401 " + words + " No such CD entry in database.\r\n";
    case 403:
      return "403 Database entry is corrupt.\r\n";
    case 409:
      return "409 No handshake.\r\n";
    case 500:
      return "500 Command syntax error, command unknown, command unimplemented.\r\n";
    default:
      return std::to_string(status) + " Server error.\r\n";
  }
}

// The words of "cmd=" split at "+", or nothing when the request holds none.
std::vector<std::string> CommandWords(const std::string& request) {
  std::string line = request.substr(0, request.find("\r\n"));
  std::vector<std::string> words = Split(line, ' ');
  if (words.size() < 2 || words[0] != "GET") return {};
  std::string target = words[1];
  if (target.rfind("http://", 0) == 0) {  // a request sent to a proxy names the host
    size_t path = target.find('/', 7);
    target = path == std::string::npos ? "/" : target.substr(path);
  }
  size_t question = target.find('?');
  if (question == std::string::npos) return {};
  for (const std::string& parameter : Split(target.substr(question + 1), '&')) {
    if (parameter.rfind("cmd=", 0) == 0) return Split(parameter.substr(4), '+');
  }
  return {};
}

}  // namespace

CddbLoopbackServer::CddbLoopbackServer(std::string recordsFolder) : folder_(std::move(recordsFolder)) {}

CddbLoopbackServer::~CddbLoopbackServer() { Stop(); }

void CddbLoopbackServer::Start(int port) {
  if (::pipe2(wake_, O_CLOEXEC) != 0) throw std::runtime_error("pipe: " + std::string(strerror(errno)));
  listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_ < 0) throw std::runtime_error("socket: " + std::string(strerror(errno)));
  int on = 1;
  ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(listen_, 16) != 0) {
    throw std::runtime_error("bind/listen: " + std::string(strerror(errno)));
  }
  socklen_t size = sizeof(address);
  ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

void CddbLoopbackServer::Stop() {
  stopping_ = true;
  if (wake_[1] >= 0) {
    char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(wake_[1], &byte, 1);
  }
  if (thread_.joinable()) thread_.join();
  for (int* fd : {&listen_, &wake_[0], &wake_[1]}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

void CddbLoopbackServer::SetBehaviour(const CddbServerBehaviour& behaviour) {
  std::lock_guard lock(mutex_);
  behaviour_ = behaviour;
}

std::vector<std::string> CddbLoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

size_t CddbLoopbackServer::RequestCount() const {
  std::lock_guard lock(mutex_);
  return requests_.size();
}

void CddbLoopbackServer::Serve() {
  while (!stopping_) {
    pollfd fds[2] = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents) return;
    if (!(fds[0].revents & POLLIN)) continue;
    int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    HandleConnection(client);
    ::close(client);
  }
}

void CddbLoopbackServer::HandleConnection(int client) {
  int on = 1;
  ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
  std::string request;
  if (!ReadRequest(client, request)) return;
  CddbServerBehaviour behaviour;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    behaviour = behaviour_;
  }
  std::string reply = behaviour.rawReply.empty()
                          ? Answer(request, behaviour.status, behaviour.terminator, behaviour.matchCopies)
                          : behaviour.rawReply;
  SendReply(client, reply, behaviour);
}

bool CddbLoopbackServer::ReadRequest(int client, std::string& request) {
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos) {
    if (request.size() > kMaxRequest) return false;
    pollfd fds[2] = {{client, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    int ready = ::poll(fds, 2, 10000);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || fds[1].revents) return false;  // silent client, or stopping
    ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    request.append(buffer, static_cast<size_t>(got));
  }
  request.resize(request.find("\r\n\r\n") + 4);
  return true;
}

bool CddbLoopbackServer::Wait(int client, int ms) {
  pollfd fds[2] = {{client, POLLIN, 0}, {wake_[0], POLLIN, 0}};
  int ready = ::poll(fds, 2, ms);
  if (ready < 0) return errno == EINTR;
  if (ready == 0) return true;
  if (fds[1].revents) return false;  // the server stops
  if (fds[0].revents & (POLLHUP | POLLERR)) return false;
  if (fds[0].revents & POLLIN) {
    // Readable after the request means end of stream: the client hung up.
    char byte;
    return ::recv(client, &byte, 1, MSG_PEEK | MSG_DONTWAIT) > 0;
  }
  return true;
}

void CddbLoopbackServer::SendReply(int client, const std::string& reply, const CddbServerBehaviour& b) {
  size_t limit = std::min(reply.size(), b.closeAt.value_or(reply.size()));
  std::vector<size_t> cuts;
  for (size_t cut : b.splitAt) {
    if (cut > 0 && cut < limit) cuts.push_back(cut);
  }
  for (size_t cut = 1; b.trickleMs > 0 && cut < limit; ++cut) cuts.push_back(cut);
  const int pauseMs = b.trickleMs > 0 ? b.trickleMs : b.pauseMs;
  // A stall past the end of what is sent holds the connection after it.
  const size_t stallAt = std::min(b.stallAt.value_or(limit), limit);
  if (b.stallAt) cuts.push_back(stallAt);
  cuts.push_back(limit);
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  size_t sent = 0;
  for (size_t cut : cuts) {
    while (sent < cut) {
      ssize_t n = ::send(client, reply.data() + sent, cut - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;  // the client has gone
      sent += static_cast<size_t>(n);
    }
    bool stall = b.stallAt && cut == stallAt;
    if (stall && !Wait(client, b.stallMs)) return;
    if (!stall && cut < limit && !Wait(client, pauseMs)) return;
  }
}

std::string CddbLoopbackServer::Answer(const std::string& request, int forcedStatus, bool terminator,
                                       size_t matchCopies) const {
  std::vector<std::string> words = CommandWords(request);
  std::string body;
  if (words.size() >= 4 && words[0] == "cddb" && words[1] == "query" && IsDiscId(words[2])) {
    body = QueryBody(words[2], forcedStatus, terminator, matchCopies);
  } else if (words.size() == 4 && words[0] == "cddb" && words[1] == "read" && IsSafeWord(words[2]) &&
             IsDiscId(words[3])) {
    body = ReadBody(words[2], words[3], forcedStatus, terminator);
  } else {
    body = StatusLine(500, "");
  }
  return kHeaders + body;
}

std::vector<CddbLoopbackServer::Match> CddbLoopbackServer::FindRecords(const std::string& discId) const {
  std::vector<Match> found;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder_, error)) {
    fs::path file = entry.path() / discId;
    if (entry.is_directory() && fs::is_regular_file(file)) {
      found.push_back({entry.path().filename().string(), ReadWholeFile(file)});
    }
  }
  std::sort(found.begin(), found.end(),
            [](const Match& a, const Match& b) { return a.category < b.category; });
  return found;
}

std::string CddbLoopbackServer::QueryBody(const std::string& discId, int status, bool terminator,
                                          size_t copies) const {
  std::vector<Match> found = FindRecords(discId);
  if (status == 0) status = found.empty() ? 202 : found.size() * copies == 1 ? 200 : 210;
  switch (status) {
    case 200:
      if (found.empty()) return "200 misc " + discId + " Unknown Artist / Unknown Title\r\n";
      return "200 " + found[0].category + " " + discId + " " + DiscTitle(found[0].text) + "\r\n";
    case 202:
      return "202 No match for disc ID " + discId + ".\r\n";
    case 210:
    case 211: {
      std::string body = status == 210
                             ? "210 Found exact matches, list follows (until terminating `.')\r\n"
                             : "211 Found inexact matches, list follows (until terminating `.')\r\n";
      for (size_t copy = 0; copy < copies; ++copy) {
        for (const Match& match : found)
          body += match.category + " " + discId + " " + DiscTitle(match.text) + "\r\n";
      }
      return terminator ? body + kListEnd : body;
    }
    default:
      return StatusLine(status, discId);
  }
}

std::string CddbLoopbackServer::ReadBody(const std::string& category, const std::string& discId, int status,
                                         bool terminator) const {
  fs::path file = fs::path(folder_) / category / discId;
  bool exists = fs::is_regular_file(file);
  if (status == 0) status = exists ? 210 : 401;
  if (status < 210 || status > 219) return StatusLine(status, category + " " + discId);
  std::string body = std::to_string(status) + " " + category + " " + discId +
                     " CD database entry follows (until terminating `.')\r\n";
  if (exists) body += WithCrLf(ReadWholeFile(file));
  return terminator ? body + kListEnd : body;
}
