// The plain types the rip job passes between its threads: the per-track entry,
// the lock-free sample FIFO that joins reader, converter and writer (and the
// player), and the small sample-format conversions on the way to the files.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

// CD audio units.
inline constexpr int kBytesPerSector = 2352;
inline constexpr int kSamplesPerSector = 1176;  // signed 16-bit, stereo interleaved
inline constexpr int kSectorsPerSecond = 75;

// One entry of the rip job's track list.
struct TrackData {
  uint16_t TrackNumber = 0;  // 0-based row of the track in the track list
  int32_t StartLBA = 0;      // first sector
  int32_t Length = 0;        // sectors
  int32_t TotalLength = 0;   // sum of Length over this entry and those before it
};

// Fixed-capacity FIFO with one writer and `Readers` readers. One slot always
// stays empty, so a ring built for capacity n holds at most n elements. The
// writer only moves writeIndex and each reader only its readIndex; each side
// reads the other's index to compute counts, which are therefore conservative.
// Indices are atomics so the two threads need no lock.
template <typename T, unsigned Readers = 1>
class RingBuffer {
  static_assert(Readers >= 1);

 public:
  explicit RingBuffer(uint32_t capacity)
      : buffer_(new T[static_cast<size_t>(capacity) + 1]), size_(capacity + 1) {
    writeIndex_.store(0, std::memory_order_relaxed);
    for (auto& r : readIndex_) r.store(0, std::memory_order_relaxed);
  }
  virtual ~RingBuffer() = default;
  RingBuffer(const RingBuffer&) = delete;
  RingBuffer& operator=(const RingBuffer&) = delete;

  // Empties the ring for reader 0 and the writer; other readers keep their place.
  void Reset() {
    writeIndex_.store(0, std::memory_order_release);
    readIndex_[0].store(0, std::memory_order_release);
  }

  uint32_t GetReadCount(unsigned reader = 0) const {
    const uint32_t w = writeIndex_.load(std::memory_order_acquire);
    const uint32_t r = readIndex_[reader].load(std::memory_order_relaxed);
    if (w > r) return w - r;
    return (w + size_ - r) % size_;
  }

  // Only reader 0 limits the writer.
  uint32_t GetFreeCount() const {
    const uint32_t r = readIndex_[0].load(std::memory_order_acquire);
    const uint32_t w = writeIndex_.load(std::memory_order_relaxed);
    return (r + size_ - w - 1) % size_;
  }

  // Copies up to `count` elements; what is not available is returned as zeros.
  // Returns the number of real elements.
  uint32_t Read(T* dst, uint32_t count, unsigned reader = 0) {
    const uint32_t n = std::min(count, GetReadCount(reader));
    if (n < count) std::fill(dst + n, dst + count, T{});
    if (n == 0) return 0;
    const uint32_t r = readIndex_[reader].load(std::memory_order_relaxed);
    const uint32_t first = std::min(n, size_ - r);
    std::copy_n(buffer_.get() + r, first, dst);
    std::copy_n(buffer_.get(), n - first, dst + first);
    readIndex_[reader].store((r + n) % size_, std::memory_order_release);
    return n;
  }

  // Stores as much of `src` as fits; the rest is dropped.
  uint32_t Write(const T* src, uint32_t count) {
    const uint32_t n = std::min(count, GetFreeCount());
    if (n == 0) return 0;
    const uint32_t w = writeIndex_.load(std::memory_order_relaxed);
    const uint32_t first = std::min(n, size_ - w);
    std::copy_n(src, first, buffer_.get() + w);
    std::copy_n(src + first, n - first, buffer_.get());
    writeIndex_.store((w + n) % size_, std::memory_order_release);
    return n;
  }

  uint32_t Capacity() const { return size_ - 1; }

 private:
  std::unique_ptr<T[]> buffer_;
  std::atomic<uint32_t> writeIndex_;
  std::atomic<uint32_t> readIndex_[Readers];
  uint32_t size_;
};

using SampleRing = RingBuffer<short, 1>;

// Cleared from every sample before MP3 encoding.
inline constexpr int16_t SampleMask = static_cast<int16_t>(0xFFF0);

// Signed 16-bit to unsigned 8-bit PCM: the high byte, offset by 128.
uint32_t SamplesTo8Bit(const int16_t* src, uint8_t* dst, uint32_t count);
void MaskSamples(int16_t* samples, uint32_t count);
void Widen16To32(const int16_t* src, int32_t* dst, uint32_t count);
void Narrow32To16(const int32_t* src, int16_t* dst, uint32_t count);

// The one place where text is narrowed for the encoder library. Text is
// already UTF-8 here, so this only guards against embedded NULs.
std::string WideToAnsi(const char* text);
std::string WideToAnsi(std::string_view text);
