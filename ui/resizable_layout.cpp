// Anchored children: anchoring, the layout batch and the background fill.
#include "ui/resizable_layout.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/tglbtn.h>
#include <wx/toolbar.h>

#include <algorithm>

#include "ui/control_rect.h"
#include "ui/dialog.h"
#include "ui/registered_message.h"

namespace {

RECT ToRECT(const wxRect& r) { return {r.x, r.y, r.x + r.width, r.y + r.height}; }

wxRect ToWxRect(const RECT& r) { return {r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height())}; }

// Whether `child` is a T. Not wxDynamicCast: that converts the pointer to T
// before it asks, which is undefined when the child is something else.
template <class T>
bool Is(const wxWindow* child) {
  return dynamic_cast<const T*>(child) != nullptr;
}

}  // namespace

ChildTraits CResizableLayout::TraitsOf(const wxWindow* child) {
  if (child == nullptr) return {};
  if (Is<wxStaticBox>(child)) return {"Button", BS_GROUPBOX};
  if (Is<wxCheckBox>(child)) return {"Button", BS_AUTOCHECKBOX};
  if (Is<wxRadioButton>(child)) return {"Button", BS_AUTORADIOBUTTON};
  if (Is<wxButton>(child) || Is<wxToggleButton>(child)) return {"Button", BS_PUSHBUTTON};
  if (Is<wxStaticText>(child)) {
    const long style = child->GetWindowStyleFlag();
    uint32_t type = SS_LEFT;
    if (style & wxALIGN_CENTRE_HORIZONTAL) type = SS_CENTER;
    if (style & wxALIGN_RIGHT) type = SS_RIGHT;
    if (style & wxST_ELLIPSIZE_END) type |= SS_ENDELLIPSIS;
    if (style & wxST_ELLIPSIZE_MIDDLE) type |= SS_PATHELLIPSIS;
    if (style & wxST_ELLIPSIZE_START) type |= SS_WORDELLIPSIS;
    return {"Static", type};
  }
  if (Is<wxStaticBitmap>(child)) return {"Static", SS_BITMAP};
  if (const auto* line = dynamic_cast<const wxStaticLine*>(child))
    return {"Static", line->IsVertical() ? SS_ETCHEDVERT : SS_ETCHEDHORZ};
  if (Is<wxListBox>(child)) return {"ListBox", 0};
  if (Is<wxToolBar>(child)) return {"ToolbarWindow32", 0};
  return {wxString(child->GetClassInfo()->GetClassName()).ToStdString(), 0};
}

bool CResizableLayout::SendResizeSupport(wxWindow* child, unsigned query, void* record) {
  if (child == nullptr) return false;
  static const unsigned message = ui::RegisterWindowMessage(kResizeSupportMessage);
  // Sent to the child alone: a parent never answers for it.
  const std::optional<ui::LRESULT> answer =
      ui::SendRegisteredMessage(child, message, query, reinterpret_cast<ui::LPARAM>(record));
  return answer.has_value() && *answer != 0;
}

RECT CResizableLayout::ChildRect(const wxWindow* child) const {
  const wxWindow* window = GetLayoutWindow();
  if (child == nullptr || window == nullptr) return {};
  if (child->GetParent() == window) return ToRECT(child->GetRect());
  const wxRect screen = child->GetScreenRect();
  return ToRECT(wxRect(window->ScreenToClient(screen.GetPosition()), screen.GetSize()));
}

bool CResizableLayout::AnchorChild(wxWindow* child, ANCHOR tl, ANCHOR br) {
  if (child == nullptr || GetLayoutWindow() == nullptr) return false;
  RECT client;
  GetLayoutClientRect(client);
  LayoutInfo entry;
  entry.window = child;
  const ChildTraits traits = TraitsOf(child);
  entry.className = traits.className;
  entry.style = traits.style;
  entry.margins = AnchorAt(ChildRect(child), client, tl, br);
  QueryChildLayout(entry);
  const auto known = positions_.find(child);
  if (known != positions_.end() && anchors_[known->second].window.get() == child) {
    anchors_[known->second] = entry;
  } else {
    positions_[child] = anchors_.size();
    anchors_.push_back(entry);
  }
  return true;
}

bool CResizableLayout::AnchorChild(int id, ANCHOR tl, ANCHOR br) {
  wxWindow* window = GetLayoutWindow();
  return window != nullptr && AnchorChild(ui::FindChildById(window, id), tl, br);
}

void CResizableLayout::AnchorCustom(uint32_t customId) {
  LayoutInfo entry;
  entry.customId = customId;
  customs_.push_back(entry);
}

void CResizableLayout::ClearAnchors() {
  positions_.clear();
  anchors_.clear();
  customs_.clear();
}

void CResizableLayout::QueryChildLayout(LayoutInfo& entry) {
  ResizeProperties record = entry.properties;
  entry.answersSupport = SendResizeSupport(entry.window.get(), RSZSUP_QUERYPROPERTIES, &record);
  if (entry.answersSupport) {
    entry.properties = record;
    return;
  }
  entry.properties.askClipping = false;
  entry.properties.cachedClipping = ChildAllowsClipping(entry);
  entry.properties.askRefresh = true;
}

