// The link label.
#include "ui/hyperlink.h"

#include <wx/app.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include <filesystem>
#include <system_error>

#include "ui/xmessage_box.h"

namespace {

wxString Wx(const std::string& text) { return wxString::FromUTF8(text); }

long AlignStyle(uint32_t style) {
  long s = wxST_NO_AUTORESIZE;
  if (style & ui::kAlignCentre) s |= wxALIGN_CENTRE_HORIZONTAL;
  if (style & ui::kAlignRight) s |= wxALIGN_RIGHT;
  return s;
}

std::string CurrentFolder() {
  std::error_code error;
  const auto folder = std::filesystem::current_path(error);
  return error ? std::string("/") : folder.string();
}

}  // namespace

const ui::MapRow<CHyperLink> CHyperLink::kMessageMap[] = {
    ui::OnEvent(wxEVT_MOTION, wxID_ANY, &CHyperLink::OnMouseMove),
    ui::OnWmTimer(&CHyperLink::OnTimer),
    ui::OnEvent(wxEVT_LEFT_DOWN, wxID_ANY, &CHyperLink::OnLeftDown),
    ui::OnEvent(wxEVT_CHAR_HOOK, wxID_ANY, &CHyperLink::OnKey),
    ui::OnEvent(wxEVT_SET_FOCUS, wxID_ANY, &CHyperLink::OnFocusChange),
    ui::OnEvent(wxEVT_KILL_FOCUS, wxID_ANY, &CHyperLink::OnFocusChange),
};

CHyperLink::CHyperLink() = default;

CHyperLink::~CHyperLink() { hoverTimer_.Stop(); }

bool CHyperLink::Create(wxWindow* parent, const ui::DialogItem& item, int wxId, const wxRect& rect) {
  if (!wxGenericStaticText::Create(parent, wxId, wxEmptyString, rect.GetPosition(), rect.GetSize(),
                                   AlignStyle(item.style))) {
    return false;
  }
  const wxString text = wxString::FromUTF8(item.text.data(), item.text.size());
  if (item.style & ui::kNoPrefix) {
    SetLabelText(text);
  } else {
    SetLabel(text);
  }
  alignment_ = {(item.style & ui::kAlignCentre) != 0, (item.style & ui::kAlignRight) != 0,
                (item.style & ui::kCentreImage) != 0};
  ui::BindMessageMap(this, kMessageMap);
  Attach();
  return true;
}

void CHyperLink::Attach() {
  // The text and the target stand in for each other.
  if (target_.empty()) target_ = GetLabelText().utf8_string();
  if (GetLabel().empty()) SetLabelText(Wx(target_));
  plainFont_ = GetFont().IsOk() ? GetFont() : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  underlinedFont_ = plainFont_.Underlined();
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  ApplyLook();
  PositionWindow();
  SetDefaultCursor();
  SetToolTip(Wx(target_));
}

void CHyperLink::ApplyLook() {
  const bool underlined =
      underline_ == kUnderlineAlways || (underline_ == kUnderlineHover && (hovering_ || focused_));
  SetFont(underlined ? underlinedFont_ : plainFont_);
  SetForegroundColour(hovering_ ? hoverColour_ : visited_ ? visitedColour_ : linkColour_);
  Refresh();
}

void CHyperLink::SetTarget(const std::string& target) {
  target_ = target;
  if (GetHandle() == nullptr) return;
  PositionWindow();
  SetToolTip(Wx(target_));
}

void CHyperLink::SetVisited(bool visited) {
  visited_ = visited;
  if (GetHandle() != nullptr) ApplyLook();
}

void CHyperLink::SetUnderline(int mode) {
  if (mode == underline_) return;
  underline_ = mode;
  if (GetHandle() != nullptr) ApplyLook();
}

void CHyperLink::SetDefaultCursor() {
  if (hasCursor_) return;
  SetCursor(wxCursor(wxCURSOR_HAND));
  hasCursor_ = true;
}

RECT CHyperLink::FittedRect(const RECT& r) const {
  wxCoord width = 0;
  wxCoord height = 0;
  // Measured underlined, so hovering never cuts the text.
  GetTextExtent(GetLabelText(), &width, &height, nullptr, nullptr, &underlinedFont_);
  const wxSize border = GetSize() - GetClientSize();
  return ui::FitLinkRect(r, {width, height}, {border.x, border.y}, alignment_);
}

void CHyperLink::PositionWindow() {
  if (GetHandle() == nullptr || !fitToText_ || GetParent() == nullptr) return;
  const wxRect now = GetRect();
  const RECT fitted = FittedRect({now.x, now.y, now.x + now.width, now.y + now.height});
  wxGenericStaticText::DoSetSize(fitted.left, fitted.top, fitted.Width(), fitted.Height(),
                                 wxSIZE_ALLOW_MINUS_ONE);
}

void CHyperLink::DoSetSize(int x, int y, int width, int height, int sizeFlags) {
  if (fitToText_ && underlinedFont_.IsOk() && x != wxDefaultCoord && y != wxDefaultCoord && width >= 0 &&
      height >= 0) {
    const RECT fitted = FittedRect({x, y, x + width, y + height});
    x = fitted.left;
    y = fitted.top;
    width = fitted.Width();
    height = fitted.Height();
  }
  wxGenericStaticText::DoSetSize(x, y, width, height, sizeFlags);
}

int CHyperLink::GotoURL(const std::string& target) {
  const ui::LinkTarget sorted = ui::ClassifyLinkTarget(target, CurrentFolder());
  if (sorted.kind == ui::LinkTargetKind::Refused) return sorted.failureCode;
  return ui::LinkResultCode(OpenWithDesktopHandler(sorted.argument));
}

void CHyperLink::ReportError(int code) {
  const std::string caption =
      wxTheApp != nullptr ? wxTheApp->GetAppDisplayName().utf8_string() : std::string();
  XMessageBox(wxGetTopLevelParent(this), ui::HyperLinkErrorText(code), caption, MB_OK | MB_ICONEXCLAMATION);
}

void CHyperLink::OnMouseMove(wxMouseEvent& event) {
  if (!hovering_) {
    hovering_ = true;
    ApplyLook();
    hoverTimer_.Start(kHoverTimerMs);
  }
  event.Skip();
}

void CHyperLink::OnTimer(unsigned timerId) {
  if (timerId != kHoverTimerId || !hovering_) return;
  const wxPoint pointer = ScreenToClient(wxGetMousePosition());
  if (GetClientRect().Contains(pointer)) return;
  hovering_ = false;
  hoverTimer_.Stop();
  ApplyLook();
}

void CHyperLink::OnLeftDown(wxMouseEvent& event) {
  event.Skip();
  OnClicked();
}

void CHyperLink::OnKey(wxKeyEvent& event) {
  switch (event.GetKeyCode()) {
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
    case WXK_SPACE:
      OnClicked();  // taken: Enter must not also press the dialog's default button
      return;
    default:
      event.Skip();
  }
}

void CHyperLink::OnFocusChange(wxFocusEvent& event) {
  event.Skip();
  focused_ = event.GetEventType() == wxEVT_SET_FOCUS;
  ApplyLook();
}

void CHyperLink::OnClicked() {
  hovering_ = false;
  const int result = GotoURL(target_);
  if (result > 32) {
    SetVisited(true);
    return;
  }
  ApplyLook();
  wxBell();
  ReportError(result);
}
