// The CDDB disc identifier of a table of contents.
#pragma once

#include <cstdint>
#include <vector>

#include "cddb/cddb_record.h"

// `positions` holds one start position per track and the lead-out last.
// Returns (digit-sum total mod 255) << 24 | playing seconds << 8 | tracks.
// A lead-out alone gives 0; an empty array throws std::invalid_argument.
uint32_t ComputeDiscID(const std::vector<CCDDBTrackPosition>& positions);
