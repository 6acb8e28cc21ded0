#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include "tests/support/gui/gui_test_support.h"
#include "ui/hook_wnd.h"

namespace {

wxDEFINE_EVENT(kProbe, wxCommandEvent);
using Log = std::vector<std::string>;

// Notes each probe and destroy event it sees, then passes it on.
class NotingHook : public CHookWnd {
 public:
  NotingHook(std::string name, Log& log) : name_(std::move(name)), log_(log) {}

 protected:
  bool WindowProc(wxEvent& event) override {
    if (event.GetEventType() == kProbe) log_.push_back(name_);
    if (event.GetEventType() == wxEVT_DESTROY) log_.push_back(name_ + " destroy");
    return CHookWnd::WindowProc(event);
  }

 private:
  std::string name_;
  Log& log_;
};

class HookWndTest : public testing::Test {
 protected:
  void SetUp() override {
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
  // Who saw a probe sent the way the toolkit delivers events.
  Log Probe() {
    log_.clear();
    wxCommandEvent probe(kProbe);
    window_->HandleWindowEvent(probe);
    return log_;
  }

  wxFrame* frame_ = new wxFrame(nullptr, wxID_ANY, "hooks");
  wxPanel* window_ = new wxPanel(frame_);
  Log log_;
};

TEST_F(HookWndTest, NewestHookFirstAndUnhookingInAnyOrderEvenTwiceHookedOrDeletedHooks) {
  NotingHook h1("h1", log_), h3("h3", log_);
  auto h2 = std::make_unique<NotingHook>("h2", log_);
  h1.HookWindow(window_);
  h2->HookWindow(window_);
  h3.HookWindow(window_);
  EXPECT_EQ(Probe(), (Log{"h3", "h2", "h1", "window"}));
  EXPECT_EQ(h3.NextHook(), h2.get());
  h1.HookWindow(window_);  // hooked again: moves to the front, never links to itself
  EXPECT_EQ(Probe(), (Log{"h1", "h3", "h2", "window"}));
  h2.reset();  // deleted while hooked: leaves the chain
  EXPECT_EQ(Probe(), (Log{"h1", "h3", "window"}));
  h1.Unhook();  // the newest
  EXPECT_EQ(Probe(), (Log{"h3", "window"}));
  h3.Unhook();  // the last: the window is alone again
  h3.Unhook();
  EXPECT_EQ(Probe(), (Log{"window"}));
  EXPECT_EQ(window_->GetEventHandler(), window_);
}

TEST_F(HookWndTest, ADestroyedWindowUnhooksEveryHookAfterTheyAndTheWindowSawIt) {
  NotingHook h1("h1", log_), h2("h2", log_), onFrame("frame", log_);
  h1.HookWindow(window_);
  h2.HookWindow(window_);
  onFrame.HookWindow(frame_);
  log_.clear();
  window_->Destroy();  // the toolkit fails an assert if a handler were still pushed
  EXPECT_EQ(log_, (Log{"h2 destroy", "h1 destroy", "window destroy", "frame destroy"}));
  EXPECT_FALSE(h1.IsHooked() || h2.IsHooked());
  EXPECT_TRUE(onFrame.IsHooked());  // a child's destroy only passes by its parent's hooks
  h1.Unhook();                      // hooks outlive their window
}

}  // namespace
