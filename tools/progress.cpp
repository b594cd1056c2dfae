#include "tools/progress.h"

#include <unistd.h>

#include "geometry/language.h"

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
  char time[32];
  std::snprintf(time, sizeof time, "%.1f", seconds);
  const std::string done = std::to_string(done_), shown = LocalNumbers(time);
  // TRANSLATORS: tarsel-render's progress line: %1$s the frames written, %2$s the frames in
  // all, %3$s the seconds so far ("s" their unit).
  const std::string line =
      done_ <= expected_
          ? Fill(Tr("frame %1$s of %2$s, %3$s s"), {done, std::to_string(expected_), shown})
          // TRANSLATORS: %1$s the frames written, %2$s the seconds so far.
          : Fill(Tr("frame %1$s, %2$s s"), {done, shown});
  std::fprintf(out_, "\rtarsel-render: %s\033[K", line.c_str());
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
