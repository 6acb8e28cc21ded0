// Connects the placement store to real windows: reads and applies a top-level
// window's position, size and maximised or minimised state, and lists the
// screens.
//
// A dialog keeps one WxPlacementWindow as a member, made once its window
// exists (in OnInitDialog, before the store's Load), so that the adapter can
// follow the window's restored rectangle while it is maximised or minimised:
// the window system reports only the current rectangle, but a placement keeps
// the one the window goes back to. The adapter may outlive its window; it
// then reports failure.
//
// A stored show command that would hide the window is applied as normal: no
// saved value may leave a dialog invisible.
#pragma once

#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/core/window_placement.h"

class WxPlacementWindow : public IPlacementWindow {
 public:
  WxPlacementWindow(wxTopLevelWindow* window, bool modal);

  bool GetWindowPlacement(WindowPlacement& placement) override;
  bool SetWindowPlacement(const WindowPlacement& placement) override;
  std::vector<PlacementRect> GetScreens() override;
  bool IsModalWindow() const override { return modal_; }

  // The screens of the display, primary first (each display's full area).
  static std::vector<PlacementRect> DisplayScreens();

 private:
  // Shared with the window's event handlers, which may outlive this object.
  struct Tracking {
    wxRect normal;
    bool haveNormal = false;
  };
  void NoteRestoredRect();

  wxWeakRef<wxTopLevelWindow> window_;
  std::shared_ptr<Tracking> tracking_;
  bool modal_;
};
