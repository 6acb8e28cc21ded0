// The application object: the program's entry into its own code. It lets
// only one copy run (a second start brings the first copy's window forward
// and ends silently), then runs the main window until its exit sequence ends
// it, and gives the process its exit code: 0 after a normal exit (also one
// asked for by SIGTERM or SIGHUP), 1 when no CD drive was found.
//
// Nothing is read from the command line.
#pragma once

#include <wx/app.h>

class CQuarnoCDRipperApp : public wxApp {
 public:
  bool OnInit() override;
  int OnRun() override;
  bool OnExceptionInMainLoop() override;
  void OnUnhandledException() override;

  // The start: single-instance check, then the main window run modally.
  // Returns the process's exit code.
  int InitInstance();
};

wxDECLARE_APP(CQuarnoCDRipperApp);
