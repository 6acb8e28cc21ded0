// The main window's commands on a disc image: every item of its menus and
// every accelerator reaches its handler (the player and the windows of other
// parts replaced by recorders, the desktop's handler by a stand-in xdg-open
// that records its arguments), the player's notifications as the window
// shows them, the sliders, and the once-per-run tip of the day.
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#include "app/disc_worker.h"
#include "app/gui/log_dlg.h"
#include "app/gui/main_menus.h"
#include "app/main_commands.h"
#include "app/player_commands.h"
#include "app/settings.h"
#include "res/main_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/disc_image.h"
#include "ui/core/control_ids.h"

namespace {

using Trace = std::vector<std::string>;

// A player that writes down what it is asked to do.
class RecordingPlayer : public IPlayerCommands {
 public:
  explicit RecordingPlayer(Trace& trace) : trace_(trace) {}
  void Play() override { trace_.push_back("Play"); }
  void PlayCurrent(int row) override { trace_.push_back("PlayCurrent " + std::to_string(row)); }
  void Pause() override { trace_.push_back("Pause"); }
  void Previous() override { trace_.push_back("Previous"); }
  void Next() override { trace_.push_back("Next"); }
  void First() override { trace_.push_back("First"); }
  void Last() override { trace_.push_back("Last"); }
  int Seek(int perMille) override {
    trace_.push_back("Seek " + std::to_string(perMille));
    return seekAnswer;
  }
  bool SetVolume(int volume) override {
    trace_.push_back("Volume " + std::to_string(volume));
    return true;
  }
  void StopPlayback() override { trace_.push_back("Stop"); }
  void RowsChanged() override { trace_.push_back("Rows"); }
  void SetCurrentItem(int row) override { trace_.push_back("Current " + std::to_string(row)); }
  bool IsPlaying() const override { return playing; }

  bool playing = false;
  int seekAnswer = 0;

 private:
  Trace& trace_;
};

std::string Join(const Trace& trace, size_t from = 0) {
  std::string text;
  for (size_t i = from; i < trace.size(); ++i) text += (text.empty() ? "" : ", ") + trace[i];
  return text;
}

class MainCommandsGui : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    TipPending = 0;  // no tip timer in the way, unless a test asks for it
    // The desktop's handler: one line per start, its arguments in brackets.
    fs::create_directories(root_ / "bin");
    std::ofstream(root_ / "bin" / "xdg-open")
        << "#!/bin/sh\nline=\"$#\"\nfor a in \"$@\"; do line=\"$line [$a]\"; "
           "done\necho \"$line\" >> '"
        << Opened().string() << "'\n";
    fs::permissions(root_ / "bin" / "xdg-open", fs::perms::owner_all);
    path_ = getenv("PATH") != nullptr ? getenv("PATH") : "";
    ::setenv("PATH", ((root_ / "bin").string() + ":" + path_).c_str(), 1);
  }
  void TearDown() override {
    ::setenv("PATH", path_.c_str(), 1);
    MainWindowTest::TearDown();
  }
  fs::path Opened() const { return root_ / "opened.log"; }
  std::string OpenedText() const {
    std::ifstream in(Opened());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
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

 public:
  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, ui::WxId(id));
    event.SetEventObject(dialog_);
    dialog_->ProcessWindowEvent(event);
  }
  void Select(int row) {
    dialog_->TrackList()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  }

 protected:
  std::string Checks() const {
    std::string text;
    for (int row = 0; row < dialog_->TrackModel().Count(); ++row)
      text += dialog_->TrackModel().IsChecked(row) ? "x" : "-";
    return text;
  }

  Trace trace_;
  RecordingPlayer* player_ = nullptr;
  std::string path_;
};

// One command: what to arrange first, and what it does, written as the
// trace, message boxes and other effects that follow it.
struct CommandRow {
  int id;
  std::string effect;
  std::function<void(MainCommandsGui&)> arrange = {};
  int rowsAfter = 3;  // rows listed once the refreshes it causes have ended
};

