// The end-of-session signals. SIGTERM, SIGINT and SIGHUP (a logout, a
// shutdown, a service manager, Ctrl+C in the terminal that started it) must
// end the program the way its own Exit command does, settings saved. A signal
// handler may do almost nothing safely, so it only raises a flag; the main
// window looks at the flag on a timer and runs its exit sequence on the GUI
// thread. A second signal while the first is still pending ends the process
// at once, so a hung program can still be stopped.
#pragma once

// Installs the handlers for SIGTERM, SIGINT and SIGHUP.
void InstallExitSignalHandlers();
// The desktop's session manager ends the session: taken like a signal.
void RequestSessionEnd();
// Whether an end-of-session signal arrived since the last call; clears it.
bool TakeExitSignal();
