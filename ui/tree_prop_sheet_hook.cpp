// Resize hooks: anchors, the size grip and the sheet's own placements.
#include "ui/tree_prop_sheet_hook.h"

#include <algorithm>

#include "ui/control_rect.h"
#include "ui/tree_prop_sheet.h"

namespace TreePropSheet {

namespace {

constexpr int kCustomButtons[] = {IDOK,           IDCANCEL,       ui::ID_APPLY_NOW, ui::IDHELP,
                                  ui::ID_WIZBACK, ui::ID_WIZNEXT, ui::ID_WIZFINISH};

// Distances of `inner` to the edges of `outer`, as (left, top, right, bottom).
wxRect Offsets(const wxRect& inner, const wxRect& outer) {
  return {inner.x - outer.x, inner.y - outer.y, outer.GetRight() - inner.GetRight(),
          outer.GetBottom() - inner.GetBottom()};
}

}  // namespace

CResizableSheetHook::CResizableSheetHook(ui::CPropertySheet* sheet) : sheet_(sheet) {}

CResizableSheetHook::~CResizableSheetHook() { Detach(); }

bool CResizableSheetHook::Attach() {
  if (attached_ || sheet_ == nullptr) return false;
  sheet_->PushEventHandler(this);
  attached_ = true;
  Bind(wxEVT_SIZE, &CResizableSheetHook::OnSize, this);
  Bind(wxEVT_DESTROY, &CResizableSheetHook::OnDestroy, this);
  grip_ = std::make_unique<CSizeGripExt>();
  if (!grip_->CreateGrip(sheet_, true, true, false)) grip_.reset();
  SetMinTrack(sheet_->GetSize());
  AddSheetAnchors();
  return true;
}

void CResizableSheetHook::Detach() {
  if (!attached_) return;
  attached_ = false;
  anchors_.clear();
  grip_.reset();
  sheet_->RemoveEventHandler(this);
}

void CResizableSheetHook::SetMinTrack(const wxSize& size) { sheet_->SetMinSize(size); }

void CResizableSheetHook::SetMaxTrack(const wxSize& size) { sheet_->SetMaxSize(size); }

void CResizableSheetHook::AnchorChild(int id, const wxPoint& topLeft, const wxPoint& bottomRight) {
  AnchorWindow(sheet_->GetDlgItem(id), topLeft, bottomRight);
}

void CResizableSheetHook::AnchorWindow(wxWindow* child, const wxPoint& topLeft, const wxPoint& bottomRight) {
  if (child == nullptr) return;
  const wxPoint br = bottomRight == kNoAnchor ? topLeft : bottomRight;
  const wxSize client = sheet_->GetClientSize();
  const wxRect r = child->GetRect();
  const wxRect margins(r.x - client.x * topLeft.x / 100, r.y - client.y * topLeft.y / 100,
                       r.x + r.width - client.x * br.x / 100, r.y + r.height - client.y * br.y / 100);
  anchors_.push_back({child, topLeft, br, margins});
}

void CResizableSheetHook::AddSheetAnchors() {
  if (sheet_->IsWizard()) {
    if (wxWindow* tabs = sheet_->GetTabControl()) tabs->Hide();
    AnchorChild(ui::ID_WIZLINE, {0, 100}, {100, 100});
  } else {
    AnchorChild(ui::AFX_IDC_TAB_CONTROL, {0, 0}, {100, 100});
  }
  pageMargins_ = Offsets(sheet_->GetPageRect(), wxRect(sheet_->GetClientSize()));
  for (int id : kCustomButtons) AnchorChild(id, {100, 100}, kNoAnchor);
}

void CResizableSheetHook::PlaceChildCustom() {
  // The tab strip was anchored: every page goes to its page area.
  sheet_->PlacePages();
}

void CResizableSheetHook::Relayout() {
  const wxSize client = sheet_->GetClientSize();
  for (const Anchor& a : anchors_) {
    wxWindow* child = a.child.get();
    if (child == nullptr) continue;
    const int left = client.x * a.topLeft.x / 100 + a.margins.x;
    const int top = client.y * a.topLeft.y / 100 + a.margins.y;
    const int right = client.x * a.bottomRight.x / 100 + a.margins.width;
    const int bottom = client.y * a.bottomRight.y / 100 + a.margins.height;
    ui::ApplyControlRect(child, wxRect(left, top, right - left, bottom - top));
  }
  PlaceChildCustom();
}

void CResizableSheetHook::OnSize(wxSizeEvent& event) {
  event.Skip();
  if (grip_ != nullptr) {
    // A maximised sheet has no corner to drag.
    grip_->SetVisible(!sheet_->IsMaximized() && gripStatus_ != 0);
    grip_->UpdatePosition(sheet_);
  }
  Relayout();
}

void CResizableSheetHook::OnDestroy(wxWindowDestroyEvent& event) {
  event.Skip();
  if (event.GetEventObject() != sheet_) return;  // a child's farewell passing by
  // Placement saving is off in every sheet of the program (saveState_).
  Detach();
}

// ---- the tree sheet's hook

CTreePropSheetResizableLibHook::CTreePropSheetResizableLibHook(CTreePropSheetEx* sheet)
    : CResizableSheetHook(sheet), treeSheet_(sheet) {}

void CTreePropSheetResizableLibHook::AddSheetAnchors() {
  CPropPageFrame* frame = treeSheet_->GetFrameControl();
  if (!treeSheet_->IsTreeViewMode() || frame == nullptr) {
    CResizableSheetHook::AddSheetAnchors();
    return;
  }
  AnchorWindow(treeSheet_->GetSplitterWindow(), {0, 0}, {100, 100});
  pageMargins_ = Offsets(treeSheet_->GetPageRect(), wxRect(treeSheet_->GetClientSize()));
  for (int id : kCustomButtons) AnchorChild(id, {100, 100}, kNoAnchor);
}

void CTreePropSheetResizableLibHook::PlaceChildCustom() {
  CPropPageFrame* frame = treeSheet_->GetFrameControl();
  if (!treeSheet_->IsTreeViewMode() || frame == nullptr) {
    CResizableSheetHook::PlaceChildCustom();
    return;
  }
  // The hidden tab strip covers the frame; the pages keep their offsets
  // inside the frame (the sheet's page area).
  if (wxWindow* tabs = treeSheet_->GetTabControl()) tabs->SetSize(frame->GetFrameWindow()->GetRect());
  treeSheet_->PlacePages();
}

}  // namespace TreePropSheet
