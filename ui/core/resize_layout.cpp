// Anchor arithmetic of the resizable dialog base.
#include "ui/core/resize_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Truncation toward zero into int32, saturating instead of overflowing (a
// NaN counts as 0), so absurd sizes never reach undefined conversions.
int32_t Trunc(double v) {
  if (std::isnan(v)) return 0;
  constexpr double kMin = std::numeric_limits<int32_t>::min();
  constexpr double kMax = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::trunc(std::clamp(v, kMin, kMax)));
}

int32_t Saturate(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool IsAbsoluteMode(int mode) { return mode == ResizeScale || mode == ResizeRatio; }

// One axis of a control: near/far edge of the stored and current rectangles,
// the client lengths new/previous/initial, and the axis's ratios.
struct AxisInput {
  int mode;   // the mode chosen for this pass
  int modeA;  // both registered modes, to tell absolute axes
  int modeB;
  int32_t sLo, sHi;
  int32_t cLo, cHi;
  int32_t nLen, pLen, iLen;
  double posRatio, sizeRatio;
};

struct AxisOutput {
  int32_t lo, hi;
  bool incremental;
};

AxisOutput ArrangeAxis(const AxisInput& a) {
  const int64_t dP = int64_t{a.nLen} - a.pLen;
  const double dI = static_cast<double>(int64_t{a.nLen} - a.iLen);
  const int64_t w = int64_t{a.sHi} - a.sLo;
  switch (a.mode) {
    case ResizeKeep:
      if (IsAbsoluteMode(a.modeA) || IsAbsoluteMode(a.modeB)) return {a.cLo, a.cHi, false};
      return {a.sLo, a.sHi, true};
    case ResizeStretch:
      return {a.sLo, Saturate(a.sHi + dP), true};
    case ResizeMove:
      return {Saturate(a.sLo + dP), Saturate(a.sHi + dP), true};
    case ResizeCentre: {
      const int32_t lo = Trunc(a.nLen * a.posRatio - static_cast<double>(w) * 0.5);
      return {lo, Saturate(lo + w), true};
    }
    case ResizeScale:
      // A dialog that started with no size has nothing to scale against.
      if (a.iLen == 0) return {a.sLo, a.sHi, false};
      return {Trunc(static_cast<double>(a.sLo) * a.nLen / a.iLen),
              Trunc(static_cast<double>(a.sHi) * a.nLen / a.iLen), false};
    case ResizeRatio:
      return {Saturate(a.sLo + int64_t{Trunc(a.posRatio * dI)}),
              Trunc(static_cast<double>(a.sLo) + static_cast<double>(w) + a.posRatio * dI + a.sizeRatio * dI),
              false};
    default:
      return {a.sLo, a.sHi, true};
  }
}

int ChooseMode(int edges, int nearBit, int farBit, int modeA, int modeB) {
  if ((edges & nearBit) && modeA != 0) return modeA;
  if ((edges & farBit) && modeB != 0) return modeB;
  return 0;
}

double CentreRatio(int32_t lo, int32_t hi, int32_t clientLen) {
  if (clientLen == 0) return 0.0;
  return ((static_cast<double>(lo) + hi) * 0.5) / clientLen;
}

}  // namespace

uint32_t CResizeDlgItem::PackBits(int horzA, int horzB, int vertA, int vertB, uint32_t flags) {
  return (static_cast<uint32_t>(horzA) & 0xF) | ((static_cast<uint32_t>(horzB) & 0xF) << 4) |
         ((static_cast<uint32_t>(vertA) & 0xF) << 8) | ((static_cast<uint32_t>(vertB) & 0xF) << 12) |
         ((flags & kResizeExcludeFromErase) ? (1u << 16) : 0u) |
         ((flags & kResizeRepaintOnMove) ? (1u << 17) : 0u);
}

