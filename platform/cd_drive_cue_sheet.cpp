// Checking a cue sheet before the image driver reads it.
#include "platform/cd_drive_cue_sheet.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/regular_file.h"

namespace {

constexpr int kMaxTracks = 99;

// Splits a line into words as libcdio does (blanks, tabs, CR and LF part them).
std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  constexpr std::string_view kBreaks = " \t\r\n";
  for (size_t at = line.find_first_not_of(kBreaks); at != std::string_view::npos;
       at = line.find_first_not_of(kBreaks, at)) {
    const size_t end = std::min(line.find_first_of(kBreaks, at), line.size());
    words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A number of one to `maxDigits` digits; -1 otherwise.
int Number(std::string_view s, size_t maxDigits) {
  if (!AllDigits(s) || s.size() > maxDigits) return -1;
  int n = 0;
  for (char c : s) n = n * 10 + (c - '0');
  return n;
}

// "mm:ss:ff" as a frame count; -1 for anything else.
int Frames(std::string_view s) {
  if (s.size() < 7 || s.size() > 8 || s[s.size() - 3] != ':' || s[s.size() - 6] != ':') return -1;
  const int minutes = Number(s.substr(0, s.size() - 6), 2);
  const int seconds = Number(s.substr(s.size() - 5, 2), 2);
  const int frames = Number(s.substr(s.size() - 2), 2);
  if (minutes < 0 || seconds < 0 || seconds >= 60 || frames < 0 || frames >= 75) return -1;
  return (minutes * 60 + seconds) * 75 + frames;
}

bool IsTrackMode(std::string_view mode) {
  static constexpr std::array<std::string_view, 7> kModes = {
      "AUDIO", "MODE1/2048", "MODE1/2352", "MODE2/2048", "MODE2/2324", "MODE2/2336", "MODE2/2352"};
  return std::find(kModes.begin(), kModes.end(), mode) != kModes.end();
}

bool IsTrackFlag(std::string_view flag) {
  return flag == "PRE" || flag == "DCP" || flag == "4CH" || flag == "SCMS";
}

bool IsCdTextKeyword(std::string_view word) {
  static constexpr std::array<std::string_view, 12> kKeywords = {
      "TITLE",   "PERFORMER", "SONGWRITER", "COMPOSER",  "ARRANGER", "MESSAGE",
      "DISC_ID", "GENRE",     "TOC_INFO1",  "TOC_INFO2", "UPC_EAN",  "SIZE_INFO"};
  return std::find(kKeywords.begin(), kKeywords.end(), word) != kKeywords.end();
}

// The name after FILE: quoted, or up to the next blank.
std::string FileName(std::string_view line) {
  size_t at = line.find("FILE") + 4;
  at = line.find_first_not_of(" \t", at);
  if (at == std::string_view::npos) return {};
  if (line[at] == '"') {
    const size_t end = line.find('"', at + 1);
    return end == std::string_view::npos ? std::string() : std::string(line.substr(at + 1, end - at - 1));
  }
  return std::string(line.substr(at, line.find_first_of(" \t\r", at) - at));
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Walks the sheet line by line; Check answers whether it keeps to the form.
class CueSheetChecker {
 public:
  bool Check(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return false;
    for (size_t start = 0; start < text.size();) {
      const size_t end = std::min(text.find('\n', start), text.size());
      if (end - start > kMaxCueLineBytes || !Line(text.substr(start, end - start))) return false;
      start = end + 1;
    }
    return tracks_ > 0 && hasStart_ && !fileName_.empty();
  }
  const std::string& FileNamed() const { return fileName_; }

 private:
  bool Line(std::string_view line) {
    const std::vector<std::string_view> w = Words(line);
    if (w.empty() || w[0] == "REM" || IsCdTextKeyword(w[0])) return true;
    const std::string_view key = w[0];
    if (key == "CATALOG") {
      if (tracks_ > 0 || catalog_ || w.size() != 2 || w[1].size() != 13 || !AllDigits(w[1])) return false;
      return catalog_ = true;
    }
    if (key == "FILE") {
      if (tracks_ > 0 || !fileName_.empty()) return false;
      fileName_ = FileName(line);
      return !fileName_.empty();
    }
    if (key == "TRACK") return Track(w);
    if (tracks_ == 0) return false;  // the rest belongs to a track
    if (key == "INDEX") return Index(w);
    if (key == "FLAGS") return std::all_of(w.begin() + 1, w.end(), IsTrackFlag);
    if (key == "ISRC") {
      if (isrc_ || w.size() < 2) return false;
      return isrc_ = true;
    }
    if (key == "PREGAP") {
      if (pregap_ || w.size() != 2 || Frames(w[1]) < 0) return false;
      return pregap_ = true;
    }
    return false;  // CDTEXTFILE, POSTGAP and any word libcdio does not take
  }

  bool Track(const std::vector<std::string_view>& w) {
    // Numbered 1, 2, 3, ... without a gap, each started at INDEX 01.
    if (fileName_.empty() || (tracks_ > 0 && !hasStart_) || tracks_ == kMaxTracks) return false;
    if (w.size() < 3 || Number(w[1], 2) != tracks_ + 1 || !IsTrackMode(w[2])) return false;
    ++tracks_;
    hasStart_ = isrc_ = pregap_ = false;
    return true;
  }

  bool Index(const std::vector<std::string_view>& w) {
    if (w.size() != 3 || Number(w[1], 2) < 0) return false;
    const int at = Frames(w[2]);
    if (at < 0) return false;
    if (Number(w[1], 2) != 1) return true;
    if (hasStart_ || at <= lastStart_) return false;
    hasStart_ = true;
    lastStart_ = at;
    return true;
  }

  std::string fileName_;
  int tracks_ = 0;
  int lastStart_ = -1;
  bool hasStart_ = false;  // the current track has its INDEX 01
  bool catalog_ = false;
  bool isrc_ = false;    // in the current track
  bool pregap_ = false;  // in the current track
};

}  // namespace

std::optional<CheckedCueSheet> ReadCheckedCueSheet(const std::string& cuePath) {
  // Only a regular file: a FIFO in the sheet's place must not block the drive.
  const int fd = OpenRegularFileForRead(cuePath);
  if (fd < 0) return std::nullopt;
  std::string text(kMaxCueSheetBytes + 1, '\0');
  size_t got = 0;
  bool failed = false;
  while (got < text.size()) {
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failed = n < 0;
      break;
    }
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (failed || got > kMaxCueSheetBytes) return std::nullopt;
  text.resize(got);

  CueSheetChecker checker;
  if (!checker.Check(text)) return std::nullopt;
  const std::filesystem::path name(checker.FileNamed());
  std::string data =
      name.is_absolute() ? name.string() : (std::filesystem::path(cuePath).parent_path() / name).string();
  if (!IsRegularFile(data)) return std::nullopt;
  return CheckedCueSheet{std::move(text), std::move(data)};
}
