#include "rip/rip_types.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(RingBuffer, NewRingFillsToCapacityAndDropsWhatDoesNotFit) {
  RingBuffer<short, 1> ring(4);
  EXPECT_EQ(ring.GetReadCount(0), 0u);
  EXPECT_EQ(ring.GetFreeCount(), 4u);
  const short in[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(ring.Write(in, 6), 4u);
  EXPECT_EQ(ring.GetReadCount(0), 4u);
  EXPECT_EQ(ring.GetFreeCount(), 0u);
  EXPECT_EQ(ring.Write(in, 1), 0u);
  short out[4];
  ring.Read(out, 4, 0);
  EXPECT_EQ(out[3], 4);
}

TEST(RingBuffer, ShortReadZeroFillsTheRest) {
  RingBuffer<short, 1> ring(16);
  const short in[4] = {1, 2, 3, 4};
  ring.Write(in, 4);
  short out[10];
  std::fill(std::begin(out), std::end(out), short{-1});
  EXPECT_EQ(ring.Read(out, 10, 0), 4u);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[3], 4);
  for (int i = 4; i < 10; ++i) EXPECT_EQ(out[i], 0) << i;
  EXPECT_EQ(ring.Read(out, 3, 0), 0u);
  EXPECT_EQ(out[0], 0);
}

TEST(RingBuffer, WrapAroundTheEndThenReset) {
  RingBuffer<short, 1> ring(9);  // 10 slots
  short scratch[8] = {};
  ring.Write(scratch, 8);
  ring.Read(scratch, 8, 0);  // indices now at 8: two slots before the end
  const short in[5] = {10, 11, 12, 13, 14};
  EXPECT_EQ(ring.Write(in, 5), 5u);
  EXPECT_EQ(ring.GetReadCount(0), 5u);
  short out[5] = {};
  EXPECT_EQ(ring.Read(out, 5, 0), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(out[i], in[i]);
  EXPECT_EQ(ring.GetFreeCount(), 9u);

  ring.Write(in, 3);
  ring.Reset();
  EXPECT_EQ(ring.GetReadCount(0), 0u);
  EXPECT_EQ(ring.GetFreeCount(), 9u);
}

TEST(RingBuffer, SecondReaderDoesNotLimitTheWriter) {
  RingBuffer<short, 2> ring(4);
  const short in[4] = {1, 2, 3, 4};
  ring.Write(in, 4);
  short out[4];
  ring.Read(out, 4, 0);
  EXPECT_EQ(ring.GetReadCount(1), 4u);
  EXPECT_EQ(ring.GetFreeCount(), 4u);
}

// One writer and one reader on their own threads see every sample once, in
// order, with no lock: the index handover must publish the data it covers.
TEST(RingBuffer, OneWriterOneReaderKeepOrderAcrossThreads) {
  RingBuffer<short, 1> ring(1000);
  constexpr int kTotal = 200000;
  std::thread writer([&] {
    short chunk[97];
    for (int next = 0; next < kTotal;) {
      const int n = std::min<int>(97, kTotal - next);
      if (ring.GetFreeCount() < static_cast<uint32_t>(n)) {
        std::this_thread::yield();
        continue;
      }
      for (int i = 0; i < n; ++i) chunk[i] = static_cast<short>((next + i) & 0x7FFF);
      ring.Write(chunk, n);
      next += n;
    }
  });
  int expected = 0;
  bool inOrder = true;
  short chunk[61];
  while (expected < kTotal) {
    const uint32_t n = std::min<uint32_t>(61, ring.GetReadCount(0));
    if (n == 0) {
      std::this_thread::yield();
      continue;
    }
    ring.Read(chunk, n, 0);
    for (uint32_t i = 0; i < n; ++i, ++expected) inOrder &= chunk[i] == static_cast<short>(expected & 0x7FFF);
  }
  writer.join();
  EXPECT_TRUE(inOrder);
}

TEST(SampleConversions, EightBitMaskWidenAndNarrow) {
  const int16_t src[5] = {-32768, 0, 32767, 255, 256};
  uint8_t dst[5];
  EXPECT_EQ(SamplesTo8Bit(src, dst, 5), 5u);
  EXPECT_EQ(std::vector<uint8_t>(dst, dst + 5), (std::vector<uint8_t>{0, 128, 255, 128, 129}));  // high byte only

  int16_t s[3] = {0x1237, -1, 0x000F};
  MaskSamples(s, 3);
  EXPECT_EQ(std::vector<int16_t>(s, s + 3), (std::vector<int16_t>{0x1230, -16, 0}));

  const int16_t narrow[4] = {-32768, -1, 0, 32767};
  int32_t wide[4];
  int16_t back[4];
  Widen16To32(narrow, wide, 4);
  EXPECT_EQ(wide[1], -65536);
  EXPECT_EQ(wide[3], 32767 * 65536);
  Narrow32To16(wide, back, 4);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(back[i], narrow[i]);
  const int32_t odd[2] = {0x0001FFFF, -1};
  Narrow32To16(odd, back, 2);
  EXPECT_EQ(back[0], 1);   // truncated, not rounded
  EXPECT_EQ(back[1], -1);  // arithmetic shift
}

TEST(SampleConversions, WideToAnsiHandlesNullAndEmbeddedNul) {
  EXPECT_EQ(WideToAnsi(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(WideToAnsi("Caf\xC3\xA9"), "Caf\xC3\xA9");
  EXPECT_EQ(WideToAnsi(std::string_view("ab\0cd", 5)), "ab");
}

}  // namespace
