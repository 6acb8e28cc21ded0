// Loads our MP3 encoder library "lame_enc.so" from the program folder at run
// time, looks up its entry points by name, and fills the configuration record
// the rip job hands to "beInitStream" from the job's MP3 settings.
#pragma once

#include <cstdint>
#include <string>

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

// The MP3 settings of a rip job, as values.
struct Mp3Settings {
  uint32_t outputRate = 44100;  // Hz; the encoder resamples the CD's 44100 Hz to it
  uint32_t bitRate = 128;       // kbps, constant
  int channel = 2;              // 0 mono, 1 stereo, 2 joint stereo, 3 dual channel
  int quality = 9;              // 0 (best) to 9 (fastest)
};

// Fills the 331-byte record (zeroing it first) for constant bit rate MP3 from
// the CD's 44100 Hz samples. A channel outside 0-3 counts as joint stereo. The
// rate and bit rate are passed on as they are: the library takes the bit rate
// nearest to the given one that the rate's MPEG version has, and refuses a
// rate no MPEG version has (88200, 96000).
void FillEncoderConfig(uint8_t (&config)[LAME_ENC_CONFIG_SIZE], const Mp3Settings& mp3);
