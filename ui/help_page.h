// The program's help page: "Help.html" in the program's folder, opened with
// the desktop's default handler for it.
//
//   OpenHelpPage(ProgramHelpPagePath());  // nothing happens when there is none
#pragma once

#include <string>

// Where the program's help page is: Help.html beside the program file.
std::string ProgramHelpPagePath();

// Hands `page` to the desktop's default handler (xdg-open, found on the
// PATH) as a single argument, never through a shell, without waiting for it.
// Returns whether the handler was started; nothing happens (false) when
// `page` is not an existing regular file.
bool OpenHelpPage(const std::string& page);
