// Resize hooks: the sheet's anchors, grip, limits and custom placements.
#include "ui/tree_prop_sheet_hook.h"

#include "ui/core/profile_store.h"
#include "ui/tree_prop_sheet.h"

namespace TreePropSheet {

namespace {

constexpr int kCustomButtons[] = {IDOK,           IDCANCEL,       ui::ID_APPLY_NOW, ui::IDHELP,
                                  ui::ID_WIZBACK, ui::ID_WIZNEXT, ui::ID_WIZFINISH};

// Custom entries of the layout.
constexpr uint32_t kCustomPage = 1;      // the plain sheet's active page
constexpr uint32_t kCustomTabStrip = 1;  // the tree sheet's hidden tab strip
constexpr uint32_t kCustomTreePage = 2;  // the tree sheet's active page

RECT ToRECT(const wxRect& r) { return {r.x, r.y, r.x + r.width, r.y + r.height}; }

// Distances of `inner` to the edges of `outer`, as (left, top, right, bottom).
RECT Offsets(const RECT& inner, const RECT& outer) {
  return {inner.left - outer.left, inner.top - outer.top, outer.right - inner.right,
          outer.bottom - inner.bottom};
}

// An entry that fills `rect` of `client` and follows all four sides.
void FillEntry(CResizableLayout::LayoutInfo& entry, wxWindow* window, const wxRect& rect,
               const RECT& client) {
  entry.window = window;
  entry.margins = AnchorAt(ToRECT(rect), client, TOP_LEFT, BOTTOM_RIGHT);
}

}  // namespace

CResizableSheetHook::CResizableSheetHook(ui::CPropertySheet* sheet) : sheet_(sheet) {}

CResizableSheetHook::~CResizableSheetHook() { Unhook(); }

wxWindow* CResizableSheetHook::GetLayoutWindow() const { return sheet_; }

bool CResizableSheetHook::Attach() {
  if (IsHooked() || sheet_ == nullptr) return false;
  HookWindow(sheet_);
  if (sheet_->IsTopLevel()) CreateGrip(true, true, false);
  const wxSize size = sheet_->GetSize();
  SetMinTrack(SIZE{size.x, size.y});
  PushTrackLimits();
  AddSheetAnchors();
  return true;
}

void CResizableSheetHook::PushTrackLimits() {
  if (sheet_ != nullptr) ui::PushMinMax(sheet_, *this);
}

wxWindow* CResizableSheetHook::ActivePageWindow() const {
  const ui::CPropertyPage* page = sheet_->GetActivePage();
  return page != nullptr ? page->Surface() : nullptr;
}

void CResizableSheetHook::AnchorButtons() {
  for (int id : kCustomButtons) AnchorChild(id, BOTTOM_RIGHT, NoAnchor);
}

void CResizableSheetHook::AddSheetAnchors() {
  if (sheet_->IsWizard()) {
    if (wxWindow* tabs = sheet_->GetTabControl()) tabs->Hide();
    AnchorChild(ui::ID_WIZLINE, BOTTOM_LEFT, BOTTOM_RIGHT);
  } else {
    AnchorChild(ui::AFX_IDC_TAB_CONTROL, TOP_LEFT, BOTTOM_RIGHT);
  }
  RECT client;
  GetLayoutClientRect(client);
  pageMargins_ = Offsets(ToRECT(sheet_->GetPageRect()), client);
  AnchorCustom(kCustomPage);
  AnchorButtons();
}

bool CResizableSheetHook::PlaceChildCustom(LayoutInfo& entry) {
  if (entry.customId != kCustomPage) return CResizableLayout::PlaceChildCustom(entry);
  wxWindow* page = ActivePageWindow();
  if (page == nullptr) return false;
  RECT client;
  GetLayoutClientRect(client);
  if (sheet_->IsWizard()) {
    entry.window = page;
    entry.margins = {TOP_LEFT, {pageMargins_.left, pageMargins_.top}, BOTTOM_RIGHT,
                     {-pageMargins_.right, -pageMargins_.bottom}};
  } else {
    // The anchored tab strip has moved already: its page area is the place.
    FillEntry(entry, page, sheet_->GetPageRect(), client);
  }
  return true;
}

bool CResizableSheetHook::WindowProc(wxEvent& event) {
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_SIZE) {
    const bool handled = Default(event);  // the sheet's own handling first
    OnSize(static_cast<wxSizeEvent&>(event));
    return handled;
  }
  if (type == wxEVT_ERASE_BACKGROUND) {
    auto& erase = static_cast<wxEraseEvent&>(event);
    // Without a device context there is nothing to fill; the toolkit paints.
    if (erase.GetDC() == nullptr) return Default(event);
    PaintBackground(erase.GetDC());
    return true;
  }
  if (type == wxEVT_DESTROY && event.GetEventObject() == sheet_) OnDestroy();
  return Default(event);
}

