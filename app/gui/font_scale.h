// Column widths and similar pixel sizes are given for the 8-point dialog font
// the windows were laid out with, whose average character is 6 pixels wide.
// This desktop's font is usually larger; sizes grow in the same proportion as
// the dialog units, so the texts they were made for still fit.
#pragma once

#include "ui/core/win_types.h"

inline constexpr int kLayoutFontCharWidth = 6;

// `pixels` for a window whose dialog base units are `baseUnits`.
inline int ScaleForFont(const SIZE& baseUnits, int pixels) {
  if (baseUnits.cx <= kLayoutFontCharWidth) return pixels;
  return (pixels * baseUnits.cx + kLayoutFontCharWidth / 2) / kLayoutFontCharWidth;
}
