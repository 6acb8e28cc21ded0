// The dialog base: window creation from a template, modal run, ending with
// the program's result numbers, keyboard and close-box handling.
#include "ui/dialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/treectrl.h>

#include <type_traits>

#include "ui/data_exchange.h"
#include "ui/focus_ring.h"
#include "ui/window_placement_store.h"

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

}  // namespace

// ---- the template half

CTemplateHost::CTemplateHost(const DialogTemplate& tmpl) : template_(&tmpl) {}

CTemplateHost::~CTemplateHost() = default;

void CTemplateHost::BuildControls(wxWindow* surface) {
  surface_ = surface;
  baseUnits_ = DialogBaseUnits(surface);
  const std::vector<wxWindow*> controls = BuildDialogControls(
      surface, *template_, [this](wxWindow* parent, const DialogItem& item, int id, const wxRect& rect) {
        return CreateControl(parent, item, id, rect);
      });
  built_.clear();
  for (size_t i = 0; i < controls.size(); ++i) {
    built_.push_back({controls[i]->GetId(), i});
    // Drawn lists and trees show the keyboard focus only through a ring.
    if (dynamic_cast<wxListCtrl*>(controls[i]) != nullptr ||
        dynamic_cast<wxTreeCtrl*>(controls[i]) != nullptr)
      ShowFocusRing(controls[i]);
  }
}

void CTemplateHost::AttachSurface(wxWindow* surface) { surface_ = surface; }

void CTemplateHost::ForgetSurface() {
  surface_ = nullptr;
  built_.clear();
}

wxWindow* CTemplateHost::GetDlgItem(int id) const { return FindChildById(surface_, id); }

const DialogItem* CTemplateHost::ItemOf(const wxWindow* control) const {
  if (control == nullptr || surface_ == nullptr || control->GetParent() != surface_) return nullptr;
  for (const BuiltControl& b : built_) {
    if (b.wxId == control->GetId()) return &template_->items[b.itemIndex];
  }
  return nullptr;
}

wxWindow* CTemplateHost::ControlOfItem(size_t index) const {
  if (surface_ == nullptr) return nullptr;
  for (const BuiltControl& b : built_) {
    if (b.itemIndex != index) continue;
    for (wxWindow* child : surface_->GetChildren()) {
      if (child->GetId() == b.wxId) return child;
    }
  }
  return nullptr;
}

bool CTemplateHost::UpdateData(bool saveAndValidate) {
  if (surface_ == nullptr) return false;
  CDataExchange dx(*this, saveAndValidate);
  DoDataExchange(&dx);
  return !dx.Failed();
}

const DialogItem* FindTemplateItem(const wxWindow* control) {
  if (control == nullptr) return nullptr;
  // The surface is the host itself (dialogs, pages) or a panel filling it (frames).
  // A page is not its window: it stands in the window's chain of handlers.
  for (wxWindow* w = control->GetParent(); w != nullptr; w = w->GetParent()) {
    for (wxEvtHandler* h = w->GetEventHandler(); h != nullptr; h = h->GetNextHandler()) {
      if (const auto* host = dynamic_cast<const CTemplateHost*>(h)) return host->ItemOf(control);
      if (h == w) break;
    }
    if (w->IsTopLevel()) break;
  }
  return nullptr;
}

wxWindow* FindChildById(const wxWindow* parent, int id) {
  if (parent == nullptr) return nullptr;
  const int wxId = WxId(id);
  if (wxId == wxID_ANY) return nullptr;
  for (wxWindow* child : parent->GetChildren()) {
    if (child->GetId() == wxId) return child;
  }
  return nullptr;
}

// ---- the top-level half

template <class Host>
const MapRow<CTopLevelDialogT<Host>> CTopLevelDialogT<Host>::kMessageMap[] = {
    OnCommand(IDOK, &CTopLevelDialogT::OnOKCommand),
    OnCommand(IDCANCEL, &CTopLevelDialogT::OnCancelCommand),
    OnEvent(wxEVT_CLOSE_WINDOW, wxID_ANY, &CTopLevelDialogT::OnCloseWindow),
    OnEvent(wxEVT_CHAR_HOOK, wxID_ANY, &CTopLevelDialogT::OnCharHook),
};

template <class Host>
CTopLevelDialogT<Host>::CTopLevelDialogT(wxWindow* parent) : parent_(parent) {
  BindMessageMap(this, kMessageMap);
}

template <class Host>
bool CTopLevelDialogT<Host>::CreateHost(wxWindow* parent, const wxString& caption, uint32_t style) {
  if (!Host::Create(parent, wxID_ANY, caption, wxDefaultPosition, wxDefaultSize, HostStyle(style))) {
    return false;
  }
  this->SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  if constexpr (std::is_base_of_v<wxDialog, Host>) {
    // Our own handlers end the dialog; wx's button and Escape machinery stays out.
    this->SetEscapeId(wxID_NONE);
    this->SetAffirmativeId(wxID_NONE);
  }
  return true;
}

