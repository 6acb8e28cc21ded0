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
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/event_log.h"
#include "app/gui/gui_port.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/ripping_progress_dlg.h"
#include "app/main_commands.h"
#include "res/main_dialog.h"
#include "tests/support/cddb_server.h"
#include "tests/support/disc_image.h"
#include "tests/support/gui/gui_test_support.h"
#include "ui/core/control_ids.h"
#include "ui/modal_registry.h"

namespace fs = std::filesystem;

// Every message box the program showed, answered from a script (IDOK once it
// runs out, or what `answerer` says) instead of by a person; `during` runs
// while a box is up.
class MessageBoxRecorder {
 public:
  using Boxes = std::vector<std::pair<std::string, std::string>>;
  MessageBoxRecorder() { Install(); }
  ~MessageBoxRecorder() { SetMessageBoxResponder(nullptr); }
  void Install() {
    SetMessageBoxResponder([this](const std::string& text, const std::string& caption, uint32_t style) {
      std::lock_guard lock(mutex_);
      boxes_.emplace_back(text, caption);
      styles_.push_back(style);
      if (during) during();
      if (answerer) return answerer(text);
      if (answers_.empty()) return IDOK;
      const int answer = answers_.front();
      answers_.pop_front();
      return answer;
    });
  }
  void Script(std::initializer_list<int> answers) {
    std::lock_guard lock(mutex_);
    answers_.assign(answers);
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    boxes_.clear();
    styles_.clear();
  }
  // (text, caption) of each box, in order.
  Boxes Shown() const {
    std::lock_guard lock(mutex_);
    return boxes_;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : Shown()) texts.push_back(box.first);
    return texts;
  }
  uint32_t Style(size_t index) const {
    std::lock_guard lock(mutex_);
    return styles_.at(index);
  }

  std::function<int(const std::string& text)> answerer;
  std::function<void()> during;

 private:
  mutable std::mutex mutex_;
  Boxes boxes_;
  std::vector<uint32_t> styles_;
  std::deque<int> answers_;
};

// The texts of the event log's entries, in order.
inline std::vector<std::string> LogTexts() {
  std::vector<std::string> texts;
  for (const CLogItem& item : AppEventLog().LogEntries()) texts.push_back(item.Text);
  return texts;
}
inline bool Logged(const std::string& text) { return std::ranges::count(LogTexts(), text) > 0; }

inline std::string FileText(const fs::path& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// The demo disc (made by qcr-demo-disc) and a loopback CDDB server, set as the
// program's, that knows its album; with `rivals` the server also offers as
// many other albums for it.
class DemoServer {
 public:
  DemoServer(const fs::path& root, int rivals = 0) {
    const fs::path tool = fs::canonical("/proc/self/exe").parent_path() / "qcr-demo-disc";
    const std::string command =
        "'" + tool.string() + "' '" + (root / "image").string() + "' '" + (root / "records").string() + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    char line[512] = {};
    if (pipe != nullptr && std::fgets(line, sizeof line, pipe) != nullptr)
      cue = std::string(line, std::strcspn(line, "\n"));
    if (pipe != nullptr) ::pclose(pipe);
    for (const auto& record : fs::recursive_directory_iterator(root / "records")) {
      if (!record.is_regular_file()) continue;
      const std::string text = FileText(record.path());
      for (int i = 1; i <= rivals; ++i) {
        const fs::path other = root / "records" / ("rival" + std::to_string(i)) / record.path().filename();
        fs::create_directories(other.parent_path());
        std::ofstream(other) << std::regex_replace(text, std::regex("Demo Disc"),
                                                   "Demo Disc (Take " + std::to_string(i + 1) + ")");
      }
      break;
    }
    server = std::make_unique<CddbLoopbackServer>((root / "records").string());
    server->Start();
    ::setenv("QCR_CDDB_SERVER", ("127.0.0.1:" + std::to_string(server->Port())).c_str(), 1);
  }
  std::string cue;
  std::unique_ptr<CddbLoopbackServer> server;
};

// A desktop handler in place of xdg-open, first on PATH while this lives: each
// start appends one line, its argument count then each argument in brackets.
class DesktopStandIn {
 public:
  explicit DesktopStandIn(const fs::path& dir) : record_(dir / "opened.log") {
    fs::create_directories(dir / "bin");
    std::ofstream(dir / "bin" / "xdg-open")
        << "#!/bin/sh\nline=\"$#\"\nfor a in \"$@\"; do line=\"$line [$a]\"; "
           "done\necho \"$line\" >> '"
        << record_.string() << "'\n";
    fs::permissions(dir / "bin" / "xdg-open", fs::perms::owner_all);
    path_ = getenv("PATH") != nullptr ? getenv("PATH") : "";
    ::setenv("PATH", ((dir / "bin").string() + ":" + path_).c_str(), 1);
  }
  ~DesktopStandIn() { ::setenv("PATH", path_.c_str(), 1); }
  // The whole lines written so far.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    const std::string text = FileText(record_);
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(text.substr(at, end - at));
    return lines;
  }
  // Waits until `count` starts are recorded.
  bool WaitFor(size_t count) const {
    return gui_test::PumpUntil([&] { return Lines().size() >= count; });
  }
  void Forget() const { fs::remove(record_); }

 private:
  fs::path record_;
  std::string path_;
};

