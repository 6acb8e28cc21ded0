// Loading the encoder library (present, absent, broken, incomplete) and the
// configuration record the rip job builds from the MP3 settings.
#include "rip/encoder_library.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <string>

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

// Bit rate in kbps of the first frame header (the file has no tags).
uint32_t FrameBitRate(const std::vector<uint8_t>& f) {
  static const uint32_t kTable[2][16] = {
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},  // MPEG-1
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},      // MPEG-2, 2.5
  };
  if (f[0] != 0xFF || (f[1] & 0xE0) != 0xE0) return 0;
  const size_t version = ((f[1] >> 3) & 3) == 3 ? 0 : 1;
  return kTable[version][f[2] >> 4];
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
// the rate's MPEG version lacks becomes the nearest one it has. A file whose
// frames can hold the header frame decodes to the exact length of its input
// at the output rate; in smaller frames the encoder writes none, and the
// decoder then keeps the encoder's delay and padding (under four frames).
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
    uint32_t frameSamples;  // per channel
  } rates[] = {{0, mpeg25, 576}, {1, mpeg25, 576}, {2, mpeg25, 576},  {3, mpeg2, 576},  {4, mpeg2, 576},
               {5, mpeg2, 576},  {6, mpeg1, 1152}, {7, mpeg1, 1152}, {8, mpeg1, 1152}};
  EncoderLibrary lib;
  ASSERT_EQ(lib.Load(GetProgramFolder()), EncoderLoadResult::Loaded);
  TempFolder dir;
  for (const auto& r : rates) {
    const uint32_t rate = SampleRates[r.freq];
    for (size_t bits = 0; bits < kMP3BitrateCount; ++bits) {
      const auto offered = static_cast<uint32_t>(MP3Bitrates[bits]);
      SCOPED_TRACE(std::to_string(rate) + " Hz " + std::to_string(offered) + " kbps");
      uint8_t config[LAME_ENC_CONFIG_SIZE];
      FillEncoderConfig(config, Mp3Settings{rate, offered, 2, LameQuality});
      OpenedStream s;
      ASSERT_EQ(s.Open(lib, config), LAME_ENC_OK);
      const std::string path = dir / (std::to_string(rate) + "-" + std::to_string(offered) + ".mp3");
      const std::vector<uint8_t> mp3 = EncodeOpened(lib, s, pcm);
      WriteBytes(path, mp3);
      ASSERT_GE(mp3.size(), 4u);
      EXPECT_EQ(FrameBitRate(mp3), r.kbps[bits]);
      // Frame bytes against side information and header frame (156 bytes).
      const uint32_t frameBytes = r.frameSamples / 8 * r.kbps[bits] * 1000 / rate;
      const bool headerFrameFits = frameBytes >= (r.frameSamples == 1152 ? 32u : 17u) + 156u;
      EXPECT_EQ(lib.WriteInfoTag(s.stream, path.c_str()), headerFrameFits ? LAME_ENC_OK : LAME_ENC_ERR_ENCODER);
      const size_t exact = kFrames * rate / 44100 * 2;
      const size_t decoded = DecodeMp3(path).size();
      if (headerFrameFits) {
        EXPECT_EQ(decoded, exact);
      } else {
        EXPECT_GT(decoded, exact);
        EXPECT_LT(decoded, exact + 2 * 4 * r.frameSamples);
      }
    }
  }
}

}  // namespace
