#include "ui/core/dialog_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ui/core/win_types.h"

namespace {

using ui::ControlKind;
using ui::DialogItem;
using ui::DialogTemplate;

bool Mentions(const std::vector<std::string>& faults, const std::string& text) {
  return std::any_of(faults.begin(), faults.end(),
                     [&](const std::string& f) { return f.find(text) != std::string::npos; });
}

constexpr DialogItem kSoundItems[] = {
    {ControlKind::Static, IDC_STATIC, "Label", 5, 5, 40, 8},
    {ControlKind::Static, IDC_STATIC, "Other", 5, 15, 40, 8},
    {ControlKind::ComboDropList, 1000, "", 50, 5, 100, 84},  // open list reaches below
    {ControlKind::DefButton, IDOK, "OK", 50, 60, 50, 14},
    {ControlKind::Button, 32775, "Options", 105, 60, 50, 14},
};
constexpr DialogTemplate kSound{100, "Sound", 160, 80, ui::kDialogDefault, kSoundItems};

TEST(DialogTable, ASoundTemplateHasNoFaults) {
  const int named[] = {1000, IDOK, 32775};
  EXPECT_TRUE(ui::CheckDialogTemplate(kSound, named).empty());
  ASSERT_NE(ui::FindDialogItem(kSound, 1000), nullptr);
  EXPECT_EQ(ui::FindDialogItem(kSound, 1000)->kind, ControlKind::ComboDropList);
  EXPECT_EQ(ui::FindDialogItem(kSound, IDC_STATIC), nullptr);
  EXPECT_EQ(ui::FindDialogItem(kSound, 1234), nullptr);
}

TEST(DialogTable, FaultsOfBrokenOrEmptyTemplatesAreAllReported) {
  static constexpr DialogItem items[] = {
      {ControlKind::Button, 1001, "A", 5, 5, 50, 14},
      {ControlKind::Button, 1001, "B", 60, 5, 50, 14},     // same id
      {ControlKind::Edit, 1002, "", 150, 5, 20, 12},       // beyond the right edge
      {ControlKind::Edit, 1003, "", 5, 30, -4, 12},        // negative size
      {ControlKind::ListReport, 1004, "", 5, 40, 50, 80},  // below the bottom
      {ControlKind::Button, 0x4005, "C", 5, 60, 50, 14},   // reads back as a command
  };
  const DialogTemplate broken{200, "Broken", 160, 80, ui::kDialogDefault, items};
  const int named[] = {1001, 1009};
  const auto faults = ui::CheckDialogTemplate(broken, named);
  EXPECT_TRUE(Mentions(faults, "id 1001 is used twice"));
  EXPECT_TRUE(Mentions(faults, "control 1002"));
  EXPECT_TRUE(Mentions(faults, "control 1003 has a negative size"));
  EXPECT_TRUE(Mentions(faults, "control 1004"));
  EXPECT_TRUE(Mentions(faults, "16389"));
  EXPECT_TRUE(Mentions(faults, "id 1009 is named but no control has it"));
  EXPECT_FALSE(Mentions(faults, "id 1001 is named"));
  constexpr DialogTemplate empty{300, "Empty", 0, 40, ui::kDialogDefault, {}};
  EXPECT_TRUE(Mentions(ui::CheckDialogTemplate(empty), "is empty"));
}

}  // namespace
