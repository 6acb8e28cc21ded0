#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include <string>
#include <vector>

#include "tests/support/gui/gui_test_support.h"
#include "ui/hook_wnd.h"

namespace {

wxDEFINE_EVENT(kProbe, wxCommandEvent);

// Notes each probe and destroy event it sees, then passes it on (or, when
// told to, keeps probes to itself).
class NotingHook : public CHookWnd {
 public:
  NotingHook(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  bool swallow = false;

 protected:
  bool WindowProc(wxEvent& event) override {
    if (event.GetEventType() == kProbe) {
      log_.push_back(name_);
      if (swallow) return true;
    }
    if (event.GetEventType() == wxEVT_DESTROY) log_.push_back(name_ + " destroy");
    return CHookWnd::WindowProc(event);
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

class HookWndTest : public testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "hooks");
    window_ = new wxPanel(frame_);
    window_->Bind(kProbe, [this](wxCommandEvent&) { log_.push_back("window"); });
    window_->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& e) {
      if (e.GetEventObject() == window_) log_.push_back("window destroy");
      e.Skip();
    });
  }
  void TearDown() override {
    frame_->Destroy();
    gui_test::PumpEvents();
  }
  // Sends a probe to the window the way the toolkit delivers events.
  std::vector<std::string> Probe() {
    log_.clear();
    wxCommandEvent probe(kProbe);
    probe.SetEventObject(window_);
    window_->HandleWindowEvent(probe);
    return log_;
  }
  using Log = std::vector<std::string>;

  wxFrame* frame_ = nullptr;
  wxPanel* window_ = nullptr;
  std::vector<std::string> log_;
};

TEST_F(HookWndTest, NewestHookFirstThenOlderOnesThenTheWindowAndUnhookingInAnyOrder) {
  NotingHook h1("h1", log_), h2("h2", log_), h3("h3", log_);
  h1.HookWindow(window_);
  h2.HookWindow(window_);
  h3.HookWindow(window_);
  EXPECT_EQ(Probe(), (Log{"h3", "h2", "h1", "window"}));
  EXPECT_EQ(CHookWnd::HeadHook(window_), &h3);
  EXPECT_EQ(h3.NextHook(), &h2);

  h2.Unhook();  // from the middle
  EXPECT_EQ(Probe(), (Log{"h3", "h1", "window"}));
  h1.Unhook();  // the oldest
  EXPECT_EQ(Probe(), (Log{"h3", "window"}));
  h3.swallow = true;
  EXPECT_EQ(Probe(), (Log{"h3"}));
  h3.Unhook();  // the last
  EXPECT_EQ(Probe(), (Log{"window"}));
  EXPECT_EQ(window_->GetEventHandler(), window_);
  EXPECT_FALSE(h3.IsHooked());
  h3.Unhook();  // again: nothing
}

TEST_F(HookWndTest, AHookHookedTwiceIsInTheChainOnceAndADeletedHookLeavesIt) {
  NotingHook h1("h1", log_);
  auto h2 = std::make_unique<NotingHook>("h2", log_);
  h1.HookWindow(window_);
  h2->HookWindow(window_);
  h1.HookWindow(window_);  // moves to the front
  EXPECT_EQ(Probe(), (Log{"h1", "h2", "window"}));
  h1.HookWindow(window_);  // already in front
  EXPECT_EQ(Probe(), (Log{"h1", "h2", "window"}));

  h2.reset();  // deleted while hooked
  EXPECT_EQ(Probe(), (Log{"h1", "window"}));
  EXPECT_EQ(h1.NextHook(), nullptr);

  wxPanel other(frame_);  // moving to another window
  h1.HookWindow(&other);
  EXPECT_EQ(Probe(), (Log{"window"}));
  EXPECT_EQ(CHookWnd::HeadHook(&other), &h1);
  h1.Unhook();
}

TEST_F(HookWndTest, ADestroyedWindowUnhooksEveryHookAfterTheyAndTheWindowSawIt) {
  NotingHook h1("h1", log_), h2("h2", log_), onFrame("frame", log_);
  h1.HookWindow(window_);
  h2.HookWindow(window_);
  onFrame.HookWindow(frame_);
  log_.clear();
  window_->Destroy();  // wx fails an assert if a handler were still pushed
  EXPECT_EQ(log_, (Log{"h2 destroy", "h1 destroy", "window destroy", "frame destroy"}));
  EXPECT_FALSE(h1.IsHooked());
  EXPECT_FALSE(h2.IsHooked());
  EXPECT_TRUE(onFrame.IsHooked());  // a child's destroy only passes by its parent's hooks
  window_ = nullptr;
  h1.Unhook();  // hooks outlive their window
}

}  // namespace
