// The arithmetic behind the rip progress display: percents, bar positions,
// elapsed time, time left and speed, and the rule that times are refreshed
// only on every tenth progress message. The window calls these and shows the
// texts; nothing here touches a window.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

// Millisecond tick counter (steady clock). Wraps like a 32-bit tick count;
// differences of two ticks taken as uint32_t stay right across the wrap.
uint32_t RipTickCount();

// "HH:MM:SS" of a duration, truncated to whole seconds. Negative or not a
// number counts as 0; hours are not limited to two digits.
std::string FormatElapsed(double seconds);

// "%5.2lf%%" of a percent, e.g. " 5.00%", "100.00%".
std::string FormatPercent(float percent);

// Bar position of a percent: its integer part, kept within 0..100.
int PercentToBarPosition(float percent);

// done × 100 / total, 100 when total is 0 (nothing to do is all done).
double PercentOf(double done, double total);

// Seconds still to go when `percent` took `elapsed` seconds; 0 while percent
// is not above 0 (no estimate can be made yet).
double EstimateSecondsLeft(double percent, double elapsed);

// " %5.2fx": how many times faster than real time `samplesDone` output
// samples were made in `seconds`, with `samplesPerSecondAt1x` the output
// samples of one second of audio.
std::string FormatSpeed(double samplesDone, double samplesPerSecondAt1x, double seconds);

// Output samples of one second of audio: factor × 88200, halved for mono.
double SamplesPerSecondAt1x(double rateFactor, bool mono);

// What the progress handler is given.
struct RipProgressInput {
  float trackPercent = 0.0f;
  float overallPercent = 0.0f;
  uint32_t now = 0;             // RipTickCount() when the message is handled
  uint32_t trackStartTick = 0;  // when the current track began
  uint32_t jobStartTick = 0;    // when the writer began
  uint32_t trackDone = 0;       // output samples of the current track
  uint32_t totalDone = 0;       // output samples of the job
  double samplesPerSecondAt1x = 88200.0;
};

// What the window shows. The percent texts and bars change on every message;
// the times, speeds and taskbar value only when `timesUpdated`, and each ETA
// only when its percent is above 0.
struct RipProgressView {
  std::string trackPercentText;
  std::string overallPercentText;
  int trackBar = 0;
  int overallBar = 0;
  bool timesUpdated = false;
  std::string trackElapsed;
  std::string overallElapsed;
  std::optional<std::string> trackEta;
  std::optional<std::string> overallEta;
  std::string trackSpeed;
  std::string overallSpeed;
  int taskbarValue = 0;  // of 100
};

// The display for one progress message. `tenthMessage` comes from
// ProgressMessageCounter; times are shown only then, and only once more than
// 0.1 s of the track have passed.
RipProgressView ComputeRipProgressView(const RipProgressInput& input, bool tenthMessage);

// Counts progress messages; every tenth one refreshes the times.
class ProgressMessageCounter {
 public:
  // Counts one message; true when it is a tenth one.
  bool Count();

 private:
  std::atomic<uint64_t> count_{0};
};

// The counter kept for the life of the process (it is not reset per job).
ProgressMessageCounter& RipProgressMessageCounter();
