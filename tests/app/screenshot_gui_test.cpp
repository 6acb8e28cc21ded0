// The main window and the log window on a demo disc, photographed into
// <build>/bin/screenshots/ for a person to look at, with the layout checks
// that a picture alone would leave to the eye: every control inside the
// window and none lying over another.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/statbox.h>

#include "app/gui/freedb_choice.h"
#include "app/gui/log_dlg.h"
#include "res/main_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/player_test_util.h"
#include "tests/support/disc_image.h"

namespace {

// Saves the screen's rectangle `area` as the X server shows it, as
// screenshots/<name>.png: windows of their own, such as an open menu, are in
// the picture too (and so may be a window of another test lying over the
// area). A window alone is drawn with gui_test::DrawWindow instead.
bool SaveScreenArea(const wxRect& area, const std::string& name) {
  using RootWindow = void* (*)();
  using FromWindow = void* (*)(void* window, int x, int y, int width, int height);
  using Pixels = unsigned char* (*)(void* pixbuf);
  using Number = int (*)(void* pixbuf);
  using Unref = void (*)(void*);
  auto root = reinterpret_cast<RootWindow>(dlsym(RTLD_DEFAULT, "gdk_get_default_root_window"));
  auto grab = reinterpret_cast<FromWindow>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_from_window"));
  auto pixels = reinterpret_cast<Pixels>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_pixels"));
  auto rowstride = reinterpret_cast<Number>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_rowstride"));
  auto channels = reinterpret_cast<Number>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_n_channels"));
  auto unref = reinterpret_cast<Unref>(dlsym(RTLD_DEFAULT, "g_object_unref"));
  if (!root || !grab || !pixels || !rowstride || !channels || !unref) return false;
  void* pixbuf = grab(root(), area.x, area.y, area.width, area.height);
  if (pixbuf == nullptr) return false;
  wxImage image(area.width, area.height);
  const unsigned char* data = pixels(pixbuf);
  for (int y = 0; y < area.height; ++y) {
    for (int x = 0; x < area.width; ++x) {
      const unsigned char* p = data + y * rowstride(pixbuf) + x * channels(pixbuf);  // R, G, B[, A]
      image.SetRGB(x, y, p[0], p[1], p[2]);
    }
  }
  unref(pixbuf);
  return gui_test::SaveScreenshot(image, name);
}

// Whether `inner` lies wholly inside `outer`.
bool Inside(const wxRect& inner, const wxRect& outer) { return outer.Contains(inner); }

class ScreenshotGui : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // The picture is taken at the size a desktop gives the window; a tiny
    // virtual screen would cut it.
    const wxRect screen = wxDisplay(0u).GetClientArea();
    if (screen.width < kMinScreenWidth || screen.height < kMinScreenHeight) {
      GTEST_SKIP() << "screen " << screen.width << "x" << screen.height
                   << " is too small; run under xvfb-run -s "
                   << "\"-screen 0 1280x1024x24\"";
    }
  }
  static constexpr int kMinScreenWidth = 1024;
  static constexpr int kMinScreenHeight = 768;
};

TEST_F(ScreenshotGui, MainWindowOnTheDemoDisc) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc({{AudioTrack(185), AudioTrack(243), AudioTrack(201), DataTrack(30)}});

  wxWindow* surface = dlg.Surface();
  const wxRect client(wxPoint(0, 0), surface->GetClientSize());
  const wxRect toolbar = dlg.ToolBarBand()->GetRect();
  EXPECT_TRUE(Inside(dlg.MainToolBar()->GetRect(), wxRect(toolbar.GetSize())));
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
                                   << player.x << "," << player.y << " " << player.width << "x"
                                   << player.height;
  }
  EXPECT_FALSE(playerBar.Intersects(seek));
  EXPECT_FALSE(playerBar.Intersects(volume));
  EXPECT_FALSE(playerBar.Intersects(time));
  EXPECT_FALSE(time.Intersects(seek));
  EXPECT_FALSE(volume.Intersects(seek));

  EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&dlg), "main_window"));
}

TEST_F(ScreenshotGui, MainWindowWhilePlaying) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc({{AudioTrack(185), AudioTrack(243), DataTrack(30)}});
  // An output at a sound card's pace, so the picture shows a playback under way.
  SoundAvailable = 1;
  auto output = std::make_unique<CapturingOutput>();
  output->Pace(true);
  dlg.SetPlayer(dlg.MakeEnginePlayer(std::move(output)));
  dlg.OnPlay();
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.TimeLabel()->GetLabel() == "00:02"; }));
  EXPECT_EQ(dlg.TrackList()->GetItemText(0, kTrackColumnStatus), "Playing");
  // The label's text fits it.
  EXPECT_LE(dlg.TimeLabel()->GetBestSize().x, dlg.TimeLabel()->GetSize().x);
  EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&dlg), "main_window_playing"));
  dlg.StopPlayback();
}

TEST_F(ScreenshotGui, LogWindowOverTheMainWindow) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc({{AudioTrack(185), DataTrack(30)}});
  dlg.AddLog("A failure that does not stop the job", LogError);
  dlg.AddLog("A failure that stops the job", LogFatal);
  dlg.OnViewLog();
  ASSERT_NE(LogWindow, nullptr);
  const wxRect client(wxPoint(0, 0), LogWindow->GetClientSize());
  for (wxWindow* child : LogWindow->GetChildren()) {
    if (!child->IsShown()) continue;
    EXPECT_TRUE(Inside(child->GetRect(), client)) << child->GetName() << " leaves the window";
  }
  EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(LogWindow), "log_window"));
}

