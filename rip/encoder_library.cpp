// Run-time loading of the encoder library and the configuration record.
#include "rip/encoder_library.h"

#include <dlfcn.h>

#include <cstring>
#include <iterator>

#include "platform/folders.h"

namespace {

// Record channel mode by channel setting: mono, stereo, joint stereo, dual.
constexpr int32_t kChannelModes[] = {LAME_ENC_MODE_MONO, LAME_ENC_MODE_STEREO, LAME_ENC_MODE_JOINT_STEREO,
                                     LAME_ENC_MODE_DUAL_CHANNEL};

constexpr int kDefaultChannel = 2;  // joint stereo
constexpr uint32_t kCdSampleRate = 44100;

// table[index] for an index below `count`, else table[fallback].
template <typename T>
T Pick(const T* table, size_t count, int index, int fallback) {
  if (index < 0 || static_cast<size_t>(index) >= count) index = fallback;
  return table[index];
}

void Put32(uint8_t* record, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

void Put16(uint8_t* record, size_t offset, uint16_t value) {
  record[offset] = static_cast<uint8_t>(value);
  record[offset + 1] = static_cast<uint8_t>(value >> 8);
}

template <typename Fn>
bool Resolve(void* handle, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(dlsym(handle, name));
  return out != nullptr;
}

}  // namespace

EncoderLibrary::~EncoderLibrary() { Unload(); }

void EncoderLibrary::ClearEntryPoints() {
  InitStream = nullptr;
  EncodeChunk = nullptr;
  DeinitStream = nullptr;
  CloseStream = nullptr;
  WriteVBRHeader = nullptr;
  WriteInfoTag = nullptr;
}

void EncoderLibrary::Unload() {
  ClearEntryPoints();
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

EncoderLoadResult EncoderLibrary::Load() { return Load(GetProgramFolder()); }

EncoderLoadResult EncoderLibrary::Load(const std::string& folder) {
  Unload();
  // Never fall back to a bare name or the current folder: dlopen would then
  // search the system paths or load whatever lies in the working folder.
  if (folder.empty()) {
    lastError_ = "program folder unknown";
    return EncoderLoadResult::LibraryMissing;
  }
  std::string path = folder;
  if (path.back() != '/') path += '/';
  path += kEncoderLibraryName;

  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* err = dlerror();
    lastError_ = err != nullptr ? err : path;
    return EncoderLoadResult::LibraryMissing;
  }
  const bool complete =
      Resolve(handle_, "beInitStream", InitStream) && Resolve(handle_, "beEncodeChunk", EncodeChunk) &&
      Resolve(handle_, "beDeinitStream", DeinitStream) && Resolve(handle_, "beCloseStream", CloseStream) &&
      Resolve(handle_, "beWriteVBRHeader", WriteVBRHeader);
  if (!complete) {
    const char* err = dlerror();
    lastError_ = err != nullptr ? err : "entry point missing";
    Unload();
    return EncoderLoadResult::EntryPointMissing;
  }
  Resolve(handle_, "beWriteInfoTag", WriteInfoTag);
  lastError_.clear();
  return EncoderLoadResult::Loaded;
}

void FillEncoderConfig(uint8_t (&config)[LAME_ENC_CONFIG_SIZE], const Mp3Settings& mp3) {
  std::memset(config, 0, sizeof config);
  uint8_t* r = config;
  Put32(r, 0, LAME_ENC_CONFIG_KIND);
  Put32(r, 4, LAME_ENC_CONFIG_VERSION);
  Put32(r, 8, LAME_ENC_CONFIG_SIZE);
  Put32(r, 12, kCdSampleRate);
  Put32(r, 16, mp3.outputRate);
  Put32(r, 20, static_cast<uint32_t>(Pick(kChannelModes, std::size(kChannelModes), mp3.channel, kDefaultChannel)));
  Put32(r, 24, mp3.bitRate);
  Put32(r, 28, 0);  // maximum bit rate
  Put32(r, 32, static_cast<uint32_t>(LAME_ENC_PRESET_NONE));
  Put32(r, 36, LAME_ENC_MPEG1);
  Put32(r, 64, 1);  // write the header frame
  Put32(r, 84, 1);  // no bit reservoir
  const int q = mp3.quality & 0xFF;
  Put16(r, 92, static_cast<uint16_t>(((255 - q) << 8) | q));
}
