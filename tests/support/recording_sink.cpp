// Recording sinks for rip job tests.
#include "tests/support/recording_sink.h"

#include <thread>

void RecordingRipSink::Record(const RipMessage& message, bool sent) {
  {
    std::lock_guard lock(mutex_);
    messages_.push_back({message, sent});
  }
  changed_.notify_all();
}

void RecordingRipSink::PostRipMessage(const RipMessage& message) { Record(message, false); }

bool RecordingRipSink::SendRipMessage(const RipMessage& message, const std::function<bool()>& stopRequested) {
  std::unique_lock lock(mutex_);
  while (holdSends_) {
    if (stopRequested && stopRequested()) {
      ++sendsGivenUp_;
      return false;
    }
    changed_.wait_for(lock, std::chrono::milliseconds(2));
  }
  lock.unlock();
  Record(message, true);
  return true;
}

std::vector<RecordedRipMessage> RecordingRipSink::Recorded() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<RipMessage> RecordingRipSink::WithId(unsigned id) const {
  std::vector<RipMessage> out;
  for (const auto& r : Recorded())
    if (r.message.id == id) out.push_back(r.message);
  return out;
}

std::vector<std::string> RecordingRipSink::LogLines(int level) const {
  std::vector<std::string> out;
  for (const auto& m : WithId(WM_RIP_LOG))
    if (level < 0 || m.level == level) out.push_back(m.text);
  return out;
}

bool RecordingRipSink::HasFinished() const { return !WithId(WM_RIP_FINISHED).empty(); }

bool RecordingRipSink::WaitFor(const std::function<bool(const std::vector<RecordedRipMessage>&)>& done,
                               std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return done(messages_); });
}

void RecordingRipSink::HoldSends(bool hold) {
  {
    std::lock_guard lock(mutex_);
    holdSends_ = hold;
  }
  changed_.notify_all();
}

int RecordingRipSink::SendsGivenUp() const {
  std::lock_guard lock(mutex_);
  return sendsGivenUp_;
}

void RecordingLogSink::AddLog(const std::string& text, int level) {
  std::lock_guard lock(mutex_);
  lines_.push_back({text, level});
}

std::vector<RecordingLogSink::Line> RecordingLogSink::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}
