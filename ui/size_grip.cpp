// The size grip: drawing, placement and the start of a window resize.
#include "ui/size_grip.h"

#include <wx/dcclient.h>
#include <wx/region.h>
#include <wx/settings.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <cstdint>

#include "ui/core/resize_layout.h"
#include "ui/gtk_function.h"

namespace {

constexpr int kMinGripSize = 8;
constexpr int kFallbackGripSize = 16;

}  // namespace

CSizeGripExt::~CSizeGripExt() {
  wxWindow* parent = parent_.get();
  if (parent == nullptr) return;
  if (cursorShown_) parent->SetCursor(wxNullCursor);
  parent->Unbind(wxEVT_PAINT, &CSizeGripExt::OnPaint, this);
  parent->Unbind(wxEVT_LEFT_DOWN, &CSizeGripExt::OnLeftDown, this);
  parent->Unbind(wxEVT_MOTION, &CSizeGripExt::OnMotion, this);
  parent->Unbind(wxEVT_LEAVE_WINDOW, &CSizeGripExt::OnLeave, this);
  parent->Unbind(wxEVT_SYS_COLOUR_CHANGED, &CSizeGripExt::OnMetricsChanged, this);
  parent->Unbind(wxEVT_DPI_CHANGED, &CSizeGripExt::OnMetricsChanged, this);
  if (shown_ && !parent->IsBeingDeleted()) RefreshParent(GetRect());
}

bool CSizeGripExt::CreateGrip(wxWindow* parent, bool visible, bool triangular, bool transparent) {
  if (parent == nullptr || parent_.get() != nullptr) return false;
  parent_ = parent;
  ReadGripSize(parent);
  parent->Bind(wxEVT_PAINT, &CSizeGripExt::OnPaint, this);
  parent->Bind(wxEVT_LEFT_DOWN, &CSizeGripExt::OnLeftDown, this);
  parent->Bind(wxEVT_MOTION, &CSizeGripExt::OnMotion, this);
  parent->Bind(wxEVT_LEAVE_WINDOW, &CSizeGripExt::OnLeave, this);
  parent->Bind(wxEVT_SYS_COLOUR_CHANGED, &CSizeGripExt::OnMetricsChanged, this);
  parent->Bind(wxEVT_DPI_CHANGED, &CSizeGripExt::OnMetricsChanged, this);
  SetTriangular(triangular);
  SetTransparent(transparent);
  SetVisible(visible);
  UpdatePosition(parent);
  return true;
}

void CSizeGripExt::ReadGripSize(const wxWindow* ref) {
  width_ = wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, ref);
  height_ = wxSystemSettings::GetMetric(wxSYS_HSCROLL_Y, ref);
  // Overlay scrollbars report next to nothing: keep the grip reachable.
  if (width_ < kMinGripSize) width_ = kFallbackGripSize;
  if (height_ < kMinGripSize) height_ = kFallbackGripSize;
}

bool CSizeGripExt::IsRightToLeft() const {
  const wxWindow* parent = parent_.get();
  return parent != nullptr && parent->GetLayoutDirection() == wxLayout_RightToLeft;
}

int CSizeGripExt::HitTestCode() const { return GripHitCode(IsRightToLeft()); }

void CSizeGripExt::RefreshParent(const wxRect& rect) const {
  if (wxWindow* parent = parent_.get()) parent->RefreshRect(rect, false);
}

void CSizeGripExt::UpdatePosition(wxWindow* parent) {
  if (parent == nullptr || parent != parent_.get()) return;
  const wxSize client = parent->GetClientSize();
  const wxRect old = GetRect();
  const bool wasShown = shown_;
  position_ = wxPoint(client.x - width_, client.y - height_);
  shown_ = visible_;
  if (wasShown && (old != GetRect() || !shown_)) RefreshParent(old);
  if (shown_) RefreshParent(GetRect());
  if (!shown_) ShowSizingCursor(false);
}

void CSizeGripExt::SetTriangular(bool triangular) {
  triangular_ = triangular;
  if (shown_) RefreshParent(GetRect());
}

void CSizeGripExt::SetTransparent(bool transparent) {
  transparent_ = transparent;
  if (shown_) RefreshParent(GetRect());
}

bool CSizeGripExt::Contains(const wxPoint& p) const {
  if (!shown_ || !GetRect().Contains(p)) return false;
  if (!triangular_) return true;
  return InGripTriangle(p.x - position_.x, p.y - position_.y, width_, height_, IsRightToLeft());
}

