// The libsox conversion stage: down-mix, resampling, its two ring-facing
// effects, and that it never stays blocked once a stop is requested.
#include "rip/sample_converter.h"

#include <gtest/gtest.h>
#include <sox.h>

#include <cstdlib>
#include <thread>
#include <vector>

namespace {

// Stereo frames of a CD: left and right given per frame.
std::vector<int16_t> StereoFrames(size_t frames, int16_t left, int16_t right) {
  std::vector<int16_t> v;
  v.reserve(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    v.push_back(left);
    v.push_back(right);
  }
  return v;
}

SampleConversion Between(SampleRing& in, SampleRing& out, bool mono, uint32_t total,
                         std::atomic<uint32_t>& left) {
  SampleConversion c;
  c.input = &in;
  c.output = &out;
  c.mono = mono;
  c.totalSamples = total;
  c.samplesLeft = &left;
  return c;
}

struct Converted {
  std::vector<int16_t> samples;
  bool complete = false;
  uint32_t left = 0;
};

// Runs a whole conversion with all input already in the read ring and room
// for all output.
Converted Convert(const std::vector<int16_t>& input, bool mono, bool resample, int rate) {
  SampleRing in(static_cast<uint32_t>(input.size()));
  SampleRing out(static_cast<uint32_t>(input.size()) + 4096);
  EXPECT_EQ(in.Write(input.data(), static_cast<uint32_t>(input.size())), input.size());
  std::atomic<uint32_t> left{static_cast<uint32_t>(input.size())};
  SampleConversion c;
  c.input = &in;
  c.output = &out;
  c.mono = mono;
  c.resample = resample;
  c.outputRate = rate;
  c.totalSamples = static_cast<uint32_t>(input.size());
  c.samplesLeft = &left;
  Converted result;
  result.complete = RunSampleConversion(c);
  result.left = left.load();
  result.samples.resize(out.GetReadCount());
  out.Read(result.samples.data(), static_cast<uint32_t>(result.samples.size()));
  return result;
}

constexpr size_t kFramesPerSector = 588;

TEST(SampleConverterTest, MonoAt44100GivesOneSamplePerFrame) {
  const Converted same = Convert(StereoFrames(10 * kFramesPerSector, 1200, 1200), true, false, 44100);
  EXPECT_TRUE(same.complete);
  EXPECT_EQ(same.left, 0u);
  ASSERT_EQ(same.samples.size(), 10 * kFramesPerSector);
  for (int16_t s : same.samples) ASSERT_NEAR(s, 1200, 1);

  // Both channels go into the one.
  const Converted mixed = Convert(StereoFrames(kFramesPerSector, 1000, 3000), true, false, 44100);
  ASSERT_EQ(mixed.samples.size(), kFramesPerSector);
  for (int16_t s : mixed.samples) ASSERT_NEAR(s, 2000, 2);
}

TEST(SampleConverterTest, StereoTo22050HalvesTheFrames) {
  const Converted r = Convert(StereoFrames(75 * kFramesPerSector, 8000, -8000), false, true, 22050);
  EXPECT_TRUE(r.complete);
  ASSERT_EQ(r.samples.size(), 75 * kFramesPerSector);  // 22050 frames of two samples
  // A steady input stays steady once the filter has settled, channels apart.
  for (size_t i = 2000; i < 20000; i += 2) {
    ASSERT_NEAR(r.samples[i], 8000, 8) << i;
    ASSERT_NEAR(r.samples[i + 1], -8000, 8) << i;
  }
}

TEST(SampleConverterTest, MonoAt8000) {
  const Converted r = Convert(StereoFrames(75 * kFramesPerSector, 500, 700), true, true, 8000);
  EXPECT_TRUE(r.complete);
  ASSERT_EQ(r.samples.size(), 8000u);
  EXPECT_NEAR(r.samples[4000], 600, 4);
}

TEST(SampleConverterTest, WithNeitherEffectSamplesPassUnchanged) {
  std::vector<int16_t> input(3 * 1176);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<int16_t>(i * 37 - 20000);
  const Converted r = Convert(input, false, false, 44100);
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.samples, input);
}

TEST(SampleConverterTest, UnknownRateIsRefused) {
  EXPECT_THROW(Convert(StereoFrames(kFramesPerSector, 0, 0), false, true, 0), std::runtime_error);
}

// A conversion waiting for the reader must end once the job stops.
TEST(SampleConverterTest, StopEndsTheWaitForInput) {
  constexpr uint32_t kTotal = 1176 * 100;
  constexpr uint32_t kGiven = 2 * 8192;  // two whole drain requests of libsox
  SampleRing in(kTotal);
  SampleRing out(kTotal);
  const std::vector<int16_t> some = StereoFrames(kGiven / 2, 1, 1);
  in.Write(some.data(), kGiven);
  std::atomic<uint32_t> left{kTotal};
  std::atomic<bool> stop{false};
  SampleConversion c = Between(in, out, true, kTotal, left);
  c.stopRequested = [&] { return stop.load(); };
  bool complete = true;
  std::thread t([&] { complete = RunSampleConversion(c); });
  // What was given goes through; then the stage waits for more input.
  while (left.load() > kTotal - kGiven) std::this_thread::yield();
  stop = true;
  t.join();
  EXPECT_FALSE(complete);
  EXPECT_EQ(left.load(), kTotal - kGiven);
}

