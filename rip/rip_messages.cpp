// Constructors of the rip job's messages.
#include "rip/rip_messages.h"

#include <utility>

RipMessage RipMessage::Progress(float track, float overall) {
  RipMessage m;
  m.id = WM_RIP_PROGRESS;
  m.trackPercent = track;
  m.overallPercent = overall;
  return m;
}

RipMessage RipMessage::Log(std::string text, int level) {
  RipMessage m;
  m.id = WM_RIP_LOG;
  m.text = std::move(text);
  m.level = level;
  return m;
}

RipMessage RipMessage::Status(int target, std::string text) {
  RipMessage m;
  m.id = WM_RIP_STATUS;
  m.target = target;
  m.text = std::move(text);
  return m;
}

RipMessage RipMessage::Finished() {
  RipMessage m;
  m.id = WM_RIP_FINISHED;
  return m;
}
