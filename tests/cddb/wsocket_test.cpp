// The socket wrapper against a listener of the test's own on 127.0.0.1.
#include "cddb/wsocket.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A socket bound to a free loopback port; it listens unless told not to, so
// that connections to it are refused. With a backlog of 0 it takes one
// connection and leaves every further one waiting.
class Listener {
 public:
  explicit Listener(bool listen = true, int backlog = 4) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    EXPECT_EQ(listen ? ::listen(fd_, backlog) : 0, 0);
    socklen_t size = sizeof(address);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~Listener() { ::close(fd_); }
  int Port() const { return port_; }
  int Accept() { return ::accept(fd_, nullptr, nullptr); }

 private:
  int fd_ = -1;
  int port_ = 0;
};

int ErrorOf(auto&& call) {
  try {
    call();
  } catch (const CWSocketException& e) {
    return e.Error;
  }
  return 0;
}

TEST(WSocket, ExchangesDataAndSeesThePeerClose) {
  Listener listener;
  CWSocket socket;
  socket.Close();  // closing a closed socket does nothing
  EXPECT_GE(socket.Create(), 0);
  EXPECT_EQ(socket.Connect("localhost", listener.Port()), 0);  // through the resolver
  ::close(listener.Accept());
  socket.Close();
  EXPECT_EQ(socket.Handle(), CWSocket::kInvalid);

  socket.Create();
  EXPECT_EQ(socket.Connect("127.0.0.1", listener.Port()), 0);
  int peer = listener.Accept();
  ASSERT_GE(peer, 0);
  EXPECT_EQ(socket.IsReadable(0), 0);  // nothing waiting: polls without waiting
  EXPECT_EQ(socket.Send("ping", 4), 4);
  char buffer[16] = {};
  ASSERT_EQ(::recv(peer, buffer, 4, MSG_WAITALL), 4);
  EXPECT_EQ(std::string(buffer, 4), "ping");
  ASSERT_EQ(::send(peer, "pong", 4, 0), 4);
  EXPECT_EQ(socket.IsReadable(10000), 1);
  EXPECT_EQ(socket.Receive(buffer, sizeof(buffer)), 4);
  ::close(peer);
  EXPECT_EQ(socket.IsReadable(10000), 1);                // end of stream is readable
  EXPECT_EQ(socket.Receive(buffer, sizeof(buffer)), 0);  // and not an error here
}

TEST(WSocket, FailuresCarryTheirErrorNumber) {
  Listener bound(false);
  CWSocket refused;
  refused.Create();
  EXPECT_EQ(ErrorOf([&] { refused.Connect("127.0.0.1", bound.Port()); }), ECONNREFUSED);

  CWSocket unresolved;
  unresolved.Create();
  // An empty name fails inside the resolver, without any network traffic.
  EXPECT_EQ(ErrorOf([&] { unresolved.Connect("", 80); }), kResolverErrorBase - EAI_NONAME);
  EXPECT_EQ(ErrorOf([&] { unresolved.Connect("127.0.0.1", 65536); }), EINVAL);
  EXPECT_EQ(ErrorOf([&] { unresolved.Connect("127.0.0.1", -1); }), EINVAL);

  CWSocket closed;
  char byte = 0;
  EXPECT_EQ(ErrorOf([&] { closed.Send(&byte, 1); }), EBADF);
  EXPECT_EQ(ErrorOf([&] { closed.Receive(&byte, 1); }), EBADF);
  EXPECT_EQ(ErrorOf([&] { closed.IsReadable(0); }), EBADF);
  EXPECT_EQ(ErrorOf([&] { closed.Create(SOCK_STREAM, 0, -1); }), EAFNOSUPPORT);

  // Messages come from the platform.
  std::string message;
  EXPECT_EQ(CWSocketException(ECONNREFUSED).GetErrorMessage(message, 5), 1);
  EXPECT_EQ(message, "Conn");  // cut to the buffer, room kept for its end
  EXPECT_EQ(CWSocketException(kResolverErrorBase - EAI_NONAME).GetErrorMessage(message), 1);
  EXPECT_EQ(message, gai_strerror(EAI_NONAME));
  EXPECT_EQ(CWSocketException(9999).GetErrorMessage(message), 0);
  EXPECT_EQ(message, "");
  EXPECT_STREQ(CWSocketException(EPIPE).what(), "socket error 32: Broken pipe");
}

