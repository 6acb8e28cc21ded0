// The log window and the status bar: rows and colours of the entries from any
// thread, Clear, hiding, the window's placement, its use beside a running
// rip; the Format button and its menu items; the seek slider.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/menu.h>

#include <functional>
#include <thread>

#include "app/gui/log_dlg.h"
#include "app/settings.h"
#include "res/main_dialog.h"
#include "res/ripping_progress_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/rip/rip_test_util.h"
#include "tests/support/disc_image.h"
#include "ui/core/control_ids.h"
#include "ui/core/profile_store.h"

namespace {

// Under a window manager, whose frames the log window must leave room for.
const gui_test::OwnDisplay kDisplay("1366x768x24", gui_test::OwnDisplay::kWindowManager);

// Whether the last row of the log window's list lies whole, top to bottom,
// inside the part of the list that shows rows.
bool LastRowInView() {
  CLogListCtrl* list = LogWindow->List();
  const long last = list->GetItemCount() - 1;
  wxRect row;
  if (last < 0 || !list->GetItemRect(last, row)) return false;
  wxWindow* rows = nullptr;  // the list's tallest child; the other one is its header
  for (wxWindow* child : list->GetChildren())
    if (rows == nullptr || child->GetSize().y > rows->GetSize().y) rows = child;
  if (rows == nullptr) return false;
  const int top = rows->ClientToScreen(wxPoint(0, 0)).y;
  const int rowTop = list->ClientToScreen(row.GetPosition()).y;
  return rowTop >= top && rowTop + row.height <= top + rows->GetClientSize().y;
}

class LogWindowGui : public MainWindowTest {
 protected:
  CQuarnoCDRipperDlg& StartOnDisc() {
    CQuarnoCDRipperDlg& dlg = Start(WriteDiscImage(root_.string(), {{AudioTrack(3)}}, "disc"));
    // Up and idle: the start-up refresh has read the disc (a busy window would not close).
    EXPECT_TRUE(gui_test::PumpUntil([&] {
      return Logged("Initialization finished.") &&
             dlg.StatusTip(1).starts_with("Disc Media State: Recognized") &&
             dlg.Worker()->QueuedActions() == 0 && Busy.load() == 0;
    }));
    return dlg;
  }
  // Presses the rip window's Log: the whole log window comes on the screen
  // with its last row in view and its buttons apart, beside the rip window
  // where the screen has room, at the place of the last press when `again`.
  static void PressLogBeside(CRippingProgressDlg& rip, bool again) {
    const wxRect area = wxDisplay(0u).GetClientArea(), before = LogWindow ? LogWindow->GetRect() : wxRect();
    gui_test::Click(rip.GetDlgItem(res::IDC_RIP_LOG));
    ASSERT_NE(LogWindow, nullptr);
    const bool room = !rip.IsMaximized() && rip.GetRect() != area;
    const auto placed = [&] {
      const wxRect log = LogWindow->GetRect();
      const bool buttonsApart = !LogWindow->GetDlgItem(res::IDC_LOG_OK)
                                     ->GetRect()
                                     .Intersects(LogWindow->GetDlgItem(res::IDC_LOG_CLEAR)->GetRect());
      return area.Contains(log) && LastRowInView() && buttonsApart &&
             !(room && log.Intersects(rip.GetRect()));
    };
    EXPECT_TRUE(gui_test::PumpUntil(placed))
        << gui_test::RectText(LogWindow->GetRect()) << " beside " << gui_test::RectText(rip.GetRect());
    gui_test::PumpFrames();
    EXPECT_TRUE(placed()) << gui_test::RectText(LogWindow->GetRect());
    if (again) {
      EXPECT_EQ(LogWindow->GetRect(), before);
    }
  }
  // Waits until the window manager has put `window` in its place: its
  // rectangle stays the same over a few frames.
  static void WaitUntilStill(const wxWindow& window) {
    wxRect last;
    int still = 0;
    EXPECT_TRUE(gui_test::PumpUntil([&] {
      gui_test::PumpFrames();
      still = window.GetRect() == last ? still + 1 : 0;
      last = window.GetRect();
      return still >= 5;
    }));
  }
  // Waits until the log window lists as many rows as the log holds entries.
  static bool WaitForRows() {
    return gui_test::PumpUntil(
        [] { return static_cast<size_t>(LogWindow->List()->GetItemCount()) == AppEventLog().Size(); });
  }
};

TEST_F(LogWindowGui, ListsEveryEntryFromAnyThreadWithNumberTimeAndColour) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  for (int i = 0; i < 20; ++i) dlg.AddLog("More than the window shows", LogInfo);
  dlg.OnViewLog();
  ASSERT_NE(LogWindow, nullptr);
  EXPECT_TRUE(LogWindow->IsShown());
  EXPECT_EQ(LogWindow->GetTitle(), "Log");
  CLogListCtrl* list = LogWindow->List();
  ASSERT_TRUE(WaitForRows());
  // The last row is in view at the default size and after a resize.
  EXPECT_TRUE(gui_test::PumpUntil(LastRowInView));
  LogWindow->SetSize(LogWindow->GetSize() - wxSize(0, 90));
  EXPECT_TRUE(gui_test::PumpUntil(LastRowInView));
  EXPECT_EQ(list->GetItemText(0, 1), "#000");
  EXPECT_EQ(list->GetItemText(0, 3), "Launching Quarno CD Ripper...");
  EXPECT_EQ(list->GetItemText(1, 1), "#001");
  EXPECT_EQ(list->GetItemText(1, 2).size(), 8u);  // hh:mm:ss

