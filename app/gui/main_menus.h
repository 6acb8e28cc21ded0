// Menus, accelerators and string lookups of the main window, built from the
// tables in res/.
#pragma once

#include <wx/accel.h>
#include <wx/menu.h>
#include <wx/string.h>

#include "res/main_dialog.h"

namespace mainmenu {

// The menu bar of table `menu` (its top-level pop-ups become the bar's menus).
wxMenuBar* BuildMenuBar(const res::MenuTable& menu);
// The first pop-up of table `menu` as a menu of its own (context and format menus).
wxMenu* BuildPopupMenu(const res::MenuTable& menu);
// Shows `menu` as a pop-up menu of `owner` at `at` (the owner's client
// coordinates; wxDefaultPosition: at the pointer) and returns once it has
// closed. Once the session is ending none opens, and a pick made as an open
// one closes starts nothing. GUI thread.
void ShowPopupMenu(wxWindow& owner, wxMenu& menu, const wxPoint& at = wxDefaultPosition);
// Whether a pop-up menu shown by ShowPopupMenu is still open (its loop still
// runs).
bool PopupMenuOpen();
// Closes every open pop-up menu as Escape would, so that the loops that wait
// for them return. GUI thread.
void ClosePopupMenus();
// The accelerator table 325, plus F1 for help (handled as a key by the Part's
// pre-translation, here as one more entry).
wxAcceleratorTable BuildAccelerators();
// The string-table text of resource `id` as a wxString ("" when missing).
wxString ResourceText(int id);

}  // namespace mainmenu
