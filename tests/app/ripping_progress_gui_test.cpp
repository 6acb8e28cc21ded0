// The ripping-progress window over real rip jobs on generated disc images:
// a WAV rip to its end, Pause/Resume, the cancel question answered both
// ways, a failing drive, a missing encoder, "Open Dir" through a stand-in
// file manager, the window's placement, and pictures of the window.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/image.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <fstream>

#include "app/event_log.h"
#include "app/gui/gui_port.h"
#include "app/gui/log_dlg.h"
#include "app/gui/ripping_progress_dlg.h"
#include "app/rip_job_snapshot.h"
#include "res/ripping_progress_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/rip/rip_job_fixture.h"
#include "tests/support/gui/gui_test_support.h"
#include "ui/core/profile_store.h"
#include "ui/core/text_fit.h"
#include "ui/core/window_placement.h"
#include "ui/xmessage_box.h"

namespace {

using namespace res;

// What a control shows.
std::string Text(CRippingProgressDlg& dlg, int id) {
  wxWindow* control = dlg.GetDlgItem(id);
  if (control == nullptr) return "<missing>";
  if (auto* text = dynamic_cast<wxStaticText*>(control)) return text->GetLabelText().utf8_string();
  return control->GetLabel().utf8_string();
}
int Bar(CRippingProgressDlg& dlg, int id) { return dlg.GetDlgItemAs<wxGauge>(id)->GetValue(); }
std::string Title(CRippingProgressDlg& dlg) { return dlg.GetTitle().utf8_string(); }

// Every control inside the window, and none but the group boxes over another.
void ExpectTidyLayout(CRippingProgressDlg& dlg) {
  const wxRect client(wxPoint(0, 0), dlg.GetClientSize());
  std::vector<wxWindow*> controls;
  for (wxWindow* child : dlg.GetChildren()) {
    if (!child->IsShown() || child->IsTopLevel() || child->GetId() == wxID_ANY) continue;
    EXPECT_TRUE(client.Contains(child->GetRect())) << child->GetLabel() << " leaves the window";
    if (dynamic_cast<wxStaticBox*>(child) == nullptr) controls.push_back(child);
  }
  for (size_t i = 0; i < controls.size(); ++i)
    for (size_t j = i + 1; j < controls.size(); ++j)
      EXPECT_FALSE(controls[i]->GetRect().Intersects(controls[j]->GetRect()))
          << controls[i]->GetLabel() << " overlaps " << controls[j]->GetLabel();
}

class RippingProgressGui : public RipJobTest {
 protected:
  void SetUp() override {
    RipJobTest::SetUp();
    AppProfile().SetPath(dir / "test.profile");
    AppEventLog().Clear();
    desktop_.emplace(dir.Path());
    boxes_.emplace();
  }

  void TearDown() override {
    boxes_.reset();
    desktop_.reset();
    AppProfile().SetPath("");
    RipJobTest::TearDown();
  }

  // Runs the window over the tracks `indices` (0-based), with `action` run
  // once it is on screen; returns the window's result.
  int RunWindow(std::initializer_list<int> indices, const std::function<void(CRippingProgressDlg&)>& action) {
    gui_test::WhenModalShown(
        [action](wxDialog& d) {
          auto& dlg = dynamic_cast<CRippingProgressDlg&>(d);
          action(dlg);
          // A failed step must not leave the window to the watchdog.
          if (HasFatalFailure() && dlg.IsModal()) dlg.EndDialog(kActionFailed);
        },
        [](wxDialog& d) { return dynamic_cast<CRippingProgressDlg*>(&d) != nullptr; });
    return RunRippingProgress(nullptr, Tracks(indices), JobSettings());
  }

  static constexpr int kActionFailed = -2;