  // Entries that arrive while the window is open become rows, from many threads at once.
  const size_t before = AppEventLog().Size();
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&dlg, t] {
      for (int i = 0; i < 50; ++i)
        dlg.AddLog("thread " + std::to_string(t) + " line " + std::to_string(i), LogError);
    });
  }
  for (std::thread& t : threads) t.join();
  dlg.AddLog("Odd level", 7);
  ASSERT_EQ(AppEventLog().Size(), before + 201);
  ASSERT_TRUE(WaitForRows());
  EXPECT_TRUE(gui_test::PumpUntil(LastRowInView));
  const std::vector<CLogItem> entries = AppEventLog().LogEntries();
  for (size_t i = 1; i < entries.size(); ++i) EXPECT_EQ(entries[i].Number, entries[i - 1].Number + 1);
  EXPECT_EQ(list->GetItemText(list->GetItemCount() - 1, 1), wxString::Format("#%03d", entries.back().Number));

  // Each known level has colours of its own; other levels have none.
  wxColour text[3], back[3];
  ASSERT_TRUE(LogLevelColours(LogInfo, text[0], back[0]));
  ASSERT_TRUE(LogLevelColours(LogError, text[1], back[1]));
  ASSERT_TRUE(LogLevelColours(LogFatal, text[2], back[2]));
  EXPECT_EQ(back[1], wxColour(0xFF, 0xFF, 0x86));
  EXPECT_NE(back[0], back[2]);
  EXPECT_FALSE(LogLevelColours(7, text[0], back[0]));
  EXPECT_FALSE(LogLevelColours(-1, text[0], back[0]));

  // The status bar's first pane follows the newest entry.
  EXPECT_TRUE(gui_test::PumpUntil([&] {
    return dlg.StatusBar()->GetStatusText(0).utf8_string().find("Odd level") != std::string::npos;
  }));
  EXPECT_EQ(dlg.StatusBar()->GetStatusText(0).utf8_string().substr(0, 3), "  #");
  EXPECT_EQ(dlg.StatusTip(0).substr(0, 13), "Last Event: #");
}

TEST_F(LogWindowGui, ClearEmptiesTheListAndNumberingGoesOn) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  dlg.OnViewLog();
  ASSERT_TRUE(WaitForRows());
  const int32_t before = AppEventLog().LogEntryCount();
  gui_test::Click(LogWindow->GetDlgItem(res::IDC_LOG_CLEAR));
  EXPECT_EQ(LogWindow->List()->GetItemCount(), 0);
  EXPECT_EQ(AppEventLog().Size(), 0u);
  EXPECT_EQ(dlg.StatusBar()->GetStatusText(0), "  Ready");
  EXPECT_EQ(dlg.StatusTip(0), "Last Event: Ready");

  dlg.AddLog("After the clear", LogInfo);
  ASSERT_TRUE(gui_test::PumpUntil([] { return LogWindow->List()->GetItemCount() == 1; }));
  EXPECT_EQ(LogWindow->List()->GetItemText(0, 1), wxString::Format("#%03d", before + 1));
}

