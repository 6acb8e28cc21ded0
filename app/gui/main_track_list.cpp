// The main window's track list: a view of the row model (app/track_list_model.h)
// with check boxes that refuse data tracks, row colours by type and parity,
// the destination of every track, the double-click action, the context menu,
// the check commands and the two rip commands.
#include <fmt/printf.h>
#include <wx/menu.h>
#include <wx/settings.h>

#include <algorithm>
#include <memory>

#include "app/event_log.h"
#include "app/gui/main_menus.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "app/rip_job_snapshot.h"
#include "app/settings.h"
#include "cddb/cddb_globals.h"
#include "res/main_dialog.h"
#include "ui/core/control_ids.h"
#include "ui/core/xmessage_box_model.h"

namespace {

wxColour RowColour(uint32_t rgb) { return wxColour((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The window that receives the list's mouse events: the largest child (the
// other one is the header), or the list itself where it has no children.
wxWindow* TrackListItemArea(wxListCtrl* list) {
  wxWindow* area = list;
  int largest = 0;
  for (wxWindow* child : list->GetChildren()) {
    const wxSize size = child->GetSize();
    if (size.x * size.y > largest) {
      largest = size.x * size.y;
      area = child;
    }
  }
  return area;
}

void TrimTrailingBlanks(std::string& text) {
  const size_t end = text.find_last_not_of(" \t\r\n\f\v");
  text.erase(end == std::string::npos ? 0 : end + 1);
}

// Changes check boxes as the program, not the user.
class CheckUpdate {
 public:
  explicit CheckUpdate(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~CheckUpdate() { flag_ = old_; }
  CheckUpdate(const CheckUpdate&) = delete;
  CheckUpdate& operator=(const CheckUpdate&) = delete;

 private:
  bool& flag_;
  bool old_;
};

}  // namespace

// --- Filling --------------------------------------------------------------------

void CQuarnoCDRipperDlg::FillTrackList(const DiscSnapshot& disc) {
  if (trackList_ == nullptr) return;
  AddLog("Refreshing track list view...", LogInfo);
  trackModel_.Refill(disc);
  ShowTrackRows();
  if (trackModel_.Count() > 0) {
    trackList_->SetItemState(0, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    trackList_->EnsureVisible(0);
    FindNextChecked(-1, false);
  }
  RefreshDestinations();
}

void CQuarnoCDRipperDlg::ShowTrackRows() {
  CheckUpdate update(updatingChecks_);
  trackList_->Freeze();
  trackList_->DeleteAllItems();
  for (int row = 0; row < trackModel_.Count(); ++row) {
    const long item =
        trackList_->InsertItem(row, wxString::FromUTF8(trackModel_.CellText(row, kTrackColumnNumber)));
    for (int column = kTrackColumnTitle; column < kTrackColumnCount; ++column)
      trackList_->SetItem(item, column, wxString::FromUTF8(trackModel_.CellText(row, column)));
    // wx keeps a long: the 32-bit value is widened so a data track stays negative.
    trackList_->SetItemData(item, static_cast<long>(trackModel_.Row(row).ItemData));
    trackList_->SetItemBackgroundColour(item, RowColour(trackModel_.RowColour(row)));
    trackList_->CheckItem(item, trackModel_.IsChecked(row));
  }
  trackList_->Thaw();
}

void CQuarnoCDRipperDlg::RefreshDestinations() {
  ChangeAlbumRecord([](CCDDBRecord& album) {
    TrimTrailingBlanks(album.Artist);
    TrimTrailingBlanks(album.Title);
  });
  const OutputNaming naming = CurrentOutputNaming();
  trackModel_.RefreshDestinations([&naming](int track) { return BuildOutputFileName(naming, track); });
  ShowDestinations();
}

void CQuarnoCDRipperDlg::ShowDestinations() {
  if (trackList_ == nullptr || trackList_->GetItemCount() != trackModel_.Count()) return;
  for (int row = 0; row < trackModel_.Count(); ++row)
    trackList_->SetItem(row, kTrackColumnDestination,
                        wxString::FromUTF8(trackModel_.CellText(row, kTrackColumnDestination)));
  if (trackModel_.Count() > 0) {
    trackList_->SetColumnWidth(kTrackColumnTitle, wxLIST_AUTOSIZE);
    trackList_->SetColumnWidth(kTrackColumnDestination, wxLIST_AUTOSIZE);
  }
}

// --- Selection and checks ---------------------------------------------------------

bool CQuarnoCDRipperDlg::FindNextChecked(int from, bool testOnly) {
  const int row = trackModel_.FindNextChecked(from);
  if (row < 0) return false;
  if (testOnly || trackList_ == nullptr) return true;
  CurrentItem = row;
  const int state = wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED;
  trackList_->SetItemState(row, state, state);
  trackList_->EnsureVisible(row);
  trackList_->SetFocus();
  return true;
}

int CQuarnoCDRipperDlg::SelectedTrackRow() const {
  if (trackList_ == nullptr) return -1;
  return static_cast<int>(trackList_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED));
}

void CQuarnoCDRipperDlg::ShowChecks() {
  CheckUpdate update(updatingChecks_);
  for (int row = 0; row < trackModel_.Count() && row < trackList_->GetItemCount(); ++row) {
    if (trackList_->IsItemChecked(row) != trackModel_.IsChecked(row))
      trackList_->CheckItem(row, trackModel_.IsChecked(row));
  }
  PlayerRowsChanged();
}

void CQuarnoCDRipperDlg::OnTrackListChecked(wxListEvent& event) {
  if (updatingChecks_) return;
  const int row = static_cast<int>(event.GetIndex());
  if (trackModel_.SetChecked(row, true)) {
    PlayerRowsChanged();
    return;
  }
  if (!trackModel_.IsRow(row)) return;
  // The list has already ticked the box: take the tick back before saying why.
  {
    CheckUpdate update(updatingChecks_);
    trackList_->CheckItem(row, false);
  }
  ShowMessageBox(this, "Warning: Only Audio Track can be Checked!", "", MB_OK | MB_ICONEXCLAMATION);
  AddLog("Warning: only audio track can be checked!", LogError);
}

void CQuarnoCDRipperDlg::OnTrackListUnchecked(wxListEvent& event) {
  if (updatingChecks_) return;
  trackModel_.SetChecked(static_cast<int>(event.GetIndex()), false);
  PlayerRowsChanged();
}

void CQuarnoCDRipperDlg::OnCheckAll() {
  if (NoDisc.load() != 0) return;
  trackModel_.CheckAll();
  ShowChecks();
}

void CQuarnoCDRipperDlg::OnUncheckAll() {
  if (NoDisc.load() != 0) return;
  trackModel_.UncheckAll();
  ShowChecks();
}

void CQuarnoCDRipperDlg::OnReverseCheck() {
  if (NoDisc.load() != 0) return;
  trackModel_.ReverseCheck();
  ShowChecks();
}

// --- Mouse ------------------------------------------------------------------------

void CQuarnoCDRipperDlg::BindTrackListMouse() {
  // Enter does not play or rip, so the double-click is taken from the mouse
  // itself rather than from the list's activation. The generic list gets its
  // mouse events in its item area, the child below the header, whose
  // coordinates HitTest takes; which child that is shows once the list has
  // its size, so every child listens and only the item area counts.
  auto onDoubleClick = [this](wxMouseEvent& event) {
    event.Skip();
    if (event.GetEventObject() != TrackListItemArea(trackList_)) return;
    int flags = 0;
    const long row = trackList_->HitTest(event.GetPosition(), flags);
    // After the list has handled the click (and selected the row).
    if (row >= 0) CallAfter([this, row] { OnTrackListDoubleClick(static_cast<int>(row)); });
  };
  trackList_->Bind(wxEVT_LEFT_DCLICK, onDoubleClick);
  for (wxWindow* child : trackList_->GetChildren()) child->Bind(wxEVT_LEFT_DCLICK, onDoubleClick);
}

void CQuarnoCDRipperDlg::OnTrackListDoubleClick(int row) {
  if (!trackModel_.IsRow(row)) return;
  int action = DbClk;
  if (action == -1) {
    XMessageBoxParams params;
    params.customButtons = "Play the Track\nRip the Track\nCancel\n";
    const int result =
        ShowCustomMessageBox(this, "Which Action Do You Wish to Perform?", "Choose Your Action",
                             MB_NORESOURCE | MB_DONOTASKAGAIN | MB_ICONEXCLAMATION, params);
    const bool remember = result >= 0 && (static_cast<uint32_t>(result) & MB_DONOTASKAGAIN) != 0;
    switch (result & 0xFF) {
      case IDCUSTOM1:
        action = 0;
        break;
      case IDCUSTOM1 + 1:
        action = 1;
        break;
      default:
        return;  // Cancel, or the box was closed
    }
    if (remember) DbClk = static_cast<int16_t>(action);
  }
  // Both act on the selected row, which the double-click has selected.
  if (action == 0) {
    RunCommand(res::ID_LIST_PLAYCURRENT);
  } else if (action == 1) {
    OnRipCurrent();
  }
}

void CQuarnoCDRipperDlg::OnTrackListRClick(wxListEvent& event) {
  if (event.GetIndex() < 0) return;
  const res::MenuTable* table = res::FindMenu(res::IDR_TRACKLIST_MENU);
  if (table == nullptr) return;
  // The default item (bold) that follows DbClk has no counterpart in GTK menus.
  std::unique_ptr<wxMenu> menu(mainmenu::BuildPopupMenu(*table));
  mainmenu::ShowPopupMenu(*this, *menu);
}

void CQuarnoCDRipperDlg::RunCommand(int command) {
  wxCommandEvent event(wxEVT_MENU, ui::WxId(command));
  event.SetEventObject(this);
  ProcessWindowEvent(event);
}

// --- Rip commands -------------------------------------------------------------------

RipCommandContext CQuarnoCDRipperDlg::RipContext() {
  RipCommandContext context;
  context.port = port_.get();
  context.model = &trackModel_;
  context.currentItem = &CurrentItem;
  context.playing = IsPlaying();
  // The player's Stop command waits for the player's threads.
  context.stopPlayer = [this] { RunCommand(res::ID_PLAY_STOP); };
  context.worker = worker_.get();
  context.statusCleared = [this] {
    for (int row = 0; row < trackModel_.Count() && row < trackList_->GetItemCount(); ++row)
      trackList_->SetItem(row, kTrackColumnStatus, wxString());
  };
  context.runRip = [this](std::vector<TrackData> tracks) { RunRipDialog(std::move(tracks)); };
  return context;
}

void CQuarnoCDRipperDlg::OnRip() { ::OnRip(RipContext()); }

void CQuarnoCDRipperDlg::OnRipCurrent() { ::OnRipCurrent(RipContext(), SelectedTrackRow()); }

int CQuarnoCDRipperDlg::TrackListHeightForRows(int rows) {
  if (trackList_ == nullptr) return 0;
  // A row of the list as it draws one (check box and font), measured on a
  // row made for the purpose when the list has none yet.
  const bool probe = trackList_->GetItemCount() == 0;
  if (probe) trackList_->InsertItem(0, wxString());
  wxRect row;
  const bool measured = trackList_->GetItemRect(0, row);
  if (probe) trackList_->DeleteItem(0);
  if (!measured) return 0;
  // Row 0 starts below the header; the frame and the horizontal scroll bar
  // (the columns are wider than a small window) come on top.
  const int frame = trackList_->GetSize().y - trackList_->GetClientSize().y;
  return std::max(row.y, 0) + rows * row.height + wxSystemSettings::GetMetric(wxSYS_HSCROLL_Y, trackList_) +
         frame;
}
