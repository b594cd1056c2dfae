#include "tools/stop.h"

#include <signal.h>
#include <unistd.h>

#include "geometry/language.h"

namespace tarsel::stop {

namespace {

volatile std::sig_atomic_t requested = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnSignal(int signal) {
  requested = signal;
}

sigset_t StopSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int s : kStopSignals) sigaddset(&set, s);
  return set;
}

}  // namespace

void CatchSignals() {
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a write blocked on a full pipe returns, and the run sees the request.
  action.sa_flags = 0;
  for (const int s : kStopSignals) {
    // A signal that was ignored when the program started (nohup, a background job) stays so.
    struct sigaction before;
    if (sigaction(s, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(s, &action, nullptr);
  }
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
}

int Requested() {
  return requested;
}

const char* Name(int signal) {
  switch (signal) {
    case SIGINT:
      return "SIGINT";
    case SIGTERM:
      return "SIGTERM";
    case SIGHUP:
      return "SIGHUP";
  }
  // TRANSLATORS: a signal with no name of its own, in "stopped by %s".
  return Tr("a signal");
}

void EndBy(int signal) {
  std::signal(signal, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  raise(signal);
  // Only if the signal could not end the program: the status it would have given.
  _exit(128 + signal);
}

Deferred::Deferred() {
  const sigset_t set = StopSet();
  pthread_sigmask(SIG_BLOCK, &set, &before_);
}

Deferred::~Deferred() {
  pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

}  // namespace tarsel::stop
