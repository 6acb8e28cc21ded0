// The modal dialogs open in this process, whoever made them: the dialogs of
// this toolkit, the toolkit's own message boxes, and the GTK dialogs wx shows
// natively (which run a loop of their own, unseen by wx's list of modal
// windows).
//
// When the session ends, nobody is left to answer a dialog, and every dialog
// still open would keep its caller, and with it the program, from ending. The
// program then refuses every new modal dialog and ends the open ones,
// innermost first, each answered as if cancelled.
#pragma once

#include <vector>

class wxDialog;

namespace ui {

// The dialogs shown modally right now, the innermost last. GUI thread.
std::vector<wxDialog*> OpenModalDialogs();

// While set, a modal dialog about to be shown is not shown: its ShowModal
// answers wxID_CANCEL at once (and DoModal of this toolkit's dialogs -1, as
// for a dialog that could not be made).
void RefuseModalDialogs(bool refuse);
bool ModalDialogsRefused();

// Ends every open modal dialog, innermost first, as its Cancel or its close
// box would: the innermost now, each next one as soon as the one above it
// has returned. GUI thread.
void EndOpenModalDialogs();

}  // namespace ui