void CResizableSheetHook::OnSize(wxSizeEvent& /*event*/) {
  // A maximised sheet has no corner to drag. The grip is placed (and hidden)
  // in either case, so it does not stay behind when the sheet is maximised.
  if (sheet_->IsMaximized()) {
    HideGrip(gripStatus_, 1);
  } else {
    ShowGrip(gripStatus_, 1);
  }
  UpdateGrip();
  Relayout();
}

void CResizableSheetHook::OnDestroy() {
  if (saveState_) {
    StorePlacement(stateSection_, saveRectOnly_);
    if (saveActivePage_) {
      const int page = sheet_->GetTabControl() != nullptr ? sheet_->GetTabControl()->GetCurSel() : -1;
      StateProfile().WriteProfileInt(stateSection_, "ActivePage", page < 0 ? 0 : page);
    }
  }
  ClearAnchors();
}

// ---- the tree sheet's hook

CTreePropSheetResizableLibHook::CTreePropSheetResizableLibHook(CTreePropSheetEx* sheet)
    : CResizableSheetHook(sheet), treeSheet_(sheet) {}

bool CTreePropSheetResizableLibHook::InTreeView() const {
  CPropPageFrame* frame = treeSheet_->GetFrameControl();
  return treeSheet_->IsTreeViewMode() && frame != nullptr && frame->GetFrameWindow() != nullptr &&
         treeSheet_->GetSplitterWindow() != nullptr;
}

void CTreePropSheetResizableLibHook::AddSheetAnchors() {
  if (!InTreeView()) {
    CResizableSheetHook::AddSheetAnchors();
    return;
  }
  AnchorChild(treeSheet_->GetSplitterWindow(), TOP_LEFT, BOTTOM_RIGHT);
  AnchorCustom(kCustomTabStrip);
  AnchorCustom(kCustomTreePage);
  RECT client;
  GetLayoutClientRect(client);
  pageMargins_ = Offsets(ToRECT(treeSheet_->GetPageRect()), client);
  AnchorButtons();
}

bool CTreePropSheetResizableLibHook::PlaceChildCustom(LayoutInfo& entry) {
  if (!InTreeView()) return CResizableSheetHook::PlaceChildCustom(entry);
  RECT client;
  GetLayoutClientRect(client);
  // The splitter has moved the frame already; the tab strip and the page
  // follow it, the page at the sheet's offsets inside the frame.
  if (entry.customId == kCustomTabStrip) {
    wxWindow* tabs = treeSheet_->GetTabControl();
    if (tabs == nullptr) return false;
    FillEntry(entry, tabs, treeSheet_->GetFrameControl()->GetFrameWindow()->GetRect(), client);
    return true;
  }
  if (entry.customId == kCustomTreePage) {
    wxWindow* page = ActivePageWindow();
    if (page == nullptr) return false;
    FillEntry(entry, page, treeSheet_->GetPageRect(), client);
    return true;
  }
  return CResizableLayout::PlaceChildCustom(entry);
}

}  // namespace TreePropSheet
