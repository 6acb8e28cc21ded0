// The log window and the status bar: rows and colours of the entries, Clear,
// hiding, the Description column's width, the window's placement; the status
// panes with their tips and edges; the Format button and its menu items.
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <thread>

#include "app/gui/font_scale.h"
#include "app/gui/log_dlg.h"
#include "app/settings.h"
#include "res/main_dialog.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/disc_image.h"
#include "ui/core/control_ids.h"

namespace {

class LogWindowGui : public MainWindowTest {
 protected:
  CQuarnoCDRipperDlg& StartOnDisc() {
    CQuarnoCDRipperDlg& dlg = Start(WriteDiscImage(root_.string(), {{AudioTrack(3)}}, "disc"));
    EXPECT_TRUE(gui_test::PumpUntil([] { return Logged("Initialization finished."); }));
    return dlg;
  }
  // Waits until the log window lists as many rows as the log holds entries.
  static bool WaitForRows() {
    return gui_test::PumpUntil(
        [] { return static_cast<size_t>(LogWindow->List()->GetItemCount()) == AppEventLog().Size(); });
  }
};

TEST_F(LogWindowGui, ListsEveryEntryWithNumberTimeAndColour) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  dlg.OnViewLog();
  ASSERT_NE(LogWindow, nullptr);
  EXPECT_TRUE(LogWindow->IsShown());
  EXPECT_EQ(LogWindow->GetTitle(), "Log");
  CLogListCtrl* list = LogWindow->List();
  ASSERT_TRUE(WaitForRows());
  EXPECT_EQ(list->GetItemText(0, 1), "#000");
  EXPECT_EQ(list->GetItemText(0, 3), "Launching Quarno CD Ripper...");
  EXPECT_EQ(list->GetItemText(1, 1), "#001");
  EXPECT_EQ(list->GetItemText(1, 2).size(), 8u);  // hh:mm:ss

  // Entries that arrive while the window is open become rows, from any thread.
  std::thread worker([] { AppEventLog().AddLog("From the worker", LogError); });
  worker.join();
  dlg.AddLog("Fatal here", LogFatal);
  dlg.AddLog("Odd level", 7);
  ASSERT_TRUE(WaitForRows());
  const long count = list->GetItemCount();
  EXPECT_EQ(list->GetItemText(count - 3, 3), "From the worker");

  wxColour text, back;
  ASSERT_TRUE(LogLevelColours(LogError, text, back));
  EXPECT_EQ(text, wxColour(0x80, 0x80, 0x00));
  EXPECT_EQ(back, wxColour(0xFF, 0xFF, 0x86));
  ASSERT_TRUE(LogLevelColours(LogFatal, text, back));
  EXPECT_EQ(text, wxColour(0xFF, 0x00, 0x00));
  EXPECT_EQ(back, wxColour(0xFF, 0xAF, 0x96));
  ASSERT_TRUE(LogLevelColours(LogInfo, text, back));
  EXPECT_EQ(text, wxColour(0x00, 0x82, 0x21));
  EXPECT_EQ(back, wxColour(0x59, 0xFF, 0xAC));
  EXPECT_FALSE(LogLevelColours(7, text, back));
  EXPECT_FALSE(LogLevelColours(-1, text, back));

  // The status bar's first pane follows the newest entry.
  EXPECT_TRUE(gui_test::PumpUntil([&] {
    return dlg.StatusBar()->GetStatusText(0).utf8_string().find("Odd level") != std::string::npos;
  }));
  const std::string pane = dlg.StatusBar()->GetStatusText(0).utf8_string();
  EXPECT_EQ(pane.substr(0, 3), "  #");
  EXPECT_EQ(dlg.StatusTip(0).substr(0, 13), "Last Event: #");
}

TEST_F(LogWindowGui, LinesFromManyThreadsAtOnceAreAllKeptInNumberOrder) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  ASSERT_TRUE(gui_test::PumpUntil([] { return Busy.load() == 0; }));
  dlg.OnViewLog();
  const size_t before = AppEventLog().Size();
  constexpr int kThreads = 4;
  constexpr int kLines = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&dlg, t] {
      for (int i = 0; i < kLines; ++i)
        dlg.AddLog("thread " + std::to_string(t) + " line " + std::to_string(i), LogInfo);
    });
  }
  for (std::thread& t : threads) t.join();
  ASSERT_EQ(AppEventLog().Size(), before + kThreads * kLines);
  ASSERT_TRUE(WaitForRows());
  const std::vector<CLogItem> entries = AppEventLog().LogEntries();
  for (size_t i = 1; i < entries.size(); ++i) EXPECT_EQ(entries[i].Number, entries[i - 1].Number + 1);
  const long last = LogWindow->List()->GetItemCount() - 1;
  EXPECT_EQ(LogWindow->List()->GetItemText(last, 1), wxString::Format("#%03d", entries.back().Number));
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

TEST_F(LogWindowGui, OkEscapeAndCloseBoxOnlyHideIt) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  dlg.OnViewLog();
  CLogDlg* window = LogWindow;
  gui_test::Click(window->GetDlgItem(res::IDC_LOG_OK));
  EXPECT_FALSE(window->IsShown());
  dlg.OnViewLog();
  EXPECT_EQ(LogWindow, window);  // the same window comes back
  EXPECT_TRUE(window->IsShown());
  gui_test::PressKey(window, WXK_ESCAPE);
  EXPECT_FALSE(window->IsShown());
  dlg.OnViewLog();
  window->Close();
  EXPECT_FALSE(window->IsShown());
  dlg.OnViewLog();
  gui_test::PressKey(window, WXK_RETURN);
  EXPECT_FALSE(window->IsShown());
  EXPECT_EQ(dlg.ProcessExitCode(), -1);
}

