// The log window.
#include "app/gui/log_dlg.h"

#include <wx/display.h>

#include <algorithm>
#include <array>
#include <cstdlib>

#include "app/gui/font_scale.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/gui/toolbar_art.h"
#include "res/main_dialog.h"
#include "ui/gtk_function.h"

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

// Space left between the log window and the modal window beside it.
constexpr int kBesideGap = 4;

// The window at `room`'s size, as large as `wanted` allows, at `room`'s
// corner nearest to `near`; empty when `room` cannot hold `minimum`.
wxRect FitInto(const wxRect& room, const wxSize& wanted, const wxSize& minimum, const wxPoint& near) {
  if (room.width < minimum.x || room.height < minimum.y) return {};
  const wxSize size(std::min(std::max(wanted.x, minimum.x), room.width),
                    std::min(std::max(wanted.y, minimum.y), room.height));
  const int x = std::clamp(near.x, room.x, room.GetRight() + 1 - size.x);
  const int y = std::clamp(near.y, room.y, room.GetBottom() + 1 - size.y);
  return {wxPoint(x, y), size};
}

wxRect BestBeside(const wxRect& modal, const wxRect& area, const wxSize& wanted, const wxSize& minimum) {
  const int right = modal.GetRight() + 1 + kBesideGap;
  const int below = modal.GetBottom() + 1 + kBesideGap;
  // In order of preference: a tie keeps the earlier side.
  const std::array<std::pair<wxRect, wxPoint>, 4> sides = {{
      {wxRect(right, area.y, area.GetRight() + 1 - right, area.height), wxPoint(right, modal.y)},
      {wxRect(area.x, area.y, modal.x - kBesideGap - area.x, area.height),
       wxPoint(modal.x - kBesideGap - wanted.x, modal.y)},
      {wxRect(area.x, below, area.width, area.GetBottom() + 1 - below), wxPoint(modal.x, below)},
      {wxRect(area.x, area.y, area.width, modal.y - kBesideGap - area.y),
       wxPoint(modal.x, modal.y - kBesideGap - wanted.y)},
  }};
  wxRect best;
  for (const auto& [room, near] : sides) {
    const wxRect fit = FitInto(room, wanted, minimum, near);
    if (fit.IsEmpty()) continue;
    if (best.IsEmpty() || fit.width * fit.height > best.width * best.height) best = fit;
  }
  return best;
}

}  // namespace

wxRect PlaceBesideWindow(wxRect& modal, const wxRect& area, const wxSize& wanted, const wxSize& minimum) {
  wxRect placed = BestBeside(modal, area, wanted, minimum);
  if (!placed.IsEmpty()) return placed;
  // No side has room: the modal window goes up to the top, which leaves the
  // most room below it.
  const int modalY = modal.y;
  modal.y = area.y;
  placed = BestBeside(modal, area, wanted, minimum);
  if (!placed.IsEmpty()) return placed;
  // Not even then (a maximised modal window, a small display): the modal
  // window stays, and the window keeps its size, whole on the area, at its
  // bottom, below the controls at the top of the modal window.
  modal.y = modalY;
  const wxSize size(std::min(std::max(wanted.x, minimum.x), area.width),
                    std::min(std::max(wanted.y, minimum.y), area.height));
  return {wxPoint(std::clamp(modal.x, area.x, area.GetRight() + 1 - size.x), area.GetBottom() + 1 - size.y),
          size};
}

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
  AddControls(res::kLogDialogAnchors);
  const wxSize minimum = UsableMinimum();
  SetMinTrackSize(SIZE{minimum.x, minimum.y});
  placementWindow_ = std::make_unique<WxPlacementWindow>(this, false);
  placement_.Load(*placementWindow_, kLogDlgPlacementEntry, kPlacementSection);
  LeaveModalGrabs();
  // The list scrolls to its last row whenever it changes size (the window is
  // shown, resized, placed) and at once now.
  list_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    ScrollToLastRowSoon();
  });
  Bind(wxEVT_SHOW, [this](wxShowEvent& event) {
    event.Skip();
    if (event.IsShown()) ScrollToLastRowSoon();
  });
  ScrollToLastRow();
  return true;
}

void CLogDlg::ScrollToLastRow() {
  if (list_ == nullptr) return;
  const long count = list_->GetItemCount();
  if (count > 0) list_->EnsureVisible(count - 1);
}

void CLogDlg::ScrollToLastRowSoon() {
  // Once the list has laid itself out for its new size: it computes its
  // scroll range in its own size handler, which runs after the caller's.
  if (scrollQueued_) return;
  scrollQueued_ = true;
  CallAfter([this] {
    scrollQueued_ = false;
    ScrollToLastRow();
  });
}

