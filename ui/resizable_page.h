// A property page that carries an anchored layout (ui/resizable_layout.h):
// the children of the page's window follow its size as their anchors say
// (anchor them in OnInitDialog, when they exist), and its
// background is filled around the children that paint themselves. A page
// that anchors nothing moves nothing and fills its whole client area with
// its background colour.
//
//   class CMyPage : public CResizablePage {
//    public:
//     CMyPage() : CResizablePage(res::kMyPage) {}
//    protected:
//     bool OnInitDialog() override {
//       CResizablePage::OnInitDialog();
//       AnchorChild(IDC_LIST, TOP_LEFT, BOTTOM_RIGHT);
//       return true;
//     }
//   };
#pragma once

#include <wx/event.h>

#include "ui/property_page.h"
#include "ui/resizable_layout.h"

class CResizablePage : public ui::CPropertyPage, public CResizableLayout {
 public:
  explicit CResizablePage(const ui::DialogTemplate& tmpl);

  // The page's window (null until the sheet first shows the page).
  wxWindow* GetLayoutWindow() const override { return GetWindow(); }

 protected:
  // Default size handling, then the layout.
  void OnSize(wxSizeEvent& event);
  // Fills the background around the children; the erase is then done.
  void OnEraseBkgnd(wxEraseEvent& event);

 private:
  static const ui::MapRow<CResizablePage> kMessageMap[];
};
