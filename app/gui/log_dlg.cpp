// The log window.
#include "app/gui/log_dlg.h"

#include "app/gui/font_scale.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/toolbar_art.h"
#include "res/main_dialog.h"

CLogDlg* LogWindow = nullptr;

namespace {

// Colours as red, green, blue.
struct LevelColours {
  unsigned char text[3];
  unsigned char background[3];
};
constexpr LevelColours kLevelColours[] = {
    {{0x00, 0x82, 0x21}, {0x59, 0xFF, 0xAC}},  // LogInfo
    {{0x80, 0x80, 0x00}, {0xFF, 0xFF, 0x86}},  // LogError
    {{0xFF, 0x00, 0x00}, {0xFF, 0xAF, 0x96}},  // LogFatal
};

enum LogColumn : long { kColumnHidden = 0, kColumnNumber = 1, kColumnTime = 2, kColumnText = 3 };

}  // namespace

bool LogLevelColours(int level, wxColour& text, wxColour& background) {
  if (level < LogInfo || level > LogFatal) return false;
  const LevelColours& c = kLevelColours[level];
  text.Set(c.text[0], c.text[1], c.text[2]);
  background.Set(c.background[0], c.background[1], c.background[2]);
  return true;
}

CLogListCtrl::CLogListCtrl(wxWindow* parent, int id, const wxRect& rect)
    : wxListCtrl(parent, id, rect.GetPosition(), rect.GetSize(),
                 wxLC_REPORT | wxLC_VIRTUAL | wxBORDER_SUNKEN) {}

void CLogListCtrl::SetRowCount(size_t count) {
  SetItemCount(static_cast<long>(count));
  Refresh();
}

wxString CLogListCtrl::OnGetItemText(long item, long column) const {
  CLogItem entry;
  if (item < 0 || !AppEventLog().GetEntry(static_cast<size_t>(item), entry)) return {};
  switch (column) {
    case kColumnNumber:
      return wxString::FromUTF8(FormatLogWindowNumber(entry.Number));
    case kColumnTime:
      return wxString::FromUTF8(entry.Time);
    case kColumnText:
      return wxString::FromUTF8(entry.Text);
    default:
      return {};
  }
}

wxItemAttr* CLogListCtrl::OnGetItemAttr(long item) const {
  CLogItem entry;
  if (item < 0 || !AppEventLog().GetEntry(static_cast<size_t>(item), entry)) return nullptr;
  wxColour text, background;
  if (!LogLevelColours(entry.Level, text, background)) return nullptr;
  attr_.SetTextColour(text);
  attr_.SetBackgroundColour(background);
  return &attr_;
}

const ui::MapRow<CLogDlg> CLogDlg::kMessageMap[] = {
    ui::OnBnClicked(res::IDC_LOG_OK, &CLogDlg::OnOkButton),
    ui::OnBnClicked(res::IDC_LOG_CLEAR, &CLogDlg::OnClear),
    // Row colours come from the list itself (CLogListCtrl::OnGetItemAttr).
    ui::OnWmDestroy(&CLogDlg::OnDestroy),
};

CLogDlg::CLogDlg(CQuarnoCDRipperDlg* mainDialog)
    : ui::CResizeDlg(res::kLogDialog, mainDialog), mainDialog_(mainDialog) {
  ui::BindMessageMap(this, kMessageMap);
}

wxWindow* CLogDlg::CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId, const wxRect& rect) {
  if (item.id != res::IDC_LOG_LIST) return nullptr;
  list_ = new CLogListCtrl(parent, wxId, rect);
  return list_;
}

bool CLogDlg::OnInitDialog() {
  ui::CResizeDlg::OnInitDialog();
  SetIcons(art::ProgramIcons());
  const size_t count = AppEventLog().Size();
  list_->DeleteAllColumns();
  list_->InsertColumn(kColumnHidden, "", wxLIST_FORMAT_LEFT, 0);
  const SIZE units = BaseUnits();
  list_->InsertColumn(kColumnNumber, "Events", wxLIST_FORMAT_CENTRE, ScaleForFont(units, 55));
  list_->InsertColumn(kColumnTime, "Time", wxLIST_FORMAT_CENTRE, ScaleForFont(units, 63));
  list_->InsertColumn(
      kColumnText, "Description", wxLIST_FORMAT_LEFT,
      ScaleForFont(units, count <= kRowsWithoutScrollBar ? kDescriptionWidth : kDescriptionWidthScrolled));
  list_->SetRowCount(count);
  if (count > 0) list_->EnsureVisible(static_cast<long>(count) - 1);
  AddControls(res::kLogDialogAnchors);
  placementWindow_ = std::make_unique<WxPlacementWindow>(this, false);
  placement_.Load(*placementWindow_, kLogDlgPlacementEntry, kPlacementSection);
  return true;
}

void CLogDlg::AppendLastEntry() {
  if (!IsWindowCreated() || list_ == nullptr) return;
  const size_t count = AppEventLog().Size();
  list_->SetRowCount(count);
  if (count > 0) list_->EnsureVisible(static_cast<long>(count) - 1);
}

void CLogDlg::OnOkButton() { Hide(); }

void CLogDlg::OnClear() {
  AppEventLog().Clear();
  if (list_ != nullptr) list_->SetRowCount(0);
  if (mainDialog_ != nullptr) mainDialog_->SetStatusText(kStatusLastEvent, "Ready");
}

void CLogDlg::OnDestroy() {
  if (placementWindow_) placement_.Save(*placementWindow_, kLogDlgPlacementEntry, kPlacementSection);
}
