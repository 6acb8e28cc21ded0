// Switching the blocked windows' tool tips off while a modal dialog runs.
#include "ui/modal_tooltips.h"

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/toplevel.h>

#include <vector>

#include "ui/gtk_function.h"
#include "ui/modal_registry.h"

namespace ui {

namespace {

// GTK and GLib, as loaded with the toolkit, reached through their C functions.
struct GtkCalls {
  using Callback = void (*)(void* widget, void* data);
  void (*forall)(void*, Callback, void*) = GtkFunction<decltype(forall)>("gtk_container_forall");
  unsigned long (*containerType)() = GtkFunction<decltype(containerType)>("gtk_container_get_type");
  int (*isA)(void*, unsigned long) = GtkFunction<decltype(isA)>("g_type_check_instance_is_a");
  int (*hasTip)(void*) = GtkFunction<decltype(hasTip)>("gtk_widget_get_has_tooltip");
  void (*setHasTip)(void*, int) = GtkFunction<decltype(setHasTip)>("gtk_widget_set_has_tooltip");
  void* (*ref)(void*) = GtkFunction<decltype(ref)>("g_object_ref");
  void (*unref)(void*) = GtkFunction<decltype(unref)>("g_object_unref");
  void* (*defaultDisplay)() = GtkFunction<decltype(defaultDisplay)>("gdk_display_get_default");
  void (*requery)(void*) = GtkFunction<decltype(requery)>("gtk_tooltip_trigger_tooltip_query");

  bool Usable() const {
    return forall && containerType && isA && hasTip && setHasTip && ref && unref && defaultDisplay && requery;
  }
};

const GtkCalls& Calls() {
  static const GtkCalls calls;
  return calls;
}

class ModalToolTips : public wxModalDialogHook {
 public:
  ModalToolTips() { Register(); }
  ~ModalToolTips() override { Unregister(); }

 protected:
  int Enter(wxDialog* dialog) override {
    // A refused dialog never comes back through Exit.
    if (ModalDialogsRefused() || !Calls().Usable()) return wxID_NONE;
    std::vector<void*> switchedOff;
    for (wxWindow* window : wxTopLevelWindows) {
      if (window != dialog && window->GetHandle() != nullptr) SwitchOff(window->GetHandle(), switchedOff);
    }
    levels_.push_back({dialog, std::move(switchedOff)});
    // The tip on screen belongs to a widget that has none now: it goes.
    if (void* display = Calls().defaultDisplay()) Calls().requery(display);
    return wxID_NONE;
  }

  void Exit(wxDialog* dialog) override {
    if (levels_.empty() || levels_.back().dialog != dialog) return;
    for (void* widget : levels_.back().switchedOff) {
      Calls().setHasTip(widget, 1);
      Calls().unref(widget);
    }
    levels_.pop_back();
  }

 private:
  struct Level {
    wxDialog* dialog;
    std::vector<void*> switchedOff;  // each held by a reference until it is switched on again
  };

  static void SwitchOff(void* widget, std::vector<void*>& switchedOff) {
    const GtkCalls& gtk = Calls();
    if (gtk.hasTip(widget)) {
      gtk.setHasTip(widget, 0);
      switchedOff.push_back(gtk.ref(widget));
    }
    if (gtk.isA(widget, gtk.containerType())) {
      gtk.forall(
          widget, [](void* child, void* data) { SwitchOff(child, *static_cast<std::vector<void*>*>(data)); },
          &switchedOff);
    }
  }

  std::vector<Level> levels_;
};

}  // namespace

void HideToolTipsUnderModalDialogs() { static ModalToolTips hook; }

}  // namespace ui
