#include "ui/core/control_ids.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ui::FoldingCollisions;
using ui::ProgramId;
using ui::WxId;

TEST(ControlIds, OrdinaryIdsPassUnchanged) {
  for (int id :
       {0, 1, 2, 23, 26, 101, 110, 300, 301, 1000, 1258, 5555, 0x3020, 0x3FFF, 0x7000, 0x7EEE, 0x7FFE}) {
    EXPECT_EQ(WxId(id), id) << id;
    EXPECT_EQ(ProgramId(id), id) << id;
  }
}

TEST(ControlIds, CommandsAndFrameIdsFoldBelowTheToolkitLimit) {
  EXPECT_EQ(WxId(32773), 0x4005);
  EXPECT_EQ(WxId(32907), 0x408B);
  EXPECT_EQ(WxId(0xE800), 0x5800);
  EXPECT_EQ(WxId(0xE801), 0x5801);
  EXPECT_EQ(WxId(0xE804), 0x5804);
  EXPECT_EQ(WxId(0xE900), 0x5900);
  EXPECT_EQ(WxId(0xF060), 0x6060);
  for (int id : {32773, 32907, 0x8000, 0x8FFF, 0xE000, 0xE800, 0xEFFF, 0xF000, 0xFFFE}) {
    EXPECT_LT(WxId(id), ui::kToolkitIdLimit) << id;
    EXPECT_GT(WxId(id), 0) << id;
    EXPECT_EQ(ProgramId(WxId(id)), id) << id;
  }
  // Command ids travel as 16 bits.
  EXPECT_EQ(WxId(0x18005), WxId(0x8005));
}

TEST(ControlIds, UnaddressedIdsBecomeTheToolkitsAnyId) {
  EXPECT_EQ(WxId(-1), -1);
  EXPECT_EQ(WxId(0xFFFF), -1);
  EXPECT_EQ(WxId(-42), -1);
}

TEST(ControlIds, NoIdTheProgramUsesCollides) {
  std::vector<int> ids;
  for (int id = 1; id <= 26; ++id) ids.push_back(id);           // standard and custom buttons
  for (int id = 100; id <= 1400; ++id) ids.push_back(id);       // menus, templates, controls
  for (int id = 0x3020; id <= 0x3026; ++id) ids.push_back(id);  // property sheet
  for (int id = 9001; id <= 9019; ++id) ids.push_back(id);      // message-box labels
  for (int id = 32768; id <= 33023; ++id) ids.push_back(id);    // commands
  for (int id = 0xE100; id <= 0xE1FF; ++id) ids.push_back(id);  // frame commands
  for (int id : {5555, 0x7EEE, 0xE800, 0xE801, 0xE804, 0xE900}) ids.push_back(id);
  const std::vector<std::string> faults = FoldingCollisions(ids);
  EXPECT_TRUE(faults.empty()) << faults.front();
}

TEST(ControlIds, CollisionsAndIdsThatDoNotComeBackAreReported) {
  // A native id inside the commands' target range reads back as a command.
  std::vector<int> clash{32773, 0x4005};
  auto faults = FoldingCollisions(clash);
  ASSERT_FALSE(faults.empty());
  EXPECT_NE(faults[0].find("32773"), std::string::npos);

  // Ids without a fold range of their own may meet.
  std::vector<int> overflow{0x9000, 0x9000 + 0xFFF};
  EXPECT_FALSE(FoldingCollisions(overflow).empty());
  std::vector<int> limit{0x7FFF};
  EXPECT_FALSE(FoldingCollisions(limit).empty());
  EXPECT_LT(WxId(0x7FFF), ui::kToolkitIdLimit);

  // The same id twice is no collision.
  std::vector<int> twice{1000, 1000, -1, -1};
  EXPECT_TRUE(FoldingCollisions(twice).empty());
}

}  // namespace
