/* The interface of our MP3 encoder library "lame_enc.so": the configuration
 * record the program fills, the error codes and the six entry points, which the
 * program looks up by name with dlsym. Plain C so the library exports them
 * without C++ name mangling.
 *
 * Call order for one file:
 *   beInitStream -> beEncodeChunk ... -> beDeinitStream -> beCloseStream
 *   -> beWriteInfoTag(stream, file)        (or beWriteVBRHeader(file))
 *
 * Stream lifetime rule: beCloseStream frees the stream at once unless its
 * record asked for the header frame and the stream was flushed by
 * beDeinitStream. Such a stream stays usable for one beWriteInfoTag call, which
 * writes the header frame over the first frame of the finished file and frees
 * the stream. The library keeps at most LAME_ENC_MAX_PENDING_STREAMS closed
 * streams waiting for their tag; closing one more frees the oldest waiting one,
 * and unloading the library frees the rest. A handle is never reused, so a
 * stale or doubly closed handle is reported, never followed. */
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the configuration record, in bytes. */
#define LAME_ENC_CONFIG_SIZE 331u
/* The only record kind and layout version the library reads. */
#define LAME_ENC_CONFIG_KIND 256u
#define LAME_ENC_CONFIG_VERSION 1u

/* Channel modes of the record (offset 20). */
#define LAME_ENC_MODE_STEREO 0
#define LAME_ENC_MODE_JOINT_STEREO 1
#define LAME_ENC_MODE_DUAL_CHANNEL 2
#define LAME_ENC_MODE_MONO 3

/* MPEG versions of the record (offset 36). */
#define LAME_ENC_MPEG2 0u
#define LAME_ENC_MPEG1 1u

/* No preset (offset 32). */
#define LAME_ENC_PRESET_NONE (-1)

/* Closed streams kept for their header frame. */
#define LAME_ENC_MAX_PENDING_STREAMS 16

/* Error codes returned by the entry points; 0 is success. */
#define LAME_ENC_OK 0u
#define LAME_ENC_ERR_INVALID_FORMAT 1u            /* wrong kind, version or size */
#define LAME_ENC_ERR_INVALID_FORMAT_PARAMETERS 2u /* rates, mode, bit rate, quality */
#define LAME_ENC_ERR_NO_MORE_HANDLES 3u           /* out of memory or handles */
#define LAME_ENC_ERR_INVALID_HANDLE 4u            /* unknown, closed or released stream */
#define LAME_ENC_ERR_BUFFER_TOO_SMALL 5u          /* more samples than one chunk */
#define LAME_ENC_ERR_NULL_ARGUMENT 6u             /* a required pointer is null */
#define LAME_ENC_ERR_ENCODER 7u                   /* the MP3 encoder itself failed */
#define LAME_ENC_ERR_FILE 8u                      /* file missing, unreadable or not written */
#define LAME_ENC_ERR_WRONG_STATE 9u               /* call out of order (e.g. encode after flush) */
#define LAME_ENC_ERR_NO_HEADER_FRAME 10u          /* no header frame known for this file */

/* The configuration record: 331 bytes, little-endian, packed, zero-filled
 * before filling. The library reads it byte by byte, so any byte array of this
 * size can be passed. */
#pragma pack(push, 1)
typedef struct LameEncConfig {
  uint32_t kind;            /*   0: LAME_ENC_CONFIG_KIND */
  uint32_t version;         /*   4: LAME_ENC_CONFIG_VERSION */
  uint32_t size;            /*   8: LAME_ENC_CONFIG_SIZE */
  uint32_t inputRate;       /*  12: Hz of the samples given */
  uint32_t outputRate;      /*  16: Hz of the MP3; 0 = no resampling */
  int32_t mode;             /*  20: LAME_ENC_MODE_* */
  uint32_t bitRate;         /*  24: kbps (constant bit rate; the nearest the rate allows) */
  uint32_t maxBitRate;      /*  28: kbps, variable bit rate only */
  int32_t preset;           /*  32: LAME_ENC_PRESET_NONE */
  uint32_t mpegVersion;     /*  36: LAME_ENC_MPEG1 or LAME_ENC_MPEG2 */
  uint32_t psychoModel;     /*  40: not used */
  uint32_t emphasis;        /*  44: 0 none, 1 50/15 us, 3 CCITT */
  int32_t privateBit;       /*  48 */
  int32_t crc;              /*  52: error protection */
  int32_t copyrightBit;     /*  56 */
  int32_t originalBit;      /*  60 */
  int32_t writeHeaderFrame; /*  64: leave room for the Info/LAME tag frame */
  int32_t vbr;              /*  68: must be 0 (constant bit rate) */
  int32_t vbrQuality;       /*  72 */
  uint32_t averageBitRate;  /*  76: must be 0 */
  int32_t vbrMethod;        /*  80 */
  int32_t noBitReservoir;   /*  84 */
  int32_t strictIso;        /*  88 */
  uint16_t quality;         /*  92: (255 - q) << 8 | q, q = 0 (best) .. 9 (fastest) */
  uint8_t reserved[237];    /*  94: zero */
} LameEncConfig;
#pragma pack(pop)