using Trace = std::vector<std::string>;

inline std::string Join(const Trace& trace) {
  std::string text;
  for (const std::string& entry : trace) text += (text.empty() ? "" : ", ") + entry;
  return text;
}

// A player that writes down what it is asked to do; it plays while `playing` says so.
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
    return 1000;
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

 private:
  Trace& trace_;
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

  // The window on one disc image with the start-up tip and the album lookup
  // off (plus `settings`), once the list shows the disc's rows.
  CQuarnoCDRipperDlg& StartOnDisc(const DiscImageSpec& disc, const std::string& settings = "") {
    WriteSettings("[MISC]\nTip=0\n[FREEDB]\nLoadAlbumInfo=0\n" + settings);
    CQuarnoCDRipperDlg& dlg = Start(WriteDiscImage(root_.string(), disc));
    const int rows = static_cast<int>(disc.Tracks.size());
    EXPECT_TRUE(
        gui_test::PumpUntil([&] { return dlg.TrackList()->GetItemCount() == rows && Busy.load() == 0; }));
    return dlg;
  }
  void Command(int id) {
    wxCommandEvent event(wxEVT_MENU, ui::WxId(id));
    event.SetEventObject(dialog_);
    dialog_->ProcessWindowEvent(event);
  }
  // Runs command `id` with `action` on the window of class D it opens.
  template <class D>
  void OnCommandDialog(int id, const std::function<void(D&)>& action) {
    bool seen = false;
    gui_test::WhenModalShown([&](wxDialog& d) { seen = true, action(dynamic_cast<D&>(d)); },
                             [](wxDialog& d) { return dynamic_cast<D*>(&d) != nullptr; });
    Command(id);
    EXPECT_TRUE(seen);
  }
  // Rip (`start`: the menu command) with the progress window finished once it
  // says "Finished Copying"; returns its caption by then.
  std::string RipAndFinish(const std::function<void()>& start = {}) {
    std::string caption;
    gui_test::WhenModalShown(
        [&](wxDialog& d) {
          auto& progress = dynamic_cast<CRippingProgressDlg&>(d);
          gui_test::PumpUntil([&] { return progress.GetTitle() == "Finished Copying"; });
          caption = progress.GetTitle().utf8_string();
          gui_test::Click(progress.GetDlgItem(IDCANCEL));  // "Finish"
        },
        [](wxDialog& d) { return dynamic_cast<CRippingProgressDlg*>(&d) != nullptr; });
    if (start)
      start();
    else
      Command(res::ID_OPERATION_RIP);
    return caption;
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

  fs::path root_;
  CQuarnoCDRipperDlg* dialog_ = nullptr;
  MessageBoxRecorder boxes_;
};
