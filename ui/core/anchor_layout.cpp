// Anchor arithmetic and the clipping, refresh, grip, limit and state rules of
// the resizable mix-ins.
#include "ui/core/anchor_layout.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <limits>

namespace {

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// percent of length, truncated toward zero (C++ integer division does).
int64_t Share(int32_t length, int32_t percent) { return int64_t{length} * percent / 100; }

bool OneOf(uint32_t v, std::initializer_list<uint32_t> values) {
  for (uint32_t x : values) {
    if (v == x) return true;
  }
  return false;
}

}  // namespace

AnchorMargins AnchorAt(const RECT& child, const RECT& client, ANCHOR tl, ANCHOR br) {
  if (br == NoAnchor) br = tl;
  const int32_t w = client.Width();
  const int32_t h = client.Height();
  const int64_t left = int64_t{child.left} - client.left;
  const int64_t top = int64_t{child.top} - client.top;
  const int64_t right = int64_t{child.right} - client.left;
  const int64_t bottom = int64_t{child.bottom} - client.top;
  return {tl,
          {Saturate(left - Share(w, tl.x)), Saturate(top - Share(h, tl.y))},
          br,
          {Saturate(right - Share(w, br.x)), Saturate(bottom - Share(h, br.y))}};
}

RECT AnchoredRect(const AnchorMargins& m, const RECT& client) {
  const int32_t w = client.Width();
  const int32_t h = client.Height();
  return {Saturate(Share(w, m.anchorTL.x) + m.marginTL.cx + client.left),
          Saturate(Share(h, m.anchorTL.y) + m.marginTL.cy + client.top),
          Saturate(Share(w, m.anchorBR.x) + m.marginBR.cx + client.left),
          Saturate(Share(h, m.anchorBR.y) + m.marginBR.cy + client.top)};
}

uint32_t MoveFlags(const RECT& from, const RECT& to, bool refresh) {
  uint32_t flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
  if (refresh) flags |= SWP_NOCOPYBITS;
  if (from.left == to.left && from.top == to.top) flags |= SWP_NOMOVE;
  if (from.Width() == to.Width() && from.Height() == to.Height()) flags |= SWP_NOSIZE;
  return flags;
}

std::vector<PlannedMove> PlanLayout(size_t anchored, size_t customs, const RECT& client,
                                    const LayoutPassSource& source) {
  std::vector<PlannedMove> moves;
  const auto plan = [&](bool custom, size_t index) {
    const std::optional<AnchorMargins> margins = source.place(custom, index);
    if (!margins) return;
    const std::optional<RECT> now = source.current(custom, index);
    if (!now) return;
    PlannedMove move{custom, index, AnchoredRect(*margins, client), 0};
    move.flags = MoveFlags(*now, move.rect, source.refresh(custom, index, *now, move.rect));
    if ((move.flags & SWP_NOMOVE) && (move.flags & SWP_NOSIZE)) return;
    moves.push_back(move);
  };
  for (size_t i = 0; i < anchored; ++i) plan(false, i);
  for (size_t i = 0; i < customs; ++i) plan(true, i);
  return moves;
}

bool ClassAllowsClipping(const ChildTraits& child, const std::function<bool()>& hitTransparent) {
  if (child.className == "ToolbarWindow32") return (child.style & TBSTYLE_TRANSPARENT) == 0;
  if (child.className == "Button") {
    const uint32_t type = child.style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) return false;  // only its frame and caption are painted
    if (type == BS_OWNERDRAW) return !(hitTransparent && hitTransparent());
    return true;
  }
  if (child.className == "Static") {
    const uint32_t type = child.style & SS_TYPEMASK;
    if (type == SS_ICON || type == SS_ENHMETAFILE) return (child.style & SS_CENTERIMAGE) == 0;
    if (OneOf(type, {SS_BLACKFRAME, SS_GRAYFRAME, SS_WHITEFRAME, SS_USERITEM, SS_OWNERDRAW}) ||
        type >= SS_ETCHEDFRAME)
      return false;
    return true;
  }
  return true;
}

