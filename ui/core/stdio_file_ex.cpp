// Line-oriented UTF-16LE / UTF-8 text file on a C stream (see the header for
// the encoding rules).
#include "ui/core/stdio_file_ex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utf8.h>

#include <cerrno>
#include <cstring>
#include <iterator>

namespace {

constexpr unsigned char kUtf16Mark[] = {0xFF, 0xFE};
constexpr unsigned char kUtf8Mark[] = {0xEF, 0xBB, 0xBF};
constexpr char16_t kReplacement = 0xFFFD;

// UTF-8 to UTF-16; bad sequences become U+FFFD. Returns false if any did.
bool Utf8ToUtf16(const std::string& in, std::u16string& out) {
  out.clear();
  const bool valid = utf8::find_invalid(in.begin(), in.end()) == in.end();
  if (valid) {
    utf8::unchecked::utf8to16(in.begin(), in.end(), std::back_inserter(out));
    return true;
  }
  std::string clean;
  utf8::replace_invalid(in.begin(), in.end(), std::back_inserter(clean), kReplacement);
  utf8::unchecked::utf8to16(clean.begin(), clean.end(), std::back_inserter(out));
  return false;
}

void AppendUtf8(char32_t cp, std::string& out) {
  utf8::unchecked::append(static_cast<std::uint32_t>(cp), std::back_inserter(out));
}

// UTF-16 to UTF-8; lone surrogates become U+FFFD. Returns false if any did.
bool Utf16ToUtf8(const std::u16string& in, std::string& out) {
  out.clear();
  bool ok = true;
  for (std::size_t i = 0; i < in.size(); ++i) {
    const char16_t u = in[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      AppendUtf8(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (in[i + 1] - 0xDC00), out);
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(kReplacement, out);
      ok = false;
    } else {
      AppendUtf8(u, out);
    }
  }
  return ok;
}

// Makes `text` valid UTF-8 in place. Returns false if something was replaced.
bool CleanUtf8(std::string& text) {
  if (utf8::find_invalid(text.begin(), text.end()) == text.end()) return true;
  std::string clean;
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(clean), kReplacement);
  text.swap(clean);
  return false;
}

