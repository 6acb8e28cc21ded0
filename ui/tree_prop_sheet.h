// The tree property sheet: a property sheet (ui/property_sheet.h) whose row
// of tabs gives way to a tree of pages on the left and a framed page area
// with a caption band (ui/tree_prop_sheet_frame.h) on the right.
//
//   TreePropSheet::CTreePropSheetEx sheet("Options", mainWindow, 0);
//   sheet.SetTreeOptions(true, true, false);   // tree, caption band, no icons
//   sheet.SetTreeResizable(false);
//   sheet.SetSheetResizable(false);
//   sheet.SetTreeWidth(128);
//   sheet.AddPage(&freedbPage);                // captions "A::B" nest: item B under A
//   sheet.SetActivePage(lastPage);
//   sheet.DoModal();
//
// Pages may be disabled (their items turn grey and cannot be selected; the
// only page that could be shown is never disabled), by EnablePage or by the
// registered message "WMU_TPS_ENABLEPAGE" (wParam: the page, lParam: non-zero
// to enable). Ctrl+Tab and Ctrl+Page Down move to the next selectable page
// in tree order, Ctrl+Shift+Tab and Ctrl+Page Up to the previous one,
// wrapping around; every other key reaches the page's controls. An item
// without page shows the empty-page message in the frame.
//
// A sheet object is shown once (the options command makes a new one each
// time): the end of DoModal takes its tree and frame away.
//
// CTreePropSheetEx adds, for a resizable sheet, a splitter between tree and
// frame and a hook that lays the sheet out as it is resized
// (ui/tree_prop_sheet_hook.h).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "ui/property_sheet.h"
#include "ui/tree_prop_sheet_frame.h"
#include "ui/tree_prop_sheet_splitter.h"
#include "ui/tree_prop_sheet_tree.h"

namespace TreePropSheet {

class CTreePropSheetResizableLibHook;

// A mark for pages that are drawn on a white background; the sheet does not
// look at it.
class CWhiteBackgroundProvider {
 public:
  bool hasWhiteBackground = false;
};

class CTreePropSheetBase : public ui::CPropertySheet {
 public:
  CTreePropSheetBase(const std::string& caption, wxWindow* parent = nullptr, int selectPage = 0);
  ~CTreePropSheetBase() override;

  // Tree view on or off; the caption band and tree icons are taken only with
  // the tree on. False (nothing changed) once the window exists.
  bool SetTreeOptions(bool treeView, bool pageCaption, bool treeImages);
  // Width of the tree column in pixels; false once the window exists.
  virtual bool SetTreeWidth(int width);
  int GetTreeWidth() const { return treeWidth_; }
  bool IsTreeViewMode() const { return treeView_; }
  // The message shown for an item without page; "%s" stands for its text.
  void SetEmptyPageText(const std::string& text) { emptyPageText_ = text; }
  void SetSkipEmptyItems(bool skip) { skipEmptyItems_ = skip; }
  void SetAutoExpandTree(bool expand) { autoExpand_ = expand; }
  void SetBlockDisabledPages(bool block) { blockDisabled_ = block; }

  // Enables or disables a page; false when it cannot be disabled (no other
  // page could be shown instead).
  bool EnablePage(ui::CPropertyPage* page, bool enable);
  bool IsPageEnabled(const ui::CPropertyPage* page) const;

  CTreePropSheetTreeCtrl* GetPageTreeControl() const { return tree_; }
  CPropPageFrame* GetFrameControl() const { return frame_; }
  bool SetActivePage(int index) override;
  using CPropertySheet::SetActivePage;

  virtual std::string FormatEmptyPageText(const std::string& format, const std::string& itemText) const;
  // In tree view: the page area inside the frame.
  wxRect GetPageRect() const override;

 protected:
  virtual CTreePropSheetTreeCtrl* NewPageTreeControl();
  virtual CPropPageFrame* NewPageFrame();
  virtual void UpdateItemColour(const wxTreeItemId& item);

