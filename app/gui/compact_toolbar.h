// Toolbar helpers that need more of GTK than wxWidgets offers.
//
// Tighter toolbar buttons: GTK themes pad toolbar buttons generously; the
// player toolbar has to fit the space its group leaves below the seek slider,
// as it does with the original's flat buttons. The padding is reduced through
// a style sheet for toolbars marked here; other widgets keep the theme's.
//
// A tool's rectangle: wxToolBar on GTK cannot tell where a tool lies (its
// hit test is not implemented there), and a menu that drops from a button
// needs to know.
#pragma once

#include <wx/gdicmn.h>

class wxToolBar;
class wxWindow;

// Marks `toolbar` for the compact style (installed once per process). Does
// nothing where the toolkit is not GTK or its style functions are missing.
void MakeToolBarCompact(wxToolBar* toolbar);

// The rectangle of the tool `toolId` in `toolbar`'s client coordinates, as
// laid out on screen; an empty rectangle when the toolbar has no such tool.
// Where the toolkit cannot be asked, the tools are taken to be alike and
// packed from the left, and the rectangle follows from the tool's index.
wxRect ToolBarToolRect(const wxToolBar* toolbar, int toolId);

// Makes the top-level `window`'s native window before it is first shown, so
// that wx shows it at once instead of deferring the showing until the window
// manager has told the frame's extents (a deferred showing lays the window's
// contents out at a width of two pixels first). Nothing where the toolkit
// is not GTK or no window manager answers that request.
void RealizeBeforeShowing(wxWindow* window);
