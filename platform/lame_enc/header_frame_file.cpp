// Writing the encoder's header frame into a finished MP3 file.
#include "platform/lame_enc/header_frame_file.h"

#include <cstdio>
#include <memory>

#include "platform/lame_enc/lame_enc_api.h"

namespace lame_enc {
namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Offset of the first byte after a leading ID3v2 tag (0 when there is none),
// or -1 when the file cannot be read.
long AudioStart(FILE* f) {
  unsigned char h[10];
  if (std::fseek(f, 0, SEEK_SET) != 0) return -1;
  const size_t n = std::fread(h, 1, sizeof h, f);
  if (std::ferror(f)) return -1;
  if (n < sizeof h || h[0] != 'I' || h[1] != 'D' || h[2] != '3') return 0;
  if ((h[6] | h[7] | h[8] | h[9]) & 0x80) return 0;  // not a synchsafe size: not a tag
  const long body = (long{h[6]} << 21) | (long{h[7]} << 14) | (long{h[8]} << 7) | long{h[9]};
  const long footer = (h[5] & 0x10) ? 10 : 0;
  return 10 + body + footer;
}

// The placeholder frame and the header frame agree in sync word, version,
// layer, bit rate, sample rate and channel mode (the joint-stereo mode
// extension bits may differ).
bool SameKindOfFrame(const unsigned char* a, const unsigned char* b) {
  return a[0] == 0xFF && (a[1] & 0xE0) == 0xE0 && a[0] == b[0] && a[1] == b[1] &&
         (a[2] & 0xFC) == (b[2] & 0xFC) && (a[3] & 0xC0) == (b[3] & 0xC0);
}

long FileSize(FILE* f) {
  if (std::fseek(f, 0, SEEK_END) != 0) return -1;
  return std::ftell(f);
}

}  // namespace

bool AudioSize(const char* fileName, uint64_t& size) {
  if (fileName == nullptr) return false;
  FilePtr f(std::fopen(fileName, "rb"));
  if (!f) return false;
  const long start = AudioStart(f.get());
  const long total = FileSize(f.get());
  if (start < 0 || total < 0 || start > total) return false;
  size = static_cast<uint64_t>(total - start);
  return true;
}

uint32_t WriteHeaderFrame(const char* fileName, const uint8_t* frame, size_t size) {
  if (fileName == nullptr || frame == nullptr || size < 4) return LAME_ENC_ERR_FILE;
  FilePtr f(std::fopen(fileName, "r+b"));
  if (!f) return LAME_ENC_ERR_FILE;
  const long start = AudioStart(f.get());
  const long total = FileSize(f.get());
  if (start < 0 || total < 0 || static_cast<unsigned long>(total - start) < size) return LAME_ENC_ERR_FILE;

  unsigned char old[4];
  if (std::fseek(f.get(), start, SEEK_SET) != 0 || std::fread(old, 1, 4, f.get()) != 4) {
    return LAME_ENC_ERR_FILE;
  }
  if (!SameKindOfFrame(old, frame)) return LAME_ENC_ERR_FILE;
  if (std::fseek(f.get(), start, SEEK_SET) != 0 || std::fwrite(frame, 1, size, f.get()) != size) {
    return LAME_ENC_ERR_FILE;
  }
  // fclose flushes: a failed flush (a full disk) is an error too.
  return std::fclose(f.release()) == 0 ? LAME_ENC_OK : LAME_ENC_ERR_FILE;
}

}  // namespace lame_enc
