// Size limits pushed to windows.
#include "ui/resizable_min_max.h"

#include <algorithm>

#include "ui/window_placement_store.h"

namespace ui {

void ApplyTrackHints(wxWindow* window, const TrackHints& hints) {
  if (window == nullptr) return;
  // A minimum larger than the screen would push the window's buttons off it.
  TrackHints limits = hints;
  if (const std::optional<PlacementRect> area = WxPlacementWindow::WorkAreaOf(window)) {
    limits.min.cx = static_cast<int32_t>(std::min<std::int64_t>(limits.min.cx, area->Width()));
    limits.min.cy = static_cast<int32_t>(std::min<std::int64_t>(limits.min.cy, area->Height()));
  }
  window->SetSizeHints(wxSize(limits.min.cx, limits.min.cy), wxSize(limits.max.cx, limits.max.cy));
  const wxSize now = window->GetSize();
  const SIZE fitted = FitToTrackHints({now.x, now.y}, limits);
  if (fitted.cx != now.x || fitted.cy != now.y) window->SetSize(wxSize(fitted.cx, fitted.cy));
}

void PushMinMax(wxWindow* window, const CResizableMinMax& minMax) {
  MINMAXINFO info = NoTrackLimits();
  minMax.ApplyMinMax(info);
  ApplyTrackHints(window, TrackHintsFor(info));
}

}  // namespace ui
