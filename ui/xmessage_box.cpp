// The custom message box's window: shows the in-memory template and forwards
// clicks, keys and timer ticks to the box's model.
#include "ui/xmessage_box.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/dcclient.h>
#include <wx/dcscreen.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stdpaths.h>

#include "ui/core/profile_store.h"
#include "ui/help_page.h"

namespace {

constexpr int kTimerIntervalMs = 1000;
constexpr SIZE kFallbackIconSize{32, 32};

wxString Wx(std::string_view s) { return wxString::FromUTF8(s.data(), s.size()); }

wxColour FromColourRef(XmbColour c) { return wxColour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

std::string ProgramFileName() {
  return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetFullName().utf8_string();
}

wxArtID IconArt(uint32_t type, const std::string& iconName) {
  if (!iconName.empty()) return Wx(iconName);
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      return wxART_ERROR;
    case MB_ICONQUESTION:
      return wxART_QUESTION;
    case MB_ICONASTERISK:
      return wxART_INFORMATION;
    default:
      return wxART_WARNING;
  }
}

ui::ControlKind KindOf(const CXDialogItem& item) {
  switch (item.kind) {
    case XmbItemKind::Icon:
      return ui::ControlKind::Picture;
    case XmbItemKind::Message:
      return ui::ControlKind::Static;
    case XmbItemKind::CheckBox:
      return ui::ControlKind::CheckBox;
    case XmbItemKind::Button:
      break;
  }
  return item.isDefault ? ui::ControlKind::DefButton : ui::ControlKind::Button;
}

bool IsButtonClass(const wxWindow* w) {
  // Push buttons and the check box: the controls the copy lists.
  return dynamic_cast<const wxButton*>(w) != nullptr || dynamic_cast<const wxCheckBox*>(w) != nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Metrics

WxXmbMetrics::WxXmbMetrics(const wxWindow* reference)
    : reference_(reference), font_(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT)) {}

SIZE WxXmbMetrics::BaseUnits() const {
  wxScreenDC dc;
  dc.SetFont(font_);
  const wxSize letters = dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {(letters.x / 26 + 1) / 2, dc.GetCharHeight()};
}

int WxXmbMetrics::TextWidth(std::string_view text) const {
  wxScreenDC dc;
  dc.SetFont(font_);
  return dc.GetTextExtent(Wx(text)).x;
}

int WxXmbMetrics::LineHeight() const {
  wxScreenDC dc;
  dc.SetFont(font_);
  return dc.GetCharHeight();
}

SIZE WxXmbMetrics::ScreenSize() const {
  const int index = reference_ != nullptr ? wxDisplay::GetFromWindow(reference_) : wxNOT_FOUND;
  // The work area, without panels and docks: the box's width is a share of it.
  const wxRect area = wxDisplay(index == wxNOT_FOUND ? 0u : static_cast<unsigned>(index)).GetClientArea();
  return {area.width, area.height};
}

namespace {

// What a push button and a check box need beside their label, measured once
// on throw-away controls.
struct ControlRoom {
  int button = 0;
  int checkBox = 0;
};

const ControlRoom& MeasuredControlRoom(const wxFont& font) {
  static const ControlRoom room = [&font] {
    ControlRoom r;
    auto* probe = new wxFrame(nullptr, wxID_ANY, wxEmptyString);
    probe->SetFont(font);
    // Long enough that no minimum button width hides the padding.
    const wxString label = "Measure the room beside this label";
    const int text = probe->GetTextExtent(label).x;
    auto* button = new wxButton(probe, wxID_ANY, label);
    auto* check = new wxCheckBox(probe, wxID_ANY, label);
    r.button = button->GetBestSize().x - text;
    r.checkBox = check->GetBestSize().x - text;
    probe->Destroy();
    return r;
  }();
  return room;
}

}  // namespace

int WxXmbMetrics::ButtonExtra() const { return MeasuredControlRoom(font_).button; }

int WxXmbMetrics::CheckBoxExtra() const { return MeasuredControlRoom(font_).checkBox; }

SIZE WxXmbMetrics::IconSize() const {
  const wxSize size = wxArtProvider::GetSizeHint(wxART_MESSAGE_BOX);
  if (size.x <= 0 || size.y <= 0) return kFallbackIconSize;
  return {size.x, size.y};
}

// ---------------------------------------------------------------------------
// The box's window

ui::XmbTemplateStorage::XmbTemplateStorage(std::unique_ptr<CXDialogTemplate> boxModel)
    : model(std::move(boxModel)) {
  for (const CXDialogItem& item : model->Items()) {
    uint32_t style = item.kind == XmbItemKind::Message ? kNoPrefix : 0;
    items.push_back({KindOf(item), item.id, item.text, item.x, item.y, item.cx, item.cy, style});
  }
  uint32_t dialogStyle = kDialogCaption | kDialogSysMenu;
  if (model->Type() & (MB_TOPMOST | MB_SYSTEMMODAL)) dialogStyle |= kDialogStayOnTop;
  tmpl = {0, model->Caption(), model->ClientSizeDlu().cx, model->ClientSizeDlu().cy, dialogStyle, items};
}

const ui::MapRow<CXMessageDialog> CXMessageDialog::kMessageMap[] = {
    ui::OnEvent(wxEVT_BUTTON, wxID_ANY, &CXMessageDialog::OnButton),  // every button, Escape, close box
    ui::OnEvent(wxEVT_CHECKBOX, kXmbCheckBoxId, &CXMessageDialog::OnButton),
    ui::OnWmTimer(&CXMessageDialog::OnTimer),
    ui::OnEvent(wxEVT_CHAR_HOOK, wxID_ANY, &CXMessageDialog::OnKey),
    ui::OnEvent(wxEVT_LEFT_DOWN, wxID_ANY, &CXMessageDialog::OnMouseDown),
    ui::OnEvent(wxEVT_PAINT, wxID_ANY, &CXMessageDialog::OnPaintBox),
};

CXMessageDialog::CXMessageDialog(wxWindow* owner, std::unique_ptr<CXDialogTemplate> boxModel)
    : XmbTemplateStorage(std::move(boxModel)), ui::CDialog(tmpl, owner) {
  ui::BindMessageMap(this, kMessageMap);
}

bool CXMessageDialog::OnInitDialog() {
  ui::CDialog::OnInitDialog();
  SetName(kWindowName);
  const XMessageBoxParams& params = model->Params();
  if (auto* check = GetDlgItemAs<wxCheckBox>(kXmbCheckBoxId)) check->SetValue(false);
  SetIcon();
  if (params.textColour != -1) {
    if (wxWindow* message = GetDlgItem(kXmbFirstTextId))
      message->SetForegroundColour(FromColourRef(params.textColour));
  }
  if (model->ButtonsDisabled()) EnableButtons(false);
  EnableCloseButton(model->CloseAllowed());
  if (wxWindow* def = GetDlgItem(model->DefaultButtonId())) def->SetFocus();
  if (params.x != 0 || params.y != 0) {
    Move(params.x, params.y);
  } else if (GetParent() != nullptr && GetParent()->IsShown()) {
    CentreOnParent();
  } else {
    // An owner not on screen yet (a main window still starting) is not
    // where it will show: the box is centred on the work area instead.
    CentreOnScreen();
  }
  if (model->Type() & MB_SETFOREGROUND) Raise();
  // Clicks anywhere in the box stop the countdown; mouse events do not travel
  // from the controls to the box, so each control reports its own.
  for (wxWindow* child : GetChildren()) child->Bind(wxEVT_LEFT_DOWN, &CXMessageDialog::OnMouseDown, this);
  if (model->TimeoutRunning()) timeoutTimer_.Start(kTimerIntervalMs);
  if (model->ButtonsDisabled()) disabledTimer_.Start(kTimerIntervalMs);
  return false;  // the focus is set
}

void CXMessageDialog::SetIcon() {
  auto* icon = GetDlgItemAs<wxStaticBitmap>(kXmbIconId);
  if (icon == nullptr) return;
  icon->SetBitmap(
      wxArtProvider::GetBitmapBundle(IconArt(model->Type(), model->Params().iconName), wxART_MESSAGE_BOX));
}

bool CXMessageDialog::CheckBoxTicked() const {
  const auto* check = GetDlgItemAs<wxCheckBox>(kXmbCheckBoxId);
  return check != nullptr && check->GetValue();
}

void CXMessageDialog::EnableButtons(bool enable) {
  for (int id = 1; id <= kXmbLastDisabledId; ++id) {
    if (wxWindow* button = GetDlgItem(id)) button->Enable(enable);
  }
}

bool CXMessageDialog::IsTimerRunning(int timerId) const {
  return timerId == kTimeoutTimer ? timeoutTimer_.IsRunning() : disabledTimer_.IsRunning();
}

void CXMessageDialog::OnButton(wxCommandEvent& event) {
  const int id = ui::ProgramId(event.GetId());
  // Escape and the close box wait out the disabled seconds like the buttons.
  if (id == IDCANCEL && model->ButtonsDisabled()) return;
  Apply(model->OnCommand(static_cast<uint32_t>(id), CheckBoxTicked()));
}

void CXMessageDialog::OnTimer(unsigned timerId) {
  if (timerId == kTimeoutTimer) {
    Apply(model->OnTimeoutTick(CheckBoxTicked()));
    if (!model->TimeoutRunning()) timeoutTimer_.Stop();
  } else if (timerId == kDisabledTimer) {
    Apply(model->OnDisabledTick());
    if (!model->ButtonsDisabled()) disabledTimer_.Stop();
  }
}

void CXMessageDialog::OnMouseDown(wxMouseEvent& event) {
  Apply(model->OnClick());
  event.Skip();
}

void CXMessageDialog::OnKey(wxKeyEvent& event) {
  if (event.GetKeyCode() == 'C' && event.ControlDown()) {
    CopyToClipboard();
    return;
  }
  event.Skip();
}

void CXMessageDialog::OnPaintBox(wxPaintEvent& event) {
  if (!model->HasBackgroundBrush()) {
    event.Skip();
    return;
  }
  wxPaintDC dc(this);
  const wxSize client = GetClientSize();
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.DrawRectangle(0, 0, client.x, client.y);
  const XmbColour back = model->Params().backgroundColour;
  dc.SetBrush(wxBrush(back != -1 ? FromColourRef(back) : wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
  const wxWindow* message = GetDlgItem(kXmbFirstTextId);
  const int bandBottom = message != nullptr ? message->GetRect().GetBottom() + 1 : 0;
  dc.DrawRectangle(0, 0, client.x, bandBottom);
}

void CXMessageDialog::Apply(const CXDialogTemplate::Reaction& r) {
  if (r.stopCountdown) timeoutTimer_.Stop();
  if (r.defaultButtonText) {
    if (wxWindow* def = GetDlgItem(model->DefaultButtonId())) def->SetLabel(Wx(*r.defaultButtonText));
  }
  if (r.caption) SetTitle(Wx(*r.caption));
  if (r.enableButtons) {
    EnableButtons(true);
    EnableCloseButton(model->CloseAllowed());
    Refresh();
  }
  const XMessageBoxParams& params = model->Params();
  if (r.callReport && params.reportCallback) params.reportCallback(model->Message(), params.reportData);
  if (r.openHelp) OpenHelpPage(ProgramHelpPagePath());
  if (r.writeAnswer) {
    WriteRememberedAnswer(AppProfile(), RememberedAnswerKey(params.companyKey, ProgramFileName()),
                          RememberedValueName(params.valueNameSource, params.valueNameNumber), r.result);
  }
  if (r.end) {
    timeoutTimer_.Stop();
    disabledTimer_.Stop();
    EndDialog(static_cast<int>(r.result));
  }
}

void CXMessageDialog::CopyToClipboard() {
  std::vector<std::string> buttons;
  for (const wxWindow* child : GetChildren()) {
    if (IsButtonClass(child)) buttons.push_back(child->GetLabel().utf8_string());
  }
  const std::string text =
      BuildClipboardText(model->Caption(), model->Message(), GetDlgItem(kXmbFirstTextId) != nullptr, buttons);
  wxClipboardLocker lock;
  if (!lock) return;
  wxTheClipboard->SetData(new wxTextDataObject(Wx(text)));
}

// ---------------------------------------------------------------------------
// Entry

int XMessageBox(wxWindow* owner, const std::string& text, const std::string& caption, uint32_t type,
                const XMessageBoxParams* params) {
  if (owner == nullptr) {
    wxWindow* active = wxGetActiveWindow();
    owner = active != nullptr ? wxGetTopLevelParent(active) : nullptr;
  }
  XMessageBoxParams p = params != nullptr ? *params : XMessageBoxParams{};
  p.options |= kXmbVistaStyle;  // this platform counts as the newer look
  auto model = std::make_unique<CXDialogTemplate>(text, caption, type, p, WxXmbMetrics(owner));
  if ((type & MB_CHECKBOXMASK) != 0 && !p.valueNameSource.empty()) {
    const uint32_t answer =
        ReadRememberedAnswer(AppProfile(), RememberedAnswerKey(p.companyKey, ProgramFileName()),
                             RememberedValueName(p.valueNameSource, p.valueNameNumber));
    // Only an answer that names a button of this very box stands for it.
    if (model->AcceptsRememberedAnswer(answer)) return static_cast<int>(answer);
  }
  if ((type & MB_NOSOUND) == 0) wxBell();
  CXMessageDialog box(owner, std::move(model));
  return box.DoModal();
}

int XMessageBox(wxWindow* owner, int textId, int captionId, uint32_t type, const XMessageBoxParams* params) {
  const auto load = [&](int id) {
    return params != nullptr && params->loadString && id != 0 ? params->loadString(id) : std::string();
  };
  return XMessageBox(owner, load(textId), load(captionId), type, params);
}
