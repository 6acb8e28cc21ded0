// The page frame: caption band, message, background and off-screen painting.
#include "ui/tree_prop_sheet_frame.h"

#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/settings.h>

#include <algorithm>
#include <cstdlib>

#include "ui/core/control_ids.h"
#include "ui/core/page_frame_geometry.h"
#include "ui/focus_ring.h"

namespace TreePropSheet {

namespace {

wxString ToWx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

RECT ToRECT(const wxRect& r) { return {r.x, r.y, r.x + r.width, r.y + r.height}; }
wxRect ToWxRect(const RECT& r) { return {r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height())}; }

wxRect ClientRectOf(wxWindow* window) {
  return window != nullptr ? wxRect(window->GetClientSize()) : wxRect();
}

}  // namespace

// ---- what the frame shows

void CPropPageFrame::Invalidate(const wxRect& rect) {
  wxWindow* window = GetFrameWindow();
  if (window != nullptr && window->GetHandle() != nullptr) window->RefreshRect(rect, true);
}

void CPropPageFrame::SetCaptionVisible(bool visible) {
  captionVisible_ = visible;
  Invalidate(GetCaptionArea());
}

void CPropPageFrame::SetCaptionHeight(int height) {
  captionHeight_ = height;
  Invalidate(GetCaptionArea());
}

void CPropPageFrame::SetCaption(const std::string& text, const wxIcon& icon) {
  captionText_ = text;
  captionIcon_ = icon;
  Invalidate(GetCaptionArea());
}

void CPropPageFrame::SetMessageText(const std::string& text) {
  messageText_ = text;
  Invalidate(GetMessageArea());
}

void CPropPageFrame::SetMessageFormat(uint32_t format) {
  messageFormat_ = format;
  Invalidate(GetMessageArea());
}

void CPropPageFrame::DrawContent(wxDC& dc) {
  if (captionVisible_) DrawCaption(dc, GetCaptionArea(), captionText_, captionIcon_);
  DrawMessage(dc, GetMessageArea(), messageText_, messageFormat_);
}

wxRect CPropPageFrame::GetMessageArea() {
  return ToWxRect(ui::MessageArea(ToRECT(ClientRectOf(GetFrameWindow())), captionVisible_, captionHeight_));
}

wxRect CPropPageFrame::GetCaptionArea() {
  wxRect r = ClientRectOf(GetFrameWindow());
  r.height = captionVisible_ ? captionHeight_ : 0;
  return r;
}

void CPropPageFrame::DrawMessage(wxDC& dc, const wxRect& rect, const std::string& text, uint32_t format) {
  if (text.empty()) return;
  const wxFont oldFont = dc.GetFont();
  dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  int align = 0;
  if (format & DT_CENTER) align |= wxALIGN_CENTRE_HORIZONTAL;
  if (format & DT_VCENTER) align |= wxALIGN_CENTRE_VERTICAL;
  // No mnemonic is underlined: "&" is drawn as it is.
  dc.DrawLabel(ToWx(text), rect, align);
  dc.SetFont(oldFont);
}

void CPropPageFrame::DrawCaption(wxDC&, const wxRect&, const std::string&, const wxIcon&) {}

// ---- the frame window

CPropPageFrameEx::~CPropPageFrameEx() = default;

bool CPropPageFrameEx::CreateFrameWindow(const wxRect& rect, wxWindow* parent, int id) {
  if (!wxWindow::Create(parent, ui::WxId(id), rect.GetPosition(), rect.GetSize(), wxFULL_REPAINT_ON_RESIZE,
                        "PropPageFrameEx")) {
    return false;
  }
  // The whole client area is painted in one go: no erase first.
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
  Bind(wxEVT_PAINT, &CPropPageFrameEx::OnPaint, this);
  // Only the page's controls take the focus, not the frame around them.
  ui::TakeNoFocus(this);
  return true;
}

bool CPropPageFrameEx::Themed() const {
  const CThemeLibEx& theme = CThemeLibEx::Instance();
  return theme.IsAvailable() && theme.IsThemeActive() && theme.IsAppThemed();
}

void CPropPageFrameEx::SetCaption(const std::string& text, const wxIcon& icon) {
  CPropPageFrame::SetCaption(text, icon);
  captionImages_.reset();
  if (!icon.IsOk()) return;
  auto images = std::make_unique<wxImageList>(icon.GetWidth(), icon.GetHeight(), true, 1);
  if (images->Add(icon) < 0) return;  // no image: the band shows no icon and no indent
  captionImages_ = std::move(images);
}

wxRect CPropPageFrameEx::GetMessageArea() {
  // The themed look has no content rectangle to offer here: both looks
  // share the plain geometry.
  return CPropPageFrame::GetMessageArea();
}

wxRect CPropPageFrameEx::GetCaptionArea() {
  return ToWxRect(ui::CaptionArea(ToRECT(wxRect(GetClientSize())), IsCaptionVisible(), GetCaptionHeight()));
}

namespace {

// How far apart two colours are: their largest difference in one channel.
int ColourDistance(const wxColour& a, const wxColour& b) {
  return std::max(
      {std::abs(a.Red() - b.Red()), std::abs(a.Green() - b.Green()), std::abs(a.Blue() - b.Blue())});
}

constexpr int kBandContrast = 40;  // channel levels between the band's start and the page

}  // namespace