TEST(WSocket, PartialSendsAndSendingToAClosedPeerWithoutSigpipe) {
  Listener listener;
  CWSocket socket;
  socket.Create();
  socket.Connect("127.0.0.1", listener.Port());
  int peer = listener.Accept();  // never reads
  std::vector<char> data(32 << 20, 'x');
  int sent = socket.Send(data.data(), static_cast<int>(data.size()), MSG_DONTWAIT);
  EXPECT_GT(sent, 0);
  EXPECT_LT(sent, static_cast<int>(data.size()));  // the smaller count, not a loop
  ::close(peer);
  int error = 0;
  // The first sends may still be taken by the kernel; a later one must fail
  // with an error rather than a signal that ends the program.
  for (int i = 0; i < 100 && error == 0; ++i) {
    error = ErrorOf([&] { socket.Send(data.data(), 64 * 1024); });
  }
  EXPECT_TRUE(error == EPIPE || error == ECONNRESET) << error;
}

TEST(WSocket, AbortFromAnotherThreadEndsAWaitAndEveryLaterCall) {
  // A name server that answers only once the test lets it (or after 30 s).
  std::mutex gateMutex;
  std::condition_variable gateChanged;
  bool answer = false;
  int answered = 0;
  SetHostResolver([&](const std::string&, in_addr&) {
    std::unique_lock lock(gateMutex);
    gateChanged.wait_for(lock, std::chrono::seconds(30), [&] { return answer; });
    ++answered;
    gateChanged.notify_all();
    return kResolverErrorBase - EAI_AGAIN;
  });
  struct Row {
    const char* name;
    bool connected;  // the socket is connected before the call that waits
    std::function<void(CWSocket&, int port)> wait;
  };
  const std::vector<Row> rows = {
      {"readability wait", true, [](CWSocket& s, int) { s.IsReadable(600000); }},
      {"receive", true,
       [](CWSocket& s, int) {
         char byte;
         s.Receive(&byte, 1);
       }},
      {"connection the server never takes", false,
       [](CWSocket& s, int port) { s.Connect("127.0.0.1", port); }},
      {"name look-up", false, [](CWSocket& s, int port) { s.Connect("stuck.invalid", port); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Listener listener(true, 0);
    CWSocket first;
    CWSocket socket;
    socket.Create();
    int peer = -1;
    if (row.connected) {
      socket.Connect("127.0.0.1", listener.Port(), 10000);
      peer = listener.Accept();
    } else {
      first.Create();  // fills the listener's queue
      first.Connect("127.0.0.1", listener.Port(), 10000);
    }
    auto waiting =
        std::async(std::launch::async, [&] { return ErrorOf([&] { row.wait(socket, listener.Port()); }); });
    // Give the call time to start waiting; an abort that comes first must end it all the same.
    EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    socket.Abort();
    if (waiting.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
      ADD_FAILURE() << "the abort did not end the wait";
      ::shutdown(peer >= 0 ? peer : listener.Accept(), SHUT_RDWR);  // let the call end
    }
    EXPECT_EQ(waiting.get(), ECANCELED);
    char byte = 0;
    EXPECT_EQ(ErrorOf([&] { socket.IsReadable(0); }), ECANCELED);
    EXPECT_EQ(ErrorOf([&] { socket.Send(&byte, 1); }), ECANCELED);
    EXPECT_EQ(ErrorOf([&] { socket.Create(); }), ECANCELED);
    if (peer >= 0) {
      // The connection was shut down: the peer sees its end.
      EXPECT_EQ(::recv(peer, &byte, 1, 0), 0);
      ::close(peer);
    }
  }
  // The look-up left behind still ends, and is waited for before the
  // resolver it uses goes away.
  std::unique_lock lock(gateMutex);
  answer = true;
  gateChanged.notify_all();
  EXPECT_TRUE(gateChanged.wait_for(lock, std::chrono::seconds(30), [&] { return answered == 1; }));
  lock.unlock();
  SetHostResolver(nullptr);
}

}  // namespace
