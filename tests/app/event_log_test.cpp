// The event log's core: numbering, texts, the log file's bytes, and adding
// from many threads at once without losing an entry.
#include "app/event_log.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "app/settings.h"

namespace {

namespace fs = std::filesystem;

constexpr std::time_t kMarch5 = 1709629503;  // 2024-03-05 09:05:03 UTC

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// UTF-16LE bytes of ASCII text.
std::string Wide(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

class RecordingListener : public ILogListener {
 public:
  void OnLogEntryAdded(const CLogItem& item) override {
    items.push_back(item);
    if (onAdded) onAdded(item);
  }
  std::vector<CLogItem> items;
  std::function<void(const CLogItem&)> onAdded;
};

class EventLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    std::string tmpl = (fs::temp_directory_path() / "qcr-log-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    DataFolder = tmpl;
    WriteLog = 1;
    logPath_ = DataFolder + "/Quarno CD Ripper.log";
  }
  void TearDown() override {
    fs::remove_all(DataFolder);
    DataFolder.clear();
  }

  std::time_t now_ = kMarch5;
  EventLog log_{[this] { return now_; }};
  std::string logPath_;
};

TEST_F(EventLogTest, EntriesAreNumberedAndAnnounced) {
  RecordingListener listener;
  log_.SetListener(&listener);
  ILogSink& sink = log_;  // as the core modules reach it
  sink.AddLog("Initializing main dialog...", LogInfo);
  now_ += 61;
  log_.AddLog("Fail to initialize!!", LogFatal);
  log_.AddLog("odd level", 7);
  log_.SetListener(nullptr);
  log_.AddLog("unheard", LogError);

  const std::vector<CLogItem> entries = log_.LogEntries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].Number, 1);
  EXPECT_EQ(entries[0].Time, "09:05:03");
  EXPECT_EQ(entries[1].Number, 2);
  EXPECT_EQ(entries[1].Time, "09:06:04");
  EXPECT_EQ(entries[2].Level, 7);
  EXPECT_EQ(log_.LogEntryCount(), 4);
  ASSERT_EQ(listener.items.size(), 3u);
  EXPECT_EQ(LogStatusText(listener.items[1]), "#  2 09:06:04  Fail to initialize!!");
  CLogItem row;
  EXPECT_TRUE(log_.GetEntry(3, row));
  EXPECT_EQ(row.Text, "unheard");
  EXPECT_FALSE(log_.GetEntry(4, row));
  // Numbers beyond three digits widen their field.
  EXPECT_EQ(FormatLogNumber(1000), "#1000 ");
  EXPECT_EQ(FormatLogWindowNumber(12), "#012");
  EXPECT_EQ(FormatLogWindowNumber(1000), "#1000");
}

TEST_F(EventLogTest, ClearKeepsTheNumbering) {
  log_.AddLaunchEntry(kMarch5);
  log_.AddLog("a", LogInfo);
  log_.AddLog("b", LogInfo);
  ASSERT_EQ(log_.Size(), 3u);
  EXPECT_EQ(log_.LogEntries()[0].Number, 0);
  log_.Clear();
  EXPECT_EQ(log_.Size(), 0u);
  log_.AddLog("c", LogInfo);
  ASSERT_EQ(log_.Size(), 1u);
  EXPECT_EQ(log_.LogEntries()[0].Number, 3);
}

