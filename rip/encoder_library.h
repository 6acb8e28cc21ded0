// Loads our MP3 encoder library "lame_enc.so" from the program folder at run
// time, looks up its entry points by name, and fills the configuration record
// the rip job hands to "beInitStream" from the MP3 settings.
#pragma once

#include <cstdint>
#include <string>

#include "app/settings.h"
#include "platform/lame_enc/lame_enc_api.h"

inline constexpr char kEncoderLibraryName[] = "lame_enc.so";

enum class EncoderLoadResult {
  Loaded,
  LibraryMissing,     // the file is absent or not a loadable library
  EntryPointMissing,  // one of the five required entry points is absent
};

// One loaded copy of the encoder library. The entry points are null until
// Load succeeds; "beWriteInfoTag" may stay null (optional entry point).
// The library is unloaded by Unload or the destructor.
class EncoderLibrary {
 public:
  EncoderLibrary() = default;
  ~EncoderLibrary();
  EncoderLibrary(const EncoderLibrary&) = delete;
  EncoderLibrary& operator=(const EncoderLibrary&) = delete;

  // Loads "<folder>/lame_enc.so" (folder with or without a trailing '/').
  // On failure nothing stays loaded and every entry point is null.
  EncoderLoadResult Load(const std::string& folder);
  // Loads it from the running program's folder.
  EncoderLoadResult Load();
  void Unload();
  bool IsLoaded() const { return handle_ != nullptr; }
  // The loader's own text for the last failure (for diagnostics only).
  const std::string& LastError() const { return lastError_; }

  LameEncInitStreamFn InitStream = nullptr;          // "beInitStream"
  LameEncEncodeChunkFn EncodeChunk = nullptr;        // "beEncodeChunk"
  LameEncDeinitStreamFn DeinitStream = nullptr;      // "beDeinitStream"
  LameEncCloseStreamFn CloseStream = nullptr;        // "beCloseStream"
  LameEncWriteVBRHeaderFn WriteVBRHeader = nullptr;  // "beWriteVBRHeader"
  LameEncWriteInfoTagFn WriteInfoTag = nullptr;      // "beWriteInfoTag", optional

 private:
  void ClearEntryPoints();

  void* handle_ = nullptr;
  std::string lastError_;
};

// Fills the 331-byte record (zeroing it first) for constant bit rate MP3 from
// the CD's 44100 Hz samples. lameFreq indexes SampleRates, lameBits
// MP3Bitrates, lameChannel is 0 mono, 1 stereo, 2 joint stereo, 3 dual
// channel; quality is 0 (best) to 9 (fastest). An index outside its table
// takes that setting's default (rate 7 = 44100 Hz, bit rate 11 = 128 kbps,
// channel 2 = joint stereo), so a damaged settings file never reads past a
// table. Rates the encoder cannot use (88200, 96000, or a bit rate the rate's
// MPEG version lacks) are passed on: "beInitStream" refuses them.
void FillEncoderConfig(uint8_t (&config)[LAME_ENC_CONFIG_SIZE], int lameFreq, int lameBits, int lameChannel,
                       int quality = LameQuality);
// The same from the settings LameFreq, LameBits, LameChannel and LameQuality.
void FillEncoderConfig(uint8_t (&config)[LAME_ENC_CONFIG_SIZE]);
