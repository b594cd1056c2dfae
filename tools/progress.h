#pragma once

#include <chrono>
#include <cstdio>

namespace tarsel {

// A progress line for a person watching a long export: frames done, frames in the script, and
// the time so far, rewritten in place on standard error. It appears only when standard error
// is a terminal and the export has taken more than a second, and is erased at the end, so
// that short runs, scripts and logs see nothing of it.
class Progress {
 public:
  // `expected`: the frames the script gives, when it runs to its end.
  explicit Progress(long expected, std::FILE* out = stderr);
  ~Progress() { Finish(); }
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // One more frame done.
  void Frame();
  // Erases the line, if one was shown.
  void Finish();

  long done() const { return done_; }
  long expected() const { return expected_; }

 private:
  using Clock = std::chrono::steady_clock;
  std::FILE* out_;
  bool terminal_;
  long expected_;
  long done_ = 0;
  Clock::time_point start_ = Clock::now(), last_shown_;
  bool shown_ = false;
};

}  // namespace tarsel
