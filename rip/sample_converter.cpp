// The libsox effects chain of the rip: our input and output effects around
// "channels" and "rate".
#include "rip/sample_converter.h"

#include <fmt/format.h>
#include <sox.h>

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

constexpr auto kPoll = std::chrono::milliseconds(1);

SoxEffectState& StateOf(sox_effect_t* effect) { return *static_cast<SoxEffectState*>(effect->priv); }

bool StopRequested(const SampleConversion& c) { return c.stopRequested && c.stopRequested(); }
bool InputEnded(const SampleConversion& c) { return c.inputEnded && c.inputEnded(); }

// Hands the chain up to *osamp samples of the read ring, whole frames only,
// waiting for the reader when the ring holds too few.
int SoxInputDrain(sox_effect_t* effect, sox_sample_t* obuf, size_t* osamp) {
  SoxEffectState& state = StateOf(effect);
  SampleConversion& c = *state.conversion;
  const size_t channels = std::max<size_t>(1, effect->out_signal.channels);
  size_t want = std::min<size_t>(*osamp, kSoxBufferSamples);
  want -= want % channels;
  const uint32_t left = c.samplesLeft->load();
  auto n = static_cast<uint32_t>(std::min<size_t>(left, want));
  *osamp = 0;
  if (left == 0 || n == 0) return SOX_EOF;
  while (c.input->GetReadCount() < n) {
    if (StopRequested(c)) return SOX_EOF;
    if (InputEnded(c)) {
      // The reader delivered less than the job announced: finish with what
      // there is rather than wait for samples that never come.
      n = c.input->GetReadCount();
      n -= n % channels;
      if (n == 0) return SOX_EOF;
      break;
    }
    std::this_thread::sleep_for(kPoll);
  }
  const uint32_t got = c.input->Read(state.samples, n);
  Widen16To32(state.samples, obuf, got);
  *osamp = got;
  c.samplesLeft->fetch_sub(got);
  if (c.tookInput) c.tookInput(got);
  return SOX_SUCCESS;
}

// Takes the chain's output into the convert ring, waiting for room.
int SoxOutputFlow(sox_effect_t* effect, const sox_sample_t* ibuf, sox_sample_t* /*obuf*/, size_t* isamp,
                  size_t* osamp) {
  SoxEffectState& state = StateOf(effect);
  SampleConversion& c = *state.conversion;
  *osamp = 0;
  size_t done = 0;
  while (done < *isamp) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(*isamp - done, kSoxBufferSamples));
    Narrow32To16(ibuf + done, state.samples, n);
    while (c.output->GetFreeCount() < n) {
      if (StopRequested(c)) return SOX_EOF;
      std::this_thread::sleep_for(kPoll);
    }
    if (c.output->Write(state.samples, n) < n) return SOX_EOF;
    if (c.gaveOutput) c.gaveOutput();
    done += n;
  }
  return SOX_SUCCESS;
}

sox_effect_handler_t MakeHandler(const char* name, sox_effect_handler_flow flow,
                                 sox_effect_handler_drain drain) {
  return {name, nullptr, SOX_EFF_MCHAN, nullptr, nullptr,
          flow, drain,   nullptr,       nullptr, sizeof(SoxEffectState)};
}

void QuietSoxMessages(unsigned, const char*, const char*, va_list) {}

// Creates one of our effects and ties it to the conversion.
sox_effect_t* CreateOwnEffect(const sox_effect_handler_t* handler, SampleConversion& c, int16_t* buffer) {
  sox_effect_t* e = sox_create_effect(handler);
  if (!e) throw std::runtime_error("cannot create effect");
  StateOf(e) = SoxEffectState{&c, buffer};
  return e;
}

sox_effect_t* CreateSoxEffect(const char* name, const std::string& argument) {
  const sox_effect_handler_t* handler = sox_find_effect(name);
  if (!handler) throw std::runtime_error(fmt::format("libsox has no effect \"{}\"", name));
  sox_effect_t* e = sox_create_effect(handler);
  if (!e) throw std::runtime_error(fmt::format("cannot create effect \"{}\"", name));
  char* argv[] = {const_cast<char*>(argument.c_str())};
  if (sox_effect_options(e, 1, argv) != SOX_SUCCESS) {
    free(e->priv);
    free(e);
    throw std::runtime_error(fmt::format("effect \"{}\" refuses \"{}\"", name, argument));
  }
  return e;
}

// Adds an effect to the chain. Once added, the chain owns the effect's
// private data and only the effect record itself is ours to free; an effect
// that was refused, or left out because it would change nothing, stays ours.
void AddEffect(sox_effects_chain_t* chain, sox_effect_t* e, sox_signalinfo_t* in,
               const sox_signalinfo_t* out) {
  const std::string name = e->handler.name ? e->handler.name : "";
  const size_t before = chain->length;
  const int result = sox_add_effect(chain, e, in, out);
  if (chain->length == before) free(e->priv);
  free(e);
  if (result != SOX_SUCCESS) throw std::runtime_error(fmt::format("cannot add effect \"{}\"", name));
}

struct ChainDeleter {
  void operator()(sox_effects_chain_t* chain) const { sox_delete_effects_chain(chain); }
};

}  // namespace

const sox_effect_handler_t* GetSoxInputHandler() {
  static const sox_effect_handler_t handler = MakeHandler("input", nullptr, SoxInputDrain);
  return &handler;
}

const sox_effect_handler_t* GetSoxOutputHandler() {
  static const sox_effect_handler_t handler = MakeHandler("output", SoxOutputFlow, nullptr);
  return &handler;
}

void EnsureSoxInitialized() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    sox_globals.output_message_handler = QuietSoxMessages;
    ok = sox_init() == SOX_SUCCESS;
  });
  if (!ok) throw std::runtime_error("libsox cannot be initialised");
}

bool RunSampleConversion(SampleConversion& c) {
  EnsureSoxInitialized();
  sox_signalinfo_t running{44100.0, 2, 32, c.totalSamples, nullptr};
  const sox_signalinfo_t requested = running;
  sox_encodinginfo_t encoding{SOX_ENCODING_SIGN2, 32,       0.0, sox_option_no, sox_option_no,
                              sox_option_no,      sox_false};
  std::unique_ptr<sox_effects_chain_t, ChainDeleter> chain(sox_create_effects_chain(&encoding, &encoding));
  if (!chain) throw std::runtime_error("cannot create the effects chain");

  auto inputBuffer = std::make_unique<int16_t[]>(kSoxBufferSamples);
  auto outputBuffer = std::make_unique<int16_t[]>(kSoxBufferSamples);
  AddEffect(chain.get(), CreateOwnEffect(GetSoxInputHandler(), c, inputBuffer.get()), &running, &running);
  if (c.mono) AddEffect(chain.get(), CreateSoxEffect("channels", "1"), &running, &requested);
  if (c.resample)
    AddEffect(chain.get(), CreateSoxEffect("rate", fmt::format("{}", c.outputRate)), &running, &requested);
  AddEffect(chain.get(), CreateOwnEffect(GetSoxOutputHandler(), c, outputBuffer.get()), &running, &requested);

  sox_flow_effects(chain.get(), nullptr, nullptr);
  chain.reset();
  return c.samplesLeft->load() == 0 && !StopRequested(c);
}