wxRegion CSizeGripExt::UncoveredRegion() const {
  wxRegion region(GetRect());
  if (const wxWindow* parent = parent_.get()) {
    for (const wxWindow* child : parent->GetChildren()) {
      if (child->IsShown() && !child->IsTopLevel()) region.Subtract(child->GetRect());
    }
  }
  return region;
}

void CSizeGripExt::Draw(wxDC& dc) const {
  if (!shown_) return;
  // The controls lie over the grip: nothing is drawn where one of them is,
  // not even where its own drawing leaves the background showing.
  const wxRegion uncovered = UncoveredRegion();
  if (uncovered.IsEmpty()) return;
  dc.SetPen(*wxTRANSPARENT_PEN);
  // A square grip has a face of its own; a triangular one lies on the
  // parent's background, and nothing outside its triangle is touched.
  if (!transparent_ && !triangular_) {
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    for (wxRegionIterator piece(uncovered); piece; ++piece) dc.DrawRectangle(piece.GetRect());
  }
  const bool rtl = IsRightToLeft();
  const wxBrush shadow(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
  const wxBrush light(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT));
  // Three ridges across the corner, each two dark lines and a light one, as
  // whole pixels on or below the diagonal.
  const auto ridge = [&](const wxBrush& brush, int d) {
    if (d > std::min(width_, height_)) return;
    dc.SetBrush(brush);
    for (int k = 0; k < d; ++k) {
      const int gx = width_ - d + k;
      const wxPoint p(position_.x + (rtl ? width_ - 1 - gx : gx), position_.y + height_ - 1 - k);
      if (uncovered.Contains(p) == wxInRegion) dc.DrawRectangle(p.x, p.y, 1, 1);
    }
  };
  for (int d = 4; d <= std::min(width_, height_); d += 4) {
    ridge(shadow, d - 1);
    ridge(shadow, d);
    ridge(light, d + 1);
  }
}

void CSizeGripExt::OnPaint(wxPaintEvent& event) {
  // The parent's own painting (if any) runs after this; controls come on top.
  if (wxWindow* parent = parent_.get(); parent != nullptr && shown_) {
    wxPaintDC dc(parent);
    Draw(dc);
  }
  event.Skip();
}

void CSizeGripExt::ShowSizingCursor(bool show) {
  wxWindow* parent = parent_.get();
  if (parent == nullptr || show == cursorShown_) return;
  cursorShown_ = show;
  parent->SetCursor(show ? wxCursor(IsRightToLeft() ? wxCURSOR_SIZENESW : wxCURSOR_SIZENWSE) : wxNullCursor);
}

void CSizeGripExt::OnMotion(wxMouseEvent& event) {
  ShowSizingCursor(Contains(event.GetPosition()));
  event.Skip();
}

void CSizeGripExt::OnLeave(wxMouseEvent& event) {
  ShowSizingCursor(false);
  event.Skip();
}

void CSizeGripExt::OnLeftDown(wxMouseEvent& event) {
  if (!Contains(event.GetPosition()) || !StartWindowResize(event)) event.Skip();
}

bool CSizeGripExt::StartWindowResize(const wxMouseEvent& event) {
#ifdef __WXGTK__
  using BeginResizeDrag = void (*)(void* window, int edge, int button, int rootX, int rootY, uint32_t time);
  static const auto begin = ui::GtkFunction<BeginResizeDrag>("gtk_window_begin_resize_drag");
  wxWindow* parent = parent_.get();
  if (parent == nullptr) return false;
  auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(parent));
  if (begin == nullptr || top == nullptr || top->GetHandle() == nullptr) return false;
  constexpr int kEdgeSouthWest = 5;  // the window manager's corner numbers
  constexpr int kEdgeSouthEast = 7;
  const wxPoint root = parent->ClientToScreen(event.GetPosition());
  begin(top->GetHandle(), IsRightToLeft() ? kEdgeSouthWest : kEdgeSouthEast, 1, root.x, root.y,
        static_cast<uint32_t>(event.GetTimestamp()));
  return true;
#else
  (void)event;
  return false;
#endif
}

void CSizeGripExt::OnMetricsChanged(wxEvent& event) {
  // Keep the lower-right corner where it is when the grip's size changes.
  const wxRect old = GetRect();
  ReadGripSize(parent_.get());
  position_ = wxPoint(old.GetRight() + 1 - width_, old.GetBottom() + 1 - height_);
  if (shown_) {
    RefreshParent(old);
    RefreshParent(GetRect());
  }
  event.Skip();
}
