// Caption band and message areas of the page frame.
#include "ui/core/page_frame_geometry.h"

namespace ui {

RECT CaptionArea(const RECT& client, bool captionVisible, int captionHeight, bool newLook) {
  RECT r = client;
  r.bottom = captionVisible ? r.top + captionHeight : r.top;
  r.bottom += 1;
  r.left -= newLook ? 3 : 1;
  r.top -= newLook ? 2 : 1;
  return r;
}

RECT MessageArea(const RECT& client, bool captionVisible, int captionHeight) {
  RECT r = client;
  if (captionVisible) r.top += captionHeight + 1;
  return r;
}

CaptionLayout LayoutCaption(const RECT& band, const SIZE& iconSize, bool newLook) {
  CaptionLayout layout{band, {}, band.left};
  const int indent = newLook ? 8 : 3;
  if (iconSize.cx > 0 && iconSize.cy > 0) {
    // Both halves rounded towards zero, as the band's centre line is.
    layout.icon = {indent, (band.top + band.bottom) / 2 - iconSize.cy / 2};
    layout.textLeft += iconSize.cx + indent;
  }
  layout.textLeft += newLook ? 5 : 2;
  return layout;
}

}  // namespace ui