  std::optional<DesktopStandIn> desktop_;
  std::optional<MessageBoxRecorder> boxes_;  // answers every box of the window
};

TEST_F(RippingProgressGui, WavRipRunsToFinishedCopyingAndOpensItsFolder) {
  // A shell would run or split this; too long for the destination line at first.
  settings.album.Title = "Gen; $(touch pwned) & 'quoted', a title longer than the window is wide at first";
  InsertDisc({{AudioTrackSectors(100), AudioTrackSectors(60)}});
  const int result = RunWindow({0, 1}, [&](CRippingProgressDlg& dlg) {
    ASSERT_TRUE(gui_test::PumpUntil([&] { return Title(dlg) == "Finished Copying"; }));
    EXPECT_FALSE(dlg.Job().Running);
    for (int id : {IDC_RIP_TRACK_PERCENT, IDC_RIP_OVERALL_PERCENT}) EXPECT_EQ(Text(dlg, id), "100.00%");
    for (int id : {IDC_RIP_TRACK_BAR, IDC_RIP_OVERALL_BAR}) EXPECT_EQ(Bar(dlg, id), 100);
    for (int id : {IDC_RIP_TRACK_ETA, IDC_RIP_OVERALL_ETA}) EXPECT_EQ(Text(dlg, id), "00:00:00");
    const std::string destination = "Destination:     " + OutputPath("02-Second.wav");
    EXPECT_TRUE(Text(dlg, IDC_RIP_STATUS).ends_with(std::string(kEllipsis) + "/02-Second.wav"))
        << Text(dlg, IDC_RIP_STATUS);
    EXPECT_EQ(Text(dlg, IDC_RIP_PAUSE), "Open Dir");
    EXPECT_EQ(Text(dlg, IDCANCEL), "Finish");
    EXPECT_TRUE(Logged("Finished copying!"));
    EXPECT_TRUE(Logged("Rip track(s) to \"" + OutputPath("01-First.wav") + "\""));
    ExpectTidyLayout(dlg);
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&dlg), "ripping_progress_finished"));

    // "Open Dir" hands the folder to the file manager as one argument.
    gui_test::Click(dlg.GetDlgItem(IDC_RIP_PAUSE));
    ASSERT_TRUE(desktop_->WaitFor(1));
    EXPECT_EQ(desktop_->Lines(), std::vector<std::string>{"1 [" + DesDir() + settings.album.Artist + "/" +
                                                          settings.album.Title + "]"});
    EXPECT_FALSE(fs::exists("pwned"));

    // Wider, the groups, bars and status line stretch; the rest keep their centres.
    const wxRect group = dlg.GetDlgItem(IDC_RIP_TRACK_GROUP)->GetRect();
    const wxRect status = dlg.GetDlgItem(IDC_RIP_STATUS)->GetRect();
    const wxRect cancel = dlg.GetDlgItem(IDCANCEL)->GetRect();
    const wxSize client = dlg.GetClientSize();
    dlg.SetClientSize(client.x + 200, client.y);
    ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.GetClientSize().x == client.x + 200; }));
    gui_test::PumpUntil(
        [&] { return dlg.GetDlgItem(IDC_RIP_TRACK_GROUP)->GetRect().width == group.width + 200; });
    EXPECT_EQ(dlg.GetDlgItem(IDC_RIP_TRACK_GROUP)->GetRect().width, group.width + 200);
    EXPECT_EQ(dlg.GetDlgItem(IDC_RIP_STATUS)->GetRect().width, status.width + 200);
    const wxRect moved = dlg.GetDlgItem(IDCANCEL)->GetRect();
    EXPECT_EQ(moved.width, cancel.width);
    EXPECT_NEAR((moved.x + moved.width / 2.0) / (client.x + 200), (cancel.x + cancel.width / 2.0) / client.x,
                0.01);
    ExpectTidyLayout(dlg);
    // With room for all of it, the destination line shows whole.
    const wxWindow* line = dlg.GetDlgItem(IDC_RIP_STATUS);
    const int missing = line->GetTextExtent(wxString::FromUTF8(destination)).x - line->GetClientSize().x;
    dlg.SetClientSize(dlg.GetClientSize().x + std::max(missing, 0) + 4, client.y);
    EXPECT_TRUE(gui_test::PumpUntil([&] { return Text(dlg, IDC_RIP_STATUS) == destination; }))
        << Text(dlg, IDC_RIP_STATUS);

    gui_test::Click(dlg.GetDlgItem(IDCANCEL));  // "Finish": no question once the job is over
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(boxes_->Shown().empty());

  for (int track : {0, 1}) {
    const auto file = ReadBytes(OutputPath(track == 0 ? "01-First.wav" : "02-Second.wav"));
    ASSERT_GT(file.size(), 44u);
    EXPECT_EQ(Le32(file, 40), file.size() - 44);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 44, file.end()), AsBytes(TrackSamples(track)));
  }
  // The window keeps its placement under its own entry.
  std::vector<uint8_t> placement;
  EXPECT_TRUE(AppProfile().GetProfileBinary(kPlacementSection, kRippingProgressPlacementEntry, placement));
  EXPECT_EQ(placement.size(), 44u);
}

