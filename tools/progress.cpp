#include "tools/progress.h"

#include <unistd.h>

namespace tarsel {

Progress::Progress(long expected, std::FILE* out)
    : out_(out), terminal_(isatty(fileno(out)) == 1), expected_(expected) {}

void Progress::Frame() {
  ++done_;
  if (!terminal_) return;
  const Clock::time_point now = Clock::now();
  // After the first second, ten times a second at most: the line is for reading.
  if (now - start_ < std::chrono::seconds(1) ||
      (shown_ && now - last_shown_ < std::chrono::milliseconds(100))) {
    return;
  }
  const double seconds = std::chrono::duration<double>(now - start_).count();
  if (done_ <= expected_) {
    std::fprintf(out_, "\rtarsel-render: frame %ld of %ld, %.1f s\033[K", done_, expected_,
                 seconds);
  } else {
    std::fprintf(out_, "\rtarsel-render: frame %ld, %.1f s\033[K", done_, seconds);
  }
  std::fflush(out_);
  shown_ = true;
  last_shown_ = now;
}

void Progress::Finish() {
  if (!shown_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  shown_ = false;
}

}  // namespace tarsel
