// Control, command and menu ids as the program numbers them, and the one
// place where they meet the window toolkit's ids.
//
// Dialog templates, message maps, anchors and GetDlgItem all use the
// program's own numbers. Commands (32768 and up) and the frame's bars
// (0xE800...) lie above the toolkit's limit for window and menu ids (0x7FFF,
// exclusive), so WxId folds those ranges into free room below it, and ProgramId
// maps a toolkit id back. Everything else passes unchanged.
//
//   program id           toolkit id
//   -1 (IDC_STATIC)       -1 (any id: labels and frames nothing addresses)
//   0 .. 0x3FFF           unchanged
//   0x7000 .. 0x7FFE      unchanged
//   0x8000 .. 0x8FFF      0x4000 .. 0x4FFF   (menu and toolbar commands)
//   0xE000 .. 0xEFFF      0x5000 .. 0x5FFF   (frame bars, splitter)
//   0xF000 .. 0xFFFF      0x6000 .. 0x6FFF   (0xFFFF: a property sheet's page frame)
//
// Ids 0x4000 .. 0x6FFF pass unchanged too, but ProgramId reads them as folded
// ids, so the program must not use them natively; ids in 0x7FFF .. 0xDFFF
// other than the command range have no room and land in 0x7000 .. 0x7FFE,
// where they can collide. FoldingCollisions checks a set of ids for
// both faults; a test runs it over every id the program uses.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace ui {

// Lowest id the toolkit rejects for windows and menu items.
inline constexpr int kToolkitIdLimit = 0x7FFF;

int WxId(int programId);
int ProgramId(int wxId);

// Descriptions of every fault among `ids` (program numbers): two ids that fold
// to the same toolkit id, or an id that does not come back through ProgramId.
// Empty when the set folds cleanly.
std::vector<std::string> FoldingCollisions(std::span<const int> ids);

}  // namespace ui
