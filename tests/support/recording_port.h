// A main window for tests: records every call the window-free core makes, in
// order and from any thread, and answers message boxes from a script.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/main_window_port.h"

class RecordingMainWindowPort : public MainWindowPort {
 public:
  enum class Kind { Log, Status, Idle, ClearList, EnableList, FillList, PlayTime, Message };
  struct Call {
    Kind kind;
    std::string text;     // log, status, play time and message texts
    int value = 0;        // log level, status kind, idle flag, message style
    std::string caption;  // message caption
  };

  void AddLog(const std::string& text, int level) override;
  void SetStatusText(int kind, const std::string& text) override;
  void SetIdle(bool idle) override;
  void ClearTrackList() override;
  void EnableTrackList() override;
  void FillTrackList(const DiscSnapshot& disc) override;
  void SetPlayTimeText(const std::string& text) override;
  int ShowMessage(const std::string& text, const std::string& caption, uint32_t style) override;

  // The answer to the next message box (IDOK when none is queued).
  void QueueAnswer(int answer);

  std::vector<Call> Calls() const;
  std::vector<Call> CallsOf(Kind kind) const;
  std::vector<std::string> LogLines() const;
  // The texts given to the disc status pane, in order.
  std::vector<std::string> DiscStatusTexts() const;
  std::string LastDiscStatus() const;
  std::vector<DiscSnapshot> FilledLists() const;
  // Whether a log line equal to `text` was recorded.
  bool HasLog(const std::string& text) const;
  int CountOf(Kind kind) const;
  void Reset();

  // Waits until `done` holds for the calls so far, at most `timeout`. `done`
  // runs with the recorder locked: it must look only at its argument.
  bool WaitFor(const std::function<bool(const std::vector<Call>&)>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;
  // Waits until the disc status pane has been given `text` (counting from
  // call `from`).
  bool WaitForStatus(const std::string& text, std::size_t from = 0,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;

  // Runs on the recording thread right after a call of this kind was
  // recorded, outside the lock (tests use it to act at a precise moment).
  void OnCall(Kind kind, std::function<void(const Call&)> action);

 private:
  void Record(Call call);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<Call> calls_;
  std::vector<DiscSnapshot> filled_;
  std::deque<int> answers_;
  std::vector<std::pair<Kind, std::function<void(const Call&)>>> actions_;
};