bool ClassNeedsRefresh(const ChildTraits& child, const RECT& from, const RECT& to,
                       const std::function<std::optional<ScrollRange>()>& hscroll) {
  const int64_t dx = int64_t{to.Width()} - from.Width();
  const int64_t dy = int64_t{to.Height()} - from.Height();
  if (dx == 0 && dy == 0) return false;
  bool refresh = false;
  if (child.className == "Static") {
    const uint32_t type = child.style & SS_TYPEMASK;
    const bool centreImage = (child.style & SS_CENTERIMAGE) != 0;
    if (OneOf(type, {SS_LEFT, SS_CENTER, SS_RIGHT})) {
      // Wrapped or aligned text lands elsewhere when the width changes.
      refresh = dx != 0 || (centreImage && dy != 0);
    } else if (type == SS_LEFTNOWORDWRAP) {
      refresh = (dx != 0 && (child.style & SS_ELLIPSISMASK) != 0) || (centreImage && dy != 0);
    } else if (OneOf(type, {SS_ICON, SS_BLACKFRAME, SS_GRAYFRAME, SS_WHITEFRAME, SS_BITMAP, SS_ENHMETAFILE,
                            SS_ETCHEDFRAME})) {
      refresh = true;
    }
  }
  if (child.className == "ListBox" && dx > 0 && hscroll) {
    // A list scrolled to its right end scrolls back when it widens.
    if (const std::optional<ScrollRange> si = hscroll()) {
      const int64_t limit = si->page >= 1 ? int64_t{si->max} - (int64_t{si->page} - 1) : int64_t{si->max} + 1;
      if (limit > 0 && si->pos + dx > limit) refresh = true;
    }
  }
  return refresh;
}

void GripShowRequests::Show(uint32_t& status, uint32_t mask) {
  if ((status & mask) != 0) return;
  ++count_;
  status |= mask;
}

void GripShowRequests::Hide(uint32_t& status, uint32_t mask) {
  if ((status & mask) == 0) return;
  // A reason whose bit was set before the grip was made visible by hand
  // has no request to withdraw; the count never drops below none.
  if (count_ > 0) --count_;
  status &= ~mask;
}

void CResizableMinMax::SetMinTrack(const SIZE& size) {
  minTrack_ = size;
  minTrackSet_ = true;
}

void CResizableMinMax::SetMaxTrack(const SIZE& size) {
  maxTrack_ = size;
  maxTrackSet_ = true;
}

void CResizableMinMax::ApplyMinMax(MINMAXINFO& info) const {
  if (minTrackSet_) info.minTrackSize = {minTrack_.cx, minTrack_.cy};
  if (maxTrackSet_) info.maxTrackSize = {maxTrack_.cx, maxTrack_.cy};
  if (maxRectSet_) {
    info.maxPosition = maxPos_;
    info.maxSize = {maxSize_.cx, maxSize_.cy};
  }
}

std::string FormatPlacementState(const WindowPlacement& placement,
                                 const std::optional<PlacementRect>& currentRect) {
  const PlacementRect& r = currentRect ? *currentRect : placement.normalPosition;
  const uint32_t show = currentRect ? WindowPlacement::SW_SHOWNORMAL : placement.showCmd;
  const uint32_t flags = currentRect ? 0 : placement.flags;
  return fmt::format("{},{},{},{},{},{}", r.left, r.top, r.right, r.bottom, static_cast<int32_t>(show),
                     static_cast<int32_t>(flags));
}

std::optional<WindowPlacement> ParsePlacementState(const std::string& text) {
  std::vector<int32_t> fields;
  const char* p = text.data();
  const char* const end = p + text.size();
  while (true) {
    int32_t value = 0;
    // from_chars takes an optional minus and digits only: no blanks, no plus.
    const auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc() || fields.size() == 6) return std::nullopt;
    fields.push_back(value);
    p = next;
    if (p == end) break;
    if (*p != ',') return std::nullopt;
    ++p;
  }
  if (fields.size() != 6) return std::nullopt;
  WindowPlacement placement;
  placement.length = kWindowPlacementSize;
  placement.normalPosition = {fields[0], fields[1], fields[2], fields[3]};
  placement.showCmd = static_cast<uint32_t>(fields[4]);
  placement.flags = static_cast<uint32_t>(fields[5]);
  constexpr int64_t kMaxExtent = 32767;
  const PlacementRect& r = placement.normalPosition;
  if (r.Width() <= 0 || r.Height() <= 0 || r.Width() > kMaxExtent || r.Height() > kMaxExtent)
    return std::nullopt;
  return placement;
}

uint32_t RestoredShowCommand(uint32_t showCmd, uint32_t flags) {
  if (showCmd == WindowPlacement::SW_SHOWMAXIMIZED) return showCmd;
  if (IsMinimisedShowCmd(showCmd) && (flags & WindowPlacement::WPF_RESTORETOMAXIMIZED) != 0)
    return WindowPlacement::SW_SHOWMAXIMIZED;
  return WindowPlacement::SW_SHOWNORMAL;
}
