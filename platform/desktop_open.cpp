// Hands targets to the desktop's default handler through xdg-open.
#include "platform/desktop_open.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/folders.h"

extern char** environ;

namespace {

// xdg-open normally hands over and ends at once; some set-ups run the
// browser in its place and end only when it does.
constexpr auto kReportWait = std::chrono::seconds(3);
constexpr auto kPoll = std::chrono::milliseconds(10);

constexpr std::array<std::string_view, 3> kOpenSchemes = {"http", "https", "mailto"};

// The scheme of a URL-looking text ("" when it has none), in lower case:
// letters first, then letters, digits, '+', '-' or '.', up to a colon.
std::string SchemeOf(std::string_view target) {
  const size_t colon = target.find(':');
  if (colon == std::string_view::npos || colon == 0) return {};
  std::string scheme;
  for (size_t i = 0; i < colon; ++i) {
    const auto c = static_cast<unsigned char>(target[i]);
    const bool ok = std::isalpha(c) || (i > 0 && (std::isdigit(c) || c == '+' || c == '-' || c == '.'));
    if (!ok) return {};
    scheme.push_back(static_cast<char>(std::tolower(c)));
  }
  return scheme;
}

bool HasControlCharacters(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return c < 0x20 || c == 0x7F;
  });
}

DesktopTarget Refuse(DesktopTargetProblem problem) { return {DesktopTargetKind::Refused, {}, problem}; }

std::string WorkingFolder() {
  std::string folder(4096, '\0');
  if (::getcwd(folder.data(), folder.size()) == nullptr) return "/";
  folder.resize(folder.find('\0'));
  return folder;
}

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

DesktopTarget ClassifyDesktopTarget(std::string_view target, const std::string& currentFolder) {
  if (target.empty()) return Refuse(DesktopTargetProblem::Empty);
  if (HasControlCharacters(target)) return Refuse(DesktopTargetProblem::ControlCharacters);
  const std::string scheme = SchemeOf(target);
  if (!scheme.empty()) {
    const bool open = std::find(kOpenSchemes.begin(), kOpenSchemes.end(), scheme) != kOpenSchemes.end();
    const bool hasRest = target.size() > scheme.size() + 1 &&
                         target.find_first_not_of('/', scheme.size() + 1) != std::string_view::npos;
    if (!open || !hasRest) return Refuse(DesktopTargetProblem::OtherScheme);
    return {DesktopTargetKind::Address, std::string(target), DesktopTargetProblem::None};
  }
  // A file name: made absolute, so it can never look like an option.
  std::string path(target);
  if (path.front() != '/') path = currentFolder + kPathSeparator + path;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return Refuse(DesktopTargetProblem::Missing);
  if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) return Refuse(DesktopTargetProblem::NotFileOrFolder);
  return {DesktopTargetKind::File, std::move(path), DesktopTargetProblem::None};
}

DesktopOpenResult OpenWithDesktopHandler(const std::string& target) {
  if (target.empty() || target.front() == '-') return DesktopOpenResult::Failed;
  const DesktopTarget sorted = ClassifyDesktopTarget(target, WorkingFolder());
  if (sorted.kind == DesktopTargetKind::Refused) {
    return sorted.problem == DesktopTargetProblem::Missing ? DesktopOpenResult::NotFound
                                                           : DesktopOpenResult::Failed;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string tool = "xdg-open";
  std::string argument = sorted.argument;
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
