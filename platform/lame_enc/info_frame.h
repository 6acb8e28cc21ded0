// The header frame ("Info" frame with the encoder's LAME block) for streams
// whose frames are too small for libmp3lame to write one itself: below about
// 64 kbps at 44100 Hz a constant-bit-rate frame cannot hold the 156 bytes,
// and libmp3lame then writes none, so decoders keep the encoder delay and
// padding and the file plays longer than its audio. Such a stream gets a
// placeholder frame of a bit rate large enough, ahead of its audio, which the
// header frame replaces once the stream is finished. Decoders read each
// frame's bit rate from its own header, so one larger frame is allowed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/lame_enc/lame_enc_config.h"

namespace lame_enc {

// True when a frame of the stream's own bit rate can hold the header frame.
bool HeaderFrameFits(const StreamSettings& s);

// The placeholder: a frame header of the smallest bit rate whose frame holds
// the header frame, then zeros; empty when the rate is no MPEG rate.
std::vector<uint8_t> PlaceholderFrame(const StreamSettings& s);

// What the finished stream tells the header frame.
struct StreamFacts {
  uint32_t frames = 0;     // audio frames, without the header frame
  uint64_t bytes = 0;      // the whole stream, header frame included
  uint16_t musicCrc = 0;   // CRC-16 of the audio frames
  int encoderDelay = 0;    // samples
  int encoderPadding = 0;  // samples
  int lowpassHz = 0;
  int quality = 0;         // the Xing quality field
  int athType = 0;
  const char* encoderVersion = "";  // e.g. "3.100"
};

// Fills `placeholder` (as PlaceholderFrame made it) with the header frame.
void FillInfoFrame(std::vector<uint8_t>& placeholder, const StreamSettings& s, const StreamFacts& facts);

// CRC-16 as the LAME block uses it (polynomial 0x8005, reflected, start 0).
uint16_t Crc16(uint16_t crc, const uint8_t* data, size_t size);

}  // namespace lame_enc
