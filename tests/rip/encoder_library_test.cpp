// Loading the encoder library (present, absent, broken, incomplete) and the
// configuration record the rip job builds from the MP3 settings.
#include "rip/encoder_library.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

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

}  // namespace
