// Pieces of the rip writer that stand alone: the 44-byte WAV header and the
// output file the writers fill, which knows exactly how many bytes reached
// the disk so that a failed write still leaves a file whose header is true.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

inline constexpr std::size_t kWavHeaderSize = 44;

struct WavFormat {
  uint16_t channels = 2;
  uint32_t sampleRate = 44100;
  uint16_t bitsPerSample = 16;  // 16 signed or 8 unsigned

  uint16_t BlockAlign() const { return static_cast<uint16_t>(channels * (bitsPerSample / 8)); }
  uint32_t ByteRate() const { return sampleRate * BlockAlign(); }
};

// The canonical PCM header (RIFF size dataSize + 36), little-endian.
void BuildWavHeader(uint8_t header[kWavHeaderSize], uint32_t dataSize, const WavFormat& format);

// A file written through a buffer with plain system calls. Failures are
// reported by return value and `Error()` (errno); `BytesOnDisk()` counts only
// what the system took.
class OutputFile {
 public:
  OutputFile();
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // `flags` as for open(2); the file gets mode 0666 less the umask.
  bool Open(const std::string& path, int flags);
  bool IsOpen() const { return fd_ >= 0; }

  bool Write(const void* data, std::size_t size);
  // Room for `size` bytes (at most the buffer's size) to fill in place, then
  // Commit them: spares a copy. Null when making room failed.
  uint8_t* Reserve(std::size_t size);
  void Commit(std::size_t size) { used_ += size; }
  bool Flush();
  // Flushes, then writes at an absolute offset (e.g. a header at 0).
  bool WriteAt(uint64_t offset, const void* data, std::size_t size);
  bool Truncate(uint64_t size);
  // Flushes and closes; false when either failed. Safe to call twice.
  bool Close();

  uint64_t BytesOnDisk() const { return onDisk_; }
  int Error() const { return error_; }
  std::string ErrorText() const;

 private:
  bool Fail();

  int fd_ = -1;
  std::unique_ptr<uint8_t[]> buffer_;
  std::size_t used_ = 0;
  uint64_t onDisk_ = 0;  // bytes at the end of the file that made it
  int error_ = 0;
};
