// The tree property sheet: page tree, caption band, page enabling and the
// resizable variant with its splitter and hook.
#include "ui/tree_prop_sheet.h"

#include <fmt/printf.h>
#include <wx/settings.h>

#include <algorithm>

#include "ui/focus_ring.h"
#include "ui/registered_message.h"
#include "ui/tree_prop_sheet_hook.h"

namespace TreePropSheet {

namespace {

wxString ToWx(const std::string& text) { return wxString::FromUTF8(text.data(), text.size()); }

wxRect Offsets(const wxRect& inner, const wxRect& outer) {
  return {inner.x - outer.x, inner.y - outer.y, outer.GetRight() - inner.GetRight(),
          outer.GetBottom() - inner.GetBottom()};
}

// Holds the refill lock while it lives.
class Lock {
 public:
  explicit Lock(int& counter) : counter_(counter) { ++counter_; }
  ~Lock() { --counter_; }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  int& counter_;
};

void ExpandAll(wxTreeCtrl* tree, const wxTreeItemId& parent) {
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree->GetFirstChild(parent, cookie); child.IsOk();
       child = tree->GetNextChild(parent, cookie)) {
    if (tree->ItemHasChildren(child)) {
      tree->Expand(child);
      ExpandAll(tree, child);
    }
  }
}

template <class F>
void ForEachItem(wxTreeCtrl* tree, const wxTreeItemId& parent, const F& f) {
  wxTreeItemIdValue cookie;
  for (wxTreeItemId child = tree->GetFirstChild(parent, cookie); child.IsOk();
       child = tree->GetNextChild(parent, cookie)) {
    f(child);
    ForEachItem(tree, child, f);
  }
}

}  // namespace

const ui::MapRow<CTreePropSheetBase> CTreePropSheetBase::kMessageMap[] = {
    ui::OnWmDestroy(&CTreePropSheetBase::OnDestroyWindows),
    ui::OnEvent(wxEVT_TREE_SEL_CHANGING, kPageTreeId, &CTreePropSheetBase::OnSelChanging),
    ui::OnEvent(wxEVT_TREE_SEL_CHANGED, kPageTreeId, &CTreePropSheetBase::OnSelChanged),
    ui::OnEvent(wxEVT_CONTEXT_MENU, wxID_ANY, &CTreePropSheetBase::OnContextMenu),
    ui::OnEvent(wxEVT_HELP, wxID_ANY, &CTreePropSheetBase::OnHelp),
    ui::OnRegisteredMessage(&WMU_TPS_ENABLEPAGE, &CTreePropSheetBase::OnEnablePageMessage),
};

CTreePropSheetBase::CTreePropSheetBase(const std::string& caption, wxWindow* parent, int selectPage)
    : CPropertySheet(caption, parent, selectPage) {
  ui::BindMessageMap(this, kMessageMap);
}

CTreePropSheetBase::~CTreePropSheetBase() = default;

bool CTreePropSheetBase::SetTreeOptions(bool treeView, bool pageCaption, bool treeImages) {
  if (IsWindowCreated()) return false;
  treeView_ = treeView;
  if (treeView) {
    pageCaption_ = pageCaption;
    treeImages_ = treeImages;
  }
  return true;
}

bool CTreePropSheetBase::SetTreeWidth(int width) {
  if (IsWindowCreated()) return false;
  treeWidth_ = width;
  return true;
}

std::string CTreePropSheetBase::FormatEmptyPageText(const std::string& format,
                                                    const std::string& itemText) const {
  try {
    return fmt::sprintf(format, itemText);
  } catch (const fmt::format_error&) {
    return format;  // a message with other placeholders is shown as it is
  }
}

CTreePropSheetTreeCtrl* CTreePropSheetBase::NewPageTreeControl() { return new CTreePropSheetTreeCtrl(); }

CPropPageFrame* CTreePropSheetBase::NewPageFrame() { return new CPropPageFrameEx(); }

