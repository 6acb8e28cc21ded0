// A window's placement kept in the profile as text, under an entry
// "WindowPlacement" of a section the owner names:
//
//   "left,top,right,bottom,show,flags"   e.g. "120,80,760,560,1,0"
//
// the restored (normal) rectangle in screen pixels, the show command and the
// placement flags; or, when only the rectangle is kept, the window's current
// rectangle followed by 1 and 0. The placement is read through the same
// window adapter as the placement store's (ui/window_placement_store.h).
//
// Restoring trusts a stored text only when it is exactly six integers with a
// rectangle of some area (anything else counts as nothing stored), moves a
// rectangle that lies off every screen onto the primary one, and never
// brings a window back minimised or hidden.
#pragma once

#include <wx/window.h>

#include <memory>
#include <string>

#include "ui/core/window_placement.h"

class ProfileStore;
class WxPlacementWindow;

class CResizableState {
 public:
  CResizableState() = default;
  CResizableState(const CResizableState&) = delete;
  CResizableState& operator=(const CResizableState&) = delete;
  virtual ~CResizableState() = default;

  // Writes the placement of GetLayoutWindow(). 0 when it cannot be read (no
  // top-level window) or the write failed, else 1.
  int StorePlacement(const std::string& section, bool rectOnly);
  // Applies the placement stored under `section`. 1 when one was applied, 0
  // when none was stored, it was damaged, or there is no top-level window.
  // With `rectOnly` only the rectangle is applied, in the normal show state.
  int RestorePlacement(const std::string& section, bool rectOnly);

 protected:
  // The window whose placement is kept (its top-level window counts).
  virtual wxWindow* GetLayoutWindow() const = 0;
  // Where the text is kept: the program's profile unless a subclass says otherwise.
  virtual ProfileStore& StateProfile() const;

  // The same on any window adapter, for windows the toolkit does not own.
  int StorePlacement(IPlacementWindow& window, const std::string& section, bool rectOnly,
                     const PlacementRect* currentRect);
  int RestorePlacement(IPlacementWindow& window, const std::string& section, bool rectOnly);

 private:
  // The adapter of GetLayoutWindow()'s top-level window, made at the first
  // use so it follows the normal rectangle while the window is maximised.
  WxPlacementWindow* Adapter();

  std::shared_ptr<WxPlacementWindow> adapter_;
  const wxWindow* adapterFor_ = nullptr;
};
