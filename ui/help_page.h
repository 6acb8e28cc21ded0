// The program's help page: "Help.html" in the program's folder, opened with
// the desktop's handler for it (platform/desktop_open.h, like every other
// file, folder and address the program hands to the desktop).
//
//   OpenHelpPage(ProgramHelpPagePath());  // nothing happens when there is none
#pragma once

#include <string>

// Where the program's help page is: Help.html beside the program file.
std::string ProgramHelpPagePath();

// Opens `page` when it is an existing regular file; returns whether the
// desktop's handler took it.
bool OpenHelpPage(const std::string& page);
