// Byte forms of the archive: see archive.h.
#include "cddb/archive.h"
#include "platform/regular_file.h"

#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utf8.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

// Escapes of the length prefixes.
constexpr uint8_t kByteEscape = 0xFF;
constexpr uint16_t kWideTag = 0xFFFE;
constexpr uint16_t kWordEscape = 0xFFFF;
constexpr uint32_t kDwordEscape = 0xFFFFFFFF;
// Longest string length the 64-bit form may give.
constexpr uint64_t kMaxStringLength = 0x7FFFFFFF;

[[noreturn]] void ThrowEndOfFile() {
  throw CArchiveException(CArchiveException::endOfFile, "Unexpected end of file in archive");
}

[[noreturn]] void ThrowFileError(const std::string& what, int error) {
  throw CArchiveException(CArchiveException::fileError, fmt::format("{}: {}", what, std::strerror(error)));
}

void AppendUtf8(std::string& out, uint32_t code_point) { utf8::append(code_point, std::back_inserter(out)); }

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  std::string valid;
  utf8::replace_invalid(text.begin(), text.end(), std::back_inserter(valid));
  std::u16string out;
  utf8::utf8to16(valid.begin(), valid.end(), std::back_inserter(out));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);  // a lone surrogate has no UTF-8 form
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

CArchive::CArchive() : m_mode(store) {}

CArchive::CArchive(std::span<const uint8_t> bytes) : m_mode(load), m_buffer(bytes.begin(), bytes.end()) {}

CArchive::CArchive(const std::string& path, Mode mode) : m_mode(mode) {
  if (mode == store) {
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) ThrowFileError("Cannot open " + path, errno);
    return;
  }
  // Only a regular file is read: a FIFO in its place would block the open,
  // a device could feed bytes without end.
  const int fd = OpenRegularFileForRead(path);
  if (fd < 0) ThrowFileError("Cannot open " + path, errno);
  struct stat info {};
  if (fstat(fd, &info) != 0 || !(m_file = fdopen(fd, "rb"))) {
    const int error = errno;
    ::close(fd);
    ThrowFileError("Cannot read " + path, error);
  }
  m_fileLeft = static_cast<uint64_t>(info.st_size);
}

CArchive::CArchive(std::FILE* file, Mode mode) : m_mode(mode), m_file(file) {
  if (!m_file) throw CArchiveException(CArchiveException::fileError, "No file for the archive");
  if (mode == load) {
    struct stat info {};
    if (fstat(fileno(m_file), &info) == 0 && S_ISREG(info.st_mode)) {
      uint64_t size = static_cast<uint64_t>(info.st_size);
      uint64_t at = static_cast<uint64_t>(std::max(std::ftell(m_file), 0L));
      m_fileLeft = at < size ? size - at : 0;
    }
  }
}

CArchive::~CArchive() { CloseFile(); }

void CArchive::CloseFile() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
}

void CArchive::Close() {
  if (!m_file) return;
  if (IsStoring()) {
    FlushBuffer();
    if (std::fflush(m_file) != 0 || fsync(fileno(m_file)) != 0) {
      int error = errno;
      CloseFile();
      ThrowFileError("Cannot write archive", error);
    }
    std::FILE* file = m_file;
    m_file = nullptr;
    if (std::fclose(file) != 0) ThrowFileError("Cannot write archive", errno);
  } else {
    CloseFile();
    m_buffer.clear();
    m_position = 0;
    m_fileLeft = 0;
  }
}

uint64_t CArchive::Remaining() const {
  if (!IsLoading()) return 0;
  return (m_buffer.size() - m_position) + m_fileLeft;
}

void CArchive::RequireStoring() const {
  if (!IsStoring())
    throw CArchiveException(CArchiveException::readOnly, "Cannot store into an archive that loads");
}

void CArchive::RequireLoading() const {
  if (!IsLoading())
    throw CArchiveException(CArchiveException::writeOnly, "Cannot load from an archive that stores");
}

