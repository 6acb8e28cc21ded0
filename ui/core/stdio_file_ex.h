// A line-oriented text file that holds either UTF-16LE text (with the mark
// FF FE) or narrow text. Narrow text is UTF-8 on this platform: the system's
// code page (-1, the default) writes it without a mark, code page 65001 writes
// the mark EF BB BF into an empty file. The log file is its main user.
//
// Open flags are the class library's values, so callers and stored settings
// can keep their numbers; `UnicodeFileFlag` asks for a UTF-16LE file.
//
// Encoding rules:
// - A file that already has content keeps its encoding whatever the open flags
//   ask for: FF FE at its start means UTF-16LE, anything else narrow text. So
//   appending to an existing log never mixes two encodings in one file.
// - A read at position 0 skips a byte-order mark only when the bytes really
//   are one (FF FE for UTF-16LE, EF BB BF for narrow UTF-8 text).
// - Text handed in and out is UTF-8. Bytes that are not valid text (a bad
//   UTF-8 sequence, a lone surrogate, an odd trailing byte) are replaced by
//   U+FFFD rather than dropped, and the line is reported through
//   `LastLineDamaged` and `DamagedLineCount`.
//
// Errors are values: `Open` returns false (and an error text), `WriteString`
// and `Close` return false when the bytes did not reach the file, `ReadString`
// returns false at the end of the file or on a read error (see `HasError`).
// Not thread-safe: one object per user, kept for the length of one job.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class CStdioFileEx {
 public:
  // Open flags (combine with |).
  static constexpr std::uint32_t modeRead = 0x0000;
  static constexpr std::uint32_t modeWrite = 0x0001;
  static constexpr std::uint32_t modeReadWrite = 0x0002;
  static constexpr std::uint32_t modeCreate = 0x1000;
  static constexpr std::uint32_t modeNoTruncate = 0x2000;
  static constexpr std::uint32_t typeText = 0x4000;
  static constexpr std::uint32_t typeBinary = 0x8000;
  static constexpr std::uint32_t UnicodeFileFlag = 0x200000;

  // Code pages of narrow text.
  static constexpr int kSystemCodePage = -1;  // the system's code page: UTF-8 here
  static constexpr int kUtf8CodePage = 65001;

  enum SeekOrigin { begin = 0, current = 1, end = 2 };

  CStdioFileEx() = default;
  ~CStdioFileEx();
  CStdioFileEx(const CStdioFileEx&) = delete;
  CStdioFileEx& operator=(const CStdioFileEx&) = delete;

  // Opens `path`. Text mode is always turned into binary mode, so line ends
  // pass unchanged. On failure returns false and, when `error` is given,
  // stores a text naming the cause.
  bool Open(const std::string& path, std::uint32_t flags, std::string* error = nullptr);
  // Flushes and closes; false when buffered bytes could not be written.
  bool Close();
  bool IsOpen() const { return stream_ != nullptr; }

  // Moves the position and makes the next read at position 0 look for a mark
  // again. Returns the new position, or -1 on failure.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin);
  std::int64_t SeekToEnd() { return Seek(0, end); }
  void SeekToBegin() { Seek(0, begin); }
  std::int64_t GetPosition() const;
  std::int64_t GetLength() const;

  // Writes `text` (UTF-8) as it is; the caller supplies line ends ("\r\n").
  // At position 0 the byte-order mark of the file's encoding goes first.
  bool WriteString(const std::string& text);
  // Reads one line without its line feed and one carriage return before it.
  // The line ends at its first NUL character. Returns false at the end of
  // the file, with `out` empty.
  bool ReadString(std::string& out);

  // Accepts kSystemCodePage and kUtf8CodePage; other code pages cannot be
  // converted on this platform and are refused (returns false).
  bool SetCodePage(int codePage);
  int GetCodePage() const { return codePage_; }

  // Whether the open file's text is UTF-16LE (decided by Open).
  bool IsUnicode() const { return unicode_; }
  // The flags as adjusted by Open (typeText removed, typeBinary added).
  std::uint32_t GetOpenFlags() const { return openFlags_; }

  // Whether the last line read or written held bytes that could not be
  // converted (they were replaced by U+FFFD), and how many such lines there
  // were since Open.
  bool LastLineDamaged() const { return lastLineDamaged_; }
  int DamagedLineCount() const { return damagedLines_; }
  // Whether a read or write on this file has failed since Open.
  bool HasError() const { return ioError_; }

 private:
  enum class LastOp { None, Read, Write };

  void PrepareFor(LastOp op);
  bool SkipMarkIfPresent(const unsigned char* mark, int size);
  bool ReadUnits16(std::u16string& line, bool& odd);
  bool ReadBytes(std::string& line);
  bool WriteBytes(const void* data, std::size_t size);
  void NoteLine(bool damaged);
  void DecideEncoding(int fd, const std::string& path, std::uint32_t access);

  std::FILE* stream_ = nullptr;
  bool unicode_ = false;
  std::uint32_t openFlags_ = 0;
  int codePage_ = kSystemCodePage;
  bool writeMark_ = true;
  bool markCheck_ = true;
  LastOp lastOp_ = LastOp::None;
  bool lastLineDamaged_ = false;
  int damagedLines_ = 0;
  bool ioError_ = false;
};
