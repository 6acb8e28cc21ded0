// Property pages: the page's window, made on demand, and the default page protocol.
#include "ui/property_page.h"

#include <wx/panel.h>

#include "ui/property_sheet.h"

namespace ui {

CPropertyPage::CPropertyPage(const DialogTemplate& tmpl) : CTemplateHost(tmpl) {}

CPropertyPage::~CPropertyPage() {
  // The sheet forgets the page and destroys its window, if any.
  if (sheet_ != nullptr) sheet_->RemovePage(this);
  if (wxWindow* window = Surface()) {
    window->RemoveEventHandler(this);
    ForgetSurface();
    window->Destroy();
  }
}

std::string CPropertyPage::GetCaption() const {
  return ownCaption_ ? caption_ : std::string(Template().caption);
}

void CPropertyPage::SetCaption(const std::string& caption) {
  caption_ = caption;
  ownCaption_ = true;
  flags_ |= PSP_USETITLE;
}

void CPropertyPage::SetIcon(const wxIcon& icon) {
  icon_ = icon;
  flags_ |= PSP_USEHICON;
}

void CPropertyPage::SetModified(bool changed) {
  modified_ = changed;
  if (sheet_ != nullptr) sheet_->UpdateApplyButton();
}

wxSize CPropertyPage::GetClientSize() const {
  return Surface() != nullptr ? Surface()->GetClientSize() : wxSize();
}

void CPropertyPage::SendInitDialog() {
  if (IsPageCreated()) OnInitDialog();
}

bool CPropertyPage::OnApply() {
  OnOK();
  return true;
}

bool CPropertyPage::OnInitDialog() {
  UpdateData(false);
  return true;
}

bool CPropertyPage::CreatePage(wxWindow* sheetWindow, const wxRect& rect) {
  if (IsPageCreated()) return true;
  auto* panel = new wxPanel();
  panel->Hide();  // shown by the sheet once it is placed and ready
  if (!panel->Create(sheetWindow, wxID_ANY, rect.GetPosition(), rect.GetSize(), wxTAB_TRAVERSAL)) {
    delete panel;
    return false;
  }
  panel->SetFont(sheetWindow->GetFont());
  panel->PushEventHandler(this);
  Bind(wxEVT_DESTROY, &CPropertyPage::OnWindowDestroy, this);
  BuildControls(panel);
  OnInitDialog();
  return true;
}

void CPropertyPage::OnWindowDestroy(wxWindowDestroyEvent& event) {
  event.Skip();
  wxWindow* window = Surface();
  // The event also reaches us from the page's controls on their way out.
  if (window == nullptr || event.GetEventObject() != window) return;
  Unbind(wxEVT_DESTROY, &CPropertyPage::OnWindowDestroy, this);
  window->RemoveEventHandler(this);
  ForgetSurface();
}

}  // namespace ui
