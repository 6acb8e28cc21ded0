// The encoder library lame_enc.so, loaded the way the program loads it:
// encoding real signals to files that mpg123 decodes to the exact input
// length, the header frame, refused records and misused stream handles.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "platform/lame_enc/lame_enc_api.h"
#include "rip/encoder_library.h"
#include "rip/rip_types.h"
#include "tests/rip/encode_util.h"

namespace {

// A record as the program builds it, for any rate, mode and bit rate.
LameEncConfig MakeConfig(uint32_t outputRate = 44100, int32_t mode = LAME_ENC_MODE_JOINT_STEREO, uint32_t kbps = 128,
                         bool headerFrame = true) {
  LameEncConfig c{};
  c.kind = LAME_ENC_CONFIG_KIND;
  c.version = LAME_ENC_CONFIG_VERSION;
  c.size = LAME_ENC_CONFIG_SIZE;
  c.inputRate = 44100;
  c.outputRate = outputRate;
  c.mode = mode;
  c.bitRate = kbps;
  c.preset = LAME_ENC_PRESET_NONE;
  c.mpegVersion = LAME_ENC_MPEG1;
  c.writeHeaderFrame = headerFrame ? 1 : 0;
  c.noBitReservoir = 1;
  c.quality = 0xF609;
  return c;
}

// Two tones and a little noise, with the low four bits cleared as the rip does.
std::vector<int16_t> MakeSignal(size_t frames, int channels) {
  std::vector<int16_t> pcm(frames * static_cast<size_t>(channels));
  uint32_t noise = 12345;
  for (size_t i = 0; i < frames; ++i) {
    for (int ch = 0; ch < channels; ++ch) {
      noise = noise * 1103515245u + 12345u;
      const double tone =
          9000.0 * std::sin(2.0 * M_PI * (440.0 + 330.0 * ch) * static_cast<double>(i) / 44100.0);
      pcm[i * static_cast<size_t>(channels) + static_cast<size_t>(ch)] =
          static_cast<int16_t>(tone + static_cast<double>((noise >> 16) % 512) - 256.0);
    }
  }
  MaskSamples(pcm.data(), static_cast<uint32_t>(pcm.size()));
  return pcm;
}

double Rms(const std::vector<int16_t>& pcm) {
  double sum = 0;
  for (int16_t s : pcm) sum += static_cast<double>(s) * s;
  return pcm.empty() ? 0 : std::sqrt(sum / static_cast<double>(pcm.size()));
}

// The header frame names itself "Info" (constant bit rate) and carries the
// encoder's "LAME" block, all within its first bytes.
bool HasHeaderFrame(const std::vector<uint8_t>& file, size_t start = 0) {
  const std::string head(file.begin() + static_cast<long>(start),
                         file.begin() + static_cast<long>(std::min(file.size(), start + 400)));
  return head.find("Info") != std::string::npos && head.find("LAME") != std::string::npos;
}

class LameEncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(lib_.Load(GetProgramFolder()), EncoderLoadResult::Loaded) << lib_.LastError();
    ASSERT_NE(lib_.WriteInfoTag, nullptr);
  }

  std::string Path(const std::string& name) const { return dir_ / name; }

  uint32_t Open(const LameEncConfig& c = MakeConfig()) { return s_.Open(lib_, &c); }
  std::vector<uint8_t> EncodeOpened(const std::vector<int16_t>& pcm, uint32_t piece = 0) {
    return ::EncodeOpened(lib_, s_, pcm, piece);
  }

  TempFolder dir_;
  EncoderLibrary lib_;
  OpenedStream s_;
};

struct EncodeCase {
  const char* name;
  uint32_t outputRate;
  int32_t mode;
  uint32_t kbps;
  uint32_t piece;  // samples per call; 0 for the chunk size
};

void PrintTo(const EncodeCase& c, std::ostream* os) { *os << c.name; }

class LameEncFormats : public LameEncTest, public ::testing::WithParamInterface<EncodeCase> {};

TEST_P(LameEncFormats, DecodesToTheExactInputLength) {
  const EncodeCase& p = GetParam();
  const int channels = p.mode == LAME_ENC_MODE_MONO ? 1 : 2;
  const size_t frames = 3 * 44100 + 1234;  // not a whole number of MP3 frames
  const std::vector<int16_t> pcm = MakeSignal(frames, channels);
  ASSERT_EQ(Open(MakeConfig(p.outputRate, p.mode, p.kbps)), LAME_ENC_OK);
  EXPECT_NE(s_.stream, 0u);
  EXPECT_EQ(s_.chunk % static_cast<uint32_t>(channels), 0u);
  const std::string file = Path(std::string(p.name) + ".mp3");
  WriteBytes(file, EncodeOpened(pcm, p.piece));
  ASSERT_EQ(lib_.WriteInfoTag(s_.stream, file.c_str()), LAME_ENC_OK);

  const std::vector<uint8_t> bytes = ReadBytes(file);
  EXPECT_TRUE(HasHeaderFrame(bytes));
  const std::vector<int16_t> decoded = DecodeMp3(file);
  const size_t expected = frames * p.outputRate / 44100 * static_cast<size_t>(channels);
  EXPECT_EQ(decoded.size(), expected);
  // Not silence, not noise: about the loudness that went in.
  EXPECT_NEAR(Rms(decoded), Rms(pcm), Rms(pcm) * 0.2);
}