wxColour CPropPageFrameEx::CaptionBandColour() {
  // GTK themes give the inactive caption nearly the page's colour, so the
  // band would vanish. The theme's selection colour halfway to the page's
  // keeps the band's meaning (a title) and its text readable on the page's
  // text colour; a theme whose selection is as plain as its page gets a
  // shade of the page instead.
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const wxColour selection = wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT);
  const auto half = [](int a, int b) { return static_cast<unsigned char>((a + b) / 2); };
  const wxColour band(half(selection.Red(), face.Red()), half(selection.Green(), face.Green()),
                      half(selection.Blue(), face.Blue()));
  if (ColourDistance(band, face) >= kBandContrast) return band;
  const bool darkPage = face.GetLuminance() < 0.5;
  return face.ChangeLightness(darkPage ? 160 : 75);
}

wxString CPropPageFrameEx::FitCaptionText(const wxDC& dc, const wxString& text, int width) {
  return wxControl::Ellipsize(text, dc, wxELLIPSIZE_END, std::max(0, width), wxELLIPSIZE_FLAGS_NONE);
}

void CPropPageFrameEx::DrawCaption(wxDC& dc, const wxRect& rect, const std::string& text, const wxIcon&) {
  // The band fades into the background at its right end. The colour is
  // taken inside the picture: the band's right edge lies one past it.
  const wxSize client = GetClientSize();
  wxColour right = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const int sampleX = std::min(rect.GetRight(), client.x - 1);
  const int sampleY = std::clamp(rect.y + 1, 0, std::max(0, client.y - 1));
  if (sampleX >= 0 && client.y > 0) dc.GetPixel(sampleX, sampleY, &right);
  dc.GradientFillLinear(rect, CaptionBandColour(), right, wxEAST);

  SIZE iconSize{0, 0};
  if (captionImages_ != nullptr && captionImages_->GetImageCount() == 1) {
    int w = 0;
    int h = 0;
    captionImages_->GetSize(0, w, h);
    iconSize = {w, h};
  }
  const ui::CaptionLayout layout = ui::LayoutCaption(ToRECT(rect), iconSize);
  if (iconSize.cx > 0) {
    captionImages_->Draw(0, dc, layout.icon.x, layout.icon.y, wxIMAGELIST_DRAW_TRANSPARENT);
  }
  const wxFont oldFont = dc.GetFont();
  const wxColour oldColour = dc.GetTextForeground();
  dc.SetFont(wxSystemSettings::GetFont(wxSYS_SYSTEM_FONT));
  dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT));  // the page's, over a page shade
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  const wxRect textRect(layout.textLeft, rect.y, rect.GetRight() + 1 - layout.textLeft, rect.height);
  const wxString shown = FitCaptionText(dc, ToWx(text), textRect.width);
  dc.DrawLabel(shown, textRect, wxALIGN_LEFT | wxALIGN_CENTRE_VERTICAL);
  dc.SetTextForeground(oldColour);
  dc.SetFont(oldFont);
}

void CPropPageFrameEx::DrawBackground(wxDC& dc) {
  dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.DrawRectangle(wxRect(GetClientSize()));
}

void CPropPageFrameEx::OnPaint(wxPaintEvent&) {
  wxPaintDC paint(this);
  const wxRect client(GetClientSize());
  if (client.IsEmpty()) return;
  CMemDC2 dc(paint, &client);
  DrawBackground(dc);
  DrawContent(dc);
}

// ---- visual styles

CThemeLibEx::CThemeLibEx() {
  // The visual-style library exists only on the system it belongs to; no
  // library of that name is looked for anywhere else.
}

CThemeLibEx::~CThemeLibEx() = default;

CThemeLibEx& CThemeLibEx::Instance() {
  static CThemeLibEx instance;
  return instance;
}

// ---- off-screen painting

CMemDC2::CMemDC2(wxDC& target, const wxRect* rect) : target_(target) {
  if (rect != nullptr) {
    rect_ = *rect;
  } else {
    wxCoord x = 0;
    wxCoord y = 0;
    wxCoord w = 0;
    wxCoord h = 0;
    target.GetClippingBox(&x, &y, &w, &h);
    rect_ = w > 0 && h > 0 ? wxRect(x, y, w, h) : wxRect(wxPoint(0, 0), target.GetSize());
  }
  bitmap_.Create(std::max(1, rect_.width), std::max(1, rect_.height));
  SelectObject(bitmap_);
  SetDeviceOrigin(-rect_.x, -rect_.y);
  const wxBrush& background = target.GetBackground();
  SetBackground(background.IsOk() ? background : wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  SetBrush(GetBackground());
  SetPen(*wxTRANSPARENT_PEN);
  DrawRectangle(rect_);
  SetFont(target.GetFont());
}

CMemDC2::~CMemDC2() {
  target_.Blit(rect_.x, rect_.y, rect_.width, rect_.height, this, rect_.x, rect_.y);
  SelectObject(wxNullBitmap);
}

}  // namespace TreePropSheet
