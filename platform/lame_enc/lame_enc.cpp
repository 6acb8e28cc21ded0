// The entry points of our MP3 encoder library, built on libmp3lame. Streams
// live in a registry keyed by never-reused handles, so a stale handle is an
// error code instead of a crash; see lame_enc_api.h for the lifetime rule.
#include <lame.h>

#include <algorithm>
#include <cstdarg>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/lame_enc/header_frame_file.h"
#include "platform/lame_enc/info_frame.h"
#include "platform/lame_enc/lame_enc_api.h"
#include "platform/lame_enc/lame_enc_config.h"

namespace lame_enc {
namespace {

void Quiet(const char*, va_list) {}

struct Stream {
  explicit Stream(lame_global_flags* flags) : gf(flags) {}
  ~Stream() { lame_close(gf); }
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  std::mutex lock;  // one call at a time per stream
  lame_global_flags* gf;
  StreamSettings settings;
  uint32_t samplesPerChunk = 0;
  uint32_t bufferSize = 0;
  bool flushed = false;
  uint64_t bytesOut = 0;         // MP3 bytes handed to the caller
  // Our own header frame, for frames too small for libmp3lame's: sent ahead
  // of the audio as a placeholder, filled in by the tag call.
  std::vector<uint8_t> headerFrame;
  bool headerFrameSent = false;
  uint16_t musicCrc = 0;  // of the audio frames
  std::vector<int16_t> scratch;  // the samples of one call, plus a held-over one
  bool holding = false;          // a left sample waits for its right one
  int16_t held = 0;
};
using StreamPtr = std::shared_ptr<Stream>;

// Open streams, and closed streams that wait for their header frame.
class Registry {
 public:
  uint32_t Add(StreamPtr s) {
    std::lock_guard<std::mutex> g(lock_);
    if (next_ == 0) return 0;  // every handle has been used once
    const uint32_t id = next_++;
    open_.emplace(id, std::move(s));
    return id;
  }

  StreamPtr FindOpen(uint32_t id) {
    std::lock_guard<std::mutex> g(lock_);
    auto it = open_.find(id);
    return it == open_.end() ? nullptr : it->second;
  }

  // Removes the stream from the open ones; returns it, or null when unknown.
  StreamPtr Close(uint32_t id) {
    std::lock_guard<std::mutex> g(lock_);
    auto it = open_.find(id);
    if (it == open_.end()) return nullptr;
    StreamPtr s = std::move(it->second);
    open_.erase(it);
    return s;
  }

  void Wait(uint32_t id, StreamPtr s) {
    std::lock_guard<std::mutex> g(lock_);
    waiting_.emplace_back(id, std::move(s));
    // Freeing outside the lock is not needed: lame_close does no file work.
    while (waiting_.size() > LAME_ENC_MAX_PENDING_STREAMS) waiting_.pop_front();
  }

  // Takes the stream out of the registry, open or waiting.
  StreamPtr Take(uint32_t id) {
    std::lock_guard<std::mutex> g(lock_);
    if (auto it = open_.find(id); it != open_.end()) {
      StreamPtr s = std::move(it->second);
      open_.erase(it);
      return s;
    }
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
      if (it->first != id) continue;
      StreamPtr s = std::move(it->second);
      waiting_.erase(it);
      return s;
    }
    return nullptr;
  }

  // Takes the newest waiting stream that wrote exactly `bytes` bytes.
  StreamPtr TakeWaitingBySize(uint64_t bytes) {
    std::lock_guard<std::mutex> g(lock_);
    for (auto it = waiting_.rbegin(); it != waiting_.rend(); ++it) {
      if (it->second->bytesOut != bytes) continue;
      StreamPtr s = std::move(it->second);
      waiting_.erase(std::next(it).base());
      return s;
    }
    return nullptr;
  }

