// Disc ids of hand-made tables of contents. Expected ids are constants worked
// out by hand from the start seconds listed beside each disc.
#include "cddb/disc_id.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using Toc = std::vector<CCDDBTrackPosition>;

// Absolute frame addresses (75 a second, lead-in included), lead-out last.
Toc Frames(std::vector<int> frames) {
  Toc toc;
  for (int f : frames) toc.push_back({f / 4500, f / 75 % 60, f % 75});
  return toc;
}

Toc NinetyNineTracks() {
  std::vector<int> frames;
  for (int i = 0; i <= 99; ++i) frames.push_back(150 + i * 4000);
  return Frames(frames);
}

TEST(ComputeDiscID, KnownDiscs) {
  const struct {
    const char* name;
    Toc toc;
    uint32_t id;
  } cases[] = {
      // Digit sums of 2 and 190 are 2 and 10; length 360 - 2 = 358 s.
      {"example", {{0, 2, 0}, {3, 10, 15}, {6, 0, 0}}, 0x0C016602},
      {"example, frames ignored", {{0, 2, 74}, {3, 10, 74}, {6, 0, 74}}, 0x0C016602},
      // Start seconds 2 235 492 710 953 1192 1404 1639 1860 2116 2348 2579:
      // digit total 158, length 2843 - 2 = 2841 s.
      {"twelve tracks",
       Frames(
           {150, 17672, 36942, 53315, 71490, 89430, 105372, 122935, 139552, 158730, 176142, 193487, 213297}),
       0x9E0B190C},
      {"one track: total 2, 441 s", Frames({150, 33262}), 0x0201B901},
      // 182 frames is still second 2: seconds 2 276 546 802 1070, total 50.
      {"first track at 182 frames", Frames({182, 20745, 41002, 60221, 80310, 98713}), 0x32052205},
      // Nine audio tracks, then the second session's data track, which counts.
      {"data track last",
       Frames({150, 19450, 38860, 57512, 76020, 95133, 112999, 132450, 150300, 181500, 245000}), 0x770CC00A},
      // Digit total 1548 mod 255 = 18 (mod 256 would give 12).
      {"99 tracks", NinetyNineTracks(), 0x1214A063},
      {"zero seconds add nothing", {{0, 0, 10}, {1, 40, 0}, {3, 20, 0}}, 0x0100C802},
      // 65998 s = 0x101CE: its top bit spills into the checksum byte.
      {"length not masked to 16 bits", {{0, 2, 0}, {1100, 0, 0}}, 0x0301CE01},
      {"lead-out only", {{0, 2, 0}}, 0},
      // Digit sum of 360 is 9; length 2 - 360 = -358 wraps to 0xFFFFFE9A.
      {"backwards", {{6, 0, 0}, {0, 2, 0}}, (9u << 24) | (0xFFFFFE9Au << 8) | 1u},
  };
  for (const auto& c : cases) EXPECT_EQ(ComputeDiscID(c.toc), c.id) << c.name;
}

TEST(ComputeDiscID, BadPositions) {
  EXPECT_THROW(ComputeDiscID({}), std::invalid_argument);
  // A drive reporting nonsense must not crash the refresh.
  EXPECT_NO_THROW(ComputeDiscID({{-5, 0, 0}, {0x7FFFFFFF, 59, 74}}));
}

}  // namespace
