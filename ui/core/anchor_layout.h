// The arithmetic behind the resizable mix-ins (ui/resizable_layout.h and its
// companions): children anchored to percentages of a client area, the rules
// that decide which children the background fill may skip and which must be
// redrawn after a move, the grip's count of show requests, the tracking
// limits, and the text a window's placement is stored as. No windows here.
//
// An anchor is a point of the client area given in percent of its width and
// height. A child keeps the distance of its top-left corner to one anchor and
// of its bottom-right corner to another:
//
//   (0, 0)-(0, 0)      never moves            (0, 0)-(100, 100)  grows both ways
//   (100, 100)-NoAnchor keeps its size and its distances to the right and bottom
//   (50, 0)-NoAnchor   stays centred across   (0, 100)-(100, 100) grows across, sticks to the bottom
//
// What the two resizable bases share (the tracking-limit record and its
// size hints, the grip's place and shape) lives in ui/core/resize_layout.h.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/core/resize_layout.h"
#include "ui/core/window_placement.h"

// A point of the layout client area in percent of its width (x) and height (y).
struct ANCHOR {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const ANCHOR&) const = default;
};

inline constexpr ANCHOR TOP_LEFT{0, 0};
inline constexpr ANCHOR TOP_CENTER{50, 0};
inline constexpr ANCHOR TOP_RIGHT{100, 0};
inline constexpr ANCHOR MIDDLE_LEFT{0, 50};
inline constexpr ANCHOR MIDDLE_CENTER{50, 50};
inline constexpr ANCHOR MIDDLE_RIGHT{100, 50};
inline constexpr ANCHOR BOTTOM_LEFT{0, 100};
inline constexpr ANCHOR BOTTOM_CENTER{50, 100};
inline constexpr ANCHOR BOTTOM_RIGHT{100, 100};
// As a bottom-right anchor: the same as the top-left one (the child keeps its size).
inline constexpr ANCHOR NoAnchor{-1, -1};

// Where a child sits relative to its two anchors.
struct AnchorMargins {
  ANCHOR anchorTL;
  SIZE marginTL;  // child's left and top minus the top-left anchor point
  ANCHOR anchorBR;
  SIZE marginBR;  // child's right and bottom minus the bottom-right anchor point
  bool operator==(const AnchorMargins&) const = default;
};

// The margins of a child at `child` in client area `client` (both in the
// layout window's client coordinates; the margins are relative to the client
// area's origin). NoAnchor as `br` stands for `tl`. Integer arithmetic,
// quotients truncated toward zero.
AnchorMargins AnchorAt(const RECT& child, const RECT& client, ANCHOR tl, ANCHOR br);
// Where the anchored child goes in client area `client` (moved by its origin).
RECT AnchoredRect(const AnchorMargins& m, const RECT& client);

// Flags of one deferred move, with the window system's values.
inline constexpr uint32_t SWP_NOSIZE = 0x0001;
inline constexpr uint32_t SWP_NOMOVE = 0x0002;
inline constexpr uint32_t SWP_NOZORDER = 0x0004;
inline constexpr uint32_t SWP_NOACTIVATE = 0x0010;
inline constexpr uint32_t SWP_NOCOPYBITS = 0x0100;
inline constexpr uint32_t SWP_NOOWNERZORDER = 0x0200;
// The flags moving a child from `from` to `to`: no z-order change, no
// copying of old pixels when it needs a redraw, and no move or no size when
// that part does not change. Both NOMOVE and NOSIZE: nothing to do.
uint32_t MoveFlags(const RECT& from, const RECT& to, bool refresh);

// One layout pass. Entries are numbered per list: the anchored children
// (custom = false) and the custom entries (custom = true).
struct PlannedMove {
  bool custom = false;
  size_t index = 0;
  RECT rect;       // where the child goes (may be inverted: clamp before applying)
  uint32_t flags;  // MoveFlags of the move
};
struct LayoutPassSource {
  // The margins of an entry; nullopt leaves it out (a custom entry its
  // resolver declined).
  std::function<std::optional<AnchorMargins>(bool custom, size_t index)> place;
  // The child's rectangle now; nullopt when it is gone (left out).
  std::function<std::optional<RECT>(bool custom, size_t index)> current;
  // Whether the child must be redrawn after moving from `from` to `to`.
  std::function<bool(bool custom, size_t index, const RECT& from, const RECT& to)> refresh;
};
// The moves of a pass over `anchored` children and then `customs` custom
// entries in client area `client`, in that order; children that stay where
// they are are left out.
std::vector<PlannedMove> PlanLayout(size_t anchored, size_t customs, const RECT& client,
                                    const LayoutPassSource& source);

// The record a child fills in when it answers the properties query of the
// resize-support message, and what the layout keeps per child.
struct ResizeProperties {
  bool askClipping = true;  // ask ChildAllowsClipping at every erase
  bool askRefresh = true;   // ask ChildNeedsRefresh at every move
  bool cachedClipping = false;
  bool cachedRefresh = false;
};
// Queries of the resize-support message (its wParam).
inline constexpr unsigned RSZSUP_QUERYPROPERTIES = 101;
inline constexpr unsigned RSZSUP_LIKESCLIPPING = 102;
inline constexpr unsigned RSZSUP_NEEDSREFRESH = 103;
// The record of query 103: the answer (true on entry) and the move.
struct ResizeRefreshQuery {
  bool needsRefresh = true;
  RECT oldRect;
  RECT newRect;
};

