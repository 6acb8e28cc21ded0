// File work of the encoder library: finding where the MP3 audio of a finished
// file starts and writing the header frame over its first frame.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lame_enc {

// Bytes of MP3 audio in the file: its size less a leading ID3v2 tag. False
// when the file cannot be read.
bool AudioSize(const char* fileName, uint64_t& size);

// Writes `frame` over the first MP3 frame of the file (right after a leading
// ID3v2 tag, if any). The first frame must be there and have the same
// frame header as `frame`, so nothing but the placeholder is ever replaced.
// Returns LAME_ENC_OK or LAME_ENC_ERR_FILE.
uint32_t WriteHeaderFrame(const char* fileName, const uint8_t* frame, size_t size);

}  // namespace lame_enc
