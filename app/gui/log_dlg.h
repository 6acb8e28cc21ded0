// The log window: a modeless, resizable window listing every entry of the
// program's event log with its number, time and text, coloured by severity.
// OK, Escape and the close box only hide it; Clear empties the log (numbering
// goes on). The window is made on first use and destroyed with the main
// window; its placement is kept from one run to the next.
//
// The window stays usable while a modal window runs (a rip's progress window
// opens it with its Log button): the modal window's input grab and the
// disabling of the other windows leave it out, and it is placed beside the
// modal window rather than over it.
#pragma once

#include <wx/colour.h>
#include <wx/listctrl.h>
#include <wx/toplevel.h>

#include <memory>

#include "app/event_log.h"
#include "ui/resize_dlg.h"
#include "ui/window_placement_store.h"

class CQuarnoCDRipperDlg;

// Text and background colours of a row of level `level`; false (default
// colours) for a level outside LogInfo..LogFatal.
bool LogLevelColours(int level, wxColour& text, wxColour& background);

// Where a window that would like the size `wanted` (and needs at least
// `minimum`) goes beside the window at `modal`, inside the display's work
// area `area`, covering none of it: on its right, left, below or above it,
// on the side where the most of it fits, sized down to the room there. When
// no side has room for the minimum, `modal` moves to the top of the area
// (it is updated) and the window goes below it; when that leaves no room
// either (a maximised modal window), `modal` stays and the window keeps its
// size, whole inside the area, at the area's bottom.
wxRect PlaceBesideWindow(wxRect& modal, const wxRect& area, const wxSize& wanted, const wxSize& minimum);

// The list of the log window: a virtual list whose rows are the log's
// entries, read when drawn.
class CLogListCtrl : public wxListCtrl {
 public:
  CLogListCtrl(wxWindow* parent, int id, const wxRect& rect);

  // Makes the list show `count` rows.
  void SetRowCount(size_t count);

 protected:
  wxString OnGetItemText(long item, long column) const override;
  wxItemAttr* OnGetItemAttr(long item) const override;

 private:
  mutable wxItemAttr attr_;
};

class CLogDlg : public ui::CResizeDlg {
 public:
  explicit CLogDlg(CQuarnoCDRipperDlg* mainDialog);

  // Shows the newest entry as a new last row (nothing while the window does
  // not exist yet: OnInitDialog lists every entry).
  void AppendLastEntry();

  // Places the window beside the modal window `modal` so that it covers
  // none of it (the modal window moves up when nothing else makes room),
  // keeping the size the user gave it where there is room for it.
  void PlaceBeside(wxTopLevelWindow& modal);
  // Places the window beside `modal`, then shows it: a hidden window comes
  // back on the screen at its new place at once.
  void ShowBeside(wxTopLevelWindow& modal);

  CLogListCtrl* List() const { return list_; }
  void OnOkButton();
  void OnClear();

  // Column widths of the Description column: for up to 18 entries, and for
  // more (room for the scroll bar).
  static constexpr int kDescriptionWidth = 478;
  static constexpr int kDescriptionWidthScrolled = 461;
  static constexpr size_t kRowsWithoutScrollBar = 18;

 protected:
  bool OnInitDialog() override;
  void OnOK() override { OnOkButton(); }
  void OnCancel() override { OnOkButton(); }
  wxWindow* CreateControl(wxWindow* parent, const ui::DialogItem& item, int wxId,
                          const wxRect& rect) override;

 private:
  void OnDestroy();
  // The narrowest outer width at which OK and Clear, whose centres keep
  // their share of the client width, do not touch; 0 when not laid out yet.
  int ButtonsApartWidth() const;
  // The smallest outer size that keeps OK and Clear apart and shows the
  // column header and a few rows.
  wxSize UsableMinimum() const;
  static constexpr int kMinimumRows = 3;
  static constexpr int kButtonGap = 6;
  // Scrolls the list so that its last row is wholly in view: now, or once
  // the list has taken its new size.
  void ScrollToLastRow();
  void ScrollToLastRowSoon();
  // Keeps the window out of the input grab of modal windows, so that it
  // takes its own clicks and keys while one runs.
  void LeaveModalGrabs();

  static const ui::MapRow<CLogDlg> kMessageMap[];

  CQuarnoCDRipperDlg* mainDialog_;
  CLogListCtrl* list_ = nullptr;
  WindowPlacementStore placement_;
  std::unique_ptr<WxPlacementWindow> placementWindow_;
  bool scrollQueued_ = false;
};

// The program's one log window, made by the main window's View Log command;
// null until then and again once the main window has destroyed it.
extern CLogDlg* LogWindow;