TEST_F(ScreenshotGui, MainWindowWithTheDemoAlbumFromTheServer) {
  DemoServer demo(root_);
  ASSERT_FALSE(demo.cue.empty());
  WriteSettings("[FREEDB]\nLoadAlbumInfo=1\n");  // an earlier window of this run may have left it off
  CQuarnoCDRipperDlg& dlg = Start(demo.cue);
  ASSERT_TRUE(gui_test::PumpUntil([&] {
    return Busy.load() == 0 && dlg.TrackList()->GetItemCount() == 5 &&
           dlg.TrackList()->GetItemText(0, 1).utf8_string() == "Morning Tray";
  }));
  EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&dlg), "main_window_album"));
}

TEST_F(ScreenshotGui, MatchChooserWithSeveralMatches) {
  DemoServer demo(root_, 2);
  ASSERT_FALSE(demo.cue.empty());
  gui_test::WhenModalShown(
      [](wxDialog& shown) {
        auto& chooser = dynamic_cast<CFreeDBChoice&>(shown);
        EXPECT_EQ(chooser.MatchList()->GetItemCount(), 3);
        chooser.MatchList()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
        const wxRect client(wxPoint(0, 0), chooser.GetClientSize());
        for (wxWindow* child : chooser.GetChildren()) {
          if (child->IsShown()) {
            EXPECT_TRUE(Inside(child->GetRect(), client)) << child->GetName();
          }
        }
        EXPECT_LE(chooser.MatchList()->GetRect().GetBottom(), chooser.TrackList()->GetRect().GetTop());
        EXPECT_LE(chooser.TrackList()->GetRect().GetBottom(), chooser.GetDlgItem(IDOK)->GetRect().GetTop());
        EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&chooser), "match_chooser"));
        gui_test::Click(chooser.GetDlgItem(IDOK));
      },
      [](wxDialog& shown) { return dynamic_cast<CFreeDBChoice*>(&shown) != nullptr; });
  WriteSettings("[FREEDB]\nLoadAlbumInfo=1\n");  // an earlier window of this run may have left it off
  CQuarnoCDRipperDlg& dlg = Start(demo.cue);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return Busy.load() == 0 && dlg.TrackList()->GetItemCount() == 5; }));
}

// Opens `menu` of the menu bar under its title, as a click on the title
// would; GTK is reached through its C functions.
void OpenMenuBarMenu(wxMenu* menu) {
  using PopupAtWidget = void (*)(void* menu, void* widget, int widgetAnchor, int menuAnchor, void* event);
  auto popup = reinterpret_cast<PopupAtWidget>(dlsym(RTLD_DEFAULT, "gtk_menu_popup_at_widget"));
  ASSERT_NE(popup, nullptr);
  constexpr int kNorthWest = 1;
  constexpr int kSouthWest = 7;
  popup(menu->m_menu, menu->m_owner, kSouthWest, kNorthWest, nullptr);
}

// Every menu of the main window open, one picture each: the five menus of
// the menu bar, the track list's menu and the format menu (as it starts,
// then with WAV chosen).
TEST_F(ScreenshotGui, EveryMenuOpen) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc({{AudioTrack(185), AudioTrack(243), DataTrack(30)}});
  dlg.SetSize(20, 20, 900, 500);
  dlg.Raise();
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.IsShownOnScreen(); }));
  gui_test::PumpFrames();

  // Opens a menu with `open`, waits until it is placed, photographs the
  // window's upper part with the menu, and closes it.
  auto shoot = [&](const std::string& name, const std::function<void()>& open) {
    SCOPED_TRACE(name);
    PopupMenuWatch watch(&dlg);
    bool saved = false;
    watch.whileOpen = [&](const wxRect& menu) {
      EXPECT_GT(menu.width, 40);
      wxRect area = dlg.GetScreenRect().Union(menu);
      area.height = std::min(area.height, menu.GetBottom() + 20 - area.y);
      saved = SaveScreenArea(area, name);
    };
    open();
    ASSERT_TRUE(gui_test::PumpUntil([&] { return watch.Origin().has_value(); })) << "no menu opened";
    EXPECT_TRUE(saved);
    gui_test::PumpFrames();
  };
  const char* const names[] = {"menu_file", "menu_edit", "menu_play", "menu_operation", "menu_help"};
  ASSERT_EQ(dlg.GetMenuBar()->GetMenuCount(), std::size(names));
  for (size_t i = 0; i < std::size(names); ++i) {
    shoot(names[i], [&] { OpenMenuBarMenu(dlg.GetMenuBar()->GetMenu(i)); });
  }
  shoot("menu_track_list", [&] {
    dlg.TrackList()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    wxListEvent click(wxEVT_LIST_ITEM_RIGHT_CLICK, dlg.TrackList()->GetId());
    click.m_itemIndex = 1;
    click.SetEventObject(dlg.TrackList());
    dlg.TrackList()->ProcessWindowEvent(click);
  });
  shoot("format_menu", [&] { dlg.OnFormatButton(); });
  dlg.OnFormatWav();  // the check mark on WAV, and the button's picture
  shoot("menu_format", [&] { dlg.OnFormatButton(); });
}

}  // namespace
