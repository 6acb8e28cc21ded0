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
// A placement applied before the window is first shown takes its size at
// once (the dialog lays itself out for it) and its position and show state
// once the window is on the screen: a window manager places a new window by
// its own rules and keeps no useful restored size for a window that starts
// maximised. For the same reason the adapter puts a window that leaves the
// maximised state back at its restored rectangle itself, whatever size the
// window manager offers.
//
// A stored show command that would hide the window is applied as normal: no
// saved value may leave a dialog invisible.
#pragma once

#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <memory>
#include <optional>
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
  PlacementPoint MinimumSize() const override;

  // The rectangle of the window's frame as the user last saw it on the
  // screen (or as it was given since), also while the window is hidden.
  wxRect Frame();

  // The work areas of the display's screens, primary first.
  static std::vector<PlacementRect> DisplayScreens();
  // The work area of the screen holding the largest part of `window`'s
  // top-level window (the primary screen's when it is on none); nullopt when
  // the display lists no screen.
  static std::optional<PlacementRect> WorkAreaOf(const wxWindow* window);
  // Brings a top-level window whole into the work area of its screen: its
  // minimum size and its size no larger than the area, and moved onto it.
  // Leaves a maximised or minimised window alone.
  static void KeepOnWorkArea(wxTopLevelWindow* window);

 private:
  // Shared with the window's event handlers, which may outlive this object.
  struct Tracking;

  void NoteRestoredRect();

  wxWeakRef<wxTopLevelWindow> window_;
  std::shared_ptr<Tracking> tracking_;
  bool modal_;
};