ui::SelectRules CTreePropSheetBase::Rules() const {
  ui::SelectRules rules;
  rules.skipEmptyItems = skipEmptyItems_;
  rules.blockDisabledPages = blockDisabled_;
  rules.pageEnabled = [this](int page) { return IsPageEnabled(GetPage(page)); };
  return rules;
}

bool CTreePropSheetBase::IsPageEnabled(const ui::CPropertyPage* page) const {
  const auto it = enabled_.find(page);
  return it == enabled_.end() || it->second;
}

wxRect CTreePropSheetBase::GetPageRect() const {
  if (frame_ == nullptr || frame_->GetFrameWindow() == nullptr) return CPropertySheet::GetPageRect();
  const wxRect f = frame_->GetFrameWindow()->GetRect();
  return {f.x + pageOffsets_.x, f.y + pageOffsets_.y, f.width - pageOffsets_.x - pageOffsets_.width,
          f.height - pageOffsets_.y - pageOffsets_.height};
}

void CTreePropSheetBase::MoveChildren(int dx, int dy) {
  for (wxWindow* child : GetChildren()) {
    if (!child->IsTopLevel()) child->Move(child->GetPosition() + wxPoint(dx, dy));
  }
}

bool CTreePropSheetBase::OnInitDialog() {
  const bool treeMode = treeView_ && !IsWizard();
  if (!treeMode) return CPropertySheet::OnInitDialog();
  treeImageList_ = std::make_unique<wxImageList>(16, 16, true, 1);
  ui::CTabStrip* tabs = GetTabControl();
  BuildTabImages();

  // Windows are drawn in the order they were made: the frame and the tree
  // come before the pages, which lie on the frame.
  tabs->Hide();
  tabs->Disable();
  const wxRect r = tabs->GetRect();
  // Pages keep the place the tab strip gives them, now inside the frame.
  pageOffsets_ = Offsets(CPropertySheet::GetPageRect(), r);
  const wxSize size = GetClientSize();
  SetClientSize(size.x + treeWidth_, size.y);
  MoveChildren(treeWidth_, 0);
  treeRect_ = wxRect(r.x, r.y, treeWidth_ - treeGap_, r.height);
  wxRect frameRect(r.x + treeWidth_, r.y, r.width, r.height);
  const int captionHeight = tabs->GetItemHeight();
  if (!pageCaption_) {
    // No band: the frame starts where the pages do, and everything moves up.
    frameRect.y += captionHeight;
    frameRect.height -= captionHeight;
    pageOffsets_.y -= captionHeight;
    MoveChildren(0, -captionHeight);
    frameRect.y -= captionHeight;
    treeRect_.height -= captionHeight;
    const wxSize now = GetClientSize();
    SetClientSize(now.x, now.y - captionHeight);
  }
  OnTreeLayoutKnown(treeRect_, frameRect);

  auto* frame = NewPageFrame();
  frame_ = frame;
  frame->CreateFrameWindow(frameRect, this, 0xFFFF);
  frame->SetCaptionVisible(pageCaption_);
  frame->SetCaptionHeight(captionHeight);

  tree_ = NewPageTreeControl();
  tree_->Create(
      this, ui::WxId(kPageTreeId), treeRect_.GetPosition(), treeRect_.GetSize(),
      wxTR_HAS_BUTTONS | wxTR_LINES_AT_ROOT | wxTR_HIDE_ROOT | wxTR_SINGLE | wxBORDER_SUNKEN | wxWANTS_CHARS);
  tree_->SetName("PageTree");
  if (treeImages_) tree_->SetImageList(treeImageList_.get());
  tree_->Bind(wxEVT_KEY_DOWN, &CTreePropSheetBase::OnTreeKeyDown, this);
  // The tree comes first in the tab order.
  tree_->MoveBeforeInTabOrder(GetChildren().GetFirst()->GetData());
  ui::ShowFocusRing(tree_);
  CentreOnParent();

  ShowStartPage();
  RebuildPageTree();
  return true;
}

