// The optional middle stage of the rip: one libsox effects chain over the
// whole job that takes CD samples (stereo, 44100 Hz, 16-bit) from one ring,
// down-mixes to one channel and/or resamples, and puts 16-bit samples into
// another ring. The chain's first and last effects are our own: the input
// effect drains the read ring, the output effect fills the convert ring.
// Every wait in them also watches the stop request, so a cancel never leaves
// the thread blocked.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "rip/rip_types.h"

struct sox_effect_handler_t;

// One run of the chain.
struct SampleConversion {
  SampleRing* input = nullptr;   // CD samples from the reader
  SampleRing* output = nullptr;  // converted samples for the writer
  bool mono = false;             // down-mix to one channel ("channels 1")
  bool resample = false;         // change the rate ("rate <outputRate>")
  int outputRate = 44100;
  uint32_t totalSamples = 0;                     // input samples of the whole job
  std::atomic<uint32_t>* samplesLeft = nullptr;  // input samples still to take
  std::function<bool()> stopRequested;           // true once the job stops
  std::function<bool()> inputEnded;              // true once nothing more will come in
  // Told after samples were taken from `input` / put into `output`, so that
  // a thread waiting on the other side of a ring can go on at once.
  std::function<void(uint32_t)> tookInput;
  std::function<void()> gaveOutput;
};

// Samples our two effects handle per call at most; libsox offers fewer.
inline constexpr uint32_t kSoxBufferSamples = 16384;

// The private data of our two effects: the conversion they serve and a
// buffer of kSoxBufferSamples 16-bit samples reused on every call.
struct SoxEffectState {
  SampleConversion* conversion = nullptr;
  int16_t* samples = nullptr;
};

// Our input and output effect handlers (multi-channel, one pointer of
// private data: the SampleConversion they serve).
const sox_effect_handler_t* GetSoxInputHandler();
const sox_effect_handler_t* GetSoxOutputHandler();

// libsox is set up once per process (a second sox_init aborts) and stays.
// Throws std::runtime_error when it cannot be set up.
void EnsureSoxInitialized();

// Builds the chain input → [channels 1] → [rate N] → output, lets it flow
// until the input is used up or a stop is requested, and deletes it. Throws
// std::runtime_error when libsox refuses an effect. Returns whether the whole
// input went through (false after a stop or a short write).
bool RunSampleConversion(SampleConversion& conversion);
