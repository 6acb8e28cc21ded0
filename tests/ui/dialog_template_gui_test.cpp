#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <memory>
#include <set>

#include "res/dialog_templates.h"
#include "tests/support/gui/gui_test_support.h"
#include "tests/support/gui/sample_dialogs.h"
#include "ui/core/control_ids.h"
#include "ui/dialog_template.h"

namespace {

using ui::ControlKind;
using ui::DialogItem;

struct DialogDeleter {
  void operator()(wxDialog* d) const { d->Destroy(); }
};
using DialogPtr = std::unique_ptr<wxDialog, DialogDeleter>;

DialogPtr MakeHost() { return DialogPtr(new wxDialog(nullptr, wxID_ANY, "host")); }

TEST(DialogUnits, BaseUnitsComeFromTheFont) {
  DialogPtr host = MakeHost();
  const SIZE units = ui::DialogBaseUnits(host.get());
  EXPECT_GT(units.cx, 2);
  EXPECT_GE(units.cy, host->GetCharHeight());
  EXPECT_EQ(ui::MapDialogRect(units, 4, 8, 8, 16), wxRect(units.cx, units.cy, 2 * units.cx, 2 * units.cy));
  EXPECT_EQ(ui::MapDialogRect({7, 13}, 1, 1, 3, 3), wxRect(2, 2, 5, 5));  // rounded to nearest
  EXPECT_EQ(ui::DialogClientSize({8, 16}, sample::kResizeDialog), wxSize(400, 248));
}

TEST(DialogBuilder, BuildsEveryControlOfATemplateInOrderWithItsIdAndRectangle) {
  DialogPtr host = MakeHost();
  const auto controls = ui::BuildDialogControls(host.get(), sample::kResizeDialog);
  ASSERT_EQ(controls.size(), sample::kResizeDialog.items.size());
  EXPECT_EQ(host->GetChildren().size(), controls.size());
  for (size_t i = 0; i < controls.size(); ++i) {
    const DialogItem& item = sample::kResizeDialog.items[i];
    if (item.id != IDC_STATIC) {
      EXPECT_EQ(controls[i]->GetId(), ui::WxId(item.id)) << i;
    }
  }
  EXPECT_NE(dynamic_cast<wxListCtrl*>(host->FindWindow(sample::IDC_SAMPLE_LIST)), nullptr);
  EXPECT_NE(dynamic_cast<wxCheckBox*>(host->FindWindow(sample::IDC_SAMPLE_OPTION)), nullptr);
  auto* ok = dynamic_cast<wxButton*>(host->FindWindow(IDOK));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->GetLabel(), "OK");
  EXPECT_EQ(host->GetDefaultItem(), ok);
  auto* title = dynamic_cast<wxStaticText*>(host->FindWindow(sample::IDC_SAMPLE_TITLE));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->GetLabel(), "Tracks");
  const DialogItem& list = *ui::FindDialogItem(sample::kResizeDialog, sample::IDC_SAMPLE_LIST);
  EXPECT_EQ(host->FindWindow(sample::IDC_SAMPLE_LIST)->GetRect(),
            ui::MapDialogRect(ui::DialogBaseUnits(host.get()), list.x, list.y, list.cx, list.cy));
}

TEST(DialogBuilder, SingleLineControlsGetTheHeightTheyNeedCentredOnTheirRow) {
  static constexpr DialogItem items[] = {
      {ControlKind::Button, 1001, "Tight", 5, 5, 50, 6},
      {ControlKind::CheckBox, 1002, "Check", 60, 5, 50, 6},
      {ControlKind::ComboDropList, 1003, "", 5, 20, 80, 84},
      {ControlKind::Edit, 1004, "", 5, 40, 80, 40, ui::kMultiline},
      {ControlKind::Button, 1005, "Tall", 100, 40, 50, 40},
      {ControlKind::CheckBox, 1006, "A check box with a long label", 5, 85, 10, 10},
      // Flush with the lower-right corner: the floors must not push them out.
      {ControlKind::Button, 1007, "Corner", 150, 88, 50, 12},
      {ControlKind::CheckBox, 1008, "A check box at the right edge", 180, 60, 20, 10},
  };
  const ui::DialogTemplate tmpl{1, "Floors", 200, 100, ui::kDialogDefault, items};
  DialogPtr host = MakeHost();
  ui::BuildDialogControls(host.get(), tmpl);
  const SIZE units = ui::DialogBaseUnits(host.get());
  for (int id : {1001, 1002}) {
    wxWindow* w = host->FindWindow(id);
    const wxRect cell = ui::MapDialogRect(units, items[id - 1001].x, 5, 50, 6);
    EXPECT_GE(w->GetSize().y, w->GetBestSize().y) << id;
    EXPECT_GT(w->GetSize().y, cell.height) << id;
    // Centred: the same room above and below the template rectangle (within a pixel).
    EXPECT_NEAR(2 * w->GetRect().y + w->GetSize().y, 2 * cell.y + cell.height, 1) << id;
  }
  wxWindow* combo = host->FindWindow(1003);
  const wxRect comboCell = ui::MapDialogRect(units, 5, 20, 80, 84);
  EXPECT_EQ(combo->GetRect().y, comboCell.y);
  EXPECT_LT(combo->GetSize().y, comboCell.height);  // its list height is no control height
  EXPECT_EQ(host->FindWindow(1004)->GetSize().y, ui::MapDialogRect(units, 0, 0, 0, 40).height);
  EXPECT_EQ(host->FindWindow(1005)->GetSize().y, ui::MapDialogRect(units, 0, 0, 0, 40).height);
  // A check box gets the width of its box and label (GTK cannot squeeze it),
  // keeping its left edge.
  wxWindow* check = host->FindWindow(1006);
  EXPECT_EQ(check->GetRect().x, ui::MapDialogRect(units, 5, 0, 0, 0).x);
  EXPECT_GE(check->GetSize().x, check->GetBestSize().x);
  EXPECT_GT(check->GetSize().x, ui::MapDialogRect(units, 0, 0, 10, 0).width);
  const wxRect client(ui::DialogClientSize(units, tmpl));
  for (int id : {1007, 1008}) {
    const wxRect r = host->FindWindow(id)->GetRect();
    EXPECT_TRUE(client.Contains(r)) << id << " at " << r.x << "," << r.y << " " << r.width << "x" << r.height;
  }
}

