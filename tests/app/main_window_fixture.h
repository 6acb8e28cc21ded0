// A main window in the test process, on disc images, with a home folder of
// its own: a fresh data folder, the ALSA null device for the sound check, and
// message boxes answered by a recorder instead of a person. Also a watch on
// where the window's pop-up menus open.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/menu.h>
#include <wx/timer.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/event_log.h"
#include "app/gui/gui_port.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/main_commands.h"
#include "tests/support/gui/gui_test_support.h"
#include "ui/modal_registry.h"

namespace fs = std::filesystem;

// Every message box the program showed (text, caption), answered with IDOK.
class MessageBoxRecorder {
 public:
  using Boxes = std::vector<std::pair<std::string, std::string>>;
  MessageBoxRecorder() {
    SetMessageBoxResponder([this](const std::string& text, const std::string& caption, uint32_t) {
      std::lock_guard lock(mutex_);
      boxes_.emplace_back(text, caption);
      return IDOK;
    });
  }
  ~MessageBoxRecorder() { SetMessageBoxResponder(nullptr); }
  Boxes Shown() const {
    std::lock_guard lock(mutex_);
    return boxes_;
  }

 private:
  mutable std::mutex mutex_;
  Boxes boxes_;
};

// Where a pop-up menu of `window` appears on the screen: the next one it
// opens is measured once GTK has placed it, then closed. GTK is reached
// through its C functions, as the program's own toolbar style does.
class PopupMenuWatch : public wxTimer {
 public:
  explicit PopupMenuWatch(wxWindow* window) : window_(window) {
    window_->Bind(wxEVT_MENU_OPEN, &PopupMenuWatch::OnOpen, this);
  }
  ~PopupMenuWatch() override { window_->Unbind(wxEVT_MENU_OPEN, &PopupMenuWatch::OnOpen, this); }
  // The menu's outer top-left corner in screen coordinates; unset when none opened.
  std::optional<wxPoint> Origin() const { return origin_; }
  // Runs while the menu is open and placed, before it closes.
  std::function<void(const wxRect& menu)> whileOpen;

 private:
  void OnOpen(wxMenuEvent& event) {
    event.Skip();
    if (event.GetMenu() != nullptr && event.GetMenu()->m_menu != nullptr) {
      menu_ = event.GetMenu()->m_menu;
      Start(10);
    }
  }
  void Notify() override {
    using GetWidget = void* (*)(void*);
    using Origin = int (*)(void*, int*, int*);
    using Size = int (*)(void*);
    using Popdown = void (*)(void*);
    auto toplevel = reinterpret_cast<GetWidget>(dlsym(RTLD_DEFAULT, "gtk_widget_get_toplevel"));
    auto gdkWindow = reinterpret_cast<GetWidget>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
    auto origin = reinterpret_cast<Origin>(dlsym(RTLD_DEFAULT, "gdk_window_get_origin"));
    auto width = reinterpret_cast<Size>(dlsym(RTLD_DEFAULT, "gdk_window_get_width"));
    auto height = reinterpret_cast<Size>(dlsym(RTLD_DEFAULT, "gdk_window_get_height"));
    auto popdown = reinterpret_cast<Popdown>(dlsym(RTLD_DEFAULT, "gtk_menu_popdown"));
    if (!toplevel || !gdkWindow || !origin || !width || !height || !popdown) {
      ADD_FAILURE() << "GTK functions missing";
      Stop();
      return;
    }
    void* window = gdkWindow(toplevel(menu_));
    if (window == nullptr && ++polls_ < kMaxPolls) return;  // not on screen yet
    Stop();
    if (window == nullptr) {
      ADD_FAILURE() << "the menu opened but never reached the screen";
      popdown(menu_);
      return;
    }
    wxPoint at;
    origin(window, &at.x, &at.y);
    origin_ = at;
    if (whileOpen) whileOpen(wxRect(at, wxSize(width(window), height(window))));
    popdown(menu_);
  }

  static constexpr int kMaxPolls = 1000;

  wxWindow* window_;
  void* menu_ = nullptr;
  int polls_ = 0;
  std::optional<wxPoint> origin_;
};

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-main-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "home");
    std::ofstream(root_ / "home" / ".asoundrc") << "pcm.!default { type null }\n";
    ::setenv("HOME", (root_ / "home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root_ / "home" / ".config").c_str(), 1);
    // Album lookups go to a loopback port where nothing listens, never to the
    // default server; a test that wants a server starts one and sets its own.
    ::setenv("QCR_CDDB_SERVER", "127.0.0.1:1", 1);
    // A window of an earlier test has ended, maybe as a session end: the
    // process-wide state its exit left behind must not reach this test.
    ExitInProgress = 0;
    SessionEnding = false;
    // The start-up tip opens a modal window a second after the start; a test
    // that wants it sets TipPending again.
    TipPending = 0;
    ui::RefuseModalDialogs(false);
  }

  void TearDown() override {
    if (dialog_ != nullptr) {
      if (dialog_->ProcessExitCode() < 0) dialog_->OnSessionEnd();
      dialog_->Destroy();
      dialog_ = nullptr;
    }
    gui_test::PumpEvents();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path DataFolder() const { return root_ / "home" / ".config" / "Quarno CD Ripper Free"; }

  // Writes the settings file the program reads at start-up.
  void WriteSettings(const std::string& text) {
    fs::create_directories(DataFolder());
    std::ofstream(DataFolder() / "Quarno CD Ripper.ini") << text;
  }

  // Makes the main window on the drives `drives` (QCR_DRIVES) and runs its
  // start-up; the window is shown.
  CQuarnoCDRipperDlg& Start(const std::string& drives) {
    ::setenv("QCR_DRIVES", drives.c_str(), 1);
    dialog_ = new CQuarnoCDRipperDlg(nullptr);
    EXPECT_TRUE(dialog_->Create());
    if (dialog_->ProcessExitCode() < 0) dialog_->Show();
    return *dialog_;
  }

  // Waits until the disc status pane's tip is "Disc Media State: " + `text`
  // and no refresh is running.
  bool WaitForDiscStatus(const std::string& text) {
    const std::string tip = "Disc Media State: " + text;
    return gui_test::PumpUntil([&] {
      return dialog_->StatusTip(1) == tip && dialog_->Worker() != nullptr &&
             dialog_->Worker()->QueuedActions() == 0 && Busy.load() == 0;
    });
  }

  // The texts of the event log's entries, in order.
  static std::vector<std::string> LogTexts() {
    std::vector<std::string> texts;
    for (const CLogItem& item : AppEventLog().LogEntries()) texts.push_back(item.Text);
    return texts;
  }
  static bool Logged(const std::string& text) { return std::ranges::count(LogTexts(), text) > 0; }

  fs::path root_;
  CQuarnoCDRipperDlg* dialog_ = nullptr;
  MessageBoxRecorder boxes_;
};
