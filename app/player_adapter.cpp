#include "app/player_adapter.h"

#include <utility>

PlayerAdapter::PlayerAdapter(const TrackListModel& rows, IPlaybackNotifications& notifications,
                             TimeLabelSetter setTimeLabel, MessageShower showMessage,
                             std::unique_ptr<SoundOutput> output, bool soundAvailable)
    : notifications_(notifications),
      setTimeLabel_(std::move(setTimeLabel)),
      showMessage_(std::move(showMessage)),
      output_(std::move(output)),
      engine_(rows, *this, *output_) {
  engine_.SetSoundAvailable(soundAvailable);
}

PlayerAdapter::~PlayerAdapter() {
  // The engine's own destructor would join too; stopping here first keeps the
  // threads from reporting into a half-destroyed adapter.
  engine_.StopPlayback();
}

void PlayerAdapter::PlaybackText(const std::string& text, int kind, int row) {
  notifications_.PlaybackText(text, kind, row);
}

void PlayerAdapter::PlaybackTime(int seconds) { notifications_.PlaybackTime(seconds); }

void PlayerAdapter::CurrentRowChanged(int row) { notifications_.CurrentRowChanged(row); }

void PlayerAdapter::SetTimeLabel(const std::string& text) {
  if (setTimeLabel_) setTimeLabel_(text);
}

int PlayerAdapter::ShowMessage(const std::string& text, const std::string& caption, uint32_t style) {
  return showMessage_ ? showMessage_(text, caption, style) : 0;
}
