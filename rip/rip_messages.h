// The messages the rip job's threads send to whoever shows the job (the
// progress window, or a test). Workers never touch a window: they hand a
// message that carries its payload by value to a sink the job was given. The
// window's sink queues GUI events; tests record.
#pragma once

#include <functional>
#include <string>

#include "platform/log_sink.h"

// Message numbers, in the window-message user range (0x400 up) the progress
// window listens on.
inline constexpr unsigned kRipMessageBase = 0x400;
inline constexpr unsigned WM_RIP_PROGRESS = kRipMessageBase + 100;  // track and overall percent
inline constexpr unsigned WM_RIP_LOG = kRipMessageBase + 101;       // a line for the event log
inline constexpr unsigned WM_RIP_STATUS = kRipMessageBase + 102;    // status line or caption text
inline constexpr unsigned WM_RIP_FINISHED = kRipMessageBase + 105;  // the last track is done

// Targets of WM_RIP_STATUS (its wParam).
inline constexpr int kRipStatusLine = 0;
inline constexpr int kRipStatusCaption = 2;

// One message. Which fields mean something depends on `id`:
//   WM_RIP_PROGRESS  trackPercent, overallPercent
//   WM_RIP_LOG       text, level (LogInfo, LogError, LogFatal)
//   WM_RIP_STATUS    target (kRipStatusLine or kRipStatusCaption), text
//   WM_RIP_FINISHED  nothing
struct RipMessage {
  unsigned id = 0;
  float trackPercent = 0.0f;
  float overallPercent = 0.0f;
  int level = LogInfo;
  int target = kRipStatusLine;
  std::string text;

  static RipMessage Progress(float track, float overall);
  static RipMessage Log(std::string text, int level);
  static RipMessage Status(int target, std::string text);
  static RipMessage Finished();

  bool operator==(const RipMessage&) const = default;
};

// Where a rip job delivers its messages.
class IRipMessageSink {
 public:
  virtual ~IRipMessageSink() = default;

  // Queues the message and returns at once.
  virtual void PostRipMessage(const RipMessage& message) = 0;

  // Delivers the message and waits until the receiver has handled it. Gives
  // up as soon as `stopRequested` returns true (the job is being stopped, and
  // the receiver may itself be waiting for this thread); returns whether the
  // message was handled.
  virtual bool SendRipMessage(const RipMessage& message, const std::function<bool()>& stopRequested) = 0;
};
