// The main window's bars: the status bar of three panes at the bottom, the
// main toolbar across the top and the player toolbar inside the "CD Player"
// group, their layout on resize, and the Format button with its menu.
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/gui/compact_toolbar.h"
#include "app/gui/main_menus.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/toolbar_art.h"
#include "app/settings.h"
#include "res/main_dialog.h"
#include "ui/dialog_template.h"
#include "ui/focus_ring.h"

namespace {

constexpr long kToolBarStyle = wxTB_FLAT | wxTB_HORIZONTAL | wxTB_NODIVIDER;
constexpr int kBandBorder = 2;  // the etched line below the toolbar

}  // namespace

bool CQuarnoCDRipperDlg::CreateStatusBar() {
  statusBar_ = new CFittingStatusBar(Surface(), ui::WxId(res::AFX_IDW_STATUS_BAR),
                                     wxSTB_SIZEGRIP | wxFULL_REPAINT_ON_RESIZE);
  const int widths[3] = {-1, 100, 100};
  statusBar_->SetFieldsCount(3, widths);
  for (int pane = 0; pane < 3; ++pane) {
    const wxString text = mainmenu::ResourceText(res::ID_INDICATOR_EVENT + pane);
    statusBar_->SetStatusText(text, pane);
  }
  statusBar_->Bind(wxEVT_MOTION, &CQuarnoCDRipperDlg::OnStatusBarMotion, this);
  return true;
}

bool CQuarnoCDRipperDlg::CreateMainToolBar() {
  // The band across the top holds the toolbar and marks its lower edge.
  toolBarBand_ = new wxPanel(Surface(), ui::WxId(res::AFX_IDW_REBAR));
  toolBarBand_->Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
    wxPaintDC dc(toolBarBand_);
    const wxSize size = toolBarBand_->GetClientSize();
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW)));
    dc.DrawLine(0, size.y - 2, size.x, size.y - 2);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_3DHIGHLIGHT)));
    dc.DrawLine(0, size.y - 1, size.x, size.y - 1);
  });
  mainToolBar_ = new wxToolBar(toolBarBand_, ui::WxId(res::AFX_IDW_TOOLBAR), wxPoint(0, 0), wxDefaultSize,
                               kToolBarStyle);
  const int size = res::kMainToolImageSize;
  mainToolBar_->SetToolBitmapSize(wxSize(size, size));
  for (const res::ToolButton& button : res::kMainToolButtons) {
    mainToolBar_->AddTool(ui::WxId(button.command), wxEmptyString, art::MainToolImage(button.image, size),
                          mainmenu::ResourceText(button.command));
  }
  if (!mainToolBar_->Realize()) return false;
  ui::TakeNoFocus(toolBarBand_);  // a band behind buttons that take no focus
  const wxSize best = mainToolBar_->GetBestSize();
  toolBarBand_->SetSize(0, 0, std::max(best.x, Surface()->GetClientSize().x), best.y + kBandBorder);
  formatButtonImage_ = res::kImageFormatMp3;
  return true;
}

bool CQuarnoCDRipperDlg::CreatePlayerToolBar() {
  playerToolBar_ = new wxToolBar(Surface(), ui::WxId(res::AFX_IDW_TOOLBAR), wxDefaultPosition, wxDefaultSize,
                                 kToolBarStyle);
  const int size = res::kPlayerToolImageSize;
  MakeToolBarCompact(playerToolBar_);
  playerToolBar_->SetToolBitmapSize(wxSize(size, size));
  for (const res::ToolButton& button : res::kPlayerToolButtons) {
    playerToolBar_->AddTool(ui::WxId(button.command), wxEmptyString, art::PlayerToolImage(button.image, size),
                            mainmenu::ResourceText(button.command));
  }
  if (!playerToolBar_->Realize()) return false;
  PlacePlayerToolBar();
  // Made real now, at its size, so that showing it takes wx's plain way: its
  // deferred first showing under a window manager lays the window out at a
  // width of two pixels first, where the menu bar and the bars cannot fit.
  RealizeBeforeShowing(this);
  return true;
}

