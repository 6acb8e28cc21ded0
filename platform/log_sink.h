// Levels of the event log and the small interface through which code without
// windows adds lines to it. The application installs the real log; tests
// install a recording one.
#pragma once

#include <string>

enum LogLevel : int {
  LogInfo = 0,
  LogError = 1,
  LogFatal = 2,  // an error that stops a rip
};

class ILogSink {
 public:
  virtual ~ILogSink() = default;
  virtual void AddLog(const std::string& text, int level) = 0;
};