CResizeDlgItem::Placement CResizeDlgItem::Arrange(int edges, const RECT& n, const RECT& p, const RECT& i,
                                                  const RECT& current) {
  const AxisOutput x =
      ArrangeAxis({ChooseMode(edges, kResizeEdgeLeft, kResizeEdgeRight, HorzModeA(), HorzModeB()),
                   HorzModeA(), HorzModeB(), stored.left, stored.right, current.left, current.right,
                   n.Width(), p.Width(), i.Width(), posRatioX, sizeRatioX});
  const AxisOutput y =
      ArrangeAxis({ChooseMode(edges, kResizeEdgeTop, kResizeEdgeBottom, VertModeA(), VertModeB()),
                   VertModeA(), VertModeB(), stored.top, stored.bottom, current.top, current.bottom,
                   n.Height(), p.Height(), i.Height(), posRatioY, sizeRatioY});
  Placement out;
  out.rect = {x.lo, y.lo, x.hi, y.hi};
  out.vacated = current;
  if (x.incremental) {
    out.vacated.left = stored.left;
    out.vacated.right = stored.right;
  }
  if (y.incremental) {
    out.vacated.top = stored.top;
    out.vacated.bottom = stored.bottom;
  }
  if (out.rect == out.vacated) return out;
  out.move = true;
  if (x.incremental) {
    stored.left = x.lo;
    stored.right = x.hi;
  }
  if (y.incremental) {
    stored.top = y.lo;
    stored.bottom = y.hi;
  }
  return out;
}

CResizeDlgItem MakeResizeItem(const ResizeAnchor& anchor, const RECT& controlRect, const RECT& client) {
  CResizeDlgItem item;
  item.id = anchor.id;
  item.stored = controlRect;
  item.posRatioX = anchor.posRatioX;
  item.sizeRatioX = anchor.sizeRatioX;
  item.posRatioY = anchor.posRatioY;
  item.sizeRatioY = anchor.sizeRatioY;
  item.bits = CResizeDlgItem::PackBits(anchor.horzA, anchor.horzB, anchor.vertA, anchor.vertB, anchor.flags);
  const auto centredOrScaled = [](int mode) { return mode == ResizeCentre || mode == ResizeScale; };
  if (centredOrScaled(item.HorzModeA()) || centredOrScaled(item.HorzModeB())) {
    item.posRatioX = CentreRatio(controlRect.left, controlRect.right, client.Width());
  }
  if (centredOrScaled(item.VertModeA()) || centredOrScaled(item.VertModeB())) {
    item.posRatioY = CentreRatio(controlRect.top, controlRect.bottom, client.Height());
  }
  return item;
}

int EdgeSetForSize(unsigned type, int sizingEdge) {
  if (type == SIZE_MINIMIZED) return -1;
  if (type == SIZE_RESTORED || type == SIZE_MAXIMIZED) return kResizeEdgeRight | kResizeEdgeBottom;
  switch (sizingEdge) {
    case WMSZ_LEFT:
      return kResizeEdgeLeft;
    case WMSZ_RIGHT:
      return kResizeEdgeRight;
    case WMSZ_TOP:
      return kResizeEdgeTop;
    case WMSZ_TOPLEFT:
      return kResizeEdgeLeft | kResizeEdgeTop;
    case WMSZ_TOPRIGHT:
      return kResizeEdgeRight | kResizeEdgeTop;
    case WMSZ_BOTTOM:
      return kResizeEdgeBottom;
    case WMSZ_BOTTOMLEFT:
      return kResizeEdgeLeft | kResizeEdgeBottom;
    case WMSZ_BOTTOMRIGHT:
      return kResizeEdgeRight | kResizeEdgeBottom;
    default:
      return 0;
  }
}

void ResizeLayout::Init(const RECT& client) {
  initial_ = client;
  previous_ = client;
}