TEST_F(LogWindowGui, OkEscapeEnterAndCloseBoxOnlyHideIt) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  dlg.OnViewLog();
  CLogDlg* window = LogWindow;
  const std::function<void()> hides[] = {[&] { gui_test::Click(window->GetDlgItem(res::IDC_LOG_OK)); },
                                         [&] { gui_test::PressKey(window, WXK_ESCAPE); },
                                         [&] { gui_test::PressKey(window, WXK_RETURN); },
                                         [&] { window->Close(); }};
  for (const auto& hide : hides) {
    hide();
    EXPECT_FALSE(window->IsShown());
    dlg.OnViewLog();
    EXPECT_EQ(LogWindow, window);  // the same window comes back
    EXPECT_TRUE(window->IsShown());
  }
  EXPECT_EQ(dlg.ProcessExitCode(), -1);
}

TEST_F(LogWindowGui, ExitDestroysTheWindowWhichKeepsItsPlacement) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  dlg.OnViewLog();
  ASSERT_NE(LogWindow, nullptr);
  // The exit destroys the window, which keeps its placement in the profile.
  dlg.Close();
  EXPECT_EQ(LogWindow, nullptr);
  std::string profile;
  for (const auto& entry : fs::directory_iterator(DataFolder())) {
    if (entry.path().extension() == ".profile") {
      std::ifstream in(entry.path());
      profile.assign(std::istreambuf_iterator<char>(in), {});
    }
  }
  EXPECT_NE(profile.find("{DC005E05-56BF-4ED7-BFED-F658CE8B1B16}="), std::string::npos) << profile;
}

// The GTK widget whose input grab takes `window`'s clicks and keys (a modal
// window of its window group); null when none does.
void* InputGrabOver(wxWindow* window) {
  using Group = void* (*)(void*);
  auto group = reinterpret_cast<Group>(dlsym(RTLD_DEFAULT, "gtk_window_get_group"));
  auto grab = reinterpret_cast<Group>(dlsym(RTLD_DEFAULT, "gtk_window_group_get_current_grab"));
  if (group == nullptr || grab == nullptr) {
    ADD_FAILURE() << "GTK functions missing";
    return nullptr;
  }
  return grab(group(window->GetHandle()));
}

