// Loading the encoder library (present, absent, broken, incomplete) and the
// configuration record the rip job builds from the MP3 settings.
#include "rip/encoder_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/settings.h"
#include "platform/folders.h"
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

uint32_t At32(const uint8_t* r, size_t offset) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | r[offset + static_cast<size_t>(i)];
  return v;
}

TEST(EncoderConfigTest, DefaultSettingsGiveTheFullRecord) {
  uint8_t config[LAME_ENC_CONFIG_SIZE];
  std::memset(config, 0xAA, sizeof config);
  FillEncoderConfig(config, 7, 11, 2);
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
  const int32_t modes[] = {3, 0, 1, 2};  // mono, stereo, joint stereo, dual channel
  for (int channel = 0; channel < 4; ++channel) {
    FillEncoderConfig(c, 7, 11, channel);
    EXPECT_EQ(At32(c, 20), static_cast<uint32_t>(modes[channel])) << channel;
  }
  FillEncoderConfig(c, 8, 16, 1);
  EXPECT_EQ(At32(c, 16), 48000u);
  EXPECT_EQ(At32(c, 24), 320u);
  EXPECT_EQ(At32(c, 12), 44100u);  // the encoder resamples, never the job
  FillEncoderConfig(c, 0, 0, 0, 2);
  EXPECT_EQ(At32(c, 16), 8000u);
  EXPECT_EQ(At32(c, 24), 8u);
  EXPECT_EQ(c[92], 0x02);
  EXPECT_EQ(c[93], 0xFD);

  // Without arguments the current settings count.
  const int16_t freq = LameFreq, bits = LameBits, channel = LameChannel;
  LameFreq = 4;
  LameBits = 7;
  LameChannel = 0;
  FillEncoderConfig(c);
  LameFreq = freq;
  LameBits = bits;
  LameChannel = channel;
  EXPECT_EQ(At32(c, 16), 22050u);
  EXPECT_EQ(At32(c, 24), 64u);
  EXPECT_EQ(At32(c, 20), 3u);
  EXPECT_EQ(c[92], 0x09);
}

TEST(EncoderConfigTest, IndexOutsideItsTableTakesTheDefault) {
  // As a damaged settings file could leave them: never read past a table.
  const int bad[][3] = {{11, 17, 4}, {-1, -1, -1}, {32767, 32767, 32767}, {-32768, 18, 5}};
  for (const auto& b : bad) {
    uint8_t c[LAME_ENC_CONFIG_SIZE];
    FillEncoderConfig(c, b[0], b[1], b[2]);
    EXPECT_EQ(At32(c, 16), 44100u) << b[0];
    EXPECT_EQ(At32(c, 24), 128u) << b[1];
    EXPECT_EQ(At32(c, 20), 1u) << b[2];
  }
  // 88200 and 96000 are in the table; the encoder refuses them itself.
  uint8_t c[LAME_ENC_CONFIG_SIZE];
  FillEncoderConfig(c, 10, 11, 2);
  EXPECT_EQ(At32(c, 16), 96000u);
}

// Every rate and bit rate the option pages offer: the library opens a stream
// exactly when the bit rate exists for that rate's MPEG version.
TEST(EncoderConfigTest, LibraryAcceptsEveryValidSettingsPair) {
  EncoderLibrary lib;
  ASSERT_EQ(lib.Load(GetProgramFolder()), EncoderLoadResult::Loaded);
  for (int freq = 0; freq <= 8; ++freq) {
    const uint32_t rate = SampleRates[freq];
    for (int bits = 0; bits < static_cast<int>(kMP3BitrateCount); ++bits) {
      const int kbps = MP3Bitrates[bits];
      const bool mpeg1 = rate >= 32000, mpeg25 = rate < 16000;
      const bool valid = mpeg1 ? kbps >= 32 : mpeg25 ? kbps <= 64 : kbps <= 160;
      uint8_t c[LAME_ENC_CONFIG_SIZE];
      FillEncoderConfig(c, freq, bits, 2);
      uint32_t chunk = 0, size = 0;
      LameEncStream s = 0;
      const uint32_t e = lib.InitStream(reinterpret_cast<const LameEncConfig*>(c), &chunk, &size, &s);
      EXPECT_EQ(e, valid ? LAME_ENC_OK : LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS) << rate << " Hz " << kbps;
      if (e == LAME_ENC_OK) {
        EXPECT_EQ(lib.CloseStream(s), LAME_ENC_OK);
      }
    }
  }
}

}  // namespace
