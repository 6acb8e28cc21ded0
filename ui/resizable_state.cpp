// A window's placement as profile text.
#include "ui/resizable_state.h"

#include <wx/dialog.h>
#include <wx/toplevel.h>

#include "ui/core/anchor_layout.h"
#include "ui/core/profile_store.h"
#include "ui/window_placement_store.h"

namespace {

wxTopLevelWindow* TopLevelOf(wxWindow* window) {
  return window != nullptr ? dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(window)) : nullptr;
}

}  // namespace

ProfileStore& CResizableState::StateProfile() const { return AppProfile(); }

WxPlacementWindow* CResizableState::Adapter() {
  wxTopLevelWindow* top = TopLevelOf(GetLayoutWindow());
  if (top == nullptr) return nullptr;
  if (adapter_ == nullptr || adapterFor_ != top) {
    const auto* dialog = dynamic_cast<const wxDialog*>(top);
    adapter_ = std::make_shared<WxPlacementWindow>(top, dialog != nullptr && dialog->IsModal());
    adapterFor_ = top;
  }
  return adapter_.get();
}

int CResizableState::StorePlacement(const std::string& section, bool rectOnly) {
  WxPlacementWindow* adapter = Adapter();
  if (adapter == nullptr) return 0;
  const wxRect r = TopLevelOf(GetLayoutWindow())->GetScreenRect();
  const PlacementRect current{r.GetLeft(), r.GetTop(), r.GetLeft() + r.GetWidth(),
                              r.GetTop() + r.GetHeight()};
  return StorePlacement(*adapter, section, rectOnly, &current);
}

int CResizableState::RestorePlacement(const std::string& section, bool rectOnly) {
  WxPlacementWindow* adapter = Adapter();
  return adapter != nullptr ? RestorePlacement(*adapter, section, rectOnly) : 0;
}

int CResizableState::StorePlacement(IPlacementWindow& window, const std::string& section, bool rectOnly,
                                    const PlacementRect* currentRect) {
  WindowPlacement placement;
  placement.length = kWindowPlacementSize;
  if (!window.GetWindowPlacement(placement)) return 0;
  std::optional<PlacementRect> rect;
  if (rectOnly) rect = currentRect != nullptr ? *currentRect : placement.normalPosition;
  const std::string text = FormatPlacementState(placement, rect);
  return StateProfile().WriteProfileString(section, kResizableStateEntry, text) ? 1 : 0;
}

int CResizableState::RestorePlacement(IPlacementWindow& window, const std::string& section, bool rectOnly) {
  const std::string text = StateProfile().GetProfileString(section, kResizableStateEntry, "");
  std::optional<WindowPlacement> placement = ParsePlacementState(text);
  if (!placement) return 0;
  placement->showCmd =
      rectOnly ? WindowPlacement::SW_SHOWNORMAL : RestoredShowCommand(placement->showCmd, placement->flags);
  if (rectOnly) placement->flags = 0;
  const std::vector<PlacementRect> screens = window.GetScreens();
  if (!screens.empty()) MoveOntoScreen(placement->normalPosition, screens, screens.front());
  return window.SetWindowPlacement(*placement) ? 1 : 0;
}
