// The player through real PortAudio: a home folder whose ALSA configuration
// sends the default device into a file (raw S16_LE stereo 44100 Hz), so the
// bytes that reached "the sound card" can be compared with the disc's.
#include <gtest/gtest.h>
#include <portaudio.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/disc_worker.h"
#include "app/player_engine.h"
#include "app/settings.h"
#include "platform/sound_output.h"
#include "tests/app/player_test_util.h"

namespace {

namespace fs = std::filesystem;

class PlayerPortAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "qcr-player-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    file_ = root_ / "played.raw";
    std::ofstream(root_ / ".asoundrc") << "pcm.!default {\n  type file\n  slave.pcm \"null\"\n  file \""
                                       << file_.string() << "\"\n  format \"raw\"\n}\n";
    ::setenv("HOME", root_.c_str(), 1);
    ASSERT_EQ(Pa_Initialize(), paNoError);
    initialised_ = true;
    Busy = 0;
    Volume = 100;
  }
  void TearDown() override {
    if (initialised_) Pa_Terminate();
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  std::vector<int16_t> PlayedSamples() const {
    std::ifstream in(file_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
      samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                        static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    return samples;
  }

  fs::path root_;
  fs::path file_;
  bool initialised_ = false;
};

TEST_F(PlayerPortAudioTest, TheDeviceReceivesTheTracksSamples) {
  PlayerDisc disc({{AudioTrackSectors(100), AudioTrackSectors(30)}});
  disc.model.SetChecked(1, false);
  PortAudioOutput output;
  RecordingPlayerView view;
  {
    PlayerEngine engine(disc.model, view, output);
    engine.OnPlay();
    ASSERT_TRUE(WaitUntilStopped(engine));
  }
  for (const auto& c : view.Of(RecordingPlayerView::Kind::Text)) EXPECT_NE(c.value, LogError) << c.text;

  // The stream is closed: the file holds all it will. The device may add
  // silence around the audio, never change it.
  const std::vector<int16_t> expected = disc.RowSamples(0);
  const std::vector<int16_t> played = PlayedSamples();
  const auto start = std::search(played.begin(), played.end(), expected.begin(), expected.end());
  ASSERT_NE(start, played.end()) << played.size() << " samples played";
  const auto end = start + static_cast<std::ptrdiff_t>(expected.size());
  const auto silent = [](int16_t s) { return s == 0; };
  EXPECT_TRUE(std::all_of(played.begin(), start, silent));
  EXPECT_TRUE(std::all_of(end, played.end(), silent));
}

TEST_F(PlayerPortAudioTest, AStreamOnlyExistsBetweenOpenAndClose) {
  PortAudioOutput output;
  const int16_t block[4] = {1, 2, 3, 4};
  EXPECT_FALSE(output.Write(block, 2));
  output.Close();  // nothing open: nothing to do
  std::string error;
  ASSERT_TRUE(output.Open(&error)) << error;
  EXPECT_TRUE(output.Write(block, 2));
  output.Close();
  EXPECT_FALSE(output.Write(block, 2));
}

}  // namespace
