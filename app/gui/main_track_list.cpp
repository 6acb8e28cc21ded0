// A plain listing of the disc's tracks in the main window: number, title,
// type, start and duration of every track of the table of contents. The full
// track list (check boxes that refuse data tracks, colours, destinations)
// builds on these rows.
#include <fmt/printf.h>

#include <cstring>

#include "app/gui/quarno_cd_ripper_dlg.h"

namespace {

constexpr int kSectorsPerSecond = 75;
constexpr int kSectorsPerMinute = 60 * kSectorsPerSecond;

int32_t DescriptorLBA(const TOCDescriptor& d) {
  return static_cast<int32_t>((uint32_t{d.StartLBA[0]} << 24) | (uint32_t{d.StartLBA[1]} << 16) |
                              (uint32_t{d.StartLBA[2]} << 8) | uint32_t{d.StartLBA[3]});
}

// "mm:ss.mmm" of a count of sectors.
std::string SectorTime(int32_t sectors) {
  if (sectors < 0) sectors = 0;
  const int ms = static_cast<int>((sectors % kSectorsPerSecond) * 1000.0 / kSectorsPerSecond + 0.5);
  return fmt::sprintf("%02d:%02d.%03d", sectors / kSectorsPerMinute,
                      sectors % kSectorsPerMinute / kSectorsPerSecond, ms);
}

}  // namespace

void CQuarnoCDRipperDlg::FillTrackList(const DiscSnapshot& disc) {
  if (trackList_ == nullptr) return;
  trackList_->DeleteAllItems();
  if (disc.NoDisc) return;
  TOCData toc{};
  std::memcpy(&toc, disc.TOC.data(), sizeof toc);
  const int tracks = toc.LastTrack >= toc.FirstTrack ? toc.LastTrack - toc.FirstTrack + 1 : 0;
  for (int i = 0; i < tracks && i + 1 < kTOCMaxDescriptors; ++i) {
    const TOCDescriptor& d = toc.Descriptors[i];
    const int32_t start = DescriptorLBA(d);
    const int32_t length = DescriptorLBA(toc.Descriptors[i + 1]) - start;
    const bool data = (d.AdrControl & kTOCDataTrack) != 0;
    const size_t row = static_cast<size_t>(i);
    const std::string title = !data && row < disc.Album.TrackTitles.size() ? disc.Album.TrackTitles[row]
                                                                           : fmt::sprintf("Track%02d", i + 1);
    const long item = trackList_->InsertItem(i, fmt::sprintf("  %02d", i + 1));
    trackList_->SetItem(item, 1, wxString::FromUTF8(data ? std::string("Not an audio track") : title));
    trackList_->SetItem(item, 2, data ? "Data Track" : "Audio Track");
    trackList_->SetItem(item, 3, SectorTime(start));
    trackList_->SetItem(item, 4, SectorTime(length));
  }
}
