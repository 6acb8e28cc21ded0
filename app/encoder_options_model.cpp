// The Encoder page's lists and their mapping onto the settings.
#include "app/encoder_options_model.h"

#include <fmt/printf.h>

#include "app/disc_worker.h"
#include "app/settings.h"

namespace {

// The page offers the rates up to 48000 Hz.
constexpr int kOfferedRateCount = 9;

std::vector<std::string> MakeRateEntries() {
  std::vector<std::string> entries;
  for (int i = 0; i < kOfferedRateCount; ++i) entries.push_back(fmt::sprintf("%6u Hertz", SampleRates[i]));
  return entries;
}

std::vector<std::string> MakeBitrateEntries() {
  std::vector<std::string> entries;
  for (size_t i = 0; i < kMP3BitrateCount; ++i)
    entries.push_back(fmt::sprintf("%4d kbits per second", MP3Bitrates[i]));
  return entries;
}

const std::vector<std::string> kNoEntries;
const std::vector<std::string> kWavFormats = {" Unsigned 8 bit PCM", " Signed 16 bit PCM"};
const std::vector<std::string> kWavChannels = {" Mono", " Stereo"};
const std::vector<std::string> kMp3Channels = {" Mono", " Stereo", " Joint Stereo", " Dual Channel"};

const std::vector<std::string>& BitrateEntries() {
  static const std::vector<std::string> entries = MakeBitrateEntries();
  return entries;
}

// A list selects an entry only when the value names one.
int Selection(int value, size_t count) {
  return value >= 0 && static_cast<size_t>(value) < count ? value : -1;
}

template <typename T>
void ApplySelection(int selection, T& setting) {
  if (selection >= 0) setting = static_cast<T>(selection);
}

}  // namespace

void EncoderOptionsModel::Load() { SelectFormat(Selection(OutputFormat - 1, FormatEntries().size())); }

void EncoderOptionsModel::SelectFormat(int newFormat) {
  format = Selection(newFormat, FormatEntries().size());
  if (format == kFormatMp3) {
    sampleRate = Selection(LameFreq, kOfferedRateCount);
    quality = Selection(LameBits, kMP3BitrateCount);
    channels = Selection(LameChannel, kMp3Channels.size());
  } else if (format == kFormatWav) {
    sampleRate = Selection(Freq, kOfferedRateCount);
    quality = Selection(SubFormat, kWavFormats.size());
    channels = Selection(Channel, kWavChannels.size());
  } else {
    quality = channels = -1;
  }
}

const std::vector<std::string>& EncoderOptionsModel::FormatEntries() {
  static const std::vector<std::string> entries = {" WAV    (Waveform Audio)",
                                                   " MP3    (MPEG-1 Audio Layer 3)"};
  return entries;
}

const std::vector<std::string>& EncoderOptionsModel::SampleRateEntries() {
  static const std::vector<std::string> entries = MakeRateEntries();
  return entries;
}

const std::vector<std::string>& EncoderOptionsModel::QualityEntries() const {
  if (format == kFormatMp3) return BitrateEntries();
  if (format == kFormatWav) return kWavFormats;
  return kNoEntries;
}

const std::vector<std::string>& EncoderOptionsModel::ChannelEntries() const {
  if (format == kFormatMp3) return kMp3Channels;
  if (format == kFormatWav) return kWavChannels;
  return kNoEntries;
}

const char* EncoderOptionsModel::QualityLabel() const {
  return format == kFormatWav ? kCodecLabel : kBitrateLabel;
}

PageApplyResult EncoderOptionsModel::Apply() {
  if (Busy != 0) return PageApplyResult::WhileBusy();
  // A settings file can hold a format, rate or mode the page does not offer;
  // an empty list then keeps what is set rather than writing "none".
  if (format == kFormatMp3) {
    OutputFormat = 2;
    ApplySelection(sampleRate, LameFreq);
    ApplySelection(quality, LameBits);
    ApplySelection(channels, LameChannel);
  } else if (format == kFormatWav) {
    OutputFormat = 1;
    ApplySelection(sampleRate, Freq);
    ApplySelection(quality, SubFormat);
    ApplySelection(channels, Channel);
  }
  return PageApplyResult::Ok();
}
