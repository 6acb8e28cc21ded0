// A small binary archive for the local CDDB cache file and other serialised
// objects. It reads and writes the byte forms other copies of this program
// use: little-endian integers, length-prefixed strings (written as UTF-16LE,
// read in both the wide and the narrow form) and element counts.
//
// An archive either stores or loads, over a file or a memory buffer. Every
// length and count read from the input is checked against the bytes that are
// left before anything is allocated, so a damaged file fails with
// CArchiveException instead of exhausting memory.
#pragma once

#include "platform/text_encoding.h"  // NarrowToUtf8

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class CArchiveException : public std::runtime_error {
 public:
  enum Cause {
    generic,    // malformed value, e.g. an impossible string length
    readOnly,   // a store into an archive that loads
    writeOnly,  // a load from an archive that stores
    endOfFile,  // the input ends inside a value
    fileError,  // the file could not be opened, read or written
  };

  CArchiveException(Cause cause, const std::string& text) : std::runtime_error(text), m_cause(cause) {}
  Cause cause() const { return m_cause; }

 private:
  Cause m_cause;
};

class CArchive {
 public:
  enum Mode { store, load };

  // A storing archive that collects the bytes in memory (see Bytes()).
  CArchive();
  // A loading archive over a copy of `bytes`.
  explicit CArchive(std::span<const uint8_t> bytes);
  // An archive over the file at `path`: loading opens it for reading (only a
  // regular file, without blocking), storing creates or truncates it. Throws
  // CArchiveException(fileError) when the file cannot be opened.
  CArchive(const std::string& path, Mode mode);
  // Takes ownership of an open stream (e.g. from fdopen); it is closed by
  // Close() or the destructor.
  CArchive(std::FILE* file, Mode mode);

  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;
  // Closes the file without writing bytes still buffered: a storing archive
  // must be finished with Close(), so a store that failed half-way never
  // looks complete.
  ~CArchive();

  bool IsStoring() const { return m_mode == store; }
  bool IsLoading() const { return m_mode == load; }

  // Storing over a file: writes the buffered bytes, flushes them to the disk
  // and closes the file; throws CArchiveException(fileError) when any of that
  // fails. Loading: closes the file. Harmless on a memory archive.
  void Close();

  // The bytes a memory archive stored so far.
  const std::vector<uint8_t>& Bytes() const { return m_buffer; }
  // Bytes a loading archive has not yet read.
  uint64_t Remaining() const;

  void Write(const void* data, size_t size);
  void Read(void* data, size_t size);

  void WriteUInt8(uint8_t value);
  void WriteUInt16(uint16_t value);
  void WriteUInt32(uint32_t value);
  void WriteUInt64(uint64_t value);
  uint8_t ReadUInt8();
  uint16_t ReadUInt16();
  uint32_t ReadUInt32();
  uint64_t ReadUInt64();

  // Strings: always stored in the wide form; loaded from the wide form or the
  // narrow one (UTF-8 when valid, else Windows-1252).
  void WriteString(std::string_view text);
  std::string ReadString();

  // Element counts of arrays. ReadCount fails with endOfFile when `count`
  // elements of at least `min_element_size` bytes each cannot fit in the
  // bytes that are left.
  void WriteCount(uint64_t count);
  uint64_t ReadCount(size_t min_element_size);
  // As above, and fails with generic when the count is above `max_count`.
  uint64_t ReadCount(size_t min_element_size, uint64_t max_count);

  // Arrays in the layout of the cache file: a count, then the elements. A
  // loaded count above `max_count` fails with generic before anything is
  // allocated: the bytes left bound a count, but a string costs memory many
  // times its one-byte shortest form.
  void WriteIntArray(const std::vector<int>& values);
  void ReadIntArray(std::vector<int>& values, uint64_t max_count = UINT64_MAX);
  void WriteStringArray(const std::vector<std::string>& values);
  void ReadStringArray(std::vector<std::string>& values, uint64_t max_count = UINT64_MAX);

  CArchive& operator<<(int32_t value);
  CArchive& operator<<(uint32_t value);
  CArchive& operator<<(std::string_view text);
  CArchive& operator>>(int32_t& value);
  CArchive& operator>>(uint32_t& value);
  CArchive& operator>>(std::string& text);

 private:
  static constexpr size_t kBufferSize = 4096;

  void RequireStoring() const;
  void RequireLoading() const;
  void FlushBuffer();
  void Refill();
  void CloseFile();
  uint64_t ReadStringLength(bool& wide);

  Mode m_mode;
  std::FILE* m_file = nullptr;
  std::vector<uint8_t> m_buffer;  // storing: pending bytes; loading: bytes at hand
  size_t m_position = 0;          // loading: next byte in m_buffer
  uint64_t m_fileLeft = 0;        // loading from a file: bytes not yet in m_buffer
};

// Text conversions of the archive's string forms, also used by its tests.
// Unpaired surrogates in UTF-16 and invalid UTF-8 sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
