// The program's pictures, drawn in code: the images of the main toolbar (nine
// buttons plus the WAV variant of the Format button), of the player toolbar
// and the program icon. Each is drawn on a transparent square with simple,
// flat shapes so it reads well at its size.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace art {

// Image `index` (res::MainToolImage) of the main toolbar, `size` pixels
// square; an unknown index gives a transparent image.
wxBitmap MainToolImage(int index, int size);
// Image `index` (res::PlayerToolImage) of the player toolbar.
wxBitmap PlayerToolImage(int index, int size);
// The program icon (a disc) in the sizes window managers ask for.
wxIconBundle ProgramIcons();

}  // namespace art
