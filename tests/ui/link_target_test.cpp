#include "ui/core/link_target.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace {

using ui::LinkTargetKind;

TEST(LinkTarget, OnlyWebAndMailAddressesAndExistingFilesAreOpened) {
  char pattern[] = "/tmp/qcr-link-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  std::ofstream(dir + "/-rf") << "x";
  ASSERT_EQ(mkfifo((dir + "/pipe").c_str(), 0600), 0);
  const std::string web = "http://www.example.org/a b?x=1&y='2';rm";
  // Target, kind, and for an opened one what the handler gets, for a refused one the error code.
  const std::tuple<std::string, LinkTargetKind, std::string> cases[] = {
      {web, LinkTargetKind::WebOrMail, web},
      {"HTTPS://example.org", LinkTargetKind::WebOrMail, "HTTPS://example.org"},
      {"mailto:support@example.org", LinkTargetKind::WebOrMail, "mailto:support@example.org"},
      {"-rf", LinkTargetKind::File, dir + "/-rf"},  // made absolute: never an option
      {dir, LinkTargetKind::File, dir},
      {"mailto:", LinkTargetKind::Refused, "31"},
      {"http://", LinkTargetKind::Refused, "31"},
      {"file:///etc/passwd", LinkTargetKind::Refused, "31"},
      {"javascript:alert(1)", LinkTargetKind::Refused, "31"},
      {"http://example.org/\nX-Header: 1", LinkTargetKind::Refused, "31"},
      {"", LinkTargetKind::Refused, "2"},
      {"missing.txt", LinkTargetKind::Refused, "2"},
      {"pipe", LinkTargetKind::Refused, "5"},
  };
  for (const auto& [target, kind, argument] : cases) {
    const ui::LinkTarget sorted = ui::ClassifyLinkTarget(target, dir);
    EXPECT_EQ(sorted.kind, kind) << target;
    EXPECT_EQ(kind == LinkTargetKind::Refused ? std::to_string(sorted.failureCode) : sorted.argument,
              argument)
        << target;
  }
  std::filesystem::remove_all(dir);
}

TEST(LinkTarget, ErrorTextsAndTheFittedRectangle) {
  EXPECT_EQ(
      ui::HyperLinkErrorText(31),
      "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
  EXPECT_EQ(ui::HyperLinkErrorText(99), "Unable to open hyperlink:\n\nUnknown Error (99) occurred.");
  EXPECT_EQ(ui::HyperLinkErrorText(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");

  const RECT window{100, 50, 300, 90};  // 200 x 40; text 60 x 17 and a 2-pixel border
  const std::pair<ui::LinkAlignment, RECT> cases[] = {
      {{}, {100, 50, 162, 69}},
      {{true, false, false}, {169, 50, 231, 69}},
      {{false, true, false}, {238, 50, 300, 69}},
      {{false, false, true}, {100, 60, 162, 79}},
  };
  for (const auto& [alignment, expected] : cases) {
    EXPECT_EQ(ui::FitLinkRect(window, {60, 17}, {2, 2}, alignment), expected) << expected.left;
  }
}

}  // namespace
