// The arithmetic behind a resizable dialog: how each registered control
// follows a change of the dialog's client size. No windows here; the dialog
// class (ui/resize_dlg.h) feeds in client sizes and control rectangles and
// applies the moves this code returns, all in one batch.
//
// A dialog declares its anchors as a table of ResizeAnchor rows, one per
// control, in registration order:
//
//   static constexpr ResizeAnchor kAnchors[] = {
//     // id     hA  hB  vA  vB  flags  posX   sizeX  posY   sizeY
//     {1001,    1,  1,  1,  1,  0,     -1.0,  -1.0,  -1.0,  -1.0},  // list: grows both ways
//     {IDOK,    2,  2,  2,  2,  0,     -1.0,  -1.0,  -1.0,  -1.0},  // button: keeps to the corner
//   };
//
// Modes per axis (mode A is used when the dragged edges include the near edge,
// mode B when they include the far edge; restore and maximise count as the far
// edges): 0 keep, 1 stretch (far edge follows the growth), 2 move (both edges
// follow), 3 centre (centre at a fixed fraction of the client size), 4 scale
// (edges scale with the client size), 5 ratio (near edge moves by posX of the
// growth since start-up, size grows by sizeX of it). 6..15 keep.
//
// Axes laid out by modes 0 (without 4 or 5 on the axis), 1, 2, 3 and 6..15 are
// incremental: the growth since the last layout is added to the stored
// rectangle, which is kept even when it becomes inverted, so shrinking a dialog
// and growing it back returns every control to exactly its earlier place.
// Axes with mode 4 or 5 are computed from the registration rectangle every
// time.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "ui/core/win_types.h"

// Layout modes (values of the 4-bit mode fields).
enum ResizeMode : int {
  ResizeKeep = 0,
  ResizeStretch = 1,
  ResizeMove = 2,
  ResizeCentre = 3,
  ResizeScale = 4,
  ResizeRatio = 5,
};

// The edge set of one layout pass.
inline constexpr int kResizeEdgeLeft = 1;
inline constexpr int kResizeEdgeTop = 2;
inline constexpr int kResizeEdgeRight = 4;
inline constexpr int kResizeEdgeBottom = 8;

// AddControl flags.
inline constexpr uint32_t kResizeExcludeFromErase = 0x1;  // keep the erase off a visible control
inline constexpr uint32_t kResizeRepaintOnMove = 0x2;     // repaint control and vacated area at once

// One AddControl call, as a row of a dialog's anchor table. Ratios a mode does
// not use are passed as -1.
struct ResizeAnchor {
  int id = 0;
  int horzA = 0;
  int horzB = 0;
  int vertA = 0;
  int vertB = 0;
  uint32_t flags = 0;
  double posRatioX = -1.0;
  double sizeRatioX = -1.0;
  double posRatioY = -1.0;
  double sizeRatioY = -1.0;
};

// One registered control.
class CResizeDlgItem {
 public:
  // Where one layout pass puts the control.
  struct Placement {
    bool move = false;  // false: the control stays as it is
    RECT rect;          // the new rectangle (may be inverted; clamp before applying)
    RECT vacated;       // the rectangle it had, to repaint with kResizeRepaintOnMove
  };

  // Mode and flag fields share one word: bits 0-3 horizontal mode A, 4-7
  // horizontal mode B, 8-11 vertical mode A, 12-15 vertical mode B, 16
  // exclude-from-erase, 17 repaint-on-move.
  static uint32_t PackBits(int horzA, int horzB, int vertA, int vertB, uint32_t flags);

  int HorzModeA() const { return static_cast<int>(bits & 0xF); }
  int HorzModeB() const { return static_cast<int>((bits >> 4) & 0xF); }
  int VertModeA() const { return static_cast<int>((bits >> 8) & 0xF); }
  int VertModeB() const { return static_cast<int>((bits >> 12) & 0xF); }
  bool ExcludeFromErase() const { return (bits >> 16) & 1; }
  bool RepaintOnMove() const { return (bits >> 17) & 1; }

  // Lays the control out for new client rectangle `n`, previous `p` and
  // initial `i` (only their sizes count), given its current rectangle
  // `current` in client coordinates. Writes the result back into `stored` on
  // incremental axes.
  Placement Arrange(int edges, const RECT& n, const RECT& p, const RECT& i, const RECT& current);

