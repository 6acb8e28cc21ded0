// The resize hooks of a resizable property sheet. A hook sits on the sheet's
// window (CHookWnd) and lays its children out whenever the sheet changes
// size, with the resizable-layout mix-ins: the anchors (CResizableLayout),
// the size grip in the corner (CResizableGrip), the tracking limits
// (CResizableMinMax) and the stored placement (CResizableState).
//
// CResizableSheetHook anchors the tab strip to all four sides and the
// buttons to the lower-right corner; the active page is a custom entry that
// goes to the tab strip's page area at each layout. A wizard anchors its
// etched line to the bottom instead and keeps the page's margins.
//
// CTreePropSheetResizableLibHook does the same for a tree sheet: the splitter
// grows with the sheet, the hidden tab strip covers the frame and the page
// follows the frame.
//
//   hook.Attach();                        // on the sheet, with grip and anchors
//   hook.SetMinTrack({400, 300});
//   hook.PushTrackLimits();               // the limits reach the window
#pragma once

#include <wx/event.h>

#include <string>

#include "ui/hook_wnd.h"
#include "ui/property_sheet.h"
#include "ui/resizable_grip.h"
#include "ui/resizable_layout.h"
#include "ui/resizable_min_max.h"
#include "ui/resizable_state.h"

namespace TreePropSheet {

class CTreePropSheetEx;

class CResizableSheetHook : public CHookWnd,
                            public CResizableLayout,
                            public CResizableGrip,
                            public CResizableMinMax,
                            public CResizableState {
 public:
  explicit CResizableSheetHook(ui::CPropertySheet* sheet);
  ~CResizableSheetHook() override;

  // Hooks the sheet, makes the grip, takes the sheet's size as its minimum
  // and anchors the children. False without a sheet or when attached already.
  bool Attach();
  bool IsAttached() const { return IsHooked(); }

  // Gives the sheet the limits set with SetMinTrack and SetMaxTrack (the
  // window system asks nobody for them here, so they are pushed).
  void PushTrackLimits();

  wxWindow* GetLayoutWindow() const override;

 protected:
  bool WindowProc(wxEvent& event) override;
  virtual void AddSheetAnchors();
  // Custom entry 1: the active page, in the tab strip's page area (a
  // wizard's page keeps its margins).
  bool PlaceChildCustom(LayoutInfo& entry) override;
  ui::CPropertySheet* Sheet() const { return sheet_; }
  // Anchors the buttons that exist to the lower-right corner.
  void AnchorButtons();
  // The active page's window, or null.
  wxWindow* ActivePageWindow() const;

  // The page's distances to the client edges, taken when anchoring.
  RECT pageMargins_;

 private:
  void OnSize(wxSizeEvent& event);
  void OnDestroy();

  ui::CPropertySheet* sheet_;
  uint32_t gripStatus_ = 1;
  bool saveState_ = false;
  bool saveRectOnly_ = false;
  bool saveActivePage_ = false;
  std::string stateSection_;
};

class CTreePropSheetResizableLibHook : public CResizableSheetHook {
 public:
  explicit CTreePropSheetResizableLibHook(CTreePropSheetEx* sheet);

 protected:
  void AddSheetAnchors() override;
  // In tree view: custom entry 1 is the hidden tab strip (onto the frame),
  // 2 the active page (inside the frame).
  bool PlaceChildCustom(LayoutInfo& entry) override;

 private:
  bool InTreeView() const;

  CTreePropSheetEx* treeSheet_;
};

}  // namespace TreePropSheet