// A reader that ended without delivering all it announced must not leave
// the conversion waiting: what came in goes through.
TEST(SampleConverterTest, InputThatEndsShortIsConvertedAndTheStageEnds) {
  constexpr uint32_t kAnnounced = 1176 * 100;
  const std::vector<int16_t> some = StereoFrames(2500, 300, 300);
  SampleRing in(kAnnounced);
  SampleRing out(kAnnounced);
  in.Write(some.data(), static_cast<uint32_t>(some.size()));
  std::atomic<uint32_t> left{kAnnounced};
  SampleConversion c = Between(in, out, true, kAnnounced, left);
  c.inputEnded = [] { return true; };
  EXPECT_FALSE(RunSampleConversion(c));
  EXPECT_EQ(left.load(), kAnnounced - 5000);
  EXPECT_EQ(out.GetReadCount(), 2500u);
}

// A conversion waiting for room in a full convert ring must end too.
TEST(SampleConverterTest, StopEndsTheWaitForRoom) {
  const std::vector<int16_t> input = StereoFrames(20 * kFramesPerSector, 5, 5);
  SampleRing in(static_cast<uint32_t>(input.size()));
  SampleRing out(100);
  in.Write(input.data(), static_cast<uint32_t>(input.size()));
  std::atomic<uint32_t> left{static_cast<uint32_t>(input.size())};
  std::atomic<bool> stop{false};
  SampleConversion c = Between(in, out, false, static_cast<uint32_t>(input.size()), left);
  c.stopRequested = [&] { return stop.load(); };
  bool complete = true;
  std::thread t([&] { complete = RunSampleConversion(c); });
  // The first block is taken from the input, then waits for room it never gets.
  while (left.load() == input.size()) std::this_thread::yield();
  stop = true;
  t.join();
  EXPECT_FALSE(complete);
  EXPECT_EQ(out.GetReadCount(), 0u);
}

struct EffectFixture : ::testing::Test {
  SampleRing in{20000};
  SampleRing out{20000};
  std::atomic<uint32_t> left{0};
  SampleConversion conversion;
  std::vector<int16_t> buffer = std::vector<int16_t>(kSoxBufferSamples);
  SoxEffectState state;
  sox_effect_t effect{};

  void SetUp() override {
    conversion.input = &in;
    conversion.output = &out;
    conversion.samplesLeft = &left;
    state = {&conversion, buffer.data()};
    effect.priv = &state;
    effect.out_signal.channels = 2;
  }
};

TEST_F(EffectFixture, DrainHandsWholeFramesAndWidens) {
  std::vector<int16_t> input(9000);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<int16_t>(i - 4500);
  in.Write(input.data(), 9000);
  left = 9000;
  std::vector<sox_sample_t> obuf(8192);
  size_t osamp = 8191;
  EXPECT_EQ(GetSoxInputHandler()->drain(&effect, obuf.data(), &osamp), SOX_SUCCESS);
  EXPECT_EQ(osamp, 8190u);
  EXPECT_EQ(left.load(), 810u);
  EXPECT_EQ(obuf[0], -4500 * 65536);
  EXPECT_EQ(obuf[8189], (8189 - 4500) * 65536);

  // Only what the job still owes is taken.
  osamp = 8192;
  EXPECT_EQ(GetSoxInputHandler()->drain(&effect, obuf.data(), &osamp), SOX_SUCCESS);
  EXPECT_EQ(osamp, 810u);
  osamp = 8192;
  EXPECT_EQ(GetSoxInputHandler()->drain(&effect, obuf.data(), &osamp), SOX_EOF);
  EXPECT_EQ(osamp, 0u);
}

TEST_F(EffectFixture, FlowNarrowsIntoTheConvertRing) {
  std::vector<sox_sample_t> ibuf = {0x12345678, -65536, 0x7FFFFFFF, static_cast<sox_sample_t>(0x80000000)};
  size_t isamp = ibuf.size();
  size_t osamp = 99;
  EXPECT_EQ(GetSoxOutputHandler()->flow(&effect, ibuf.data(), nullptr, &isamp, &osamp), SOX_SUCCESS);
  EXPECT_EQ(osamp, 0u);
  EXPECT_EQ(isamp, 4u);
  int16_t got[4];
  ASSERT_EQ(out.Read(got, 4), 4u);
  EXPECT_EQ(got[0], 0x1234);
  EXPECT_EQ(got[1], -1);
  EXPECT_EQ(got[2], 32767);
  EXPECT_EQ(got[3], -32768);
}

TEST(SampleConverterTest, HandlersAreMultiChannelAndNamed) {
  EXPECT_STREQ(GetSoxInputHandler()->name, "input");
  EXPECT_STREQ(GetSoxOutputHandler()->name, "output");
  EXPECT_EQ(GetSoxInputHandler()->flags, static_cast<unsigned>(SOX_EFF_MCHAN));
  EXPECT_EQ(GetSoxOutputHandler()->flags, static_cast<unsigned>(SOX_EFF_MCHAN));
  EXPECT_NO_THROW(EnsureSoxInitialized());
  EXPECT_NO_THROW(EnsureSoxInitialized());  // a second call must not set libsox up again
}

}  // namespace
