// The main window in the test process: its start-up on image drives and on
// none, the disc refresh outcomes as the status bar shows them, the tray
// commands, the busy rule of the exit, and what closing the window saves.
#include <fmt/printf.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <wx/app.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/drives.h"
#include "app/gui/about_dlg.h"
#include "app/gui/exit_signals.h"
#include "app/gui/tip_dlg.h"
#include "app/main_commands.h"
#include "app/settings.h"
#include "cddb/disc_id.h"
#include "res/main_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/disc_image.h"
#include "ui/core/control_ids.h"

namespace {

// The status text of an audio disc, computed here from the image's layout.
std::string RecognizedText(const DiscImageLayout& layout) {
  std::vector<CCDDBTrackPosition> positions;
  auto add = [&](int32_t lba) {
    const int32_t frame = lba + 150;
    positions.push_back({frame / 4500, frame % 4500 / 75, frame % 75});
  };
  for (const DiscImageTrackLayout& track : layout.Tracks) add(track.StartLBA);
  add(layout.LeadOutLBA);
  const int32_t lba = layout.LeadOutLBA;
  const int ms = static_cast<int>((lba % 75) / 75.0 * 1000 + 0.5);
  return fmt::sprintf("Recognized Audio CD: %08x  Length: %02d:%02d.%03d", ComputeDiscID(positions),
                      lba / 4500, lba % 4500 / 75, ms);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class MainWindowGui : public MainWindowTest {
 protected:
  std::string MakeImage(const DiscImageSpec& disc, const std::string& name = "disc") {
    layout_ = LayoutOf(disc);
    return WriteDiscImage(root_.string(), disc, name);
  }
  static DiscImageSpec MixedDisc() { return {{AudioTrack(5), AudioTrack(7), DataTrack(3)}}; }

  DiscImageLayout layout_;
};

// Index of `text` in `texts` at or after `from`; npos when missing.
size_t IndexOf(const std::vector<std::string>& texts, const std::string& text, size_t from = 0) {
  for (size_t i = from; i < texts.size(); ++i) {
    if (texts[i] == text) return i;
  }
  return std::string::npos;
}

TEST_F(MainWindowGui, StartUpLogsItsStepsInOrder) {
  const std::string cue = MakeImage(MixedDisc());
  CQuarnoCDRipperDlg& dlg = Start(cue);
  ASSERT_TRUE(WaitForDiscStatus(RecognizedText(layout_)));

  const std::vector<CLogItem> entries = AppEventLog().LogEntries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(entries[0].Text, "Launching Quarno CD Ripper...");
  EXPECT_EQ(entries[0].Number, 0);

  // The GUI thread's lines in start-up order; the worker's lines may come in between.
  const std::string drive = cue + "  QCR Disc image 1.0  ";
  const std::vector<std::string> expected = {
      "Initializing main dialog...",         "Initializing CD-drives...", "Find drive \"" + drive + "\"",
      "Set drive " + drive + " as current.", "Set audio format: MP3.",    "Initialization finished."};
  const std::vector<std::string> texts = LogTexts();
  size_t at = 0;
  for (const std::string& line : expected) {
    const size_t found = IndexOf(texts, line, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line;
    at = found + 1;
  }
  EXPECT_NE(IndexOf(texts, "Refreshing CD..."), std::string::npos);
  EXPECT_TRUE(boxes_.Shown().empty()) << boxes_.Shown().front().first;

  // The drive is listed, selected and checked in the Drive(s) menu.
  ASSERT_EQ(dlg.DriveCombo()->GetCount(), 1u);
  EXPECT_EQ(dlg.DriveCombo()->GetString(0).utf8_string(), drive);
  EXPECT_EQ(dlg.DriveCombo()->GetSelection(), 0);
  ASSERT_EQ(dlg.DrivesMenu()->GetMenuItemCount(), 1u);
  wxMenuItem* item = dlg.DrivesMenu()->FindItemByPosition(0);
  EXPECT_EQ(item->GetItemLabelText().utf8_string(), "Drive  " + cue);
  EXPECT_EQ(item->GetId(), ui::WxId(res::ID_DRIVE_FIRST));
  EXPECT_TRUE(item->IsChecked());
  // The Format item of the File menu gave way to the toolbar button.
  EXPECT_EQ(dlg.GetMenuBar()->FindItem(ui::WxId(res::ID_FORMAT_BUTTON)), nullptr);
}

TEST_F(MainWindowGui, ImageRefreshStatesAndDriveChanges) {
  const std::string mixed = MakeImage(MixedDisc());
  const std::string text = RecognizedText(layout_);
  CQuarnoCDRipperDlg& dlg =
      Start(mixed + ":" + MakeImage({{DataTrack(4)}}, "data") + ":" + (root_ / "absent.cue").string());
  ASSERT_TRUE(WaitForDiscStatus(text));
  EXPECT_EQ(dlg.DriveCombo()->GetString(0).utf8_string().rfind(mixed, 0), 0u);  // drive order, not sorted
  EXPECT_EQ(dlg.StatusBar()->GetStatusText(1).utf8_string(), " " + text);
  EXPECT_EQ(dlg.StatusTip(2), "Output Audio Format: MP3:  CBR 128 kbps; 44100 Hz; Joint Stereo;");
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.TrackList()->GetItemCount() == 3; }));
  EXPECT_EQ(dlg.TrackList()->GetItemText(2, 2).utf8_string(), "Data Track");
  EXPECT_EQ(dlg.TrackList()->GetItemText(0, 4).utf8_string(), "00:05.000");
  EXPECT_TRUE(dlg.DriveCombo()->IsEnabled());

