// Whole-file replacement through a synced temporary file and a rename.
#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

ReplaceFileResult ReplaceFileContents(const std::string& target, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return {ReplaceFileResult::Create, errno};
  }
  if (fd < 0) return {ReplaceFileResult::Create, EEXIST};

  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) (void)::fchmod(fd, st.st_mode & 07777);
  ReplaceFileResult result;
  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0) result = {ReplaceFileResult::Write, errno};
  if (::close(fd) != 0 && result) result = {ReplaceFileResult::Write, errno};
  if (result && ::rename(temp.c_str(), target.c_str()) != 0) result = {ReplaceFileResult::Replace, errno};
  if (!result) ::unlink(temp.c_str());
  return result;
}
