// Disc-image writer: lays the tracks out, computes every sector's bytes and
// writes the .bin and its cue sheet.
#include "tests/support/disc_image.h"

#include <fmt/format.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

constexpr int kFramesPerSector = 588;
constexpr int kToneAmplitude = 8000;

uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

int32_t SectorsOf(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0 || seconds > 24 * 3600)
    throw std::invalid_argument(fmt::format("bad track length: {} s", seconds));
  return static_cast<int32_t>(std::lround(seconds * 75));
}

uint8_t Bcd(int value) { return static_cast<uint8_t>((value / 10) * 16 + value % 10); }

void FillDataSector(int32_t lba, uint8_t* out) {
  std::memset(out, 0, kImageSectorBytes);
  std::memset(out + 1, 0xFF, 10);  // sync: 00, ten FF, 00
  const int32_t frame = lba + 150;
  out[12] = Bcd(frame / 4500 % 100);
  out[13] = Bcd(frame / 75 % 60);
  out[14] = Bcd(frame % 75);
  out[15] = 1;  // mode 1
  for (int i = 0; i < 2048; i += 8) {
    const uint64_t v = Mix((static_cast<uint64_t>(lba) << 16) ^ static_cast<uint64_t>(i) ^ 0xDA7A0000ull);
    std::memcpy(out + 16 + i, &v, 8);
  }
}

std::string Msf(int32_t lba) {
  return fmt::format("{:02d}:{:02d}:{:02d}", lba / 4500, lba / 75 % 60, lba % 75);
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void WriteFailed(const std::string& path, int error) {
  throw std::runtime_error(fmt::format("cannot write {}: {}", path, std::strerror(error)));
}

void CloseChecked(FilePtr file, const std::string& path) {
  std::FILE* f = file.release();
  const bool flushed = std::fflush(f) == 0 && !std::ferror(f);
  const int error = errno;
  if (std::fclose(f) != 0 || !flushed) WriteFailed(path, error ? error : EIO);
}

void WriteBin(const std::string& path, const DiscImageLayout& layout) {
  FilePtr file(std::fopen(path.c_str(), "wb"));
  if (!file) WriteFailed(path, errno);
  constexpr int32_t kChunk = 256;
  std::vector<uint8_t> buffer(static_cast<size_t>(kChunk) * kImageSectorBytes);
  for (int32_t lba = 0; lba < layout.LeadOutLBA; lba += kChunk) {
    const int32_t n = std::min(kChunk, layout.LeadOutLBA - lba);
    for (int32_t i = 0; i < n; ++i) FillSector(layout, lba + i, buffer.data() + i * kImageSectorBytes);
    const size_t bytes = static_cast<size_t>(n) * kImageSectorBytes;
    if (std::fwrite(buffer.data(), 1, bytes, file.get()) != bytes) WriteFailed(path, errno);
  }
  CloseChecked(std::move(file), path);
}

}  // namespace

DiscImageTrack AudioTrack(double seconds, int32_t pregapSectors) {
  return {SectorsOf(seconds), pregapSectors, false};
}

DiscImageTrack AudioTrackSectors(int32_t sectors, int32_t pregapSectors) {
  return {sectors, pregapSectors, false};
}

DiscImageTrack DataTrack(double seconds, int32_t pregapSectors) {
  return {SectorsOf(seconds), pregapSectors, true};
}

int DiscImageLayout::TrackAt(int32_t lba) const {
  if (lba < 0 || lba >= LeadOutLBA) return -1;
  for (size_t i = Tracks.size(); i-- > 0;)
    if (lba >= Tracks[i].GapLBA) return static_cast<int>(i);
  return -1;
}

int32_t DiscImageLayout::TOCLength(int track) const {
  const size_t next = static_cast<size_t>(track) + 1;
  const int32_t end = next < Tracks.size() ? Tracks[next].StartLBA : LeadOutLBA;
  return end - Tracks.at(static_cast<size_t>(track)).StartLBA;
}

