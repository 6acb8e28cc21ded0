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
// The accelerator table 325, plus F1 for help (handled as a key by the Part's
// pre-translation, here as one more entry).
wxAcceleratorTable BuildAccelerators();
// The string-table text of resource `id` as a wxString ("" when missing).
wxString ResourceText(int id);

}  // namespace mainmenu