TEST_F(LogWindowGui, DescriptionNarrowsForAScrollBarAndPlacementIsKept) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  for (int i = 0; i < 30; ++i) dlg.AddLog("Entry " + std::to_string(i), LogInfo);
  dlg.OnViewLog();
  ASSERT_TRUE(WaitForRows());
  EXPECT_GE(LogWindow->List()->GetItemCount(), 30);
  EXPECT_EQ(LogWindow->List()->GetColumnWidth(3), ScaleForFont(LogWindow->BaseUnits(), 461));
  EXPECT_EQ(LogWindow->List()->GetColumnWidth(0), 0);

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

TEST_F(LogWindowGui, FewEntriesGetTheWideDescription) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  AppEventLog().Clear();
  dlg.OnViewLog();
  EXPECT_EQ(LogWindow->List()->GetColumnWidth(3), ScaleForFont(LogWindow->BaseUnits(), 478));
}

TEST_F(LogWindowGui, StatusPanesSplitAtAThirdAndTwoThirds) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  dlg.SetSize(1000, 600);
  gui_test::PumpEvents();
  wxStatusBar* bar = dlg.StatusBar();
  ASSERT_EQ(bar->GetFieldsCount(), 3);
  const int width = bar->GetClientSize().x;
  EXPECT_EQ(bar->GetStatusWidth(0), static_cast<int>(width * 0.35));
  EXPECT_EQ(bar->GetStatusWidth(1), static_cast<int>(width * 0.65) - static_cast<int>(width * 0.35));
  EXPECT_EQ(bar->GetSize().y, res::kStatusBarHeight);
  EXPECT_EQ(bar->GetPosition().y + bar->GetSize().y, dlg.Surface()->GetClientSize().y);

  dlg.SetStatusText(kStatusDiscMedia, "No Disc");
  EXPECT_EQ(bar->GetStatusText(1), " No Disc");
  EXPECT_EQ(dlg.StatusTip(1), "Disc Media State: No Disc");
  dlg.SetStatusText(kStatusOutputFormat, "X");
  EXPECT_EQ(bar->GetStatusText(2), "  X");
  dlg.SetStatusText(0, "ignored");
  dlg.SetStatusText(4, "ignored");
  EXPECT_EQ(bar->GetStatusText(1), " No Disc");
  EXPECT_EQ(bar->GetStatusText(2), "  X");
  // From another thread the text arrives through the GUI thread.
  std::thread([&] { dlg.SetStatusText(kStatusDiscMedia, "From a worker"); }).join();
  EXPECT_TRUE(gui_test::PumpUntil([&] { return bar->GetStatusText(1) == " From a worker"; }));
}

TEST_F(LogWindowGui, FormatButtonAndMenuFollowTheOutputFormat) {
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
  EXPECT_TRUE(wav.GetEnabled());
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
}

TEST_F(LogWindowGui, ToolbarsCarryTheirCommandsAndTips) {
  CQuarnoCDRipperDlg& dlg = StartOnDisc();
  ASSERT_EQ(dlg.MainToolBar()->GetToolsCount(), res::kMainToolButtons.size());
  ASSERT_EQ(dlg.PlayerToolBar()->GetToolsCount(), res::kPlayerToolButtons.size());
  for (size_t i = 0; i < res::kMainToolButtons.size(); ++i) {
    const wxToolBarToolBase* tool = dlg.MainToolBar()->GetToolByPos(static_cast<int>(i));
    EXPECT_EQ(ui::ProgramId(tool->GetId()), res::kMainToolButtons[i].command);
    EXPECT_FALSE(tool->GetShortHelp().empty());
  }
  EXPECT_EQ(dlg.MainToolBar()->GetToolShortHelp(ui::WxId(res::ID_PLAY_REFRESH)),
            "Re-read the disc and refresh the tracklist view ");
  EXPECT_EQ(dlg.PlayerToolBar()->GetToolShortHelp(ui::WxId(res::ID_PLAY_EJECT)),
            "Eject the current CD drive tray ");
  EXPECT_EQ(dlg.VolumeSlider()->GetMax(), 100);
  EXPECT_EQ(dlg.SeekSlider()->GetMax(), 1000);
  EXPECT_EQ(dlg.VolumeSlider()->GetValue(), static_cast<int>(Volume));
  // The seek slider works only while a track plays.
  dlg.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_FALSE(dlg.SeekSlider()->IsEnabled());
  dlg.Playing = 1;
  dlg.UpdateWindowUI(wxUPDATE_UI_RECURSE);
  EXPECT_TRUE(dlg.SeekSlider()->IsEnabled());
  dlg.Playing = 0;
  EXPECT_EQ(dlg.TrackList()->GetColumnCount(), 7);
  wxListItem heading;
  heading.SetMask(wxLIST_MASK_TEXT);
  ASSERT_TRUE(dlg.TrackList()->GetColumn(0, heading));
  EXPECT_EQ(heading.GetText(), "     #");
}

}  // namespace
