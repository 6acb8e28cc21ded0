// The main window and the log window on a demo disc, photographed into
// <build>/bin/screenshots/ for a person to look at, with the layout checks
// that a picture alone would leave to the eye: every control inside the
// window and none lying over another.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/statbox.h>

#include <chrono>
#include <thread>

#include "app/gui/log_dlg.h"
#include "res/main_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/disc_image.h"

namespace {

// Saves what the screen shows of `window` (its menu bar included), once the
// window is on the screen and has painted itself.
bool SaveScreenshot(wxWindow* window, const fs::path& path) {
  window->Raise();
  if (!gui_test::PumpUntil([&] { return window->IsShownOnScreen(); })) return false;
  window->Refresh();
  window->Update();
  // Drawing follows the mapping through the X server: give it some rounds.
  for (int i = 0; i < 20; ++i) {
    gui_test::PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const wxRect rect = window->GetScreenRect();
  wxBitmap bitmap(rect.width, rect.height, 24);
  {
    wxMemoryDC memory(bitmap);
    wxScreenDC screen;
    memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
  }
  fs::create_directories(path.parent_path());
  if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr) wxImage::AddHandler(new wxPNGHandler);
  return bitmap.ConvertToImage().SaveFile(wxString::FromUTF8(path.string()), wxBITMAP_TYPE_PNG);
}

// Whether `inner` lies wholly inside `outer`.
bool Inside(const wxRect& inner, const wxRect& outer) { return outer.Contains(inner); }

class ScreenshotGui : public MainWindowTest {};

TEST_F(ScreenshotGui, MainWindowOnTheDemoDisc) {
  const std::string cue =
      WriteDiscImage(root_.string(), {{AudioTrack(185), AudioTrack(243), AudioTrack(201), DataTrack(30)}}, "demo");
  CQuarnoCDRipperDlg& dlg = Start(cue);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.TrackList()->GetItemCount() == 4 && Busy.load() == 0; }));

  wxWindow* surface = dlg.Surface();
  const wxRect client(wxPoint(0, 0), surface->GetClientSize());
  const wxRect toolbar = dlg.MainToolBar()->GetRect();
  const wxRect status = dlg.StatusBar()->GetRect();
  const wxRect list = dlg.TrackList()->GetRect();
  const wxRect drives = dlg.GetDlgItem(res::IDC_DRIVES_GROUP)->GetRect();
  const wxRect player = dlg.GetDlgItem(res::IDC_PLAYER_GROUP)->GetRect();
  const wxRect playerBar = dlg.PlayerToolBar()->GetRect();

  for (wxWindow* child : surface->GetChildren()) {
    if (!child->IsShown()) continue;
    EXPECT_TRUE(Inside(child->GetRect(), client)) << child->GetName() << " leaves the window";
  }
  // Bands from top to bottom: toolbar, the two groups, the list, the status bar.
  EXPECT_LE(toolbar.GetBottom(), drives.GetTop());
  EXPECT_LE(toolbar.GetBottom(), player.GetTop());
  EXPECT_LE(drives.GetBottom(), list.GetTop());
  EXPECT_LE(player.GetBottom(), list.GetTop());
  EXPECT_LE(list.GetBottom(), status.GetTop());
  EXPECT_LE(drives.GetRight(), player.GetLeft());
  // The combo box in its group; the player's controls in theirs, apart from each other.
  EXPECT_TRUE(Inside(dlg.DriveCombo()->GetRect(), drives));
  const wxRect seek = dlg.SeekSlider()->GetRect();
  const wxRect volume = dlg.VolumeSlider()->GetRect();
  const wxRect time = dlg.TimeLabel()->GetRect();
  for (const wxRect& r : {seek, volume, time, playerBar}) {
    EXPECT_TRUE(Inside(r, player)) << r.x << "," << r.y << " " << r.width << "x" << r.height << " not in "
                                   << player.x << "," << player.y << " " << player.width << "x" << player.height;
  }
  EXPECT_FALSE(playerBar.Intersects(seek));
  EXPECT_FALSE(playerBar.Intersects(volume));
  EXPECT_FALSE(playerBar.Intersects(time));
  EXPECT_FALSE(time.Intersects(seek));
  EXPECT_FALSE(volume.Intersects(seek));

  EXPECT_TRUE(SaveScreenshot(&dlg, fs::current_path() / "screenshots" / "main_window.png"));

}

// The screen is read once per test program: later reads of the screen were
// seen to return the first picture again on this toolkit.
TEST_F(ScreenshotGui, LogWindowOverTheMainWindow) {
  const std::string cue = WriteDiscImage(root_.string(), {{AudioTrack(185), DataTrack(30)}}, "demo");
  CQuarnoCDRipperDlg& dlg = Start(cue);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.TrackList()->GetItemCount() == 2 && Busy.load() == 0; }));
  dlg.AddLog("A failure that does not stop the job", LogError);
  dlg.AddLog("A failure that stops the job", LogFatal);
  dlg.OnViewLog();
  ASSERT_NE(LogWindow, nullptr);
  const wxRect client(wxPoint(0, 0), LogWindow->GetClientSize());
  for (wxWindow* child : LogWindow->GetChildren()) {
    if (!child->IsShown()) continue;
    EXPECT_TRUE(Inside(child->GetRect(), client)) << child->GetName() << " leaves the window";
  }
  EXPECT_TRUE(SaveScreenshot(LogWindow, fs::current_path() / "screenshots" / "log_window.png"));
}

}  // namespace
