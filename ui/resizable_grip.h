// A size grip for a window that mixes in CResizableGrip. The grip itself is
// the resizable dialog's (ui/size_grip.h): drawn on the window under its
// controls, lower-right corner, starting the window manager's resize. Whether
// it shows is a count of requests: each reason the owner has (say "not
// maximised") is one bit of a status word, and the grip shows while any
// reason asks for it.
//
//   CreateGrip(true, true, false);           // visible, triangular, opaque
//   ...
//   if (maximised) HideGrip(status_, 1); else ShowGrip(status_, 1);
//   if (IsGripVisible()) UpdateGrip();       // after every size change
#pragma once

#include <wx/window.h>

#include <cstdint>

#include "ui/core/anchor_layout.h"
#include "ui/size_grip.h"

class CResizableGrip {
 public:
  // The grip window; its visibility belongs to the owning CResizableGrip.
  class CSizeGrip : public CSizeGripExt {};

  CResizableGrip() = default;
  CResizableGrip(const CResizableGrip&) = delete;
  CResizableGrip& operator=(const CResizableGrip&) = delete;
  virtual ~CResizableGrip() = default;

  // Puts the grip on GetLayoutWindow() and places it. False when there is no
  // window or it has a grip already.
  bool CreateGrip(bool visible = true, bool triangular = true, bool transparent = false);
  // Moves the grip to the window's lower-right corner and shows or hides it.
  void UpdateGrip();
  // Adds the request `mask` stands for, unless `status` has it already.
  void ShowGrip(uint32_t& status, uint32_t mask = 1) { requests_.Show(status, mask); }
  // Withdraws it, if `status` has it.
  void HideGrip(uint32_t& status, uint32_t mask = 1) { requests_.Hide(status, mask); }
  bool IsGripVisible() const { return requests_.Visible(); }
  // One request or none, whatever was asked before.
  void SetGripVisible(bool visible) { requests_.Set(visible); }

  CSizeGrip& Grip() { return grip_; }
  const CSizeGrip& Grip() const { return grip_; }

 protected:
  // The window that carries the grip.
  virtual wxWindow* GetLayoutWindow() const = 0;

 private:
  CSizeGrip grip_;
  GripShowRequests requests_;
};
