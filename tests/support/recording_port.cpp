#include "tests/support/recording_port.h"

#include <algorithm>
#include <utility>

#include "ui/core/win_types.h"

void RecordingMainWindowPort::AddLog(const std::string& text, int level) {
  Record({Kind::Log, text, level, {}});
}

void RecordingMainWindowPort::SetStatusText(int kind, const std::string& text) {
  Record({Kind::Status, text, kind, {}});
}

void RecordingMainWindowPort::SetIdle(bool idle) { Record({Kind::Idle, {}, idle ? 1 : 0, {}}); }

void RecordingMainWindowPort::ClearTrackList() { Record({Kind::ClearList, {}, 0, {}}); }

void RecordingMainWindowPort::EnableTrackList() { Record({Kind::EnableList, {}, 0, {}}); }

void RecordingMainWindowPort::FillTrackList(const DiscSnapshot& disc) {
  {
    std::lock_guard lock(mutex_);
    filled_.push_back(disc);
  }
  Record({Kind::FillList, {}, 0, {}});
}

void RecordingMainWindowPort::SetPlayTimeText(const std::string& text) {
  Record({Kind::PlayTime, text, 0, {}});
}

int RecordingMainWindowPort::ShowMessage(const std::string& text, const std::string& caption,
                                         uint32_t style) {
  int answer = IDOK;
  {
    std::lock_guard lock(mutex_);
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
  }
  Record({Kind::Message, text, static_cast<int>(style), caption});
  return answer;
}

void RecordingMainWindowPort::QueueAnswer(int answer) {
  std::lock_guard lock(mutex_);
  answers_.push_back(answer);
}

std::vector<RecordingMainWindowPort::Call> RecordingMainWindowPort::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<RecordingMainWindowPort::Call> RecordingMainWindowPort::CallsOf(Kind kind) const {
  std::vector<Call> result;
  for (const Call& call : Calls())
    if (call.kind == kind) result.push_back(call);
  return result;
}

std::vector<std::string> RecordingMainWindowPort::LogLines() const {
  std::vector<std::string> lines;
  for (const Call& call : CallsOf(Kind::Log)) lines.push_back(call.text);
  return lines;
}

std::vector<std::string> RecordingMainWindowPort::DiscStatusTexts() const {
  std::vector<std::string> texts;
  for (const Call& call : CallsOf(Kind::Status))
    if (call.value == kStatusDiscMedia) texts.push_back(call.text);
  return texts;
}

std::string RecordingMainWindowPort::LastDiscStatus() const {
  const auto texts = DiscStatusTexts();
  return texts.empty() ? std::string() : texts.back();
}

std::vector<DiscSnapshot> RecordingMainWindowPort::FilledLists() const {
  std::lock_guard lock(mutex_);
  return filled_;
}

bool RecordingMainWindowPort::HasLog(const std::string& text) const {
  const auto lines = LogLines();
  return std::find(lines.begin(), lines.end(), text) != lines.end();
}

int RecordingMainWindowPort::CountOf(Kind kind) const { return static_cast<int>(CallsOf(kind).size()); }

void RecordingMainWindowPort::Reset() {
  std::lock_guard lock(mutex_);
  calls_.clear();
  filled_.clear();
}

bool RecordingMainWindowPort::WaitFor(const std::function<bool(const std::vector<Call>&)>& done,
                                      std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return done(calls_); });
}

bool RecordingMainWindowPort::WaitForStatus(const std::string& text, std::size_t from,
                                            std::chrono::milliseconds timeout) const {
  return WaitFor(
      [&](const std::vector<Call>& calls) {
        for (std::size_t i = from; i < calls.size(); ++i)
          if (calls[i].kind == Kind::Status && calls[i].value == kStatusDiscMedia && calls[i].text == text)
            return true;
        return false;
      },
      timeout);
}

void RecordingMainWindowPort::OnCall(Kind kind, std::function<void(const Call&)> action) {
  std::lock_guard lock(mutex_);
  actions_.emplace_back(kind, std::move(action));
}

void RecordingMainWindowPort::Record(Call call) {
  std::vector<std::function<void(const Call&)>> toRun;
  {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
    for (const auto& [kind, action] : actions_)
      if (kind == call.kind) toRun.push_back(action);
  }
  changed_.notify_all();
  for (const auto& action : toRun) action(call);
}