TEST(DialogBuilder, StylesAndTheDialogsOwnControlClasses) {
  static constexpr DialogItem items[] = {
      {ControlKind::Static, 1001, "A & B", 5, 5, 50, 9, ui::kNoPrefix},
      {ControlKind::Button, 1002, "&Hidden", 5, 20, 50, 14, ui::kHidden},
      {ControlKind::Edit, 1003, "", 5, 40, 50, 12, ui::kDisabled | ui::kNumber},
      {ControlKind::Custom, 1004, "", 60, 5, 50, 50},
      {ControlKind::Static, 1005, "link", 60, 60, 50, 9},
  };
  const ui::DialogTemplate tmpl{2, "Styles", 200, 100, ui::kDialogDefault, items};
  DialogPtr host = MakeHost();
  int factoryCalls = 0;
  ui::BuildDialogControls(
      host.get(), tmpl, [&](wxWindow* parent, const DialogItem& item, int id, const wxRect& r) {
        ++factoryCalls;
        if (item.id != 1005) return static_cast<wxWindow*>(nullptr);
        return static_cast<wxWindow*>(new wxButton(parent, id, "made here", r.GetPosition(), r.GetSize()));
      });
  EXPECT_EQ(factoryCalls, 5);
  EXPECT_EQ(host->FindWindow(1001)->GetLabel(), "A && B");  // shown literally
  EXPECT_FALSE(host->FindWindow(1002)->IsShown());
  EXPECT_FALSE(host->FindWindow(1003)->IsEnabled());
  ASSERT_NE(host->FindWindow(1004), nullptr);  // a custom control nobody made keeps its place
  auto* made = dynamic_cast<wxButton*>(host->FindWindow(1005));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetLabel(), "made here");
}

TEST(DialogTemplates, EveryTemplateOfTheProgramIsSound) {
  ASSERT_FALSE(res::AllDialogTemplates().empty());
  std::set<int> templateIds;
  std::vector<int> allIds;
  for (const ui::DialogTemplate* tmpl : res::AllDialogTemplates()) {
    EXPECT_TRUE(templateIds.insert(tmpl->id).second) << "template id " << tmpl->id << " twice";
    const auto faults = ui::CheckDialogTemplate(*tmpl);
    EXPECT_TRUE(faults.empty()) << faults.front();
    EXPECT_EQ(res::FindDialogTemplate(tmpl->id), tmpl);
    for (const DialogItem& item : tmpl->items) allIds.push_back(item.id);
  }
  // Folding is program-wide: no two ids of any dialogs may meet.
  const auto collisions = ui::FoldingCollisions(allIds);
  EXPECT_TRUE(collisions.empty()) << collisions.front();
  EXPECT_EQ(res::FindDialogTemplate(-5), nullptr);
  // The test dialogs are sound too, and their anchors name their controls.
  const std::pair<const ui::DialogTemplate*, std::span<const ResizeAnchor>> samples[] = {
      {&sample::kResizeDialog, sample::kResizeAnchors}, {&sample::kCornerDialog, sample::kCornerAnchors}};
  for (const auto& [tmpl, anchors] : samples) {
    EXPECT_EQ(res::FindDialogTemplate(tmpl->id), nullptr) << "test dialog " << tmpl->id << " in the program";
    std::vector<int> anchored;
    for (const ResizeAnchor& a : anchors) anchored.push_back(a.id);
    const auto faults = ui::CheckDialogTemplate(*tmpl, anchored);
    EXPECT_TRUE(faults.empty()) << faults.front();
  }
}

}  // namespace
