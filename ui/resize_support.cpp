// The resize-support message's number.
#include "ui/resize_support.h"

namespace ui {

unsigned ResizeSupportMessage() {
  // Registered messages take numbers from 0xC000 up; this one is asked for
  // at start-up, before any window exists.
  static const unsigned number = 0xC000 + 0x0101;
  return number;
}

}  // namespace ui
