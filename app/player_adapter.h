// The player engine behind the window's player interface: the window's
// transport commands and sliders go to the engine, and what the engine
// reports goes back through the window's notifications (queued), its time
// label and its message boxes (GUI thread).
//
// The adapter owns the sound output the engine plays through and declares it
// first, so the engine (which joins its threads when it goes) is destroyed
// while the output still exists. The notifications object must outlive the
// adapter: the engine's threads report through it until they are joined.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/player_commands.h"
#include "app/player_engine.h"
#include "app/track_list_model.h"
#include "platform/sound_output.h"

class PlayerAdapter : public IPlayerCommands, private PlayerView {
 public:
  using TimeLabelSetter = std::function<void(const std::string& text)>;
  using MessageShower =
      std::function<int(const std::string& text, const std::string& caption, uint32_t style)>;

  PlayerAdapter(const TrackListModel& rows, IPlaybackNotifications& notifications,
                TimeLabelSetter setTimeLabel, MessageShower showMessage, std::unique_ptr<SoundOutput> output,
                bool soundAvailable);
  ~PlayerAdapter() override;

  void Play() override { engine_.OnPlay(); }
  void PlayCurrent(int row) override { engine_.OnPlayCurrent(row); }
  void Pause() override { engine_.OnPause(); }
  void Previous() override { engine_.OnPrevious(); }
  void Next() override { engine_.OnNext(); }
  void First() override { engine_.OnFirst(); }
  void Last() override { engine_.OnLast(); }
  int Seek(int perMille) override { return engine_.OnSeek(perMille); }
  bool SetVolume(int volume) override { return engine_.OnVolume(volume); }
  void StopPlayback() override { engine_.StopPlayback(); }
  void MediaChanged() override { engine_.OnMediaChanged(); }
  void RowsChanged() override { engine_.RowsChanged(); }
  void SetCurrentItem(int row) override { engine_.SetCurrentItem(row); }
  bool IsPlaying() const override { return engine_.Playing(); }

 private:
  // PlayerView.
  void PlaybackText(const std::string& text, int kind, int row) override;
  void PlaybackTime(int seconds) override;
  void CurrentRowChanged(int row) override;
  void SetTimeLabel(const std::string& text) override;
  int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) override;

  IPlaybackNotifications& notifications_;
  TimeLabelSetter setTimeLabel_;
  MessageShower showMessage_;
  std::unique_ptr<SoundOutput> output_;  // before the engine: it outlives it
  PlayerEngine engine_;
};
