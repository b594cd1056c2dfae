#pragma once

#include <csignal>

// How tarsel-render ends when it is asked to stop (Ctrl+C, kill, a closed terminal) and when
// its output meets a closed pipe or a file size limit: never with a temporary file left behind.
namespace tarsel::stop {

// SIGINT, SIGTERM and SIGHUP only note that the run is to stop: the run looks at every frame
// and before it puts its files in place, ends, removes its temporary files, erases the
// progress line and says what it left unwritten. SIGPIPE and SIGXFSZ are ignored, so that a
// write to a closed pipe or past `ulimit -f` fails with its cause (EPIPE, EFBIG) instead of
// killing the program. Call first in main.
void CatchSignals();

// The signal that asked the run to stop, or 0.
int Requested();

// "SIGINT", "SIGTERM" or "SIGHUP".
const char* Name(int signal);

// Ends the program as the signal would have ended it, so that the shell reports it as usual
// (130 for SIGINT, 143 for SIGTERM).
[[noreturn]] void EndBy(int signal);

// While one exists, the three signals wait: the files of a finished run are put in place all
// together or not at all.
class Deferred {
 public:
  Deferred();
  ~Deferred();
  Deferred(const Deferred&) = delete;
  Deferred& operator=(const Deferred&) = delete;

 private:
  sigset_t before_;
};

}  // namespace tarsel::stop
