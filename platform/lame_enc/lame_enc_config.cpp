// Configuration record rules of the encoder library.
#include "platform/lame_enc/lame_enc_config.h"

#include <algorithm>
#include <iterator>

namespace lame_enc {
namespace {

uint32_t Read32(const uint8_t* r, unsigned offset) {
  return static_cast<uint32_t>(r[offset]) | static_cast<uint32_t>(r[offset + 1]) << 8 |
         static_cast<uint32_t>(r[offset + 2]) << 16 | static_cast<uint32_t>(r[offset + 3]) << 24;
}

int32_t ReadI32(const uint8_t* r, unsigned offset) { return static_cast<int32_t>(Read32(r, offset)); }

uint16_t Read16(const uint8_t* r, unsigned offset) {
  return static_cast<uint16_t>(r[offset] | r[offset + 1] << 8);
}

// MPEG-1, MPEG-2 and MPEG-2.5 sample rates with their constant bit rates.
constexpr uint32_t kMpeg1Rates[] = {32000, 44100, 48000};
constexpr uint32_t kMpeg2Rates[] = {16000, 22050, 24000};
constexpr uint32_t kMpeg25Rates[] = {8000, 11025, 12000};
constexpr uint32_t kMpeg1BitRates[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr uint32_t kMpeg2BitRates[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr uint32_t kMpeg25BitRates[] = {8, 16, 24, 32, 40, 48, 56, 64};

template <size_t N>
bool Contains(const uint32_t (&table)[N], uint32_t v) {
  return std::find(std::begin(table), std::end(table), v) != std::end(table);
}

// The quality word holds q in its low byte and 255 - q in its high byte; a word
// that fails the check leaves the encoder's default quality.
uint32_t ReadQuality(const uint8_t* r, int& quality) {
  const uint16_t word = Read16(r, 92);
  const int low = word & 0xFF;
  const int high = word >> 8;
  quality = -1;
  if (high != 255 - low) return LAME_ENC_OK;
  if (low > 9) return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  quality = low;
  return LAME_ENC_OK;
}

uint32_t ReadRatesAndMode(const uint8_t* r, StreamSettings& out) {
  out.inputRate = Read32(r, 12);
  out.outputRate = Read32(r, 16);
  out.mode = ReadI32(r, 20);
  out.bitRate = Read32(r, 24);
  const uint32_t version = Read32(r, 36);
  if (out.inputRate == 0 || out.inputRate > 192000) return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  if (version != LAME_ENC_MPEG1 && version != LAME_ENC_MPEG2) return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  // No output rate means no resampling; an MPEG-2 record halves the rate
  // instead, since each MPEG-2 rate is half an MPEG-1 rate. An explicit
  // output rate decides the version by itself.
  if (out.outputRate == 0) out.outputRate = version == LAME_ENC_MPEG1 ? out.inputRate : out.inputRate / 2;
  if (out.mode < LAME_ENC_MODE_STEREO || out.mode > LAME_ENC_MODE_MONO) {
    return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  }
  out.channels = out.mode == LAME_ENC_MODE_MONO ? 1 : 2;
  if (out.bitRate == 0) return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  out.bitRate = NearestBitRate(out.outputRate, out.bitRate);
  if (out.bitRate == 0) return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;  // no MPEG rate
  return LAME_ENC_OK;
}

}  // namespace

uint32_t NearestBitRate(uint32_t rate, uint32_t kbps) {
  const auto nearest = [kbps](const auto& table) {
    uint32_t best = table[0];
    for (uint32_t b : table) {
      const uint32_t d = b > kbps ? b - kbps : kbps - b;
      const uint32_t bestD = best > kbps ? best - kbps : kbps - best;
      if (d < bestD) best = b;
    }
    return best;
  };
  if (Contains(kMpeg1Rates, rate)) return nearest(kMpeg1BitRates);
  if (Contains(kMpeg2Rates, rate)) return nearest(kMpeg2BitRates);
  if (Contains(kMpeg25Rates, rate)) return nearest(kMpeg25BitRates);
  return 0;
}

uint32_t ParseConfig(const uint8_t* record, StreamSettings& out) {
  if (record == nullptr) return LAME_ENC_ERR_NULL_ARGUMENT;
  if (Read32(record, 0) != LAME_ENC_CONFIG_KIND || Read32(record, 4) != LAME_ENC_CONFIG_VERSION ||
      Read32(record, 8) != LAME_ENC_CONFIG_SIZE) {
    return LAME_ENC_ERR_INVALID_FORMAT;
  }
  StreamSettings s;
  if (uint32_t e = ReadRatesAndMode(record, s); e != LAME_ENC_OK) return e;
  // Only constant bit rate is offered: a record asking for variable or average
  // bit rate is refused rather than silently encoded otherwise.
  if (ReadI32(record, 68) != 0 || Read32(record, 76) != 0) return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  s.emphasis = static_cast<int>(Read32(record, 44));
  if (s.emphasis != 0 && s.emphasis != 1 && s.emphasis != 3) return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  s.privateBit = ReadI32(record, 48) != 0;
  s.crc = ReadI32(record, 52) != 0;
  s.copyrightBit = ReadI32(record, 56) != 0;
  s.originalBit = ReadI32(record, 60) != 0;
  s.writeHeaderFrame = ReadI32(record, 64) != 0;
  s.noBitReservoir = ReadI32(record, 84) != 0;
  s.strictIso = ReadI32(record, 88) != 0;
  if (uint32_t e = ReadQuality(record, s.quality); e != LAME_ENC_OK) return e;
  out = s;
  return LAME_ENC_OK;
}

uint32_t SamplesPerChunk(const StreamSettings& s) { return 1152u * static_cast<uint32_t>(s.channels); }

uint32_t OutputBufferSize(const StreamSettings& s) {
  // The encoder's own bound is 1.25 bytes per input frame plus 7200; frames
  // grow with upsampling, and a stereo call may carry one frame held over
  // from the call before.
  const uint64_t frames = SamplesPerChunk(s) / static_cast<uint32_t>(s.channels) + 1;
  const uint64_t scaled = (frames * std::max(s.outputRate, s.inputRate) + s.inputRate - 1) / s.inputRate;
  return static_cast<uint32_t>(scaled * 5 / 4 + 7200);
}

}  // namespace lame_enc
