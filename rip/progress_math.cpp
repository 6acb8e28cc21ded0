// Progress arithmetic of the rip display.
#include "rip/progress_math.h"

#include <fmt/printf.h>

#include <chrono>
#include <cmath>

uint32_t RipTickCount() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::string FormatElapsed(double seconds) {
  // Whole seconds; an absurd estimate must not overflow the conversion.
  constexpr double kMaxSeconds = 9.0e12;
  if (!(seconds > 0.0)) seconds = 0.0;
  if (seconds > kMaxSeconds) seconds = kMaxSeconds;
  const auto whole = static_cast<long long>(seconds);
  return fmt::sprintf("%02lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
}

std::string FormatPercent(float percent) { return fmt::sprintf("%5.2lf%%", static_cast<double>(percent)); }

int PercentToBarPosition(float percent) {
  if (!(percent > 0.0f)) return 0;
  if (percent >= 100.0f) return 100;
  return static_cast<int>(percent);
}

double PercentOf(double done, double total) {
  if (total <= 0.0) return 100.0;
  return done * 100.0 / total;
}

double EstimateSecondsLeft(double percent, double elapsed) {
  if (!(percent > 0.0)) return 0.0;
  return (100.0 - percent) * elapsed / percent;
}

std::string FormatSpeed(double samplesDone, double samplesPerSecondAt1x, double seconds) {
  const double denominator = samplesPerSecondAt1x * seconds;
  const double speed = denominator > 0.0 ? samplesDone / denominator : 0.0;
  return fmt::sprintf(" %5.2fx", speed);
}

double SamplesPerSecondAt1x(double rateFactor, bool mono) { return rateFactor * 88200.0 / (mono ? 2 : 1); }

RipProgressView ComputeRipProgressView(const RipProgressInput& in, bool tenthMessage) {
  RipProgressView view;
  view.trackPercentText = FormatPercent(in.trackPercent);
  view.trackBar = PercentToBarPosition(in.trackPercent);
  view.overallPercentText = FormatPercent(in.overallPercent);
  view.overallBar = PercentToBarPosition(in.overallPercent);
  if (!tenthMessage) return view;

  const double t1 = static_cast<uint32_t>(in.now - in.trackStartTick) / 1000.0;
  const double t2 = static_cast<uint32_t>(in.now - in.jobStartTick) / 1000.0;
  if (!(t1 > 0.1)) return view;

  view.timesUpdated = true;
  view.trackElapsed = FormatElapsed(t1);
  if (in.trackPercent > 0.0f) view.trackEta = FormatElapsed(EstimateSecondsLeft(in.trackPercent, t1));
  view.overallElapsed = FormatElapsed(t2);
  if (in.overallPercent > 0.0f) view.overallEta = FormatElapsed(EstimateSecondsLeft(in.overallPercent, t2));
  view.trackSpeed = FormatSpeed(in.trackDone, in.samplesPerSecondAt1x, t1);
  view.overallSpeed = FormatSpeed(in.totalDone, in.samplesPerSecondAt1x, t2);
  view.taskbarValue = PercentToBarPosition(in.overallPercent);
  return view;
}

bool ProgressMessageCounter::Count() {
  return (count_.fetch_add(1, std::memory_order_relaxed) + 1) % 10 == 0;
}

ProgressMessageCounter& RipProgressMessageCounter() {
  static ProgressMessageCounter counter;
  return counter;
}
