// Simulated input, event pumping and modal-dialog drivers for window tests.
#include "tests/support/gui/gui_test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/radiobut.h>
#include <wx/timer.h>
#include <wx/toplevel.h>

#include <chrono>
#include <thread>

namespace gui_test {

namespace {

constexpr int kPollMs = 10;
constexpr auto kPumpBound = std::chrono::seconds(20);
constexpr int kWatchdogPolls = 3000;  // 30 s at kPollMs

wxDialog* FindShownModal(const std::function<bool(wxDialog&)>& match) {
  for (wxWindow* w : wxTopLevelWindows) {
    auto* dlg = dynamic_cast<wxDialog*>(w);
    if (dlg != nullptr && dlg->IsModal() && dlg->IsShown() && !dlg->IsBeingDeleted() &&
        (!match || match(*dlg))) {
      return dlg;
    }
  }
  return nullptr;
}

// Polls for the dialog, runs the action once, then keeps watching until no
// modal dialog is left; deletes itself at the end.
class ModalDriver : public wxTimer {
 public:
  ModalDriver(std::function<void(wxDialog&)> action, std::function<bool(wxDialog&)> match)
      : action_(std::move(action)), match_(std::move(match)) {
    Start(kPollMs);
  }

  void Notify() override {
    if (++polls_ > kWatchdogPolls) {
      Expire();
      return;
    }
    if (!acted_) {
      wxDialog* dlg = FindShownModal(match_);
      if (dlg == nullptr) return;
      acted_ = true;
      action_(*dlg);
      return;
    }
    if (FindShownModal({}) == nullptr) Finish();
  }

 private:
  void Expire() {
    ADD_FAILURE() << (acted_ ? "a modal dialog stayed open after the test's action"
                             : "the expected modal dialog never appeared");
    if (wxDialog* dlg = FindShownModal({})) dlg->EndModal(kWatchdogResult);
    Finish();
  }
  void Finish() {
    Stop();
    wxTheApp->CallAfter([this] { delete this; });
  }

  std::function<void(wxDialog&)> action_;
  std::function<bool(wxDialog&)> match_;
  int polls_ = 0;
  bool acted_ = false;
};

}  // namespace

class NoModalExpected::Guard : public wxTimer {
 public:
  Guard() { Start(kPollMs); }
  void Notify() override {
    if (wxDialog* dlg = FindShownModal({})) {
      ADD_FAILURE() << "a modal dialog opened where none was expected";
      dlg->EndModal(kWatchdogResult);
    }
  }
};

NoModalExpected::NoModalExpected() : guard_(new Guard) {}
NoModalExpected::~NoModalExpected() { delete guard_; }

void WhenModalShown(std::function<void(wxDialog&)> action, std::function<bool(wxDialog&)> match) {
  new ModalDriver(std::move(action), std::move(match));
}

void PumpEvents() {
  for (int i = 0; i < 5; ++i) {
    wxTheApp->ProcessPendingEvents();
    wxTheApp->Yield(true);
  }
}

void PumpFrames() {
  constexpr int kFrames = 10;
  for (int i = 0; i < kFrames; ++i) {
    PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool PumpUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kPumpBound;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    PumpEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void Click(wxWindow* control) {
  ASSERT_NE(control, nullptr);
  wxEventType type = wxEVT_BUTTON;
  int checked = 0;
  if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
    check->SetValue(!check->GetValue());
    type = wxEVT_CHECKBOX;
    checked = check->GetValue() ? 1 : 0;
  } else if (auto* radio = dynamic_cast<wxRadioButton*>(control)) {
    radio->SetValue(true);
    type = wxEVT_RADIOBUTTON;
    checked = 1;
  }
  wxCommandEvent event(type, control->GetId());
  event.SetEventObject(control);
  event.SetInt(checked);
  control->GetEventHandler()->ProcessEvent(event);
}

void PressKey(wxWindow* topLevel, int keyCode, bool ctrl) {
  ASSERT_NE(topLevel, nullptr);
  wxKeyEvent event(wxEVT_CHAR_HOOK);
  event.m_keyCode = keyCode;
  event.m_controlDown = ctrl;
  event.SetEventObject(topLevel);
  topLevel->GetEventHandler()->ProcessEvent(event);
}

void MouseDown(wxWindow* window) {
  ASSERT_NE(window, nullptr);
  wxMouseEvent event(wxEVT_LEFT_DOWN);
  const wxSize size = window->GetClientSize();
  event.m_x = size.x / 2;
  event.m_y = size.y / 2;
  event.m_leftDown = true;
  event.SetEventObject(window);
  window->GetEventHandler()->ProcessEvent(event);
}

std::string ReadClipboardText() {
  wxClipboardLocker lock;
  if (!lock || !wxTheClipboard->IsSupported(wxDF_UNICODETEXT)) return "";
  wxTextDataObject data;
  if (!wxTheClipboard->GetData(data)) return "";
  return data.GetText().utf8_string();
}

}  // namespace gui_test
