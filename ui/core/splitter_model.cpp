// Splitter shares, minimums, frozen panes and bar dragging.
#include "ui/core/splitter_model.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace ui {

namespace {

// (value * kWhole + total / 2) / total, computed wide.
int ShareOf(int64_t value, int64_t total) {
  return static_cast<int>((value * SplitterModel::kWhole + total / 2) / total);
}

}  // namespace

SplitterModel::SplitterModel(int paneCount, std::vector<int> minimums, int barWidth)
    : barWidth_(std::max(0, barWidth)) {
  const int n = std::max(2, paneCount);
  fractions_.assign(n, (n / 2 + kWhole) / n);
  fractions_.back() = kWhole - (n - 1) * fractions_.front();
  positions_.assign(n + 1, 0);
  minimums_ = std::move(minimums);
  minimums_.resize(n, 0);
  frozen_.assign(n, false);
}

int SplitterModel::PaneEnd(int i) const { return positions_[i + 1] - barWidth_; }

int SplitterModel::PixelSize(int i, int available) const {
  return static_cast<int>((int64_t{available} * fractions_[i] + kWhole / 2) / kWhole);
}

int SplitterModel::Available() const {
  const int n = PaneCount();
  return positions_[n] - n * barWidth_ - positions_[0];
}

void SplitterModel::SetFrozen(const std::vector<bool>& frozen) {
  for (int i = 0; i < PaneCount(); ++i) frozen_[i] = i < static_cast<int>(frozen.size()) && frozen[i];
}

void SplitterModel::Layout(int origin, int length) {
  const int n = PaneCount();
  const int available = length - (n - 1) * barWidth_;
  if (available <= 0) {
    // Too short for its bars: every pane collapses, the shares stay.
    positions_[0] = origin;
    for (int i = 0; i < n; ++i) positions_[i + 1] = positions_[i] + barWidth_;
    laidOut_ = false;
    return;
  }
  const int frozenCount = static_cast<int>(std::count(frozen_.begin(), frozen_.end(), true));
  bool checkMinimums = true;
  if (laidOut_ && frozenCount > 0 && frozenCount < n) {
    KeepFrozen(available);
    checkMinimums = false;
    for (int i = 0; i < n; ++i) {
      if (PixelSize(i, available) > minimums_[i]) checkMinimums = true;
    }
  }
  if (checkMinimums) ApplyMinimums(available);
  Place(origin, available);
}

void SplitterModel::KeepFrozen(int available) {
  const int n = PaneCount();
  const int64_t previous = Available();
  if (previous <= 0) return;
  const int64_t a = available;
  const int64_t freeCount = n - std::count(frozen_.begin(), frozen_.end(), true);
  int used = 0;
  for (int i = 0; i < n - 1; ++i) {
    const int64_t kept = (fractions_[i] * previous + a / 2) / a;  // same pixel size as before
    if (!frozen_[i]) {
      fractions_[i] =
          static_cast<int>(((a - previous) * kWhole + freeCount * a / 2) / (freeCount * a) + kept);
    } else {
      fractions_[i] = static_cast<int>(kept);
    }
    used += fractions_[i];
  }
  fractions_[n - 1] = kWhole - used;
}

void SplitterModel::ApplyMinimums(int available) {
  const int n = PaneCount();
  auto minimumShare = [&](int i) {
    return minimums_[i] > available ? int{kWhole} : ShareOf(minimums_[i], available);
  };
  std::vector<bool> pinned(n, false);
  for (bool pinnedMore = true; pinnedMore;) {
    pinnedMore = false;
    for (int i = 0; i < n; ++i) {
      const int size = PixelSize(i, available);
      if (pinned[i] || size > minimums_[i]) continue;
      pinned[i] = true;
      pinnedMore = true;
      if (size < minimums_[i]) fractions_[i] = minimumShare(i);
    }
    int pinnedSum = 0;
    int64_t freeSum = 0;
    int freeCount = 0;
    for (int i = 0; i < n; ++i) {
      if (pinned[i]) {
        pinnedSum += fractions_[i];
      } else {
        freeSum += fractions_[i];
        ++freeCount;
      }
    }
    if (pinnedSum >= kWhole || freeCount == 0) {
      // The minimums take everything: each pane gets its minimum while it lasts.
      int left = kWhole;
      for (int i = 0; i < n; ++i) {
        fractions_[i] = std::min(minimumShare(i), left);
        left -= fractions_[i];
      }
      return;
    }
    // The free panes share what the pinned ones leave, in their proportions.
    const int left = kWhole - pinnedSum;
    int given = 0;
    int lastFree = -1;
    for (int i = 0; i < n; ++i) {
      if (pinned[i]) continue;
      fractions_[i] =
          freeSum > 0 ? static_cast<int>(fractions_[i] * int64_t{left} / freeSum) : left / freeCount;
      given += fractions_[i];
      lastFree = i;
    }
    fractions_[lastFree] += left - given;
  }
}

void SplitterModel::Place(int origin, int available) {
  const int n = PaneCount();
  positions_[0] = origin;
  for (int i = 0; i < n - 1; ++i) positions_[i + 1] = positions_[i] + PixelSize(i, available) + barWidth_;
  positions_[n] = origin + available + n * barWidth_;
  laidOut_ = true;
}

void SplitterModel::SetPaneSizes(const std::vector<int>& sizes, int origin, int length) {
  const int n = PaneCount();
  int64_t total = 0;
  for (int i = 0; i < n && i < static_cast<int>(sizes.size()); ++i) total += std::max(0, sizes[i]);
  if (total > 0) {
    int used = 0;
    for (int i = 0; i < n - 1; ++i) {
      const int64_t size = i < static_cast<int>(sizes.size()) ? std::max(0, sizes[i]) : 0;
      fractions_[i] = static_cast<int>((total / 2 + size * kWhole) / total);
      used += fractions_[i];
    }
    fractions_[n - 1] = kWhole - used;
  }
  laidOut_ = false;  // new shares: nothing to keep from the previous layout
  Layout(origin, length);
}

int SplitterModel::BarAt(int coordinate) const {
  const int n = PaneCount();
  for (int i = 1; i < n; ++i) {
    if (positions_[i] >= coordinate) return i;
  }
  return n - 1;
}

int SplitterModel::ClampDrag(int bar, int position) const {
  const int upper = positions_[bar + 1] - minimums_[bar] - barWidth_;
  const int lower = positions_[bar - 1] + minimums_[bar - 1] + barWidth_;
  if (position > upper) position = upper;
  if (position < lower) position = lower;
  return position;
}

void SplitterModel::Drop(int bar, int position) {
  positions_[bar] = position;
  const int available = Available();
  if (available <= 0) return;
  fractions_[bar - 1] = ShareOf(positions_[bar] - positions_[bar - 1] - barWidth_, available);
  fractions_[bar] = ShareOf(positions_[bar + 1] - barWidth_ - positions_[bar], available);
}

}  // namespace ui