TEST_F(EventLogTest, LogFileBytesOfOneRun) {
  log_.WriteBanner(kMarch5);
  log_.AddLaunchEntry(kMarch5);  // the window's only
  log_.AddLog("Initializing main dialog...", LogInfo);
  log_.AddLog("Grüße", LogError);
  log_.WriteExitLines();
  log_.AddLog("too late", LogInfo);  // nothing may follow the exit lines

  const std::string stars(60, '*');
  const std::string expected = "\xFF\xFE" + Wide(stars + "\r\n" + stars + "\r\n") +
                               Wide("***************Quarno CD Ripper 6.7.1****************\r\n") +
                               Wide("Starting Time: 09:05:03  March 05, 2024\r\n") +
                               Wide("#  1 09:05:03 Initializing main dialog...\r\n") +
                               Wide("#  2 09:05:03 Gr") + std::string("\xFC\0\xDF\0", 4) + Wide("e\r\n") +
                               Wide("\r\n\r\n\r\n\r\n\r\n");
  EXPECT_EQ(ReadFileBytes(logPath_), expected);

  // The next run appends without a second mark.
  EventLog nextRun([] { return kMarch5; });
  nextRun.AddLog("again", LogInfo);
  EXPECT_EQ(ReadFileBytes(logPath_), expected + Wide("#  1 09:05:03 again\r\n"));
}

TEST_F(EventLogTest, LinesHeldWhileLoadingFollowTheFirstEntry) {
  HeldLogLines held;
  ILogSink& loading = held;
  loading.AddLog("Setting Volume=101 is out of range; using 100.", LogError);
  loading.AddLog("Error on loading settings!", LogError);
  EXPECT_EQ(log_.Size(), 0u);
  RecordingListener listener;
  OpenRunLog(log_, kMarch5, &listener, held);
  log_.SetListener(nullptr);

  const std::vector<CLogItem> entries = log_.LogEntries();
  ASSERT_EQ(entries.size(), 4u);
  const std::pair<int, const char*> expected[] = {{0, "Launching Quarno CD Ripper..."},
                                                  {1, "Initializing main dialog..."},
                                                  {2, "Setting Volume=101 is out of range; using 100."},
                                                  {3, "Error on loading settings!"}};
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].Number, expected[i].first);
    EXPECT_EQ(entries[i].Text, expected[i].second);
  }
  EXPECT_EQ(entries[2].Level, LogError);
  EXPECT_EQ(listener.items.size(), 3u);
  const std::string file = ReadFileBytes(logPath_);
  EXPECT_LT(file.find(Wide("Starting Time")), file.find(Wide("#  1 09:05:03 Initializing")));
  EXPECT_LT(file.find(Wide("#  1 ")), file.find(Wide("#  2 09:05:03 Setting Volume")));
  // Held lines are added once.
  held.AddTo(log_);
  EXPECT_EQ(log_.Size(), 4u);
}

TEST_F(EventLogTest, ControlCharactersAreEscapedInTheFile) {
  const std::pair<const char*, const char*> cases[] = {
      {"server a\n#  9 09:05:03 forged", "server a\\n#  9 09:05:03 forged"},
      {"cr\rtab\tesc\x1B[2Jdel\x7F", "cr\\rtab\\tesc\\x1B[2Jdel\\x7F"},
      {"nel\xC2\x85 ls\xE2\x80\xA8 ps\xE2\x80\xA9", "nel\\u0085 ls\\u2028 ps\\u2029"},
      {"Gr\xC3\xBC\xC3\x9F\xC2\xA0" "e \xE2\x80\xA6 \\ kept", "Gr\xC3\xBC\xC3\x9F\xC2\xA0" "e \xE2\x80\xA6 \\ kept"},
      {"end\xC2", "end\xC2"},  // a cut sequence is left to the file's encoder
  };
  for (const auto& [text, escaped] : cases) EXPECT_EQ(EscapeLogText(text), escaped) << text;
  log_.AddLog("host\nx", LogError);
  EXPECT_EQ(ReadFileBytes(logPath_), "\xFF\xFE" + Wide("#  1 09:05:03 host\\nx\r\n"));
  EXPECT_EQ(log_.LogEntries()[0].Text, "host\nx");  // the entry itself is kept as given
}

