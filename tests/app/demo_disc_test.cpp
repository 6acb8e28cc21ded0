// The demo disc of the run script: qcr-demo-disc writes an image that the
// drive library reads as an audio disc with a data track last, and an album
// record that belongs to exactly that disc (same disc ID, same track offsets),
// where the loopback CDDB server looks for it.
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "cddb/disc_id.h"
#include "platform/cd_drive.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string output;
};

// Runs the tool with `args` (shell-quoted by the caller) and collects its output.
RunResult RunTool(const std::string& args) {
  const fs::path tool = fs::canonical("/proc/self/exe").parent_path() / "qcr-demo-disc";
  RunResult result;
  FILE* pipe = ::popen(("'" + tool.string() + "' " + args + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  std::array<char, 256> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) result.output += buffer.data();
  const int status = ::pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class DemoDisc : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-demo-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override {
    ::unsetenv("QCR_DRIVES");
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }
  fs::path root_;
};

uint32_t BigEndian(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

TEST_F(DemoDisc, ImageAndRecordDescribeTheSameDisc) {
  const RunResult run =
      RunTool("'" + (root_ / "image").string() + "' '" + (root_ / "records").string() + "'");
  ASSERT_EQ(run.status, 0) << run.output;
  std::istringstream lines(run.output);
  std::string cue, id;
  std::getline(lines, cue);
  std::getline(lines, id);
  ASSERT_TRUE(fs::exists(cue)) << run.output;

  // Read the disc as the program does.
  ::setenv("QCR_DRIVES", cue.c_str(), 1);
  CDDriveList list{};
  list.MaxEntries = kCDMaxDrives;
  ASSERT_EQ(GetCDList(&list), 1);
  ASSERT_EQ(list.Count, 1);
  CDHandleRequest request{};
  request.Size = sizeof request;
  request.Mode = 1;
  request.HostAdapter = list.Entries[0].HostAdapter;
  request.Target = list.Entries[0].Target;
  request.Lun = list.Entries[0].Lun;
  const int handle = GetCDHandle(&request);
  ASSERT_GT(handle, 0);
  uint8_t toc[kTOCBufferSize];
  ASSERT_EQ(ReadTOC(handle, toc), 1);
  CloseCDHandle(handle);
  const auto* data = reinterpret_cast<const TOCData*>(toc);
  const int tracks = data->LastTrack - data->FirstTrack + 1;
  ASSERT_GE(tracks, 3);
  std::vector<CCDDBTrackPosition> positions;
  std::string offsets;
  for (int i = 0; i <= tracks; ++i) {
    const int32_t frame = static_cast<int32_t>(BigEndian(data->Descriptors[i].StartLBA)) + 150;
    positions.push_back({frame / 4500, frame % 4500 / 75, frame % 75});
    if (i < tracks) offsets += fmt::format("#\t{}\n", frame);
    const bool isData = (data->Descriptors[i].AdrControl & kTOCDataTrack) != 0;
    if (i < tracks) {
      EXPECT_EQ(isData, i == tracks - 1) << "track " << i + 1 << ": only the last track holds data";
    }
  }
  const std::string expectedId = fmt::format("{:08x}", ComputeDiscID(positions));
  EXPECT_EQ(id, expectedId);

  const fs::path record = root_ / "records" / "misc" / expectedId;
  ASSERT_TRUE(fs::exists(record));
  std::ifstream in(record);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text.rfind("# xmcd\n", 0), 0u);
  EXPECT_NE(text.find(offsets), std::string::npos) << text;
  EXPECT_NE(text.find("DISCID=" + expectedId + "\n"), std::string::npos);
  EXPECT_NE(text.find("DTITLE="), std::string::npos);
  EXPECT_NE(text.find(fmt::format("TTITLE{}=", tracks - 1)), std::string::npos);
  EXPECT_EQ(text.find(fmt::format("TTITLE{}=", tracks)), std::string::npos);
}

TEST_F(DemoDisc, RefusesBadArgumentsAndUnwritableFolders) {
  EXPECT_EQ(RunTool("").status, 2);
  EXPECT_EQ(RunTool("only-one").status, 2);
  EXPECT_EQ(RunTool("a b c").status, 2);
  std::ofstream(root_ / "file") << "in the way";
  const RunResult blocked = RunTool("'" + (root_ / "file" / "image").string() + "' '" + root_.string() + "'");
  EXPECT_EQ(blocked.status, 1);
  EXPECT_NE(blocked.output.find("qcr-demo-disc:"), std::string::npos) << blocked.output;
}

}  // namespace
