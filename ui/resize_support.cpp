// The resize-support message's event type.
#include "ui/resize_support.h"

namespace ui {

wxEventType ResizeSupportEventType() {
  // Given out at the first use, once per process, as a registered message is.
  static const wxEventType type = wxNewEventType();
  return type;
}

wxEventTypeTag<ResizeSupportEvent> ResizeSupportEventTag() {
  return wxEventTypeTag<ResizeSupportEvent>(ResizeSupportEventType());
}

}  // namespace ui
