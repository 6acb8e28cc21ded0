// The CD player driven from the main window on a disc image: the player the
// start-up makes plays into the default sound device, and the transport
// commands, the double-click and a media change show their effects in the
// Status cells, the time label and the seek slider.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <fstream>

#include "app/disc_worker.h"
#include "app/settings.h"
#include "res/main_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/app/player_test_util.h"
#include "tests/support/disc_image.h"
#include "ui/core/control_ids.h"
#include "ui/core/xmessage_box_model.h"

namespace {

// Where GTK draws the knob of `slider`: the pixel its knob starts at along
// the track (-1 when GTK cannot be asked).
int KnobAt(wxSlider* slider) {
  using SliderRange = void (*)(void*, int*, int*);
  using TypeGetter = unsigned long (*)();
  using IsA = int (*)(void*, unsigned long);
  auto range = reinterpret_cast<SliderRange>(dlsym(RTLD_DEFAULT, "gtk_range_get_slider_range"));
  auto rangeType = reinterpret_cast<TypeGetter>(dlsym(RTLD_DEFAULT, "gtk_range_get_type"));
  auto isA = reinterpret_cast<IsA>(dlsym(RTLD_DEFAULT, "g_type_check_instance_is_a"));
  if (!range || !rangeType || !isA || !isA(slider->GetHandle(), rangeType())) return -1;
  int start = -1, end = -1;
  range(slider->GetHandle(), &start, &end);
  return start;
}

class PlayerWindowGui : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    // Message boxes: the double-click's question is answered "Play the Track".
    boxes_.answerer = [](const std::string& text) {
      return text == "Which Action Do You Wish to Perform?" ? IDCUSTOM1 : IDOK;
    };
  }

  // Two long audio tracks and a data track. With `paced`, the window's player
  // plays into an output that takes samples at a sound card's pace (the ALSA
  // devices of the test machine take them at once).
  CQuarnoCDRipperDlg& StartOn(bool paced) {
    CQuarnoCDRipperDlg& dlg = StartOnDisc(disc_);
    if (paced) {
      SoundAvailable = 1;
      auto output = std::make_unique<CapturingOutput>();
      output->Pace(true);
      dlg.SetPlayer(dlg.MakeEnginePlayer(std::move(output)));
    }
    logMark_ = AppEventLog().LogEntries().size();
    return dlg;
  }
  // The Status cells of the list, joined with "|".
  std::string Statuses() const {
    std::string text;
    for (int row = 0; row < dialog_->TrackList()->GetItemCount(); ++row)
      text += (row ? "|" : "") + dialog_->TrackList()->GetItemText(row, kTrackColumnStatus).utf8_string();
    return text;
  }
  bool StatusesBecome(const std::string& text) {
    return gui_test::PumpUntil([&] { return Statuses() == text; });
  }
  std::string TimeLabel() const { return dialog_->TimeLabel()->GetLabel().utf8_string(); }
  bool SeekEnabled() const {
    dialog_->UpdateWindowUI(wxUPDATE_UI_RECURSE);
    return dialog_->SeekSlider()->IsEnabled();
  }
  // The texts of the error entries logged since the start-up.
  std::vector<std::string> ErrorTexts() const {
    std::vector<std::string> texts;
    const auto entries = AppEventLog().LogEntries();
    for (size_t i = logMark_; i < entries.size(); ++i)
      if (entries[i].Level != LogInfo) texts.push_back(entries[i].Text);
    return texts;
  }

  DiscImageSpec disc_{{AudioTrack(30), AudioTrack(30), DataTrack(3)}};
  size_t logMark_ = 0;
};

TEST_F(PlayerWindowGui, TheStartUpPlayerPlaysTheCheckedTracksIntoTheSoundDevice) {
  // The default device writes what it is given into a file.
  const fs::path played = root_ / "played.raw";
  std::ofstream(root_ / "home" / ".asoundrc")
      << "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \"" << played.string()
      << "\"\n  format \"raw\"\n}\n";
  disc_ = {{AudioTrack(1), AudioTrack(2), DataTrack(1)}};
  CQuarnoCDRipperDlg& dlg = StartOn(false);
  ASSERT_EQ(SoundAvailable.load(), 1);
  Command(res::ID_PLAY_PLAY);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return !dlg.IsPlaying(); }));
  dlg.StopPlayback();  // collects the threads
  gui_test::PumpEvents();

  // Both checked audio tracks reached the device, and the end cleared up.
  const auto bytes = fs::file_size(played);
  EXPECT_GE(bytes, uint64_t{3} * 75 * kImageSectorBytes);
  EXPECT_EQ(Statuses(), "||");
  EXPECT_EQ(TimeLabel(), "00:00");
  EXPECT_EQ(dlg.SeekSlider()->GetValue(), 0);
  EXPECT_TRUE(ErrorTexts().empty()) << ErrorTexts().front();
}

