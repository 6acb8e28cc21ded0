// The one builder that turns a dialog template (ui/core/dialog_table.h) into
// controls: every dialog of the program and the custom message box are made
// by it.
//
// Rectangles are given in dialog units and become pixels through the font of
// the window the controls are made on: x * bx / 4 and y * by / 8, where bx is
// the average width of the 52 Latin letters (rounded up to a whole half) and
// by the font height, so layouts keep their proportions whatever the font.
//
// GTK's single-line controls (buttons, check boxes, radio buttons, edits,
// sliders) need more height than the template rectangles give. Such a control
// gets the height it needs, centred on its rectangle, so rows stay aligned,
// but never over the dialog's right or bottom edge when its rectangle lay
// inside. Every control gets at least the size GTK needs to draw it
// (ui/control_rect.h). A
// combo box's template height is that of its open list: the control gets its
// natural height at the rectangle's top. A list the user only picks from
// (ComboDropList) is made as a wxChoice, GTK's drop-down button; an editable
// one (ComboDropDown) as a wxComboBox. Check boxes and radio buttons also
// get the width their box and label need (GTK cannot squeeze them), growing
// to the right.
//
// A dialog may make its own class for some controls (a hyperlink instead of a
// label, say) through a ControlFactory; the factory sees every item first.
#pragma once

#include <wx/gdicmn.h>
#include <wx/window.h>

#include <functional>
#include <vector>

#include "ui/core/dialog_table.h"
#include "ui/core/win_types.h"

namespace ui {

// Makes the control for `item` with toolkit id `wxId` at pixel rectangle
// `rect` on `parent`, or returns null to leave it to the builder.
using ControlFactory =
    std::function<wxWindow*(wxWindow* parent, const DialogItem& item, int wxId, const wxRect& rect)>;

// Dialog base units (bx, by) of a window's font.
SIZE DialogBaseUnits(const wxWindow* window);
// A rectangle in dialog units as pixels for base units `baseUnits`, rounded
// to the nearest pixel.
wxRect MapDialogRect(const SIZE& baseUnits, int x, int y, int cx, int cy);
// The client size in pixels of `tmpl` for a window with base units `baseUnits`.
wxSize DialogClientSize(const SIZE& baseUnits, const DialogTemplate& tmpl);

// Whether the builder gives controls of this kind their natural height or width.
bool HasHeightFloor(const DialogItem& item);
bool HasWidthFloor(const DialogItem& item);
// The pixel rectangle a control with natural size `best` takes for template
// rectangle `templateRect`.
wxRect FlooredRect(const DialogItem& item, const wxRect& templateRect, const wxSize& best);
// The same, kept inside a client area of `client` pixels: a control whose
// template rectangle lies inside is moved back in where its floor pushed it
// over the right or bottom edge.
wxRect FlooredRect(const DialogItem& item, const wxRect& templateRect, const wxSize& best,
                   const wxSize& client);

// Creates the controls of `tmpl` on `parent` in template order (which is
// also the tab order) and returns them in that order.
std::vector<wxWindow*> BuildDialogControls(wxWindow* parent, const DialogTemplate& tmpl,
                                           const ControlFactory& factory = {});

}  // namespace ui