void CTreePropSheetBase::BuildTabImages() {
  auto images = std::make_unique<wxImageList>(16, 16, true, 1);
  bool any = false;
  for (int i = 0; i < GetPageCount(); ++i) {
    const ui::CPropertyPage* page = GetPage(i);
    if (!(page->PageFlags() & ui::PSP_USEHICON) || !page->GetIcon().IsOk()) continue;
    if (images->Add(page->GetIcon()) < 0) return;  // a failing list is dropped
    any = true;
  }
  if (!any) return;
  int next = 0;
  ui::CTabStrip* tabs = GetTabControl();
  std::vector<int> imageOf(GetPageCount(), -1);
  for (int i = 0; i < GetPageCount(); ++i) {
    const ui::CPropertyPage* page = GetPage(i);
    if ((page->PageFlags() & ui::PSP_USEHICON) && page->GetIcon().IsOk()) imageOf[i] = next++;
  }
  tabs->DeleteAllItems();
  for (int i = 0; i < GetPageCount(); ++i) tabs->InsertItem(i, GetPage(i)->GetCaption(), imageOf[i]);
  tabs->SetCurSel(GetActiveIndex());
  delete tabs->SetImageList(images.release());
}

void CTreePropSheetBase::RefillPageTree() {
  Lock lock(refillLock_);
  tree_->DeleteAllItems();
  const wxTreeItemId root = tree_->AddRoot("");
  ui::CTabStrip* tabs = GetTabControl();
  if (treeImages_ && treeImageList_ != nullptr) {
    treeImageList_->RemoveAll();
    if (wxImageList* tabImages = tabs->GetImageList()) {
      for (int i = 0; i < tabImages->GetImageCount(); ++i) treeImageList_->Add(tabImages->GetIcon(i));
    }
  }
  const COLORREF grey = ToColorRef(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
  for (int i = 0; i < tabs->GetItemCount(); ++i) {
    const wxTreeItemId item = CreatePageTreeItem(tabs->GetItemText(i), root);
    tree_->SetPage(item, i);
    if (treeImages_ && treeImageList_ != nullptr) {
      const int image = tabs->GetItemImage(i);
      const int shown = image >= 0 && image < treeImageList_->GetImageCount() ? image : -1;
      tree_->SetItemImage(item, shown);
      tree_->SetItemImage(item, shown, wxTreeItemIcon_Selected);
    }
    if (!IsPageEnabled(GetPage(i))) {
      ui::SendRegisteredMessage(tree_, WMU_TPS_ENABLETREEITEM, CTreePropSheetTreeCtrl::HandleOf(item), grey);
    }
  }
}

wxTreeItemId CTreePropSheetBase::CreatePageTreeItem(const std::string& caption, const wxTreeItemId& root) {
  wxTreeItemId parent = root;
  for (const std::string& level : ui::SplitCaptionPath(caption)) {
    const wxString text = ToWx(level);
    wxTreeItemId found;
    wxTreeItemIdValue cookie;
    for (wxTreeItemId child = tree_->GetFirstChild(parent, cookie); child.IsOk();
         child = tree_->GetNextChild(parent, cookie)) {
      if (tree_->GetItemText(child) == text) {
        found = child;
        break;
      }
    }
    if (!found.IsOk()) {
      found = tree_->AppendItem(parent, text);
      tree_->SetPage(found, -1);
    }
    parent = found;
  }
  return parent;
}

void CTreePropSheetBase::SelectActivePageItem() {
  if (tree_ == nullptr || GetActiveIndex() < 0) return;
  const ui::PageTree::Item item = ui::FindPageItem(tree_->Model(), GetActiveIndex());
  if (item == 0) return;
  Lock lock(refillLock_);
  tree_->SelectItem(CTreePropSheetTreeCtrl::ItemOf(item));
}

void CTreePropSheetBase::UpdateCaption() {
  if (tree_ == nullptr || frame_ == nullptr) return;
  const wxTreeItemId item = tree_->GetSelection();
  const std::string text = item.IsOk() ? tree_->GetItemText(item).utf8_string() : std::string();
  wxWindow* page = GetCurrentPageWindow();
  if (page == nullptr || !page->IsShown()) frame_->SetMessageText(FormatEmptyPageText(emptyPageText_, text));
  if (!frame_->IsCaptionVisible()) return;
  wxIcon icon;
  if (treeImages_ && treeImageList_ != nullptr && item.IsOk()) {
    const int image = tree_->GetItemImage(item);
    if (image >= 0 && image < treeImageList_->GetImageCount()) icon = treeImageList_->GetIcon(image);
  } else if (page != nullptr && GetTabControl()->GetImageList() != nullptr) {
    const int image = GetTabControl()->GetItemImage(tree_->PageOf(item));
    wxImageList* list = GetTabControl()->GetImageList();
    if (image >= 0 && image < list->GetImageCount()) icon = list->GetIcon(image);
  }
  frame_->SetCaption(text, icon);
}

bool CTreePropSheetBase::SetActivePage(int index) { return CPropertySheet::SetActivePage(index); }

void CTreePropSheetBase::OnActivePageChanged() {
  if (tree_ == nullptr || refillLock_ > 0) return;
  SelectActivePageItem();
  UpdateCaption();
}

void CTreePropSheetBase::OnPageListChanged() {
  if (tree_ != nullptr) RebuildPageTree();
}

void CTreePropSheetBase::RebuildPageTree() {
  tree_->Freeze();
  RefillPageTree();
  if (autoExpand_) ExpandAll(tree_, tree_->GetRootItem());
  SelectActivePageItem();
  tree_->Thaw();
  tree_->Refresh();
  UpdateCaption();
}

void CTreePropSheetBase::OnSelChanging(wxTreeEvent& event) {
  if (refillLock_ > 0 || tree_ == nullptr) return;
  Lock lock(refillLock_);
  const ui::PageTree& model = tree_->Model();
  const ui::SelectRules rules = Rules();
  const ui::PageTree::Item item = CTreePropSheetTreeCtrl::HandleOf(event.GetItem());
  const int page = tree_->PageOf(event.GetItem());
  auto selectInstead = [&] {
    if (const ui::PageTree::Item next = ui::FirstSelectableAfter(model, item, rules)) {
      tree_->SelectItem(CTreePropSheetTreeCtrl::ItemOf(next));
      UpdateCaption();
    }
    event.Veto();
  };
  if (page >= 0) {
    if (!ui::IsSelectable(model, item, rules)) {
      selectInstead();
    } else if (!CPropertySheet::SetActivePage(page)) {
      event.Veto();
    }
  } else if (ui::IsSelectable(model, item, rules)) {
    selectInstead();
  } else if (!HideCurrentPage()) {
    event.Veto();
  }
  tree_->SetFocus();
}

void CTreePropSheetBase::OnTreeKeyDown(wxKeyEvent& event) {
  // Only a tree that skips its empty items steers the arrow keys itself.
  const int key = event.GetKeyCode();
  const bool arrow = key == WXK_LEFT || key == WXK_RIGHT || key == WXK_UP || key == WXK_DOWN;
  if (!skipEmptyItems_ || !arrow || event.HasAnyModifiers()) {
    event.Skip();
    return;
  }
  const wxTreeItemId selected = tree_->GetSelection();
  if (!selected.IsOk()) return;
  const ui::PageTree& model = tree_->Model();
  const ui::PageTree::Item item = CTreePropSheetTreeCtrl::HandleOf(selected);
  auto select = [this](ui::PageTree::Item target) {
    if (target != 0) tree_->SelectItem(CTreePropSheetTreeCtrl::ItemOf(target));
  };
  if (key == WXK_LEFT) {
    if (tree_->IsExpanded(selected)) {
      tree_->Collapse(selected);
      return;
    }
    for (ui::PageTree::Item up = model.Parent(item); up != 0; up = model.Parent(up)) {
      if (model.PageOf(up) >= 0) return select(up);
    }
  } else if (key == WXK_RIGHT) {
    if (tree_->ItemHasChildren(selected) && !tree_->IsExpanded(selected)) {
      tree_->Expand(selected);
      return;
    }
    for (ui::PageTree::Item down = model.FirstChild(item); down != 0; down = model.FirstChild(down)) {
      if (model.PageOf(down) >= 0) return select(down);
    }
  } else {
    select(ui::NextSelectable(model, item, key == WXK_DOWN, Rules()));
  }
}

void CTreePropSheetBase::OnSelChanged(wxTreeEvent& event) {
  event.Skip();
  if (refillLock_ == 0) UpdateCaption();
}

void CTreePropSheetBase::OnContextMenu(wxContextMenuEvent& event) {
  const wxObject* source = event.GetEventObject();
  if (tree_ != nullptr && source == tree_) return;
  if (frame_ != nullptr && source == frame_->GetFrameWindow()) return;
  event.Skip();
}

void CTreePropSheetBase::OnHelp(wxHelpEvent& event) {
  wxWindow* page = GetCurrentPageWindow();
  if (page == nullptr || event.GetEventObject() == page) {
    event.Skip();
    return;
  }
  wxHelpEvent forwarded(event);
  forwarded.SetEventObject(page);
  page->GetEventHandler()->ProcessEvent(forwarded);
}

bool CTreePropSheetBase::IsDialogMessageHook(const wxKeyEvent& key) {
  if (tree_ == nullptr) return CPropertySheet::IsDialogMessageHook(key);
  const int direction = PageKeyDirection(key);
  if (direction == 0) return false;
  const bool forward = direction > 0;
  const ui::PageTree::Item current = CTreePropSheetTreeCtrl::HandleOf(tree_->GetSelection());
  const ui::PageTree::Item next = ui::NextSelectable(tree_->Model(), current, forward, Rules());
  if (next != 0 && next != current) tree_->SelectItem(CTreePropSheetTreeCtrl::ItemOf(next));
  return true;
}

bool CTreePropSheetBase::EnablePage(ui::CPropertyPage* page, bool enable) {
  const int index = GetPageIndex(page);
  if (index < 0) return false;
  if (!enable && IsWindowCreated() && index == GetActiveIndex()) {
    // The page goes out of reach: another page is shown first, if any can be.
    if (tree_ != nullptr) {
      const ui::PageTree::Item current = ui::FindPageItem(tree_->Model(), index);
      ui::SelectRules rules = Rules();
      const auto othersOnly = rules.pageEnabled;
      rules.pageEnabled = [&](int p) { return p != index && othersOnly(p); };
      const ui::PageTree::Item next = ui::NextSelectable(tree_->Model(), current, true, rules);
      if (next != current && next != 0) tree_->SelectItem(CTreePropSheetTreeCtrl::ItemOf(next));
    } else {
      for (int step = 1; step < GetPageCount(); ++step) {
        const int other = (index + step) % GetPageCount();
        if (IsPageEnabled(GetPage(other)) && SetActivePage(other)) break;
      }
    }
    if (GetActiveIndex() == index && GetCurrentPageWindow() != nullptr) return false;
  }
  enabled_[page] = enable;
  if (wxWindow* window = page->GetWindow()) window->Enable(enable);
  if (tree_ != nullptr) {
    ForEachItem(tree_, tree_->GetRootItem(), [this](const wxTreeItemId& item) { UpdateItemColour(item); });
    tree_->Refresh();
  }
  return true;
}

void CTreePropSheetBase::UpdateItemColour(const wxTreeItemId& item) {
  const int page = tree_->PageOf(item);
  if (page < 0) return;
  const COLORREF colour = IsPageEnabled(GetPage(page))
                              ? tree_->TextColour()
                              : ToColorRef(wxSystemSettings::GetColour(wxSYS_COLOUR_GRAYTEXT));
  ui::SendRegisteredMessage(tree_, WMU_TPS_ENABLETREEITEM, CTreePropSheetTreeCtrl::HandleOf(item), colour);
}

ui::LRESULT CTreePropSheetBase::OnEnablePageMessage(ui::WPARAM wParam, ui::LPARAM lParam) {
  EnablePage(reinterpret_cast<ui::CPropertyPage*>(wParam), lParam != 0);
  return 1;
}

void CTreePropSheetBase::OnDestroyWindows() {
  if (tree_ != nullptr) tree_->Destroy();
  if (frame_ != nullptr) {
    wxWindow* window = frame_->GetFrameWindow();
    if (window != dynamic_cast<wxWindow*>(frame_)) delete frame_;  // a frame drawn on a window of its own
    if (window != nullptr) window->Destroy();
  }
  tree_ = nullptr;
  frame_ = nullptr;
  treeImageList_.reset();
}

// ---- the resizable tree sheet

CTreePropSheetEx::CTreePropSheetEx(const std::string& caption, wxWindow* parent, int selectPage)
    : CTreePropSheetBase(caption, parent, selectPage) {
  SetSheetFlags(SheetFlags() & ~ui::PSH_HASHELP);
}

CTreePropSheetEx::~CTreePropSheetEx() { hook_.reset(); }

void CTreePropSheetEx::SetTreeResizable(bool resizable) {
  treeResizable_ = resizable;
  if (splitter_ != nullptr) splitter_->SetDragAllowed(resizable);
}

bool CTreePropSheetEx::SetSheetResizable(bool resizable) {
  if (IsWindowCreated()) return false;
  sheetResizable_ = resizable;
  return true;
}

bool CTreePropSheetEx::SetTreeWidth(int width) {
  if (width < 0) return false;
  if (!IsWindowCreated()) return CTreePropSheetBase::SetTreeWidth(width);
  if (!sheetResizable_ || splitter_ == nullptr) return false;
  const ui::SplitterModel& model = splitter_->Model();
  const int total = model.PaneSize(0) + model.PaneSize(1);
  splitter_->SetPaneSizes({width, std::max(0, total - width)});
  return true;
}

uint32_t CTreePropSheetEx::WindowStyleBits() const {
  return sheetResizable_ ? ui::kDialogDefault | ui::kDialogResizable : ui::kDialogDefault;
}

CTreePropSheetSplitter* CTreePropSheetEx::NewSplitter() {
  return new CTreePropSheetSplitter(2, true, {treeMinimum_, frameMinimum_}, splitterBarWidth_);
}

std::unique_ptr<CTreePropSheetResizableLibHook> CTreePropSheetEx::NewResizeHook() {
  return std::make_unique<CTreePropSheetResizableLibHook>(this);
}

void CTreePropSheetEx::OnTreeLayoutKnown(const wxRect& treeRect, const wxRect& frameRect) {
  if (!sheetResizable_) return;
  splitter_ = NewSplitter();
  splitter_->Create(this, treeRect.Union(frameRect), kSplitterId);
}

bool CTreePropSheetEx::OnInitDialog() {
  CTreePropSheetBase::OnInitDialog();
  if (splitter_ == nullptr || GetPageTreeControl() == nullptr) return true;
  wxWindow* tree = GetPageTreeControl();
  wxWindow* frame = GetFrameControl()->GetFrameWindow();
  const std::vector<int> widths{tree->GetSize().x, frame->GetSize().x};  // before the panes move
  splitter_->SetPane(0, tree);
  splitter_->SetPane(1, frame);
  splitter_->SetPaneSizes(widths);
  splitter_->SetFrozenPanes({!treeScales_, false});
  splitter_->SetLiveUpdate(liveSplitter_);
  splitter_->SetDragAllowed(treeResizable_);
  splitter_->onPanesMoved = [this] { PlacePages(); };

  hook_ = NewResizeHook();
  hook_->Attach();
  if (minSize_.x >= 0 || minSize_.y >= 0) {
    const SIZE min{std::max(treeMinimum_ + frameMinimum_ + splitterBarWidth_, minSize_.x), minSize_.y};
    hook_->SetMinTrack(min);
    if (maxSize_.x >= 0 || maxSize_.y >= 0) {
      hook_->SetMaxTrack(SIZE{std::max(maxSize_.x, min.cx), std::max(maxSize_.y, min.cy)});
    }
  } else if (maxSize_.x >= 0 || maxSize_.y >= 0) {
    hook_->SetMaxTrack(SIZE{maxSize_.x, maxSize_.y});
  }
  hook_->PushTrackLimits();
  return true;
}

}  // namespace TreePropSheet
