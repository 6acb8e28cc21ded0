// The placement store on real windows, under a real window manager (openbox
// on a display of the program's own): what a user sees when a window comes
// back, and the bytes it leaves when it goes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/frame.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <utility>

#include "app/gui/log_dlg.h"
#include "tests/support/gui/gui_test_support.h"
#include "tests/support/gui/sample_dialogs.h"
#include "ui/core/profile_store.h"
#include "ui/resize_dlg.h"
#include "ui/window_placement_store.h"

namespace {

const gui_test::OwnDisplay kDisplay("1366x768x24", gui_test::OwnDisplay::kWindowManager);

namespace fs = std::filesystem;

class PlacementGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "qcr-placement-gui-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    profile_.SetPath(dir_ + "/test.profile");
  }
  void TearDown() override {
    for (wxFrame* frame : frames_) frame->Destroy();
    gui_test::PumpEvents();
    fs::remove_all(dir_);
  }
  wxFrame* NewFrame() {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "placement", wxPoint(30, 40), wxSize(300, 200));
    frames_.push_back(frame);
    frame->Show();
    gui_test::PumpEvents();
    return frame;
  }
  static bool RectIs(wxFrame* frame, const PlacementRect& r) {
    const wxRect got = frame->GetRect();
    return got.GetLeft() == r.left && got.GetTop() == r.top && got.GetWidth() == r.Width() &&
           got.GetHeight() == r.Height();
  }

  std::string dir_;
  ProfileStore profile_;
  std::vector<wxFrame*> frames_;
};

TEST_F(PlacementGuiTest, ListsScreensAndReadsAndAppliesTheNormalRectangle) {
  const std::vector<PlacementRect> screens = WxPlacementWindow::DisplayScreens();
  ASSERT_FALSE(screens.empty());
  EXPECT_GT(screens.front().Width(), 0);
  EXPECT_GT(screens.front().Height(), 0);
  wxFrame* frame = NewFrame();
  WxPlacementWindow window(frame, false);
  WindowPlacement placement;
  ASSERT_TRUE(window.GetWindowPlacement(placement));
  EXPECT_EQ(placement.showCmd, WindowPlacement::SW_SHOWNORMAL);
  EXPECT_EQ(placement.normalPosition.Width(), frame->GetSize().GetWidth());

  placement.normalPosition = {100, 120, 500, 420};
  ASSERT_TRUE(window.SetWindowPlacement(placement));
  EXPECT_TRUE(gui_test::PumpUntil([&] { return RectIs(frame, placement.normalPosition); }));
  WindowPlacement back;
  ASSERT_TRUE(window.GetWindowPlacement(back));
  EXPECT_EQ(back.normalPosition, placement.normalPosition);
}

TEST_F(PlacementGuiTest, RoundTripThroughTheProfile) {
  const PlacementRect saved{150, 100, 550, 400};
  {
    wxFrame* frame = NewFrame();
    frame->SetSize(wxRect(150, 100, 400, 300));
    ASSERT_TRUE(gui_test::PumpUntil([&] { return RectIs(frame, saved); }));
    WxPlacementWindow window(frame, false);
    WindowPlacementStore store(profile_);
    store.Load(window, kLogDlgPlacementEntry);
    EXPECT_EQ(store.Save(window, kLogDlgPlacementEntry), 1);
  }
  wxFrame* reopened = NewFrame();
  WxPlacementWindow window(reopened, false);
  WindowPlacementStore store(profile_);
  EXPECT_EQ(store.Load(window, kLogDlgPlacementEntry), 1);
  EXPECT_TRUE(gui_test::PumpUntil([&] { return RectIs(reopened, saved); }));
}

TEST_F(PlacementGuiTest, AWindowSavedOffScreenComesBackOnScreen) {
  WindowPlacement lost;
  lost.length = kWindowPlacementSize;
  lost.showCmd = WindowPlacement::SW_SHOWNORMAL;
  lost.normalPosition = {9000, 9000, 9300, 9200};
  ASSERT_TRUE(profile_.WriteProfileBinary(kPlacementSection, kEditCDPlacementEntry, EncodePlacement(lost)));
  wxFrame* frame = NewFrame();
  WxPlacementWindow window(frame, true);
  WindowPlacementStore store(profile_);
  EXPECT_EQ(store.Load(window, kEditCDPlacementEntry), 1);
  const std::vector<PlacementRect> screens = WxPlacementWindow::DisplayScreens();
  ASSERT_FALSE(screens.empty());
  const PlacementRect expected = CentreRectOn(lost.normalPosition, screens.front());
  EXPECT_TRUE(gui_test::PumpUntil([&] { return RectIs(frame, expected); })) << gui_test::RectText(frame->GetRect());
  EXPECT_TRUE(IsRectOnScreens(expected, screens));
}

