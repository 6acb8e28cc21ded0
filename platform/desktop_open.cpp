// Hands targets to the desktop's default handler through xdg-open.
#include "platform/desktop_open.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace {

// xdg-open normally hands over and ends at once; some set-ups run the
// browser in its place and end only when it does.
constexpr auto kReportWait = std::chrono::seconds(3);
constexpr auto kPoll = std::chrono::milliseconds(10);

DesktopOpenResult ResultForSpawnError(int error) {
  switch (error) {
    case ENOENT:
    case EACCES:
    case ENOEXEC:
    case ENOTDIR:
      return DesktopOpenResult::NoHandler;
    case ENOMEM:
    case EAGAIN:
      return DesktopOpenResult::NoResources;
    default:
      return DesktopOpenResult::Failed;
  }
}

}  // namespace

DesktopOpenResult DesktopOpenResultForExit(int exitStatus) {
  switch (exitStatus) {
    case 0:
      return DesktopOpenResult::Opened;
    case 2:
      return DesktopOpenResult::NotFound;
    case 3:
    case 4:
      return DesktopOpenResult::NoHandler;
    default:
      return DesktopOpenResult::Failed;
  }
}

DesktopOpenResult OpenWithDesktopHandler(const std::string& target) {
  if (target.empty() || target.front() == '-') return DesktopOpenResult::Failed;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string tool = "xdg-open";
  std::string argument = target;
  char* argv[] = {tool.data(), argument.data(), nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, tool.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return ResultForSpawnError(rc);

  const auto deadline = std::chrono::steady_clock::now() + kReportWait;
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      return WIFEXITED(status) ? DesktopOpenResultForExit(WEXITSTATUS(status)) : DesktopOpenResult::Failed;
    }
    // Reaped by someone else (SIGCHLD ignored): it started, and its verdict is gone.
    if (done < 0 && errno != EINTR) return DesktopOpenResult::Opened;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPoll);
  }
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return DesktopOpenResult::Opened;
}
