// The open modal dialogs, followed through wx's modal dialog hook, which every
// modal dialog passes on its way in and out, native ones included.
#include "ui/modal_registry.h"

#include <wx/dialog.h>
#include <wx/modalhook.h>

#include <algorithm>
#include <atomic>

#include "ui/dialog.h"
#include "ui/gtk_function.h"

namespace ui {

namespace {

// Ends `dialog` as its Cancel or its close box would.
void EndAsCancelled(wxDialog* dialog);

class ModalRegistry : public wxModalDialogHook {
 public:
  ModalRegistry() { Register(); }
  ~ModalRegistry() override { Unregister(); }

  std::vector<wxDialog*> open;
  std::atomic<bool> refuse{false};
  // Ending every open dialog, one after the other.
  bool ending = false;

 protected:
  int Enter(wxDialog* dialog) override {
    if (refuse.load()) return wxID_CANCEL;
    open.push_back(dialog);
    return wxID_NONE;
  }
  void Exit(wxDialog* dialog) override {
    const auto at = std::find(open.rbegin(), open.rend(), dialog);
    if (at != open.rend()) open.erase(std::next(at).base());
    // A dialog's loop can only be told to end while it is the innermost one
    // running: ending an outer loop from inside an inner one is lost on GTK.
    // So each dialog is ended once the one above it has returned, here.
    if (ending && !open.empty()) EndAsCancelled(open.back());
    if (open.empty()) ending = false;
  }
};

// Made with the process (wx's list of hooks is made with wx's library, which
// is loaded first), so that it sees every dialog from the first one on.
ModalRegistry g_registry;

ModalRegistry& Registry() { return g_registry; }

// A GTK dialog running its own loop (gtk_dialog_run) hears the answer its
// close box gives. GTK is reached through its C functions, as loaded by wx.
bool AnswerNativeDialog(wxDialog* dialog) {
#ifdef __WXGTK__
  using TypeGetter = unsigned long (*)();
  using IsA = int (*)(void*, unsigned long);
  using Respond = void (*)(void*, int);
  constexpr int kResponseDeleteEvent = -4;  // GTK_RESPONSE_DELETE_EVENT
  auto dialogType = GtkFunction<TypeGetter>("gtk_dialog_get_type");
  auto isA = GtkFunction<IsA>("g_type_check_instance_is_a");
  auto respond = GtkFunction<Respond>("gtk_dialog_response");
  void* widget = dialog->GetHandle();
  if (!dialogType || !isA || !respond || widget == nullptr || !isA(widget, dialogType())) return false;
  respond(widget, kResponseDeleteEvent);
  return true;
#else
  (void)dialog;
  return false;
#endif
}

void EndAsCancelled(wxDialog* dialog) {
  if (auto* ours = dynamic_cast<CDialog*>(dialog)) {
    ours->EndDialog(IDCANCEL);
  } else if (dialog->IsModal()) {
    dialog->EndModal(wxID_CANCEL);
  } else {
    AnswerNativeDialog(dialog);
  }
}

}  // namespace

std::vector<wxDialog*> OpenModalDialogs() { return Registry().open; }

void RefuseModalDialogs(bool refuse) { Registry().refuse = refuse; }

bool ModalDialogsRefused() { return Registry().refuse.load(); }

void EndOpenModalDialogs() {
  ModalRegistry& registry = Registry();
  if (registry.open.empty()) return;
  registry.ending = true;
  EndAsCancelled(registry.open.back());  // the rest follow as each one returns
}

}  // namespace ui