void CLogDlg::LeaveModalGrabs() {
  // A modal window grabs the input of every window of its window group: the
  // other windows get no clicks, and their keys go to the modal window. A
  // group of its own keeps this window out of every such grab. (A window
  // first shown while a modal window runs is put back into the common group
  // by wx, with a grab of its own that locks the modal window out instead:
  // moving it to its own group again also drops that grab.) GTK is reached
  // through its C functions, as the toolbar style does.
#ifdef __WXGTK__
  using NewGroup = void* (*)();
  using AddWindow = void (*)(void*, void*);
  using Unref = void (*)(void*);
  auto newGroup = ui::GtkFunction<NewGroup>("gtk_window_group_new");
  auto add = ui::GtkFunction<AddWindow>("gtk_window_group_add_window");
  auto unref = ui::GtkFunction<Unref>("g_object_unref");
  if (newGroup == nullptr || add == nullptr || unref == nullptr || GetHandle() == nullptr) return;
  void* group = newGroup();
  add(group, GetHandle());
  unref(group);  // the window holds the group now
#endif
}

void CLogDlg::PlaceBeside(wxTopLevelWindow& modal) {
  if (!IsWindowCreated()) return;
  LeaveModalGrabs();
  const int display = wxDisplay::GetFromWindow(&modal);
  const wxRect area = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
  wxRect modalRect = modal.GetRect();
  const wxPoint modalAt = modalRect.GetPosition();
  // The size the user last saw: a window shown just now has no frame on the
  // screen yet, and wx reports its client's size for it.
  const wxSize wanted = placementWindow_ ? placementWindow_->Frame().GetSize() : GetSize();
  wxSize minimum = GetMinSize();
  if (minimum.x <= 0 || minimum.y <= 0) minimum = UsableMinimum();
  const wxRect placed = PlaceBesideWindow(modalRect, area, wanted, minimum);
  if (modalRect.GetPosition() != modalAt && !modal.IsMaximized()) modal.SetPosition(modalRect.GetPosition());
  // Through the placement adapter, which follows the window until the window
  // manager has put it there (and forgets a placement it still had to apply).
  WindowPlacement placement;
  placement.length = kWindowPlacementSize;
  placement.showCmd = WindowPlacement::SW_SHOWNORMAL;
  placement.normalPosition = {placed.GetLeft(), placed.GetTop(), placed.GetRight() + 1,
                              placed.GetBottom() + 1};
  if (!placementWindow_ || !placementWindow_->SetWindowPlacement(placement)) SetSize(placed);
  ScrollToLastRowSoon();
}

void CLogDlg::ShowBeside(wxTopLevelWindow& modal) {
  PlaceBeside(modal);
  Show();
  Raise();
  LeaveModalGrabs();  // wx puts a window shown during a modal loop into its grab
}

int CLogDlg::ButtonsApartWidth() const {
  const wxWindow* ok = GetDlgItem(res::IDC_LOG_OK);
  const wxWindow* clear = GetDlgItem(res::IDC_LOG_CLEAR);
  const int client = GetClientSize().x;
  if (ok == nullptr || clear == nullptr || client <= 0) return 0;
  const wxRect a = ok->GetRect(), b = clear->GetRect();
  const int apart = std::abs((b.x + b.width / 2) - (a.x + a.width / 2));
  if (apart <= 0) return 0;
  // Half of each button and a small gap between their centres, scaled up to
  // the client width that gives them that distance, plus the frame.
  const int needed = (a.width + b.width) / 2 + kButtonGap;
  return needed * client / apart + (GetSize().x - client);
}

wxSize CLogDlg::UsableMinimum() const {
  if (list_ == nullptr) return {ButtonsApartWidth(), 0};
  wxRect first;
  const int row = list_->GetItemCount() > 0 && list_->GetItemRect(0, first) && first.height > 0
                      ? first.height
                      : list_->GetCharHeight() + 10;
  // The rows, the header and a horizontal scroll bar, each about a row
  // tall, the list's border, and the rest of the window (before it is first
  // shown, without the frame, which the window manager adds later).
  return {ButtonsApartWidth(), GetSize().y - list_->GetSize().y + (kMinimumRows + 2) * row + 4};
}

void CLogDlg::AppendLastEntry() {
  if (!IsWindowCreated() || list_ == nullptr) return;
  const size_t count = AppEventLog().Size();
  list_->SetRowCount(count);
  ScrollToLastRow();
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
