// The property page with an anchored layout.
#include "ui/resizable_page.h"

const ui::MapRow<CResizablePage> CResizablePage::kMessageMap[] = {
    ui::OnEvent(wxEVT_SIZE, wxID_ANY, &CResizablePage::OnSize),
    ui::OnEvent(wxEVT_ERASE_BACKGROUND, wxID_ANY, &CResizablePage::OnEraseBkgnd),
};

CResizablePage::CResizablePage(const ui::DialogTemplate& tmpl) : ui::CPropertyPage(tmpl) {
  ui::BindMessageMap(this, kMessageMap);
}

void CResizablePage::OnSize(wxSizeEvent& event) {
  event.Skip();  // the panel's own size handling
  Relayout();
}

void CResizablePage::OnEraseBkgnd(wxEraseEvent& event) {
  // No device context: nothing to fill into; the toolkit draws the background.
  if (event.GetDC() == nullptr) {
    event.Skip();
    return;
  }
  PaintBackground(event.GetDC());
}