template <class Host>
int CTopLevelDialogT<Host>::DoModal() {
  ended_ = false;
  destroyNotified_ = false;
  result_ = -1;
  if (!CreateWindowAndChildren()) return -1;
  created_ = true;
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
bool CTopLevelDialogT<Host>::Create() {
  ended_ = false;
  destroyNotified_ = false;
  if (!CreateWindowAndChildren()) return false;
  created_ = true;
  OnInitDialog();
  return true;
}

template <class Host>
bool CTopLevelDialogT<Host>::Show(bool show) {
  if (show && !this->IsShown()) WxPlacementWindow::KeepOnWorkArea(this);
  return Host::Show(show);
}

template <class Host>
void CTopLevelDialogT<Host>::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  if constexpr (std::is_base_of_v<wxDialog, Host>) {
    if (this->IsModal()) this->EndModal(result);
  } else {
    if (frameLoop_ != nullptr) frameLoop_->ScheduleExit(0);
  }
}

template <class Host>
void CTopLevelDialogT<Host>::DestroyWindow() {
  NotifyDestroy();
  this->Destroy();
}

template <class Host>
void CTopLevelDialogT<Host>::NotifyDestroy() {
  if (destroyNotified_) return;
  destroyNotified_ = true;
  wxCommandEvent event(wxEVT_UI_DIALOG_DESTROY, this->GetId());
  event.SetEventObject(this);
  this->ProcessWindowEvent(event);
}

template <class Host>
void CTopLevelDialogT<Host>::SendCommand(int id) {
  wxWindow* control = FindCommandControl(id);
  wxCommandEvent event(wxEVT_BUTTON, WxId(id));
  event.SetEventObject(control != nullptr ? control : static_cast<wxWindow*>(this));
  this->ProcessWindowEvent(event);
}

template <class Host>
void CTopLevelDialogT<Host>::OnCloseWindow(wxCloseEvent& event) {
  // The close box asks for IDCANCEL; the dialog decides whether it ends.
  if (event.CanVeto()) event.Veto();
  SendCommand(IDCANCEL);
  if (!event.CanVeto() && !ended_) EndDialog(IDCANCEL);
}

template <class Host>
void CTopLevelDialogT<Host>::OnCharHook(wxKeyEvent& event) {
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
    wxWindow* button = FindCommandControl(id);
    if (button == nullptr || button->IsEnabled()) SendCommand(id);
    return;
  }
  event.Skip();
}

// ---- a dialog built from its own template

template <class Host>
const MapRow<CDialogT<Host>> CDialogT<Host>::kMessageMap[] = {
    OnEvent(wxEVT_SIZE, wxID_ANY, &CDialogT::OnFrameSize),
};

template <class Host>
CDialogT<Host>::CDialogT(const DialogTemplate& tmpl, wxWindow* parent)
    : CTopLevelDialogT<Host>(parent), CTemplateHost(tmpl) {
  BindMessageMap(this, kMessageMap);
}

template <class Host>
bool CDialogT<Host>::CreateWindowAndChildren() {
  if (this->IsWindowCreated()) return true;
  const DialogTemplate& tmpl = Template();
  const wxString caption = wxString::FromUTF8(tmpl.caption.data(), tmpl.caption.size());
  if (!this->CreateHost(this->Parent(), caption, tmpl.style)) return false;
  wxWindow* surface = this;
  if constexpr (!std::is_base_of_v<wxDialog, Host>) surface = new wxPanel(this, wxID_ANY);
  AttachSurface(surface);
  // The template's size, even where it is larger than the screen: the
  // controls are laid out for it, and Show brings the window onto the
  // screen through the dialog's own layout.
  const wxSize client = DialogClientSize(DialogBaseUnits(surface), tmpl);
  this->SetClientSize(client);
  if (surface != this) surface->SetSize(this->GetClientSize());
  BuildControls(surface);
  this->CentreOnParent();
  return true;
}

template <class Host>
bool CDialogT<Host>::OnInitDialog() {
  UpdateData(false);
  return true;
}

template <class Host>
void CDialogT<Host>::OnOK() {
  if (!UpdateData(true)) return;
  this->EndDialog(IDOK);
}

template <class Host>
int CDialogT<Host>::DefaultCommandId() const {
  for (const DialogItem& item : Template().items) {
    if (item.kind == ControlKind::DefButton) return item.id;
  }
  return IDOK;
}

template <class Host>
void CDialogT<Host>::FitSurface() {
  wxWindow* surface = Surface();
  if (surface != nullptr && surface != this) surface->SetSize(this->GetClientSize());
}

template <class Host>
void CDialogT<Host>::OnFrameSize(wxSizeEvent&) {
  // No skip: wx's default would stretch a lone control over the whole dialog.
  FitSurface();
}

template class CTopLevelDialogT<wxDialog>;
template class CTopLevelDialogT<wxFrame>;
template class CDialogT<wxDialog>;
template class CDialogT<wxFrame>;

}  // namespace ui
