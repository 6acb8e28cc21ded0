// Disc ids of hand-made tables of contents. Expected ids are constants worked
// out by hand from the start seconds listed beside each disc.
#include "cddb/disc_id.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// An absolute frame address (75 frames a second, lead-in included) as the
// drive's table of contents gives it.
CCDDBTrackPosition At(int frames) { return {frames / 4500, frames / 75 % 60, frames % 75}; }

std::vector<CCDDBTrackPosition> Toc(const std::vector<int>& offsets, int lead_out) {
  std::vector<CCDDBTrackPosition> toc;
  for (int offset : offsets) toc.push_back(At(offset));
  toc.push_back(At(lead_out));
  return toc;
}

struct Disc {
  const char* name;
  std::vector<int> offsets;  // frame offset of each track
  int lead_out;
  uint32_t id;
};

const std::vector<Disc>& Discs() {
  static const std::vector<Disc> discs = {
      // 12-track album; start seconds 2 235 492 710 953 1192 1404 1639 1860 2116
      // 2348 2579: digit total 158, length 2843 - 2 = 2841 s.
      {"twelve tracks",
       {150, 17672, 36942, 53315, 71490, 89430, 105372, 122935, 139552, 158730, 176142, 193487},
       213297,
       0x9E0B190C},
      // A single: total 2, length 443 - 2 = 441 s.
      {"one track", {150}, 33262, 0x0201B901},
      // First track after a 32-frame gap (182 frames is still second 2):
      // seconds 2 276 546 802 1070, total 50, length 1316 - 2 = 1314 s.
      {"first track at 182 frames", {182, 20745, 41002, 60221, 80310}, 98713, 0x32052205},
      // Enhanced CD: nine audio tracks, then the data track of the second
      // session, which counts as a track: total 119, length 3266 - 2 = 3264 s.
      {"data track last",
       {150, 19450, 38860, 57512, 76020, 95133, 112999, 132450, 150300, 181500},
       245000,
       0x770CC00A},
  };
  return discs;
}

TEST(ComputeDiscID, ExampleOfTwoTracks) {
  // Digit sums of 2 and 190 are 2 and 10; length 360 - 2 = 358 s.
  std::vector<CCDDBTrackPosition> toc = {{0, 2, 0}, {3, 10, 15}, {6, 0, 0}};
  EXPECT_EQ(ComputeDiscID(toc), 0x0C016602u);
}

TEST(ComputeDiscID, RealDiscs) {
  for (const Disc& disc : Discs()) {
    SCOPED_TRACE(disc.name);
    EXPECT_EQ(ComputeDiscID(Toc(disc.offsets, disc.lead_out)), disc.id);
  }
}

TEST(ComputeDiscID, NinetyNineTracksTakeTheTotalModulo255) {
  std::vector<int> offsets;
  for (int i = 0; i < 99; ++i) offsets.push_back(150 + i * 4000);
  const int lead_out = 150 + 99 * 4000;
  // Digit total 1548: 1548 mod 255 = 18 (mod 256 would give 12).
  EXPECT_EQ(ComputeDiscID(Toc(offsets, lead_out)), 0x1214A063u);
}

TEST(ComputeDiscID, FramesIgnoredAndZeroSecondsAddNothing) {
  std::vector<CCDDBTrackPosition> toc = {{0, 2, 74}, {3, 10, 74}, {6, 0, 74}};
  EXPECT_EQ(ComputeDiscID(toc), 0x0C016602u);
  // Start seconds 0 and 100: digit total 0 + 1; length 200 s.
  toc = {{0, 0, 10}, {1, 40, 0}, {3, 20, 0}};
  EXPECT_EQ(ComputeDiscID(toc), 0x0100C802u);
}

TEST(ComputeDiscID, LengthIsNotMaskedTo16Bits) {
  // 66000 - 2 = 65998 s = 0x101CE: its top bit spills into the checksum byte.
  std::vector<CCDDBTrackPosition> toc = {{0, 2, 0}, {1100, 0, 0}};
  EXPECT_EQ(ComputeDiscID(toc), 0x0301CE01u);
}

TEST(ComputeDiscID, LeadOutOnlyGivesZero) {
  EXPECT_EQ(ComputeDiscID({{0, 2, 0}}), 0u);
  EXPECT_EQ(ComputeDiscID({{74, 59, 74}}), 0u);
}

TEST(ComputeDiscID, EmptyArrayIsInvalid) { EXPECT_THROW(ComputeDiscID({}), std::invalid_argument); }

TEST(ComputeDiscID, OddPositionsDoNotOverflow) {
  // A drive reporting nonsense must not crash the refresh; negative seconds add
  // nothing and the length wraps like 32-bit arithmetic.
  std::vector<CCDDBTrackPosition> toc = {{-5, 0, 0}, {0x7FFFFFFF, 59, 74}};
  EXPECT_NO_THROW(ComputeDiscID(toc));
  std::vector<CCDDBTrackPosition> backwards = {{6, 0, 0}, {0, 2, 0}};
  // Digit sum of 360 is 9; length 2 - 360 = -358 wraps to 0xFFFFFE9A.
  EXPECT_EQ(ComputeDiscID(backwards), (9u << 24) | (0xFFFFFE9Au << 8) | 1u);
}

}  // namespace
