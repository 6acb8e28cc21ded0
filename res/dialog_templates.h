// The program's dialog templates, for lookup by id and for the checks that
// run over all of them (ids unique per dialog, controls inside their dialog,
// ids the toolkit can take). Each template is a table in its own file,
// res/dlg_<name>.cpp, declared here and listed once in dialog_templates.cpp.
#pragma once

#include <span>

#include "ui/core/dialog_table.h"

namespace res {

// Every template, in no particular order.
std::span<const ui::DialogTemplate* const> AllDialogTemplates();
// The template with id `id`, or null.
const ui::DialogTemplate* FindDialogTemplate(int id);

}  // namespace res
