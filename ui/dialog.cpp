// The dialog base: window creation from a template, modal run, ending with
// the program's result numbers, keyboard and close-box handling.
#include "ui/dialog.h"

#include <wx/button.h>
#include <wx/display.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/textctrl.h>

#include <type_traits>

namespace ui {

namespace {

long HostStyle(uint32_t style) {
  long s = 0;
  if (style & kDialogCaption) s |= wxCAPTION;
  if (style & kDialogSysMenu) s |= wxSYSTEM_MENU | wxCLOSE_BOX;
  if (style & kDialogResizable) s |= wxRESIZE_BORDER;
  if (style & kDialogMinBox) s |= wxMINIMIZE_BOX;
  if (style & kDialogMaxBox) s |= wxMAXIMIZE_BOX;
  if (style & kDialogStayOnTop) s |= wxSTAY_ON_TOP;
  return s;
}

// Keeps a window that the template makes larger than the screen on it.
wxSize ClampToDisplay(const wxWindow* window, wxSize size) {
  const int index = wxDisplay::GetFromWindow(window);
  const wxRect area = wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetClientArea();
  size.x = std::min(size.x, area.width);
  size.y = std::min(size.y, area.height);
  return size;
}

}  // namespace

template <class Host>
const MapRow<CDialogT<Host>> CDialogT<Host>::kMessageMap[] = {
    OnCommand(IDOK, &CDialogT::OnOKCommand),
    OnCommand(IDCANCEL, &CDialogT::OnCancelCommand),
    OnEvent(wxEVT_CLOSE_WINDOW, wxID_ANY, &CDialogT::OnCloseWindow),
    OnEvent(wxEVT_CHAR_HOOK, wxID_ANY, &CDialogT::OnCharHook),
    OnEvent(wxEVT_SIZE, wxID_ANY, &CDialogT::OnFrameSize),
};

template <class Host>
CDialogT<Host>::CDialogT(const DialogTemplate& tmpl, wxWindow* parent) : template_(&tmpl), parent_(parent) {
  BindMessageMap(this, kMessageMap);
}

template <class Host>
bool CDialogT<Host>::CreateWindowAndControls() {
  if (created_) return true;
  const DialogTemplate& tmpl = *template_;
  const wxString caption = wxString::FromUTF8(tmpl.caption.data(), tmpl.caption.size());
  if (!Host::Create(parent_, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, HostStyle(tmpl.style))) {
    return false;
  }
  this->SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  if constexpr (std::is_base_of_v<wxDialog, Host>) {
    // Our own handlers end the dialog; wx's button and Escape machinery stays out.
    this->SetEscapeId(wxID_NONE);
    this->SetAffirmativeId(wxID_NONE);
    surface_ = this;
  } else {
    surface_ = new wxPanel(this, wxID_ANY);
  }
  baseUnits_ = DialogBaseUnits(surface_);
  const wxSize client = ClampToDisplay(this, DialogClientSize(baseUnits_, tmpl));
  this->SetClientSize(client);
  FitSurface();
  BuildDialogControls(surface_, tmpl,
                      [this](wxWindow* parent, const DialogItem& item, int id, const wxRect& rect) {
                        return CreateControl(parent, item, id, rect);
                      });
  this->CentreOnParent();
  created_ = true;
  return true;
}

template <class Host>
int CDialogT<Host>::DoModal() {
  ended_ = false;
  destroyNotified_ = false;
  result_ = -1;
  if (!CreateWindowAndControls()) return -1;
  OnInitDialog();
  if (!ended_) {
    if constexpr (std::is_base_of_v<wxDialog, Host>) {
      this->ShowModal();
    } else {
      wxGUIEventLoop loop;
      frameLoop_ = &loop;
      this->Show();
      loop.Run();
      frameLoop_ = nullptr;
      this->Hide();
    }
  }
  NotifyDestroy();
  return result_;
}

template <class Host>
bool CDialogT<Host>::Create() {
  ended_ = false;
  destroyNotified_ = false;
  if (!CreateWindowAndControls()) return false;
  OnInitDialog();
  return true;
}

template <class Host>
void CDialogT<Host>::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  if constexpr (std::is_base_of_v<wxDialog, Host>) {
    if (this->IsModal()) this->EndModal(result);
  } else {
    if (frameLoop_ != nullptr) frameLoop_->ScheduleExit(0);
  }
}

template <class Host>
void CDialogT<Host>::DestroyWindow() {
  NotifyDestroy();
  this->Destroy();
}

template <class Host>
void CDialogT<Host>::NotifyDestroy() {
  if (destroyNotified_) return;
  destroyNotified_ = true;
  wxCommandEvent event(wxEVT_UI_DIALOG_DESTROY, this->GetId());
  event.SetEventObject(this);
  this->ProcessWindowEvent(event);
}

template <class Host>
wxWindow* CDialogT<Host>::GetDlgItem(int id) const {
  if (surface_ == nullptr) return nullptr;
  const int wxId = WxId(id);
  if (wxId == wxID_ANY) return nullptr;
  for (wxWindow* child : surface_->GetChildren()) {
    if (child->GetId() == wxId) return child;
  }
  return nullptr;
}

template <class Host>
int CDialogT<Host>::DefaultCommandId() const {
  for (const DialogItem& item : template_->items) {
    if (item.kind == ControlKind::DefButton) return item.id;
  }
  return IDOK;
}

template <class Host>
void CDialogT<Host>::SendCommand(int id) {
  wxWindow* control = GetDlgItem(id);
  wxCommandEvent event(wxEVT_BUTTON, WxId(id));
  event.SetEventObject(control != nullptr ? control : static_cast<wxWindow*>(this));
  this->ProcessWindowEvent(event);
}

template <class Host>
void CDialogT<Host>::FitSurface() {
  if (surface_ != nullptr && surface_ != this) surface_->SetSize(this->GetClientSize());
}

template <class Host>
void CDialogT<Host>::OnCloseWindow(wxCloseEvent& event) {
  // The close box asks for IDCANCEL; the dialog decides whether it ends.
  if (event.CanVeto()) event.Veto();
  SendCommand(IDCANCEL);
  if (!event.CanVeto() && !ended_) EndDialog(IDCANCEL);
}

template <class Host>
void CDialogT<Host>::OnCharHook(wxKeyEvent& event) {
  const int key = event.GetKeyCode();
  if (key == WXK_ESCAPE && !event.HasAnyModifiers()) {
    SendCommand(IDCANCEL);
    return;
  }
  if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers()) {
    wxWindow* focus = wxWindow::FindFocus();
    auto* text = dynamic_cast<wxTextCtrl*>(focus);
    // A focused button presses itself; a multi-line edit takes the line break.
    if (dynamic_cast<wxButton*>(focus) != nullptr || (text != nullptr && text->IsMultiLine())) {
      event.Skip();
      return;
    }
    const int id = DefaultCommandId();
    wxWindow* button = GetDlgItem(id);
    if (button == nullptr || button->IsEnabled()) SendCommand(id);
    return;
  }
  event.Skip();
}

template <class Host>
void CDialogT<Host>::OnFrameSize(wxSizeEvent&) {
  // No skip: wx's default would stretch a lone control over the whole dialog.
  FitSurface();
}

template class CDialogT<wxDialog>;
template class CDialogT<wxFrame>;

}  // namespace ui
