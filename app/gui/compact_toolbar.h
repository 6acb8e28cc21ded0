// Tighter toolbar buttons. GTK themes pad toolbar buttons generously; the
// player toolbar has to fit the space its group leaves below the seek slider,
// as it does with the original's flat buttons. The padding is reduced through
// a style sheet for toolbars marked here; other widgets keep the theme's.
#pragma once

class wxToolBar;

// Marks `toolbar` for the compact style (installed once per process). Does
// nothing where the toolkit is not GTK or its style functions are missing.
void MakeToolBarCompact(wxToolBar* toolbar);
