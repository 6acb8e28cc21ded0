// Placing a control where a layout wants it without squeezing it below the
// size its toolkit widget needs to draw itself. GTK complains (and draws
// garbage) when a widget gets less than its minimum: a list's scroll bars, an
// edit's frame, a button's padding. Every layout of the toolkit places its
// controls through ApplyControlRect, so a window shrunk to any size leaves
// each control at least at its minimum (the window then cuts it off).
//
//   ui::ApplyControlRect(list, wxRect(8, 40, newWidth, newHeight));  // may be negative
#pragma once

#include <wx/gdicmn.h>
#include <wx/window.h>

namespace ui {

// The smallest size `control` may be given: what its widget needs.
wxSize ControlMinSize(const wxWindow* control);

// `rect` with its width and height raised to at least `minSize` (so never
// negative); the position stays.
wxRect FloorToMinSize(const wxRect& rect, const wxSize& minSize);

// Moves and sizes `control` to `rect` (its parent's client coordinates; the
// size may be negative), floored at ControlMinSize. Does nothing when the
// control already has that rectangle.
void ApplyControlRect(wxWindow* control, const wxRect& rect);

}  // namespace ui
