// The resizable dialog base: feeds size changes to the anchor arithmetic and
// applies its moves in one batch.
#include "ui/resize_dlg.h"

#include <wx/dc.h>
#include <wx/region.h>

#include <algorithm>

#include "ui/control_rect.h"
#include "ui/resizable_layout.h"
#include "ui/resizable_min_max.h"

namespace ui {

namespace {

RECT ToRECT(const wxRect& r) { return {r.x, r.y, r.x + r.width, r.y + r.height}; }

wxRect ToWxRect(const RECT& r) { return {r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height())}; }

}  // namespace

template <class Host>
const MapRow<CResizeDlgT<Host>> CResizeDlgT<Host>::kMessageMap[] = {
    // No sizing-edge row: GTK reports no dragged edge (see OnSizing).
    OnWmSize(&CResizeDlgT::OnSize),
    // Minimum and maximum sizes are set once, in OnInitDialog (ApplyTrackLimits).
    OnEvent(wxEVT_ERASE_BACKGROUND, wxID_ANY, &CResizeDlgT::OnEraseBkgnd),
    OnEvent(wxEVT_MAXIMIZE, wxID_ANY, &CResizeDlgT::OnMaximize),
};

template <class Host>
CResizeDlgT<Host>::CResizeDlgT(const DialogTemplate& tmpl, wxWindow* parent) : CDialogT<Host>(tmpl, parent) {
  BindMessageMap(this, kMessageMap);
}

template <class Host>
RECT CResizeDlgT<Host>::ClientRect() const {
  // Only the sizes of these rectangles count. The window may not be on the
  // screen yet (OnInitDialog runs before it is shown), so no screen origin.
  const wxSize size = this->Surface()->GetClientSize();
  return {0, 0, size.x, size.y};
}

template <class Host>
bool CResizeDlgT<Host>::OnInitDialog() {
  const bool result = CDialogT<Host>::OnInitDialog();
  layout_.Init(ClientRect());
  if (grip_ == nullptr) {  // a second DoModal reuses the window and its grip
    grip_ = std::make_unique<CSizeGripExt>();
    if (!grip_->CreateGrip(this->Surface(), true, true, false)) grip_.reset();
  }
  initialWindowSize_ = this->GetSize();
  ApplyTrackLimits();
  initialised_ = true;
  return result;
}

template <class Host>
bool CResizeDlgT<Host>::AddControl(int id, int horzA, int horzB, int vertA, int vertB, uint32_t flags,
                                   double posRatioX, double sizeRatioX, double posRatioY, double sizeRatioY) {
  wxWindow* control = this->GetDlgItem(id);
  if (control == nullptr) return false;
  const wxSize client = this->Surface()->GetClientSize();
  layout_.AddControl({id, horzA, horzB, vertA, vertB, flags, posRatioX, sizeRatioX, posRatioY, sizeRatioY},
                     ToRECT(control->GetRect()), RECT{0, 0, client.x, client.y});
  return true;
}

template <class Host>
void CResizeDlgT<Host>::AddControls(std::span<const ResizeAnchor> anchors) {
  for (const ResizeAnchor& a : anchors) {
    AddControl(a.id, a.horzA, a.horzB, a.vertA, a.vertB, a.flags, a.posRatioX, a.sizeRatioX, a.posRatioY,
               a.sizeRatioY);
  }
}

template <class Host>
void CResizeDlgT<Host>::OnSize(unsigned type, int, int) {
  this->FitSurface();
  // Size changes while the window is being made come before anything is
  // registered and before the grip exists.
  if (!initialised_) return;
  const ResizeLayout::SizeResult result = layout_.OnSize(type, ClientRect(), [this](int id) {
    const wxWindow* control = this->GetDlgItem(id);
    return control != nullptr ? std::optional<RECT>(ToRECT(control->GetRect())) : std::nullopt;
  });
  if (result.minimised) return;
  ApplyMoves(result.moves);
  UpdateGrip();
  // The maximised state may be reported after the size change itself.
  this->CallAfter([this] { UpdateGrip(); });
}

template <class Host>
void CResizeDlgT<Host>::ApplyMoves(const std::vector<ResizeLayout::Move>& moves) {
  if (moves.empty()) return;
  wxWindow* surface = this->Surface();
  bool repaint = false;
  surface->Freeze();
  for (const ResizeLayout::Move& move : moves) {
    wxWindow* control = this->GetDlgItem(move.id);
    if (control == nullptr) continue;
    if (move.repaint) control->Refresh();
    ApplyControlRect(control, ToWxRect(move.rect));
    if (move.repaint) {
      surface->RefreshRect(ToWxRect(move.vacated));
      repaint = true;
    }
  }
  surface->Thaw();
  if (repaint) surface->Update();
}

template <class Host>
void CResizeDlgT<Host>::UpdateGrip() {
  if (grip_ == nullptr) return;
  grip_->SetVisible(!IsZoomed());
  grip_->UpdatePosition(this->Surface());
}

template <class Host>
void CResizeDlgT<Host>::SetMinTrackSize(const SIZE& size) {
  layout_.minTrackSize = size;
  if (initialised_) ApplyTrackLimits();
}

template <class Host>
void CResizeDlgT<Host>::SetResizableAxes(bool horizontal, bool vertical) {
  layout_.horzResizable = horizontal ? 1 : 0;
  layout_.vertResizable = vertical ? 1 : 0;
  if (initialised_) ApplyTrackLimits();
}

template <class Host>
void CResizeDlgT<Host>::ApplyTrackLimits() {
  MINMAXINFO info = NoTrackLimits();
  layout_.OnGetMinMaxInfo(info);
  // The window system's tracking limits hold the axis at its minimum; here
  // an axis that may not change keeps the size it started with (or the
  // minimum, when that is larger), so it can neither grow nor shrink.
  const auto hold = [](int32_t& minTrack, int32_t& maxTrack, int initial) {
    if (maxTrack < 0) return;
    minTrack = std::max(minTrack, initial);
    maxTrack = minTrack;
  };
  hold(info.minTrackSize.x, info.maxTrackSize.x, initialWindowSize_.x);
  hold(info.minTrackSize.y, info.maxTrackSize.y, initialWindowSize_.y);
  ApplyTrackHints(this, TrackHintsFor(info));
}

template <class Host>
void CResizeDlgT<Host>::OnEraseBkgnd(wxEraseEvent& event) {
  wxDC* dc = event.GetDC();
  if (dc == nullptr) {
    event.Skip();
    return;
  }
  const wxSize client = this->Surface()->GetClientSize();
  wxRegion region(0, 0, client.x, client.y);
  const bool clipChildren = this->HasFlag(wxCLIP_CHILDREN);
  for (const RECT& r : layout_.EraseExclusions(clipChildren, [this](int id) {
         const wxWindow* control = this->GetDlgItem(id);
         return control != nullptr && control->IsShown();
       })) {
    region.Subtract(ToWxRect(r));
  }
  FillRegion(*dc, region, this->GetBackgroundColour());
}

template <class Host>
void CResizeDlgT<Host>::OnMaximize(wxMaximizeEvent& event) {
  UpdateGrip();
  event.Skip();
}

template class CResizeDlgT<wxDialog>;
template class CResizeDlgT<wxFrame>;

}  // namespace ui
