// Our own header frame for streams whose frames are too small for libmp3lame's.
#include "platform/lame_enc/info_frame.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace lame_enc {
namespace {

constexpr size_t kInfoBlockSize = 120;  // "Info", flags, frames, bytes, TOC, quality
constexpr size_t kLameBlockSize = 36;

struct Version {
  uint32_t rates[3];     // by sample-rate index of the frame header
  uint32_t bitRates[15];  // by bit-rate index; 0 is free format
  uint8_t headerBits;    // the version bits of the frame header, in place
  uint32_t samplesPerFrame;
};

constexpr Version kMpeg1 = {{44100, 48000, 32000},
                            {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
                            0x18,
                            1152};
constexpr Version kMpeg2 = {{22050, 24000, 16000},
                            {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
                            0x10,
                            576};
constexpr Version kMpeg25 = {{11025, 12000, 8000},
                             {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
                             0x00,
                             576};

const Version* VersionOf(uint32_t rate, int& rateIndex) {
  for (const Version* v : {&kMpeg1, &kMpeg2, &kMpeg25}) {
    for (int i = 0; i < 3; ++i) {
      if (v->rates[i] == rate) {
        rateIndex = i;
        return v;
      }
    }
  }
  return nullptr;
}

size_t FrameBytes(const Version& v, uint32_t kbps, uint32_t rate) {
  return static_cast<size_t>(v.samplesPerFrame / 8 * kbps * 1000 / rate);
}

// Side information after the 4-byte frame header (the header frame has no CRC).
size_t SideInfoBytes(const Version& v, int channels) {
  if (&v == &kMpeg1) return channels == 1 ? 17 : 32;
  return channels == 1 ? 9 : 17;
}

size_t NeededBytes(const Version& v, const StreamSettings& s) {
  return 4 + SideInfoBytes(v, s.channels) + kInfoBlockSize + kLameBlockSize;
}

void PutBe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

void PutBe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

}  // namespace

uint16_t Crc16(uint16_t crc, const uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

bool HeaderFrameFits(const StreamSettings& s) {
  int rateIndex = 0;
  const Version* v = VersionOf(s.outputRate, rateIndex);
  // libmp3lame's own room: its side information counts a CRC when there is one.
  return v != nullptr && FrameBytes(*v, s.bitRate, s.outputRate) >= NeededBytes(*v, s) + (s.crc ? 2 : 0);
}

std::vector<uint8_t> PlaceholderFrame(const StreamSettings& s) {
  int rateIndex = 0;
  const Version* v = VersionOf(s.outputRate, rateIndex);
  if (v == nullptr) return {};
  for (int index = 1; index < 15; ++index) {
    const size_t size = FrameBytes(*v, v->bitRates[index], s.outputRate);
    if (size < NeededBytes(*v, s)) continue;
    std::vector<uint8_t> frame(size, 0);
    frame[0] = 0xFF;
    frame[1] = static_cast<uint8_t>(0xE0 | v->headerBits | 0x02 | 0x01);  // layer III, no CRC
    frame[2] = static_cast<uint8_t>(index << 4 | rateIndex << 2);
    frame[3] = static_cast<uint8_t>((s.mode & 3) << 6 | (s.copyrightBit ? 0x08 : 0) | (s.originalBit ? 0x04 : 0) |
                                    (s.emphasis & 3));
    return frame;
  }
  return {};
}

void FillInfoFrame(std::vector<uint8_t>& frame, const StreamSettings& s, const StreamFacts& facts) {
  int rateIndex = 0;
  const Version* v = VersionOf(s.outputRate, rateIndex);
  if (v == nullptr || frame.size() < NeededBytes(*v, s)) return;
  std::fill(frame.begin() + 4, frame.end(), 0);
  uint8_t* p = frame.data() + 4 + SideInfoBytes(*v, s.channels);
  std::memcpy(p, "Info", 4);
  PutBe32(p + 4, 0x0F);  // frames, bytes, TOC and quality present
  PutBe32(p + 8, facts.frames);
  PutBe32(p + 12, static_cast<uint32_t>(facts.bytes));
  // Constant bit rate: the file's bytes follow its time evenly.
  for (int i = 0; i < 100; ++i) p[16 + i] = static_cast<uint8_t>(i * 256 / 100);
  PutBe32(p + 116, static_cast<uint32_t>(facts.quality));

  uint8_t* lame = p + kInfoBlockSize;
  char version[10] = {};
  std::snprintf(version, sizeof version, "LAME%s", facts.encoderVersion);
  std::memcpy(lame, version, 9);
  lame[9] = 0x01;  // tag revision 0, constant bit rate
  lame[10] = static_cast<uint8_t>(std::clamp(facts.lowpassHz / 100, 0, 255));
  // Peak signal and replay gain (11-18) stay unknown; no encoding flags.
  lame[19] = static_cast<uint8_t>(facts.athType & 0x0F);
  lame[20] = static_cast<uint8_t>(std::min<uint32_t>(s.bitRate, 255));
  const int delay = std::clamp(facts.encoderDelay, 0, 0xFFF);
  const int padding = std::clamp(facts.encoderPadding, 0, 0xFFF);
  lame[21] = static_cast<uint8_t>(delay >> 4);
  lame[22] = static_cast<uint8_t>((delay & 0x0F) << 4 | padding >> 8);
  lame[23] = static_cast<uint8_t>(padding & 0xFF);
  PutBe32(lame + 28, static_cast<uint32_t>(facts.bytes));
  PutBe16(lame + 32, facts.musicCrc);
  const size_t crcAt = static_cast<size_t>(lame + 34 - frame.data());
  PutBe16(lame + 34, Crc16(0, frame.data(), crcAt));
}

}  // namespace lame_enc