INSTANTIATE_TEST_SUITE_P(Formats, LameEncFormats,
                         ::testing::Values(EncodeCase{"joint128", 44100, LAME_ENC_MODE_JOINT_STEREO, 128, 0},
                                           // Odd stereo pieces split sample pairs between calls.
                                           EncodeCase{"oddPieces", 44100, LAME_ENC_MODE_JOINT_STEREO, 128, 999},
                                           EncodeCase{"mono128", 44100, LAME_ENC_MODE_MONO, 128, 0},
                                           EncodeCase{"stereo48k320", 48000, LAME_ENC_MODE_STEREO, 320, 0},
                                           EncodeCase{"joint22k64", 22050, LAME_ENC_MODE_JOINT_STEREO, 64, 0},
                                           EncodeCase{"dual192", 44100, LAME_ENC_MODE_DUAL_CHANNEL, 192, 0}),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(LameEncTest, WithoutHeaderFrameTheStreamEndsAtClose) {
  const std::vector<int16_t> pcm = MakeSignal(22050, 2);
  ASSERT_EQ(Open(MakeConfig(44100, LAME_ENC_MODE_STEREO, 128, false)), LAME_ENC_OK);
  const std::string file = Path("plain.mp3");
  const std::vector<uint8_t> mp3 = EncodeOpened(pcm);
  WriteBytes(file, mp3);
  EXPECT_FALSE(HasHeaderFrame(mp3));
  EXPECT_EQ(lib_.WriteInfoTag(s_.stream, file.c_str()), LAME_ENC_ERR_INVALID_HANDLE);
  EXPECT_EQ(ReadBytes(file), mp3);
  EXPECT_GE(DecodeMp3(file).size(), pcm.size());
}

TEST_F(LameEncTest, HeaderFrameGoesAfterALeadingId3v2Tag) {
  const std::vector<int16_t> pcm = MakeSignal(30000, 2);
  ASSERT_EQ(Open(), LAME_ENC_OK);
  std::vector<uint8_t> file = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 20};
  file.resize(30, 0);  // 20 bytes of padding in the tag
  const std::vector<uint8_t> mp3 = EncodeOpened(pcm);
  file.insert(file.end(), mp3.begin(), mp3.end());
  const std::string path = Path("tagged.mp3");
  WriteBytes(path, file);
  ASSERT_EQ(lib_.WriteInfoTag(s_.stream, path.c_str()), LAME_ENC_OK);
  const std::vector<uint8_t> after = ReadBytes(path);
  EXPECT_TRUE(std::equal(file.begin(), file.begin() + 30, after.begin()));
  EXPECT_TRUE(HasHeaderFrame(after, 30));
  EXPECT_EQ(DecodeMp3(path).size(), pcm.size());
}

TEST_F(LameEncTest, VbrHeaderCallFindsTheClosedStreamOfTheFile) {
  const std::vector<int16_t> pcm = MakeSignal(40000, 2);
  ASSERT_EQ(Open(), LAME_ENC_OK);
  const std::string file = Path("vbr.mp3");
  WriteBytes(file, EncodeOpened(pcm));

  const std::string other = Path("other.mp3");
  WriteBytes(other, std::vector<uint8_t>(1000, 0xFF));
  EXPECT_EQ(lib_.WriteVBRHeader(other.c_str()), LAME_ENC_ERR_NO_HEADER_FRAME);
  EXPECT_EQ(ReadBytes(other), std::vector<uint8_t>(1000, 0xFF));
  EXPECT_EQ(lib_.WriteVBRHeader(Path("missing.mp3").c_str()), LAME_ENC_ERR_FILE);
  EXPECT_EQ(lib_.WriteVBRHeader(nullptr), LAME_ENC_ERR_NULL_ARGUMENT);

  ASSERT_EQ(lib_.WriteVBRHeader(file.c_str()), LAME_ENC_OK);
  EXPECT_TRUE(HasHeaderFrame(ReadBytes(file)));
  EXPECT_EQ(DecodeMp3(file).size(), pcm.size());
  // The stream was used up by the header frame.
  EXPECT_EQ(lib_.WriteInfoTag(s_.stream, file.c_str()), LAME_ENC_ERR_INVALID_HANDLE);
}

