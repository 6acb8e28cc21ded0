// The program's event log without its window: every notable step is one
// numbered, time-stamped entry, kept in memory for the run and, while the
// WriteLog setting is on, appended as a line to "Quarno CD Ripper.log" in the
// data folder (UTF-16LE with the mark FF FE, CR LF line ends, opened, appended
// to and closed for each write, so every run adds to what earlier runs wrote).
//
// AddLog may be called from any thread, also from inside a listener. No call
// is ever dropped: a call that meets another one in progress queues its entry,
// and the thread already adding stores, writes and announces it before it
// returns. Entries are numbered from 1 in the order their calls arrived, and
// the file lines and listener calls follow that order.
//
// The log window and the status bar hear of new entries through ILogListener;
// the window's listener forwards them to the GUI thread.
#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/log_sink.h"

// One entry of the log.
class CLogItem {
 public:
  CLogItem() = default;
  CLogItem(std::int32_t number, std::string time, std::string text, std::int16_t level)
      : Text(std::move(text)), Level(level), Number(number), Time(std::move(time)) {}

  std::string Text;         // the message
  std::int16_t Level = 0;   // LogLevel; other values are kept as given
  std::int32_t Number = 0;  // 1 for the first AddLog of the run, 0 for the launch entry
  std::string Time;         // local time of the call, "hh:mm:ss"
};

inline constexpr const char* kLogFileName = "Quarno CD Ripper.log";
inline constexpr const char* kProgramNameAndVersion = "Quarno CD Ripper 6.7.1";
inline constexpr const char* kLaunchEntryText = "Launching Quarno CD Ripper...";

// "#%3d ": the number field of the status bar and the log file.
std::string FormatLogNumber(std::int32_t number);
// "#%03d": the number column of the log window.
std::string FormatLogWindowNumber(std::int32_t number);
// "%02d:%02d:%02d" of the local time of `when`; fields that cannot be
// converted print -1.
std::string FormatLogTime(std::time_t when);
// The text for the status bar's first pane (the window adds two blanks in
// front): number field, time, two blanks, text.
std::string LogStatusText(const CLogItem& item);
// The item's line in the log file, with its CR LF. Control characters in the
// text (line breaks, tabs, escape sequences, also U+0080-U+009F, U+2028 and
// U+2029) are written as \r, \n, \t or \xHH / \uHHHH, so that one entry is
// always one line and no text from outside can forge or hide other lines.
std::string LogFileLine(const CLogItem& item);
// The escaping LogFileLine applies to an entry's text.
std::string EscapeLogText(const std::string& text);
// The start banner's four lines, each ending in CR LF: two lines of 60
// asterisks, the name and version between asterisks, and the start time as
// "Starting Time: %H:%M:%S  %B %d, %Y" with an English month name.
std::string LogBannerText(std::time_t startTime);

// Told of each entry after it was stored, on the thread that stored it, in
// numbering order. Must not wait for the GUI thread (the GUI thread may be
// waiting to add an entry itself); forwarding is fine.
class ILogListener {
 public:
  virtual ~ILogListener() = default;
  virtual void OnLogEntryAdded(const CLogItem& item) = 0;
};

class EventLog : public ILogSink {
 public:
  using Clock = std::function<std::time_t()>;

  // Time from the system clock, or from `clock` (tests).
  EventLog();
  explicit EventLog(Clock clock);
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // Adds an entry: numbers and time-stamps it, appends its line to the log
  // file when WriteLog is set (a file that cannot be opened is skipped), keeps
  // it and tells the listener.
  void AddLog(const std::string& text, int level) override;

  // The entry shown first in the window: number 0, the start time, level
  // LogInfo. It goes neither to the file nor to the listener, and does not
  // count as an AddLog.
  void AddLaunchEntry(std::time_t startTime);
  // When WriteLog is set: the banner at start-up, and five empty lines at exit.
  // Both return whether the lines reached the file (true when WriteLog is off).
  // The five empty lines close the run's part of the file: entries added
  // after them are kept in memory but never written, so nothing that a late
  // thread or dialog logs lands below them. The banner opens it again.
  bool WriteBanner(std::time_t startTime);
  bool WriteExitLines();

  // Empties the entries; numbering goes on where it was.
  void Clear();

  // A copy of all entries, and one entry by row (false when out of range).
  std::vector<CLogItem> LogEntries() const;
  bool GetEntry(std::size_t row, CLogItem& item) const;
  std::size_t Size() const;
  // The number of AddLog calls completed in this run.
  std::int32_t LogEntryCount() const;

  // Installs the listener (nullptr removes it). Returns after any call to the
  // previous listener has ended, so its owner may then go away.
  void SetListener(ILogListener* listener);

  // DataFolder + "/Quarno CD Ripper.log"; empty while DataFolder is unset.
  static std::string LogFilePath();

 private:
  struct Pending {
    std::string text;
    int level;
    std::time_t when;
  };

  // What a write to the file is: an entry's line, or the banner or the exit
  // lines, which open and close the run's part of the file.
  enum class FileWrite { Entry, Opening, Closing };

  void Drain();
  void Store(const Pending& p);
  // Appends `text` when `write` allows it now (false when not, or when it
  // failed); `write` only opens or closes while WriteLog is off.
  bool AppendToFile(const std::string& text, FileWrite write);

  Clock clock_;
  mutable std::mutex mutex_;  // entries_, pending_, draining_, entryCount_
  std::vector<CLogItem> entries_;
  std::deque<Pending> pending_;
  bool draining_ = false;
  std::int32_t entryCount_ = 0;
  std::mutex fileMutex_;                // one writer of the log file at a time; fileClosed_
  bool fileClosed_ = false;             // the exit lines were written
  std::recursive_mutex listenerMutex_;  // listener_ and calls to it
  ILogListener* listener_ = nullptr;
};

// Log lines made before the log is open (while the settings load, which
// decides whether the log file is written at all), kept in order and added
// to a log once it is.
class HeldLogLines : public ILogSink {
 public:
  void AddLog(const std::string& text, int level) override;
  // Adds the held lines to `log` in the order they came, and forgets them.
  void AddTo(ILogSink& log);

 private:
  std::mutex mutex_;
  std::vector<std::pair<std::string, int>> lines_;
};

inline constexpr const char* kInitializingText = "Initializing main dialog...";

// Opens the run's log at start-up, once the settings are loaded: the banner
// (while WriteLog is set), the launch entry, the listener, the first entry
// "Initializing main dialog...", then the lines held while loading.
void OpenRunLog(EventLog& log, std::time_t startTime, ILogListener* listener, HeldLogLines& held);

// The program's one event log.
EventLog& AppEventLog();
