// Focus rings around drawn lists and trees.
#include "ui/focus_ring.h"

#include <wx/settings.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>

namespace ui {

namespace {

constexpr int kRingWidth = 2;

// The four strips of one ring, children of the control's parent; null once
// gone. Shared by the handlers bound to the control, so it lives as long as
// the control does.
struct Ring {
  wxWindow* control = nullptr;
  std::array<wxWindow*, 4> strips{};

  bool Whole() const { return std::ranges::find(strips, nullptr) == strips.end(); }
  void Place() {
    if (!Whole()) return;
    const wxRect r = control->GetRect().Inflate(kRingWidth);
    strips[0]->SetSize(r.x, r.y, r.width, kRingWidth);
    strips[1]->SetSize(r.x, r.GetBottom() - kRingWidth + 1, r.width, kRingWidth);
    // The sides fit between the top and the bottom: no strip lies over another.
    const int side = r.height - 2 * kRingWidth;
    strips[2]->SetSize(r.x, r.y + kRingWidth, kRingWidth, side);
    strips[3]->SetSize(r.GetRight() - kRingWidth + 1, r.y + kRingWidth, kRingWidth, side);
  }
  void Show(bool show) {
    if (show) Place();
    for (wxWindow* strip : strips) {
      if (strip != nullptr) strip->Show(show);
    }
  }
};

// Focus events reach the window that has the focus: a list's rows are a
// window of their own inside it.
void BindFocus(wxWindow* window, const std::shared_ptr<Ring>& ring) {
  const auto onFocus = [ring](wxFocusEvent& event) {
    event.Skip();
    ring->Show(event.GetEventType() == wxEVT_SET_FOCUS);
  };
  window->Bind(wxEVT_SET_FOCUS, onFocus);
  window->Bind(wxEVT_KILL_FOCUS, onFocus);
  for (wxWindow* child : window->GetChildren()) BindFocus(child, ring);
}

}  // namespace

void ShowFocusRing(wxWindow* control) {
  if (control == nullptr || control->GetParent() == nullptr) return;
  auto ring = std::make_shared<Ring>();
  ring->control = control;
  for (size_t i = 0; i < ring->strips.size(); ++i) {
    wxWindow* strip =
        new wxWindow(control->GetParent(), wxID_ANY, wxDefaultPosition, wxSize(kRingWidth, kRingWidth));
    strip->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
    strip->SetCanFocus(false);
    strip->Hide();
    strip->Bind(wxEVT_DESTROY, [ring = std::weak_ptr<Ring>(ring), i](wxWindowDestroyEvent& event) {
      event.Skip();
      if (const auto alive = ring.lock(); alive && event.GetEventObject() == alive->strips[i])
        alive->strips[i] = nullptr;
    });
    ring->strips[i] = strip;
  }
  BindFocus(control, ring);
  const auto onPlaced = [ring](wxEvent& event) {
    event.Skip();
    if (ring->Whole() && ring->strips[0]->IsShown()) ring->Place();
  };
  control->Bind(wxEVT_SIZE, onPlaced);
  control->Bind(wxEVT_MOVE, onPlaced);
  control->Bind(wxEVT_DESTROY, [ring](wxWindowDestroyEvent& event) {
    event.Skip();
    if (event.GetEventObject() != ring->control) return;
    for (wxWindow*& strip : ring->strips) {
      if (strip != nullptr && !strip->IsBeingDeleted()) strip->Destroy();
      strip = nullptr;
    }
  });
}

void TakeNoFocus(wxWindow* window) {
  if (window == nullptr) return;
  window->DisableFocusFromKeyboard();
  window->SetCanFocus(false);
}

}  // namespace ui
