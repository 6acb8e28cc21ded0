// The track list's rows: built from the table of contents and the album, the
// check rules, the destinations and the rip job's track entries.
#include "app/track_list_model.h"

#include <fmt/printf.h>

#include <algorithm>
#include <cstring>

#include "platform/cd_drive.h"
#include "rip/file_naming.h"

namespace {

constexpr int kSectorsPerSecondOfTime = 75;
constexpr int kSectorsPerMinute = 60 * kSectorsPerSecondOfTime;
constexpr int32_t kLeadInSectors = 150;

int32_t DescriptorLBA(const TOCDescriptor& d) {
  return static_cast<int32_t>((uint32_t{d.StartLBA[0]} << 24) | (uint32_t{d.StartLBA[1]} << 16) |
                              (uint32_t{d.StartLBA[2]} << 8) | uint32_t{d.StartLBA[3]});
}

bool IsDataDescriptor(const TOCDescriptor& d) { return (d.AdrControl & kTOCDataTrack) != 0; }

// Rows the table of contents describes: its track count, as far as the
// response has room for the tracks and the lead-out.
int TrackCount(const TOCData& toc) {
  const int count = toc.LastTrack - toc.FirstTrack + 1;
  if (toc.FirstTrack == 0 || count < 1) return 0;
  return std::min(count, kTOCMaxDescriptors - 1);
}

// Whether the track at `next` starts the disc's last session while the track
// at `start` lies in an earlier one.
bool StartsLaterSession(int32_t start, int32_t next, int32_t lastSession) {
  return lastSession >= 0 && start < lastSession && next >= lastSession;
}

}  // namespace

int32_t TrackRow::Length() const { return ItemData & 0x7FFFFFFF; }

std::string FormatSectors(int sectors) {
  const int n = std::max(sectors, 0);
  const int ms = static_cast<int>(
      static_cast<double>(n % kSectorsPerSecondOfTime) / kSectorsPerSecondOfTime * 1000.0 + 0.5);
  return fmt::sprintf("%02d:", n / kSectorsPerMinute) +
         fmt::sprintf("%02d.", n % kSectorsPerMinute / kSectorsPerSecondOfTime) + fmt::sprintf("%03d", ms);
}

int32_t TrackItemData(int32_t length, bool data) {
  const auto n = static_cast<uint32_t>(std::max(length, 0));
  return static_cast<int32_t>(data ? kDataTrackMarker + n : n);
}

void TrackListModel::Refill(const DiscSnapshot& disc) {
  rows_.clear();
  if (disc.NoDisc) return;
  TOCData toc{};
  std::memcpy(&toc, disc.TOC.data(), sizeof toc);
  const int count = TrackCount(toc);
  // A session the drive reports at the first track means one session.
  const int32_t lastSession = disc.LastSessionLBA;
  for (int i = 0; i < count; ++i) {
    const TOCDescriptor& d = toc.Descriptors[i];
    const TOCDescriptor& next = toc.Descriptors[i + 1];  // the next track, or the lead-out
    TrackRow row;
    row.StartLBA = DescriptorLBA(d);
    row.Title = disc.LookupOnRefresh ? TrackTitleOf(disc.Album.TrackTitles, i) : DefaultTrackTitle(i);
    int64_t n = int64_t{DescriptorLBA(next)} - row.StartLBA;
    // The gap between the audio session and a data session after it is no
    // part of the audio track; a data track in the same session leaves the
    // length alone, and a length never goes below 0.
    if (i + 1 < count && IsDataDescriptor(next) &&
        StartsLaterSession(row.StartLBA, DescriptorLBA(next), lastSession))
      n -= kSessionGapSectors;
    n = std::clamp<int64_t>(n, 0, INT32_MAX);
    const bool data = IsDataDescriptor(d);
    row.ItemData = TrackItemData(static_cast<int32_t>(n), data);
    row.Start = FormatSectors(row.StartLBA + kLeadInSectors);
    row.Duration = FormatSectors(static_cast<int>(n));
    row.Checked = !data;
    rows_.push_back(std::move(row));
  }
}

std::string TrackListModel::CellText(int row, int column) const {
  if (!IsRow(row)) return {};
  const TrackRow& r = Row(row);
  switch (column) {
    case kTrackColumnNumber:
      return fmt::sprintf("  %02d", row + 1);
    case kTrackColumnTitle:
      return r.Title;
    case kTrackColumnType:
      return r.IsData() ? "Data Track" : "Audio Track";
    case kTrackColumnStart:
      return r.Start;
    case kTrackColumnDuration:
      return r.Duration;
    case kTrackColumnStatus:
      return r.Status;
    case kTrackColumnDestination:
      return r.Destination;
    default:
      return {};
  }
}

uint32_t TrackListModel::RowColour(int row) const {
  if (IsDataRow(row)) return kDataRowColour;
  return row % 2 == 0 ? kAudioEvenRowColour : kAudioOddRowColour;
}

bool TrackListModel::SetChecked(int row, bool checked) {
  if (!IsRow(row)) return false;
  TrackRow& r = rows_[static_cast<size_t>(row)];
  if (r.IsData()) {
    r.Checked = false;
    return !checked;
  }
  r.Checked = checked;
  return true;
}

void TrackListModel::CheckAll() {
  for (TrackRow& r : rows_)
    if (!r.IsData()) r.Checked = true;
}

void TrackListModel::UncheckAll() {
  for (TrackRow& r : rows_) r.Checked = false;
}

void TrackListModel::ReverseCheck() {
  for (TrackRow& r : rows_) r.Checked = !r.IsData() && !r.Checked;
}

int TrackListModel::FindNextChecked(int from) const {
  for (int row = std::max(from + 1, 0); row < Count(); ++row)
    if (IsChecked(row)) return row;
  return -1;
}

void TrackListModel::SetStatus(int row, const std::string& text) {
  if (IsRow(row)) rows_[static_cast<size_t>(row)].Status = text;
}

void TrackListModel::ClearStatus() {
  for (TrackRow& r : rows_) r.Status.clear();
}

void TrackListModel::RefreshDestinations(const std::function<std::string(int trackIndex)>& pathOf) {
  for (int row = 0; row < Count(); ++row) {
    TrackRow& r = rows_[static_cast<size_t>(row)];
    if (r.IsData()) {
      r.Destination = "Not an audio track";
      continue;
    }
    try {
      r.Destination = pathOf(row);
    } catch (const std::exception&) {
      // The album has no title for this track: the rip would stop here too.
      r.Destination.clear();
    }
  }
}

std::vector<TrackData> TrackListModel::CheckedTracks() const {
  std::vector<TrackData> tracks;
  int32_t total = 0;
  for (int row = 0; row < Count(); ++row) {
    const TrackRow& r = Row(row);
    if (!r.Checked || r.IsData()) continue;
    total += r.ItemData;
    tracks.push_back({static_cast<uint16_t>(row), r.StartLBA, r.ItemData, total});
  }
  return tracks;
}

std::vector<TrackData> TrackListModel::SingleTrack(int row) const {
  if (!IsRow(row) || IsDataRow(row)) return {};
  const TrackRow& r = Row(row);
  return {{static_cast<uint16_t>(row), r.StartLBA, r.ItemData, r.ItemData}};
}
