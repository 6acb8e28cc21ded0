// The size grip: drawing, placement and the start of a window resize.
#include "ui/size_grip.h"

#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/toplevel.h>

#ifdef __WXGTK__
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstdint>

#include "ui/core/resize_layout.h"

namespace {

constexpr int kMinGripSize = 8;
constexpr int kFallbackGripSize = 16;

}  // namespace

bool CSizeGripExt::CreateGrip(wxWindow* parent, bool visible, bool triangular, bool transparent) {
  ReadGripSize(parent);
  if (!Create(parent, 0, wxPoint(0, 0), wxSize(width_, height_), wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE)) {
    return false;
  }
  Bind(wxEVT_PAINT, &CSizeGripExt::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CSizeGripExt::OnLeftDown, this);
  Bind(wxEVT_SYS_COLOUR_CHANGED, &CSizeGripExt::OnMetricsChanged, this);
  Bind(wxEVT_DPI_CHANGED, &CSizeGripExt::OnMetricsChanged, this);
  SetCursor(wxCursor(IsRightToLeft() ? wxCURSOR_SIZENESW : wxCURSOR_SIZENWSE));
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

bool CSizeGripExt::IsRightToLeft() const { return GetLayoutDirection() == wxLayout_RightToLeft; }

int CSizeGripExt::HitTestCode() const { return GripHitCode(IsRightToLeft()); }

void CSizeGripExt::UpdatePosition(wxWindow* parent) {
  if (parent == nullptr) return;
  const wxSize client = parent->GetClientSize();
  Move(client.x - width_, client.y - height_);
  Lower();
  Show(visible_);
}

void CSizeGripExt::SetTriangular(bool triangular) {
  triangular_ = triangular;
  if (IsShown()) Refresh();
}

void CSizeGripExt::SetTransparent(bool transparent) {
  transparent_ = transparent;
  if (IsShown()) Refresh();
}

void CSizeGripExt::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  const bool rtl = IsRightToLeft();
  // Outside the triangle (and everywhere when transparent) the parent's
  // background shows; an opaque square grip has a face of its own.
  if (!transparent_) {
    const wxColour back = triangular_ && GetParent() != nullptr
                              ? GetParent()->GetBackgroundColour()
                              : wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    dc.SetBrush(wxBrush(back));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(0, 0, width_, height_);
  }
  const wxPen shadow(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
  const wxPen light(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT));
  // Three ridges across the corner: two dark lines and a light one each.
  const auto x = [&](int v) { return rtl ? width_ - 1 - v : v; };
  const auto ridge = [&](const wxPen& pen, int d) {
    dc.SetPen(pen);
    dc.DrawLine(x(width_ - d), height_ - 1, x(width_ - 1), height_ - d);
  };
  for (int d = 4; d <= std::min(width_, height_); d += 4) {
    ridge(shadow, d - 1);
    ridge(shadow, d);
    ridge(light, d + 1);
  }
}

void CSizeGripExt::OnLeftDown(wxMouseEvent& event) {
  const wxPoint p = event.GetPosition();
  if (triangular_ && !InGripTriangle(p.x, p.y, width_, height_, IsRightToLeft())) {
    event.Skip();
    return;
  }
  if (!StartWindowResize(event)) event.Skip();
}

bool CSizeGripExt::StartWindowResize(const wxMouseEvent& event) {
#ifdef __WXGTK__
  // GTK is already loaded by wx; its function is looked up at run time so
  // the build needs no GTK development files.
  using BeginResizeDrag = void (*)(void* window, int edge, int button, int rootX, int rootY, uint32_t time);
  static const auto begin =
      reinterpret_cast<BeginResizeDrag>(dlsym(RTLD_DEFAULT, "gtk_window_begin_resize_drag"));
  auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(this));
  if (begin == nullptr || top == nullptr || top->GetHandle() == nullptr) return false;
  constexpr int kEdgeSouthWest = 5;  // the window manager's corner numbers
  constexpr int kEdgeSouthEast = 7;
  const wxPoint root = ClientToScreen(event.GetPosition());
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
  const wxSize old(width_, height_);
  ReadGripSize(this);
  const wxPoint pos = GetPosition();
  SetSize(pos.x + old.x - width_, pos.y + old.y - height_, width_, height_);
  Refresh();
  event.Skip();
}