 private:
  std::mutex lock_;
  uint32_t next_ = 1;
  std::map<uint32_t, StreamPtr> open_;
  std::deque<std::pair<uint32_t, StreamPtr>> waiting_;
};

// Lives until the library is unloaded, which frees what is left in it.
Registry& Streams() {
  static Registry registry;
  return registry;
}

void Configure(lame_global_flags* gf, const StreamSettings& s, bool lameHeaderFrame) {
  lame_set_errorf(gf, Quiet);
  lame_set_debugf(gf, Quiet);
  lame_set_msgf(gf, Quiet);
  lame_set_num_channels(gf, s.channels);
  lame_set_in_samplerate(gf, static_cast<int>(s.inputRate));
  lame_set_out_samplerate(gf, static_cast<int>(s.outputRate));
  lame_set_mode(gf, static_cast<MPEG_mode>(s.mode));
  lame_set_VBR(gf, vbr_off);
  lame_set_brate(gf, static_cast<int>(s.bitRate));
  if (s.quality >= 0) lame_set_quality(gf, s.quality);
  lame_set_bWriteVbrTag(gf, lameHeaderFrame ? 1 : 0);
  lame_set_disable_reservoir(gf, s.noBitReservoir ? 1 : 0);
  lame_set_error_protection(gf, s.crc ? 1 : 0);
  lame_set_copyright(gf, s.copyrightBit ? 1 : 0);
  lame_set_original(gf, s.originalBit ? 1 : 0);
  lame_set_extension(gf, s.privateBit ? 1 : 0);
  lame_set_strict_ISO(gf, s.strictIso ? 1 : 0);
  lame_set_emphasis(gf, s.emphasis);
  lame_set_write_id3tag_automatic(gf, 0);  // tags are the program's business
}

// Opens a configured encoder, or returns the error code.
uint32_t OpenEncoder(const StreamSettings& s, StreamPtr& out) {
  lame_global_flags* gf = lame_init();
  if (gf == nullptr) return LAME_ENC_ERR_NO_MORE_HANDLES;
  auto stream = std::make_shared<Stream>(gf);
  const bool ownHeaderFrame = s.writeHeaderFrame && !HeaderFrameFits(s);
  Configure(gf, s, s.writeHeaderFrame && !ownHeaderFrame);
  if (ownHeaderFrame) stream->headerFrame = PlaceholderFrame(s);
  if (lame_init_params(gf) < 0) return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  // The encoder may round a request to what it supports: only exact settings count.
  if (static_cast<uint32_t>(lame_get_out_samplerate(gf)) != s.outputRate ||
      static_cast<uint32_t>(lame_get_brate(gf)) != s.bitRate) {
    return LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS;
  }
  stream->settings = s;
  stream->samplesPerChunk = SamplesPerChunk(s);
  stream->bufferSize = OutputBufferSize(s) + static_cast<uint32_t>(stream->headerFrame.size());
  stream->scratch.resize(stream->samplesPerChunk + 2);
  out = std::move(stream);
  return LAME_ENC_OK;
}

// Encodes the samples of one call; a stereo call with an odd count keeps its
// last left sample for the next call, so no sample is lost between calls.
// Puts our placeholder header frame ahead of the stream's first bytes;
// returns its size (0 when there is none or it went out already).
size_t SendHeaderFrame(Stream& s, uint8_t* output) {
  if (s.headerFrame.empty() || s.headerFrameSent) return 0;
  s.headerFrameSent = true;
  std::copy(s.headerFrame.begin(), s.headerFrame.end(), output);
  return s.headerFrame.size();
}

int EncodeSamples(Stream& s, uint32_t count, const int16_t* samples, uint8_t* output, int size) {
  int16_t* data = s.scratch.data();
  uint32_t n = 0;
  if (s.holding) data[n++] = s.held;
  std::copy(samples, samples + count, data + n);
  n += count;
  s.holding = false;
  if (s.settings.channels == 1)
    return lame_encode_buffer(s.gf, data, data, static_cast<int>(n), output, size);
  if (n % 2 != 0) {
    s.holding = true;
    s.held = data[--n];
  }
  return lame_encode_buffer_interleaved(s.gf, data, static_cast<int>(n / 2), output, size);
}

uint32_t WriteTagOf(Stream& s, const char* fileName) {
  if (fileName == nullptr) return LAME_ENC_ERR_NULL_ARGUMENT;
  if (!s.settings.writeHeaderFrame) return LAME_ENC_ERR_NO_HEADER_FRAME;
  if (!s.flushed) return LAME_ENC_ERR_WRONG_STATE;
  if (!s.headerFrame.empty()) {
    if (!s.headerFrameSent) return LAME_ENC_ERR_WRONG_STATE;
    StreamFacts facts;
    facts.frames = static_cast<uint32_t>(lame_get_frameNum(s.gf));
    facts.bytes = s.bytesOut;
    facts.musicCrc = s.musicCrc;
    facts.encoderDelay = lame_get_encoder_delay(s.gf);
    facts.encoderPadding = lame_get_encoder_padding(s.gf);
    facts.lowpassHz = lame_get_lowpassfreq(s.gf);
    facts.quality = 100 - 10 * lame_get_VBR_q(s.gf) - lame_get_quality(s.gf);
    facts.athType = lame_get_ATHtype(s.gf);
    facts.encoderVersion = get_lame_short_version();
    FillInfoFrame(s.headerFrame, s.settings, facts);
    return WriteHeaderFrame(fileName, s.headerFrame.data(), s.headerFrame.size());
  }
  uint8_t frame[8192];
  const size_t size = lame_get_lametag_frame(s.gf, frame, sizeof frame);
  if (size == 0 || size > sizeof frame) return LAME_ENC_ERR_ENCODER;
  return WriteHeaderFrame(fileName, frame, size);
}

}  // namespace
}  // namespace lame_enc

using namespace lame_enc;

