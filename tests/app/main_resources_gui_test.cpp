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
  const int mainIds[] = {res::IDC_DRIVE_COMBO, res::IDC_TRACK_LIST, res::IDC_SEEK_SLIDER, res::IDC_VOLUME_SLIDER,
                         res::IDC_TIME_LABEL,  res::IDC_DRIVES_GROUP, res::IDC_PLAYER_GROUP};
  EXPECT_TRUE(ui::CheckDialogTemplate(res::kMainDialog, mainIds).empty());
  std::vector<int> logIds;
  for (const ResizeAnchor& a : res::kLogDialogAnchors) logIds.push_back(a.id);
  EXPECT_TRUE(ui::CheckDialogTemplate(res::kLogDialog, logIds).empty());
  EXPECT_EQ(res::kMainDialog.caption, "Quarno CD Ripper Free 6.7.1");
  EXPECT_EQ(res::kLogDialog.caption, "Log");
}

TEST(MainResources, IdsFoldWithoutCollisions) {
  const std::vector<std::string> faults = ui::FoldingCollisions(AllIds());
  EXPECT_TRUE(faults.empty()) << faults.front();
}

TEST(MainResources, EveryButtonHasItsTooltipAndEveryMenuItsCommands) {
  for (const res::ToolButton& b : res::kMainToolButtons) EXPECT_FALSE(res::LoadResourceString(b.command).empty());
  for (const res::ToolButton& b : res::kPlayerToolButtons) EXPECT_FALSE(res::LoadResourceString(b.command).empty());
  EXPECT_EQ(res::LoadResourceString(res::ID_OPERATION_RIP), "Rip all checked audio tracks, one file per track");
  EXPECT_TRUE(res::LoadResourceString(12345).empty());

  const res::MenuTable* bar = res::FindMenu(res::IDR_MAINFRAME_MENU);
  ASSERT_NE(bar, nullptr);
  std::vector<std::string> titles;
  for (const res::MenuItem& item : bar->items) titles.emplace_back(item.text);
  EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Edit", "&Play", "&Operation", "&Help"}));
  EXPECT_EQ(res::FindMenu(999), nullptr);
  // Each command appears once in the menu bar.
  std::vector<int> ids;
  CollectMenuIds(bar->items, ids);
  EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), ids.size());
  EXPECT_EQ(res::kAccelerators.size(), 7u);
}

}  // namespace
