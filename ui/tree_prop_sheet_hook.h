// The resize hooks of a resizable property sheet: they stand in front of the
// sheet's own event handlers and lay its children out whenever it changes
// size. Each child is anchored to the client area as it was when the hook
// attached: a corner anchor of (0, 0) keeps a distance to the top-left, of
// (100, 100) to the bottom-right, so the buttons follow the lower-right
// corner and the page area grows. The page and the tab strip are placed by
// the sheet's own rule (PlaceChildCustom), and a size grip sits in the
// corner.
//
// CTreePropSheetResizableLibHook does the same for a tree sheet: the
// splitter grows with the sheet, and the page follows the frame.
//
// The anchors are kept here in the small form the sheet needs; when the
// program's general resizable-layout classes are at hand, this hook is the
// place to build on them instead.
#pragma once

#include <wx/event.h>
#include <wx/weakref.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/property_sheet.h"
#include "ui/size_grip.h"

namespace TreePropSheet {

class CTreePropSheetEx;

class CResizableSheetHook : public wxEvtHandler {
 public:
  explicit CResizableSheetHook(ui::CPropertySheet* sheet);
  ~CResizableSheetHook() override;

  // Stands in front of the sheet's handlers, makes the grip, takes the
  // sheet's size as its minimum and anchors the children.
  bool Attach();
  // Leaves the sheet (also done when the sheet's window goes).
  void Detach();
  bool IsAttached() const { return attached_; }

  void SetMinTrack(const wxSize& size);
  void SetMaxTrack(const wxSize& size);
  // Lays the children out for the sheet's current size.
  void Relayout();
  CSizeGripExt* Grip() const { return grip_.get(); }

 protected:
  // An anchor point in percent of the client size; kNoAnchor as the
  // bottom-right anchor keeps the child's size.
  static inline const wxPoint kNoAnchor{-1, -1};
  virtual void AddSheetAnchors();
  void AnchorChild(int id, const wxPoint& topLeft, const wxPoint& bottomRight);
  void AnchorWindow(wxWindow* child, const wxPoint& topLeft, const wxPoint& bottomRight);
  // Places what follows the sheet's own rule, after the anchored children.
  virtual void PlaceChildCustom();
  ui::CPropertySheet* Sheet() const { return sheet_; }

  wxRect pageMargins_;  // the page's distances to the client edges (left, top, right, bottom)

 private:
  struct Anchor {
    wxWeakRef<wxWindow> child;
    wxPoint topLeft;
    wxPoint bottomRight;
    wxRect margins;  // x: left, y: top, width: right, height: bottom
  };
  void OnSize(wxSizeEvent& event);
  void OnDestroy(wxWindowDestroyEvent& event);

  ui::CPropertySheet* sheet_;
  std::vector<Anchor> anchors_;
  std::unique_ptr<CSizeGripExt> grip_;
  bool attached_ = false;
  unsigned gripStatus_ = 1;
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
  void PlaceChildCustom() override;

 private:
  CTreePropSheetEx* treeSheet_;
};

}  // namespace TreePropSheet
