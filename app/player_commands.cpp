// The player's time display.
#include "app/player_commands.h"

#include <fmt/printf.h>

#include <algorithm>

PlaybackTimeDisplay PlaybackTimeDisplayOf(int seconds, double durationTenths) {
  const int secs = std::max(seconds, 0);
  PlaybackTimeDisplay display;
  // A track without length (or a row the player has not set up) keeps the
  // slider at its start rather than dividing by nothing.
  if (durationTenths > 0.0) {
    const double position = secs * 10000.0 / durationTenths;
    display.seekPosition = static_cast<int>(std::min(position, static_cast<double>(kSeekRange)));
  }
  display.label = fmt::sprintf("%02d:%02d", secs / 60, secs % 60);
  return display;
}

double TrackDurationTenths(int sectors) { return std::max(sectors, 0) / 7.5 + 0.5; }