void ResizeLayout::AddControl(const ResizeAnchor& anchor, const RECT& controlRect, const RECT& client) {
  const CResizeDlgItem item = MakeResizeItem(anchor, controlRect, client);
  auto same =
      std::find_if(items_.begin(), items_.end(), [&](const CResizeDlgItem& it) { return it.id == item.id; });
  if (same != items_.end()) {
    *same = item;
  } else {
    items_.push_back(item);
  }
}

ResizeLayout::SizeResult ResizeLayout::OnSize(unsigned type, const RECT& newClient,
                                              const RectLookup& current) {
  SizeResult result;
  const int edges = EdgeSetForSize(type, sizingEdge_);
  if (edges < 0) {
    result.minimised = true;
    return result;
  }
  if (!items_.empty() && edges != 0) {
    for (CResizeDlgItem& item : items_) {
      const std::optional<RECT> now = current(item.id);
      if (!now) continue;  // the control is gone: nothing to move
      const CResizeDlgItem::Placement p = item.Arrange(edges, newClient, previous_, initial_, *now);
      if (p.move) result.moves.push_back({item.id, p.rect, p.vacated, item.RepaintOnMove()});
    }
  }
  if (!items_.empty()) {
    previous_ = newClient;
    result.laidOut = true;
  }
  sizingEdge_ = 0;
  return result;
}

void ResizeLayout::OnGetMinMaxInfo(MINMAXINFO& info) const {
  info.minTrackSize = {minTrackSize.cx, minTrackSize.cy};
  if (horzResizable == 0) {
    info.maxSize.x = minTrackSize.cx;
    info.maxTrackSize.x = minTrackSize.cx;
  }
  if (vertResizable == 0) {
    info.maxSize.y = minTrackSize.cy;
    info.maxTrackSize.y = minTrackSize.cy;
  }
}

MINMAXINFO NoTrackLimits() {
  MINMAXINFO info;
  info.maxSize = {-1, -1};
  info.maxPosition = {-1, -1};
  info.maxTrackSize = {-1, -1};
  return info;
}

TrackHints TrackHintsFor(const MINMAXINFO& info) {
  TrackHints hints;
  hints.min.cx = info.minTrackSize.x > 0 ? info.minTrackSize.x : -1;
  hints.min.cy = info.minTrackSize.y > 0 ? info.minTrackSize.y : -1;
  hints.max.cx = info.maxTrackSize.x > 0 ? std::max(info.maxTrackSize.x, hints.min.cx) : -1;
  hints.max.cy = info.maxTrackSize.y > 0 ? std::max(info.maxTrackSize.y, hints.min.cy) : -1;
  return hints;
}

SIZE FitToTrackHints(const SIZE& size, const TrackHints& hints) {
  const auto fit = [](int32_t v, int32_t lo, int32_t hi) {
    if (lo > 0) v = std::max(v, lo);
    if (hi > 0) v = std::min(v, hi);
    return v;
  };
  return {fit(size.cx, hints.min.cx, hints.max.cx), fit(size.cy, hints.min.cy, hints.max.cy)};
}

std::vector<RECT> ResizeLayout::EraseExclusions(bool clipChildren,
                                                const std::function<bool(int id)>& isVisible) const {
  std::vector<RECT> rects;
  if (clipChildren) return rects;
  for (const CResizeDlgItem& item : items_) {
    if (item.ExcludeFromErase() && isVisible(item.id)) rects.push_back(item.stored);
  }
  return rects;
}

int GripHitCode(bool rightToLeft) { return rightToLeft ? HTBOTTOMLEFT : HTBOTTOMRIGHT; }

bool InGripTriangle(int x, int y, int w, int h, bool rightToLeft) {
  if (w <= 0 || h <= 0 || x < 0 || y < 0 || x >= w || y >= h) return false;
  if (rightToLeft) x = w - 1 - x;
  // On or below the diagonal from the lower-left to the upper-right corner.
  return int64_t{x + 1} * h + int64_t{y + 1} * w >= int64_t{w} * h;
}
