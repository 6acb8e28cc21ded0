// BIN/CUE disc images with a known content, for tests, benchmarks and the
// demo: audio tracks of chosen lengths, optional MODE1/2352 data tracks,
// INDEX 00 gaps stored in the file, little-endian samples.
//
// Every audio sample is a function of its absolute sector and its place in the
// sector (ExpectedSample), different per sector, per sample and per channel
// and never silence, so a reader can be checked byte for byte at any position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

inline constexpr int kImageSectorBytes = 2352;
inline constexpr int kImageSamplesPerSector = 1176;

struct DiscImageTrack {
  int32_t Sectors = 0;        // from INDEX 01 to the next track's gap (or the end)
  int32_t PregapSectors = 0;  // INDEX 00 gap before the track, stored in the file
  bool Data = false;          // a MODE1/2352 data track
};

// Lengths in seconds are rounded to whole sectors (75 per second).
DiscImageTrack AudioTrack(double seconds, int32_t pregapSectors = 0);
DiscImageTrack AudioTrackSectors(int32_t sectors, int32_t pregapSectors = 0);
DiscImageTrack DataTrack(double seconds, int32_t pregapSectors = 0);

struct DiscImageSpec {
  std::vector<DiscImageTrack> Tracks;
};

// Where each track lies in the image; sector n of the file is LBA n.
struct DiscImageTrackLayout {
  int32_t GapLBA = 0;    // INDEX 00 (equals StartLBA without a gap)
  int32_t StartLBA = 0;  // INDEX 01: the start a table of contents reports
  int32_t Sectors = 0;
  bool Data = false;
};

struct DiscImageLayout {
  std::vector<DiscImageTrackLayout> Tracks;
  int32_t LeadOutLBA = 0;  // sectors in the file
  // 0-based index of the track whose part of the file holds `lba` (its gap
  // included); -1 outside the image.
  int TrackAt(int32_t lba) const;
  // Sectors between the track's start and the next track's start (or the
  // lead-out), as a table of contents gives the track's length.
  int32_t TOCLength(int track) const;
};

// Throws std::invalid_argument for a disc layout that makes no disc (no track, more
// than 99, a length below 1, a negative gap).
DiscImageLayout LayoutOf(const DiscImageSpec& discSpec);

// Sample `sampleIndex` (0..1175, left and right interleaved) of audio sector `lba`.
int16_t ExpectedSample(int32_t lba, int sampleIndex);
// The 2352 bytes of sector `lba` as stored in the image: audio samples, or a
// MODE1 data sector (sync, header, patterned user data, zero EDC/ECC).
void FillSector(const DiscImageLayout& layout, int32_t lba, uint8_t* out);

std::string CueSheetText(const DiscImageSpec& discSpec, const std::string& binName);

// Writes `cuePath` and the .bin beside it (same name, extension .bin); the cue
// sheet appears only once the .bin is complete. Returns cuePath. Throws
// std::invalid_argument for a bad disc layout or name, std::runtime_error when
// writing fails.
std::string WriteDiscImageFile(const std::string& cuePath, const DiscImageSpec& discSpec);
// Writes `folder`/`baseName`.cue and .bin; returns the .cue path.
std::string WriteDiscImage(const std::string& folder, const DiscImageSpec& discSpec,
                           const std::string& baseName = "disc");