TEST_F(PlacementGuiTest, AnAdapterWhoseWindowIsGoneFails) {
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "gone");
  WxPlacementWindow window(frame, false);
  frame->Destroy();
  gui_test::PumpEvents();
  WindowPlacement placement;
  EXPECT_FALSE(window.GetWindowPlacement(placement));
  EXPECT_FALSE(window.SetWindowPlacement(placement));
}

// ---- windows that restore their placement while they initialise

// The main window's shape: a resizable frame with a minimum size that loads
// its placement at the end of its initialisation.
class MainLikeFrame : public ui::CResizeFrameDlg {
 public:
  MainLikeFrame() : ui::CResizeFrameDlg(sample::kFrameDialog, nullptr) {}
  WindowPlacementStore store;
  std::unique_ptr<WxPlacementWindow> adapter;

 protected:
  bool OnInitDialog() override {
    ui::CResizeFrameDlg::OnInitDialog();
    AddControls(sample::kResizeAnchors);
    SetMinTrackSize({300, 200});
    adapter = std::make_unique<WxPlacementWindow>(this, false);
    store.Load(*adapter, kMainWindowPlacementEntry);
    return true;
  }
};

enum class Kind { kMain, kLog, kPlain };
using WP = WindowPlacement;
const char* const kEntries[] = {kMainWindowPlacementEntry, kLogDlgPlacementEntry, kEditCDPlacementEntry};

// A window of `kind` opened as the program opens it (the real log window, or
// a plain frame through the store), closed as the program closes it, which
// saves its placement.
class OpenWindow {
 public:
  explicit OpenWindow(Kind kind) {
    if (kind == Kind::kMain) {
      auto* main = new MainLikeFrame;
      EXPECT_TRUE(main->Create());
      window_ = main;
      close_ = [main] {
        main->store.Save(*main->adapter, kMainWindowPlacementEntry);
        main->DestroyWindow();
      };
    } else if (kind == Kind::kLog) {
      auto* log = new CLogDlg(nullptr);
      EXPECT_TRUE(log->Create());
      window_ = log;
      close_ = [log] { log->DestroyWindow(); };
    } else {
      auto* frame = new wxFrame(nullptr, wxID_ANY, "plain");
      auto adapter = std::make_shared<WxPlacementWindow>(frame, false);
      auto store = std::make_shared<WindowPlacementStore>();
      store->Load(*adapter, kEditCDPlacementEntry);
      window_ = frame;
      close_ = [frame, adapter, store] {
        store->Save(*adapter, kEditCDPlacementEntry);
        frame->Destroy();
      };
    }
    window_->Show();
  }
  ~OpenWindow() { Close(); }
  wxTopLevelWindow* operator->() const { return window_; }
  void Close() {
    if (!close_) return;
    std::exchange(close_, nullptr)();
    gui_test::PumpEvents();
  }

 private:
  wxTopLevelWindow* window_ = nullptr;
  std::function<void()> close_;
};

class PlacementUnderWindowManager : public ::testing::Test {
 protected:
  void SetUp() override { AppProfile().SetPath(dir_ / "test.profile"); }
  void TearDown() override { AppProfile().SetPath(""); }

  static void StoreEarlierRun(Kind kind, std::uint32_t showCmd, int showOverride) {
    WP p;
    p.length = kWindowPlacementSize;
    p.showCmd = showCmd;
    p.minPosition = {-1, -1};
    p.maxPosition = {-1, -1};
    p.normalPosition = kSaved;
    ASSERT_TRUE(AppProfile().WriteProfileBinary(kPlacementSection, kEntries[static_cast<int>(kind)], EncodePlacement(p)));
    ASSERT_TRUE(AppProfile().WriteProfileInt(kPlacementSection, "", showOverride));
  }
  static std::vector<std::uint8_t> SavedBytes(Kind kind) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(AppProfile().GetProfileBinary(kPlacementSection, kEntries[static_cast<int>(kind)], bytes));
    return bytes;
  }
  static bool At(const OpenWindow& window, const PlacementRect& r) {
    return !window->IsMaximized() && !window->IsIconized() &&
           window->GetRect() == wxRect(r.left, r.top, r.Width(), r.Height());
  }
  static std::string Describe(const OpenWindow& window) {
    return gui_test::RectText(window->GetRect()) + (window->IsMaximized() ? " maximised" : "") +
           (window->IsIconized() ? " minimised" : "");
  }

  // Where every window saved here must come back (position and outer size).
  static constexpr PlacementRect kSaved{250, 120, 950, 570};
  gui_test::TempDir dir_;
};

