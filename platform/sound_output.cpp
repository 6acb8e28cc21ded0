#include "platform/sound_output.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <portaudio.h>

namespace {

void IgnoreAlsaMessage(const char* /*file*/, int /*line*/, const char* /*function*/, int /*error*/,
                       const char* /*format*/, ...) {}

void IgnoreJackMessage(const char* /*message*/) {}

void SetError(std::string* error, PaError code) {
  if (error) *error = Pa_GetErrorText(code);
}

}  // namespace

void QuietSoundLibraries() {
  snd_lib_error_set_handler(IgnoreAlsaMessage);
  jack_set_error_function(IgnoreJackMessage);
  jack_set_info_function(IgnoreJackMessage);
}

bool PortAudioOutput::Open(std::string* error) {
  Close();
  PaStreamParameters output{};
  output.device = Pa_GetDefaultOutputDevice();
  const PaDeviceInfo* info = output.device == paNoDevice ? nullptr : Pa_GetDeviceInfo(output.device);
  if (info == nullptr) {
    SetError(error, paInvalidDevice);
    return false;
  }
  output.channelCount = kSoundChannels;
  output.sampleFormat = paInt16;
  output.suggestedLatency = info->defaultLowOutputLatency;
  output.hostApiSpecificStreamInfo = nullptr;
  PaStream* stream = nullptr;
  PaError result = Pa_OpenStream(&stream, nullptr, &output, kSoundSampleRate, paFramesPerBufferUnspecified,
                                 paNoFlag, nullptr, nullptr);
  if (result != paNoError) {
    // No stream exists: none of the stream calls may follow.
    SetError(error, result);
    return false;
  }
  result = Pa_StartStream(stream);
  if (result != paNoError) {
    Pa_CloseStream(stream);
    SetError(error, result);
    return false;
  }
  stream_ = stream;
  return true;
}

bool PortAudioOutput::Write(const int16_t* samples, uint32_t frames) {
  if (stream_ == nullptr) return false;
  if (frames == 0) return true;
  const PaError result = Pa_WriteStream(static_cast<PaStream*>(stream_), samples, frames);
  // An underflow only means the device ran dry for a moment; the samples were taken.
  return result == paNoError || result == paOutputUnderflowed;
}

void PortAudioOutput::Close() {
  if (stream_ == nullptr) return;
  auto* stream = static_cast<PaStream*>(stream_);
  stream_ = nullptr;
  Pa_StopStream(stream);
  Pa_CloseStream(stream);
}
