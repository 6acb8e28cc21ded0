// The check a cue sheet passes before the image driver reads it.
//
// libcdio's cue reader trusts its sheet: a first track numbered other than 1
// makes it index its track table below the start (a first track of 70 or
// more reads and writes freed memory), more than 99 TRACK lines run past the
// table's end, a line of 4095 bytes or more is read as two lines, a second
// CATALOG or ISRC leaks, and CDTEXTFILE has it parse any file it names as
// CD-TEXT. So a sheet reaches libcdio only when it keeps to the plain form
// below; any other sheet is a disc that cannot be read.
//
// The form: lines of at most kMaxCueLineBytes bytes, no NUL byte, keywords in
// capitals as libcdio spells them. Before the first track: REM, CATALOG (once,
// 13 digits) and exactly one FILE naming a regular file. Then TRACK 01,
// TRACK 02, ... (at most 99) with a mode libcdio reads, each with exactly one
// INDEX 01, later than the previous track's; in a track INDEX 00-99, FLAGS,
// one ISRC and one PREGAP; times "mm:ss:ff" with seconds below 60 and frames
// below 75. CD-TEXT lines (TITLE, PERFORMER, ...) may stand anywhere.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Bigger files are no cue sheets (99 tracks with every CD-TEXT line take
// some 30 KiB).
inline constexpr std::size_t kMaxCueSheetBytes = 64 * 1024;
// libcdio reads a line into 4096 bytes with its line feed and NUL.
inline constexpr std::size_t kMaxCueLineBytes = 4094;

struct CheckedCueSheet {
  std::string text;      // the sheet as checked: what the image driver gets to read
  std::string dataFile;  // the file FILE names, beside the sheet when relative
};

// Reads the sheet at `cuePath` once and checks it; nothing when the file
// cannot be read or the sheet is not of the form above.
std::optional<CheckedCueSheet> ReadCheckedCueSheet(const std::string& cuePath);
