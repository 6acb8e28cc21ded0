// Tracking limits on real windows. CResizableMinMax (ui/core/anchor_layout.h)
// collects a window's minimum and maximum size; the window system would ask
// for them at every drag, but GTK asks nobody, so whoever sets them pushes
// them to the window once they change:
//
//   minMax.SetMinTrack({400, 300});
//   ui::PushMinMax(sheet, minMax);  // size hints now, and the size brought inside
//
// The resizable dialog base gives its own limits the same way (ApplyTrackHints).
// A maximised rectangle has no stand-in on GTK and is not applied.
#pragma once

#include <wx/window.h>

#include "ui/core/anchor_layout.h"

namespace ui {

// Gives `window` the size limits `hints` (window sizes, -1: none) and brings
// its current size inside them.
void ApplyTrackHints(wxWindow* window, const TrackHints& hints);
// The limits `minMax` has set, applied to `window` as above.
void PushMinMax(wxWindow* window, const CResizableMinMax& minMax);

}  // namespace ui