// A child as the clipping and refresh rules see it: the window system's
// class name ("Button", "Static", "ListBox", "ToolbarWindow32", or anything
// else) and its style bits.
struct ChildTraits {
  std::string className;
  uint32_t style = 0;
};
// Style values the rules read.
inline constexpr uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr uint32_t BS_GROUPBOX = 0x7;
inline constexpr uint32_t BS_AUTORADIOBUTTON = 0x9;
inline constexpr uint32_t BS_OWNERDRAW = 0xB;
inline constexpr uint32_t BS_TYPEMASK = 0xF;
inline constexpr uint32_t SS_LEFT = 0x0;
inline constexpr uint32_t SS_CENTER = 0x1;
inline constexpr uint32_t SS_RIGHT = 0x2;
inline constexpr uint32_t SS_ICON = 0x3;
inline constexpr uint32_t SS_BLACKFRAME = 0x7;
inline constexpr uint32_t SS_GRAYFRAME = 0x8;
inline constexpr uint32_t SS_WHITEFRAME = 0x9;
inline constexpr uint32_t SS_USERITEM = 0xA;
inline constexpr uint32_t SS_LEFTNOWORDWRAP = 0xC;
inline constexpr uint32_t SS_OWNERDRAW = 0xD;
inline constexpr uint32_t SS_BITMAP = 0xE;
inline constexpr uint32_t SS_ENHMETAFILE = 0xF;
inline constexpr uint32_t SS_ETCHEDHORZ = 0x10;
inline constexpr uint32_t SS_ETCHEDVERT = 0x11;
inline constexpr uint32_t SS_ETCHEDFRAME = 0x12;
inline constexpr uint32_t SS_TYPEMASK = 0x1F;
inline constexpr uint32_t SS_CENTERIMAGE = 0x200;
inline constexpr uint32_t SS_ENDELLIPSIS = 0x4000;
inline constexpr uint32_t SS_PATHELLIPSIS = 0x8000;
inline constexpr uint32_t SS_WORDELLIPSIS = 0xC000;
inline constexpr uint32_t SS_ELLIPSISMASK = 0xC000;
inline constexpr uint32_t TBSTYLE_TRANSPARENT = 0x8000;

// Whether a child of this class paints its whole rectangle itself, so the
// background fill may leave it out. `hitTransparent` tells, for an
// owner-drawn button only, whether the button lets clicks through at its
// upper-left corner (then it is not opaque either).
bool ClassAllowsClipping(const ChildTraits& child, const std::function<bool()>& hitTransparent);

// A list box's horizontal scroll state.
struct ScrollRange {
  int32_t max = 0;
  uint32_t page = 0;
  int32_t pos = 0;
};
// Whether a child of this class must be redrawn rather than have its old
// pixels kept after moving from `from` to `to`. A list box's scroll state is
// only read when it grows in width; nullopt when it cannot be read.
bool ClassNeedsRefresh(const ChildTraits& child, const RECT& from, const RECT& to,
                       const std::function<std::optional<ScrollRange>()>& hscroll);

// Who asks for the grip to be shown. Each reason has one bit in the caller's
// status word; a reason asks at most once, and the grip shows while any
// request is open.
class GripShowRequests {
 public:
  // Adds a request unless `status` already has `mask`; sets the bit.
  void Show(uint32_t& status, uint32_t mask);
  // Withdraws the request `mask` stands for, if `status` has it; clears the bit.
  void Hide(uint32_t& status, uint32_t mask);
  bool Visible() const { return count_ > 0; }
  // One request (visible) or none.
  void Set(bool visible) { count_ = visible ? 1 : 0; }
  int Count() const { return count_; }

 private:
  int count_ = 0;
};

// The limits a window may be dragged to, set one by one. The maximised
// rectangle has no setter: nothing places maximised windows itself.
class CResizableMinMax {
 public:
  virtual ~CResizableMinMax() = default;
  void SetMinTrack(const SIZE& size);
  void SetMaxTrack(const SIZE& size);
  // Writes the limits that are set into `info` and leaves the rest alone.
  void ApplyMinMax(MINMAXINFO& info) const;

  bool HasMinTrack() const { return minTrackSet_; }
  bool HasMaxTrack() const { return maxTrackSet_; }

 private:
  bool maxTrackSet_ = false;
  bool minTrackSet_ = false;
  bool maxRectSet_ = false;
  SIZE minTrack_;
  SIZE maxTrack_;
  POINT maxPos_;
  SIZE maxSize_;
};

// The profile entry a window's stored placement is written to.
inline constexpr const char* kResizableStateEntry = "WindowPlacement";

// "left,top,right,bottom,show,flags": the placement's normal rectangle, show
// command and flags, or with `currentRect` (rectangle only) that rectangle,
// show command 1 and flags 0.
std::string FormatPlacementState(const WindowPlacement& placement,
                                 const std::optional<PlacementRect>& currentRect = std::nullopt);
// The placement a stored text describes, or nullopt when the text is
// damaged: not exactly six decimal integers in range, separated by commas,
// or a rectangle with no area or wider or higher than 32767 pixels (more
// than any window system places). The show command is read as stored.
std::optional<WindowPlacement> ParsePlacementState(const std::string& text);
// The show command a stored one is restored with: maximised stays maximised
// (also a minimised window that would restore to maximised), everything
// else (minimised, hidden, unknown) comes back normal.
uint32_t RestoredShowCommand(uint32_t showCmd, uint32_t flags);