// The header frame goes only into the file the stream wrote: a missing or
// short file, or one of foreign data, is reported and left alone.
TEST_F(LameEncTest, HeaderFrameNeedsTheStreamsOwnFile) {
  for (const char* name : {"missing.mp3", "short.mp3", "zeros.bin"}) {
    ASSERT_EQ(Open(), LAME_ENC_OK);
    const std::vector<uint8_t> mp3 = EncodeOpened(MakeSignal(10000, 2));
    const std::string path = Path(name);
    std::vector<uint8_t> content;
    if (std::string(name) == "short.mp3") content.assign(mp3.begin(), mp3.begin() + 100);
    if (std::string(name) == "zeros.bin") content.assign(mp3.size(), 0);
    if (!content.empty()) WriteBytes(path, content);
    EXPECT_EQ(lib_.WriteInfoTag(s_.stream, path.c_str()), LAME_ENC_ERR_FILE) << name;
    if (!content.empty()) {
      EXPECT_EQ(ReadBytes(path), content) << name;
    }
  }
}

struct BadField {
  const char* what;
  size_t offset;
  uint32_t value;
  uint32_t error;
};

TEST_F(LameEncTest, BadRecordsAreRefusedWithTheirCode) {
  const BadField cases[] = {
      {"kind", 0, 1, LAME_ENC_ERR_INVALID_FORMAT},
      {"layout version", 4, 2, LAME_ENC_ERR_INVALID_FORMAT},
      {"record size", 8, 330, LAME_ENC_ERR_INVALID_FORMAT},
      {"input rate 0", 12, 0, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"output rate not MPEG", 16, 44000, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"output rate 96000", 16, 96000, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"mode 4", 20, 4, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"mode -1", 20, 0xFFFFFFFF, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"bit rate 0", 24, 0, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"MPEG version 2", 36, 2, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"emphasis 2", 44, 2, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"variable bit rate", 68, 1, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
      {"average bit rate", 76, 128, LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS},
  };
  for (const BadField& c : cases) {
    LameEncConfig config = MakeConfig();
    std::memcpy(reinterpret_cast<uint8_t*>(&config) + c.offset, &c.value, 4);
    s_.stream = 77;
    EXPECT_EQ(lib_.InitStream(&config, &s_.chunk, &s_.bufferSize, &s_.stream), c.error) << c.what;
    EXPECT_EQ(s_.stream, 0u) << c.what;
  }
  LameEncConfig quality = MakeConfig();
  quality.quality = 0xF50A;  // the check holds, but 10 is beyond the scale
  EXPECT_EQ(Open(quality), LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS);
  // A quality word failing its check keeps the default.
  for (uint16_t word : {0x0009, 0x0000, 0xFFFF}) {
    quality.quality = word;
    ASSERT_EQ(Open(quality), LAME_ENC_OK) << word;
    EXPECT_EQ(lib_.CloseStream(s_.stream), LAME_ENC_OK);
  }
}

TEST_F(LameEncTest, NullPointersAreRefused) {
  const LameEncConfig c = MakeConfig();
  EXPECT_EQ(lib_.InitStream(nullptr, &s_.chunk, &s_.bufferSize, &s_.stream), LAME_ENC_ERR_NULL_ARGUMENT);
  EXPECT_EQ(lib_.InitStream(&c, nullptr, &s_.bufferSize, &s_.stream), LAME_ENC_ERR_NULL_ARGUMENT);
  EXPECT_EQ(lib_.InitStream(&c, &s_.chunk, nullptr, &s_.stream), LAME_ENC_ERR_NULL_ARGUMENT);
  EXPECT_EQ(lib_.InitStream(&c, &s_.chunk, &s_.bufferSize, nullptr), LAME_ENC_ERR_NULL_ARGUMENT);

  ASSERT_EQ(Open(c), LAME_ENC_OK);
  std::vector<uint8_t> out(s_.bufferSize);
  std::vector<int16_t> in(s_.chunk, 0);
  uint32_t written = 5;
  EXPECT_EQ(lib_.EncodeChunk(s_.stream, s_.chunk, nullptr, out.data(), &written), LAME_ENC_ERR_NULL_ARGUMENT);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(lib_.EncodeChunk(s_.stream, s_.chunk, in.data(), nullptr, &written), LAME_ENC_ERR_NULL_ARGUMENT);
  EXPECT_EQ(lib_.EncodeChunk(s_.stream, s_.chunk, in.data(), out.data(), nullptr), LAME_ENC_ERR_NULL_ARGUMENT);
  EXPECT_EQ(lib_.DeinitStream(s_.stream, nullptr, &written), LAME_ENC_ERR_NULL_ARGUMENT);
  EXPECT_EQ(lib_.DeinitStream(s_.stream, out.data(), &written), LAME_ENC_OK);
  EXPECT_EQ(lib_.CloseStream(s_.stream), LAME_ENC_OK);
  EXPECT_EQ(lib_.WriteInfoTag(s_.stream, nullptr), LAME_ENC_ERR_NULL_ARGUMENT);
}

TEST_F(LameEncTest, HandlesAreCheckedAndClosedOnce) {
  const std::vector<int16_t> pcm = MakeSignal(5000, 2);
  uint32_t written = 0;
  std::vector<uint8_t> out(20000);
  EXPECT_EQ(lib_.EncodeChunk(0, 10, pcm.data(), out.data(), &written), LAME_ENC_ERR_INVALID_HANDLE);
  EXPECT_EQ(lib_.CloseStream(123456), LAME_ENC_ERR_INVALID_HANDLE);
  EXPECT_EQ(lib_.WriteInfoTag(123456, Path("x.mp3").c_str()), LAME_ENC_ERR_INVALID_HANDLE);

  ASSERT_EQ(Open(), LAME_ENC_OK);
  out.resize(s_.bufferSize);
  std::vector<int16_t> big(s_.chunk + 2, 0);
  EXPECT_EQ(lib_.EncodeChunk(s_.stream, s_.chunk + 2, big.data(), out.data(), &written), LAME_ENC_ERR_BUFFER_TOO_SMALL);
  EXPECT_EQ(lib_.EncodeChunk(s_.stream, 2000, pcm.data(), out.data(), &written), LAME_ENC_OK);
  // A stream closed before its flush is freed at once: no header frame to wait for.
  EXPECT_EQ(lib_.CloseStream(s_.stream), LAME_ENC_OK);
  EXPECT_EQ(lib_.WriteInfoTag(s_.stream, Path("closed.mp3").c_str()), LAME_ENC_ERR_INVALID_HANDLE);
  // The tag needs the finished stream; the call still uses the stream up.
  ASSERT_EQ(Open(), LAME_ENC_OK);
  EXPECT_EQ(lib_.WriteInfoTag(s_.stream, Path("early.mp3").c_str()), LAME_ENC_ERR_WRONG_STATE);
  EXPECT_EQ(lib_.CloseStream(s_.stream), LAME_ENC_ERR_INVALID_HANDLE);
  ASSERT_EQ(Open(), LAME_ENC_OK);
  EXPECT_EQ(lib_.DeinitStream(s_.stream, out.data(), &written), LAME_ENC_OK);
  EXPECT_EQ(lib_.DeinitStream(s_.stream, out.data(), &written), LAME_ENC_ERR_WRONG_STATE);
  EXPECT_EQ(lib_.EncodeChunk(s_.stream, 10, pcm.data(), out.data(), &written), LAME_ENC_ERR_WRONG_STATE);
  EXPECT_EQ(lib_.CloseStream(s_.stream), LAME_ENC_OK);
  EXPECT_EQ(lib_.CloseStream(s_.stream), LAME_ENC_ERR_INVALID_HANDLE);
  EXPECT_EQ(lib_.EncodeChunk(s_.stream, 10, pcm.data(), out.data(), &written), LAME_ENC_ERR_INVALID_HANDLE);
}

TEST_F(LameEncTest, OnlyTheNewestClosedStreamsWaitForTheirTag) {
  std::vector<LameEncStream> streams;
  for (int i = 0; i < LAME_ENC_MAX_PENDING_STREAMS + 4; ++i) {
    ASSERT_EQ(Open(), LAME_ENC_OK);
    std::vector<uint8_t> out(s_.bufferSize);
    uint32_t written = 0;
    ASSERT_EQ(lib_.DeinitStream(s_.stream, out.data(), &written), LAME_ENC_OK);
    ASSERT_EQ(lib_.CloseStream(s_.stream), LAME_ENC_OK);
    streams.push_back(s_.stream);
  }
  const std::string missing = Path("none.mp3");
  // The oldest were freed to make room; the newest still wait.
  EXPECT_EQ(lib_.WriteInfoTag(streams.front(), missing.c_str()), LAME_ENC_ERR_INVALID_HANDLE);
  EXPECT_EQ(lib_.WriteInfoTag(streams.back(), missing.c_str()), LAME_ENC_ERR_FILE);
  EXPECT_EQ(lib_.WriteInfoTag(streams.back(), missing.c_str()), LAME_ENC_ERR_INVALID_HANDLE);
  for (LameEncStream s : streams) lib_.WriteInfoTag(s, missing.c_str());  // release the rest
}

}  // namespace
