// Reading and checking the encoder library's configuration record, and the
// sizes that follow from it. Kept apart from the entry points so the rules can
// be read in one place.
#pragma once

#include <cstdint>

#include "platform/lame_enc/lame_enc_api.h"

namespace lame_enc {

// What the library takes from a record; every other field is checked or ignored.
struct StreamSettings {
  uint32_t inputRate = 0;
  uint32_t outputRate = 0;  // always set: a record's 0 is resolved here
  int mode = LAME_ENC_MODE_JOINT_STEREO;
  int channels = 2;      // of the samples given: 1 for mono, else 2
  uint32_t bitRate = 0;  // kbps
  int quality = -1;      // 0..9, or -1 for the encoder's default
  bool writeHeaderFrame = false;
  bool noBitReservoir = false;
  bool crc = false;
  bool copyrightBit = false;
  bool originalBit = false;
  bool privateBit = false;
  bool strictIso = false;
  int emphasis = 0;
};

// Reads the record field by field (little-endian). Returns LAME_ENC_OK and
// fills `out`, or the error code for the first problem found.
uint32_t ParseConfig(const uint8_t* record, StreamSettings& out);

// The constant bit rate of `rate`'s MPEG version nearest to `kbps` (the lower
// one of two as near), as libmp3lame picks it; 0 when `rate` is no MPEG rate.
// The record's bit rate is a wish: 128 kbps at 8000 Hz gives 64 kbps, 16 kbps
// at 44100 Hz gives 32 kbps.
uint32_t NearestBitRate(uint32_t rate, uint32_t kbps);

// Samples (16-bit values) per encode call, and the output buffer the caller
// needs for that many samples and for the final flush.
uint32_t SamplesPerChunk(const StreamSettings& s);
uint32_t OutputBufferSize(const StreamSettings& s);

}  // namespace lame_enc
