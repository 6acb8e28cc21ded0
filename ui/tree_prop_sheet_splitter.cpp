// The splitter window: pane placement, bar painting and dragging.
#include "ui/tree_prop_sheet_splitter.h"

#include <wx/dcclient.h>
#include <wx/settings.h>

#include "ui/control_rect.h"
#include "ui/core/control_ids.h"

namespace TreePropSheet {

CTreePropSheetSplitter::CTreePropSheetSplitter(int paneCount, bool sideBySide,
                                               const std::vector<int>& minimums, int barWidth)
    : sideBySide_(sideBySide), model_(paneCount, minimums, barWidth), panes_(model_.PaneCount()) {}

CTreePropSheetSplitter::~CTreePropSheetSplitter() {
  if (HasCapture()) ReleaseMouse();
}

bool CTreePropSheetSplitter::Create(wxWindow* parent, const wxRect& rect, int id) {
  if (!wxWindow::Create(parent, ui::WxId(id), rect.GetPosition(), rect.GetSize(), wxFULL_REPAINT_ON_RESIZE)) {
    return false;
  }
  // The panes lie over the splitter: only the bars show.
  Lower();
  SetDragAllowed(dragAllowed_);
  Bind(wxEVT_SIZE, &CTreePropSheetSplitter::OnSize, this);
  Bind(wxEVT_PAINT, &CTreePropSheetSplitter::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CTreePropSheetSplitter::OnLeftDown, this);
  Bind(wxEVT_MOTION, &CTreePropSheetSplitter::OnMotion, this);
  Bind(wxEVT_LEFT_UP, &CTreePropSheetSplitter::OnLeftUp, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &CTreePropSheetSplitter::OnCaptureLost, this);
  Relayout();
  return true;
}

void CTreePropSheetSplitter::SetPane(int index, wxWindow* window) {
  if (index < 0 || index >= model_.PaneCount()) return;
  panes_[index] = window;
  MovePanes();
}

wxWindow* CTreePropSheetSplitter::GetPane(int index) const {
  return index >= 0 && index < model_.PaneCount() ? panes_[index].get() : nullptr;
}

void CTreePropSheetSplitter::SetPaneSizes(const std::vector<int>& sizes) {
  const wxRect r = GetRect();
  model_.SetPaneSizes(sizes, sideBySide_ ? r.x : r.y, sideBySide_ ? r.width : r.height);
  MovePanes();
}

void CTreePropSheetSplitter::SetFrozenPanes(const std::vector<bool>& frozen) { model_.SetFrozen(frozen); }

void CTreePropSheetSplitter::SetDragAllowed(bool allowed) {
  dragAllowed_ = allowed;
  if (GetHandle() != nullptr) {
    SetCursor(wxCursor(allowed ? (sideBySide_ ? wxCURSOR_SIZEWE : wxCURSOR_SIZENS) : wxCURSOR_ARROW));
  }
}

void CTreePropSheetSplitter::FocusPane(int index) {
  if (wxWindow* pane = GetPane(index)) pane->SetFocus();
}

void CTreePropSheetSplitter::RedrawParent(const wxRect& rect) {
  if (wxWindow* parent = GetParent()) {
    parent->RefreshRect(rect);
    parent->Update();
  }
}

void CTreePropSheetSplitter::Relayout() {
  const wxRect r = GetRect();
  model_.Layout(sideBySide_ ? r.x : r.y, sideBySide_ ? r.width : r.height);
  MovePanes();
}

void CTreePropSheetSplitter::MovePanes() {
  const wxRect r = GetRect();
  for (int i = 0; i < model_.PaneCount(); ++i) {
    if (panes_[i] == nullptr) continue;
    const int start = model_.PaneStart(i);
    const int size = model_.PaneSize(i);
    ui::ApplyControlRect(
        panes_[i], sideBySide_ ? wxRect(start, r.y, size, r.height) : wxRect(r.x, start, r.width, size));
  }
  Refresh();
  RedrawParent(r);
  if (onPanesMoved) onPanesMoved();
}

wxRect CTreePropSheetSplitter::BarRect(int position) const {
  const wxRect r = GetRect();
  const int bar = model_.BarWidth();
  return sideBySide_ ? wxRect(position - bar, r.y, bar, r.height) : wxRect(r.x, position - bar, r.width, bar);
}

void CTreePropSheetSplitter::OnSize(wxSizeEvent&) { Relayout(); }

void CTreePropSheetSplitter::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  // The bars take the dialog's own background.
  const wxColour background = GetParent() != nullptr ? GetParent()->GetBackgroundColour()
                                                     : wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  dc.SetBrush(wxBrush(background));
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(wxRect(GetClientSize()));
}

void CTreePropSheetSplitter::OnLeftDown(wxMouseEvent& event) {
  if (!dragAllowed_ || model_.PaneCount() < 2) return;
  const int mouse = Along(event.GetPosition() + GetPosition());  // parent coordinates
  draggedBar_ = model_.BarAt(mouse);
  dragPosition_ = model_.Positions()[draggedBar_];
  gripOffset_ = mouse - dragPosition_;
  CaptureMouse();
  if (!liveUpdate_) {
    // A strip of its own shows the bar's new place: drawing inverted over
    // the panes is not possible here.
    tracker_ = new wxWindow(GetParent(), wxID_ANY, BarRect(dragPosition_).GetPosition(),
                            BarRect(dragPosition_).GetSize());
    tracker_->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_3DDKSHADOW));
    tracker_->Raise();
  }
}

void CTreePropSheetSplitter::OnMotion(wxMouseEvent& event) {
  if (!HasCapture()) return;
  const int mouse = Along(event.GetPosition() + GetPosition());
  dragPosition_ = model_.ClampDrag(draggedBar_, mouse - gripOffset_);
  if (tracker_ != nullptr) tracker_->Move(BarRect(dragPosition_).GetPosition());
  if (liveUpdate_) {
    model_.Drop(draggedBar_, dragPosition_);
    MovePanes();
  }
}

void CTreePropSheetSplitter::OnLeftUp(wxMouseEvent&) {
  if (!HasCapture()) return;
  ReleaseMouse();
  EndDrag();
  model_.Drop(draggedBar_, dragPosition_);
  MovePanes();
}

void CTreePropSheetSplitter::OnCaptureLost(wxMouseCaptureLostEvent&) { EndDrag(); }

void CTreePropSheetSplitter::EndDrag() {
  if (tracker_ != nullptr) {
    tracker_->Destroy();
    tracker_ = nullptr;
  }
}

}  // namespace TreePropSheet
