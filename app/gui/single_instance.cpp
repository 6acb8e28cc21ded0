// Single instance: the lock, the channel and the raise.
#include "app/gui/single_instance.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <wx/dialog.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

constexpr const char* kRaiseRequest = "raise\n";
constexpr const char* kRaisedAnswer = "raised\n";
constexpr const char* kNoWindowAnswer = "none\n";
constexpr int kRequestTimeoutMs = 2000;

// FNV-1a, stable across builds, so every build of the program meets on the
// same channel.
uint64_t Fnv1a(const std::string& text) {
  uint64_t hash = 1469598103934665603ull;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// The address of an abstract socket: a NUL, then the name.
socklen_t MakeAddress(const std::string& channel, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  const size_t length = std::min(channel.size(), sizeof address.sun_path - 1);
  std::memcpy(address.sun_path + 1, channel.data(), length);
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

// Reads one line of at most a few bytes, waiting at most `timeoutMs`.
std::string ReadLine(int fd, int timeoutMs) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (line.size() < 32 && (line.empty() || line.back() != '\n')) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char c = 0;
    const ssize_t n = ::recv(fd, &c, 1, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    line.push_back(c);
  }
  return line;
}

void SendText(int fd, const char* text) {
  size_t sent = 0;
  const size_t length = std::strlen(text);
  while (sent < length) {
    const ssize_t n = ::send(fd, text + sent, length - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace

std::string InstanceChannelName(const std::string& appName, const std::string& dataFolder) {
  return fmt::format("{}-{}-{:016x}", appName, static_cast<unsigned>(::getuid()), Fnv1a(dataFolder));
}

RaiseAnswer AskRunningCopyToRaise(const std::string& channel, int timeoutMs) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return RaiseAnswer::kNoAnswer;
  sockaddr_un address{};
  const socklen_t length = MakeAddress(channel, address);
  RaiseAnswer answer = RaiseAnswer::kNoAnswer;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0) {
    SendText(fd, kRaiseRequest);
    const std::string reply = ReadLine(fd, timeoutMs);
    if (reply == kRaisedAnswer) answer = RaiseAnswer::kRaised;
    if (reply == kNoWindowAnswer) answer = RaiseAnswer::kNoWindow;
  }
  ::close(fd);
  return answer;
}

CInstanceListener::~CInstanceListener() { Stop(); }

bool CInstanceListener::Start(const std::string& channel, RaiseRequest raise) {
  Stop();
  listen_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listen_ < 0) return false;
  sockaddr_un address{};
  const socklen_t length = MakeAddress(channel, address);
  if (::bind(listen_, reinterpret_cast<const sockaddr*>(&address), length) != 0 ||
      ::listen(listen_, 4) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
    Stop();
    return false;
  }
  raise_ = std::move(raise);
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void CInstanceListener::Stop() {
  if (thread_.joinable()) {
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &byte, 1);
    thread_.join();
  }
  for (int* fd : {&listen_, &wake_[0], &wake_[1]}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
}

void CInstanceListener::Serve() {
  for (;;) {
    pollfd fds[2] = {{listen_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    const int ready = ::poll(fds, 2, -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (fds[1].revents & POLLIN)) return;
    if (!(fds[0].revents & POLLIN)) continue;
    const int client = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    Answer(client);
    ::close(client);
  }
}

void CInstanceListener::Answer(int client) {
  if (ReadLine(client, kRequestTimeoutMs) != kRaiseRequest) return;
  const bool raised = raise_ && raise_();
  SendText(client, raised ? kRaisedAnswer : kNoWindowAnswer);
  served_.fetch_add(1);
}

CSingleInstance::CSingleInstance(const std::string& appName, const std::string& dataFolder)
    : channel_(InstanceChannelName(appName, dataFolder)) {
  std::vector<std::string> folders{dataFolder};
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') folders.emplace_back(runtime);
  std::error_code error;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
  folders.push_back(error ? std::string("/tmp") : temp.string());
  for (const std::string& folder : folders) {
    if (!folder.empty() && LockIn(folder)) return;
  }
}

CSingleInstance::~CSingleInstance() {
  // The file stays: removing it could let a copy starting right now lock a
  // new file while a third one still waits on the old.
  if (fd_ >= 0) ::close(fd_);
}

bool CSingleInstance::LockIn(const std::string& folder) {
  const std::string path = folder + "/" + channel_ + ".lock";
  // Never through a link, and never someone else's file: in a shared folder
  // either could let another user keep this program from starting.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) return false;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    return false;
  }
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    const bool taken = errno == EWOULDBLOCK;
    ::close(fd);
    if (!taken) return false;  // this file system has no locks: try the next folder
    anotherRunning_ = true;
    lockFile_ = path;
    return true;
  }
  fd_ = fd;
  lockFile_ = path;
  return true;
}

void RaiseWindowAndPopup(wxTopLevelWindow* window) {
  if (window == nullptr) return;
  if (window->IsIconized()) window->Iconize(false);
  window->Raise();
  // The last active pop-up: a modal dialog open above the window.
  for (wxWindow* top : wxTopLevelWindows) {
    auto* dialog = dynamic_cast<wxDialog*>(top);
    if (dialog != nullptr && dialog != window && dialog->IsModal() && dialog->IsShown()) dialog->Raise();
  }
}
