// Toolbar helpers. GTK is reached through its C functions, looked up in the
// already loaded library, so no GTK development files are needed.
#include "app/gui/compact_toolbar.h"

#include <wx/toolbar.h>
#include <wx/window.h>

#include <cstring>

#include "ui/gtk_function.h"

namespace {

constexpr const char* kWidgetName = "qcr-compact-toolbar";
constexpr const char* kStyle =
    "#qcr-compact-toolbar { padding: 0px; }\n"
    "#qcr-compact-toolbar button { padding: 2px; min-height: 0px; min-width: 0px; }\n";
constexpr unsigned kApplicationPriority = 600;  // GTK_STYLE_PROVIDER_PRIORITY_APPLICATION

bool InstallStyle() {
  using NewProvider = void* (*)();
  using LoadData = int (*)(void*, const char*, long, void**);
  using DefaultScreen = void* (*)();
  using AddForScreen = void (*)(void*, void*, unsigned);
  auto newProvider = ui::GtkFunction<NewProvider>("gtk_css_provider_new");
  auto load = ui::GtkFunction<LoadData>("gtk_css_provider_load_from_data");
  auto screen = ui::GtkFunction<DefaultScreen>("gdk_screen_get_default");
  auto add = ui::GtkFunction<AddForScreen>("gtk_style_context_add_provider_for_screen");
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
  auto setName = ui::GtkFunction<SetName>("gtk_widget_set_name");
  if (!installed || setName == nullptr || toolbar == nullptr || toolbar->GetHandle() == nullptr) return;
  setName(toolbar->GetHandle(), kWidgetName);
  toolbar->InvalidateBestSize();
#else
  (void)toolbar;
#endif
}

namespace {

// The tool's rectangle as GTK allocated it; empty when GTK cannot be asked
// or the tool is not laid out yet.
wxRect GtkToolRect(const wxToolBar* toolbar, int index) {
#ifdef __WXGTK__
  using NthItem = void* (*)(void*, int);
  using Translate = int (*)(void*, void*, int, int, int*, int*);
  using Extent = int (*)(void*);
  auto nthItem = ui::GtkFunction<NthItem>("gtk_toolbar_get_nth_item");
  auto translate = ui::GtkFunction<Translate>("gtk_widget_translate_coordinates");
  auto width = ui::GtkFunction<Extent>("gtk_widget_get_allocated_width");
  auto height = ui::GtkFunction<Extent>("gtk_widget_get_allocated_height");
  if (!nthItem || !translate || !width || !height || toolbar->GTKGetToolbar() == nullptr) return {};
  void* item = nthItem(toolbar->GTKGetToolbar(), index);
  wxRect rect;
  if (item == nullptr || !translate(item, toolbar->GetHandle(), 0, 0, &rect.x, &rect.y)) return {};
  rect.width = width(item);
  rect.height = height(item);
  return rect.width > 1 && rect.height > 1 ? rect : wxRect();
#else
  (void)toolbar;
  (void)index;
  return {};
#endif
}

}  // namespace

wxRect ToolBarToolRect(const wxToolBar* toolbar, int toolId) {
  if (toolbar == nullptr) return {};
  const int index = toolbar->GetToolPos(toolId);
  const int count = static_cast<int>(toolbar->GetToolsCount());
  if (index == wxNOT_FOUND || count <= 0) return {};
  const wxRect measured = GtkToolRect(toolbar, index);
  if (!measured.IsEmpty()) return measured;
  const int width = toolbar->GetBestSize().x / count;
  return {index * width, 0, width, toolbar->GetClientSize().y};
}

void RealizeBeforeShowing(wxWindow* window) {
#ifdef __WXGTK__
  using Realize = void (*)(void*);
  using GetScreen = void* (*)(void*);
  using Intern = void* (*)(const char*, int);
  using Supports = int (*)(void*, void*);
  auto realize = ui::GtkFunction<Realize>("gtk_widget_realize");
  auto screenOf = ui::GtkFunction<GetScreen>("gtk_widget_get_screen");
  auto intern = ui::GtkFunction<Intern>("gdk_atom_intern");
  auto supports = ui::GtkFunction<Supports>("gdk_x11_screen_supports_net_wm_hint");
  if (!realize || !screenOf || !intern || !supports || window == nullptr || window->GetHandle() == nullptr)
    return;
  // wx defers the showing only where a window manager answers the request
  // for the frame's extents; elsewhere the window is left to wx as it is.
  void* screen = screenOf(window->GetHandle());
  if (screen == nullptr || !supports(screen, intern("_NET_REQUEST_FRAME_EXTENTS", 0))) return;
  realize(window->GetHandle());
#else
  (void)window;
#endif
}
