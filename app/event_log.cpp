// The event log's entries, numbering and log file.
#include "app/event_log.h"

#include <fmt/printf.h>

#include "app/settings.h"
#include "ui/core/stdio_file_ex.h"

namespace {

constexpr const char* kMonthNames[12] = {"January",   "February", "March",    "April",
                                         "May",       "June",     "July",     "August",
                                         "September", "October",  "November", "December"};

constexpr std::uint32_t kLogOpenFlags = CStdioFileEx::modeCreate | CStdioFileEx::modeNoTruncate |
                                        CStdioFileEx::modeWrite | CStdioFileEx::UnicodeFileFlag;

bool LocalTime(std::time_t when, std::tm& out) { return localtime_r(&when, &out) != nullptr; }

}  // namespace

std::string FormatLogNumber(std::int32_t number) { return fmt::sprintf("#%3d ", number); }

std::string FormatLogWindowNumber(std::int32_t number) { return fmt::sprintf("#%03d", number); }

std::string FormatLogTime(std::time_t when) {
  std::tm tm{};
  if (!LocalTime(when, tm)) return fmt::sprintf("%02d:%02d:%02d", -1, -1, -1);
  return fmt::sprintf("%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::string LogStatusText(const CLogItem& item) {
  return FormatLogNumber(item.Number) + item.Time + "  " + item.Text;
}

std::string EscapeLogText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
      out += fmt::format("\\x{:02X}", c);
    } else if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
      // U+0080 to U+009F, the C1 controls (NEL among them).
      out += fmt::format("\\u{:04X}", static_cast<unsigned char>(text[++i]));
    } else if (c == 0xE2 && text.compare(i + 1, 2, "\x80\xA8") == 0) {
      out += "\\u2028";  // line separator
      i += 2;
    } else if (c == 0xE2 && text.compare(i + 1, 2, "\x80\xA9") == 0) {
      out += "\\u2029";  // paragraph separator
      i += 2;
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

std::string LogFileLine(const CLogItem& item) {
  return FormatLogNumber(item.Number) + item.Time + " " + EscapeLogText(item.Text) + "\r\n";
}

std::string LogBannerText(std::time_t startTime) {
  const std::string stars(60, '*');
  std::string text = stars + "\r\n" + stars + "\r\n";
  text += std::string(15, '*') + kProgramNameAndVersion + std::string(16, '*') + "\r\n";
  std::tm tm{};
  if (LocalTime(startTime, tm) && tm.tm_mon >= 0 && tm.tm_mon < 12) {
    text += fmt::sprintf("Starting Time: %02d:%02d:%02d  %s %02d, %d\r\n", tm.tm_hour, tm.tm_min, tm.tm_sec,
                         kMonthNames[tm.tm_mon], tm.tm_mday, tm.tm_year + 1900);
  } else {
    text += "Starting Time: \r\n";
  }
  return text;
}

EventLog::EventLog() : EventLog([] { return std::time(nullptr); }) {}

EventLog::EventLog(Clock clock) : clock_(std::move(clock)) {}

std::string EventLog::LogFilePath() {
  if (DataFolder.empty()) return {};
  return DataFolder + "/" + kLogFileName;
}

void EventLog::AddLog(const std::string& text, int level) {
  {
    std::lock_guard lock(mutex_);
    // The time is taken here, so that numbers and times rise together.
    pending_.push_back({text, level, clock_()});
    if (draining_) return;  // the thread that is adding will take this one too
    draining_ = true;
  }
  Drain();
}

// Stores queued entries one by one until none is left. Only one thread at a
// time runs here, which keeps numbers, file lines and listener calls in order.
void EventLog::Drain() {
  for (;;) {
    Pending next;
    {
      std::lock_guard lock(mutex_);
      if (pending_.empty()) {
        draining_ = false;
        return;
      }
      next = std::move(pending_.front());
      pending_.pop_front();
    }
    try {
      Store(next);
    } catch (...) {
      // Let a later call carry on with what is still queued.
      std::lock_guard lock(mutex_);
      draining_ = false;
      throw;
    }
  }
}

void EventLog::Store(const Pending& p) {
  std::int32_t number;
  {
    std::lock_guard lock(mutex_);
    number = entryCount_ + 1;
  }
  CLogItem item(number, FormatLogTime(p.when), p.text, static_cast<std::int16_t>(p.level));
  if (WriteLog) AppendToFile(LogFileLine(item), FileWrite::Entry);
  {
    std::lock_guard lock(mutex_);
    entries_.push_back(item);
    entryCount_ = number;
  }
  std::lock_guard listenerLock(listenerMutex_);
  if (listener_) listener_->OnLogEntryAdded(item);
}

bool EventLog::AppendToFile(const std::string& text, FileWrite write) {
  std::lock_guard lock(fileMutex_);
  if (write == FileWrite::Entry && fileClosed_) return false;
  if (write != FileWrite::Entry) fileClosed_ = write == FileWrite::Closing;
  if (write != FileWrite::Entry && !WriteLog) return true;
  const std::string path = LogFilePath();
  if (path.empty()) return false;
  CStdioFileEx file;
  if (!file.Open(path, kLogOpenFlags)) return false;
  bool ok = file.SeekToEnd() >= 0;
  ok = ok && file.WriteString(text);
  return file.Close() && ok;
}

void EventLog::AddLaunchEntry(std::time_t startTime) {
  std::lock_guard lock(mutex_);
  entries_.emplace_back(0, FormatLogTime(startTime), kLaunchEntryText, static_cast<std::int16_t>(LogInfo));
}

bool EventLog::WriteBanner(std::time_t startTime) {
  return AppendToFile(LogBannerText(startTime), FileWrite::Opening);
}

bool EventLog::WriteExitLines() { return AppendToFile("\r\n\r\n\r\n\r\n\r\n", FileWrite::Closing); }

void EventLog::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

std::vector<CLogItem> EventLog::LogEntries() const {
  std::lock_guard lock(mutex_);
  return entries_;
}

bool EventLog::GetEntry(std::size_t row, CLogItem& item) const {
  std::lock_guard lock(mutex_);
  if (row >= entries_.size()) return false;
  item = entries_[row];
  return true;
}

std::size_t EventLog::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

std::int32_t EventLog::LogEntryCount() const {
  std::lock_guard lock(mutex_);
  return entryCount_;
}

void EventLog::SetListener(ILogListener* listener) {
  std::lock_guard lock(listenerMutex_);
  listener_ = listener;
}

void HeldLogLines::AddLog(const std::string& text, int level) {
  std::lock_guard lock(mutex_);
  lines_.emplace_back(text, level);
}

void HeldLogLines::AddTo(ILogSink& log) {
  std::vector<std::pair<std::string, int>> lines;
  {
    std::lock_guard lock(mutex_);
    lines.swap(lines_);
  }
  for (const auto& [text, level] : lines) log.AddLog(text, level);
}

void OpenRunLog(EventLog& log, std::time_t startTime, ILogListener* listener, HeldLogLines& held) {
  log.WriteBanner(startTime);     // only while WriteLog is set
  log.AddLaunchEntry(startTime);  // shown in the log window only
  log.SetListener(listener);
  log.AddLog(kInitializingText, LogInfo);
  held.AddTo(log);
}

EventLog& AppEventLog() {
  static EventLog log;
  return log;
}