DiscImageLayout LayoutOf(const DiscImageSpec& discSpec) {
  if (discSpec.Tracks.empty() || discSpec.Tracks.size() > 99)
    throw std::invalid_argument(fmt::format("a disc holds 1 to 99 tracks, not {}", discSpec.Tracks.size()));
  DiscImageLayout layout;
  int64_t lba = 0;
  for (const auto& t : discSpec.Tracks) {
    if (t.Sectors < 1 || t.PregapSectors < 0)
      throw std::invalid_argument(fmt::format("bad track: {} sectors, gap {}", t.Sectors, t.PregapSectors));
    DiscImageTrackLayout entry;
    entry.GapLBA = static_cast<int32_t>(lba);
    lba += t.PregapSectors;
    entry.StartLBA = static_cast<int32_t>(lba);
    entry.Sectors = t.Sectors;
    entry.Data = t.Data;
    lba += t.Sectors;
    if (lba > 100 * 60 * 75) throw std::invalid_argument("the disc would be longer than 100 minutes");
    layout.Tracks.push_back(entry);
  }
  layout.LeadOutLBA = static_cast<int32_t>(lba);
  return layout;
}

int16_t ExpectedSample(int32_t lba, int sampleIndex) {
  // A triangle tone (441 Hz left, 294 Hz right) with a little position noise.
  const int channel = sampleIndex & 1;
  const int64_t position = static_cast<int64_t>(lba) * kFramesPerSector + sampleIndex / 2;
  const int64_t period = channel ? 150 : 100;
  int64_t phase = position % period;
  if (phase < 0) phase += period;
  const int64_t ramp = phase < period / 2 ? phase : period - phase;  // 0 .. period/2
  const int64_t tone = ramp * 4 * kToneAmplitude / period - kToneAmplitude;
  const uint64_t key = static_cast<uint64_t>(static_cast<int64_t>(lba)) * kImageSamplesPerSector +
                       static_cast<uint64_t>(sampleIndex);
  const int64_t noise = static_cast<int64_t>(Mix(key) & 0x3FF) - 512;
  return static_cast<int16_t>(tone + noise);
}

void FillSector(const DiscImageLayout& layout, int32_t lba, uint8_t* out) {
  const int track = layout.TrackAt(lba);
  if (track >= 0 && layout.Tracks[static_cast<size_t>(track)].Data) {
    FillDataSector(lba, out);
    return;
  }
  for (int i = 0; i < kImageSamplesPerSector; ++i) {
    const auto v = static_cast<uint16_t>(ExpectedSample(lba, i));
    out[2 * i] = static_cast<uint8_t>(v & 0xFF);  // little-endian, whatever the host
    out[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
}

std::string CueSheetText(const DiscImageSpec& discSpec, const std::string& binName) {
  if (binName.empty() || binName.find_first_of("\"\r\n") != std::string::npos)
    throw std::invalid_argument("bad image file name: " + binName);
  const DiscImageLayout layout = LayoutOf(discSpec);
  std::string text = fmt::format("FILE \"{}\" BINARY\n", binName);
  for (size_t i = 0; i < layout.Tracks.size(); ++i) {
    const auto& t = layout.Tracks[i];
    text += fmt::format("  TRACK {:02d} {}\n", i + 1, t.Data ? "MODE1/2352" : "AUDIO");
    if (t.GapLBA != t.StartLBA) text += "    INDEX 00 " + Msf(t.GapLBA) + "\n";
    text += "    INDEX 01 " + Msf(t.StartLBA) + "\n";
  }
  return text;
}

std::string WriteDiscImageFile(const std::string& cuePath, const DiscImageSpec& discSpec) {
  const size_t dot = cuePath.rfind('.');
  const size_t slash = cuePath.rfind('/');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::string binPath = (hasExtension ? cuePath.substr(0, dot) : cuePath) + ".bin";
  if (binPath == cuePath) throw std::invalid_argument("the cue sheet may not end in .bin: " + cuePath);
  const std::string text = CueSheetText(discSpec, BaseName(binPath));
  WriteBin(binPath, LayoutOf(discSpec));

  const std::string temp = cuePath + ".part";
  FilePtr file(std::fopen(temp.c_str(), "wb"));
  if (!file) WriteFailed(temp, errno);
  if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size()) WriteFailed(temp, errno);
  CloseChecked(std::move(file), temp);
  if (std::rename(temp.c_str(), cuePath.c_str()) != 0) {
    const int error = errno;
    std::remove(temp.c_str());
    WriteFailed(cuePath, error);
  }
  return cuePath;
}

std::string WriteDiscImage(const std::string& folder, const DiscImageSpec& discSpec,
                           const std::string& baseName) {
  if (baseName.empty() || baseName.find('/') != std::string::npos)
    throw std::invalid_argument("bad image name: " + baseName);
  return WriteDiscImageFile(folder + "/" + baseName + ".cue", discSpec);
}
