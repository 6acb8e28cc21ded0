// The tip of the day's window. The tip area is a frame painted in the
// window colour with a grey band on its left, the picture in the band, the
// heading in large bold type and the tip below it on white.
#include "app/gui/tip_dlg.h"

#include <wx/checkbox.h>
#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/generic/statbmpg.h>
#include <wx/generic/stattextg.h>
#include <wx/settings.h>

#include <chrono>
#include <random>

#include "app/gui/gui_port.h"
#include "app/gui/toolbar_art.h"
#include "res/small_dialogs.h"
#include "ui/data_exchange.h"
#include "ui/focus_ring.h"

namespace {

constexpr int kHeadingPixels = 22;
constexpr int kTipPixels = 16;
constexpr int kBandGap = 10;     // between the grey band and the text
constexpr int kShadowFrom = 50;  // where the band darkens, from the frame's top
constexpr int kRuleBelowPicture = 6;

wxFont TipFont(int pixels, bool bold) {
  return wxFont(wxFontInfo(wxSize(0, pixels)).FaceName("Tahoma").Family(wxFONTFAMILY_SWISS).Bold(bold));
}

// A light bulb on the band's colour, `size` pixels square.
wxBitmap BulbPicture(const wxSize& size, const wxColour& background) {
  wxBitmap bitmap(size);
  wxMemoryDC dc(bitmap);
  dc.SetBackground(wxBrush(background));
  dc.Clear();
  const double w = size.x;
  const double h = size.y;
  const wxPoint centre(static_cast<int>(w / 2), static_cast<int>(h * 0.38));
  const int radius = static_cast<int>(std::min(w, h) * 0.3);
  // Rays.
  dc.SetPen(wxPen(wxColour(230, 170, 0), 2));
  for (const wxPoint ray : {wxPoint(0, -1), wxPoint(-1, 0), wxPoint(1, 0), wxPoint(-1, -1), wxPoint(1, -1)}) {
    const double len = (ray.x != 0 && ray.y != 0) ? 0.7071 : 1.0;
    dc.DrawLine(centre.x + static_cast<int>(ray.x * len * (radius + 2)),
                centre.y + static_cast<int>(ray.y * len * (radius + 2)),
                centre.x + static_cast<int>(ray.x * len * (radius + 5)),
                centre.y + static_cast<int>(ray.y * len * (radius + 5)));
  }
  // Glass.
  dc.SetPen(wxPen(wxColour(150, 110, 0)));
  dc.SetBrush(wxBrush(wxColour(255, 230, 80)));
  dc.DrawCircle(centre, radius);
  // Screw base.
  const int baseW = std::max(4, radius);
  const int baseTop = centre.y + radius - 1;
  dc.SetBrush(wxBrush(wxColour(140, 140, 150)));
  dc.SetPen(wxPen(wxColour(80, 80, 90)));
  dc.DrawRectangle(centre.x - baseW / 2, baseTop, baseW, std::max(3, static_cast<int>(h * 0.22)));
  dc.SelectObject(wxNullBitmap);
  return bitmap;
}

// The frame of the tip area: window colour, the band on its left, the rule
// below the picture and the heading.
class CTipArea : public wxWindow {
 public:
  CTipArea(ui::CTemplateHost& host, wxWindow* parent, int id, const wxRect& rect)
      : wxWindow(parent, id, rect.GetPosition(), rect.GetSize(), wxBORDER_SUNKEN), host_(host) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &CTipArea::OnPaint, this);
    ui::TakeNoFocus(this);  // it only paints
  }

 private:
  // The rectangle of control `id` in this window's coordinates.
  wxRect RectOf(int id) const {
    wxWindow* control = host_.GetDlgItem(id);
    if (control == nullptr) return {};
    wxRect r = control->GetRect();
    r.Offset(-GetPosition() - GetClientAreaOrigin());
    return r;
  }
  void OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    const wxRect picture = RectOf(res::IDC_TIP_PICTURE);
    const wxRect text = RectOf(res::IDC_TIP_TEXT);
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW)));
    dc.DrawRectangle(0, 0, size.x, size.y);
    const int band = std::max(0, text.x - kBandGap);
    dc.SetBrush(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
    dc.DrawRectangle(0, 0, band, size.y);
    dc.SetBrush(wxBrush(shadow));
    dc.DrawRectangle(0, kShadowFrom, band, std::max(0, size.y - kShadowFrom));
    dc.SetPen(wxPen(shadow));
    const int rule = picture.GetBottom() + 1 + kRuleBelowPicture;
    dc.DrawLine(0, rule, size.x, rule);
    dc.SetFont(TipFont(kHeadingPixels, true));
    dc.SetTextForeground(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    dc.SetClippingRegion(wxRect(text.x, picture.y, std::max(0, text.width), std::max(0, rule - picture.y)));
    dc.DrawText(wxString::FromUTF8(kTipHeading), text.x, picture.y);
    dc.DestroyClippingRegion();
  }

  ui::CTemplateHost& host_;
};

}  // namespace