// The log window opened from a running rip's progress window, three rips
// over: made by the rip's Log, left open where the rip's window comes, and
// hidden by the rip before. It takes its own input beside the modal window,
// keeps its size from rip to rip, and hiding it leaves the rip as it was.
// Beside the last rip's window maximised through the window manager it
// keeps its size whole on the screen, press after press, and where the user
// drags it then is where it is saved.
TEST_F(LogWindowGui, UsableBesideARunningRipWhichItLeavesAlone) {
  WriteSettings("[MISC]\nTip=0\n[FREEDB]\nLoadAlbumInfo=0\n[OUTPUT]\nDesDir=" + (root_ / "out").string() +
                "/\n");
  CQuarnoCDRipperDlg& main = Start(WriteDiscImage(root_.string(), {{AudioTrackSectors(6000)}}, "disc"));
  ASSERT_TRUE(gui_test::PumpUntil([&] { return main.TrackList()->GetItemCount() == 1 && Busy.load() == 0; }));
  // A placement of an earlier run puts the log window over the screen's middle.
  WindowPlacement saved;
  saved.length = kWindowPlacementSize;
  saved.showCmd = WindowPlacement::SW_SHOWNORMAL;
  saved.normalPosition = {283, 134, 1083, 634};
  ASSERT_TRUE(
      AppProfile().WriteProfileBinary(kPlacementSection, kLogDlgPlacementEntry, EncodePlacement(saved)));
  // Real mouse actions on a window's title bar (the window manager's).
  const auto onTitleBar = [](const wxRect& frame, std::vector<std::string> actions) {
    actions.insert(actions.begin(), {"xdotool", "mousemove", std::to_string(frame.x + 120),
                                     std::to_string(frame.y + 8)});
    RunTool(actions);
  };
  wxSize size;  // the log window's beside the second rip's window, which the test sized
  wxRect dragged;
  for (const int ripNo : {0, 1, 2}) {
    const bool openBefore = ripNo == 1;
    SCOPED_TRACE("rip " + std::to_string(ripNo));
    if (openBefore) {
      // Left where the rip's window comes.
      main.OnViewLog();
      const wxRect over(283, 134, 800, 500);
      LogWindow->SetSize(over);
      EXPECT_TRUE(gui_test::PumpUntil([&] { return LogWindow->GetRect() == over; }));
      WaitUntilStill(*LogWindow);
    }
    gui_test::WhenModalShown(
        [&](wxDialog& d) {
          auto& rip = dynamic_cast<CRippingProgressDlg&>(d);
          WaitUntilStill(rip);  // a user presses its buttons once it is there
          // Paused once the track has begun (its destination line is
          // shown): the start of a track clears a pause.
          ASSERT_TRUE(
              gui_test::PumpUntil([&] { return !rip.GetDlgItem(res::IDC_RIP_STATUS)->GetLabel().empty(); }));
          gui_test::Click(rip.GetDlgItem(res::IDC_RIP_PAUSE));
          ASSERT_TRUE(rip.Job().Running);
          // Each press of Log puts the whole window beside the rip's, at the
          // same place, also when it lay over the rip's window.
          for (int press = 0; press < 2; ++press) PressLogBeside(rip, press == 1);
          if (ripNo == 1) size = LogWindow->GetSize();
          if (ripNo == 2) {
            EXPECT_EQ(LogWindow->GetSize(), size);
          }
          EXPECT_TRUE(LogWindow->IsShown());
          EXPECT_TRUE(LogWindow->IsEnabled());
          // The rip's window holds the grab of its group, which does not
          // reach the log window.
          EXPECT_NE(InputGrabOver(&rip), nullptr);
          EXPECT_EQ(InputGrabOver(LogWindow), nullptr);
          gui_test::Click(LogWindow->GetDlgItem(res::IDC_LOG_CLEAR));
          EXPECT_EQ(LogWindow->List()->GetItemCount(), 0);
          gui_test::PressKey(LogWindow, WXK_ESCAPE);
          EXPECT_FALSE(LogWindow->IsShown());
          EXPECT_TRUE(rip.IsModal());
          EXPECT_TRUE(rip.Job().Running);
          EXPECT_TRUE(rip.Job().Paused);
          EXPECT_TRUE(boxes_.Shown().empty());
          gui_test::Click(rip.GetDlgItem(res::IDC_RIP_PAUSE));
          gui_test::PumpUntil([&] { return rip.GetTitle() == "Finished Copying"; });
          if (ripNo == 2) {
            // Maximised by a double click on its title bar: no side has room.
            onTitleBar(rip.GetRect(), {"click", "--repeat", "2", "--delay", "80", "1"});
            ASSERT_TRUE(gui_test::PumpUntil([&] { return rip.IsMaximized(); }));
            WaitUntilStill(rip);
            for (int press = 0; press < 3; ++press) {
              PressLogBeside(rip, press > 0);
              EXPECT_EQ(LogWindow->GetSize(), size);
            }
            // Dragged elsewhere after the presses: it stays where it is left.
            const wxRect placed = LogWindow->GetRect();
            onTitleBar(placed, {"sleep", "0.1", "mousedown", "1", "sleep", "0.1", "mousemove",
                                std::to_string(placed.x + 130), std::to_string(placed.y), "sleep", "0.1",
                                "mousemove", std::to_string(placed.x + 180), std::to_string(placed.y - 192),
                                "sleep", "0.1", "mouseup", "1"});
            EXPECT_TRUE(gui_test::PumpUntil([&] { return LogWindow->GetRect() != placed; }));
            WaitUntilStill(*LogWindow);
            dragged = LogWindow->GetRect();
            EXPECT_EQ(dragged.GetSize(), size);
          }
          gui_test::Click(rip.GetDlgItem(IDCANCEL));
        },
        [](wxDialog& d) { return dynamic_cast<CRippingProgressDlg*>(&d) != nullptr; });
    Command(res::ID_OPERATION_RIP);
    EXPECT_TRUE(Logged("Finished copying!"));
    AppEventLog().Clear();
  }
  // The exit saves it where it was dragged.
  main.Close();
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(AppProfile().GetProfileBinary(kPlacementSection, kLogDlgPlacementEntry, bytes));
  const std::optional<WindowPlacement> left = DecodePlacement(bytes);
  ASSERT_TRUE(left);
  EXPECT_EQ(left->normalPosition, (PlacementRect{dragged.GetLeft(), dragged.GetTop(), dragged.GetRight() + 1,
                                                 dragged.GetBottom() + 1}));
}

