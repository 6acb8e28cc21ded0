// The base of the program's resizable dialogs. A dialog lists how each of its
// controls follows the window's size as an anchor table (see
// ui/core/resize_layout.h for the modes) and registers it in OnInitDialog,
// after the base class's:
//
//   static constexpr ResizeAnchor kAnchors[] = {
//     // id   hA hB vA vB flags posX  sizeX posY  sizeY
//     {1001,  1, 1, 1, 1, 0,    -1.0, -1.0, -1.0, -1.0},   // the list grows
//     {IDOK,  2, 2, 2, 2, 0,    -1.0, -1.0, -1.0, -1.0},   // the button follows the corner
//   };
//   bool CMyDlg::OnInitDialog() {
//     CResizeDlgT::OnInitDialog();
//     AddControls(kAnchors);
//     return true;
//   }
//
// Every size change moves all registered controls in one batch and puts the
// size grip back in the lower-right corner; the grip hides while the dialog is
// maximised. A derived dialog with its own size row calls OnSize itself.
//
// Controls are never given less than the size GTK needs to draw them
// (ui::ApplyControlRect in ui/control_rect.h; a stored rectangle may become
// inverted while the dialog is small; it is kept, so growing the dialog back
// restores it exactly), and a registered control that no longer exists is
// skipped. The grip lies under the controls: one in the corner covers it.
#pragma once

#include <wx/dialog.h>
#include <wx/frame.h>

#include <memory>
#include <span>

#include "ui/core/resize_layout.h"
#include "ui/dialog.h"
#include "ui/size_grip.h"

namespace ui {

template <class Host>
class CResizeDlgT : public CDialogT<Host> {
 public:
  CResizeDlgT(const DialogTemplate& tmpl, wxWindow* parent);

  // Registers control `id`, or replaces its registration. False (nothing
  // registered) when the dialog has no such control.
  bool AddControl(int id, int horzA, int horzB, int vertA, int vertB, uint32_t flags, double posRatioX,
                  double sizeRatioX, double posRatioY, double sizeRatioY);
  // AddControl for every row of an anchor table, in order.
  void AddControls(std::span<const ResizeAnchor> anchors);
  template <size_t N>
  void AddControls(const ResizeAnchor (&anchors)[N]) {
    AddControls(std::span<const ResizeAnchor>(anchors, N));
  }

  // Lays the registered controls out for a size change of `type` (SIZE_*).
  void OnSize(unsigned type, int cx, int cy);
  // Records the edge being dragged (WMSZ_*); GTK reports none, so only
  // callers that know it call this.
  void OnSizing(int edge) { layout_.OnSizing(edge); }

  const ResizeLayout& Layout() const { return layout_; }
  CSizeGripExt* Grip() const { return grip_.get(); }

  // Minimum size of the window while it is dragged (0: no minimum on that
  // axis), and whether each axis may change at all: an axis that may not
  // keeps the window's size at initialisation. Set before OnInitDialog or at
  // any time after it.
  void SetMinTrackSize(const SIZE& size);
  void SetResizableAxes(bool horizontal, bool vertical);

 protected:
  bool OnInitDialog() override;
  // Whether the window is maximised now.
  virtual bool IsZoomed() const { return this->IsMaximized(); }
  // The client rectangle of Surface(), at the origin.
  RECT ClientRect() const;

 private:
  void ApplyMoves(const std::vector<ResizeLayout::Move>& moves);
  void UpdateGrip();
  void ApplyTrackLimits();
  void OnEraseBkgnd(wxEraseEvent& event);
  void OnMaximize(wxMaximizeEvent& event);

  static const MapRow<CResizeDlgT> kMessageMap[];

  ResizeLayout layout_;
  std::unique_ptr<CSizeGripExt> grip_;
  wxSize initialWindowSize_;
  bool initialised_ = false;
};

using CResizeDlg = CResizeDlgT<wxDialog>;
using CResizeFrameDlg = CResizeDlgT<wxFrame>;

extern template class CResizeDlgT<wxDialog>;
extern template class CResizeDlgT<wxFrame>;

}  // namespace ui
