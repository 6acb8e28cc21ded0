// Focus marks for the toolkit's drawn controls, and a way to keep drawn
// windows out of the Tab order.
//
// The lists and trees on this platform are drawn by wx itself. Their rows
// look the same whether or not the control has the keyboard focus, and an
// empty list draws nothing at all, so a user tabbing onto one could not see
// where the focus went. ShowFocusRing puts a ring in the selection colour
// around such a control while it (or a window inside it) has the focus.
//
// A plain wxWindow or wxPanel takes the keyboard focus by default, so one
// that only paints (a frame around pages, a picture area, a band behind a
// toolbar) would be a Tab stop that shows nothing; TakeNoFocus keeps it out.
#pragma once

#include <wx/window.h>

namespace ui {

// Rings `control` (a list or tree) in the selection colour while the focus
// is in it. The ring lives on the control's parent, just outside the
// control's rectangle, follows it when it moves or resizes, and goes with it.
void ShowFocusRing(wxWindow* control);

// Keeps `window` out of the keyboard's Tab order (its children keep theirs).
void TakeNoFocus(wxWindow* window);

}  // namespace ui
