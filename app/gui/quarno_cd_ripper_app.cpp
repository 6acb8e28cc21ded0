// The application object.
//
// The program's other process-wide objects (the settings, the drive lists,
// the CDDB client's records, the server list, the event log and its entries)
// are plain values of the modules that own them, made before this object's
// initialisation runs; none of them needs another one to be made first. The
// log window is made with the main window's first View Log command, because a
// window cannot exist before the application object has started the toolkit.
#include "app/gui/quarno_cd_ripper_app.h"

#include <signal.h>
#include <wx/msgdlg.h>

#include <cstdio>
#include <exception>
#include <memory>

#include "app/gui/exit_signals.h"
#include "app/gui/gui_port.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/single_instance.h"
#include "app/settings.h"
#include "platform/folders.h"
#include "ui/modal_tooltips.h"

bool CQuarnoCDRipperApp::OnInit() {
  // No command-line parsing: the program reads no options.
  // Boxes and windows name the product as a person reads it; the lock, the
  // profile and the data folder keep the program file's name.
  SetAppDisplayName(kProductName);
  ui::HideToolTipsUnderModalDialogs();
  return true;
}

int CQuarnoCDRipperApp::OnRun() { return InitInstance(); }

int CQuarnoCDRipperApp::InitInstance() {
  // The lock belongs in the data folder (made here: it holds the settings
  // later anyway); where the folder will not do, the lock finds another
  // place, silently.
  const std::string dataFolder = GetDataFolder();
  CreateFolderPath(dataFolder);
  const std::string appName = GetAppName().utf8_string();
  CSingleInstance instance(appName, dataFolder);
  if (instance.IsAnotherRunning()) {
    AskRunningCopyToRaise(instance.Channel());
    return 0;
  }
  // A CDDB server that drops the connection must not end the program.
  ::signal(SIGPIPE, SIG_IGN);
  InstallExitSignalHandlers();
  // A desktop with a session manager says so at log-out; the window then
  // ends the program as for a signal (the query before it is always agreed to).
  Bind(wxEVT_END_SESSION, [](wxCloseEvent&) { RequestSessionEnd(); });

  auto* dialog = new CQuarnoCDRipperDlg(nullptr);
  SetTopWindow(dialog);
  CInstanceListener listener;
  listener.Start(instance.Channel(), [] {
    if (!MainWindowMarked.load()) return false;
    wxTheApp->CallAfter([] {
      if (MainDialog != nullptr) RaiseWindowAndPopup(MainDialog);
    });
    return true;
  });
  dialog->DoModal();
  const int exitCode = dialog->ProcessExitCode() == 1 ? 1 : 0;
  listener.Stop();
  dialog->Destroy();
  return exitCode;
}

bool CQuarnoCDRipperApp::OnExceptionInMainLoop() {
  // A failure that leaves a handler is reported and the program goes on, as
  // the window system's own handler would do.
  try {
    throw;
  } catch (const std::exception& e) {
    ShowMessageBox(GetTopWindow(), e.what(), "", MB_ICONERROR);
  } catch (...) {
    ShowMessageBox(GetTopWindow(), "An unknown error occurred.", "", MB_ICONERROR);
  }
  return true;
}

void CQuarnoCDRipperApp::OnUnhandledException() {
  try {
    throw;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quarno-cd-ripper: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "quarno-cd-ripper: unknown failure\n");
  }
}
