// The match chooser: when the CDDB server knows several albums for the disc,
// the user picks one in a resizable dialog with the matches above (disc ID,
// album, artist, genre, year) and the selected match's track titles below.
// OK takes the selected match (and asks for one when none is selected), a
// double-click takes the row clicked, and Cancel or the close box take the
// first match. The dialog keeps its placement from one run to the next.
//
// The disc worker asks for a choice through CGuiMatchChooser, which hands the
// matches to the main window as WM_CDDB_MULTIPLE_MATCHES and waits for the
// answer; the wait ends when the worker is told to stop or the window goes.
#pragma once

#include <wx/listctrl.h>

#include <atomic>
#include <memory>
#include <vector>

#include "app/album_lookup.h"
#include "cddb/cddb_record.h"
#include "ui/resize_dlg.h"
#include "ui/ui_message.h"
#include "ui/window_placement_store.h"

// Sent to the main window with a MatchChoiceRequest as payload; answered 0.
inline constexpr unsigned WM_CDDB_MULTIPLE_MATCHES = WM_USER + 101;

// One hand-over: the matches, and the index chosen (-1 until then). Shared,
// so a worker that stopped waiting never leaves the window a dangling request.
struct MatchChoiceRequest {
  std::vector<CCDDBRecord> matches;
  std::atomic<int> choice{-1};
};

class CGuiMatchChooser : public MatchChooser {
 public:
  explicit CGuiMatchChooser(std::shared_ptr<ui::Mailbox> mailbox) : mailbox_(std::move(mailbox)) {}
  std::optional<size_t> ChooseMatch(const std::vector<CCDDBRecord>& matches, std::stop_token stop) override;

 private:
  std::shared_ptr<ui::Mailbox> mailbox_;
};

// The window's half of the hand-over (GUI thread): the notice box, the
// chooser owned by `parent`, and the log line. Returns the index chosen.
int RunMatchChooser(wxWindow* parent, const std::vector<CCDDBRecord>& matches);

class CFreeDBChoice : public ui::CResizeDlg {
 public:
  CFreeDBChoice(wxWindow* parent, const std::vector<CCDDBRecord>& matches);

  // The match taken when the dialog ended; -1 while it runs.
  int Choice() const { return choice_; }

  wxListCtrl* MatchList() const { return matchList_; }
  wxListCtrl* TrackList() const { return trackList_; }

  // Background of the rows of both lists: a light tint for odd rows.
  static wxColour RowColour(long row);

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

 private:
  void OnDblClk(wxListEvent& event);
  void OnItemSelected(wxListEvent& event);
  void OnItemDeselected(wxListEvent& event);
  void OnDestroy();
  void ShowTracks(long match);
  void Take(int match, int result);

  static const ui::MapRow<CFreeDBChoice> kMessageMap[];

  const std::vector<CCDDBRecord>& matches_;
  WindowPlacementStore placement_;
  std::unique_ptr<WxPlacementWindow> placementWindow_;
  wxListCtrl* matchList_ = nullptr;
  wxListCtrl* trackList_ = nullptr;
  int choice_ = -1;
};
