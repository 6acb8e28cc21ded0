// CDDB disc identifier. The arithmetic is that of 32-bit integers with
// wrap-around, so odd tables of contents (negative or huge positions) give the
// same identifier other CDDB clients compute instead of undefined behaviour.
#include "cddb/disc_id.h"

#include <stdexcept>

namespace {

// Whole seconds of a position; frames are ignored.
int32_t Seconds(const CCDDBTrackPosition& p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p.Minute) * 60u + static_cast<uint32_t>(p.Second));
}

uint32_t DigitSum(int32_t n) {
  uint32_t sum = 0;
  for (; n > 0; n /= 10) sum += static_cast<uint32_t>(n % 10);
  return sum;
}

}  // namespace

uint32_t ComputeDiscID(const std::vector<CCDDBTrackPosition>& positions) {
  if (positions.empty()) throw std::invalid_argument("ComputeDiscID: no track positions");
  const size_t tracks = positions.size() - 1;
  if (tracks == 0) return 0;
  uint32_t total = 0;
  for (size_t i = 0; i < tracks; ++i) total += DigitSum(Seconds(positions[i]));
  uint32_t length =
      static_cast<uint32_t>(Seconds(positions[tracks])) - static_cast<uint32_t>(Seconds(positions[0]));
  return ((total % 255) << 24) | (length << 8) | static_cast<uint32_t>(tracks);
}