TEST_F(PlayerWindowGui, TransportCommandsAndADoubleClickShowTheirStateInTheRowsLabelAndSlider) {
  CQuarnoCDRipperDlg& dlg = StartOn(true);
  EXPECT_FALSE(SeekEnabled());

  Command(res::ID_PLAY_PLAY);
  ASSERT_TRUE(StatusesBecome("Playing||"));
  EXPECT_TRUE(SeekEnabled());
  ASSERT_TRUE(gui_test::PumpUntil([&] { return TimeLabel() == "00:01"; }));
  EXPECT_GT(dlg.SeekSlider()->GetValue(), 0);

  Command(res::ID_PLAY_PAUSE);
  EXPECT_TRUE(StatusesBecome("Paused||"));
  EXPECT_TRUE(dlg.IsPlaying());
  EXPECT_TRUE(SeekEnabled());
  Command(res::ID_PLAY_PAUSE);
  EXPECT_TRUE(StatusesBecome("Playing||"));

  // Next moves the playback and the current row to the second track.
  Command(res::ID_PLAY_NEXT);
  EXPECT_TRUE(StatusesBecome("|Playing|"));
  EXPECT_EQ(dlg.CurrentItem, 1);
  EXPECT_EQ(dlg.SelectedTrackRow(), 1);

  Command(res::ID_PLAY_STOP);
  EXPECT_FALSE(dlg.IsPlaying());
  EXPECT_TRUE(StatusesBecome("||"));
  EXPECT_TRUE(gui_test::PumpUntil([&] { return TimeLabel() == "00:00"; }));
  EXPECT_FALSE(SeekEnabled());
  EXPECT_TRUE(ErrorTexts().empty()) << ErrorTexts().front();

  // A double-click answered "Play the Track" plays the clicked row.
  DbClk = -1;
  dlg.TrackList()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
  dlg.OnTrackListDoubleClick(1);
  ASSERT_EQ(boxes_.Texts(), std::vector<std::string>{"Which Action Do You Wish to Perform?"});
  EXPECT_TRUE(StatusesBecome("|Playing|"));
  EXPECT_TRUE(dlg.IsPlaying());
  EXPECT_EQ(DbClk, -1);  // not remembered: the box was not ticked
  dlg.StopPlayback();
}

TEST_F(PlayerWindowGui, AMediaChangeWhilePlayingStopsPlaybackBeforeTheRefresh) {
  CQuarnoCDRipperDlg& dlg = StartOn(true);
  Command(res::ID_PLAY_PLAY);
  ASSERT_TRUE(StatusesBecome("Playing||"));

  // The same disc written anew: the poller sees it go and come back.
  WriteDiscImage(root_.string(), disc_);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return Logged("Insert disc."); }));
  EXPECT_TRUE(Logged("Eject disc."));
  EXPECT_FALSE(dlg.IsPlaying());
  ASSERT_TRUE(dlg.Worker()->WaitUntilIdle(std::chrono::seconds(20)));
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.TrackList()->GetItemCount() == 3 && Busy.load() == 0; }));
  EXPECT_EQ(Statuses(), "||");
  EXPECT_EQ(TimeLabel(), "00:00");
  // The player never read from a drive the refresh had closed.
  EXPECT_TRUE(ErrorTexts().empty()) << ErrorTexts().front();
}

// GTK warnings fail the test through the runner: over the start-up, a
// shrink to the minimum and back, and a playback, whose position and volume
// the sliders show as GTK draws them.
TEST_F(PlayerWindowGui, SlidersShowPositionAndVolumeAfterTheWindowWasAtItsMinimum) {
  CQuarnoCDRipperDlg& dlg = StartOn(true);
  const wxSize normal = dlg.GetClientSize();
  dlg.SetClientSize(1, 1);
  gui_test::PumpFrames();
  dlg.SetClientSize(normal);
  gui_test::PumpFrames();
  const int seekAtStart = KnobAt(dlg.SeekSlider());
  ASSERT_GE(seekAtStart, 0);
  Command(res::ID_PLAY_PLAY);
  ASSERT_TRUE(gui_test::PumpUntil([&] { return TimeLabel() == "00:03"; }));
  EXPECT_NEAR(dlg.SeekSlider()->GetValue(), 3 * 1000 / 30, 1000 / 30);  // per mille of the 30 s track
  EXPECT_TRUE(gui_test::PumpUntil([&] {
    gui_test::PumpFrames();
    return KnobAt(dlg.SeekSlider()) > seekAtStart;
  }));
  const int volumeBefore = KnobAt(dlg.VolumeSlider());
  const int volume = dlg.VolumeSlider()->GetValue() > 50 ? 10 : 90;
  dlg.VolumeSlider()->SetValue(volume);
  wxCommandEvent moved(wxEVT_SLIDER, dlg.VolumeSlider()->GetId());
  moved.SetEventObject(dlg.VolumeSlider());
  dlg.VolumeSlider()->ProcessWindowEvent(moved);
  EXPECT_EQ(Volume, volume);
  EXPECT_TRUE(gui_test::PumpUntil([&] {
    gui_test::PumpFrames();
    const int knob = KnobAt(dlg.VolumeSlider());
    return volume < 50 ? knob < volumeBefore : knob > volumeBefore;
  }));
  dlg.StopPlayback();
}

}  // namespace