TEST_F(RippingProgressGui, PauseResumeAndCancelAnsweredNo) {
  InsertDisc({{AudioTrackSectors(3000)}});
  drive->SetReadDelay(30);
  const uint32_t full = 3000u * 1176;
  const int result = RunWindow({0}, [&](CRippingProgressDlg& dlg) {
    CRippingProgress& job = dlg.Job();
    ASSERT_TRUE(gui_test::PumpUntil([&] { return job.TrackDone.load() > 0; }));
    // Enter does not end the rip.
    gui_test::PressKey(&dlg, WXK_RETURN);
    EXPECT_TRUE(dlg.IsModal());

    gui_test::Click(dlg.GetDlgItem(IDC_RIP_PAUSE));
    EXPECT_EQ(Text(dlg, IDC_RIP_PAUSE), "Resume");
    EXPECT_TRUE(job.Paused);
    // The writer holds while the reader fills its ring.
    ASSERT_TRUE(gui_test::PumpUntil([] { return RipReadRing->GetFreeCount() < 26u * 1176; }));
    const uint32_t held = job.TrackDone.load();
    gui_test::PumpEvents();
    EXPECT_EQ(job.TrackDone.load(), held);
    EXPECT_LT(held, full);
    EXPECT_NE(Text(dlg, IDC_RIP_TRACK_PERCENT), "0.00%");

    gui_test::Click(dlg.GetDlgItem(IDC_RIP_PAUSE));
    EXPECT_EQ(Text(dlg, IDC_RIP_PAUSE), "Pause");
    EXPECT_FALSE(job.Paused);
    ASSERT_TRUE(gui_test::PumpUntil([&] { return job.TrackDone.load() > held; }));
    // Every tenth progress message also shows times and speeds (" %5.2fx").
    ASSERT_TRUE(gui_test::PumpUntil([&] { return Text(dlg, IDC_RIP_TRACK_SPEED).starts_with(" "); }));
    EXPECT_TRUE(Text(dlg, IDC_RIP_OVERALL_SPEED).ends_with("x"));
    EXPECT_GT(Bar(dlg, IDC_RIP_OVERALL_BAR), 0);
    ExpectTidyLayout(dlg);
    EXPECT_TRUE(gui_test::SaveScreenshot(gui_test::DrawWindow(&dlg), "ripping_progress_running"));

    // No: the job goes on as it was, running or paused; while the question
    // is open the writer holds.
    for (const bool pausedBefore : {false, true}) {
      SCOPED_TRACE(pausedBefore ? "paused before" : "running before");
      if (pausedBefore) gui_test::Click(dlg.GetDlgItem(IDC_RIP_PAUSE));
      int pausedDuringQuestion = -1;
      if (pausedBefore) {
        boxes_->during = [&] { pausedDuringQuestion = job.Paused; };
        boxes_->Script({IDNO});
      } else {  // the real box, over the window, answered with its No button
        SetMessageBoxResponder(nullptr);
        gui_test::WhenModalShown(
            [&](wxDialog& box) {
              pausedDuringQuestion = job.Paused;
              gui_test::Click(dynamic_cast<CXMessageDialog&>(box).GetDlgItem(IDNO));
            },
            [](wxDialog& d) { return d.GetName() == CXMessageDialog::kWindowName; });
      }
      gui_test::Click(dlg.GetDlgItem(IDCANCEL));
      boxes_->Install();
      EXPECT_EQ(pausedDuringQuestion, 1);
      EXPECT_EQ(job.Paused != 0, pausedBefore);
      EXPECT_EQ(Text(dlg, IDC_RIP_PAUSE), pausedBefore ? "Resume" : "Pause");
      EXPECT_TRUE(job.Running);
      EXPECT_FALSE(job.Cancelled);
      EXPECT_TRUE(dlg.IsModal());
      if (pausedBefore) gui_test::Click(dlg.GetDlgItem(IDC_RIP_PAUSE));
    }
    boxes_->during = nullptr;
    ASSERT_TRUE(gui_test::PumpUntil([&] { return Title(dlg) == "Finished Copying"; }));
    gui_test::Click(dlg.GetDlgItem(IDCANCEL));
  });
  EXPECT_EQ(result, 0);
  ASSERT_EQ(boxes_->Texts(), std::vector<std::string>{"Do You Want to Cancel?"});
  EXPECT_EQ(boxes_->Style(0) & 0xF, MB_YESNO);
  const auto file = ReadBytes(OutputPath("01-First.wav"));
  ASSERT_GT(file.size(), 44u);
  EXPECT_EQ(Le32(file, 40), 3000u * 2352);
  EXPECT_EQ(std::vector<uint8_t>(file.begin() + 44, file.end()), AsBytes(TrackSamples(0)));
}

