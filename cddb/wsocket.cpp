// Socket wrapper over POSIX sockets: see wsocket.h.
#include "cddb/wsocket.h"
#include "platform/text_encoding.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <fmt/format.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Runs a system call again when a signal interrupted it.
template <typename Call>
auto RetryOnInterrupt(Call call) {
  for (;;) {
    auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

// The system's look-up of a host name's first IPv4 address.
int SystemResolve(const std::string& host, in_addr& address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (status != 0) return status == EAI_SYSTEM && errno != 0 ? errno : kResolverErrorBase - status;
  address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return 0;
}

std::mutex& ResolverMutex() {
  static std::mutex mutex;
  return mutex;
}

HostResolver& InstalledResolver() {
  static HostResolver resolver;
  return resolver;
}

// One look-up, shared by the thread that runs it and the socket that waits.
struct Resolution {
  std::mutex mutex;
  int error = 0;
  in_addr address{};
  int done = -1;  // an event counter, written when the look-up has ended
  ~Resolution() {
    if (done >= 0) ::close(done);
  }
};

}  // namespace

std::string SystemErrorText(int number) {
  if (number >= kResolverErrorBase && number < kResolverErrorBase + 1000) {
    return gai_strerror(-(number - kResolverErrorBase));
  }
  if (number <= 0) return {};
  const char* text = strerrordesc_np(number);
  return text ? std::string(text) : std::string();
}

CWSocketException::CWSocketException(int error) : Error(error) {
  std::string text = SystemErrorText(error);
  what_ =
      text.empty() ? fmt::format("socket error {}", error) : fmt::format("socket error {}: {}", error, text);
}

int CWSocketException::GetErrorMessage(std::string& message, size_t maxChars, unsigned* helpContext) const {
  if (helpContext) *helpContext = 0;
  std::string text = SystemErrorText(Error);
  if (text.empty() || maxChars == 0) {
    message.clear();
    return 0;
  }
  message = CutUtf8(text, maxChars - 1);
  return 1;
}

void ThrowWSocketException(int error) {
  if (error == 0) error = errno;
  throw CWSocketException(error);
}

CWSocket::~CWSocket() {
  Close();
  if (wake_ != kInvalid) ::close(wake_);
}

void CWSocket::Close() {
  std::lock_guard lock(abortMutex_);
  if (handle_ != kInvalid) {
    ::close(handle_);
    handle_ = kInvalid;
  }
}

int CWSocket::Create(int type, int protocol, int family) {
  std::lock_guard lock(abortMutex_);
  ThrowIfAborted();
  if (wake_ == kInvalid) {
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wake_ == kInvalid) ThrowWSocketException();
  }
  handle_ = ::socket(family, type | SOCK_CLOEXEC, protocol);
  if (handle_ == kInvalid) ThrowWSocketException();
  return handle_;
}

int CWSocket::Create(bool udp) { return Create(udp ? SOCK_DGRAM : SOCK_STREAM, 0, AF_INET); }

void CWSocket::Abort() {
  std::lock_guard lock(abortMutex_);
  if (aborted_.exchange(true)) return;
  // The counter wakes a wait in poll (and every later one: it is never
  // read); the shutdown ends a connect, send or receive blocked in the system.
  if (wake_ != kInvalid) {
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t written = ::write(wake_, &one, sizeof(one));
  }
  if (handle_ != kInvalid) ::shutdown(handle_, SHUT_RDWR);
}

void CWSocket::ThrowIfAborted() const {
  if (aborted_.load()) ThrowWSocketException(ECANCELED);
}

bool CWSocket::WaitFor(short events, long long timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  ThrowIfAborted();
  // poll() skips negative handles silently; a closed socket is an error here.
  if (handle_ < 0) ThrowWSocketException(EBADF);
  pollfd fds[2] = {{handle_, events, 0}, {wake_, POLLIN, 0}};
  for (;;) {
    int wait = -1;
    if (timeoutMs >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left < 0) left = 0;
      wait = left > INT_MAX ? INT_MAX : static_cast<int>(left);
    }
    const int ready = ::poll(fds, 2, wait);
    ThrowIfAborted();
    if (ready == -1 && errno == EINTR) continue;
    if (ready == -1) ThrowWSocketException();
    if (fds[0].revents & POLLNVAL) ThrowWSocketException(EBADF);
    if (fds[0].revents) return true;  // ready, or an error the next call reports
    if (ready == 0 && (wait == 0 || Clock::now() >= deadline)) return false;
    // Otherwise a wait longer than poll can take in one call.
  }
}