TEST_F(MainCommandsGui, EveryMenuItemAndAcceleratorReachesItsHandler) {
  CQuarnoCDRipperDlg& dlg = StartRecording();
  const std::string help = (fs::path(ProgramFolder) / "Help.html").string();
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
      {res::ID_PLAY_CLOSETRAY, "Stop"},
      {res::ID_PLAY_REFRESH, "Stop"},
      {res::ID_OPERATION_RIP, "box No Audio Tracks Checked!",
       [](MainCommandsGui& t) { t.Command(res::ID_EDIT_UNCHECKALL); }},
      {res::ID_OPERATION_OPTIONS, "options"},
      {res::ID_HELP_CONTENTS, "opened 1 [" + help + "]"},
      {res::ID_HELP_TIPOFTHEDAY, "tip"},
      {res::ID_HELP_DOWNLOAD, "opened 1 [https://www.example.org/quarno/download]"},
      {res::ID_HELP_EMAILSUPPORT, "opened 1 [mailto:support@example.org]"},
      {res::ID_HELP_ONLINESUPPORT, "opened 1 [https://www.example.org/quarno/support]"},
      {res::ID_HELP_ABOUT, "about"},
      {res::ID_LIST_PLAYCURRENT, "PlayCurrent 1", select(1)},
      {res::ID_OPERATION_RIPCURRENT, "box Not an Audio Track!", select(2)},
      {res::ID_FORMAT_WAV, "format 1"},
      {res::ID_FORMAT_MP3, "format 2"},
      {res::ID_FORMAT_MORE, "opened 1 [https://www.example.org/quarno/formats]"},
      {res::ID_FILE_EXIT, "Stop, exit 0"},
  };
  auto run = [&](const CommandRow& row, const std::function<void()>& fire) {
    if (row.arrange) row.arrange(*this);
    trace_.clear();
    const size_t boxes = boxes_.Shown().size();
    const std::string checks = Checks();
    const int format = OutputFormat;
    const bool logShown = LogWindow != nullptr && LogWindow->IsShown();
    fs::remove(Opened());
    fire();
    Trace seen = trace_;
    if (row.effect.rfind("opened", 0) == 0) {
      EXPECT_TRUE(gui_test::PumpUntil([&] { return fs::exists(Opened()); }));
      seen.push_back("opened " + OpenedText().substr(0, OpenedText().find('\n')));
    }
    if (!logShown && LogWindow != nullptr && LogWindow->IsShown()) seen.push_back("log window");
    if (Checks() != checks) seen.push_back("checks " + Checks());
    if (OutputFormat != format) seen.push_back("format " + std::to_string(OutputFormat));
    for (size_t i = boxes; i < boxes_.Shown().size(); ++i) seen.push_back("box " + boxes_.Shown()[i].first);
    if (dlg.ProcessExitCode() >= 0) seen.push_back("exit " + std::to_string(dlg.ProcessExitCode()));
    EXPECT_EQ(Join(seen), row.effect) << "command " << row.id;
    // A disc command lets its refresh end before the next one.
    if (dlg.ProcessExitCode() < 0) {
      EXPECT_TRUE(Settled(row.rowsAfter)) << "command " << row.id;
    }
  };

  // Every item of the menu bar, the track list's menu and the format menu
  // has its row; the table covers nothing else.
  std::set<int> menuIds;
  std::function<void(wxMenu*)> collect = [&](wxMenu* menu) {
    for (wxMenuItem* item : menu->GetMenuItems()) {
      if (item->IsSubMenu()) {
        collect(item->GetSubMenu());
      } else if (!item->IsSeparator()) {
        menuIds.insert(ui::ProgramId(item->GetId()));
      }
    }
  };
  for (size_t i = 0; i < dlg.GetMenuBar()->GetMenuCount(); ++i) collect(dlg.GetMenuBar()->GetMenu(i));
  for (int id : {res::IDR_TRACKLIST_MENU, res::IDR_FORMAT_MENU}) {
    std::unique_ptr<wxMenu> menu(mainmenu::BuildPopupMenu(*res::FindMenu(id)));
    collect(menu.get());
  }
  std::set<int> rowIds;
  std::map<int, const CommandRow*> byId;
  for (const CommandRow& row : rows) {
    rowIds.insert(row.id);
    byId[row.id] = &row;
  }
  EXPECT_EQ(menuIds, rowIds);

  // Each key of the accelerator table (and F1) names its command; the
  // command then runs as from the menu.
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
    run(*byId.at(key.command), [&] {
      wxCommandEvent menu(wxEVT_MENU, command);
      dlg.ProcessWindowEvent(menu);
    });
  }

  // Enter on a row (the list's activation) and Escape do nothing.
  trace_.clear();
  wxListEvent activated(wxEVT_LIST_ITEM_ACTIVATED, dlg.TrackList()->GetId());
  activated.m_itemIndex = 0;
  activated.SetEventObject(dlg.TrackList());
  dlg.TrackList()->ProcessWindowEvent(activated);
  gui_test::PressKey(&dlg, WXK_ESCAPE);
  gui_test::PressKey(&dlg, WXK_RETURN);
  gui_test::PumpEvents();
  EXPECT_EQ(Join(trace_), "");

  for (const CommandRow& row : rows) run(row, [&] { Command(row.id); });
}

