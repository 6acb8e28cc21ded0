// The page tree: item colours by message and the tree model adapter.
#include "ui/tree_prop_sheet_tree.h"

#include "ui/registered_message.h"

namespace TreePropSheet {

const unsigned WMU_TPS_ENABLEPAGE = ui::RegisterWindowMessage("WMU_TPS_ENABLEPAGE");
const unsigned WMU_TPS_ENABLETREEITEM = ui::RegisterWindowMessage("WMU_TPS_ENABLETREEITEM");

namespace {

class PageData : public wxTreeItemData {
 public:
  explicit PageData(int page) : page(page) {}
  int page;
};

}  // namespace

COLORREF ToColorRef(const wxColour& c) {
  return static_cast<COLORREF>(c.Red()) | (static_cast<COLORREF>(c.Green()) << 8) |
         (static_cast<COLORREF>(c.Blue()) << 16);
}

wxColour FromColorRef(COLORREF c) { return wxColour(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

CTreePropSheetTreeCtrl::CTreePropSheetTreeCtrl() {
  static const ui::MapRow<CTreePropSheetTreeCtrl> kMessageMap[] = {
      ui::OnRegisteredMessage(&WMU_TPS_ENABLETREEITEM, &CTreePropSheetTreeCtrl::OnEnableTreeItem),
      ui::OnEvent(wxEVT_TREE_DELETE_ITEM, wxID_ANY, &CTreePropSheetTreeCtrl::OnDeleteItem),
  };
  ui::BindMessageMap(this, kMessageMap);
}

// The base destructor empties the tree too, but each deleted item calls
// OnDeleteItem, which must not run once this part of the object is gone.
CTreePropSheetTreeCtrl::~CTreePropSheetTreeCtrl() { DeleteAllItems(); }

void CTreePropSheetTreeCtrl::DeleteAllItems() {
  wxTreeCtrl::DeleteAllItems();
  colours_.clear();
}

void CTreePropSheetTreeCtrl::OnDeleteItem(wxTreeEvent& event) {
  colours_.erase(event.GetItem().GetID());
  event.Skip();
}

COLORREF CTreePropSheetTreeCtrl::TextColour() const { return ToColorRef(GetForegroundColour()); }

ui::LRESULT CTreePropSheetTreeCtrl::OnEnableTreeItem(ui::WPARAM wParam, ui::LPARAM lParam) {
  const wxTreeItemId item = ItemOf(static_cast<ui::PageTree::Item>(wParam));
  if (!item.IsOk()) return 1;
  const auto colour = static_cast<COLORREF>(lParam);
  if (colour == TextColour()) {
    colours_.erase(item.GetID());
    SetItemTextColour(item, GetForegroundColour());
  } else {
    colours_[item.GetID()] = colour;
    SetItemTextColour(item, FromColorRef(colour));
  }
  return 1;
}

std::optional<COLORREF> CTreePropSheetTreeCtrl::ItemColour(const wxTreeItemId& item) const {
  const auto it = colours_.find(item.GetID());
  if (it == colours_.end()) return std::nullopt;
  return it->second;
}

int CTreePropSheetTreeCtrl::PageOf(const wxTreeItemId& item) const {
  const auto* data = item.IsOk() ? dynamic_cast<const PageData*>(GetItemData(item)) : nullptr;
  return data != nullptr ? data->page : -1;
}

void CTreePropSheetTreeCtrl::SetPage(const wxTreeItemId& item, int page) {
  if (!item.IsOk()) return;
  // The tree does not free data it replaces: an item keeps its one record.
  if (auto* data = dynamic_cast<PageData*>(GetItemData(item))) {
    data->page = page;
    return;
  }
  delete GetItemData(item);
  SetItemData(item, new PageData(page));
}

wxTreeItemId CTreePropSheetTreeCtrl::ItemOf(ui::PageTree::Item item) {
  return wxTreeItemId(reinterpret_cast<void*>(item));
}

ui::PageTree::Item CTreePropSheetTreeCtrl::HandleOf(const wxTreeItemId& item) {
  return reinterpret_cast<ui::PageTree::Item>(item.GetID());
}

// ---- the tree as the page-tree rules see it (the toolkit's root stays hidden)

ui::PageTree::Item CTreePropSheetTreeCtrl::TreeModel::FirstChild(Item parent) const {
  const wxTreeItemId p = parent == 0 ? tree_.GetRootItem() : ItemOf(parent);
  if (!p.IsOk()) return 0;
  wxTreeItemIdValue cookie;
  return HandleOf(tree_.GetFirstChild(p, cookie));
}

ui::PageTree::Item CTreePropSheetTreeCtrl::TreeModel::NextSibling(Item item) const {
  return HandleOf(tree_.GetNextSibling(ItemOf(item)));
}

ui::PageTree::Item CTreePropSheetTreeCtrl::TreeModel::PrevSibling(Item item) const {
  return HandleOf(tree_.GetPrevSibling(ItemOf(item)));
}

ui::PageTree::Item CTreePropSheetTreeCtrl::TreeModel::Parent(Item item) const {
  const wxTreeItemId parent = tree_.GetItemParent(ItemOf(item));
  return parent == tree_.GetRootItem() ? 0 : HandleOf(parent);
}

int CTreePropSheetTreeCtrl::TreeModel::PageOf(Item item) const { return tree_.PageOf(ItemOf(item)); }

}  // namespace TreePropSheet