  bool OnInitDialog() override;
  // The tree and frame rectangles are known and neither window exists yet:
  // windows made now lie under both.
  virtual void OnTreeLayoutKnown(const wxRect& /*treeRect*/, const wxRect& /*frameRect*/) {}
  bool IsDialogMessageHook(const wxKeyEvent& key) override;
  void OnPageListChanged() override;
  void OnActivePageChanged() override;
  ui::SelectRules Rules() const;

  int treeGap_ = 5;
  wxRect treeRect_;     // where the tree went
  wxRect pageOffsets_;  // the page area's distances to the frame's edges (left, top, right, bottom)

 private:
  // Refills the tree, expands it if asked, selects the active page's item
  // and updates the caption.
  void RebuildPageTree();
  void RefillPageTree();
  wxTreeItemId CreatePageTreeItem(const std::string& caption, const wxTreeItemId& parent);
  void SelectActivePageItem();
  void UpdateCaption();
  void BuildTabImages();
  void MoveChildren(int dx, int dy);
  void OnTreeKeyDown(wxKeyEvent& event);
  void OnSelChanging(wxTreeEvent& event);
  void OnSelChanged(wxTreeEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);
  void OnHelp(wxHelpEvent& event);
  void OnDestroyWindows();
  ui::LRESULT OnEnablePageMessage(ui::WPARAM wParam, ui::LPARAM lParam);

  static const ui::MapRow<CTreePropSheetBase> kMessageMap[];

  bool treeView_ = false;
  CTreePropSheetTreeCtrl* tree_ = nullptr;  // owned by the window
  CPropPageFrame* frame_ = nullptr;         // owned by the window
  bool pageCaption_ = false;
  bool treeImages_ = false;
  std::unique_ptr<wxImageList> treeImageList_;
  std::string emptyPageText_;
  int refillLock_ = 0;
  int treeWidth_ = 150;
  bool skipEmptyItems_ = false;
  bool autoExpand_ = false;
  std::map<const ui::CPropertyPage*, bool> enabled_;
  bool blockDisabled_ = true;
};

class CTreePropSheetEx : public CTreePropSheetBase {
 public:
  CTreePropSheetEx(const std::string& caption, wxWindow* parent = nullptr, int selectPage = 0);
  ~CTreePropSheetEx() override;

  // Whether the user may drag the splitter.
  void SetTreeResizable(bool resizable);
  // Whether the sheet gets a sizing border, a splitter and the resize hook;
  // false once the window exists.
  bool SetSheetResizable(bool resizable);
  // False when negative, or when the window exists and is not resizable.
  bool SetTreeWidth(int width) override;
  // Whether the tree pane shares a change of the sheet's width (false: it keeps its width).
  void SetPaneScaling(bool treeScales) { treeScales_ = treeScales; }
  void SetLiveSplitter(bool live) { liveSplitter_ = live; }
  // Limits of the sheet's size while it is resized (-1: none).
  void SetSheetMinSize(const wxSize& size) { minSize_ = size; }
  void SetSheetMaxSize(const wxSize& size) { maxSize_ = size; }

  CTreePropSheetSplitter* GetSplitter() const { return splitter_; }
  wxWindow* GetSplitterWindow() const { return splitter_; }
  CTreePropSheetResizableLibHook* GetResizeHook() const { return hook_.get(); }

 protected:
  virtual CTreePropSheetSplitter* NewSplitter();
  virtual std::unique_ptr<CTreePropSheetResizableLibHook> NewResizeHook();
  bool OnInitDialog() override;
  void OnTreeLayoutKnown(const wxRect& treeRect, const wxRect& frameRect) override;
  uint32_t WindowStyleBits() const override;

 private:
  bool sheetResizable_ = true;
  bool treeResizable_ = true;
  bool treeScales_ = false;
  bool liveSplitter_ = true;
  std::unique_ptr<CTreePropSheetResizableLibHook> hook_;
  CTreePropSheetSplitter* splitter_ = nullptr;  // owned by the window
  wxSize minSize_{-1, -1};
  wxSize maxSize_{-1, -1};
  int splitterBarWidth_ = 5;
  int treeMinimum_ = 148;
  int frameMinimum_ = 148;
};

}  // namespace TreePropSheet
