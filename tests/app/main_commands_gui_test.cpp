// The main window's commands on a disc image: every item of its menus and
// every accelerator reaches its handler (the player and the windows of other
// parts replaced by recorders, the desktop's handler by a stand-in xdg-open
// that records its arguments), the player's notifications as the window
// shows them, the sliders, and the once-per-run tip of the day.
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <map>
#include <set>
#include <thread>

#include "app/gui/log_dlg.h"
#include "app/gui/main_menus.h"
#include "app/settings.h"
#include "res/main_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/disc_image.h"

namespace {

class MainCommandsGui : public MainWindowTest {
 public:
  using MainWindowTest::Command;
  void SetUp() override {
    MainWindowTest::SetUp();
    TipPending = 0;  // no tip timer in the way, unless a test asks for it
    desktop_.emplace(root_);
  }

  // Two audio tracks and a data track; the window with a recording player
  // and recorders in place of the other parts' windows.
  CQuarnoCDRipperDlg& StartRecording(const std::string& settings = "[MISC]\nTip=0\n") {
    WriteSettings(settings + "[FREEDB]\nLoadAlbumInfo=0\n");
    CQuarnoCDRipperDlg& dlg =
        Start(WriteDiscImage(root_.string(), {{AudioTrack(5), AudioTrack(7), DataTrack(3)}}));
    SoundAvailable = 1;  // whatever the test machine's sound device said
    auto player = std::make_unique<RecordingPlayer>(trace_);
    player_ = player.get();
    dlg.SetPlayer(std::move(player));
    auto record = [this](const char* name) { return [this, name] { trace_.push_back(name); }; };
    dlg.SetCommandWindows({record("about"), record("tip"), record("editor"), record("options")});
    EXPECT_TRUE(Settled());
    trace_.clear();
    return dlg;
  }
  // Waits for the refreshes a command started (also those of the media
  // change a tray command causes) to end with `rows` rows listed.
  bool Settled(int rows = 3) {
    if (!dialog_->Worker()->WaitUntilIdle(std::chrono::seconds(20))) return false;
    gui_test::PumpEvents();  // what the refresh queued for the window
    return gui_test::PumpUntil([&] {
      return dialog_->TrackList()->GetItemCount() == rows && Busy.load() == 0 &&
             dialog_->Worker()->QueuedActions() == 0;
    });
  }
  void Select(int row) {
    for (int i = 0; i < dialog_->TrackList()->GetItemCount(); ++i)
      dialog_->TrackList()->SetItemState(i, i == row ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
  }
  void MoveSlider(wxSlider* slider, int value) {
    slider->SetValue(value);
    wxCommandEvent moved(wxEVT_SLIDER, slider->GetId());
    slider->ProcessWindowEvent(moved);
  }
  // What a command did: the recorders' trace, then the other effects seen.
  std::string Effect(const std::function<void()>& fire, bool waitForOpen = false) {
    auto checks = [this] {
      std::string text;
      for (int row = 0; row < dialog_->TrackModel().Count(); ++row)
        text += dialog_->TrackModel().IsChecked(row) ? "x" : "-";
      return text;
    };
    trace_.clear();
    desktop_->Forget();
    const size_t boxes = boxes_.Shown().size();
    const std::string checked = checks();
    const int format = OutputFormat;
    const bool logShown = LogWindow != nullptr && LogWindow->IsShown();
    fire();
    if (waitForOpen) {
      EXPECT_TRUE(desktop_->WaitFor(1));
      trace_.push_back("opened " + desktop_->Lines().at(0));
    }
    if (!logShown && LogWindow != nullptr && LogWindow->IsShown()) trace_.push_back("log window");
    if (checks() != checked) trace_.push_back("checks " + checks());
    if (OutputFormat != format) trace_.push_back("format " + std::to_string(OutputFormat));
    for (size_t i = boxes; i < boxes_.Shown().size(); ++i) trace_.push_back("box " + boxes_.Shown()[i].first);
    if (dialog_->ProcessExitCode() >= 0)
      trace_.push_back("exit " + std::to_string(dialog_->ProcessExitCode()));
    return Join(trace_);
  }

  Trace trace_;
  RecordingPlayer* player_ = nullptr;
  std::optional<DesktopStandIn> desktop_;
};

// One command: what to arrange first, what it does, and how many rows the
// refreshes it causes leave listed.
struct CommandRow {
  int id;
  std::string effect;
  std::function<void(MainCommandsGui&)> arrange = {};
  int rowsAfter = 3;
};

TEST_F(MainCommandsGui, EveryMenuItemAndAcceleratorReachesItsHandler) {
  CQuarnoCDRipperDlg& dlg = StartRecording();
  const std::string web = "opened 1 [https://www.example.org/quarno/";
  auto select = [](int row) { return [row](MainCommandsGui& t) { t.Select(row); }; };
  const std::vector<CommandRow> rows = {
      {res::ID_DRIVE_FIRST, "Stop, Current 0"},
      {res::ID_FILE_VIEWLOG, "log window"},
      {res::ID_EDIT_UNCHECKALL, "Rows, checks ---"},
      {res::ID_EDIT_CHECKALL, "Rows, checks xx-"},
      {res::ID_EDIT_REVERSECHECK, "Rows, checks ---"},
      {res::ID_EDIT_CDINFO, "editor"},
      {res::ID_PLAY_FIRST, "Current 0, First"},
      {res::ID_PLAY_PREVIOUS, "Current 0, Previous"},
      {res::ID_PLAY_PLAY, "Current 0, Play"},
      {res::ID_PLAY_PAUSE, "Current 0, Pause"},
      {res::ID_PLAY_STOP, "Stop"},
      {res::ID_PLAY_NEXT, "Current 0, Next"},
      {res::ID_PLAY_LAST, "Current 0, Last"},
      {res::ID_PLAY_EJECT, "Stop", {}, 0},
      {res::ID_EDIT_CDINFO, "box No Disc Found!", {}, 0},
      {res::ID_PLAY_CLOSETRAY, "Stop"},
      {res::ID_PLAY_REFRESH, "Stop"},
      {res::ID_OPERATION_RIP, "box No Audio Tracks Checked!",
       [](MainCommandsGui& t) { t.Command(res::ID_EDIT_UNCHECKALL); }},
      {res::ID_OPERATION_OPTIONS, "options"},
      {res::ID_HELP_CONTENTS, "opened 1 [" + ProgramFolder + "/Help.html]"},
      {res::ID_HELP_TIPOFTHEDAY, "tip"},
      {res::ID_HELP_DOWNLOAD, web + "download]"},
      {res::ID_HELP_EMAILSUPPORT, "opened 1 [mailto:support@example.org]"},
      {res::ID_HELP_ONLINESUPPORT, web + "support]"},
      {res::ID_HELP_ABOUT, "about"},
      {res::ID_LIST_PLAYCURRENT, "PlayCurrent 1", select(1)},
      {res::ID_OPERATION_RIPCURRENT, "box Not an Audio Track!", select(2)},
      {res::ID_FORMAT_WAV, "format 1"},
      {res::ID_FORMAT_MP3, "format 2"},
      {res::ID_FORMAT_MORE, web + "formats]"},
      {res::ID_FILE_EXIT, "Stop, exit 0"},
  };
  std::map<int, const CommandRow*> byId;
  for (const CommandRow& row : rows) byId.emplace(row.id, &row);
  auto run = [&](const CommandRow& row, int wxId) {
    if (row.arrange) row.arrange(*this);
    const bool opens = row.effect.rfind("opened", 0) == 0;
    EXPECT_EQ(Effect([&] { Command(ui::ProgramId(wxId)); }, opens), row.effect) << "command " << row.id;
    if (dlg.ProcessExitCode() < 0) {
      EXPECT_TRUE(Settled(row.rowsAfter)) << "command " << row.id;
    }
  };

  // The table holds every item of the menu bar, the track list's menu and
  // the format menu, and nothing else.
  std::set<int> menuIds;
  std::function<void(wxMenu*)> collect = [&](wxMenu* menu) {
    for (wxMenuItem* item : menu->GetMenuItems()) {
      if (item->IsSubMenu()) collect(item->GetSubMenu());
      if (!item->IsSubMenu() && !item->IsSeparator()) menuIds.insert(ui::ProgramId(item->GetId()));
    }
  };
  for (size_t i = 0; i < dlg.GetMenuBar()->GetMenuCount(); ++i) collect(dlg.GetMenuBar()->GetMenu(i));
  for (int id : {res::IDR_TRACKLIST_MENU, res::IDR_FORMAT_MENU})
    collect(std::unique_ptr<wxMenu>(mainmenu::BuildPopupMenu(*res::FindMenu(id))).get());
  std::set<int> rowIds;
  for (const auto& [id, row] : byId) rowIds.insert(id);
  EXPECT_EQ(menuIds, rowIds);

  // Each key of the accelerator table (and F1) names its command, which then
  // runs as from the menu.
  struct Key {
    int code;
    bool ctrl;
    int command;
  };
  const Key keys[] = {{'E', true, res::ID_EDIT_CDINFO},
                      {'O', true, res::ID_OPERATION_OPTIONS},
                      {'P', true, res::ID_PLAY_PLAY},
                      {'S', true, res::ID_PLAY_STOP},
                      {WXK_F2, true, res::ID_OPERATION_RIPCURRENT},
                      {WXK_F3, true, res::ID_OPERATION_RIP},
                      {WXK_F5, false, res::ID_PLAY_REFRESH},
                      {WXK_F1, false, res::ID_HELP_CONTENTS}};
  for (const Key& key : keys) {
    wxKeyEvent event(wxEVT_KEY_DOWN);
    event.m_keyCode = key.code;
    event.m_controlDown = key.ctrl;
    const int command = dlg.GetAcceleratorTable()->GetCommand(event);
    ASSERT_EQ(ui::ProgramId(command), key.command) << "key " << key.code;
    run(*byId.at(key.command), command);
  }

  // Enter on a row (the list's activation) and Escape do nothing.
  EXPECT_EQ(Effect([&] {
              wxListEvent activated(wxEVT_LIST_ITEM_ACTIVATED, dlg.TrackList()->GetId());
              activated.m_itemIndex = 0;
              dlg.TrackList()->ProcessWindowEvent(activated);
              gui_test::PressKey(&dlg, WXK_ESCAPE);
              gui_test::PressKey(&dlg, WXK_RETURN);
              gui_test::PumpEvents();
            }),
            "");

  for (const CommandRow& row : rows) {
    if (row.id == res::ID_FILE_EXIT) {
      // Without a player the player's commands do nothing; without a help
      // page Help does nothing either (the next command's start shows the
      // first did not start), and says nothing.
      dlg.SetPlayer(nullptr);
      Select(0);
      EXPECT_EQ(Effect(
                    [&] {
                      for (int id : {res::ID_PLAY_PLAY, res::ID_LIST_PLAYCURRENT, res::ID_PLAY_PAUSE,
                                     res::ID_PLAY_STOP, res::ID_PLAY_PREVIOUS, res::ID_PLAY_NEXT,
                                     res::ID_PLAY_FIRST, res::ID_PLAY_LAST})
                        Command(id);
                      ProgramFolder = (root_ / "nowhere").string();
                      Command(res::ID_HELP_CONTENTS);
                      Command(res::ID_HELP_DOWNLOAD);
                    },
                    true),
                web + "download]");
      gui_test::PumpFrames();
      EXPECT_EQ(desktop_->Lines(), std::vector<std::string>{"1 [https://www.example.org/quarno/download]"});
      dlg.SetPlayer(std::make_unique<RecordingPlayer>(trace_));
    }
    run(row, ui::WxId(row.id));
  }
}

TEST_F(MainCommandsGui, PlayerNotificationsSlidersAndTips) {
  CQuarnoCDRipperDlg& dlg = StartRecording();
  wxListCtrl* list = dlg.TrackList();
  auto status = [&](int row) { return list->GetItemText(row, kTrackColumnStatus).utf8_string(); };
  IPlaybackNotifications& notes = dlg.PlaybackNotifications();

  // From the player's threads, in order: the row change lands before the
  // status text that follows it, which goes to the row current by then.
  std::thread([&] {
    notes.PlaybackText("Playing", kPlaybackTextStatus, -1);
    notes.CurrentRowChanged(1);
    notes.PlaybackText("Paused", kPlaybackTextStatus, -1);
    notes.PlaybackText("Error", kPlaybackTextStatus, 0);
    notes.PlaybackText("Fail to open input stream.", LogError, -1);
    notes.PlaybackTime(3);  // of 7 seconds: 3 x 10000 / 70.5 tenths
  }).join();
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.TimeLabel()->GetLabel() == "00:03"; }));
  EXPECT_EQ(status(0) + "|" + status(1) + "|" + dlg.TrackModel().Row(1).Status, "Error|Paused|Paused");
  EXPECT_EQ(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 1);
  EXPECT_EQ(dlg.SeekSlider()->GetValue(), 425);
  EXPECT_TRUE(Logged("Fail to open input stream."));
  notes.PlaybackText("", kPlaybackTextClearStatus, -1);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return status(0).empty() && status(1).empty(); }));

  // The seek slider works exactly while the player plays, and shows the
  // position the player answers; while it plays, the player's own current
  // row counts. The volume's tip follows its slider.
  dlg.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_FALSE(dlg.SeekSlider()->IsEnabled());
  EXPECT_EQ(Effect([&] { MoveSlider(dlg.SeekSlider(), 400); }), "");
  player_->playing = true;
  dlg.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(dlg.SeekSlider()->IsEnabled());
  EXPECT_EQ(Effect([&] {
              MoveSlider(dlg.SeekSlider(), 500);
              Command(res::ID_PLAY_NEXT);
              MoveSlider(dlg.VolumeSlider(), 30);
            }),
            "Seek 500, Next, Volume 30");
  EXPECT_EQ(dlg.SeekSlider()->GetValue(), 1000);
  EXPECT_EQ(dlg.VolumeSlider()->GetToolTipText(), "Volume: 30");
  player_->playing = false;

  // Play Current takes the selected audio row, or says why it takes none;
  // nothing at all without a sound device.
  const std::pair<int, std::string> picks[] = {
      {-1, "box No Audio Track Selected!"}, {2, "box Not an Audio Track!"}, {0, "PlayCurrent 0"}};
  for (const auto& [row, effect] : picks) {
    Select(row);
    EXPECT_EQ(Effect([&] { Command(res::ID_LIST_PLAYCURRENT); }), effect);
  }
  SoundAvailable = 0;
  EXPECT_EQ(Effect([&] { Command(res::ID_LIST_PLAYCURRENT); }), "");
  // The last checked row before a row, looked for or made current.
  for (const auto& [from, testOnly, found, current] : {std::tuple{3, 1, 1, 0}, {2, 0, 1, 1}, {0, 0, 0, 1}}) {
    EXPECT_EQ(dlg.FindPreviousChecked(from, testOnly), found) << from;
    EXPECT_EQ(dlg.CurrentItem, current) << from;
  }

  // Each toolbar button's tip is its string-table text, trailing blanks and all.
  for (wxToolBar* bar : {dlg.MainToolBar(), dlg.PlayerToolBar()}) {
    for (size_t i = 0; i < bar->GetToolsCount(); ++i) {
      const int id = bar->GetToolByPos(static_cast<int>(i))->GetId();
      EXPECT_EQ(bar->GetToolShortHelp(id).utf8_string(), res::LoadResourceString(ui::ProgramId(id)));
    }
  }
}