int CWSocket::Connect(const sockaddr* address, socklen_t length, int timeoutMs) {
  ThrowIfAborted();
  // The connect runs without blocking so that an abort can end the wait for
  // it; the socket is blocking again afterwards, whatever the outcome.
  const int flags = ::fcntl(handle_, F_GETFL);
  if (flags == -1 || ::fcntl(handle_, F_SETFL, flags | O_NONBLOCK) == -1) ThrowWSocketException();
  int error = 0;
  if (::connect(handle_, address, length) == -1) {
    error = errno;
    if (error == EINPROGRESS || error == EINTR) {
      try {
        FinishConnect(timeoutMs);
        error = 0;
      } catch (const CWSocketException& e) {
        error = e.Error;
      }
    }
  }
  ::fcntl(handle_, F_SETFL, flags);
  if (error != 0 && Aborted()) error = ECANCELED;
  if (error != 0) ThrowWSocketException(error);
  return 0;
}

void CWSocket::FinishConnect(int timeoutMs) {
  if (!WaitFor(POLLOUT, timeoutMs)) ThrowWSocketException(ETIMEDOUT);
  int error = 0;
  socklen_t size = sizeof(error);
  if (::getsockopt(handle_, SOL_SOCKET, SO_ERROR, &error, &size) == -1) ThrowWSocketException();
  if (error != 0) ThrowWSocketException(error);
}

int CWSocket::Connect(const std::string& host, int port, int timeoutMs) {
  ThrowIfAborted();
  if (port < 0 || port > 65535) ThrowWSocketException(EINVAL);  // would wrap to another port
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) != 1) address.sin_addr = Resolve(host);
  return Connect(reinterpret_cast<const sockaddr*>(&address), sizeof(address), timeoutMs);
}

in_addr CWSocket::Resolve(const std::string& host) {
  HostResolver resolve;
  {
    std::lock_guard lock(ResolverMutex());
    resolve = InstalledResolver();
  }
  if (!resolve) resolve = SystemResolve;
  // The resolver cannot be interrupted and may wait on an unanswering name
  // server for many seconds, so it runs on a thread of its own that is left
  // to finish alone when the socket is aborted.
  auto job = std::make_shared<Resolution>();
  job->done = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (job->done < 0) ThrowWSocketException();
  try {
    std::thread([job, host, resolve] {
      in_addr found{};
      const int error = resolve(host, found);
      {
        std::lock_guard lock(job->mutex);
        job->error = error;
        job->address = found;
      }
      const uint64_t one = 1;
      [[maybe_unused]] ssize_t written = ::write(job->done, &one, sizeof(one));
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: resolve here, where only the resolver ends the wait.
    in_addr found{};
    if (const int error = resolve(host, found)) ThrowWSocketException(error);
    return found;
  }
  pollfd fds[2] = {{job->done, POLLIN, 0}, {wake_, POLLIN, 0}};
  for (;;) {
    ThrowIfAborted();
    const int ready = ::poll(fds, 2, -1);
    ThrowIfAborted();
    if (ready == -1 && errno == EINTR) continue;
    if (ready == -1) ThrowWSocketException();
    if (fds[0].revents) break;
  }
  std::lock_guard lock(job->mutex);
  if (job->error != 0) ThrowWSocketException(job->error);
  return job->address;
}

void SetHostResolver(HostResolver resolver) {
  std::lock_guard lock(ResolverMutex());
  InstalledResolver() = std::move(resolver);
}

int CWSocket::Send(const void* buffer, int length, int flags) {
  ThrowIfAborted();
  if (length < 0) ThrowWSocketException(EINVAL);
  // A blocking send first waits where an abort can end the wait.
  if (!(flags & MSG_DONTWAIT)) WaitFor(POLLOUT, -1);
  // MSG_NOSIGNAL: a peer that closed must not end the whole process.
  ssize_t sent = RetryOnInterrupt(
      [&] { return ::send(handle_, buffer, static_cast<size_t>(length), flags | MSG_NOSIGNAL); });
  if (sent == -1) {
    ThrowIfAborted();
    ThrowWSocketException();
  }
  return static_cast<int>(sent);
}

int CWSocket::Receive(void* buffer, int length, int flags) {
  ThrowIfAborted();
  if (length < 0) ThrowWSocketException(EINVAL);
  if (!(flags & MSG_DONTWAIT)) WaitFor(POLLIN, -1);
  ssize_t received =
      RetryOnInterrupt([&] { return ::recv(handle_, buffer, static_cast<size_t>(length), flags); });
  // An abort between the wait and the receive shows as the end of the
  // stream, which must not pass for the peer closing.
  if (received <= 0) ThrowIfAborted();
  if (received == -1) ThrowWSocketException();
  return static_cast<int>(received);
}

int CWSocket::IsReadable(unsigned timeoutMs) { return WaitFor(POLLIN, timeoutMs) ? 1 : 0; }