// Reads up to `size` bytes at the start of the file without moving anything.
std::size_t ProbeStart(int fd, unsigned char* buf, std::size_t size) {
  ssize_t n;
  do {
    n = pread(fd, buf, size, 0);
  } while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace

CStdioFileEx::~CStdioFileEx() { Close(); }

bool CStdioFileEx::Open(const std::string& path, std::uint32_t flags, std::string* error) {
  Close();
  flags = (flags & ~typeText) | typeBinary;
  const std::uint32_t access = flags & 0x3;
  if (access == 0x3) {
    if (error) *error = path + ": invalid open mode";
    return false;
  }
  int oflags = O_CLOEXEC;
  oflags |= access == modeRead ? O_RDONLY : access == modeWrite ? O_WRONLY : O_RDWR;
  if (flags & modeCreate) oflags |= O_CREAT | ((flags & modeNoTruncate) ? 0 : O_TRUNC);
  const int fd = ::open(path.c_str(), oflags, 0666);
  if (fd < 0) {
    if (error) *error = path + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    if (error) *error = path + ": " + std::strerror(EISDIR);
    return false;
  }
  const char* mode = access == modeRead ? "rb" : access == modeWrite ? "wb" : "r+b";
  stream_ = fdopen(fd, mode);
  if (!stream_) {
    const int err = errno;
    ::close(fd);
    if (error) *error = path + ": " + std::strerror(err);
    return false;
  }
  openFlags_ = flags;
  DecideEncoding(fd, path, access);
  markCheck_ = true;
  lastOp_ = LastOp::None;
  lastLineDamaged_ = false;
  damagedLines_ = 0;
  ioError_ = false;
  return true;
}

// A file with content keeps the encoding it has; an empty one gets the one
// the open flags ask for.
void CStdioFileEx::DecideEncoding(int fd, const std::string& path, std::uint32_t access) {
  unsigned char head[2] = {0, 0};
  std::size_t n = 0;
  if (access != modeWrite) {
    n = ProbeStart(fd, head, sizeof head);
  } else {
    // A write-only descriptor cannot be read: look through a second one.
    const int probe = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (probe >= 0) {
      n = ProbeStart(probe, head, sizeof head);
      ::close(probe);
    }
  }
  if (n == 0) {
    unicode_ = access != modeRead && (openFlags_ & UnicodeFileFlag) != 0;
  } else {
    unicode_ = n == 2 && head[0] == kUtf16Mark[0] && head[1] == kUtf16Mark[1];
  }
}

bool CStdioFileEx::Close() {
  if (!stream_) return true;
  const bool ok = std::fclose(stream_) == 0;
  stream_ = nullptr;
  if (!ok) ioError_ = true;
  return ok;
}

bool CStdioFileEx::SetCodePage(int codePage) {
  if (codePage != kSystemCodePage && codePage != kUtf8CodePage) return false;
  codePage_ = codePage;
  return true;
}

std::int64_t CStdioFileEx::Seek(std::int64_t offset, SeekOrigin origin) {
  markCheck_ = true;
  lastOp_ = LastOp::None;
  if (!stream_) return -1;
  const int whence = origin == begin ? SEEK_SET : origin == current ? SEEK_CUR : SEEK_END;
  if (fseeko(stream_, static_cast<off_t>(offset), whence) != 0) return -1;
  return GetPosition();
}

std::int64_t CStdioFileEx::GetPosition() const {
  if (!stream_) return -1;
  return static_cast<std::int64_t>(ftello(stream_));
}

std::int64_t CStdioFileEx::GetLength() const {
  if (!stream_) return -1;
  std::fflush(stream_);
  struct stat st {};
  if (fstat(fileno(stream_), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

// A C stream needs a positioning call between a read and a write.
void CStdioFileEx::PrepareFor(LastOp op) {
  if (lastOp_ != LastOp::None && lastOp_ != op) fseeko(stream_, 0, SEEK_CUR);
  lastOp_ = op;
}

bool CStdioFileEx::WriteBytes(const void* data, std::size_t size) {
  if (size == 0) return true;
  if (std::fwrite(data, 1, size, stream_) == size) return true;
  ioError_ = true;
  return false;
}

void CStdioFileEx::NoteLine(bool damaged) {
  lastLineDamaged_ = damaged;
  if (damaged) ++damagedLines_;
}

bool CStdioFileEx::WriteString(const std::string& text) {
  if (!stream_) return false;
  PrepareFor(LastOp::Write);
  if (writeMark_ && GetPosition() == 0) {
    bool ok = true;
    if (unicode_) {
      ok = WriteBytes(kUtf16Mark, sizeof kUtf16Mark);
    } else if (codePage_ == kUtf8CodePage) {
      ok = WriteBytes(kUtf8Mark, sizeof kUtf8Mark);
    }
    if (!ok) return false;
  }
  if (unicode_) {
    std::u16string units;
    NoteLine(!Utf8ToUtf16(text, units));
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
      bytes.push_back(static_cast<char>(u & 0xFF));
      bytes.push_back(static_cast<char>(u >> 8));
    }
    return WriteBytes(bytes.data(), bytes.size());
  }
  std::string clean = text;
  NoteLine(!CleanUtf8(clean));
  return WriteBytes(clean.data(), clean.size());
}

// At position 0 drops `mark` when the file really starts with it; otherwise
// leaves the position where it was. Returns false on a stream failure.
bool CStdioFileEx::SkipMarkIfPresent(const unsigned char* mark, int size) {
  unsigned char buf[3] = {0, 0, 0};
  const std::size_t n = std::fread(buf, 1, static_cast<std::size_t>(size), stream_);
  if (n == static_cast<std::size_t>(size) && std::memcmp(buf, mark, n) == 0) return true;
  std::clearerr(stream_);
  return fseeko(stream_, 0, SEEK_SET) == 0;
}

// Reads UTF-16LE units up to a line feed. False when nothing at all was
// there; `odd` tells of a lone byte at the end of the file.
bool CStdioFileEx::ReadUnits16(std::u16string& line, bool& odd) {
  odd = false;
  bool any = false;
  for (;;) {
    const int lo = std::getc(stream_);
    if (lo == EOF) break;
    any = true;
    const int hi = std::getc(stream_);
    if (hi == EOF) {
      odd = true;
      break;
    }
    const char16_t unit = static_cast<char16_t>(lo | (hi << 8));
    if (unit == u'\n') break;
    line.push_back(unit);
  }
  return any;
}

bool CStdioFileEx::ReadBytes(std::string& line) {
  bool any = false;
  for (int c; (c = std::getc(stream_)) != EOF;) {
    any = true;
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  return any;
}

bool CStdioFileEx::ReadString(std::string& out) {
  out.clear();
  if (!stream_) return false;
  PrepareFor(LastOp::Read);
  if (markCheck_ && GetPosition() == 0) {
    const bool ok = unicode_ ? SkipMarkIfPresent(kUtf16Mark, sizeof kUtf16Mark)
                             : SkipMarkIfPresent(kUtf8Mark, sizeof kUtf8Mark);
    if (!ok) {
      ioError_ = true;
      return false;
    }
  }
  bool damaged = false;
  if (unicode_) {
    std::u16string units;
    bool odd = false;
    if (!ReadUnits16(units, odd)) {
      if (std::ferror(stream_)) ioError_ = true;
      return false;
    }
    if (!units.empty() && units.back() == u'\r') units.pop_back();
    if (const auto nul = units.find(u'\0'); nul != std::u16string::npos) units.resize(nul);
    if (odd) units.push_back(kReplacement);
    damaged = !Utf16ToUtf8(units, out) || odd;
  } else {
    if (!ReadBytes(out)) {
      if (std::ferror(stream_)) ioError_ = true;
      return false;
    }
    if (!out.empty() && out.back() == '\r') out.pop_back();
    if (const auto nul = out.find('\0'); nul != std::string::npos) out.resize(nul);
    damaged = !CleanUtf8(out);
  }
  if (std::ferror(stream_)) ioError_ = true;
  NoteLine(damaged);
  markCheck_ = false;
  return true;
}
