// Player benchmark: what playing costs the machine. A generated disc image in
// a test drive is played through the player engine into an output that takes
// samples at a sound card's pace (and throws them away); the process's CPU
// time is measured while it plays and while it is paused.
//
// Prints CPU seconds per second of audio and the share of one core, for
// playing and for paused.
//
// Usage: player_bench [seconds to measure each state]   (default 10)
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "app/disc_worker.h"
#include "app/player_engine.h"
#include "app/settings.h"
#include "tests/app/player_test_util.h"
#include "tests/support/disc_image.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Takes samples as fast as a sound card plays them, keeps none.
class PacedNullOutput : public SoundOutput {
 public:
  bool Open(std::string*) override { return true; }
  bool Write(const int16_t*, uint32_t frames) override {
    frames_ += frames;
    std::this_thread::sleep_for(std::chrono::microseconds(uint64_t{frames} * 1000000 / kSoundSampleRate));
    return true;
  }
  void Close() override {}
  uint64_t Frames() const { return frames_.load(); }

 private:
  std::atomic<uint64_t> frames_{0};
};

class NullView : public PlayerView {
 public:
  void PlaybackText(const std::string&, int, int) override {}
  void PlaybackTime(int) override {}
  void CurrentRowChanged(int) override {}
  void SetTimeLabel(const std::string&) override {}
  int ShowMessage(const std::string&, const std::string&, uint32_t) override { return 1; }
};

struct Measure {
  double cpu;
  double wall;
  double audio;
};

Measure Run(double seconds, const PacedNullOutput& output) {
  const double cpu0 = CpuSeconds();
  const uint64_t frames0 = output.Frames();
  const auto wall0 = Clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  return {CpuSeconds() - cpu0, std::chrono::duration<double>(Clock::now() - wall0).count(),
          static_cast<double>(output.Frames() - frames0) / kSoundSampleRate};
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: player_bench [seconds]\n");
    return 2;
  }
  std::string pattern = (std::filesystem::temp_directory_path() / "qcr-player-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 1;
  {
    // One track longer than both measurements and the start-up together.
    const std::string cue = WriteDiscImage(pattern, {{AudioTrack(2 * seconds + 10)}}, "disc");
    PlayerDisc disc(cue);
    PacedNullOutput output;
    NullView view;
    Busy = 0;
    Volume = 80;  // the scaling is part of the cost
    PlayerEngine engine(disc.model, view, output);
    engine.OnPlay();
    std::this_thread::sleep_for(std::chrono::seconds(1));  // past the first fill of the ring
    const Measure playing = Run(seconds, output);
    engine.OnPause();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the block in flight
    const Measure paused = Run(seconds, output);
    engine.StopPlayback();
    std::printf("playing: %.3f s audio in %.3f s, CPU %.4f s = %.5f CPU s per audio s (%.3f%% of one core)\n",
                playing.audio, playing.wall, playing.cpu,
                playing.audio > 0 ? playing.cpu / playing.audio : 0.0, 100.0 * playing.cpu / playing.wall);
    std::printf("paused:  %.3f s audio in %.3f s, CPU %.4f s (%.3f%% of one core)\n", paused.audio,
                paused.wall, paused.cpu, 100.0 * paused.cpu / paused.wall);
  }
  std::filesystem::remove_all(pattern);
  return 0;
}