bool CResizableLayout::ChildAllowsClipping(const LayoutInfo& entry) {
  if (entry.answersSupport) {
    bool allows = false;
    if (SendResizeSupport(entry.window.get(), RSZSUP_LIKESCLIPPING, &allows)) return allows;
  }
  // No window of the toolkit lets clicks through an owner-drawn button.
  return ClassAllowsClipping({entry.className, entry.style}, nullptr);
}

bool CResizableLayout::ChildNeedsRefresh(const LayoutInfo& entry, const RECT& oldRect, const RECT& newRect) {
  if (entry.answersSupport) {
    ResizeRefreshQuery query{true, oldRect, newRect};
    if (SendResizeSupport(entry.window.get(), RSZSUP_NEEDSREFRESH, &query)) return query.needsRefresh;
  }
  // GTK's list box does not tell its horizontal scroll range: that rule adds nothing.
  return ClassNeedsRefresh({entry.className, entry.style}, oldRect, newRect, nullptr);
}

void CResizableLayout::GetLayoutClientRect(RECT& rect) const {
  const wxWindow* window = GetLayoutWindow();
  const wxSize size = window != nullptr ? window->GetClientSize() : wxSize(0, 0);
  rect = {0, 0, size.x, size.y};
}

bool CResizableLayout::PlaceChildCustom(LayoutInfo& /*entry*/) { return false; }

void CResizableLayout::Relayout() {
  wxWindow* window = GetLayoutWindow();
  if (window == nullptr) return;
  RECT client;
  GetLayoutClientRect(client);
  // Custom entries are resolved on copies, once per pass, and only after the
  // anchored children have moved: a custom child may follow an anchored one
  // (a page inside a frame that an anchored splitter places).
  std::vector<LayoutInfo> resolved(customs_.begin(), customs_.end());
  const auto entry = [&](bool custom, size_t i) -> const LayoutInfo& {
    return custom ? resolved[i] : anchors_[i];
  };
  LayoutPassSource source;
  source.place = [&](bool custom, size_t i) -> std::optional<AnchorMargins> {
    if (custom && !PlaceChildCustom(resolved[i])) return std::nullopt;
    return entry(custom, i).margins;
  };
  source.current = [&](bool custom, size_t i) -> std::optional<RECT> {
    const wxWindow* child = entry(custom, i).window.get();
    return child != nullptr ? std::optional<RECT>(ChildRect(child)) : std::nullopt;
  };
  source.refresh = [&](bool custom, size_t i, const RECT& from, const RECT& to) {
    const LayoutInfo& e = entry(custom, i);
    return e.properties.askRefresh ? ChildNeedsRefresh(e, from, to) : e.properties.cachedRefresh;
  };
  const auto apply = [&](const std::vector<PlannedMove>& moves) {
    for (const PlannedMove& move : moves) {
      wxWindow* child = entry(move.custom, move.index).window.get();
      wxRect target = ToWxRect(move.rect);
      if (child->GetParent() != window && child->GetParent() != nullptr) {
        // From the layout window's client area to the child's parent's.
        target.SetPosition(child->GetParent()->ScreenToClient(window->ClientToScreen(target.GetPosition())));
      }
      ui::ApplyControlRect(child, target);
      if (move.flags & SWP_NOCOPYBITS) child->Refresh();
    }
  };
  window->Freeze();
  apply(PlanLayout(anchors_.size(), 0, client, source));
  apply(PlanLayout(0, resolved.size(), client, source));
  window->Thaw();
}

void CResizableLayout::ExcludeChild(const LayoutInfo& entry, wxRegion& region) {
  const wxRect rect = ToWxRect(ChildRect(entry.window.get()));
  const bool allows =
      entry.properties.askClipping ? ChildAllowsClipping(entry) : entry.properties.cachedClipping;
  if (allows) {
    region.Subtract(rect);
  } else {
    region.Union(rect);
  }
}

wxRegion CResizableLayout::BuildEraseRegion() {
  wxWindow* window = GetLayoutWindow();
  if (window == nullptr) return {};
  const wxSize size = window->GetClientSize();
  wxRegion region(0, 0, size.x, size.y);
  for (const LayoutInfo& entry : anchors_) {
    if (entry.window.get() != nullptr && entry.window->IsShown()) ExcludeChild(entry, region);
  }
  for (const LayoutInfo& custom : customs_) {
    LayoutInfo entry = custom;
    if (PlaceChildCustom(entry) && entry.window.get() != nullptr && entry.window->IsShown())
      ExcludeChild(entry, region);
  }
  if (window->GetLayoutDirection() == wxLayout_RightToLeft) region.Offset(-1, 0);
  return region;
}

void CResizableLayout::PaintBackground(wxDC* dc) {
  wxWindow* window = GetLayoutWindow();
  if (window == nullptr) return;
  const wxRegion region = BuildEraseRegion();
  // A dialog's background brush is its background colour here.
  if (dc != nullptr) {
    ui::FillRegion(*dc, region, window->GetBackgroundColour());
  } else {
    for (wxRegionIterator piece(region); piece; ++piece) window->RefreshRect(piece.GetRect());
  }
}

namespace ui {

void FillRegion(wxDC& dc, const wxRegion& region, const wxColour& colour) {
  dc.SetBrush(wxBrush(colour));
  dc.SetPen(*wxTRANSPARENT_PEN);
  for (wxRegionIterator piece(region); piece; ++piece) dc.DrawRectangle(piece.GetRect());
}

}  // namespace ui
