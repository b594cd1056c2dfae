// A classroom leaves the animation running for hours: thousands of frames through the headless
// replay, in every key mode, must not leak or grow. Each run is a child process so that its
// peak resident memory can be read on its own; under the sanitizer build any report ends the
// child with a non-zero status.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Every frame of a plain run has exactly this many event-processing calls at table points.
constexpr long kPointCallsPerFrame = 600;

// A script of `frames` frames that visits every key mode: plain keys, one back, a tenth
// forward and back, the derivative curves and accumulation switched on and off, Space
// bringing k back to the start before the loop could pass its end, and every tenth frame
// released by a BackSpace pressed in the middle of the linkage trace pass.
std::string Script(int frames) {
  const int cycle[] = {97, 44, 13, 9, 8, 97, 47, 98, 99, 8, 100, 47};
  std::string s;
  for (int f = 0; f < frames; ++f) {
    if (f % 10 == 5) {
      s += "8@" + std::to_string(f * kPointCallsPerFrame + 450) + " ";
    } else if (f % 40 == 39) {
      s += "32 ";
    } else {
      s += std::to_string(cycle[f % 12]) + " ";
    }
  }
  return s;
}

struct Run {
  int status = -1;  // -1: ended by a signal
  long peak_kib = 0;
};

Run Render(int frames, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {TARSEL_RENDER, "--script", Script(frames)};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    // The sanitizer keeps freed memory in quarantine before reuse; a small one keeps the
    // peak a measure of the program rather than of the quarantine.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string options = std::string(asan ? asan : "") + ":quarantine_size_mb=16";
    setenv("ASAN_OPTIONS", options.c_str(), 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  Run r;
  int wstatus = 0;
  rusage usage{};
  if (wait4(pid, &wstatus, 0, &usage) != pid) return r;
  if (WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
  r.peak_kib = usage.ru_maxrss;
  return r;
}

// Ten times the frames may not cost more than a few MiB of peak memory more.
void ExpectFlatMemory(const std::vector<std::string>& extra) {
  const Run short_run = Render(500, extra);
  const Run long_run = Render(5000, extra);
  ASSERT_EQ(short_run.status, 0);
  ASSERT_EQ(long_run.status, 0);
  std::printf("peak memory: %ld KiB after 500 frames, %ld KiB after 5000\n", short_run.peak_kib,
              long_run.peak_kib);
  EXPECT_LE(long_run.peak_kib, short_run.peak_kib + 4096);
}

TEST(LongRun, FiveThousandFramesOfTheReplayKeepMemoryFlat) {
  ExpectFlatMemory({});
}

// The same with every line painted into a backing image (a small one: painting is the slow
// part, and the image does not change with the number of frames).
TEST(LongRun, FiveThousandPaintedFramesKeepMemoryFlat) {
  ExpectFlatMemory({"--png", testing::TempDir() + "long_run.png", "--size", "96x64"});
}

}  // namespace
