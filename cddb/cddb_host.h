// What the CDDB client needs from the application around it: a line in the
// event log, emptying the results of the last lookup when a lookup fails, and
// a message box for the submission reply. The main window implements it; the
// client works without one (nothing is logged) and tests install the
// recording host below to see what the client reported and in which order.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/log_sink.h"

class ICDDBHost : public ILogSink {
 public:
  // Empties the query results and the output sub-folder of the last lookup.
  virtual void ClearCDDBResults() = 0;
  // Shows a plain message to the user.
  virtual void MessageBox(const std::string& text) = 0;
};

// Does nothing; the client's host until the application installs its own.
class CNullCDDBHost : public ICDDBHost {
 public:
  void AddLog(const std::string&, int) override {}
  void ClearCDDBResults() override {}
  void MessageBox(const std::string&) override {}
};

// Keeps every call in order, for tests.
class CRecordingCDDBHost : public ICDDBHost {
 public:
  enum class Kind { Log, Clear, Message };
  struct Call {
    Kind kind;
    std::string text;  // empty for Clear
    int level;         // the log level of a Log call, else -1
  };

  void AddLog(const std::string& text, int level) override { Add({Kind::Log, text, level}); }
  void ClearCDDBResults() override { Add({Kind::Clear, {}, -1}); }
  void MessageBox(const std::string& text) override { Add({Kind::Message, text, -1}); }

  std::vector<Call> Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  // The texts of the log lines, in order.
  std::vector<std::string> LogLines() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> lines;
    for (const Call& call : calls_) {
      if (call.kind == Kind::Log) lines.push_back(call.text);
    }
    return lines;
  }
  int ClearCount() const {
    std::lock_guard lock(mutex_);
    int count = 0;
    for (const Call& call : calls_) count += call.kind == Kind::Clear;
    return count;
  }
  void Reset() {
    std::lock_guard lock(mutex_);
    calls_.clear();
  }

 private:
  void Add(Call call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }

  mutable std::mutex mutex_;
  std::vector<Call> calls_;
};
