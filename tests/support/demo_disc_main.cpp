// qcr-demo-disc: makes the demo disc for trying the program without a CD
// drive: a BIN/CUE image with a few audio tracks and a data track last, and
// the album record of that disc as an xmcd file where qcr-cddb-server serves
// it (<records>/<category>/<disc id>), so the album lookup finds it.
//
//   qcr-demo-disc IMAGE-FOLDER RECORDS-FOLDER
//
// Prints the image's .cue path and the disc ID.
#include <fmt/format.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cddb/disc_id.h"
#include "tests/support/disc_image.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLeadIn = 150;  // frames before LBA 0
constexpr int kFramesPerSecond = 75;
constexpr const char* kCategory = "misc";

struct DemoTrack {
  double seconds;
  const char* title;
};
constexpr DemoTrack kTracks[] = {
    {41, "Morning Tray"},
    {57, "Pit and Land"},
    {38, "Seventy-Five Frames"},
    {64, "Lead-Out Lullaby"},
};
constexpr double kDataSeconds = 20;

int Usage() {
  std::fputs("usage: qcr-demo-disc IMAGE-FOLDER RECORDS-FOLDER\n", stderr);
  return 2;
}

std::vector<CCDDBTrackPosition> Positions(const DiscImageLayout& layout) {
  std::vector<CCDDBTrackPosition> positions;
  auto add = [&](int32_t lba) {
    const int32_t frame = lba + kLeadIn;
    positions.push_back({frame / 4500, frame % 4500 / kFramesPerSecond, frame % kFramesPerSecond});
  };
  for (const DiscImageTrackLayout& track : layout.Tracks) add(track.StartLBA);
  add(layout.LeadOutLBA);
  return positions;
}

std::string RecordText(const DiscImageLayout& layout, uint32_t discId) {
  std::string text = "# xmcd\n#\n# Track frame offsets:\n";
  for (const DiscImageTrackLayout& track : layout.Tracks)
    text += fmt::format("#\t{}\n", track.StartLBA + kLeadIn);
  text += fmt::format("#\n# Disc length: {} seconds\n#\n", (layout.LeadOutLBA + kLeadIn) / kFramesPerSecond);
  text += "# Revision: 0\n# Submitted via: qcr-demo-disc 1.0\n#\n";
  text += fmt::format("DISCID={:08x}\n", discId);
  text += "DTITLE=The Loopback Ensemble / Demo Disc\nDYEAR=2024\nDGENRE=Demo\n";
  for (size_t i = 0; i < layout.Tracks.size(); ++i) {
    const std::string title = i < std::size(kTracks) ? kTracks[i].title : "Data";
    text += fmt::format("TTITLE{}={}\n", i, title);
  }
  text += "EXTD=A disc made for trying Quarno CD Ripper without a drive.\n";
  for (size_t i = 0; i < layout.Tracks.size(); ++i) text += fmt::format("EXTT{}=\n", i);
  text += "PLAYORDER=\n";
  return text;
}

// Written beside the target and renamed, so the server never reads half a record.
void WriteRecord(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  const fs::path temporary = path.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + temporary.string());
  }
  fs::rename(temporary, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Usage();
  try {
    DiscImageSpec disc;
    for (const DemoTrack& track : kTracks) disc.Tracks.push_back(AudioTrack(track.seconds));
    disc.Tracks.push_back(DataTrack(kDataSeconds));
    const DiscImageLayout layout = LayoutOf(disc);
    fs::create_directories(argv[1]);
    const std::string cue = WriteDiscImage(argv[1], disc, "demo");
    const uint32_t discId = ComputeDiscID(Positions(layout));
    WriteRecord(fs::path(argv[2]) / kCategory / fmt::format("{:08x}", discId), RecordText(layout, discId));
    std::printf("%s\n%08x\n", cue.c_str(), discId);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qcr-demo-disc: %s\n", e.what());
    return 1;
  }
}
