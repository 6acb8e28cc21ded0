// One copy of the program at a time. The first copy holds a lock (a file
// lock, which the system releases when the process ends, however it ends) and
// listens on a local channel, a Unix-domain socket; a second copy finds the
// lock taken, asks the first copy over the channel to bring its window (and
// its open modal dialog) to the front, and ends without showing anything.
//
// Both the lock and the channel are named after the application name (the
// program file's name) and the user, and belong to one data folder, so two
// differently named program files run side by side, as do two users or two
// copies with separate configuration folders.
//
// The lock file lives in the data folder. When that folder cannot hold it
// (it cannot be made, is read-only, or is not a folder at all), the lock goes
// to the user's runtime folder ($XDG_RUNTIME_DIR), else to the temporary
// folder: every copy with the same data folder makes the same choice, so one
// copy at a time still holds. None of this is ever reported to the user.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class wxTopLevelWindow;

// The channel's address for an application name and a data folder: a name in
// the abstract socket namespace (no file, gone with the process).
std::string InstanceChannelName(const std::string& appName, const std::string& dataFolder);

// What the second copy hears back.
enum class RaiseAnswer {
  kRaised,    // the first copy has a window and brings it forward
  kNoWindow,  // the first copy is still starting (or ending): nothing to raise
  kNoAnswer,  // nobody listens, or the answer did not come in time
};

// Asks the copy listening on `channel` to raise its window.
RaiseAnswer AskRunningCopyToRaise(const std::string& channel, int timeoutMs = 3000);

// The first copy's listener. `raise` runs on the listener's own thread and
// answers whether there is a window to raise; it must only queue the raise to
// the GUI thread.
class CInstanceListener {
 public:
  using RaiseRequest = std::function<bool()>;

  CInstanceListener() = default;
  ~CInstanceListener();  // Stop()
  CInstanceListener(const CInstanceListener&) = delete;
  CInstanceListener& operator=(const CInstanceListener&) = delete;

  // Starts listening; false when the channel cannot be set up (it is then
  // simply not offered: a second copy ends silently, as with no window).
  bool Start(const std::string& channel, RaiseRequest raise);
  void Stop();
  int RequestsServed() const { return served_.load(); }

 private:
  void Serve();
  void Answer(int client);

  int listen_ = -1;
  int wake_[2] = {-1, -1};
  RaiseRequest raise_;
  std::thread thread_;
  std::atomic<int> served_{0};
};

// The lock of the first copy, held while the object lives.
class CSingleInstance {
 public:
  CSingleInstance(const std::string& appName, const std::string& dataFolder);
  ~CSingleInstance();
  CSingleInstance(const CSingleInstance&) = delete;
  CSingleInstance& operator=(const CSingleInstance&) = delete;

  // Whether another copy holds the lock. A lock that cannot be made anywhere
  // counts as no other copy.
  bool IsAnotherRunning() const { return anotherRunning_; }
  const std::string& Channel() const { return channel_; }
  // The lock file this copy holds or found taken; empty when none could be made.
  const std::string& LockFile() const { return lockFile_; }

 private:
  // Takes the lock in `folder`; false when the folder cannot hold it.
  bool LockIn(const std::string& folder);

  std::string channel_;
  std::string lockFile_;
  int fd_ = -1;
  bool anotherRunning_ = false;
};

// Restores `window` when minimised and brings it to the front, then the
// modal dialog open above it, if any. GUI thread.
void RaiseWindowAndPopup(wxTopLevelWindow* window);