// Yes to the question, from the Cancel button, Escape or the close box: the
// job stops, its threads are gone and the window ends; the file written so
// far is a valid, shorter WAV file.
TEST_F(RippingProgressGui, CancelAnsweredYesStopsTheJobAndEndsTheWindow) {
  const std::function<void(CRippingProgressDlg&)> cancels[] = {
      [](CRippingProgressDlg& dlg) { gui_test::Click(dlg.GetDlgItem(IDCANCEL)); },
      [](CRippingProgressDlg& dlg) { gui_test::PressKey(&dlg, WXK_ESCAPE); },
      [](CRippingProgressDlg& dlg) { dlg.Close(); },
  };
  for (const auto& cancel : cancels) {
    ReinsertDisc({{AudioTrackSectors(1500)}});
    drive->SetReadDelay(30);
    boxes_->Script({IDYES});
    const int result = RunWindow({0}, [&](CRippingProgressDlg& dlg) {
      CRippingProgress& job = dlg.Job();
      ASSERT_TRUE(gui_test::PumpUntil([&] { return job.TrackDone.load() > 0; }));
      cancel(dlg);  // returns once the job's threads have ended
      EXPECT_TRUE(job.Cancelled);
      EXPECT_FALSE(job.Running);
      EXPECT_EQ(Title(dlg), "Aborting, Please Wait...");
      EXPECT_FALSE(dlg.GetDlgItem(IDC_RIP_PAUSE)->IsEnabled());
      EXPECT_FALSE(dlg.GetDlgItem(IDCANCEL)->IsEnabled());
    });
    EXPECT_EQ(result, 0);
    const auto file = ReadBytes(OutputPath("01-First.wav"));
    ASSERT_GT(file.size(), 44u);
    EXPECT_EQ(Le32(file, 40), file.size() - 44);
    EXPECT_LT(file.size() - 44, 1500u * 2352);
  }
  EXPECT_EQ(boxes_->Shown().size(), 3u);
  EXPECT_FALSE(Logged("Finished copying!"));
}

