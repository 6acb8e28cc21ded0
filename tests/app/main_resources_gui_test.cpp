// The main window's and the log window's tables: templates that hold every
// control their code names, ids that survive the toolkit's id fold without
// colliding, a tooltip for every toolbar button, menus that carry every
// command once.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "res/main_dialog.h"
#include "ui/core/control_ids.h"

namespace {

void CollectMenuIds(std::span<const res::MenuItem> items, std::vector<int>& ids) {
  for (const res::MenuItem& item : items) {
    if (item.kind == res::MenuItemKind::Popup) {
      CollectMenuIds(item.children, ids);
    } else if (item.kind != res::MenuItemKind::Separator) {
      ids.push_back(item.id);
    }
  }
}

std::vector<int> AllIds() {
  std::vector<int> ids = {res::AFX_IDW_TOOLBAR, res::AFX_IDW_STATUS_BAR, res::AFX_IDW_REBAR};
  for (int id = res::ID_DRIVE_FIRST; id <= res::ID_DRIVE_LAST; ++id) ids.push_back(id);
  for (int menu : {res::IDR_MAINFRAME_MENU, res::IDR_TRACKLIST_MENU, res::IDR_FORMAT_MENU}) {
    CollectMenuIds(res::FindMenu(menu)->items, ids);
  }
  for (const res::ToolButton& b : res::kMainToolButtons) ids.push_back(b.command);
  for (const res::ToolButton& b : res::kPlayerToolButtons) ids.push_back(b.command);
  for (const ui::DialogTemplate* t : {&res::kMainDialog, &res::kLogDialog}) {
    for (const ui::DialogItem& item : t->items) ids.push_back(item.id);
  }
  std::set<int> unique(ids.begin(), ids.end());
  unique.erase(-1);
  return {unique.begin(), unique.end()};
}

TEST(MainResources, TemplatesHoldWhatTheirCodeNames) {
  const int mainIds[] = {res::IDC_DRIVE_COMBO,   res::IDC_TRACK_LIST, res::IDC_SEEK_SLIDER,
                         res::IDC_VOLUME_SLIDER, res::IDC_TIME_LABEL, res::IDC_DRIVES_GROUP,
                         res::IDC_PLAYER_GROUP};
  EXPECT_TRUE(ui::CheckDialogTemplate(res::kMainDialog, mainIds).empty());
  std::vector<int> logIds;
  for (const ResizeAnchor& a : res::kLogDialogAnchors) logIds.push_back(a.id);
  EXPECT_TRUE(ui::CheckDialogTemplate(res::kLogDialog, logIds).empty());
}

TEST(MainResources, IdsFoldWithoutCollisions) {
  const std::vector<std::string> faults = ui::FoldingCollisions(AllIds());
  EXPECT_TRUE(faults.empty()) << faults.front();
}

TEST(MainResources, EveryButtonHasItsTooltipAndEveryMenuItsCommandsOnce) {
  for (const auto* buttons : {&res::kMainToolButtons, &res::kPlayerToolButtons})
    for (const res::ToolButton& b : *buttons)
      EXPECT_FALSE(res::LoadResourceString(b.command).empty()) << b.command;
  EXPECT_TRUE(res::LoadResourceString(12345).empty());
  EXPECT_EQ(res::FindMenu(999), nullptr);
  const res::MenuTable* bar = res::FindMenu(res::IDR_MAINFRAME_MENU);
  ASSERT_NE(bar, nullptr);
  std::vector<int> ids;
  CollectMenuIds(bar->items, ids);
  EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), ids.size());
}

}  // namespace
