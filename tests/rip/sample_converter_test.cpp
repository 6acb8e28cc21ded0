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
  std::vector<int16_t> v(frames * 2, left);
  for (size_t i = 1; i < v.size(); i += 2) v[i] = right;
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
  const auto size = static_cast<uint32_t>(input.size());
  SampleRing in(size);
  SampleRing out(size + 4096);
  EXPECT_EQ(in.Write(input.data(), size), size);
  std::atomic<uint32_t> left{size};
  SampleConversion c = Between(in, out, mono, size, left);
  c.resample = resample;
  c.outputRate = rate;
  Converted result;
  result.complete = RunSampleConversion(c);
  result.left = left.load();
  result.samples.resize(out.GetReadCount());
  out.Read(result.samples.data(), static_cast<uint32_t>(result.samples.size()));
  return result;
}

constexpr size_t kFramesPerSector = 588;

// Steady stereo input through each effect combination: the output length
// follows the rate and channels, and a steady input stays steady once the
// filter has settled, both channels going into one for mono.
TEST(SampleConverterTest, DownMixAndResampleGiveTheRightLengthAndLevel) {
  struct Case {
    bool mono, resample;
    int rate;
    int16_t left, right;
    size_t expectedSamples;
    int16_t level0, level1;
    int tolerance;
  } cases[] = {
      {true, false, 44100, 1000, 3000, 75 * kFramesPerSector, 2000, 2000, 2},
      {false, true, 22050, 8000, -8000, 75 * kFramesPerSector, 8000, -8000, 8},
      {true, true, 8000, 500, 700, 8000, 600, 600, 4},
  };
  for (const Case& c : cases) {
    const Converted r = Convert(StereoFrames(75 * kFramesPerSector, c.left, c.right), c.mono, c.resample, c.rate);
    EXPECT_TRUE(r.complete) << c.rate;
    EXPECT_EQ(r.left, 0u);
    ASSERT_EQ(r.samples.size(), c.expectedSamples) << c.rate;
    const size_t n = r.samples.size();
    for (size_t i = c.resample ? n / 4 & ~size_t{1} : 0; i < (c.resample ? 3 * n / 4 : n); i += 2) {
      ASSERT_NEAR(r.samples[i], c.level0, c.tolerance) << c.rate << " at " << i;
      ASSERT_NEAR(r.samples[i + 1], c.level1, c.tolerance) << c.rate << " at " << i;
    }
  }
  // With neither effect samples pass unchanged.
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

// The input effect hands libsox whole frames, widened, and only what the job
// still owes.
TEST(SampleConverterTest, DrainHandsWholeFramesAndWidens) {
  SampleRing in(20000), out(20000);
  std::atomic<uint32_t> left{9000};
  SampleConversion conversion = Between(in, out, false, 9000, left);
  std::vector<int16_t> buffer(kSoxBufferSamples);
  SoxEffectState state{&conversion, buffer.data()};
  sox_effect_t effect{};
  effect.priv = &state;
  effect.out_signal.channels = 2;
  std::vector<int16_t> input(9000);
  for (size_t i = 0; i < input.size(); ++i) input[i] = static_cast<int16_t>(i - 4500);
  in.Write(input.data(), 9000);
  std::vector<sox_sample_t> obuf(8192);
  size_t osamp = 8191;
  EXPECT_EQ(GetSoxInputHandler()->drain(&effect, obuf.data(), &osamp), SOX_SUCCESS);
  EXPECT_EQ(osamp, 8190u);
  EXPECT_EQ(left.load(), 810u);
  EXPECT_EQ(obuf[0], -4500 * 65536);
  EXPECT_EQ(obuf[8189], (8189 - 4500) * 65536);
  osamp = 8192;
  EXPECT_EQ(GetSoxInputHandler()->drain(&effect, obuf.data(), &osamp), SOX_SUCCESS);
  EXPECT_EQ(osamp, 810u);
  osamp = 8192;
  EXPECT_EQ(GetSoxInputHandler()->drain(&effect, obuf.data(), &osamp), SOX_EOF);
  EXPECT_EQ(osamp, 0u);
}

}  // namespace
