// End-of-session signal handlers.
#include "app/gui/exit_signals.h"

#include <signal.h>

#include <atomic>

namespace {

std::atomic<int> g_pending{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnExitSignal(int signal) {
  if (g_pending.exchange(1) != 0) {
    // Still pending from an earlier signal: the program does not answer.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
}

}  // namespace

void InstallExitSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = &OnExitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

void RequestSessionEnd() { g_pending = 1; }

bool TakeExitSignal() { return g_pending.exchange(0) != 0; }
