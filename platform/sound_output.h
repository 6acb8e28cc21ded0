// Where the player sends its samples: an output stream of signed 16-bit
// stereo samples at 44100 Hz whose writes block until the device has taken
// them. The program plays through PortAudio's default output device; tests
// put a sink of their own in its place.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int kSoundSampleRate = 44100;
inline constexpr int kSoundChannels = 2;

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // Opens and starts the stream. On failure nothing stays open and `error`
  // (when given) receives the reason.
  virtual bool Open(std::string* error) = 0;
  // Writes `frames` stereo frames (2 x frames samples), blocking while the
  // device is busy. False when the stream failed.
  virtual bool Write(const int16_t* samples, uint32_t frames) = 0;
  // Stops and closes the stream; nothing when none is open.
  virtual void Close() = 0;
};

// Keeps the libraries under PortAudio (ALSA, JACK) from printing on the
// terminal while PortAudio looks for devices: a machine without a sound card
// or without a JACK server is no fault of the program, and a real failure to
// open sound output reaches the event log through PortAudio's own results.
// Call before Pa_Initialize.
void QuietSoundLibraries();

// The default output device through PortAudio's blocking interface. The
// program initialises PortAudio at start-up and terminates it at exit; this
// class only opens streams.
class PortAudioOutput : public SoundOutput {
 public:
  PortAudioOutput() = default;
  ~PortAudioOutput() override { Close(); }
  PortAudioOutput(const PortAudioOutput&) = delete;
  PortAudioOutput& operator=(const PortAudioOutput&) = delete;

  bool Open(std::string* error) override;
  bool Write(const int16_t* samples, uint32_t frames) override;
  void Close() override;

 private:
  void* stream_ = nullptr;  // PaStream*
};
