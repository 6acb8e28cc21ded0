// Tool tips of the windows a modal dialog blocks are switched off while it
// is open. GTK keeps showing a blocked window's tips (a toolbar button's tip
// would come back over the dialog the button just opened) and hides none
// when a dialog opens; here the tip on screen goes when the dialog opens,
// and the blocked windows' tips return when it closes.
#pragma once

namespace ui {

// Starts doing so for every modal dialog from now on, native ones included.
// Once per process; later calls do nothing. GUI thread.
void HideToolTipsUnderModalDialogs();

}  // namespace ui