// Where the log window goes beside a modal window: the side with the most
// room, sized down to it; the modal window moves up only when no side has
// room for the minimum.
TEST_F(LogWindowGui, BesideAModalWindowTakesTheRoomiestSideOrMovesItUp) {
  struct Row {
    wxRect modal, area;
    wxSize wanted;
    wxRect placed;
    int modalY;
  };
  const Row rows[] = {
      // Room on the right for the whole window, level with the modal one.
      {{100, 100, 500, 300}, {0, 0, 1600, 1000}, {800, 400}, {604, 100, 800, 400}, 100},
      // More room below than on either side: below, as wide as wanted.
      {{300, 50, 740, 310}, {0, 0, 1366, 768}, {600, 380}, {300, 364, 600, 380}, 50},
      // Too little room anywhere: the modal window goes to the top, the log below it.
      {{313, 134, 740, 500}, {0, 0, 1366, 768}, {830, 430}, {313, 504, 830, 264}, 0},
  };
  for (const Row& row : rows) {
    wxRect modal = row.modal;
    const wxRect placed = PlaceBesideWindow(modal, row.area, row.wanted, {400, 200});
    EXPECT_EQ(placed, row.placed) << gui_test::RectText(placed);
    EXPECT_EQ(modal.y, row.modalY);
    EXPECT_FALSE(placed.Intersects(modal));
  }
}

TEST_F(LogWindowGui, FormatButtonMenuAndSeekSliderFollowTheirState) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  EXPECT_EQ(dlg.FormatButtonImage(), res::kImageFormatMp3);
  dlg.OnFormatWav();
  EXPECT_EQ(OutputFormat, 1);
  EXPECT_EQ(dlg.FormatButtonImage(), res::kImageFormatWav);
  EXPECT_EQ(dlg.StatusTip(2), "Output Audio Format: WAV:  Signed 16 bit PCM 44100 Hz;  Stereo;");
  EXPECT_TRUE(Logged("Set audio format: WAV Signed 16 bit PCM"));

  wxUpdateUIEvent wav(ui::WxId(res::ID_FORMAT_WAV));
  wav.SetEventObject(&dlg);
  dlg.ProcessWindowEvent(wav);
  EXPECT_TRUE(wav.GetChecked());
  wxUpdateUIEvent mp3(ui::WxId(res::ID_FORMAT_MP3));
  mp3.SetEventObject(&dlg);
  dlg.ProcessWindowEvent(mp3);
  EXPECT_FALSE(mp3.GetChecked());

  // The menu command goes the same way as the button's menu.
  wxCommandEvent command(wxEVT_MENU, ui::WxId(res::ID_FORMAT_MP3));
  dlg.ProcessWindowEvent(command);
  EXPECT_EQ(OutputFormat, 2);
  EXPECT_EQ(dlg.FormatButtonImage(), res::kImageFormatMp3);
  EXPECT_EQ(dlg.StatusTip(2), "Output Audio Format: MP3:  CBR 128 kbps; 44100 Hz; Joint Stereo;");

  // The seek slider works only while a track plays.
  dlg.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_FALSE(dlg.SeekSlider()->IsEnabled());
  Trace trace;
  auto player = std::make_unique<RecordingPlayer>(trace);
  player->playing = true;
  dlg.SetPlayer(std::move(player));
  dlg.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(dlg.SeekSlider()->IsEnabled());
  dlg.SetPlayer(nullptr);
}

}  // namespace