void CArchive::FlushBuffer() {
  if (!m_file || m_buffer.empty()) return;
  if (std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
    ThrowFileError("Cannot write archive", errno);
  m_buffer.clear();
}

void CArchive::Write(const void* data, size_t size) {
  RequireStoring();
  auto bytes = static_cast<const uint8_t*>(data);
  m_buffer.insert(m_buffer.end(), bytes, bytes + size);
  if (m_file && m_buffer.size() >= kBufferSize) FlushBuffer();
}

void CArchive::Refill() {
  m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_position));
  m_position = 0;
  if (!m_file || m_fileLeft == 0) return;
  size_t want = static_cast<size_t>(std::min<uint64_t>(kBufferSize, m_fileLeft));
  size_t had = m_buffer.size();
  m_buffer.resize(had + want);
  size_t got = std::fread(m_buffer.data() + had, 1, want, m_file);
  m_buffer.resize(had + got);
  // A file that shrank while being read simply ends early.
  m_fileLeft = got == want ? m_fileLeft - got : 0;
}

void CArchive::Read(void* data, size_t size) {
  RequireLoading();
  if (size > Remaining()) ThrowEndOfFile();
  auto out = static_cast<uint8_t*>(data);
  while (size > 0) {
    if (m_position == m_buffer.size()) {
      Refill();
      if (m_buffer.empty()) ThrowEndOfFile();
    }
    size_t n = std::min(size, m_buffer.size() - m_position);
    std::memcpy(out, m_buffer.data() + m_position, n);
    m_position += n;
    out += n;
    size -= n;
  }
}

void CArchive::WriteUInt8(uint8_t value) { Write(&value, 1); }

void CArchive::WriteUInt16(uint16_t value) {
  uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  Write(bytes, sizeof bytes);
}

void CArchive::WriteUInt32(uint32_t value) {
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  Write(bytes, sizeof bytes);
}

void CArchive::WriteUInt64(uint64_t value) {
  uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
  Write(bytes, sizeof bytes);
}

uint8_t CArchive::ReadUInt8() {
  uint8_t value;
  Read(&value, 1);
  return value;
}

