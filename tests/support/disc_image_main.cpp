// qcr-disc-image: writes a BIN/CUE disc image with the known sample pattern,
// for the demo and for trying the program without a CD drive.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "tests/support/disc_image.h"

namespace {

const char kUsage[] =
    "usage: qcr-disc-image OUT.cue TRACK...\n"
    "Writes OUT.cue and OUT.bin: a disc image whose audio follows a known pattern.\n"
    "Tracks, in disc order:\n"
    "  --audio SECONDS         an audio track\n"
    "  --audio-sectors N       an audio track of N sectors (75 per second)\n"
    "  --data-first SECONDS    a MODE1/2352 data track before all others\n"
    "  --data-last SECONDS     a MODE1/2352 data track after all others\n"
    "  --gap N                 an INDEX 00 gap of N sectors before the next track\n"
    "  --help                  this text\n"
    "Example: qcr-disc-image demo.cue --audio 180 --gap 150 --audio 240 --data-last 60\n";

bool ParseNumber(const std::string& text, double* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  *out = std::strtod(text.c_str(), &end);
  return end && *end == '\0';
}

bool ParseCount(const std::string& text, int32_t* out) {
  double value = 0;
  if (!ParseNumber(text, &value) || value < 0 || value > 1e7 || value != static_cast<int32_t>(value))
    return false;
  *out = static_cast<int32_t>(value);
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "qcr-disc-image: %s\n%s", message.c_str(), kUsage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string cuePath;
  DiscImageSpec discSpec;
  bool dataFirst = false, dataLast = false;
  DiscImageTrack first, last;
  int32_t gap = 0;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--help" || arg == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
      }
      if (arg.rfind("--", 0) != 0) {
        if (!cuePath.empty()) return Fail("more than one output file: " + arg);
        cuePath = arg;
        continue;
      }
      if (i + 1 >= argc) return Fail(arg + " needs a value");
      const std::string value = argv[++i];
      double seconds = 0;
      int32_t count = 0;
      if (arg == "--gap") {
        if (!ParseCount(value, &gap)) return Fail("bad gap: " + value);
      } else if (arg == "--audio-sectors") {
        if (!ParseCount(value, &count)) return Fail("bad sector count: " + value);
        discSpec.Tracks.push_back(AudioTrackSectors(count, gap));
        gap = 0;
      } else if (arg == "--audio" || arg == "--data-first" || arg == "--data-last") {
        if (!ParseNumber(value, &seconds)) return Fail("bad length: " + value);
        const DiscImageTrack track = arg == "--audio" ? AudioTrack(seconds, gap) : DataTrack(seconds, gap);
        gap = 0;
        if (arg == "--audio") discSpec.Tracks.push_back(track);
        if (arg == "--data-first") {
          dataFirst = true;
          first = track;
        }
        if (arg == "--data-last") {
          dataLast = true;
          last = track;
        }
      } else {
        return Fail("unknown option " + arg);
      }
    }
    if (cuePath.empty()) return Fail("no output file");
    if (dataFirst) discSpec.Tracks.insert(discSpec.Tracks.begin(), first);
    if (dataLast) discSpec.Tracks.push_back(last);
    if (discSpec.Tracks.empty()) return Fail("no track");
    WriteDiscImageFile(cuePath, discSpec);
    const DiscImageLayout layout = LayoutOf(discSpec);
    std::printf("%s: %zu tracks, %d sectors\n", cuePath.c_str(), layout.Tracks.size(), layout.LeadOutLBA);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qcr-disc-image: %s\n", e.what());
    return 1;
  }
}
