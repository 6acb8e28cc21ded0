// The compact toolbar style. GTK is reached through its C functions, looked up
// in the already loaded library, so no GTK development files are needed.
#include "app/gui/compact_toolbar.h"

#include <dlfcn.h>
#include <wx/toolbar.h>

#include <cstring>

namespace {

constexpr const char* kWidgetName = "qcr-compact-toolbar";
constexpr const char* kStyle =
    "#qcr-compact-toolbar { padding: 0px; }\n"
    "#qcr-compact-toolbar button { padding: 2px; min-height: 0px; min-width: 0px; }\n";
constexpr unsigned kApplicationPriority = 600;  // GTK_STYLE_PROVIDER_PRIORITY_APPLICATION

template <class F>
F Lookup(const char* name) {
  return reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
}

bool InstallStyle() {
  using NewProvider = void* (*)();
  using LoadData = int (*)(void*, const char*, long, void**);
  using DefaultScreen = void* (*)();
  using AddForScreen = void (*)(void*, void*, unsigned);
  auto newProvider = Lookup<NewProvider>("gtk_css_provider_new");
  auto load = Lookup<LoadData>("gtk_css_provider_load_from_data");
  auto screen = Lookup<DefaultScreen>("gdk_screen_get_default");
  auto add = Lookup<AddForScreen>("gtk_style_context_add_provider_for_screen");
  if (!newProvider || !load || !screen || !add || screen() == nullptr) return false;
  void* provider = newProvider();
  if (provider == nullptr || !load(provider, kStyle, static_cast<long>(std::strlen(kStyle)), nullptr))
    return false;
  add(screen(), provider, kApplicationPriority);
  return true;
}

}  // namespace

void MakeToolBarCompact(wxToolBar* toolbar) {
#ifdef __WXGTK__
  static const bool installed = InstallStyle();
  using SetName = void (*)(void*, const char*);
  auto setName = Lookup<SetName>("gtk_widget_set_name");
  if (!installed || setName == nullptr || toolbar == nullptr || toolbar->GetHandle() == nullptr) return;
  setName(toolbar->GetHandle(), kWidgetName);
  toolbar->InvalidateBestSize();
#else
  (void)toolbar;
#endif
}
