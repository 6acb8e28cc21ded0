// Handing files, folders and addresses to the desktop: the program's help
// page ("Help.html" in the program's folder), the folder of a rip's output,
// the product's web pages and its support mail address all open with the
// desktop's default handler for them.
//
//   OpenHelpPage(ProgramHelpPagePath());  // nothing happens when there is none
//   OpenWithDesktop("https://www.example.org/quarno/");
#pragma once

#include <string>

// Where the program's help page is: Help.html beside the program file.
std::string ProgramHelpPagePath();

// Whether OpenWithDesktop would hand `target` on: an http, https or mailto
// address, or an existing file or folder.
bool IsDesktopTarget(const std::string& target);

// Hands `target` to the desktop's default handler (xdg-open, found on the
// PATH) as a single argument, never through a shell, without waiting for it.
// A file or folder goes as an absolute path, so that no name is ever taken
// for an option. Returns whether the handler was started; nothing happens
// (false) for anything IsDesktopTarget refuses.
bool OpenWithDesktop(const std::string& target);

// OpenWithDesktop for a page that must be an existing regular file.
bool OpenHelpPage(const std::string& page);
