// The size grip of a resizable dialog: a small triangle of ridges in the
// lower-right corner of the client area that starts the window's resize when
// dragged.
//
// GTK has no grip of its own any more, so this window draws the ridges itself
// and, on a press inside its triangle, asks GTK to start the window manager's
// resize from the lower-right corner (lower-left in a right-to-left window).
// It never takes the keyboard focus. "Triangular" limits clicks to the
// triangle and leaves the rest to the parent's background; "transparent"
// draws no background of its own at all.
//
//   grip->CreateGrip(dialog, true, true, false);  // visible, triangular, opaque
//   grip->SetVisible(!maximised);
//   grip->UpdatePosition(dialog);                 // after every size change
#pragma once

#include <wx/window.h>

class CSizeGripExt : public wxWindow {
 public:
  CSizeGripExt() = default;

  // Makes the grip a child of `parent` at its lower-right corner. Settings are
  // applied only when the window was made.
  bool CreateGrip(wxWindow* parent, bool visible, bool triangular, bool transparent);

  // Records whether the grip should show; the next UpdatePosition shows or hides it.
  void SetVisible(bool visible) { visible_ = visible; }
  bool IsVisible() const { return visible_; }
  // Moves the grip to the lower-right corner of `parent`'s client area, below
  // its siblings, and shows or hides it.
  void UpdatePosition(wxWindow* parent);
  void SetTriangular(bool triangular);
  bool IsTriangular() const { return triangular_; }
  void SetTransparent(bool transparent);
  bool IsTransparent() const { return transparent_; }
  // The hit-test code the grip stands for (lower-right, or lower-left in a
  // right-to-left window).
  int HitTestCode() const;
  wxSize GripSize() const { return {width_, height_}; }

  bool AcceptsFocus() const override { return false; }
  bool AcceptsFocusFromKeyboard() const override { return false; }

 private:
  // Sizes as the scroll bars of `ref` (a created window) have them.
  void ReadGripSize(const wxWindow* ref);
  bool IsRightToLeft() const;
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnMetricsChanged(wxEvent& event);
  // Hands the drag to the window manager; false when that is not possible.
  bool StartWindowResize(const wxMouseEvent& event);

  bool visible_ = false;
  int width_ = 0;
  int height_ = 0;
  bool triangular_ = false;
  bool transparent_ = false;
};