extern "C" {

uint32_t beInitStream(const LameEncConfig* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                      LameEncStream* stream) {
  if (stream != nullptr) *stream = 0;
  if (config == nullptr || samplesPerChunk == nullptr || outputBufferSize == nullptr || stream == nullptr) {
    return LAME_ENC_ERR_NULL_ARGUMENT;
  }
  StreamSettings settings;
  if (uint32_t e = ParseConfig(reinterpret_cast<const uint8_t*>(config), settings); e != LAME_ENC_OK)
    return e;
  StreamPtr s;
  if (uint32_t e = OpenEncoder(settings, s); e != LAME_ENC_OK) return e;
  const uint32_t chunk = s->samplesPerChunk;
  const uint32_t bufferSize = s->bufferSize;
  const uint32_t id = Streams().Add(std::move(s));
  if (id == 0) return LAME_ENC_ERR_NO_MORE_HANDLES;
  *samplesPerChunk = chunk;
  *outputBufferSize = bufferSize;
  *stream = id;
  return LAME_ENC_OK;
}

uint32_t beEncodeChunk(LameEncStream stream, uint32_t sampleCount, const int16_t* samples, uint8_t* output,
                       uint32_t* written) {
  if (written != nullptr) *written = 0;
  StreamPtr s = Streams().FindOpen(stream);
  if (!s) return LAME_ENC_ERR_INVALID_HANDLE;
  if (output == nullptr || written == nullptr || (samples == nullptr && sampleCount > 0)) {
    return LAME_ENC_ERR_NULL_ARGUMENT;
  }
  std::lock_guard<std::mutex> g(s->lock);
  if (s->flushed) return LAME_ENC_ERR_WRONG_STATE;
  if (sampleCount > s->samplesPerChunk) return LAME_ENC_ERR_BUFFER_TOO_SMALL;
  const size_t head = SendHeaderFrame(*s, output);
  const int n = EncodeSamples(*s, sampleCount, samples, output + head, static_cast<int>(s->bufferSize - head));
  if (n < 0) s->headerFrameSent = head == 0 && s->headerFrameSent;  // nothing went out
  if (n == -1) return LAME_ENC_ERR_BUFFER_TOO_SMALL;
  if (n < 0) return LAME_ENC_ERR_ENCODER;
  s->musicCrc = Crc16(s->musicCrc, output + head, static_cast<size_t>(n));
  *written = static_cast<uint32_t>(head + static_cast<size_t>(n));
  s->bytesOut += *written;
  return LAME_ENC_OK;
}

uint32_t beDeinitStream(LameEncStream stream, uint8_t* output, uint32_t* written) {
  if (written != nullptr) *written = 0;
  StreamPtr s = Streams().FindOpen(stream);
  if (!s) return LAME_ENC_ERR_INVALID_HANDLE;
  if (output == nullptr || written == nullptr) return LAME_ENC_ERR_NULL_ARGUMENT;
  std::lock_guard<std::mutex> g(s->lock);
  if (s->flushed) return LAME_ENC_ERR_WRONG_STATE;
  s->flushed = true;  // even a failed flush ends the stream's encoding
  const size_t head = SendHeaderFrame(*s, output);
  const int n = lame_encode_flush(s->gf, output + head, static_cast<int>(s->bufferSize - head));
  if (n < 0) {
    s->headerFrameSent = head == 0 && s->headerFrameSent;  // nothing went out
    return LAME_ENC_ERR_ENCODER;
  }
  s->musicCrc = Crc16(s->musicCrc, output + head, static_cast<size_t>(n));
  *written = static_cast<uint32_t>(head + static_cast<size_t>(n));
  s->bytesOut += *written;
  return LAME_ENC_OK;
}

uint32_t beCloseStream(LameEncStream stream) {
  StreamPtr s = Streams().Close(stream);
  if (!s) return LAME_ENC_ERR_INVALID_HANDLE;
  bool keep = false;
  {
    std::lock_guard<std::mutex> g(s->lock);
    keep = s->settings.writeHeaderFrame && s->flushed;
  }
  if (keep) Streams().Wait(stream, std::move(s));
  return LAME_ENC_OK;
}

uint32_t beWriteInfoTag(LameEncStream stream, const char* fileName) {
  StreamPtr s = Streams().Take(stream);
  if (!s) return LAME_ENC_ERR_INVALID_HANDLE;
  std::lock_guard<std::mutex> g(s->lock);
  return WriteTagOf(*s, fileName);
}

uint32_t beWriteVBRHeader(const char* fileName) {
  if (fileName == nullptr) return LAME_ENC_ERR_NULL_ARGUMENT;
  uint64_t bytes = 0;
  if (!AudioSize(fileName, bytes)) return LAME_ENC_ERR_FILE;
  StreamPtr s = Streams().TakeWaitingBySize(bytes);
  if (!s) return LAME_ENC_ERR_NO_HEADER_FRAME;
  std::lock_guard<std::mutex> g(s->lock);
  return WriteTagOf(*s, fileName);
}

}  // extern "C"