// A failing drive. Reads that fail for good: the fatal line becomes the
// caption, the buttons turn into "Open Dir" and "Finish", and the window ends
// without a question. Reads that work on a later try: the retry lines are
// logged, and the buttons keep saying Pause and Cancel, which is what they do.
TEST_F(RippingProgressGui, FailingDriveShowsItsErrorsAndButtonsSayWhatTheyDo) {
  InsertDisc({{AudioTrackSectors(100)}});
  drive->FailAllReads(true);
  drive->SetReadDelay(100);  // the last failure comes well after the writer's "1/1"
  int result = RunWindow({0}, [&](CRippingProgressDlg& dlg) {
    ASSERT_TRUE(gui_test::PumpUntil([&] { return Title(dlg) == "Reach Maximum Retries, Forced to Stop."; }));
    ASSERT_TRUE(gui_test::PumpUntil([&] { return Text(dlg, IDCANCEL) == "Finish"; }));
    EXPECT_FALSE(dlg.Job().Running);
    EXPECT_EQ(Text(dlg, IDC_RIP_PAUSE), "Open Dir");
    gui_test::Click(dlg.GetDlgItem(IDCANCEL));
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(boxes_->Shown().empty());
  EXPECT_FALSE(Logged("Finished copying!"));

  AppEventLog().Clear();
  ReinsertDisc({{AudioTrackSectors(1500)}});
  drive->SetReadDelay(30);
  drive->FailNextReads(2);
  const std::string retry = "Retry 2 to read sector " + std::to_string(layout.Tracks[0].StartLBA);
  result = RunWindow({0}, [&](CRippingProgressDlg& dlg) {
    ASSERT_TRUE(gui_test::PumpUntil([&] { return Logged(retry); }));  // the window has shown the line
    EXPECT_TRUE(dlg.Job().Running);
    EXPECT_EQ(Text(dlg, IDC_RIP_PAUSE), "Pause");
    EXPECT_EQ(Text(dlg, IDCANCEL), "Cancel");
    ASSERT_TRUE(gui_test::PumpUntil([&] { return Title(dlg) == "Finished Copying"; }));
    gui_test::Click(dlg.GetDlgItem(IDCANCEL));
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Le32(ReadBytes(OutputPath("01-First.wav")), 40), 1500u * 2352);
}

// MP3 output without a usable encoder library: one log line and one box,
// nothing started, the window keeps its first texts and ends on Cancel
// without a question; "Open Dir" has no folder to open.
TEST_F(RippingProgressGui, MissingOrIncompleteEncoderStartsNothing) {
  const std::string incomplete = GetProgramFolder() + "/lame_enc_incomplete";
  ASSERT_TRUE(fs::exists(incomplete + "/lame_enc.so")) << "stand-in library not built";
  const std::string empty = dir / "no-encoder";
  fs::create_directories(empty);
  struct Case {
    std::string folder;
    std::string box;
    uint32_t icon;
    std::string line;
  };
  const Case cases[] = {
      {empty, "Error Loading Lame_enc.dll", MB_ICONERROR, "Error loading lame_enc.dll"},
      {incomplete, "Unable to Get LAME Interfaces", 0, "Unable to get LAME interfaces"},
  };
  InsertDisc({{AudioTrackSectors(50)}});
  settings.outputFormat = 2;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box);
    settings.programFolder = c.folder;
    const size_t boxesBefore = boxes_->Shown().size();
    const int result = RunWindow({0}, [&](CRippingProgressDlg& dlg) {
      EXPECT_FALSE(dlg.Job().Running);
      for (int id : {IDC_RIP_TRACK_PERCENT, IDC_RIP_OVERALL_PERCENT}) EXPECT_EQ(Text(dlg, id), "0.00%");
      EXPECT_EQ(Text(dlg, IDC_RIP_TRACK_ELAPSED), "00:00:00");
      EXPECT_EQ(Text(dlg, IDC_RIP_PAUSE), "Pause");
      gui_test::Click(dlg.GetDlgItem(IDC_RIP_PAUSE));
      gui_test::PumpEvents();
      gui_test::Click(dlg.GetDlgItem(IDCANCEL));
    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(boxes_->Shown().size(), boxesBefore + 1);
    EXPECT_EQ(boxes_->Texts().back(), c.box);
    EXPECT_EQ(boxes_->Style(boxesBefore) & MB_ICONMASK, c.icon);
    EXPECT_TRUE(Logged(c.line));
  }
  EXPECT_FALSE(fs::exists(DesDir()));
  EXPECT_TRUE(desktop_->Lines().empty());
}

// Over the main window, as the Rip command runs it: the job takes the
// program's settings, and "Log" opens the main window's log window.
using RippingProgressOverMainWindow = MainWindowTest;

TEST_F(RippingProgressOverMainWindow, LogButtonOpensTheLogWindow) {
  WriteSettings("[OUTPUT]\nOutputFormat=1\nDesDir=" + (root_ / "out").string() + "/\n");
  CQuarnoCDRipperDlg& main = Start(WriteDiscImage(root_.string(), {{AudioTrackSectors(75)}}, "disc"));
  ASSERT_TRUE(
      gui_test::PumpUntil([&] { return main.StatusTip(1).starts_with("Disc Media State: Recognized"); }));
  const TrackData track{0, 0, 75, 75};
  gui_test::WhenModalShown([&](wxDialog& d) {
    auto& dlg = dynamic_cast<CRippingProgressDlg&>(d);
    gui_test::Click(dlg.GetDlgItem(IDC_RIP_LOG));
    ASSERT_NE(LogWindow, nullptr);
    EXPECT_TRUE(LogWindow->IsShown());
    EXPECT_TRUE(gui_test::PumpUntil([&] { return Title(dlg) == "Finished Copying"; }));
    dlg.EndDialog(0);
  });
  EXPECT_EQ(RunRippingProgress(&main, {track}, MakeRipJobSettings()), 0);
  EXPECT_TRUE(Logged("Finished copying!"));
  EXPECT_TRUE(fs::exists(root_ / "out"));
}

TEST(RippingProgressFolder, OpenDirFolderIsThePathBeforeItsLastSlashMadeAbsolute) {
  const std::string cwd = fs::current_path().string();
  const std::pair<std::string, std::string> cases[] = {
      {"/music/Artist/Album/01-Song.wav", "/music/Artist/Album"},
      {"/01-Song.wav", "/"},
      {"01-Song.wav", ""},  // nothing written yet, or no folder part
      {"", ""},
      {"-rf/01-Song.wav", cwd + "/-rf"},  // never an option to the file manager
      {"Out dir/a b.mp3", cwd + "/Out dir"},
  };
  for (const auto& [path, folder] : cases)
    EXPECT_EQ(CRippingProgressDlg::OutputFolderOf(path), folder) << path;
}

}  // namespace
