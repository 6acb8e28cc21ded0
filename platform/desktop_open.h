// Opening a web address, a mail address or a file with whatever the desktop
// uses for it (browser, mail program, viewer), through `xdg-open`.
//
// The target is passed as one element of an argument vector, never through a
// shell or a command line, so blanks and shell characters in it are only
// ever part of the one target.
#pragma once

#include <string>

enum class DesktopOpenResult {
  Opened,       // the handler took it (or is still starting it)
  NoHandler,    // no xdg-open, or no application for this kind of target
  NotFound,     // the file does not exist
  Failed,       // xdg-open failed otherwise (bad target, broken set-up)
  NoResources,  // the process could not be started for lack of memory or processes
};

// Runs `xdg-open target`, found on PATH. Waits up to a few seconds for it to
// report; a handler still running after that counts as opened (it is reaped
// in the background). An empty target, or one that starts with '-' (which
// xdg-open would read as an option), is refused as Failed.
DesktopOpenResult OpenWithDesktopHandler(const std::string& target);

// The result for xdg-open's exit status (its documented codes: 0 success, 1
// bad command line, 2 file not found, 3 a required tool missing, 4 the
// action failed).
DesktopOpenResult DesktopOpenResultForExit(int exitStatus);
