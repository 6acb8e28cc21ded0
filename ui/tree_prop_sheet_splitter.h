// The splitter of a resizable tree property sheet: a window behind the page
// tree and the page frame whose visible part is the bar between them. It
// places existing sibling windows (the panes) side by side or stacked, keeps
// their shares of its length as it is resized (ui/core/splitter_model.h), and
// lets the user drag a bar. While a bar is dragged without live update, a
// dark strip shows where it would go.
#pragma once

#include <wx/event.h>  // before the weak references, which need its standard headers
#include <wx/weakref.h>
#include <wx/window.h>

#include <functional>
#include <vector>

#include "ui/core/splitter_model.h"

namespace TreePropSheet {

inline constexpr int kSplitterId = 0xE900;

class CTreePropSheetSplitter : public wxWindow {
 public:
  // `sideBySide` false: panes stacked.
  CTreePropSheetSplitter(int paneCount, bool sideBySide, const std::vector<int>& minimums, int barWidth);
  ~CTreePropSheetSplitter() override;

  bool Create(wxWindow* parent, const wxRect& rect, int id);
  // Pane `index` is `window` (not owned), moved to the pane's place.
  void SetPane(int index, wxWindow* window);
  wxWindow* GetPane(int index) const;
  void SetPaneSizes(const std::vector<int>& sizes);
  void SetFrozenPanes(const std::vector<bool>& frozen);
  void SetLiveUpdate(bool live) { liveUpdate_ = live; }
  void SetDragAllowed(bool allowed);
  bool IsDragAllowed() const { return dragAllowed_; }
  const ui::SplitterModel& Model() const { return model_; }

  virtual void FocusPane(int index);
  virtual void RedrawParent(const wxRect& rect);

  // Called after the panes moved (resize or drag), for windows that follow them.
  std::function<void()> onPanesMoved;

 private:
  int Along(const wxPoint& p) const { return sideBySide_ ? p.x : p.y; }
  void Relayout();
  void MovePanes();
  wxRect BarRect(int position) const;  // in parent coordinates
  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void EndDrag();

  bool sideBySide_;
  ui::SplitterModel model_;
  std::vector<wxWeakRef<wxWindow>> panes_;  // the panes may go before the splitter
  bool liveUpdate_ = false;
  bool dragAllowed_ = true;
  int draggedBar_ = 0;
  int dragPosition_ = 0;
  int gripOffset_ = 0;
  wxWindow* tracker_ = nullptr;
};

}  // namespace TreePropSheet
