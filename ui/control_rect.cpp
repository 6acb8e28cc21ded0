// Minimum sizes of controls and the floored placement.
#include "ui/control_rect.h"

#include <wx/stattext.h>

#include <algorithm>

#include "ui/gtk_function.h"

namespace ui {

namespace {

// What the toolkit widget under `control` needs at least; 0 x 0 when that
// cannot be asked.
wxSize WidgetMinSize(const wxWindow* control) {
#ifdef __WXGTK__
  struct Requisition {
    int width;
    int height;
  };
  using PreferredSize = void (*)(void* widget, Requisition* minimum, Requisition* natural);
  using GetSizeRequest = void (*)(void* widget, int* width, int* height);
  using SetSizeRequest = void (*)(void* widget, int width, int height);
  static const auto preferred = GtkFunction<PreferredSize>("gtk_widget_get_preferred_size");
  static const auto getRequest = GtkFunction<GetSizeRequest>("gtk_widget_get_size_request");
  static const auto setRequest = GtkFunction<SetSizeRequest>("gtk_widget_set_size_request");
  void* widget = control->GetHandle();
  if (preferred == nullptr || getRequest == nullptr || setRequest == nullptr || widget == nullptr)
    return {0, 0};
  // wx asks GTK for the size it gave the control, which GTK then reports as
  // the minimum: ask without that request.
  int width = -1;
  int height = -1;
  getRequest(widget, &width, &height);
  if (width != -1 || height != -1) setRequest(widget, -1, -1);
  Requisition minimum{0, 0};
  preferred(widget, &minimum, nullptr);
  if (width != -1 || height != -1) setRequest(widget, width, height);
  return {std::max(0, minimum.width), std::max(0, minimum.height)};
#else
  (void)control;
  return {0, 0};
#endif
}

}  // namespace

wxSize ControlMinSize(const wxWindow* control) {
  // Not the window's own minimum: wx sets that to the size a control was
  // made with, for sizers.
  if (control == nullptr) return {0, 0};
  // A label asks for the whole width of its text, or, once its text wraps,
  // for the height of every wrapped line: for a long path that is more room
  // than the window has. GTK clips a smaller label without complaint, so a
  // label has no floor here (the builder still sizes it for its first text).
  if (dynamic_cast<const wxStaticText*>(control) != nullptr) return {0, 0};
  return WidgetMinSize(control);
}

wxRect FloorToMinSize(const wxRect& rect, const wxSize& minSize) {
  return {rect.x, rect.y, std::max({0, rect.width, minSize.x}), std::max({0, rect.height, minSize.y})};
}

void ApplyControlRect(wxWindow* control, const wxRect& rect) {
  if (control == nullptr) return;
  const wxRect target = FloorToMinSize(rect, ControlMinSize(control));
  if (control->GetRect() != target) control->SetSize(target);
}

}  // namespace ui