uint16_t CArchive::ReadUInt16() {
  uint8_t bytes[2];
  Read(bytes, sizeof bytes);
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t CArchive::ReadUInt32() {
  uint8_t bytes[4];
  Read(bytes, sizeof bytes);
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

uint64_t CArchive::ReadUInt64() {
  uint8_t bytes[8];
  Read(bytes, sizeof bytes);
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

void CArchive::WriteString(std::string_view text) {
  RequireStoring();
  std::u16string wide = Utf8ToUtf16(text);
  uint64_t length = wide.size();
  WriteUInt8(kByteEscape);
  WriteUInt16(kWideTag);
  if (length < kByteEscape) {
    WriteUInt8(static_cast<uint8_t>(length));
  } else {
    WriteUInt8(kByteEscape);
    if (length < kWideTag) {
      WriteUInt16(static_cast<uint16_t>(length));
    } else {
      WriteUInt16(kWordEscape);
      if (length < kDwordEscape) {
        WriteUInt32(static_cast<uint32_t>(length));
      } else {
        WriteUInt32(kDwordEscape);
        WriteUInt64(length);
      }
    }
  }
  std::vector<uint8_t> bytes;
  bytes.reserve(wide.size() * 2);
  for (char16_t unit : wide) {
    bytes.push_back(static_cast<uint8_t>(unit));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  Write(bytes.data(), bytes.size());
}

// Reads the length prefix of a string and tells whether it is wide.
uint64_t CArchive::ReadStringLength(bool& wide) {
  wide = false;
  uint8_t byte = ReadUInt8();
  if (byte < kByteEscape) return byte;
  uint16_t word = ReadUInt16();
  if (word == kWideTag) {
    wide = true;
    byte = ReadUInt8();
    if (byte < kByteEscape) return byte;
    word = ReadUInt16();
  }
  if (word < kWordEscape) return word;
  uint32_t dword = ReadUInt32();
  if (dword < kDwordEscape) return dword;
  uint64_t length = ReadUInt64();
  if (length > kMaxStringLength)
    throw CArchiveException(CArchiveException::generic, "Invalid string length in archive");
  return length;
}

std::string CArchive::ReadString() {
  RequireLoading();
  bool wide = false;
  uint64_t length = ReadStringLength(wide);
  uint64_t size = wide ? length * 2 : length;
  if (size > Remaining()) ThrowEndOfFile();
  if (!wide) {
    std::string bytes(static_cast<size_t>(size), '\0');
    Read(bytes.data(), bytes.size());
    if (utf8::is_valid(bytes.begin(), bytes.end())) return bytes;
    return NarrowToUtf8(bytes);
  }
  // Decoded a piece at a time, so that a long string never has its raw
  // bytes, its UTF-16 form and its UTF-8 form in memory at once.
  std::string out;
  out.reserve(static_cast<size_t>(length));
  uint8_t piece[4096];
  uint32_t high = 0;  // a leading surrogate waiting for its partner
  for (uint64_t left = length; left > 0;) {
    const size_t units = static_cast<size_t>(std::min<uint64_t>(left, sizeof piece / 2));
    Read(piece, units * 2);
    left -= units;
    for (size_t i = 0; i < units; ++i) {
      const uint32_t unit = piece[2 * i] | (static_cast<uint32_t>(piece[2 * i + 1]) << 8);
      if (high != 0 && unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
        high = 0;
        continue;
      }
      if (high != 0) AppendUtf8(out, 0xFFFD);  // a lone surrogate has no UTF-8 form
      high = 0;
      if (unit >= 0xD800 && unit <= 0xDBFF) {
        high = unit;
      } else {
        AppendUtf8(out, unit >= 0xDC00 && unit <= 0xDFFF ? 0xFFFD : unit);
      }
    }
  }
  if (high != 0) AppendUtf8(out, 0xFFFD);
  return out;
}

void CArchive::WriteCount(uint64_t count) {
  if (count < kWordEscape) {
    WriteUInt16(static_cast<uint16_t>(count));
  } else if (count <= std::numeric_limits<uint32_t>::max()) {
    WriteUInt16(kWordEscape);
    WriteUInt32(static_cast<uint32_t>(count));
  } else {
    throw CArchiveException(CArchiveException::generic, "Too many elements for the archive");
  }
}

uint64_t CArchive::ReadCount(size_t min_element_size) {
  uint64_t count = ReadUInt16();
  if (count == kWordEscape) count = ReadUInt32();
  if (count * min_element_size > Remaining()) ThrowEndOfFile();
  return count;
}

void CArchive::WriteIntArray(const std::vector<int>& values) {
  WriteCount(values.size());
  for (int value : values) WriteUInt32(static_cast<uint32_t>(value));
}

uint64_t CArchive::ReadCount(size_t min_element_size, uint64_t max_count) {
  uint64_t count = ReadCount(min_element_size);
  if (count > max_count) throw CArchiveException(CArchiveException::generic, "Too many elements in archive");
  return count;
}

void CArchive::ReadIntArray(std::vector<int>& values, uint64_t max_count) {
  RequireLoading();
  uint64_t count = ReadCount(4, max_count);
  values.resize(static_cast<size_t>(count));
  std::vector<uint8_t> block(values.size() * 4);
  Read(block.data(), block.size());
  for (size_t i = 0; i < values.size(); ++i) {
    const uint8_t* p = &block[4 * i];
    values[i] =
        static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
  }
}

void CArchive::WriteStringArray(const std::vector<std::string>& values) {
  WriteCount(values.size());
  for (const std::string& value : values) WriteString(value);
}

void CArchive::ReadStringArray(std::vector<std::string>& values, uint64_t max_count) {
  RequireLoading();
  // The shortest string form is one length byte.
  uint64_t count = ReadCount(1, max_count);
  values.resize(static_cast<size_t>(count));
  for (std::string& value : values) value = ReadString();
}

CArchive& CArchive::operator<<(int32_t value) {
  WriteUInt32(static_cast<uint32_t>(value));
  return *this;
}

CArchive& CArchive::operator<<(uint32_t value) {
  WriteUInt32(value);
  return *this;
}

CArchive& CArchive::operator<<(std::string_view text) {
  WriteString(text);
  return *this;
}

CArchive& CArchive::operator>>(int32_t& value) {
  value = static_cast<int32_t>(ReadUInt32());
  return *this;
}

CArchive& CArchive::operator>>(uint32_t& value) {
  value = ReadUInt32();
  return *this;
}

CArchive& CArchive::operator>>(std::string& text) {
  text = ReadString();
  return *this;
}
