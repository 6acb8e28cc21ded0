// The rows of the main window's track list, kept apart from the list control:
// one row per track of the disc's table of contents with its texts, its item
// data (the length in sectors, marked negative for a data track) and its check
// box. A disc refresh refills it; the list control only shows it, and the
// rip commands and the player read it, never the control.
//
// Data tracks are never checked: every operation that checks rows skips them,
// and SetChecked refuses them.
//
// Used on the GUI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window_port.h"
#include "rip/rip_types.h"

// Item data of a data track: this marker plus the length, a negative number.
inline constexpr uint32_t kDataTrackMarker = 0x80000000u;
// Sectors between the end of one session's audio and the first track of the
// next session (the lead-out and lead-in written between them).
inline constexpr int32_t kSessionGapSectors = 11400;

enum TrackColumn : int {
  kTrackColumnNumber = 0,
  kTrackColumnTitle,
  kTrackColumnType,
  kTrackColumnStart,
  kTrackColumnDuration,
  kTrackColumnStatus,
  kTrackColumnDestination,
  kTrackColumnCount
};

// Row backgrounds as 0xRRGGBB.
inline constexpr uint32_t kAudioEvenRowColour = 0xFFFFFF;
inline constexpr uint32_t kAudioOddRowColour = 0xF3F5FC;
inline constexpr uint32_t kDataRowColour = 0xFFCCE7;

struct TrackRow {
  int32_t ItemData = 0;  // audio: length in sectors; data: kDataTrackMarker + length
  int32_t StartLBA = 0;
  bool Checked = false;
  std::string Title;
  std::string Start;     // FormatSectors(StartLBA + 150)
  std::string Duration;  // FormatSectors(length)
  std::string Status;
  std::string Destination;

  bool IsData() const { return ItemData < 0; }
  // The length in sectors, without the data marker.
  int32_t Length() const;
};

// "mm:ss.mmm" of a count of sectors, 75 to the second; milliseconds rounded.
std::string FormatSectors(int sectors);

// Item data for a track of `length` sectors.
int32_t TrackItemData(int32_t length, bool data);

class TrackListModel {
 public:
  // Rebuilds every row from the refreshed disc: titles from the album when
  // the refresh looked it up (else "Track%02d"), audio rows checked, data
  // rows not, status and destination empty. Before a data track that starts
  // the disc's last session, the gap between the sessions is not counted in
  // the length of the track before it.
  void Refill(const DiscSnapshot& disc);
  void Clear() { rows_.clear(); }

  int Count() const { return static_cast<int>(rows_.size()); }
  const TrackRow& Row(int row) const { return rows_.at(static_cast<size_t>(row)); }
  bool IsRow(int row) const { return row >= 0 && row < Count(); }
  bool IsDataRow(int row) const { return IsRow(row) && Row(row).IsData(); }
  // The text of one cell.
  std::string CellText(int row, int column) const;
  // The row's background as 0xRRGGBB: audio rows alternate by index, data rows pink.
  uint32_t RowColour(int row) const;

  // Sets a row's check box; a data row is refused (false) and stays off.
  bool SetChecked(int row, bool checked);
  bool IsChecked(int row) const { return IsRow(row) && Row(row).Checked; }
  void CheckAll();      // every audio row on; data rows untouched
  void UncheckAll();    // every row off
  void ReverseCheck();  // audio rows flipped, data rows off

  // The first checked row after `from` (-1 searches from row 0), or -1.
  int FindNextChecked(int from) const;
  // The last checked row before `from` (Count() searches from the last row), or -1.
  int FindPreviousChecked(int from) const;
  bool AnyChecked() const { return FindNextChecked(-1) >= 0; }

  void SetStatus(int row, const std::string& text);
  void ClearStatus();

  // Rewrites every Destination: "Not an audio track" for data rows, the
  // output path of the track (pathOf(row)) for audio rows. A path that cannot
  // be built (pathOf throws) leaves the cell empty.
  void RefreshDestinations(const std::function<std::string(int trackIndex)>& pathOf);

  // The rip job's tracks: every checked audio row in order, with running totals.
  std::vector<TrackData> CheckedTracks() const;
  // The rip job of one audio row (checked or not); empty for a data row or no row.
  std::vector<TrackData> SingleTrack(int row) const;

 private:
  std::vector<TrackRow> rows_;
};
