// The program's dialog templates, for lookup by id and for the checks that
// run over all of them (ids unique per dialog, controls inside their dialog,
// ids the toolkit can take). Each template is a table in its own file,
// res/dlg_<name>.cpp, declared here and listed once in dialog_templates.cpp.
#pragma once

#include <span>

#include "ui/core/dialog_table.h"
#include "ui/core/resize_layout.h"

namespace res {

// A resizable dialog that exercises every anchor mode the program's dialogs
// use; the toolkit's own tests build it.
inline constexpr int IDD_TEST_RESIZE = 9100;
inline constexpr int IDC_TEST_LIST = 1001;    // grows with the dialog
inline constexpr int IDC_TEST_EDIT = 1002;    // grows in width, follows the bottom
inline constexpr int IDC_TEST_TITLE = 1003;   // stays centred
inline constexpr int IDC_TEST_OPTION = 1004;  // stays where it is
extern const ui::DialogTemplate kTestResizeDialog;
extern const std::span<const ResizeAnchor> kTestResizeAnchors;

// Every template, in no particular order.
std::span<const ui::DialogTemplate* const> AllDialogTemplates();
// The template with id `id`, or null.
const ui::DialogTemplate* FindDialogTemplate(int id);

}  // namespace res