TEST_F(MainCommandsGui, TheTipOfTheDayComesOncePerRunUnlessSwitchedOff) {
  // The settings' word, odd values included.
  const std::pair<std::string, bool> rows[] = {
      {"", true}, {"[MISC]\nTip=0\n", false}, {"[MISC]\nTip=abc\n", false}, {"[MISC\nTip=0\n", true}};
  const fs::path ini = root_ / "tip.ini";
  for (const auto& [text, due] : rows) {
    std::ofstream(ini, std::ios::trunc) << text;
    TipPending = 1;
    EXPECT_EQ(TipOfTheDayDue(ini.string()), due) << text;
    EXPECT_FALSE(TipOfTheDayDue(ini.string())) << "twice in a run";
  }
  // The window's one-shot timer, about a second after start-up.
  TipPending = 1;
  StartRecording("[MISC]\nTip=1\n");
  ASSERT_TRUE(gui_test::PumpUntil([&] { return TipPending.load() == 0 && !trace_.empty(); }));
  EXPECT_EQ(Join(trace_), "tip");
}

TEST(PlaybackTimeDisplay, FollowsTheTrackLength) {
  const std::tuple<int, double, int, const char*> rows[] = {{90, 1800.5, 499, "01:30"},
                                                            {3600, 600.5, 1000, "60:00"},
                                                            {5, 0.0, 0, "00:05"},
                                                            {-2, 100.0, 0, "00:00"}};
  for (const auto& [seconds, tenths, position, label] : rows) {
    const PlaybackTimeDisplay display = PlaybackTimeDisplayOf(seconds, tenths);
    EXPECT_EQ(std::to_string(display.seekPosition) + " " + display.label,
              std::to_string(position) + " " + label);
  }
  EXPECT_DOUBLE_EQ(TrackDurationTenths(75 * 180), 1800.5);
}

}  // namespace
