// The page tree of the tree property sheet: a tree control that can show
// single items in a colour of their own (the sheet greys the items of
// disabled pages). Colours arrive as the registered message
// "WMU_TPS_ENABLETREEITEM" (wParam: the item, lParam: the colour as
// 0x00BBGGRR); the tree's own text colour removes an item's entry. Items
// keep their page index (-1: an item without page) as item data.
#pragma once

#include <wx/treectrl.h>

#include <map>
#include <optional>

#include "ui/core/page_tree_model.h"
#include "ui/ui_message.h"

namespace TreePropSheet {

using COLORREF = uint32_t;
COLORREF ToColorRef(const wxColour& colour);
wxColour FromColorRef(COLORREF colour);

// The message numbers, registered by name at program start.
extern const unsigned WMU_TPS_ENABLEPAGE;
extern const unsigned WMU_TPS_ENABLETREEITEM;

// Control id of the page tree.
inline constexpr int kPageTreeId = 0x7EEE;

class CTreePropSheetTreeCtrl : public wxTreeCtrl {
 public:
  CTreePropSheetTreeCtrl();
  ~CTreePropSheetTreeCtrl() override;

  // Emptying the tree forgets every item's colour: a new item must never
  // inherit the colour of a deleted one.
  void DeleteAllItems() override;

  // The colour of `item` in the map, or nullopt when it is drawn normally.
  std::optional<COLORREF> ItemColour(const wxTreeItemId& item) const;
  // The page index of `item` (-1: none), and setting it.
  int PageOf(const wxTreeItemId& item) const;
  void SetPage(const wxTreeItemId& item, int page);
  // The tree's text colour.
  COLORREF TextColour() const;

  // The tree as the page-tree rules see it.
  const ui::PageTree& Model() const { return model_; }
  static wxTreeItemId ItemOf(ui::PageTree::Item item);
  static ui::PageTree::Item HandleOf(const wxTreeItemId& item);

 private:
  class TreeModel : public ui::PageTree {
   public:
    explicit TreeModel(const CTreePropSheetTreeCtrl& tree) : tree_(tree) {}
    Item FirstChild(Item parent) const override;
    Item NextSibling(Item item) const override;
    Item PrevSibling(Item item) const override;
    Item Parent(Item item) const override;
    int PageOf(Item item) const override;

   private:
    const CTreePropSheetTreeCtrl& tree_;
  };

  ui::LRESULT OnEnableTreeItem(ui::WPARAM wParam, ui::LPARAM lParam);
  void OnDeleteItem(wxTreeEvent& event);

  std::map<void*, COLORREF> colours_;
  TreeModel model_{*this};
};

}  // namespace TreePropSheet
