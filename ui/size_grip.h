// The size grip of a resizable dialog: a small triangle of ridges in the
// lower-right corner of the client area that starts the window's resize when
// dragged.
//
// GTK has no grip of its own any more, so the grip draws its ridges itself
// and, on a press inside it, asks GTK to start the window manager's resize
// from the lower-right corner (lower-left in a right-to-left window). It is
// drawn on the dialog's own surface, under every control: a control that
// reaches into the corner covers the grip and keeps its clicks, as a control
// on top of the grip would. (A child window of its own would cover GTK's
// controls whatever its stacking order, since GTK draws them on their
// parent.) It never takes the keyboard focus. "Triangular" limits drawing and
// clicks to the triangle below the diagonal; otherwise the grip is the whole
// square, on a face of its own unless "transparent".
//
//   grip->CreateGrip(dialog, true, true, false);  // visible, triangular, opaque
//   grip->SetVisible(!maximised);
//   grip->UpdatePosition(dialog);                 // after every size change
#pragma once

#include <wx/event.h>
#include <wx/region.h>
#include <wx/weakref.h>
#include <wx/window.h>

class wxDC;

class CSizeGripExt : public wxEvtHandler {
 public:
  CSizeGripExt() = default;
  ~CSizeGripExt() override;
  CSizeGripExt(const CSizeGripExt&) = delete;
  CSizeGripExt& operator=(const CSizeGripExt&) = delete;

  // Puts the grip on `parent` at its lower-right corner. Settings are applied
  // only when that worked (a parent exists and has no grip of this object yet).
  bool CreateGrip(wxWindow* parent, bool visible, bool triangular, bool transparent);

  // Records whether the grip should show; the next UpdatePosition shows or hides it.
  void SetVisible(bool visible) { visible_ = visible; }
  bool IsVisible() const { return visible_; }
  // Moves the grip to the lower-right corner of `parent`'s client area and
  // shows or hides it.
  void UpdatePosition(wxWindow* parent);
  void SetTriangular(bool triangular);
  bool IsTriangular() const { return triangular_; }
  void SetTransparent(bool transparent);
  bool IsTransparent() const { return transparent_; }
  // The hit-test code the grip stands for (lower-right, or lower-left in a
  // right-to-left window).
  int HitTestCode() const;
  wxSize GripSize() const { return {width_, height_}; }

  // Where the grip is, in its parent's client coordinates, and whether it is
  // shown there now.
  wxWindow* GetParent() const { return parent_.get(); }
  wxPoint GetPosition() const { return position_; }
  wxSize GetSize() const { return GripSize(); }
  wxRect GetRect() const { return {position_, GripSize()}; }
  bool IsShown() const { return shown_; }
  // Whether the parent's pixel `p` belongs to the grip (false while hidden).
  bool Contains(const wxPoint& p) const;
  // Draws the grip on `dc`, a device context of the parent, except where a
  // control covers it.
  void Draw(wxDC& dc) const;

 private:
  // Sizes as the scroll bars of `ref` have them.
  void ReadGripSize(const wxWindow* ref);
  bool IsRightToLeft() const;
  void RefreshParent(const wxRect& rect) const;
  // The part of the grip's square no shown control of the parent covers.
  wxRegion UncoveredRegion() const;
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnMetricsChanged(wxEvent& event);
  void ShowSizingCursor(bool show);
  // Hands the drag to the window manager; false when that is not possible.
  bool StartWindowResize(const wxMouseEvent& event);

  wxWeakRef<wxWindow> parent_;
  bool visible_ = false;
  bool shown_ = false;
  bool cursorShown_ = false;
  int width_ = 0;
  int height_ = 0;
  wxPoint position_;
  bool triangular_ = false;
  bool transparent_ = false;
};
