// Opening a web address, a mail address or a file with whatever the desktop
// uses for it (browser, mail program, viewer, file manager), through
// `xdg-open`. Every part of the program that hands something to the desktop
// comes here: the links, the help page, the web and mail commands, the
// folder of a finished rip.
//
// Only an http, https or mailto address, or an existing file or folder, is
// ever handed on, and a file always as an absolute path. The target is passed
// as one element of an argument vector, never through a shell or a command
// line, so blanks and shell characters in it are only ever part of the one
// target.
//
//   if (OpenWithDesktopHandler(address) != DesktopOpenResult::Opened) ...
#pragma once

#include <string>
#include <string_view>

enum class DesktopOpenResult {
  Opened,       // the handler took it (or is still starting it)
  NoHandler,    // no xdg-open, or no application for this kind of target
  NotFound,     // the file does not exist
  Failed,       // xdg-open failed otherwise (bad target, broken set-up)
  NoResources,  // the process could not be started for lack of memory or processes
};

enum class DesktopTargetKind {
  Address,  // http, https or mailto address
  File,     // an existing regular file or folder
  Refused,  // anything else: never handed to another program
};

// Why a target was refused.
enum class DesktopTargetProblem {
  None,
  Empty,
  ControlCharacters,  // line breaks and the like, anywhere in it
  OtherScheme,        // file:, ftp:, javascript:..., or a scheme with nothing after it
  Missing,            // no such file
  NotFileOrFolder,    // a pipe, a device...
};

struct DesktopTarget {
  DesktopTargetKind kind = DesktopTargetKind::Refused;
  std::string argument;  // what the handler gets: the address, or the file's absolute path
  DesktopTargetProblem problem = DesktopTargetProblem::None;
};

// Sorts a target. Schemes are matched without regard to case and need
// something after them besides slashes. A target without a scheme is a file
// name, relative to `currentFolder`, which must name an existing regular
// file or folder.
DesktopTarget ClassifyDesktopTarget(std::string_view target, const std::string& currentFolder);

// Runs `xdg-open target`, found on PATH, for a target ClassifyDesktopTarget
// accepts (a relative file name counts from the working folder). Waits up to a few seconds for it to
// report; a handler still running after that counts as opened (it is reaped
// in the background). A target that starts with '-' (which xdg-open would
// read as an option) or that ClassifyDesktopTarget refuses is not handed on:
// NotFound for a missing file, Failed for anything else.
DesktopOpenResult OpenWithDesktopHandler(const std::string& target);

// The result for xdg-open's exit status (its documented codes: 0 success, 1
// bad command line, 2 file not found, 3 a required tool missing, 4 the
// action failed).
DesktopOpenResult DesktopOpenResultForExit(int exitStatus);