  int id = 0;
  uint32_t bits = PackBits(0, 0, 0, 0, kResizeExcludeFromErase);
  RECT stored;  // client coordinates
  double posRatioX = 1.0;
  double sizeRatioX = 1.0;
  double posRatioY = 1.0;
  double sizeRatioY = 1.0;
};

// The item AddControl registers for `anchor`, with the control at
// `controlRect` in a client area of `client`. Modes 3 and 4 replace the
// position ratio with the control's centre as a fraction of the client size
// (0 when the client size is 0).
CResizeDlgItem MakeResizeItem(const ResizeAnchor& anchor, const RECT& controlRect, const RECT& client);

// The edges a size event of `type` lays out: a set of kResizeEdge* bits, 0
// for no layout, or -1 for a minimised window (nothing at all happens).
int EdgeSetForSize(unsigned type, int sizingEdge);

// Minimum and maximum sizes a window may be dragged to.
struct MINMAXINFO {
  POINT reserved;
  POINT maxSize;
  POINT maxPosition;
  POINT minTrackSize;
  POINT maxTrackSize;
};

// Tracking limits with none set: no minimum (0), no maximum (-1).
MINMAXINFO NoTrackLimits();

// The size limits a window is given for tracking limits `info` (window
// sizes): -1 where an axis has none. A minimum of 0 and a maximum of 0 or
// less are none; a maximum below the minimum is raised to it.
struct TrackHints {
  SIZE min{-1, -1};
  SIZE max{-1, -1};
  bool operator==(const TrackHints&) const = default;
};
TrackHints TrackHintsFor(const MINMAXINFO& info);
// `size` brought inside the limits of `hints`.
SIZE FitToTrackHints(const SIZE& size, const TrackHints& hints);

// The window-free state of a resizable dialog and its size handling.
class ResizeLayout {
 public:
  struct Move {
    int id = 0;
    RECT rect;     // unclamped; apply max(0, width) x max(0, height)
    RECT vacated;  // for kResizeRepaintOnMove
    bool repaint = false;
  };
  struct SizeResult {
    bool minimised = false;  // nothing was done; leave the grip alone too
    bool laidOut = false;    // the previous client rectangle moved to the new one
    std::vector<Move> moves;
  };
  // A control's rectangle in client coordinates, or nullopt when the control
  // no longer exists (its item is skipped).
  using RectLookup = std::function<std::optional<RECT>(int id)>;

  // The client rectangle at initialisation becomes the initial and previous one.
  void Init(const RECT& client);
  // Registers a control, or replaces the registration of the same id.
  void AddControl(const ResizeAnchor& anchor, const RECT& controlRect, const RECT& client);
  void OnSizing(int edge) { sizingEdge_ = edge; }
  SizeResult OnSize(unsigned type, const RECT& newClient, const RectLookup& current);
  void OnGetMinMaxInfo(MINMAXINFO& info) const;
  // Stored rectangles of the visible controls flagged exclude-from-erase,
  // which the background erase must leave alone. None with clip-children.
  std::vector<RECT> EraseExclusions(bool clipChildren, const std::function<bool(int id)>& isVisible) const;

  const std::vector<CResizeDlgItem>& Items() const { return items_; }
  const RECT& Previous() const { return previous_; }
  const RECT& Initial() const { return initial_; }
  int SizingEdge() const { return sizingEdge_; }

  SIZE minTrackSize;      // 0 x 0: no limit
  int horzResizable = 1;  // 0: the width is held at the minimum
  int vertResizable = 1;

 private:
  std::vector<CResizeDlgItem> items_;
  RECT previous_;
  RECT initial_;
  int sizingEdge_ = 0;
};

// The size grip's answer to a hit test: a lower-right sizing corner, or the
// lower-left one in a right-to-left window.
inline constexpr int HTBOTTOMLEFT = 16;
inline constexpr int HTBOTTOMRIGHT = 17;
int GripHitCode(bool rightToLeft);
// Whether pixel (x, y) of a triangular grip of w x h pixels lies in its
// triangle (lower-left, lower-right and upper-right corners; lower-left,
// lower-right and upper-left in a right-to-left window).
bool InGripTriangle(int x, int y, int w, int h, bool rightToLeft);
