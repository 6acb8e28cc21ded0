// The WAV header and the output file the writers fill.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <vector>

#include "rip/track_writer.h"
#include "tests/rip/rip_test_util.h"

namespace {

std::vector<uint8_t> Header(uint32_t dataSize, const WavFormat& format) {
  std::vector<uint8_t> h(kWavHeaderSize);
  BuildWavHeader(h.data(), dataSize, format);
  return h;
}

TEST(WavHeaderTest, SixteenBitStereoCdAudioByteForByte) {
  const std::vector<uint8_t> expected = {'R', 'I', 'F',  'F',  0xE4, 0x96, 0x03, 0x00, 'W',  'A',  'V',
                                         'E', 'f', 'm',  't',  ' ',  16,   0,    0,    0,    1,    0,
                                         2,   0,   0x44, 0xAC, 0,    0,    0x10, 0xB1, 0x02, 0,    4,
                                         0,   16,  0,    'd',  'a',  't',  'a',  0xC0, 0x96, 0x03, 0x00};
  EXPECT_EQ(Header(235200, WavFormat{2, 44100, 16}), expected);
}

TEST(WavHeaderTest, FieldsFollowChannelsRateAndSampleSize) {
  struct Case {
    WavFormat format;
    uint32_t byteRate;
    uint16_t blockAlign;
  } cases[] = {
      {{2, 44100, 8}, 88200, 2}, {{1, 44100, 16}, 88200, 2}, {{1, 8000, 8}, 8000, 1}, {{2, 96000, 16}, 384000, 4}};
  for (const Case& c : cases) {
    const auto h = Header(1000, c.format);
    EXPECT_EQ(Le16(h, 22), c.format.channels);
    EXPECT_EQ(Le32(h, 24), c.format.sampleRate);
    EXPECT_EQ(Le32(h, 28), c.byteRate);
    EXPECT_EQ(Le16(h, 32), c.blockAlign);
    EXPECT_EQ(Le16(h, 34), c.format.bitsPerSample);
    EXPECT_EQ(Le32(h, 40), 1000u);
    EXPECT_EQ(Le32(h, 4), 1036u);
  }
}

TEST(OutputFileTest, WritesReservesPatchesAndTruncates) {
  TempFolder dir;
  OutputFile file;
  ASSERT_TRUE(file.Open(dir / "a.wav", O_WRONLY | O_CREAT | O_TRUNC));
  std::vector<uint8_t> expected(600 * 1024);
  for (size_t i = 0; i < expected.size(); ++i) expected[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(file.Write(expected.data(), expected.size()));
  EXPECT_LT(file.BytesOnDisk(), expected.size());  // the tail still waits in the buffer
  ASSERT_TRUE(file.Flush());
  EXPECT_EQ(file.BytesOnDisk(), expected.size());
  for (int round = 0; round < 40; ++round) {  // several buffers' worth, filled in place
    uint8_t* room = file.Reserve(4000);
    ASSERT_NE(room, nullptr);
    for (int i = 0; i < 4000; ++i) room[i] = static_cast<uint8_t>('a' + (round + i) % 26);
    file.Commit(4000);
    for (int i = 0; i < 4000; ++i) expected.push_back(static_cast<uint8_t>('a' + (round + i) % 26));
  }
  EXPECT_EQ(file.Reserve(1 << 30), nullptr);  // never more than the buffer holds
  const uint8_t head[4] = {'H', 'E', 'A', 'D'};
  ASSERT_TRUE(file.WriteAt(0, head, 4));
  std::copy(head, head + 4, expected.begin());
  ASSERT_TRUE(file.Close());
  EXPECT_TRUE(file.Close());  // closing twice is harmless
  EXPECT_EQ(file.Reserve(10), nullptr);
  EXPECT_EQ(ReadBytes(dir / "a.wav"), expected);

  ASSERT_TRUE(file.Open(dir / "t.bin", O_WRONLY | O_CREAT | O_TRUNC));
  ASSERT_TRUE(file.Write("0123456789", 10));
  ASSERT_TRUE(file.Truncate(4));
  EXPECT_EQ(file.BytesOnDisk(), 4u);
  ASSERT_TRUE(file.Open(dir / "b", O_WRONLY | O_CREAT | O_TRUNC));  // closes "t.bin" first
  EXPECT_EQ(file.BytesOnDisk(), 0u);
  ASSERT_TRUE(file.Close());
  EXPECT_EQ(ReadText(dir / "t.bin"), "0123");
}

TEST(OutputFileTest, FailuresAreReportedWithTheSystemsText) {
  TempFolder dir;
  OutputFile file;
  EXPECT_FALSE(file.Open(dir / "missing/x.wav", O_WRONLY | O_CREAT));
  EXPECT_EQ(file.ErrorText(), "No such file or directory");
  EXPECT_FALSE(file.IsOpen());
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_FALSE(file.WriteAt(0, "x", 1));

  WriteText(dir / "taken.wav", "x");
  EXPECT_FALSE(file.Open(dir / "taken.wav", O_WRONLY | O_CREAT | O_EXCL));
  EXPECT_EQ(file.ErrorText(), "File exists");
  EXPECT_EQ(ReadText(dir / "taken.wav"), "x");
}

}  // namespace