// Saved maximised, normal or minimised, a window comes back in that state at
// the saved rectangle, and goes back to the rectangle when it leaves the state.
TEST_F(PlacementUnderWindowManager, RestoredWindowsOpenAtTheirRectangleAndReturnToIt) {
  struct Case {
    Kind kind;
    std::uint32_t saved;
    int showOverride;  // 1 keeps a saved minimised state
  };
  const Case cases[] = {
      {Kind::kMain, WP::SW_SHOWMAXIMIZED, 0}, {Kind::kMain, WP::SW_SHOWNORMAL, 0},
      {Kind::kMain, WP::SW_SHOWMINIMIZED, 1}, {Kind::kMain, WP::SW_SHOWMINIMIZED, 0},
      {Kind::kPlain, WP::SW_SHOWMAXIMIZED, 0}, {Kind::kPlain, WP::SW_SHOWNORMAL, 0},
      {Kind::kLog, WP::SW_SHOWNORMAL, 0},     {Kind::kLog, WP::SW_SHOWMINIMIZED, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("window " + std::to_string(static_cast<int>(c.kind)) + " saved " + std::to_string(c.saved) +
                 " override " + std::to_string(c.showOverride));
    StoreEarlierRun(c.kind, c.saved, c.showOverride);
    OpenWindow window(c.kind);
    if (c.saved == WP::SW_SHOWMAXIMIZED) {
      ASSERT_TRUE(gui_test::PumpUntil([&] { return window->IsMaximized(); })) << Describe(window);
      window->Maximize(false);
    } else if (c.saved == WP::SW_SHOWMINIMIZED && c.showOverride == 1) {
      ASSERT_TRUE(gui_test::PumpUntil([&] { return window->IsIconized(); })) << Describe(window);
      window->Iconize(false);
    }
    EXPECT_TRUE(gui_test::PumpUntil([&] { return At(window, kSaved); })) << Describe(window);
  }
}

// What a window saves is what it was given: three runs in a row leave the
// same bytes, in each show state.
TEST_F(PlacementUnderWindowManager, SaveRestoreSaveKeepsTheBytes) {
  const std::pair<Kind, std::uint32_t> cases[] = {
      {Kind::kMain, WP::SW_SHOWNORMAL}, {Kind::kMain, WP::SW_SHOWMAXIMIZED}, {Kind::kLog, WP::SW_SHOWNORMAL},
      {Kind::kPlain, WP::SW_SHOWNORMAL}, {Kind::kPlain, WP::SW_SHOWMAXIMIZED}};
  for (const auto& [kind, showCmd] : cases) {
    SCOPED_TRACE("window " + std::to_string(static_cast<int>(kind)) + " saved " + std::to_string(showCmd));
    StoreEarlierRun(kind, showCmd, 0);
    const std::vector<std::uint8_t> first = SavedBytes(kind);
    for (int run = 0; run < 3; ++run) {
      OpenWindow window(kind);
      ASSERT_TRUE(gui_test::PumpUntil([&] {
        return showCmd == WP::SW_SHOWMAXIMIZED ? window->IsMaximized() : At(window, kSaved);
      })) << Describe(window);
      gui_test::PumpFrames();
      window.Close();
      EXPECT_EQ(SavedBytes(kind), first) << "run " << run;
    }
  }
  // Closed while minimised: the rectangle it goes back to, and the state.
  StoreEarlierRun(Kind::kMain, WP::SW_SHOWNORMAL, 0);
  {
    OpenWindow window(Kind::kMain);
    ASSERT_TRUE(gui_test::PumpUntil([&] { return At(window, kSaved); })) << Describe(window);
    window->Iconize(true);
    ASSERT_TRUE(gui_test::PumpUntil([&] { return window->IsIconized(); }));
  }
  const std::optional<WindowPlacement> minimised = DecodePlacement(SavedBytes(Kind::kMain));
  ASSERT_TRUE(minimised);
  EXPECT_EQ(minimised->showCmd, WP::SW_SHOWMINIMIZED);
  EXPECT_EQ(minimised->normalPosition, kSaved);
}

}  // namespace
