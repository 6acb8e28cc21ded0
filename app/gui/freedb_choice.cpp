// The match chooser and its hand-over from the disc worker.
#include "app/gui/freedb_choice.h"

#include <fmt/printf.h>

#include "app/event_log.h"
#include "app/gui/font_scale.h"
#include "app/gui/gui_port.h"
#include "app/gui/quarno_cd_ripper_dlg.h"
#include "res/freedb_choice_dialog.h"

namespace {

struct Column {
  const char* heading;
  wxListColumnFormat format;
  int width;
};
constexpr Column kMatchColumns[] = {
    {"DiscID", wxLIST_FORMAT_LEFT, 60},    {"Album", wxLIST_FORMAT_CENTRE, 200},
    {"Artist", wxLIST_FORMAT_CENTRE, 150}, {"Genre", wxLIST_FORMAT_CENTRE, 150},
    {"Year", wxLIST_FORMAT_CENTRE, 50},
};
constexpr Column kTrackColumns[] = {
    {"Track #", wxLIST_FORMAT_CENTRE, 50},
    {"Track Title", wxLIST_FORMAT_LEFT, 560},
};

void AddColumns(wxListCtrl* list, const SIZE& units, std::span<const Column> columns) {
  list->DeleteAllColumns();
  for (size_t i = 0; i < columns.size(); ++i) {
    list->InsertColumn(static_cast<long>(i), columns[i].heading, columns[i].format,
                       ScaleForFont(units, columns[i].width));
  }
}

void AddRow(wxListCtrl* list, const std::vector<std::string>& texts) {
  const long row = list->GetItemCount();
  const long item = list->InsertItem(row, wxString::FromUTF8(texts.front()));
  for (size_t column = 1; column < texts.size(); ++column)
    list->SetItem(item, static_cast<long>(column), wxString::FromUTF8(texts[column]));
  list->SetItemBackgroundColour(item, CFreeDBChoice::RowColour(item));
}

}  // namespace

// --- The hand-over ------------------------------------------------------------

std::optional<size_t> CGuiMatchChooser::ChooseMatch(const std::vector<CCDDBRecord>& matches,
                                                    std::stop_token stop) {
  if (matches.empty()) return std::nullopt;
  auto request = std::make_shared<MatchChoiceRequest>();
  request->matches = matches;
  const std::optional<ui::LRESULT> answer =
      mailbox_->Send(WM_CDDB_MULTIPLE_MATCHES, 0, 0, request, [&stop] { return stop.stop_requested(); });
  const int choice = request->choice.load();
  if (!answer || choice < 0 || static_cast<size_t>(choice) >= matches.size()) return std::nullopt;
  return static_cast<size_t>(choice);
}

int RunMatchChooser(wxWindow* parent, const std::vector<CCDDBRecord>& matches) {
  // Nobody is left to choose once the session has ended: the first match.
  if (SessionEnding.load()) return 0;
  ShowMessageBox(parent, "FreeDB Server Returned Multiple Results, Please Select the Correct One.", "",
                 MB_OK);
  CFreeDBChoice chooser(parent, matches);
  chooser.DoModal();
  AppEventLog().AddLog("FreeDB server returned multiple results.", LogInfo);
  return chooser.Choice() < 0 ? 0 : chooser.Choice();
}

ui::LRESULT CQuarnoCDRipperDlg::OnCddbMultipleMatches(ui::UiMessageEvent& event) {
  if (const auto* request = event.Payload<std::shared_ptr<MatchChoiceRequest>>(); request && *request)
    (*request)->choice = RunMatchChooser(this, (*request)->matches);
  return 0;
}

// --- The chooser -------------------------------------------------------------

const ui::MapRow<CFreeDBChoice> CFreeDBChoice::kMessageMap[] = {
    // The close box ends the dialog through OnCancel.
    ui::OnEvent(wxEVT_LIST_ITEM_ACTIVATED, res::IDC_MATCH_LIST, &CFreeDBChoice::OnDblClk),
    ui::OnEvent(wxEVT_LIST_ITEM_SELECTED, res::IDC_MATCH_LIST, &CFreeDBChoice::OnItemSelected),
    ui::OnEvent(wxEVT_LIST_ITEM_DESELECTED, res::IDC_MATCH_LIST, &CFreeDBChoice::OnItemDeselected),
    // Rows take their colours when they are added (AddRow).
    ui::OnWmDestroy(&CFreeDBChoice::OnDestroy),
};

CFreeDBChoice::CFreeDBChoice(wxWindow* parent, const std::vector<CCDDBRecord>& matches)
    : ui::CResizeDlg(res::kFreeDBChoiceDialog, parent), matches_(matches) {
  ui::BindMessageMap(this, kMessageMap);
}

wxColour CFreeDBChoice::RowColour(long row) {
  return row % 2 != 0 ? wxColour(0xF3, 0xF5, 0xFC) : wxColour(0xFF, 0xFF, 0xFF);
}

bool CFreeDBChoice::OnInitDialog() {
  ui::CResizeDlg::OnInitDialog();
  matchList_ = GetDlgItemAs<wxListCtrl>(res::IDC_MATCH_LIST);
  trackList_ = GetDlgItemAs<wxListCtrl>(res::IDC_MATCH_TRACK_LIST);
  matchList_->DeleteAllItems();
  AddColumns(matchList_, BaseUnits(), kMatchColumns);
  for (const CCDDBRecord& match : matches_) {
    AddRow(matchList_, {fmt::sprintf("%08x", match.DiscID), match.Title, match.Artist, match.Genre,
                        fmt::sprintf("%d", match.Year)});
  }
  trackList_->DeleteAllItems();
  AddColumns(trackList_, BaseUnits(), kTrackColumns);
  AddControls(res::kFreeDBChoiceAnchors);
  placementWindow_ = std::make_unique<WxPlacementWindow>(this, true);
  placement_.Load(*placementWindow_, kFreeDBChoicePlacementEntry, kPlacementSection);
  return true;
}

void CFreeDBChoice::ShowTracks(long match) {
  trackList_->DeleteAllItems();
  if (match < 0 || static_cast<size_t>(match) >= matches_.size()) return;
  const std::vector<std::string>& titles = matches_[static_cast<size_t>(match)].TrackTitles;
  for (size_t i = 0; i < titles.size(); ++i)
    AddRow(trackList_, {fmt::sprintf("%d", static_cast<int>(i + 1)), titles[i]});
}

void CFreeDBChoice::OnItemSelected(wxListEvent& event) { ShowTracks(event.GetIndex()); }

void CFreeDBChoice::OnItemDeselected(wxListEvent&) {
  if (matchList_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED) < 0) trackList_->DeleteAllItems();
}

void CFreeDBChoice::OnDblClk(wxListEvent& event) {
  const long row = event.GetIndex();
  if (row >= 0 && static_cast<size_t>(row) < matches_.size()) Take(static_cast<int>(row), IDOK);
}

void CFreeDBChoice::OnOK() {
  const long selected =
      matchList_ != nullptr ? matchList_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED) : -1;
  if (selected < 0) {
    ShowMessageBox(this, "Please select a listing!", "", MB_ICONEXCLAMATION);
    return;
  }
  Take(static_cast<int>(selected), IDOK);
}

void CFreeDBChoice::OnCancel() { Take(0, IDCANCEL); }

void CFreeDBChoice::Take(int match, int result) {
  choice_ = match;
  EndDialog(result);
}

void CFreeDBChoice::OnDestroy() {
  if (placementWindow_) placement_.Save(*placementWindow_, kFreeDBChoicePlacementEntry, kPlacementSection);
}