TEST_F(EventLogTest, WriteLogOffWritesNothingAndLaterOnGivesNoBanner) {
  WriteLog = 0;
  EXPECT_TRUE(log_.WriteBanner(kMarch5));
  log_.AddLog("quiet", LogInfo);
  EXPECT_FALSE(fs::exists(logPath_));
  WriteLog = 1;
  log_.AddLog("loud", LogInfo);
  WriteLog = 0;
  EXPECT_TRUE(log_.WriteExitLines());
  EXPECT_EQ(ReadFileBytes(logPath_), "\xFF\xFE" + Wide("#  2 09:05:03 loud\r\n"));
  EXPECT_EQ(log_.Size(), 2u);
}

TEST_F(EventLogTest, AnUnwritableLogFileIsSkippedSilently) {
  const std::string folder = DataFolder;
  DataFolder = folder + "/missing";
  log_.AddLog("still kept", LogInfo);
  EXPECT_FALSE(log_.WriteBanner(kMarch5));
  DataFolder.clear();  // never a file in the root folder
  log_.AddLog("also kept", LogInfo);
  EXPECT_EQ(EventLog::LogFilePath(), "");
  DataFolder = folder;
  EXPECT_EQ(log_.Size(), 2u);
  EXPECT_EQ(log_.LogEntryCount(), 2);
  EXPECT_FALSE(fs::exists(folder + "/missing"));
}

TEST_F(EventLogTest, AnOldNarrowLogFileStaysNarrow) {
  std::ofstream(logPath_, std::ios::binary) << "old line\r\n";
  log_.AddLog("new line", LogInfo);
  EXPECT_EQ(ReadFileBytes(logPath_), "old line\r\n#  1 09:05:03 new line\r\n");
}

TEST_F(EventLogTest, ConcurrentCallsLoseNothingAndKeepOrder) {
  constexpr int kThreads = 8;
  constexpr int kPerThread = 150;
  RecordingListener listener;
  log_.SetListener(&listener);
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < kPerThread; ++i) log_.AddLog(std::to_string(t) + ":" + std::to_string(i), LogInfo);
    });
  }
  go = true;
  for (auto& th : threads) th.join();

  constexpr int kTotal = kThreads * kPerThread;
  const std::vector<CLogItem> entries = log_.LogEntries();
  ASSERT_EQ(entries.size(), static_cast<std::size_t>(kTotal));
  EXPECT_EQ(log_.LogEntryCount(), kTotal);
  ASSERT_EQ(listener.items.size(), static_cast<std::size_t>(kTotal));
  std::vector<int> nextOfThread(kThreads, 0);
  std::string expectedFile = "\xFF\xFE";
  for (int n = 0; n < kTotal; ++n) {
    EXPECT_EQ(entries[n].Number, n + 1);
    EXPECT_EQ(listener.items[n].Number, n + 1);
    // Each thread's entries keep the order in which that thread made them.
    const int t = std::stoi(entries[n].Text);
    EXPECT_EQ(entries[n].Text, std::to_string(t) + ":" + std::to_string(nextOfThread[t]++));
    expectedFile += Wide(LogFileLine(entries[n]));
  }
  EXPECT_EQ(ReadFileBytes(logPath_), expectedFile);
}

TEST_F(EventLogTest, AListenerMayAddEntriesOrThrow) {
  RecordingListener listener;
  listener.onAdded = [this](const CLogItem& item) {
    if (item.Text == "first") log_.AddLog("follow-up", LogError);
    if (item.Text == "boom") throw std::runtime_error("listener failed");
  };
  log_.SetListener(&listener);
  log_.AddLog("first", LogInfo);
  EXPECT_THROW(log_.AddLog("boom", LogInfo), std::runtime_error);
  log_.AddLog("after", LogInfo);
  log_.SetListener(nullptr);
  std::vector<std::string> texts;
  for (const CLogItem& entry : log_.LogEntries()) texts.push_back(std::to_string(entry.Number) + entry.Text);
  EXPECT_EQ(texts, (std::vector<std::string>{"1first", "2follow-up", "3boom", "4after"}));
}

}  // namespace
