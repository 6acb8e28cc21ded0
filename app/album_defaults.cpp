// Placeholder album data and the reset of lookup results.
#include "app/album_defaults.h"

#include <fmt/printf.h>

#include <cstddef>

#include "app/disc_worker.h"
#include "cddb/cddb_globals.h"
#include "cddb/disc_id.h"
#include "platform/cd_drive.h"
#include "rip/file_naming.h"

std::string OutputSubFolder;

namespace {

constexpr const char* kClientName = "DerODIZ";
constexpr const char* kClientVersion = "1.28";
constexpr int kPlaceholderYear = 2000;

int SecondsOf(const CCDDBTrackPosition& p) { return p.Minute * 60 + p.Second; }

// The placeholder album of SetAlbumDefaults, made in `album`.
void MakePlaceholders(CCDDBRecord& album) {
  album.TrackOffsets.clear();
  album.ExtendedTrackData.clear();
  album.PlayOrder.clear();
  album.TrackTitles.clear();
  // A table of contents always ends with the lead-out; without one track
  // before it there is no disc to name.
  if (NoDisc != 0 || IsAudioDisc == 0 || TrackPositions.size() < 2) return;

  album.DiscID = ComputeDiscID(TrackPositions);
  const std::size_t tracks = TrackPositions.size() - 1;
  for (std::size_t i = 0; i < tracks; ++i) {
    const CCDDBTrackPosition& p = TrackPositions[i];
    album.TrackOffsets.push_back(SecondsOf(p) * 75 + p.Frame);
    album.ExtendedTrackData.emplace_back();
    album.TrackTitles.push_back(DefaultTrackTitle(static_cast<int>(i)));
  }
  const std::string suffix = fmt::sprintf(" %08x", album.DiscID);
  album.DiscLength = SecondsOf(TrackPositions.back()) - SecondsOf(TrackPositions.front());
  album.Revision = 0;
  album.Year = kPlaceholderYear;
  album.ExtendedData.clear();
  album.Artist = "Unknown Artist" + suffix;
  album.SubmittedViaClient = kClientName;
  album.SubmittedViaVersion = kClientVersion;
  album.SubmittedViaComment.clear();
  album.Genre = "Unknown Genre" + suffix;
  album.Title = "Unknown Album" + suffix;
}

}  // namespace

void ClearCDDBResults() {
  QueryResults.clear();
  MatchRecords.clear();
  OutputSubFolder.clear();
}

void SetAlbumDefaults() {
  AlbumInfoIsDefault = 1;
  ChangeAlbumRecord(MakePlaceholders);
}
