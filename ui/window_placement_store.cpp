// The placement store's window side on wxWidgets.
#include "ui/window_placement_store.h"

#include <wx/display.h>

#include <algorithm>

namespace {

using WP = WindowPlacement;

PlacementRect ToPlacementRect(const wxRect& r) {
  return {r.GetLeft(), r.GetTop(), r.GetLeft() + r.GetWidth(), r.GetTop() + r.GetHeight()};
}

wxRect ToWxRect(const PlacementRect& r) {
  const auto w = static_cast<int>(std::max<std::int64_t>(r.Width(), 0));
  const auto h = static_cast<int>(std::max<std::int64_t>(r.Height(), 0));
  return {r.left, r.top, w, h};
}

}  // namespace

WxPlacementWindow::WxPlacementWindow(wxTopLevelWindow* window, bool modal)
    : window_(window), tracking_(std::make_shared<Tracking>()), modal_(modal) {
  if (!window) return;
  NoteRestoredRect();
  // Follow the rectangle the window has while it is neither maximised nor
  // minimised; the handlers hold the tracking state, not this object.
  std::weak_ptr<Tracking> weak = tracking_;
  wxWeakRef<wxTopLevelWindow> ref(window);
  auto follow = [weak, ref](wxEvent& event) {
    event.Skip();
    auto tracking = weak.lock();
    if (!tracking || !ref || ref->IsMaximized() || ref->IsIconized()) return;
    tracking->normal = ref->GetRect();
    tracking->haveNormal = true;
  };
  window->Bind(wxEVT_SIZE, [follow](wxSizeEvent& e) { follow(e); });
  window->Bind(wxEVT_MOVE, [follow](wxMoveEvent& e) { follow(e); });
}

void WxPlacementWindow::NoteRestoredRect() {
  if (!window_ || window_->IsMaximized() || window_->IsIconized()) return;
  tracking_->normal = window_->GetRect();
  tracking_->haveNormal = true;
}

bool WxPlacementWindow::GetWindowPlacement(WindowPlacement& placement) {
  if (!window_) return false;
  NoteRestoredRect();
  const bool iconized = window_->IsIconized();
  const bool maximized = window_->IsMaximized();
  placement.length = kWindowPlacementSize;
  placement.flags = iconized && maximized ? WP::WPF_RESTORETOMAXIMIZED : 0;
  placement.showCmd = iconized ? WP::SW_SHOWMINIMIZED : maximized ? WP::SW_SHOWMAXIMIZED : WP::SW_SHOWNORMAL;
  placement.minPosition = {-1, -1};
  placement.maxPosition = {-1, -1};
  placement.normalPosition = ToPlacementRect(tracking_->haveNormal ? tracking_->normal : window_->GetRect());
  return true;
}

bool WxPlacementWindow::SetWindowPlacement(const WindowPlacement& placement) {
  if (!window_) return false;
  if (window_->IsIconized()) window_->Iconize(false);
  if (window_->IsMaximized()) window_->Maximize(false);
  const wxRect rect = ToWxRect(placement.normalPosition);
  window_->SetSize(rect);
  tracking_->normal = rect;
  tracking_->haveNormal = true;
  if (placement.showCmd == WP::SW_SHOWMAXIMIZED) {
    window_->Maximize(true);
  } else if (IsMinimisedShowCmd(placement.showCmd)) {
    window_->Iconize(true);
  }
  return true;
}

std::vector<PlacementRect> WxPlacementWindow::GetScreens() { return DisplayScreens(); }

std::vector<PlacementRect> WxPlacementWindow::DisplayScreens() {
  std::vector<PlacementRect> screens;
  const unsigned count = wxDisplay::GetCount();
  for (unsigned i = 0; i < count; ++i) {
    const wxDisplay display(i);
    const PlacementRect area = ToPlacementRect(display.GetGeometry());
    if (display.IsPrimary()) {
      screens.insert(screens.begin(), area);
    } else {
      screens.push_back(area);
    }
  }
  return screens;
}
