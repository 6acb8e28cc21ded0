// Encoding through the encoder library the way the rip job does, for the
// tests that need MP3 files or check the library itself.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/folders.h"
#include "rip/encoder_library.h"
#include "tests/rip/rip_test_util.h"

// Opens a stream on `config`; on success `stream`, `chunk` and `bufferSize`
// describe it.
struct OpenedStream {
  LameEncStream stream = 0;
  uint32_t chunk = 0, bufferSize = 0;
  uint32_t Open(EncoderLibrary& lib, const void* config) {
    stream = 0;
    return lib.InitStream(static_cast<const LameEncConfig*>(config), &chunk, &bufferSize, &stream);
  }
};

// Feeds `pcm` to an opened stream in pieces of at most `piece` samples (the
// chunk size when 0), flushes and closes it; returns the MP3 bytes.
inline std::vector<uint8_t> EncodeOpened(EncoderLibrary& lib, const OpenedStream& s, const std::vector<int16_t>& pcm,
                                         uint32_t piece = 0) {
  std::vector<uint8_t> mp3, out(s.bufferSize);
  if (piece == 0) piece = s.chunk;
  uint32_t written = 0;
  for (size_t pos = 0; pos < pcm.size(); pos += piece) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(piece, pcm.size() - pos));
    EXPECT_EQ(lib.EncodeChunk(s.stream, n, pcm.data() + pos, out.data(), &written), LAME_ENC_OK);
    EXPECT_LE(written, s.bufferSize);
    mp3.insert(mp3.end(), out.begin(), out.begin() + written);
  }
  EXPECT_EQ(lib.DeinitStream(s.stream, out.data(), &written), LAME_ENC_OK);
  mp3.insert(mp3.end(), out.begin(), out.begin() + written);
  EXPECT_EQ(lib.CloseStream(s.stream), LAME_ENC_OK);
  return mp3;
}

// Encodes `pcm` with a settings record from the program's own library into
// `path`, header frame included; returns the file's bytes.
inline std::vector<uint8_t> EncodeToFile(const uint8_t* config, const std::vector<int16_t>& pcm,
                                         const std::string& path) {
  EncoderLibrary lib;
  EXPECT_EQ(lib.Load(GetProgramFolder()), EncoderLoadResult::Loaded);
  OpenedStream s;
  EXPECT_EQ(s.Open(lib, config), LAME_ENC_OK);
  WriteBytes(path, EncodeOpened(lib, s, pcm));
  EXPECT_EQ(lib.WriteInfoTag(s.stream, path.c_str()), LAME_ENC_OK);
  return ReadBytes(path);
}
