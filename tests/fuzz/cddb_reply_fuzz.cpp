// CDDB server replies, from the socket to the parsed result. The first byte
// picks the reply's kind and the receive size; the rest is what the server
// sends before it closes the connection. The reply goes through a local
// stream socket, so the client's own reading (pieces, terminators split
// between them, NUL bytes, a connection closed early) is part of the run.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cddb/cddb.h"
#include "cddb/cddb_record.h"
#include "tests/fuzz/fuzz_util.h"

namespace {

// The reply is written in full before the client reads, so it must fit the
// socket's buffer.
constexpr size_t kMaxReply = 64 * 1024;

class FuzzClient : public CCDDB {
 public:
  FuzzClient(int timeoutMs, int chunk) {
    Timeout = timeoutMs;
    ReceiveChunk = chunk;
  }
};

// A listening socket in the abstract namespace, one per process.
const sockaddr_un& ServerAddress(int& listener) {
  static sockaddr_un address{};
  static int fd = -1;
  if (fd < 0) {
    fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    FUZZ_CHECK(fd >= 0);
    address.sun_family = AF_UNIX;
    const std::string name = "qcr-fuzz-cddb-" + std::to_string(::getpid());
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    FUZZ_CHECK(::bind(fd, reinterpret_cast<const sockaddr*>(&address),
                      static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size())) == 0);
    FUZZ_CHECK(::listen(fd, 4) == 0);
  }
  listener = fd;
  return address;
}

socklen_t AddressLength(const sockaddr_un& address) {
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + std::strlen(address.sun_path + 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size - 1 > kMaxReply) return 0;
  const uint8_t selector = data[0];
  const std::string sent(reinterpret_cast<const char*>(data + 1), size - 1);

  int listener = -1;
  const sockaddr_un& address = ServerAddress(listener);
  // Receive sizes from 2 bytes up: small pieces split every line and terminator.
  FuzzClient client(1000, 2 + (selector >> 3) * 37);
  CWSocket socket;
  socket.Create(SOCK_STREAM, 0, AF_UNIX);
  socket.Connect(reinterpret_cast<const sockaddr*>(&address), AddressLength(address));
  const int server = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
  FUZZ_CHECK(server >= 0);
  for (size_t done = 0; done < sent.size();) {
    const ssize_t n = ::send(server, sent.data() + done, sent.size() - done, MSG_NOSIGNAL);
    FUZZ_CHECK(n > 0);
    done += static_cast<size_t>(n);
  }
  ::shutdown(server, SHUT_WR);

  const int kind = selector & 7;
  const int mode = kind == 0 ? CCDDB::ReadModeQuery : CCDDB::ReadModePlain;
  const char* const terminator = "\r\n.\r\n";
  std::string reply;
  int complete = 0;
  bool refused = false;
  try {
    complete = client.ReadResponse(socket, terminator, reply, mode);
  } catch (const CCDDBException&) {
    refused = true;  // closed early or too long
  }
  ::close(server);
  // What the client keeps is what the server sent, from its start; a reply
  // that holds the terminator is complete. (Replies with NUL bytes have their
  // own rule.)
  if (sent.find('\0') == std::string::npos) {
    FUZZ_CHECK(sent.compare(0, reply.size(), reply) == 0);
    if (mode == CCDDB::ReadModePlain && sent.find(terminator) != std::string::npos) {
      FUZZ_CHECK(!refused && complete == 1);
    }
  }
  if (refused || complete == 0) return 0;

  const char* body = client.GetHTTPBody(reply.c_str());
  client.GetStatusCode(body);
  CCDDBRecord record;
  switch (kind) {
    case 0: {
      std::vector<CCDDBQueryResult> results;
      client.ParseQueryBody(body, "12345678", results);
      break;
    }
    case 1:
      client.ParseRecordBody(body, record);
      break;
    case 2: {
      std::vector<CCDDBSite> sites;
      client.ParseSitesBody(body, sites);
      break;
    }
    case 3: {
      CCDDBStatus status;
      client.ParseStatusBody(body, status);
      break;
    }
    case 4: {
      std::vector<std::string> lines;
      client.ParseLinesBody(body, lines);
      break;
    }
    case 5: {
      std::string text;
      client.ParseTextBody(body, text);
      break;
    }
    case 6:
      client.ParseSubmitResponse(body);
      break;
    default:
      // A record as the local cache folder holds it: no HTTP head, no status.
      client.ParseRecordBodyHelper(record, reply.c_str());
      break;
  }
  return 0;
}
