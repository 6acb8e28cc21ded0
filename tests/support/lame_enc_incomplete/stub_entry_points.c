/* Stand-ins for the encoder library that lack entry points, so the tests can
 * check how the loader treats an incomplete library. The functions only
 * exist; they are never called. Which ones exist is chosen at compile time:
 * STUB_HAS_CLOSE_STREAM and STUB_HAS_INFO_TAG. */
#include <stdint.h>

#define STUB_EXPORT __attribute__((visibility("default")))

STUB_EXPORT uint32_t beInitStream(const void* config, uint32_t* samples, uint32_t* size, uint32_t* stream) {
  (void)config;
  (void)samples;
  (void)size;
  (void)stream;
  return 1;
}

STUB_EXPORT uint32_t beEncodeChunk(uint32_t stream, uint32_t count, const int16_t* in, uint8_t* out,
                                   uint32_t* written) {
  (void)stream;
  (void)count;
  (void)in;
  (void)out;
  (void)written;
  return 1;
}

STUB_EXPORT uint32_t beDeinitStream(uint32_t stream, uint8_t* out, uint32_t* written) {
  (void)stream;
  (void)out;
  (void)written;
  return 1;
}

#ifdef STUB_HAS_CLOSE_STREAM
STUB_EXPORT uint32_t beCloseStream(uint32_t stream) {
  (void)stream;
  return 1;
}
#endif

STUB_EXPORT uint32_t beWriteVBRHeader(const char* fileName) {
  (void)fileName;
  return 1;
}

#ifdef STUB_HAS_INFO_TAG
STUB_EXPORT uint32_t beWriteInfoTag(uint32_t stream, const char* fileName) {
  (void)stream;
  (void)fileName;
  return 1;
}
#endif
