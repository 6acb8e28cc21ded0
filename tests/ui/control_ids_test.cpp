#include "ui/core/control_ids.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using ui::FoldingCollisions;
using ui::ProgramId;
using ui::WxId;

std::vector<std::string> Collisions(const std::vector<int>& ids) { return FoldingCollisions(ids); }

TEST(ControlIds, IdsFoldBelowTheToolkitLimitAndComeBack) {
  const std::pair<int, int> table[] = {
      {0, 0},          {1, 1},           {1258, 1258},     {0x3FFF, 0x3FFF}, {0x7FFE, 0x7FFE},  // unchanged
      {32773, 0x4005}, {32907, 0x408B},  {0xE800, 0x5800}, {0xE804, 0x5804}, {0xE900, 0x5900},
      {0xF060, 0x6060}, {0xFFFF, 0x6FFF},  // the page frame is addressed
      {-1, -1},         {-42, -1},  // unaddressed: the toolkit's any id
  };
  for (auto [id, folded] : table) EXPECT_EQ(WxId(id), folded) << id;
  for (int id : {1, 5555, 0x7EEE, 32773, 0x8000, 0x8FFF, 0xE000, 0xEFFF, 0xF000, 0xFFFE, 0xFFFF}) {
    EXPECT_LT(WxId(id), ui::kToolkitIdLimit) << id;
    EXPECT_GT(WxId(id), 0) << id;
    EXPECT_EQ(ProgramId(WxId(id)), id) << id;
  }
  EXPECT_EQ(WxId(0x18005), WxId(0x8005));  // command ids travel as 16 bits
}

TEST(ControlIds, NoIdTheProgramUsesCollides) {
  std::vector<int> ids;
  const std::pair<int, int> ranges[] = {{1, 26},       {100, 1400},     {0x3020, 0x3026},
                                        {9001, 9019},  {32768, 33023},  {0xE100, 0xE1FF}};
  for (auto [from, to] : ranges)
    for (int id = from; id <= to; ++id) ids.push_back(id);
  for (int id : {5555, 0x7EEE, 0xE800, 0xE801, 0xE804, 0xE900, 0xFFFF}) ids.push_back(id);
  const std::vector<std::string> faults = FoldingCollisions(ids);
  EXPECT_TRUE(faults.empty()) << faults.front();
}

TEST(ControlIds, CollisionsAndIdsThatDoNotComeBackAreReported) {
  // A native id inside the commands' target range reads back as a command.
  auto faults = Collisions({32773, 0x4005});
  ASSERT_FALSE(faults.empty());
  EXPECT_NE(faults[0].find("32773"), std::string::npos);
  // Ids without a fold range of their own may meet.
  EXPECT_FALSE(Collisions({0x9000, 0x9000 + 0xFFF}).empty());
  EXPECT_FALSE(Collisions({0x7FFF}).empty());
  EXPECT_TRUE(Collisions({1000, 1000, -1, -1}).empty());  // the same id twice is no collision
}

}  // namespace
