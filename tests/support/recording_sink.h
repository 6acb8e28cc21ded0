// Sinks for tests that record what a rip job reports: its messages (posted or
// sent) and the lines it adds to the event log directly.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/log_sink.h"
#include "rip/rip_messages.h"

struct RecordedRipMessage {
  RipMessage message;
  bool sent = false;  // delivered with SendRipMessage rather than posted
};

class RecordingRipSink : public IRipMessageSink {
 public:
  void PostRipMessage(const RipMessage& message) override;
  bool SendRipMessage(const RipMessage& message, const std::function<bool()>& stopRequested) override;

  std::vector<RecordedRipMessage> Recorded() const;
  // The messages with this id, in order.
  std::vector<RipMessage> WithId(unsigned id) const;
  // Texts of the WM_RIP_LOG messages, of one level or (level < 0) of all.
  std::vector<std::string> LogLines(int level = -1) const;
  bool HasFinished() const;

  // Waits until `done` holds for the recorded messages, at most `timeout`.
  bool WaitFor(const std::function<bool(const std::vector<RecordedRipMessage>&)>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(60)) const;

  // While held, SendRipMessage does not return until released or until its
  // stop request is true, like a window that is busy.
  void HoldSends(bool hold);
  int SendsGivenUp() const;

 private:
  void Record(const RipMessage& message, bool sent);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<RecordedRipMessage> messages_;
  bool holdSends_ = false;
  int sendsGivenUp_ = 0;
};

class RecordingLogSink : public ILogSink {
 public:
  struct Line {
    std::string text;
    int level;
  };
  void AddLog(const std::string& text, int level) override;
  std::vector<Line> Lines() const;

 private:
  mutable std::mutex mutex_;
  std::vector<Line> lines_;
};
