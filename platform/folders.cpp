// Where the program finds its own files, keeps the user's settings and puts
// ripped music by default, plus the folder helpers used everywhere.
#include "platform/folders.h"

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kDataFolderName = "Quarno CD Ripper Free";
constexpr int kToolTimeoutMs = 5000;  // xdg-user-dir is a tiny script; never wait longer

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFolder(const std::string& a, const std::string& b) {
  if (WithoutTrailingSeparators(a) == WithoutTrailingSeparators(b)) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Reads the child's output until it closes the pipe. False when the deadline
// passes first or the output grows absurd.
bool ReadChildOutput(int fd, Clock::time_point deadline, std::string* out) {
  char buffer[1024];
  for (;;) {
    const int left = MillisecondsLeft(deadline);
    if (left == 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, left);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    out->append(buffer, static_cast<size_t>(n));
    if (out->size() > 65536) return false;
  }
}

// Reaps the child. A child that has closed its output may take a moment to
// exit; one that is still running at the deadline (or whose output was
// refused) is killed. True when it exited with status 0.
bool WaitForChild(pid_t pid, Clock::time_point deadline, bool outputComplete) {
  int status = 0;
  pid_t done = 0;
  for (;;) {
    done = ::waitpid(pid, &status, WNOHANG);
    if (done < 0 && errno == EINTR) continue;
    if (done != 0 || !outputComplete || MillisecondsLeft(deadline) == 0) break;
    ::usleep(1000);
  }
  if (done == 0) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return false;
  }
  // done < 0: the child was reaped elsewhere (SIGCHLD ignored); trust the output.
  return done < 0 || (WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace

std::string GetProgramFolder() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) {
      const std::string path(buffer.data(), static_cast<size_t>(n));
      const size_t slash = path.rfind(kPathSeparator);
      return slash == std::string::npos ? std::string() : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string GetHomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return WithoutTrailingSeparators(home);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
      result->pw_dir != nullptr) {
    return WithoutTrailingSeparators(result->pw_dir);
  }
  return {};
}

std::string GetUserConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == kPathSeparator) return WithoutTrailingSeparators(config);
  return GetHomeFolder() + "/.config";
}

std::string GetDataFolder() { return GetUserConfigFolder() + kPathSeparator + kDataFolderName; }

std::string QueryXdgUserDir(const std::string& name) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::string tool = "xdg-user-dir";
  std::string arg = name;
  char* argv[] = {tool.data(), arg.data(), nullptr};
  pid_t pid = 0;
  const int rc = ::posix_spawnp(&pid, tool.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    return {};
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(kToolTimeoutMs);
  std::string out;
  const bool complete = ReadChildOutput(fds[0], deadline, &out);
  ::close(fds[0]);
  if (!WaitForChild(pid, deadline, complete) || !complete) return {};
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::string ReadXdgUserDirsFile(const std::string& configFolder, const std::string& name,
                                const std::string& home) {
  // The file is shell assignments: the last one of a name wins.
  std::ifstream in(configFolder + "/user-dirs.dirs");
  const std::string prefix = "XDG_" + name + "_DIR=";
  std::string line, found;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, prefix.size(), prefix) != 0) continue;
    std::string value = line.substr(start + prefix.size());
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r')) {
      value.pop_back();
    }
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
    found = value;
  }
  return found;
}

std::string ChooseMusicFolder(const std::string& home, const std::string& music, const std::string& desktop) {
  for (const std::string& candidate : {music, desktop}) {
    if (!candidate.empty() && IsFolder(candidate) && !SameFolder(candidate, home)) {
      return WithoutTrailingSeparators(candidate) + kPathSeparator;
    }
  }
  return home + "/Music/";
}

std::string GetMusicFolder() {
  const std::string home = GetHomeFolder();
  // Without the tool, read its file and apply its default for the desktop.
  auto lookup = [&](const std::string& name) {
    std::string dir = QueryXdgUserDir(name);
    if (dir.empty()) dir = ReadXdgUserDirsFile(GetUserConfigFolder(), name, home);
    if (dir.empty() && name == "DESKTOP") dir = home + "/Desktop";
    return dir;
  };
  const std::string music = lookup("MUSIC");
  if (!music.empty() && IsFolder(music) && !SameFolder(music, home))
    return ChooseMusicFolder(home, music, {});
  return ChooseMusicFolder(home, {}, lookup("DESKTOP"));
}

// Makes the folder, walking back to the deepest existing parent first and then
// forward again, one level at a time. A folder that cannot be made although
// its parent was just found or made (a virtual file system, or a parent
// removed meanwhile) ends the walk instead of looping.
int CreateFolderPath(const std::string& path) {
  if (path.empty() || path.size() >= PATH_MAX || path.find('\0') != std::string::npos) return 0;
  size_t cut = path.size();
  std::vector<size_t> later;  // cut points still to make, deepest first in line
  bool parentExists = false;
  for (;;) {
    const std::string current = path.substr(0, cut);
    if (::mkdir(current.c_str(), 0777) == 0 || (errno == EEXIST && IsFolder(current))) {
      if (later.empty()) return 1;
      cut = later.back();
      later.pop_back();
      parentExists = true;
      continue;
    }
    if (errno != ENOENT || parentExists) return 0;
    const size_t slash = path.rfind(kPathSeparator, cut - 1);
    if (slash == std::string::npos || slash == 0) return 0;
    later.push_back(cut);
    cut = slash;
  }
}

bool PathFileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}