const ui::MapRow<CTipDlg> CTipDlg::kMessageMap[] = {
    ui::OnBnClicked(res::IDC_TIP_NEXT, &CTipDlg::OnNextTip),
    ui::OnBnClicked(res::IDC_TIP_STARTUP, &CTipDlg::OnShowOnStartup),
};

CTipDlg::CTipDlg(wxWindow* parent, const std::string& tipsPath)
    : ui::CDialog(res::kTipDialog, parent),
      model_(tipsPath, [](const std::string& text) { ShowMessageBox(nullptr, text, "", MB_OK); }) {
  ui::BindMessageMap(this, kMessageMap);
  showAtStartup_ = model_.showAtStartup ? 1 : 0;
  tipText_ = model_.reader.Tip();
}

int CTipDlg::DoModal() {
  // Only a missing file shows nothing; a file without a tip line shows the
  // reader's text for it.
  if (!model_.reader.IsOpen()) return IDOK;
  return ui::CDialog::DoModal();
}

wxWindow* CTipDlg::CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId, const wxRect& rect) {
  if (item.id == res::IDC_TIP_FRAME) return new CTipArea(*this, parent, wxId, rect);
  if (item.id == res::IDC_TIP_PICTURE) {
    const wxColour band = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    const int side = std::min(rect.width, rect.height);
    auto* picture = new wxGenericStaticBitmap(parent, wxId, BulbPicture(wxSize(side, side), band),
                                              rect.GetPosition(), wxSize(side, side));
    picture->SetBackgroundColour(band);
    return picture;
  }
  if (item.id == res::IDC_TIP_TEXT) {
    text_ = new wxGenericStaticText(parent, wxId, "", rect.GetPosition(), rect.GetSize(), wxST_NO_AUTORESIZE);
    text_->SetBackgroundColour(*wxWHITE);
    text_->SetForegroundColour(*wxBLACK);
    text_->SetFont(TipFont(kTipPixels, false));
    return text_;
  }
  return nullptr;
}

void CTipDlg::DoDataExchange(ui::CDataExchange* pDX) {
  ui::DDX_Check(pDX, res::IDC_TIP_STARTUP, showAtStartup_);
  if (!pDX->SaveAndValidate() && text_ != nullptr) {
    // Word-wrapped to the area; the label itself takes no mnemonics.
    const wxSize size = text_->GetSize();
    text_->SetLabelText(wxString::FromUTF8(tipText_));
    text_->Wrap(size.x);
    text_->SetSize(size);
  }
}

std::string CTipDlg::ShownTip() const { return text_ != nullptr ? text_->GetLabelText().utf8_string() : ""; }

bool CTipDlg::OnInitDialog() {
  ui::CDialog::OnInitDialog();
  SetIcons(art::ProgramIcons());
  if (!model_.reader.IsOpen()) GetDlgItem(res::IDC_TIP_NEXT)->Disable();
  Centre();
  std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
  model_.StartAtRandomTip(random);
  tipText_ = model_.reader.Tip();
  UpdateData(false);
  return true;
}

void CTipDlg::OnNextTip() {
  model_.reader.NextTip();
  tipText_ = model_.reader.Tip();
  UpdateData(false);
}

void CTipDlg::OnShowOnStartup() {
  showAtStartup_ = GetDlgItemAs<wxCheckBox>(res::IDC_TIP_STARTUP)->GetValue() ? 1 : 0;
}

void CTipDlg::OnOK() {
  UpdateData(true);
  model_.showAtStartup = showAtStartup_ != 0;
  model_.Confirm();
  EndDialog(IDOK);
}
