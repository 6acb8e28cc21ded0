// Where the tree property sheet's page frame draws its caption band and its
// message, for the plain (unthemed) look, which is the only one this
// platform has. The offsets follow the newer system look (a band reaching
// two pixels above and three left of the client area, the icon eight pixels
// in); `newLook` false gives the older offsets.
#pragma once

#include "ui/core/win_types.h"

namespace ui {

struct CaptionLayout {
  RECT band;     // filled with the gradient
  POINT icon;    // top-left of the icon, when there is one
  int textLeft;  // where the caption text starts
};

// The caption band for a frame client rectangle `client`.
RECT CaptionArea(const RECT& client, bool captionVisible, int captionHeight, bool newLook = true);
// The area of the centred message under the band.
RECT MessageArea(const RECT& client, bool captionVisible, int captionHeight);
// Icon and text positions in band `band`; `iconSize` 0 x 0: no icon.
CaptionLayout LayoutCaption(const RECT& band, const SIZE& iconSize, bool newLook = true);

}  // namespace ui
