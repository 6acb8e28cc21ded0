// The Encoder page without its window: output format, sample rate, bit rate
// (MP3) or sample format (WAV), and channels. The lists and the label of the
// third list depend on the format; whenever the format changes, the lists
// show the applied settings of that format, not choices still pending.
#pragma once

#include <string>
#include <vector>

#include "app/options_page_result.h"

inline constexpr const char* kBitrateLabel = "Bits per Second:";
inline constexpr const char* kCodecLabel = "Codec:";
inline constexpr const char* kMP3RateNote = "The bitrate valid only for stereo 44100 Hz.";

// Format list indices (OutputFormat - 1).
inline constexpr int kFormatWav = 0;
inline constexpr int kFormatMp3 = 1;

class EncoderOptionsModel {
 public:
  // List selections, -1 for none (a settings value the list does not offer).
  int format = -1;      // "Audio Format:"
  int sampleRate = -1;  // "Sampling Frequency:", index into SampleRates
  int quality = -1;     // bit rate index (MP3) or SubFormat (WAV)
  int channels = -1;    // LameChannel (MP3) or Channel (WAV)

  // Selects the applied OutputFormat and that format's applied values.
  void Load();
  // The user picked another format: the other lists take that format's
  // applied values.
  void SelectFormat(int newFormat);

  // " WAV    (Waveform Audio)", " MP3    (MPEG-1 Audio Layer 3)".
  static const std::vector<std::string>& FormatEntries();
  // The nine offered rates, "  8000 Hertz" to " 48000 Hertz".
  static const std::vector<std::string>& SampleRateEntries();
  // Bit rates for MP3, sample formats for WAV, nothing without a format.
  const std::vector<std::string>& QualityEntries() const;
  // Channel modes for MP3, channel counts for WAV, nothing without a format.
  const std::vector<std::string>& ChannelEntries() const;
  // "Codec:" for WAV, "Bits per Second:" otherwise.
  const char* QualityLabel() const;
  // Whether kMP3RateNote shows: only while MP3 is selected.
  bool NoteVisible() const { return format == kFormatMp3; }

  // Writes the selections to the settings of the selected format; the other
  // format's settings stay. A list with no selection keeps its setting, and
  // no format selected changes nothing. Refused while a disc refresh runs.
  PageApplyResult Apply();
};
