#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

// Running tarsel-render as a child process, the way a user does, and reading back what it
// wrote: for the tests of the tools.
namespace tarsel::testing {

using Lines = std::vector<std::string>;

// Frames drawn with plain keys only: k = 4.5, 4.75, ..., 20.
inline constexpr int kPlainFrames = 63;
// 200 table-point calls in each of the three passes.
inline constexpr long kPointCallsPerFrame = 600;

// How a run of tarsel-render ended and what it printed.
struct Result {
  int status = -1;  // -1 when the process did not exit by itself
  int signal = 0;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::filesystem::path& path);
Lines SplitLines(const std::string& text);
// `token` `times` times, separated by spaces.
std::string Repeat(const std::string& token, int times);
// A picture file as 0xFFRRGGBB pixels; a null image when it cannot be read.
QImage Rgb32(const std::filesystem::path& picture);

// Expects a rejected command line: status 2, no crash, exactly one line on stderr that
// contains `named`, and nothing on stdout.
void ExpectRejected(const Result& r, const std::string& named, const std::string& what);

// A fresh temporary directory per test, and tarsel-render run inside it.
class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path Path(const std::string& name) const { return dir_ / name; }

  // Runs tarsel-render through the shell, after `shell_prefix` (such as a ulimit). stdout goes
  // to `stdout_path` when given, otherwise it is captured.
  Result Run(const Lines& args, const std::string& stdout_path = "",
             const std::string& shell_prefix = "");
  // The draw log of a script; the run must succeed quietly.
  Lines Log(const std::string& script);
  // The picture at the end of a script, with extra arguments.
  QImage Picture(const std::string& script, Lines extra = {});

 private:
  std::filesystem::path dir_;
};

}  // namespace tarsel::testing
