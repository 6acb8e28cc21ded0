// The list of all dialog templates.
#include "res/dialog_templates.h"

#include "res/freedb_choice_dialog.h"
#include "res/main_dialog.h"
#include "res/option_pages.h"
#include "res/ripping_progress_dialog.h"
#include "res/small_dialogs.h"

namespace res {

namespace {

const ui::DialogTemplate* const kAllTemplates[] = {
    &kMainDialog,
    &kLogDialog,
    &kFreeDBChoiceDialog,
    &kRippingProgressDialog,
    &kFreeDBOptionPage,
    &kOutputOptionPage,
    &kEncoderOptionPage,
    &kAboutDialog,
    &kTipDialog,
    &kEditCDDialog,
};

}  // namespace

std::span<const ui::DialogTemplate* const> AllDialogTemplates() { return kAllTemplates; }

const ui::DialogTemplate* FindDialogTemplate(int id) {
  for (const ui::DialogTemplate* tmpl : kAllTemplates) {
    if (tmpl->id == id) return tmpl;
  }
  return nullptr;
}

}  // namespace res
