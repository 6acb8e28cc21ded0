// Loading the encoder library (present, absent, broken, incomplete) and the
// configuration record the rip job builds from the MP3 settings.
#include "rip/encoder_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

#include "app/settings.h"
#include "platform/folders.h"
#include "rip/rip_types.h"
#include "tests/rip/encode_util.h"
#include "tests/rip/rip_test_util.h"

namespace {

bool AllEntryPointsNull(const EncoderLibrary& lib) {
  return lib.InitStream == nullptr && lib.EncodeChunk == nullptr && lib.DeinitStream == nullptr &&
         lib.CloseStream == nullptr && lib.WriteVBRHeader == nullptr && lib.WriteInfoTag == nullptr;
}

TEST(EncoderLibraryTest, LoadsTheBuiltLibraryWithAllSixEntryPoints) {
  EncoderLibrary lib;
  ASSERT_EQ(lib.Load(GetProgramFolder()), EncoderLoadResult::Loaded) << lib.LastError();
  EXPECT_TRUE(lib.IsLoaded());
  EXPECT_TRUE(lib.InitStream && lib.EncodeChunk && lib.DeinitStream && lib.CloseStream && lib.WriteVBRHeader &&
              lib.WriteInfoTag);
  // The folder may end with a separator; the program's own folder is the default.
  EXPECT_EQ(lib.Load(GetProgramFolder() + "/"), EncoderLoadResult::Loaded);
  EXPECT_EQ(lib.Load(), EncoderLoadResult::Loaded);
  lib.Unload();
  EXPECT_FALSE(lib.IsLoaded());
  EXPECT_TRUE(AllEntryPointsNull(lib));

  // The info tag entry point is optional.
  const std::string noInfoTag = GetProgramFolder() + "/lame_enc_no_info_tag";
  ASSERT_TRUE(PathFileExists(noInfoTag + "/lame_enc.so")) << "test stub library not built: " << noInfoTag;
  ASSERT_EQ(lib.Load(noInfoTag), EncoderLoadResult::Loaded);
  EXPECT_NE(lib.WriteVBRHeader, nullptr);
  EXPECT_EQ(lib.WriteInfoTag, nullptr);
}

TEST(EncoderLibraryTest, AbsentBrokenOrIncompleteLibrariesLeaveNothingLoaded) {
  TempFolder dir;
  std::filesystem::create_directories(dir / "broken");
  WriteText(dir / "broken/lame_enc.so", "not a shared library");
  const std::string incomplete = GetProgramFolder() + "/lame_enc_incomplete";
  ASSERT_TRUE(PathFileExists(incomplete + "/lame_enc.so")) << "test stub library not built: " << incomplete;
  const struct {
    std::string folder;
    EncoderLoadResult result;
  } cases[] = {
      {dir.Path(), EncoderLoadResult::LibraryMissing},
      {dir / "no such folder", EncoderLoadResult::LibraryMissing},
      {"", EncoderLoadResult::LibraryMissing},  // never the working folder
      {dir / "broken", EncoderLoadResult::LibraryMissing},
      {incomplete, EncoderLoadResult::EntryPointMissing},
  };
  for (const auto& c : cases) {
    EncoderLibrary lib;
    ASSERT_EQ(lib.Load(GetProgramFolder()), EncoderLoadResult::Loaded);
    // A failed load leaves nothing of the earlier one behind.
    EXPECT_EQ(lib.Load(c.folder), c.result) << c.folder;
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_TRUE(AllEntryPointsNull(lib)) << c.folder;
    EXPECT_FALSE(lib.LastError().empty());
  }
}

// Bit rate in kbps and size in bytes of the frame at `at` (0, 0 for no frame).
std::pair<uint32_t, size_t> FrameAt(const std::vector<uint8_t>& f, size_t at) {
  static const uint32_t kBitRates[2][16] = {
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG-2, 2.5
  };
  static const uint32_t kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  if (at + 4 > f.size() || f[at] != 0xFF || (f[at + 1] & 0xE0) != 0xE0) return {0, 0};
  const int version = (f[at + 1] >> 3) & 3;
  const uint32_t kbps = kBitRates[version == 3 ? 0 : 1][f[at + 2] >> 4];
  const uint32_t rate = kRates[version][std::min((f[at + 2] >> 2) & 3, 2)];
  if (rate == 0) return {0, 0};
  const size_t size = (version == 3 ? 144000u : 72000u) * kbps / rate + ((f[at + 2] >> 1) & 1);
  return {kbps, size};
}

uint32_t At32(const uint8_t* r, size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | r[offset + static_cast<size_t>(i)];
  return v;
}

TEST(EncoderConfigTest, DefaultSettingsGiveTheFullRecord) {
  uint8_t config[LAME_ENC_CONFIG_SIZE];
  std::memset(config, 0xAA, sizeof config);
  FillEncoderConfig(config, Mp3Settings{});
  uint8_t expected[LAME_ENC_CONFIG_SIZE] = {};
  const uint8_t head[] = {
      0x00, 0x01, 0x00, 0x00,  // kind 256
      0x01, 0x00, 0x00, 0x00,  // layout version 1
      0x4B, 0x01, 0x00, 0x00,  // size 331
      0x44, 0xAC, 0x00, 0x00,  // input 44100
      0x44, 0xAC, 0x00, 0x00,  // output 44100
      0x01, 0x00, 0x00, 0x00,  // joint stereo
      0x80, 0x00, 0x00, 0x00,  // 128 kbps
      0x00, 0x00, 0x00, 0x00,  // maximum bit rate
      0xFF, 0xFF, 0xFF, 0xFF,  // no preset
      0x01, 0x00, 0x00, 0x00,  // MPEG-1
  };
  std::memcpy(expected, head, sizeof head);
  expected[64] = 1;     // header frame
  expected[84] = 1;     // no bit reservoir
  expected[92] = 0x09;  // quality 0xF609
  expected[93] = 0xF6;
  EXPECT_EQ(0, std::memcmp(config, expected, sizeof config));
}

TEST(EncoderConfigTest, SettingsMapToTheirFields) {
  uint8_t c[LAME_ENC_CONFIG_SIZE];
  // Mono, stereo, joint stereo, dual channel; anything else joint stereo, as
  // a damaged settings file could leave it.
  const int32_t modes[] = {3, 0, 1, 2, 1, 1, 1};
  const int channels[] = {0, 1, 2, 3, 4, -1, 32767};
  for (size_t i = 0; i < std::size(channels); ++i) {
    FillEncoderConfig(c, Mp3Settings{44100, 128, channels[i], 9});
    EXPECT_EQ(At32(c, 20), static_cast<uint32_t>(modes[i])) << channels[i];
  }
  FillEncoderConfig(c, Mp3Settings{48000, 320, 1, 9});
  EXPECT_EQ(At32(c, 16), 48000u);
  EXPECT_EQ(At32(c, 24), 320u);
  EXPECT_EQ(At32(c, 12), 44100u);  // the encoder resamples, never the job
  FillEncoderConfig(c, Mp3Settings{8000, 8, 0, 2});
  EXPECT_EQ(At32(c, 16), 8000u);
  EXPECT_EQ(At32(c, 24), 8u);
  EXPECT_EQ(c[92], 0x02);
  EXPECT_EQ(c[93], 0xFD);
}

// Every rate and bit rate the Encoder page offers gives an MP3: a bit rate
// the rate's MPEG version lacks becomes the nearest one it has. Each file
// has its header frame, also where a frame of its bit rate is too small to
// hold it, and so decodes to the exact length of its input at its rate.
TEST(EncoderConfigTest, EveryOfferedRateAndBitRateGivesAnMp3) {
  constexpr size_t kFrames = 8820;  // 0.2 s: a whole number of samples at every rate
  std::vector<int16_t> pcm(kFrames * 2);
  for (size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = static_cast<int16_t>(6000 * std::sin(static_cast<double>(i / 2) * 0.05 * (i % 2 ? 1.5 : 1.0)));
  MaskSamples(pcm.data(), static_cast<uint32_t>(pcm.size()));
  // The bit rate each offered one becomes, by MPEG version.
  const uint32_t mpeg1[] = {32, 32, 32, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  const uint32_t mpeg2[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 160, 160, 160, 160};
  const uint32_t mpeg25[] = {8, 16, 24, 32, 40, 48, 56, 64, 64, 64, 64, 64, 64, 64, 64, 64, 64};
  const struct {
    int freq;
    const uint32_t* kbps;
  } rates[] = {{0, mpeg25}, {1, mpeg25}, {2, mpeg25}, {3, mpeg2}, {4, mpeg2},
               {5, mpeg2},  {6, mpeg1},  {7, mpeg1},  {8, mpeg1}};
  TempFolder dir;
  for (const auto& r : rates) {
    const uint32_t rate = SampleRates[r.freq];
    for (size_t bits = 0; bits < kMP3BitrateCount; ++bits) {
      const auto offered = static_cast<uint32_t>(MP3Bitrates[bits]);
      SCOPED_TRACE(std::to_string(rate) + " Hz " + std::to_string(offered) + " kbps");
      // Mono now and then: its header frame has less side information.
      const int channel = bits % 4 == 3 ? 0 : 2;
      uint8_t config[LAME_ENC_CONFIG_SIZE];
      FillEncoderConfig(config, Mp3Settings{rate, offered, channel, LameQuality});
      std::vector<int16_t> input = pcm;
      if (channel == 0) input.resize(kFrames);
      const std::string path = dir / (std::to_string(rate) + "-" + std::to_string(offered) + ".mp3");
      const std::vector<uint8_t> file = EncodeToFile(config, input, path);
      ASSERT_GE(file.size(), 4u);
      EXPECT_NE(std::string(file.begin(), file.begin() + 200).find("Info"), std::string::npos);
      // The header frame may be larger; the audio frames have the bit rate.
      EXPECT_EQ(FrameAt(file, FrameAt(file, 0).second).first, r.kbps[bits]);
      EXPECT_EQ(DecodeMp3(path).size(), input.size() * rate / 44100);
    }
  }
}

}  // namespace