void CQuarnoCDRipperDlg::PlacePlayerToolBar() {
  // Inside the "CD Player" group, below the seek slider and between the time
  // label and the volume slider, centred in that space (controls are taller
  // here than the template's rectangles, so the space is measured).
  const wxSize best = playerToolBar_->GetBestSize();
  const wxRect group = GetDlgItem(res::IDC_PLAYER_GROUP)->GetRect();
  const int left = timeLabel_->GetRect().GetRight() + 1;
  const int right = volumeSlider_->GetRect().GetLeft();
  const int top = seekSlider_->GetRect().GetBottom() + 1;
  const int bottom = group.GetBottom() - 2;
  const int x = left + std::max(0, (right - left - best.x) / 2);
  const int y = top + std::max(0, (bottom - top - best.y) / 2);
  playerToolBar_->SetSize(x, y, best.x, best.y);
}

void CQuarnoCDRipperDlg::SetMinClientArea(const wxSize& client) {
  minClientArea_ = client;
  const wxSize frame = GetSize() - GetClientSize();
  const SIZE minimum{client.x + frame.x, client.y + frame.y};
  const SIZE current = Layout().minTrackSize;
  if (current.cx != minimum.cx || current.cy != minimum.cy) SetMinTrackSize(minimum);
}

void CQuarnoCDRipperDlg::LayoutBars(int width, int height) {
  // A window manager tells the frame it puts around the window only after
  // the window is shown: the minimum, kept as a size of the whole window,
  // has to grow by that frame.
  if (minClientArea_.x > 0) SetMinClientArea(minClientArea_);
  if (statusBar_ != nullptr) {
    statusBar_->SetSize(0, height - res::kStatusBarHeight, width, res::kStatusBarHeight);
    // Pane edges at 35 % and 65 % of the bar's width, in whole pixels.
    const int barWidth = statusBar_->GetClientSize().x;
    const int first = static_cast<int>(std::floor(barWidth * 0.35));
    const int second = static_cast<int>(std::floor(barWidth * 0.65));
    const int widths[3] = {first, second - first, -1};
    statusBar_->SetStatusWidths(3, widths);
  }
  if (toolBarBand_ != nullptr) {
    // Never narrower than its buttons: GTK cannot lay a toolbar out in less
    // (the window passes through tiny sizes while a window manager maps it);
    // a window narrower than that cuts the band off at its edge instead.
    const wxSize best = mainToolBar_->GetBestSize();
    const int bandWidth = std::max(width, best.x);
    toolBarBand_->SetSize(0, 0, bandWidth, toolBarBand_->GetSize().y);
    mainToolBar_->SetSize(0, 0, bandWidth, best.y);
  }
}

void CQuarnoCDRipperDlg::UpdateFormatButton() {
  if (mainToolBar_ == nullptr) return;
  int image = formatButtonImage_;
  if (OutputFormat == 1) image = res::kImageFormatWav;
  if (OutputFormat == 2) image = res::kImageFormatMp3;
  if (image == formatButtonImage_) return;
  formatButtonImage_ = image;
  mainToolBar_->SetToolNormalBitmap(ui::WxId(res::ID_FORMAT_BUTTON),
                                    art::MainToolImage(image, res::kMainToolImageSize));
}

void CQuarnoCDRipperDlg::OnFormatButton() {
  const res::MenuTable* table = res::FindMenu(res::IDR_FORMAT_MENU);
  if (table == nullptr || mainToolBar_ == nullptr) return;
  std::unique_ptr<wxMenu> menu(mainmenu::BuildPopupMenu(*table));
  // Below the Format button, from its left edge.
  const wxRect button = ToolBarToolRect(mainToolBar_, ui::WxId(res::ID_FORMAT_BUTTON));
  if (button.IsEmpty()) return;
  mainmenu::ShowPopupMenu(
      *this, *menu, ScreenToClient(mainToolBar_->ClientToScreen(button.GetBottomLeft() + wxPoint(0, 1))));
}
