// Helpers for window tests. The GUI test runner (gui_test_runner.cpp) starts
// wx once per test program, fails the running test on any wx assert and on
// any GTK/GLib critical message, and sends wx log output to stderr so no
// window ever waits for a human.
//
// Input is simulated with constructed events delivered in-process (not with
// the X server's input simulation), so several test programs can share one
// virtual display in parallel. Modal dialogs are ended by an action that runs
// once the dialog is on screen; a watchdog ends any modal dialog still open
// long after that and fails the test instead of hanging it.
#pragma once

#include <sys/types.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/window.h>

#include <functional>
#include <string>

namespace gui_test {

// The result a modal dialog returns when the watchdog had to end it.
inline constexpr int kWatchdogResult = -7777;

// Runs `action` on the first shown modal dialog for which `match` holds (any
// shown modal dialog when `match` is empty), once, from inside its modal
// loop. If no such dialog appears, or the dialog is still open long after the
// action ran, the watchdog ends it with kWatchdogResult and fails the test.
void WhenModalShown(std::function<void(wxDialog&)> action, std::function<bool(wxDialog&)> match = {});

// While it lives, any modal dialog that opens fails the test and is ended
// with kWatchdogResult (for calls expected to return without showing one).
class NoModalExpected {
 public:
  NoModalExpected();
  ~NoModalExpected();
  NoModalExpected(const NoModalExpected&) = delete;
  NoModalExpected& operator=(const NoModalExpected&) = delete;

 private:
  class Guard;
  Guard* guard_;
};

// Processes pending events and GTK work until `done` holds or a generous bound
// passes; returns whether `done` held. Never used to measure time.
bool PumpUntil(const std::function<bool()>& done);
// Processes what is pending now.
void PumpEvents();
// Lets GTK run a few frames of its own (layout and drawing), a few
// milliseconds each.
void PumpFrames();

// A click on a push button, check box (toggles it) or radio button, as the
// control reports it to its dialog.
void Click(wxWindow* control);
// A key press as the keyboard hook of `target` (a dialog, or the control
// that has the focus) sees it first; true when a handler took it, false when
// it passes on to the focused control.
bool PressKey(wxWindow* target, int keyCode, bool ctrl = false, bool shift = false);
// A left mouse press inside `window` at its centre.
void MouseDown(wxWindow* window);

// A picture of the top-level window `window` (its menu bar included) as
// GTK draws it, once it is on the screen and drawn; an empty image when GTK
// cannot draw into memory. The window draws itself into memory, so windows of
// other tests on the same display never get into the picture.
wxImage DrawWindow(wxWindow* window);
// Saves `picture` as <working folder>/screenshots/<name>.png for a person to
// look at.
bool SaveScreenshot(const wxImage& picture, const std::string& name);

// "x,y wxh", for failure messages.
inline std::string RectText(const wxRect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

// The text of the system clipboard, or "" when it holds none.
std::string ReadClipboardText();

// A folder of its own under the temporary folder, removed with all it holds.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// While it lives, an xdg-open placed first on PATH records its argument
// vector instead of opening anything, and exits with $QCR_XDG_EXIT (0 when
// unset).
class RecordingXdgOpen {
 public:
  RecordingXdgOpen();
  ~RecordingXdgOpen();
  // The arguments of the last run, each followed by '|', or "" when it did
  // not run; forgets them. With `wait`, first waits for a run started in the
  // background.
  std::string Opened(bool wait = false);

 private:
  TempDir dir_;
  std::string oldPath_;
};

// Messages GLib and GTK printed at warning level during the running test
// (criticals fail the test by themselves).
const std::string& GtkWarnings();

// A test program whose windows need a display of their own (a window manager,
// or a screen of a given size) declares it once, at namespace scope:
//
//   const gui_test::OwnDisplay kDisplay("1366x768x24", gui_test::OwnDisplay::kWindowManager);
//
// Before wx starts, the runner then starts an X server with that screen on a
// free display number and, when asked, the openbox window manager on it, and
// ends both after the tests. The environment variable QCR_TEST_SCREEN
// replaces the screen ("1024x768x24"). Such a program shares its display with
// no other test, so it runs beside them under `xvfb-run -a ctest -j`.
class OwnDisplay {
 public:
  enum WindowManager { kNoWindowManager, kWindowManager };
  OwnDisplay(const char* screen, WindowManager windowManager);
};

// The openbox window manager on the current display, from construction
// (which waits, within a generous bound, until it has taken the screen)
// until destruction: for a test that needs one on a display without.
class RunningWindowManager {
 public:
  RunningWindowManager();
  ~RunningWindowManager();
  RunningWindowManager(const RunningWindowManager&) = delete;
  RunningWindowManager& operator=(const RunningWindowManager&) = delete;
  bool Running() const { return running_; }

 private:
  pid_t pid_ = -1;
  bool running_ = false;
};

}  // namespace gui_test
