// Event types and helpers shared by the message-map rows.
#include "ui/message_map.h"

#include <wx/toplevel.h>

#include "ui/core/win_types.h"

namespace ui {

wxDEFINE_EVENT(wxEVT_UI_DIALOG_DESTROY, wxCommandEvent);

unsigned SizeTypeOf(wxWindow* window) {
  auto* top = dynamic_cast<wxTopLevelWindow*>(window ? wxGetTopLevelParent(window) : nullptr);
  if (top == nullptr) return SIZE_RESTORED;
  if (top->IsIconized()) return SIZE_MINIMIZED;
  if (top->IsMaximized()) return SIZE_MAXIMIZED;
  return SIZE_RESTORED;
}

}  // namespace ui
