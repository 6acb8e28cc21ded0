// A thin owner of one BSD socket for the CDDB client. Every failing call
// throws CWSocketException with the error number of the failure, so callers
// write the happy path and convert the exception once.
//
// Another thread may end whatever a socket is doing or waiting for with
// Abort: the wait it is in, and every call after it, throws ECANCELED.
//
// Error numbers are errno values; a failed host-name look-up carries the
// resolver's error moved into its own range (kResolverErrorBase + |EAI code|)
// so that it can never be mistaken for an errno value and still fits the low
// 16 bits that the CDDB exception keeps. SystemErrorText turns either kind
// into the platform's message text.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <string>

// Numbers from kResolverErrorBase on are resolver failures (getaddrinfo's
// EAI_* codes, negated); errno values stay far below it.
inline constexpr int kResolverErrorBase = 11000;

// The platform's message text for an error number as carried by
// CWSocketException (errno or resolver range). Empty when the platform has no
// text for the number.
std::string SystemErrorText(int number);

class CWSocketException : public std::exception {
 public:
  explicit CWSocketException(int error);

  // Copies the platform's text for Error into `message`, cut to at most
  // maxChars - 1 bytes (never inside a UTF-8 character). Returns 1 when there
  // was a text, else stores an empty string and returns 0. The help context,
  // when asked for, is always 0.
  int GetErrorMessage(std::string& message, size_t maxChars = 4096, unsigned* helpContext = nullptr) const;

  const char* what() const noexcept override { return what_.c_str(); }

  int Error;

 private:
  std::string what_;
};

// Throws CWSocketException with `error`, or with the current errno when
// `error` is 0.
[[noreturn]] void ThrowWSocketException(int error = 0);

// Finds the first IPv4 address of a host name: 0 and the address, or an error
// number as CWSocketException carries it. Called on a thread of its own.
using HostResolver = std::function<int(const std::string& host, in_addr& address)>;
// Replaces the system's look-up for every later connection by name (tests
// use it to stand for a name server that does not answer); null restores it.
void SetHostResolver(HostResolver resolver);

class CWSocket {
 public:
  static constexpr int kInvalid = -1;

  CWSocket() = default;
  virtual ~CWSocket();
  CWSocket(const CWSocket&) = delete;
  CWSocket& operator=(const CWSocket&) = delete;

  void Close();

  // socket(family, type, protocol); returns and keeps the handle. The handle
  // is not inherited by child processes.
  int Create(int type, int protocol, int family);
  // A datagram socket when `udp`, else a stream socket; IPv4.
  int Create(bool udp = false);

  // With a time-out of 0 ms or more the connection must be made within it,
  // else ETIMEDOUT is thrown (a host that never answers would otherwise hold
  // the caller for the system's minutes of retries); a negative time-out
  // waits as long as the system does.
  int Connect(const sockaddr* address, socklen_t length, int timeoutMs = -1);
  // A dotted IPv4 address is used as it is; anything else is resolved to its
  // first IPv4 address. The time-out bounds the connection, not the look-up;
  // an abort ends both.
  int Connect(const std::string& host, int port, int timeoutMs = -1);

  // One send() call; returns the bytes sent, which may be fewer than asked.
  // A peer that has gone away gives EPIPE as an exception, never a signal.
  int Send(const void* buffer, int length, int flags = 0);
  // One recv() call; 0 means the peer has closed its side.
  int Receive(void* buffer, int length, int flags = 0);

  // 1 when a receive would not block (data waiting or the peer closed), 0
  // when `timeoutMs` passed first. 0 ms polls without waiting.
  int IsReadable(unsigned timeoutMs);

  // May be called from any thread while another one uses the socket: a
  // host name look-up or a connection in progress, a readability wait, a receive or send that is
  // waiting, and every later call on this object (Create included) throw
  // CWSocketException(ECANCELED) at once. The connection is shut down, so
  // the peer sees it end. It lasts for the life of the object; calling it
  // again does nothing more.
  void Abort();
  bool Aborted() const { return aborted_.load(); }

  int Handle() const { return handle_; }

 private:
  // The look-up of a host name, which an abort ends.
  in_addr Resolve(const std::string& host);
  // Throws ECANCELED once the socket has been aborted.
  void ThrowIfAborted() const;
  // Waits up to `timeoutMs` (negative: without limit) until the socket
  // reports one of `events`; false when the time passed first. An abort ends
  // the wait with ECANCELED.
  bool WaitFor(short events, long long timeoutMs);
  // Waits for a connect in progress and throws its failure.
  void FinishConnect(int timeoutMs);

  int handle_ = kInvalid;
  // Abort's wake-up: an event counter polled together with the socket, made
  // with the first socket and kept until the object goes, so that a wait that
  // starts after the abort still ends at once.
  int wake_ = kInvalid;
  std::atomic<bool> aborted_{false};
  // Orders Abort against Create and Close, so that it never shuts down a
  // handle number that has been closed and given out again.
  std::mutex abortMutex_;
};
