// The placement store on real windows. The virtual display has no window
// manager, so only what the X server itself honours is checked: position and
// size, the screen list, and a placement moved back onto the screen.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <wx/frame.h>

#include <filesystem>

#include "tests/support/gui/gui_test_support.h"
#include "ui/core/profile_store.h"
#include "ui/window_placement_store.h"

namespace {

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
  EXPECT_TRUE(gui_test::PumpUntil([&] { return RectIs(frame, expected); }));
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

}  // namespace