TEST_F(MainCommandsGui, WithoutAPlayerOrHelpPageCommandsDoNothing) {
  WriteSettings("[MISC]\nTip=0\n[OUTPUT]\nVolume=80\n");
  CQuarnoCDRipperDlg& dlg = Start(WriteDiscImage(root_.string(), {{AudioTrack(5)}}));
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.TrackList()->GetItemCount() == 1 && Busy.load() == 0; }));
  const size_t boxes = boxes_.Shown().size();
  Select(0);
  for (int id :
       {res::ID_PLAY_PLAY, res::ID_LIST_PLAYCURRENT, res::ID_PLAY_PAUSE, res::ID_PLAY_STOP,
        res::ID_PLAY_PREVIOUS, res::ID_PLAY_NEXT, res::ID_PLAY_FIRST, res::ID_PLAY_LAST, res::ID_HELP_ABOUT,
        res::ID_HELP_TIPOFTHEDAY, res::ID_EDIT_CDINFO, res::ID_OPERATION_OPTIONS})
    Command(id);
  // No help page beside the program: nothing opens, nothing is said. The
  // next command's start shows the first did not start at all.
  ProgramFolder = (root_ / "nowhere").string();
  Command(res::ID_HELP_CONTENTS);
  Command(res::ID_HELP_DOWNLOAD);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return fs::exists(Opened()); }));
  gui_test::PumpFrames();
  EXPECT_EQ(OpenedText(), "1 [https://www.example.org/quarno/download]\n");
  EXPECT_EQ(boxes_.Shown().size(), boxes);
  EXPECT_FALSE(dlg.IsPlaying());

  // The volume is still a setting, and its tip follows the slider.
  EXPECT_EQ(dlg.VolumeSlider()->GetToolTipText(), "Volume: 80");
  dlg.VolumeSlider()->SetValue(30);
  wxCommandEvent moved(wxEVT_SLIDER, dlg.VolumeSlider()->GetId());
  moved.SetEventObject(dlg.VolumeSlider());
  dlg.VolumeSlider()->ProcessWindowEvent(moved);
  EXPECT_EQ(Volume, 30);
  EXPECT_EQ(dlg.VolumeSlider()->GetToolTipText(), "Volume: 30");
}