  // The Drive(s) menu changes the current drive.
  wxCommandEvent menu(wxEVT_MENU, ui::WxId(res::ID_DRIVE_FIRST + 1));
  dlg.ProcessWindowEvent(menu);
  ASSERT_TRUE(WaitForDiscStatus(" Not an Audio CD"));
  EXPECT_EQ(dlg.StatusBar()->GetStatusText(1).utf8_string(), "  Not an Audio CD");
  EXPECT_EQ(dlg.DriveCombo()->GetSelection(), 1);
  EXPECT_TRUE(dlg.DrivesMenu()->FindItemByPosition(1)->IsChecked());
  EXPECT_TRUE(Logged("Set drive " + DriveDescription(1) + " as current."));

  // So does the combo box.
  dlg.DriveCombo()->SetSelection(2);
  wxCommandEvent change(wxEVT_COMBOBOX, dlg.DriveCombo()->GetId());
  change.SetEventObject(dlg.DriveCombo());
  dlg.DriveCombo()->GetEventHandler()->ProcessEvent(change);
  ASSERT_TRUE(WaitForDiscStatus("No Disc"));
  EXPECT_TRUE(dlg.DrivesMenu()->FindItemByPosition(2)->IsChecked());
  EXPECT_EQ(DriveNum, 2);
  EXPECT_EQ(dlg.TrackList()->GetItemCount(), 0);
  EXPECT_EQ(dlg.ProcessExitCode(), -1);
}

TEST_F(MainWindowGui, NoDriveEndsWithCodeOneAndSavesNothing) {
  CQuarnoCDRipperDlg& dlg = Start(":");
  EXPECT_EQ(dlg.ProcessExitCode(), 1);
  EXPECT_TRUE(Logged("CD drives not found !"));
  EXPECT_EQ(boxes_.Shown(), (MessageBoxRecorder::Boxes{{kNoDrivesText, kNoDrivesCaption}}));
  EXPECT_FALSE(Logged("Initialization finished."));
  // The empty settings file of a first start exists, but nothing was saved into it.
  EXPECT_EQ(ReadFile(DataFolder() / "Quarno CD Ripper.ini"), "");
}

TEST_F(MainWindowGui, VirtualTrayRefreshesTheDiscAndKeysLeaveTheWindowOpen) {
  CQuarnoCDRipperDlg& dlg = Start(MakeImage(MixedDisc()));
  const std::string recognized = RecognizedText(layout_);
  ASSERT_TRUE(WaitForDiscStatus(recognized));

  dlg.OnEject();
  ASSERT_TRUE(WaitForDiscStatus("No Disc"));
  EXPECT_TRUE(Logged("Eject disc."));
  EXPECT_EQ(dlg.TrackList()->GetItemCount(), 0);

  dlg.OnCloseTray();
  ASSERT_TRUE(WaitForDiscStatus(recognized));
  EXPECT_TRUE(Logged("Insert disc."));
  EXPECT_EQ(dlg.TimeLabel()->GetLabel(), "00:00");

  gui_test::PressKey(&dlg, WXK_ESCAPE);
  gui_test::PressKey(&dlg, WXK_RETURN);
  gui_test::PumpEvents();
  EXPECT_EQ(dlg.ProcessExitCode(), -1);
  EXPECT_TRUE(dlg.IsShown());
}