#ifdef __cplusplus
static_assert(sizeof(LameEncConfig) == LAME_ENC_CONFIG_SIZE, "record size");
static_assert(offsetof(LameEncConfig, inputRate) == 12, "record layout");
static_assert(offsetof(LameEncConfig, outputRate) == 16, "record layout");
static_assert(offsetof(LameEncConfig, mode) == 20, "record layout");
static_assert(offsetof(LameEncConfig, bitRate) == 24, "record layout");
static_assert(offsetof(LameEncConfig, preset) == 32, "record layout");
static_assert(offsetof(LameEncConfig, mpegVersion) == 36, "record layout");
static_assert(offsetof(LameEncConfig, writeHeaderFrame) == 64, "record layout");
static_assert(offsetof(LameEncConfig, vbr) == 68, "record layout");
static_assert(offsetof(LameEncConfig, noBitReservoir) == 84, "record layout");
static_assert(offsetof(LameEncConfig, strictIso) == 88, "record layout");
static_assert(offsetof(LameEncConfig, quality) == 92, "record layout");
static_assert(offsetof(LameEncConfig, reserved) == 94, "record layout");
#else
_Static_assert(sizeof(LameEncConfig) == LAME_ENC_CONFIG_SIZE, "record size");
#endif

/* A stream handle; 0 is never a valid stream. */
typedef uint32_t LameEncStream;

/* Sample counts are counts of 16-bit values: interleaved left/right pairs for
 * the stereo modes, single values for mono. */

/* Checks the record and opens a stream. Returns the number of samples to pass
 * per beEncodeChunk call and the size the caller's output buffer must have. */
typedef uint32_t (*LameEncInitStreamFn)(const LameEncConfig* config, uint32_t* samplesPerChunk,
                                        uint32_t* outputBufferSize, LameEncStream* stream);
/* Encodes up to samplesPerChunk samples into output (outputBufferSize bytes). */
typedef uint32_t (*LameEncEncodeChunkFn)(LameEncStream stream, uint32_t sampleCount, const int16_t* samples,
                                         uint8_t* output, uint32_t* written);
/* Flushes the encoder: the last frames of the file go into output. */
typedef uint32_t (*LameEncDeinitStreamFn)(LameEncStream stream, uint8_t* output, uint32_t* written);
/* Ends the caller's use of the stream (see the lifetime rule above). */
typedef uint32_t (*LameEncCloseStreamFn)(LameEncStream stream);
/* Without a stream handle: writes the header frame of the waiting closed stream
 * whose output matches this file byte for byte in length; otherwise leaves the
 * file as it is (its first frame is then a silent frame) and returns
 * LAME_ENC_ERR_NO_HEADER_FRAME. The file name is UTF-8. */
typedef uint32_t (*LameEncWriteVBRHeaderFn)(const char* fileName);
/* Writes the stream's header frame over the first frame of the finished file
 * (after an ID3v2 tag, if one is there) and frees the stream. UTF-8 name. */
typedef uint32_t (*LameEncWriteInfoTagFn)(LameEncStream stream, const char* fileName);

#ifdef LAME_ENC_BUILDING_LIBRARY
#define LAME_ENC_EXPORT __attribute__((visibility("default")))
uint32_t beInitStream(const LameEncConfig* config, uint32_t* samplesPerChunk, uint32_t* outputBufferSize,
                      LameEncStream* stream) LAME_ENC_EXPORT;
uint32_t beEncodeChunk(LameEncStream stream, uint32_t sampleCount, const int16_t* samples, uint8_t* output,
                       uint32_t* written) LAME_ENC_EXPORT;
uint32_t beDeinitStream(LameEncStream stream, uint8_t* output, uint32_t* written) LAME_ENC_EXPORT;
uint32_t beCloseStream(LameEncStream stream) LAME_ENC_EXPORT;
uint32_t beWriteVBRHeader(const char* fileName) LAME_ENC_EXPORT;
uint32_t beWriteInfoTag(LameEncStream stream, const char* fileName) LAME_ENC_EXPORT;
#endif

#ifdef __cplusplus
}
#endif
