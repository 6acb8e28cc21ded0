// Anchored children for a window that has no resizable base class of its own
// (a property page, a property sheet seen through a hook). A class mixes
// CResizableLayout in, names the window it serves, anchors the children
// while the window is being set up and calls Relayout on every size change:
//
//   class CMyPage : public ui::CPropertyPage, public CResizableLayout {
//     wxWindow* GetLayoutWindow() const override { return const_cast<CMyPage*>(this); }
//     bool OnInitDialog() override {
//       ...
//       AnchorChild(IDC_LIST, TOP_LEFT, BOTTOM_RIGHT);   // grows with the page
//       AnchorChild(IDC_BROWSE, BOTTOM_RIGHT);           // keeps to the corner
//       return true;
//     }
//   };
//
// The arithmetic is in ui/core/anchor_layout.h. Children are placed through
// ui::ApplyControlRect, so none is ever given less than GTK needs to draw
// it. A child that is destroyed while anchored is left out from then on.
//
// Children that cannot be anchored once (a page that changes with the
// sheet's selection) are custom entries: AnchorCustom(id) reserves one, and
// every layout asks PlaceChildCustom to say which window it is and where it
// goes; an entry it declines is neither moved nor left out of the fill.
//
// PaintBackground fills the window's background except where children paint
// their whole rectangle themselves (ClassAllowsClipping). GTK draws windows
// double-buffered and sends no erase of its own, so this matters only where
// the owner hands it a device context; the rules still decide.
//
// Children may answer the registered message "WMU_RESIZESUPPORT" (queries
// RSZSUP_* as wParam, lParam pointing to the query's record, a non-zero
// answer meaning "answered"; ui/registered_message.h); no window of the
// program does, so the class rules decide.
#pragma once

#include <wx/dc.h>
#include <wx/region.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "ui/core/anchor_layout.h"

// The name of the message the layout asks its children with.
inline constexpr const char* kResizeSupportMessage = "WMU_RESIZESUPPORT";

class CResizableLayout {
 public:
  struct LayoutInfo {
    wxWeakRef<wxWindow> window;  // null for a custom entry until it is resolved
    uint32_t customId = 0;       // 0 for an anchored child
    std::string className;       // the child's class as the rules name it
    uint32_t style = 0;          // and its style bits
    AnchorMargins margins;
    bool answersSupport = false;  // the child answered the properties query
    ResizeProperties properties;
  };

  CResizableLayout() = default;
  CResizableLayout(const CResizableLayout&) = delete;
  CResizableLayout& operator=(const CResizableLayout&) = delete;
  virtual ~CResizableLayout() = default;

  // Anchors `child` (a descendant of the layout window) where it is now; a
  // child anchored again gets the new anchors. False for no child.
  bool AnchorChild(wxWindow* child, ANCHOR tl, ANCHOR br = NoAnchor);
  // The same for the layout window's child with program id `id`.
  bool AnchorChild(int id, ANCHOR tl, ANCHOR br = NoAnchor);
  // Reserves a custom entry that PlaceChildCustom fills in at each layout.
  void AnchorCustom(uint32_t customId);
  // Moves every child where its anchors say, in one frozen batch: the
  // anchored children first, then the custom entries, which are resolved
  // after those have moved.
  void Relayout();
  // Fills the background except where children paint themselves; with no
  // device context the same area is marked for the next paint.
  void PaintBackground(wxDC* dc);
  void ClearAnchors();

  const std::vector<LayoutInfo>& Anchors() const { return anchors_; }
  const std::vector<LayoutInfo>& Customs() const { return customs_; }

  // How the rules see a window: class name and style bits.
  static ChildTraits TraitsOf(const wxWindow* child);

 protected:
  // Asks the child for its properties and records whether it answered; a
  // child that does not answer gets the clipping rule's result cached.
  virtual void QueryChildLayout(LayoutInfo& entry);
  virtual bool ChildAllowsClipping(const LayoutInfo& entry);
  virtual bool ChildNeedsRefresh(const LayoutInfo& entry, const RECT& oldRect, const RECT& newRect);
  // The part of the layout window the anchors refer to (its client area).
  virtual void GetLayoutClientRect(RECT& rect) const;
  // Fills in window and margins of custom entry `entry` (a copy made for this
  // pass), e.g. margins = AnchorAt(where it goes now, client, TOP_LEFT,
  // BOTTOM_RIGHT); true to have it laid out. The base declines every entry.
  virtual bool PlaceChildCustom(LayoutInfo& entry);
  // The window whose children are laid out.
  virtual wxWindow* GetLayoutWindow() const = 0;

  // The layout window's client area without the children that paint themselves.
  wxRegion BuildEraseRegion();
  void ExcludeChild(const LayoutInfo& entry, wxRegion& region);

  // `child`'s rectangle in the layout window's client coordinates.
  RECT ChildRect(const wxWindow* child) const;
  // Sends resize-support query `query` with `record` to `child`; true when it answered.
  static bool SendResizeSupport(wxWindow* child, unsigned query, void* record);

 private:
  std::unordered_map<const wxWindow*, size_t> positions_;
  std::vector<LayoutInfo> anchors_;
  std::vector<LayoutInfo> customs_;
};

namespace ui {

// Fills `region` on `dc` with `colour`, piece by piece: GTK's device context
// shares its drawing state with the paint that follows, and a clipping
// region once set cannot be given back to it.
void FillRegion(wxDC& dc, const wxRegion& region, const wxColour& colour);

}  // namespace ui