TEST_F(MainWindowGui, CommandsWaitWhileARefreshRuns) {
  CQuarnoCDRipperDlg& dlg = Start(MakeImage(MixedDisc()));
  ASSERT_TRUE(WaitForDiscStatus(RecognizedText(layout_)));

  // A lookup that holds the refresh until the test lets it go.
  std::atomic<bool> release{false};
  std::atomic<bool> entered{false};
  dlg.Worker()->SetAlbumLookup([&](MainWindowPort&, std::stop_token stop) {
    entered = true;
    while (!release && !stop.stop_requested()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  });
  dlg.OnRefresh();
  // The window hears of the busy refresh through its queue.
  ASSERT_TRUE(gui_test::PumpUntil([&] { return entered.load() && !dlg.DriveCombo()->IsEnabled(); }));
  ASSERT_EQ(Busy.load(), 1);
  EXPECT_FALSE(dlg.DrivesMenu()->FindItemByPosition(0)->IsEnabled());

  dlg.Close();  // the close box: nothing happens while the refresh runs
  dlg.OnEject();
  gui_test::PumpEvents();
  EXPECT_EQ(dlg.ProcessExitCode(), -1);
  EXPECT_EQ(ExitInProgress.load(), 0);

  release = true;
  ASSERT_TRUE(gui_test::PumpUntil([&] { return Busy.load() == 0 && dlg.DriveCombo()->IsEnabled(); }));
  EXPECT_TRUE(dlg.DrivesMenu()->FindItemByPosition(0)->IsEnabled());
  EXPECT_FALSE(Logged("Eject disc."));  // the eject asked for while busy was refused
  dlg.Close();
  EXPECT_EQ(dlg.ProcessExitCode(), 0);
}

TEST_F(MainWindowGui, ClosingSavesSettingsAndPlacementOnce) {
  WriteSettings("[MISC]\nDriveCount=3\nDriveNum=2\n");
  CQuarnoCDRipperDlg& dlg = Start(MakeImage(MixedDisc()));
  ASSERT_TRUE(WaitForDiscStatus(RecognizedText(layout_)));
  dlg.SetSize(40, 30, 900, 600);
  gui_test::PumpEvents();

  dlg.Close();
  EXPECT_EQ(dlg.ProcessExitCode(), 0);
  const std::string ini = ReadFile(DataFolder() / "Quarno CD Ripper.ini");
  // Three drives were saved, one is found: the first drive is current and counted.
  EXPECT_NE(ini.find("DriveCount=1"), std::string::npos) << ini;
  EXPECT_NE(ini.find("DriveNum=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("OutputFormat=2"), std::string::npos) << ini;
  std::string profile;
  for (const auto& entry : fs::directory_iterator(DataFolder())) {
    if (entry.path().extension() == ".profile") profile = ReadFile(entry.path());
  }
  EXPECT_NE(profile.find("{F2E2C5E4-3803-4791-813A-DED9CD2E2815}="), std::string::npos) << profile;

  // A second close (or a signal) after the exit changes nothing.
  fs::remove(DataFolder() / "Quarno CD Ripper.ini");
  dlg.OnExit();
  dlg.OnSessionEnd();
  EXPECT_FALSE(fs::exists(DataFolder() / "Quarno CD Ripper.ini"));
}

TEST_F(MainWindowGui, SessionEndAnswersAnOpenMessageBox) {
  CQuarnoCDRipperDlg& dlg = Start(MakeImage(MixedDisc()));
  ASSERT_TRUE(WaitForDiscStatus(RecognizedText(layout_)));
  SetMessageBoxResponder(nullptr);  // a real box this time
  gui_test::WhenModalShown([&](wxDialog&) { dlg.OnSessionEnd(); });
  const int answer = ShowMessageBox(&dlg, "Waiting for the user", "", MB_OKCANCEL);
  EXPECT_EQ(answer, IDCANCEL);
  // The exit sequence follows once the box has returned.
  EXPECT_TRUE(gui_test::PumpUntil([&] { return dlg.ProcessExitCode() == 0; }));
}

// The window runs as the program runs it, until its exit; a session-ending
// signal arrives while message boxes are open above it. Every box is
// answered and the window's run ends, after one signal.
TEST_F(MainWindowGui, OneSignalEndsTheRunWhateverBoxIsOpen) {
  enum class Box { kOurs, kToolkits };
  struct Row {
    const char* name;
    std::vector<Box> boxes;  // opened in this order, each above the one before
  };
  const Row rows[] = {
      {"our message box", {Box::kOurs}},
      {"the toolkit's own message box", {Box::kToolkits}},
      {"the toolkit's box above ours", {Box::kOurs, Box::kToolkits}},
      {"our box above ours", {Box::kOurs, Box::kOurs}},
  };
  InstallExitSignalHandlers();
  const std::string cue = MakeImage(MixedDisc());
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    ::setenv("QCR_DRIVES", cue.c_str(), 1);
    SetMessageBoxResponder(nullptr);
    dialog_ = new CQuarnoCDRipperDlg(nullptr);
    std::vector<int> answers;
    // Opens box `i`, and the next one from inside its loop; the last one
    // brings the signal.
    std::function<void(size_t)> open = [&](size_t i) {
      if (i + 1 < row.boxes.size()) {
        wxTheApp->CallAfter([&, i] { open(i + 1); });
      } else {
        wxTheApp->CallAfter([] { ::raise(SIGTERM); });
      }
      if (row.boxes[i] == Box::kOurs) {
        answers.push_back(ShowMessageBox(dialog_, "Box " + std::to_string(i), "", MB_OKCANCEL));
      } else {
        answers.push_back(wxMessageBox("Box " + std::to_string(i), "Toolkit", wxOK | wxCANCEL, dialog_));
      }
    };
    dialog_->Bind(wxEVT_SHOW, [&](wxShowEvent& event) {
      event.Skip();
      if (event.IsShown() && answers.empty()) wxTheApp->CallAfter([&] { open(0); });
    });
    dialog_->DoModal();  // returns once the run has ended
    EXPECT_EQ(dialog_->ProcessExitCode(), 0);
    EXPECT_EQ(answers.size(), row.boxes.size());
    TearDown();
  }
  ::signal(SIGTERM, SIG_DFL);
  ::signal(SIGHUP, SIG_DFL);
}

TEST_F(MainWindowGui, FormatMenuOpensUnderTheFormatButton) {
  CQuarnoCDRipperDlg& dlg = Start(MakeImage(MixedDisc()));
  ASSERT_TRUE(WaitForDiscStatus(RecognizedText(layout_)));
  ASSERT_TRUE(gui_test::PumpUntil([&] { return dlg.MainToolBar()->IsShownOnScreen(); }));
  PopupMenuWatch watch(&dlg);
  dlg.OnFormatButton();
  ASSERT_TRUE(watch.Origin().has_value()) << "no menu opened";

  // The buttons are alike and packed from the left: the fourth, Format, is
  // the fourth ninth of the row.
  wxToolBar* bar = dlg.MainToolBar();
  const wxPoint barOrigin = bar->ClientToScreen(wxPoint(0, 0));
  const int pitch = bar->GetBestSize().x / static_cast<int>(res::kMainToolButtons.size());
  const int left = watch.Origin()->x - barOrigin.x;
  const int top = watch.Origin()->y - barOrigin.y;
  EXPECT_GE(left, 3 * pitch - 2);
  EXPECT_LT(left, 3 * pitch + pitch / 3);
  // Its top at the button's lower edge, which lies a little above the bar's.
  EXPECT_GE(top, bar->GetSize().y * 3 / 4);
  EXPECT_LE(top, bar->GetSize().y + 2);
}

TEST_F(MainWindowGui, SavedDriveIsSelectedWhenTheDriveCountIsUnchanged) {
  WriteSettings("[MISC]\nDriveCount=2\nDriveNum=1\n");
  CQuarnoCDRipperDlg& dlg =
      Start(MakeImage({{AudioTrack(3)}}, "audio") + ":" + MakeImage({{DataTrack(5)}}, "data"));
  ASSERT_TRUE(WaitForDiscStatus(" Not an Audio CD"));
  EXPECT_EQ(dlg.DriveCombo()->GetSelection(), 1);
  EXPECT_TRUE(dlg.DrivesMenu()->FindItemByPosition(1)->IsChecked());
  EXPECT_FALSE(dlg.DrivesMenu()->FindItemByPosition(0)->IsChecked());
  EXPECT_EQ(DriveNum, 1);
}

// The start-up tip that comes due while another modal window is open (a
// message box, the match chooser) waits, and opens once that window is gone.
TEST_F(MainWindowGui, StartUpTipWaitsForAnOpenModalWindow) {
  WriteSettings("[MISC]\nTip=1\n[FREEDB]\nLoadAlbumInfo=0\n");
  CQuarnoCDRipperDlg& dlg = Start(MakeImage(MixedDisc()));
  ASSERT_TRUE(WaitForDiscStatus(RecognizedText(layout_)));
  bool tipShown = false;
  OnCommandDialog<CAboutDlg>(res::ID_HELP_ABOUT, [&](CAboutDlg& about) {
    TipPending = 1;
    {
      gui_test::NoModalExpected none;
      wxTimer timer(&dlg, CQuarnoCDRipperDlg::kTipTimer);
      wxTimerEvent due(timer);
      dlg.ProcessWindowEvent(due);
    }
    EXPECT_EQ(TipPending.load(), 1);
    gui_test::WhenModalShown(
        [&](wxDialog& tip) {
          tipShown = true;
          dynamic_cast<CTipDlg&>(tip).EndDialog(IDCANCEL);
        },
        [](wxDialog& d) { return dynamic_cast<CTipDlg*>(&d) != nullptr; });
    about.EndDialog(IDOK);
  });
  EXPECT_TRUE(gui_test::PumpUntil([&] { return tipShown; }));
  EXPECT_EQ(TipPending.load(), 0);
}

}  // namespace