TEST_F(MainCommandsGui, PlayerNotificationsAndSlidersReachTheWindow) {
  CQuarnoCDRipperDlg& dlg = StartRecording();
  wxListCtrl* list = dlg.TrackList();
  auto status = [&](int row) { return list->GetItemText(row, kTrackColumnStatus).utf8_string(); };
  IPlaybackNotifications& notes = dlg.PlaybackNotifications();

  // From the player's threads, in order: the row change lands before the
  // status text that follows it, which goes to the row current by then.
  std::thread worker([&] {
    notes.PlaybackText("Playing", kPlaybackTextStatus, -1);
    notes.CurrentRowChanged(1);
    notes.PlaybackText("Paused", kPlaybackTextStatus, -1);
    notes.PlaybackText("Error", kPlaybackTextStatus, 0);
    notes.PlaybackText("Fail to open input stream.", LogError, -1);
    notes.PlaybackTime(3);  // of 7 seconds: 3 x 10000 / 70.5 tenths
  });
  worker.join();
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.TimeLabel()->GetLabel() == "00:03"; }));
  EXPECT_EQ(status(0), "Error");
  EXPECT_EQ(status(1), "Paused");
  EXPECT_EQ(dlg.TrackModel().Row(1).Status, "Paused");
  EXPECT_EQ(dlg.CurrentItem, 1);
  EXPECT_EQ(list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 1);
  EXPECT_EQ(dlg.SeekSlider()->GetValue(), 425);
  EXPECT_TRUE(Logged("Fail to open input stream."));
  notes.PlaybackText("", kPlaybackTextClearStatus, -1);
  notes.PlaybackTime(0);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return status(0).empty() && status(1).empty(); }));
  EXPECT_EQ(dlg.TimeLabel()->GetLabel(), "00:00");
  EXPECT_EQ(dlg.SeekSlider()->GetValue(), 0);

  // The seek slider works exactly while the player plays, and shows what the player answers.
  auto moveSeek = [&](int value) {
    dlg.SeekSlider()->SetValue(value);
    wxCommandEvent moved(wxEVT_SLIDER, dlg.SeekSlider()->GetId());
    moved.SetEventObject(dlg.SeekSlider());
    dlg.SeekSlider()->ProcessWindowEvent(moved);
  };
  dlg.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_FALSE(dlg.SeekSlider()->IsEnabled());
  moveSeek(400);
  player_->playing = true;
  player_->seekAnswer = 1000;
  dlg.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(dlg.SeekSlider()->IsEnabled());
  moveSeek(500);
  EXPECT_EQ(dlg.SeekSlider()->GetValue(), 1000);
  // While it plays, a command leaves the player's own current row alone.
  Command(res::ID_PLAY_NEXT);
  EXPECT_EQ(Join(trace_), "Seek 500, Next");
  player_->playing = false;

  // Play Current takes the selected audio row, or says why it takes none;
  // nothing at all without a sound device.
  struct Pick {
    int row;  // -1: none selected
    int sound;
    std::string effect;
  };
  for (const Pick& pick : {Pick{-1, 1, "box No Audio Track Selected!"}, Pick{2, 1, "box Not an Audio Track!"},
                           Pick{0, 0, ""}, Pick{0, 1, "PlayCurrent 0"}}) {
    for (int row = 0; row < list->GetItemCount(); ++row) list->SetItemState(row, 0, wxLIST_STATE_SELECTED);
    if (pick.row >= 0) Select(pick.row);
    SoundAvailable = pick.sound;
    trace_.clear();
    const size_t boxes = boxes_.Shown().size();
    Command(res::ID_LIST_PLAYCURRENT);
    for (size_t i = boxes; i < boxes_.Shown().size(); ++i) trace_.push_back("box " + boxes_.Shown()[i].first);
    EXPECT_EQ(Join(trace_), pick.effect);
  }
  EXPECT_EQ(dlg.CurrentItem, 0);

  // The last checked row before a row: found only above it; looked for
  // without moving, or made current.
  EXPECT_EQ(dlg.FindPreviousChecked(3, 1), 1);
  EXPECT_EQ(dlg.CurrentItem, 0);
  EXPECT_EQ(dlg.FindPreviousChecked(2, 0), 1);
  EXPECT_EQ(dlg.CurrentItem, 1);
  EXPECT_EQ(dlg.FindPreviousChecked(0, 0), 0);
  EXPECT_EQ(dlg.CurrentItem, 1);
}

TEST_F(MainCommandsGui, TheTipOfTheDayComesOncePerRunUnlessSwitchedOff) {
  // The settings' word, odd values included; a folder where the file should
  // be counts as no file.
  struct Row {
    std::string ini;
    bool due;
  };
  const Row rows[] = {
      {"", true}, {"[MISC]\nTip=0\n", false}, {"[MISC]\nTip=abc\n", false}, {"[MISC\nTip=0\n", true}};
  const fs::path ini = root_ / "tip.ini";
  for (const Row& row : rows) {
    std::ofstream(ini, std::ios::trunc) << row.ini;
    TipPending = 1;
    EXPECT_EQ(TipOfTheDayDue(ini.string()), row.due) << row.ini;
    EXPECT_FALSE(TipOfTheDayDue(ini.string())) << "twice in a run";
  }
  TipPending = 1;
  EXPECT_TRUE(TipOfTheDayDue((root_ / "home").string()));

  // The window's one-shot timer, about a second after start-up.
  TipPending = 1;
  CQuarnoCDRipperDlg& dlg = StartRecording("[MISC]\nTip=1\n");
  ASSERT_TRUE(gui_test::PumpUntil([&] { return TipPending.load() == 0 && !trace_.empty(); }));
  EXPECT_EQ(Join(trace_), "tip");
  EXPECT_EQ(dlg.ProcessExitCode(), -1);
}

TEST(PlaybackTimeDisplay, FollowsTheTrackLength) {
  struct Row {
    int seconds;
    double tenths;
    int position;
    const char* label;
  };
  const Row rows[] = {{90, 1800.5, 499, "01:30"},
                      {0, 1800.5, 0, "00:00"},
                      {3600, 600.5, 1000, "60:00"},
                      {5, 0.0, 0, "00:05"},
                      {-2, 100.0, 0, "00:00"}};
  for (const Row& row : rows) {
    const PlaybackTimeDisplay display = PlaybackTimeDisplayOf(row.seconds, row.tenths);
    EXPECT_EQ(display.seekPosition, row.position) << row.seconds;
    EXPECT_EQ(display.label, row.label);
  }
  EXPECT_DOUBLE_EQ(TrackDurationTenths(75 * 180), 1800.5);
}

}  // namespace
