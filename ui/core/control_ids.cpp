// Folding of the program's ids into the toolkit's id range, and back.
#include "ui/core/control_ids.h"

#include <fmt/format.h>

#include <map>

namespace ui {

namespace {

struct FoldRange {
  int first;  // program id
  int last;
  int target;  // toolkit id of `first`
};

constexpr FoldRange kFolds[] = {
    {0x8000, 0x8FFF, 0x4000},
    {0xE000, 0xEFFF, 0x5000},
    {0xF000, 0xFFFF, 0x6000},
};

constexpr int kAnyId = -1;
constexpr int kOverflowBase = 0x7000;

}  // namespace

int WxId(int programId) {
  if (programId < 0) return kAnyId;
  if (programId > 0xFFFF) programId &= 0xFFFF;  // command ids travel as 16 bits
  for (const FoldRange& r : kFolds) {
    if (programId >= r.first && programId <= r.last) return r.target + (programId - r.first);
  }
  if (programId < kToolkitIdLimit) return programId;
  // No room kept for this range: stay valid, accept collisions (reported by
  // FoldingCollisions).
  return kOverflowBase + (programId % (kToolkitIdLimit - kOverflowBase));
}

int ProgramId(int wxId) {
  for (const FoldRange& r : kFolds) {
    const int lastTarget = r.target + (r.last - r.first);
    if (wxId >= r.target && wxId <= lastTarget) return r.first + (wxId - r.target);
  }
  return wxId;
}

std::vector<std::string> FoldingCollisions(std::span<const int> ids) {
  std::vector<std::string> faults;
  std::map<int, int> byToolkitId;
  for (int id : ids) {
    const int folded = WxId(id);
    if (folded == kAnyId) continue;
    if (folded >= kToolkitIdLimit || folded < 0) {
      faults.push_back(fmt::format("id {} folds to {}, outside the toolkit's range", id, folded));
    }
    auto [it, inserted] = byToolkitId.emplace(folded, id);
    if (!inserted && it->second != id) {
      faults.push_back(fmt::format("ids {} and {} both fold to {}", it->second, id, folded));
    }
    if (ProgramId(folded) != id) {
      faults.push_back(
          fmt::format("id {} folds to {}, which reads back as {}", id, folded, ProgramId(folded)));
    }
  }
  return faults;
}

}  // namespace ui
