// Size limits pushed to windows.
#include "ui/resizable_min_max.h"

namespace ui {

void ApplyTrackHints(wxWindow* window, const TrackHints& hints) {
  if (window == nullptr) return;
  window->SetSizeHints(wxSize(hints.min.cx, hints.min.cy), wxSize(hints.max.cx, hints.max.cy));
  const wxSize now = window->GetSize();
  const SIZE fitted = FitToTrackHints({now.x, now.y}, hints);
  if (fitted.cx != now.x || fitted.cy != now.y) window->SetSize(wxSize(fitted.cx, fitted.cy));
}

void PushMinMax(wxWindow* window, const CResizableMinMax& minMax) {
  MINMAXINFO info = NoTrackLimits();
  minMax.ApplyMinMax(info);
  ApplyTrackHints(window, TrackHintsFor(info));
}

}  // namespace ui
