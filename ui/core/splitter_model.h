// The arithmetic of the sheet's splitter: n panes side by side (or stacked)
// along one axis, separated by bars of a fixed width. Each pane owns a share
// of the length left for panes, in units of 1/32768; the shares always sum
// to 32768. Panes can have minimum sizes and can be frozen (a frozen pane
// keeps its pixel size while the splitter's length changes), and a bar can be
// dragged between the minimums of its two panes.
//
//   SplitterModel m(2, {148, 148}, 5);
//   m.SetPaneSizes({123, 400}, 0, 528);   // shares from the current sizes
//   m.SetFrozen({true, false});            // the tree keeps its width
//   m.Layout(0, 628);                      // 100 pixels more: all to pane 1
//   m.PaneStart(1), m.PaneEnd(1)           // where pane 1 goes
//
// No input divides by zero: a splitter shorter than its bars, or all sizes
// zero, keeps the shares and gives every pane 0 pixels.
#pragma once

#include <vector>

namespace ui {

class SplitterModel {
 public:
  static constexpr int kWhole = 32768;

  SplitterModel(int paneCount, std::vector<int> minimums, int barWidth);

  int PaneCount() const { return static_cast<int>(fractions_.size()); }
  int BarWidth() const { return barWidth_; }
  const std::vector<int>& Fractions() const { return fractions_; }
  // Start of each pane along the axis; entry n is the end plus one bar width.
  const std::vector<int>& Positions() const { return positions_; }
  // Pane i spans [PaneStart(i), PaneEnd(i)).
  int PaneStart(int i) const { return positions_[i]; }
  int PaneEnd(int i) const;
  int PaneSize(int i) const { return PaneEnd(i) - PaneStart(i); }

  void SetFrozen(const std::vector<bool>& frozen);
  // Lays the panes out over a splitter that starts at `origin` and is
  // `length` pixels long, keeping frozen panes' sizes and the minimums.
  void Layout(int origin, int length);
  // Shares proportional to `sizes` (one per pane), then the layout.
  void SetPaneSizes(const std::vector<int>& sizes, int origin, int length);

  // The bar a press at `coordinate` grabs (1 ... n - 1): bar i lies just
  // before pane i.
  int BarAt(int coordinate) const;
  // Where bar `bar` may go for a wish of `position`: never so far that one
  // of its two panes gets below its minimum.
  int ClampDrag(int bar, int position) const;
  // Puts bar `bar` at `position` (already clamped) and takes the two panes'
  // shares from their new sizes.
  void Drop(int bar, int position);

 private:
  int Available() const;  // length the panes share now
  void KeepFrozen(int available);
  void ApplyMinimums(int available);
  void Place(int origin, int available);
  int PixelSize(int i, int available) const;

  int barWidth_;
  std::vector<int> fractions_;
  std::vector<int> positions_;
  std::vector<int> minimums_;
  std::vector<bool> frozen_;
  bool laidOut_ = false;
};

}  // namespace ui
