// xdg-open is replaced by a script first on PATH that records its arguments
// and ends with the status the test asks for.
#include "platform/desktop_open.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(DesktopOpen, TheTargetIsOneArgumentAndTheHandlersVerdictIsReported) {
  char pattern[] = "/tmp/qcr-xdg-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  std::ofstream(dir + "/xdg-open") << "#!/bin/sh\nprintf '%s|' \"$@\" > " << dir << "/argv\n"
                                   << "[ \"$QCR_XDG_EXIT\" = kill ] && kill -9 $$\nexit ${QCR_XDG_EXIT:-0}\n";
  fs::permissions(dir + "/xdg-open", fs::perms::owner_all);
  setenv("PATH", (dir + ":" + path).c_str(), 1);
  const auto recorded = [&] {
    std::string args;
    std::getline(std::ifstream(dir + "/argv"), args);
    fs::remove(dir + "/argv");
    return args;
  };

  const std::string target = dir + "/it's; rm -rf ~ $(id) `id` *.txt";
  std::ofstream(target) << "x";
  EXPECT_EQ(OpenWithDesktopHandler(target), DesktopOpenResult::Opened);
  EXPECT_EQ(recorded(), target + "|");
  // Only addresses of the three schemes and existing files or folders go on.
  const std::pair<std::string, DesktopOpenResult> refused[] = {
      {dir + "/missing.html", DesktopOpenResult::NotFound},
      {"ftp://example.org/", DesktopOpenResult::Failed},
      {"https://example.org/\nX-Header: 1", DesktopOpenResult::Failed},
      {"mailto:", DesktopOpenResult::Failed},
      {"", DesktopOpenResult::Failed}};
  for (const auto& [bad, expected] : refused) {
    EXPECT_EQ(OpenWithDesktopHandler(bad), expected) << bad;
    EXPECT_EQ(recorded(), "") << bad;
  }
  const std::pair<const char*, DesktopOpenResult> verdicts[] = {{"1", DesktopOpenResult::Failed},
                                                                {"2", DesktopOpenResult::NotFound},
                                                                {"3", DesktopOpenResult::NoHandler},
                                                                {"4", DesktopOpenResult::NoHandler},
                                                                {"kill", DesktopOpenResult::Failed}};
  for (const auto& [status, expected] : verdicts) {
    setenv("QCR_XDG_EXIT", status, 1);
    EXPECT_EQ(OpenWithDesktopHandler("mailto:a@example.org"), expected) << status;
  }
  unsetenv("QCR_XDG_EXIT");
  recorded();

  EXPECT_EQ(OpenWithDesktopHandler("--help"), DesktopOpenResult::Failed);  // never read as an option
  EXPECT_EQ(recorded(), "");
  setenv("PATH", (dir + "/nowhere").c_str(), 1);
  EXPECT_EQ(OpenWithDesktopHandler("https://example.org/"), DesktopOpenResult::NoHandler);
  setenv("PATH", path.c_str(), 1);
  fs::remove_all(dir);
}

}  // namespace
