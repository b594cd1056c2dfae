// Tests of tarsel-render, the headless replay: its command line, the draw log it writes for a
// script of key presses and double-clicks, and the picture of the client area it leaves.
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QColor>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tools/frame_export.h"
#include "tools/replay.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARSEL_HAS_ASAN 1
#endif
#endif
#ifndef TARSEL_HAS_ASAN
#define TARSEL_HAS_ASAN 0
#endif

namespace tarsel {
namespace {

namespace fs = std::filesystem;

constexpr int kPistonSegments = 943;
constexpr std::uint32_t kPistonColour = 8438015;
constexpr std::uint32_t kGreen = 65280;
constexpr std::uint32_t kRed = 255;
constexpr std::uint32_t kOrange = 33023;
constexpr std::uint32_t kMagenta = 16711935;
// Frames drawn with plain keys only: k = 4.5, 4.75, ..., 20.
constexpr int kPlainFrames = 63;

// ------------------------------------------------------------------------------------------
// Running the program

struct Result {
  int status = -1;  // exit status; -1 when the process did not exit by itself
  int signal = 0;   // the signal that ended it, if one did
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (const char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int CountNewlines(const std::string& s) {
  return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

std::string Repeat(const std::string& token, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += (i ? " " : "") + token;
  return s;
}

class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tarsel-render-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  fs::path Path(const std::string& name) const { return dir_ / name; }

  // Runs tarsel-render with these arguments. stdout goes to `stdout_path` when given,
  // otherwise it is captured.
  Result Run(const std::vector<std::string>& args, const std::string& stdout_path = "") {
    const fs::path out = Path("stdout.txt");
    const fs::path err = Path("stderr.txt");
    std::string command = Quote(TARSEL_RENDER);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(stdout_path.empty() ? out.string() : stdout_path);
    command += " 2>" + Quote(err.string());
    return Finish(std::system(command.c_str()), out, err);
  }

  // The same inside a shell whose address space is limited to `kib` KiB, so that a failed
  // allocation shows up at once instead of exhausting the machine.
  Result RunLimited(long kib, const std::vector<std::string>& args) {
    const fs::path out = Path("stdout.txt");
    const fs::path err = Path("stderr.txt");
    std::string command = "ulimit -v " + std::to_string(kib) + " && " + Quote(TARSEL_RENDER);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    return Finish(std::system(command.c_str()), out, err);
  }

  // The draw log of a script; the run must succeed quietly.
  std::vector<std::string> Log(const std::string& script) {
    const fs::path log = Path("draw.log");
    const Result r = Run({"--script", script, "--log", log.string()});
    EXPECT_EQ(r.status, 0) << "script: " << script << "\nstderr: " << r.err;
    EXPECT_EQ(r.err, "") << "script: " << script;
    return SplitLines(ReadFile(log));
  }

  // The picture at the end of a script, with extra arguments.
  QImage Picture(const std::string& script, std::vector<std::string> extra = {}) {
    const fs::path png = Path("window.png");
    std::vector<std::string> args = {"--script", script, "--png", png.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    const Result r = Run(args);
    EXPECT_EQ(r.status, 0) << "stderr: " << r.err;
    return QImage(QString::fromStdString(png.string()));
  }

 private:
  static Result Finish(int raw, const fs::path& out, const fs::path& err) {
    Result r;
    if (raw != -1 && WIFEXITED(raw)) {
      r.status = WEXITSTATUS(raw);
    } else if (raw != -1 && WIFSIGNALED(raw)) {
      r.signal = WTERMSIG(raw);
    }
    r.out = ReadFile(out);
    r.err = ReadFile(err);
    // A shell reports a child killed by a signal as status 128 + signal.
    if (r.status > 128) r.signal = r.status - 128;
    return r;
  }

  fs::path dir_;
};

// Expects a rejected command line: status 2, no crash, exactly one line on stderr that
// contains `named`, and nothing on stdout.
void ExpectRejected(const Result& r, const std::string& named, const std::string& what) {
  EXPECT_EQ(r.signal, 0) << what << ": ended by signal";
  EXPECT_EQ(r.status, 2) << what << "\nstderr: " << r.err;
  EXPECT_EQ(CountNewlines(r.err), 1) << what << "\nstderr: " << r.err;
  EXPECT_TRUE(!r.err.empty() && r.err.back() == '\n') << what << "\nstderr: " << r.err;
  EXPECT_NE(r.err.find(named), std::string::npos)
      << what << ": stderr should name '" << named << "'\nstderr: " << r.err;
  EXPECT_EQ(r.out, "") << what;
}

// ------------------------------------------------------------------------------------------
// Reading a draw log

bool IsLine(const std::string& l) {
  return l.rfind("L ", 0) == 0;
}

std::uint32_t ColourOf(const std::string& l) {
  return static_cast<std::uint32_t>(std::stoul(l.substr(l.rfind(' ') + 1)));
}

long Count(const std::vector<std::string>& lines, const std::string& exact) {
  return std::count(lines.begin(), lines.end(), exact);
}

long CountColour(const std::vector<std::string>& lines, std::uint32_t colour) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return IsLine(l) && ColourOf(l) == colour; });
}

// Indices of the lines equal to `exact`.
std::vector<std::size_t> IndicesOf(const std::vector<std::string>& lines,
                                   const std::string& exact) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == exact) at.push_back(i);
  }
  return at;
}

// Index of the n-th (1-based) event-processing call at a table point.
std::optional<std::size_t> NthPointCall(const std::vector<std::string>& lines, long n) {
  long seen = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == "E" && ++seen == n) return i;
  }
  return std::nullopt;
}

std::vector<std::string> Slice(const std::vector<std::string>& lines, std::size_t from,
                               std::size_t to) {
  to = std::min(to, lines.size());
  from = std::min(from, to);
  return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from),
                                  lines.begin() + static_cast<std::ptrdiff_t>(to));
}

// The lines of each frame, from pass 1 up to and including the frame's `A` line. What the end
// of the previous frame logged (key, clear, piston curve) belongs to no frame.
std::vector<std::vector<std::string>> FramesOf(const std::vector<std::string>& lines) {
  std::vector<std::vector<std::string>> frames;
  std::size_t start = 0;
  for (const std::size_t a : IndicesOf(lines, "A")) {
    std::size_t first = start;
    if (!frames.empty()) {
      while (first < a && lines[first] != "E") ++first;
      // Back up over the first point of pass 1, which sets widths 3 and 1 before its call.
      first = first >= 2 ? first - 2 : 0;
    }
    frames.push_back(Slice(lines, first, a + 1));
    start = a + 1;
  }
  return frames;
}

// ------------------------------------------------------------------------------------------
// ParseScript

TEST(ParseScript, ReadsCodesDoubleClicksAndCallNumbers) {
  std::string error;
  const auto events = ParseScript("44 dbl 13@7 dbl@1000000 0 65535", &error);
  ASSERT_TRUE(events) << error;
  ASSERT_EQ(events->size(), 6u);
  EXPECT_FALSE((*events)[0].double_click);
  EXPECT_EQ((*events)[0].code, 44);
  EXPECT_EQ((*events)[0].at, 0);
  EXPECT_TRUE((*events)[1].double_click);
  EXPECT_EQ((*events)[1].at, 0);
  EXPECT_EQ((*events)[2].code, 13);
  EXPECT_EQ((*events)[2].at, 7);
  EXPECT_TRUE((*events)[3].double_click);
  EXPECT_EQ((*events)[3].at, 1000000);
  // The whole range of a 16-bit character code is a key.
  EXPECT_EQ((*events)[4].code, 0);
  EXPECT_EQ((*events)[5].code, 65535);
}

TEST(ParseScript, SpacesAndCommasSeparateAlike) {
  std::string error;
  const auto spaced = ParseScript("97 8@3 dbl", &error);
  ASSERT_TRUE(spaced) << error;
  for (const std::string text : {"97,8@3,dbl", " ,97,, 8@3 ,dbl, ", "97 ,8@3  dbl"}) {
    const auto other = ParseScript(text, &error);
    ASSERT_TRUE(other) << text << ": " << error;
    ASSERT_EQ(other->size(), spaced->size()) << text;
    for (std::size_t i = 0; i < spaced->size(); ++i) {
      EXPECT_EQ((*other)[i].code, (*spaced)[i].code) << text;
      EXPECT_EQ((*other)[i].at, (*spaced)[i].at) << text;
      EXPECT_EQ((*other)[i].double_click, (*spaced)[i].double_click) << text;
    }
  }
  for (const std::string empty : {"", " ", ",,", " , "}) {
    const auto none = ParseScript(empty, &error);
    ASSERT_TRUE(none) << "'" << empty << "': " << error;
    EXPECT_TRUE(none->empty()) << "'" << empty << "'";
  }
}

TEST(ParseScript, RejectsAMalformedTokenAndNamesIt) {
  for (const std::string token :
       {"abc", "12@", "12@0", "@3", "70000", "65536", "-5", "dbl@x", "+5", "1.5", "0x10", "DBL",
        "dbl12", "12@3@4", "12@-1", "12@+1", "@", "dbl@0", "12@99999999999999999999"}) {
    std::string error;
    EXPECT_FALSE(ParseScript(token, &error)) << token;
    EXPECT_NE(error.find("'" + token + "'"), std::string::npos)
        << token << ": error was '" << error << "'";
  }
}

TEST(ParseScript, NamesOnlyTheBadTokenOfALongerScript) {
  std::string error;
  EXPECT_FALSE(ParseScript("97 44@2,abc@3 13", &error));
  EXPECT_NE(error.find("'abc@3'"), std::string::npos) << error;
  EXPECT_EQ(error.find("13"), std::string::npos) << error;
  EXPECT_EQ(error.find("44"), std::string::npos) << error;
}

// ------------------------------------------------------------------------------------------
// Command-line errors

TEST_F(RenderTest, UnknownArgumentIsRejected) {
  ExpectRejected(Run({"--frobnicate"}), "--frobnicate", "unknown option");
  ExpectRejected(Run({"--log", Path("x.log").string(), "stray"}), "stray", "stray argument");
}

TEST_F(RenderTest, OptionWithoutValueIsRejected) {
  for (const std::string option : {"--script", "--log", "--png", "--size", "--scale"}) {
    ExpectRejected(Run({option}), option, option + " without a value");
  }
}

TEST_F(RenderTest, BadSizeIsRejected) {
  for (const std::string size :
       {"0x5", "5x0", "12", "5x", "x5", "axb", "", "5*5", "5x5x5", "-5x5", "5x5 ", "8193x5",
        "5x8193", "2147483648x5", "4294967297x5", "5x4294967297"}) {
    ExpectRejected(Run({"--size", size, "--png", Path("s.png").string()}), "'" + size + "'",
                   "--size " + size);
  }
}

TEST_F(RenderTest, BadScaleIsRejected) {
  for (const std::string scale : {"", "abc", "0", "0.5", "-1", "nan", "inf", "2x", "1e999"}) {
    ExpectRejected(Run({"--scale", scale, "--png", Path("s.png").string()}), "'" + scale + "'",
                   "--scale " + scale);
  }
}

TEST_F(RenderTest, MalformedScriptTokenIsRejectedAndNamed) {
  const fs::path log = Path("x.log");
  for (const std::string token : {"abc", "12@", "12@0", "@3", "70000", "-5", "dbl@x"}) {
    ExpectRejected(Run({"--script", "97 " + token + " 98", "--log", log.string()}),
                   "'" + token + "'", "token " + token);
  }
}

TEST_F(RenderTest, UnwritableOutputIsRejected) {
  ExpectRejected(Run({"--log", "/nonexistent/dir/x.log"}), "/nonexistent/dir/x.log",
                 "log in a missing directory");
  ExpectRejected(Run({"--png", "/nonexistent/dir/x.png"}), "/nonexistent/dir/x.png",
                 "png in a missing directory");
  // A directory cannot be written as a file.
  ExpectRejected(Run({"--png", Path("").string()}), Path("").string(), "png onto a directory");
  ExpectRejected(Run({"--log", Path("").string()}), Path("").string(), "log onto a directory");
}

TEST_F(RenderTest, LogOnAFullDeviceFailsCleanly) {
  ExpectRejected(Run({"--log", "/dev/full"}), "log", "log to /dev/full");
  ExpectRejected(Run({"--script", "97 97", "--log", "-"}, "/dev/full"), "log",
                 "log to a stdout on /dev/full");
}

TEST_F(RenderTest, PictureOnAFullDeviceFailsCleanly) {
  ExpectRejected(Run({"--png", "/dev/full"}), "/dev/full", "png to /dev/full");
}

TEST_F(RenderTest, PictureLargerThanTheImageCapIsRefusedWithOneLine) {
#if defined(__SANITIZE_ADDRESS__) || TARSEL_HAS_ASAN
  GTEST_SKIP() << "the address space limit conflicts with the sanitizer's shadow memory";
#else
  // Each value is within its own bounds, but the picture would be 65536 device pixels a side;
  // it is refused before anything is allocated (the address space limit proves it).
  const Result r = RunLimited(
      4L << 20, {"--size", "8192x8192", "--scale", "8", "--png", Path("big.png").string()});
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(CountNewlines(r.err), 1) << r.err;
#endif
}

// ------------------------------------------------------------------------------------------
// The draw log: the first frame and its form

TEST_F(RenderTest, WithoutScriptTheLogIsTheFirstFrameThenTheWait) {
  const std::vector<std::string> log = Log("");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "A");
  EXPECT_EQ(Count(log, "A"), 1);
  EXPECT_EQ(Count(log, "X"), 0);
  EXPECT_EQ(Count(log, "C"), 0) << "the first frame is drawn without a clear";
  // Pass 1 begins with widths 3 and 1 around its first point, which joins nothing.
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0], "W 3");
  EXPECT_EQ(log[1], "W 1");
  EXPECT_EQ(log[2], "E");
  // Both profile curves and one piston curve, between the two passes.
  EXPECT_EQ(CountColour(log, kGreen), 199);
  EXPECT_EQ(CountColour(log, kRed), 199);
  EXPECT_EQ(CountColour(log, kPistonColour), kPistonSegments);
  EXPECT_EQ(CountColour(log, kOrange), 0);
  EXPECT_EQ(CountColour(log, kMagenta), 0);
  std::size_t last_green = 0, first_red = log.size(), first_piston = log.size(), last_piston = 0;
  for (std::size_t i = 0; i < log.size(); ++i) {
    if (!IsLine(log[i])) continue;
    const std::uint32_t c = ColourOf(log[i]);
    if (c == kGreen) last_green = i;
    if (c == kRed) first_red = std::min(first_red, i);
    if (c == kPistonColour) {
      first_piston = std::min(first_piston, i);
      last_piston = i;
    }
  }
  EXPECT_LT(last_green, first_piston);
  EXPECT_LT(last_piston, first_red);
}

// 200 table-point calls in each of the three passes.
TEST_F(RenderTest, EachFrameMakesOneEventCallPerTablePoint) {
  constexpr long kPointCallsPerFrame = 600;
  const std::vector<std::string> log = Log("97 97");
  const auto frames = FramesOf(log);
  ASSERT_EQ(frames.size(), 3u);
  for (const auto& frame : frames) EXPECT_EQ(Count(frame, "E"), kPointCallsPerFrame);
  EXPECT_EQ(Count(log, "E"), 3 * kPointCallsPerFrame);
}

TEST_F(RenderTest, EveryLogLineHasAKnownForm) {
  // Two frames with the derivative curves on, so that every kind of line shows up.
  const std::vector<std::string> log = Log("8 97 27");
  const std::regex line(R"(L (\S+) (\S+) (\S+) (\S+) (\d+))");
  const std::regex width(R"(W [1-4])");
  const std::regex key(R"(K \d+)");
  long lines = 0;
  for (const std::string& l : log) {
    std::smatch m;
    if (std::regex_match(l, m, line)) {
      ++lines;
      // Each coordinate is a single-precision value printed with %.9g, which reads back
      // to the same text.
      for (int i = 1; i <= 4; ++i) {
        const std::string text = m[i].str();
        char* end = nullptr;
        const float v = std::strtof(text.c_str(), &end);
        ASSERT_EQ(*end, '\0') << l;
        char again[32];
        std::snprintf(again, sizeof again, "%.9g", static_cast<double>(v));
        EXPECT_EQ(text, again) << l;
      }
      const std::uint32_t c = ColourOf(l);
      EXPECT_TRUE(c == kGreen || c == kRed || c == kOrange || c == kMagenta || c == kPistonColour ||
                  c == 16711680 || c == 16744576 || c == 8421376 || c == 49344 || c == 7)
          << l;
      continue;
    }
    EXPECT_TRUE(std::regex_match(l, width) || std::regex_match(l, key) || l == "E" || l == "A" ||
                l == "C" || l == "X")
        << "'" << l << "'";
  }
  EXPECT_GT(lines, 0);
  EXPECT_GT(CountColour(log, kOrange), 0);
  EXPECT_GT(CountColour(log, kMagenta), 0);
}

TEST_F(RenderTest, LogToStdoutIsTheSameAsLogToFile) {
  const std::vector<std::string> file = Log("97 44@30 13");
  const Result r = Run({"--script", "97 44@30 13", "--log", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(SplitLines(r.out), file);
}

TEST_F(RenderTest, CommasAndSpacesSeparateTokensAlike) {
  const std::vector<std::string> spaced = Log("97 44@30 13 8");
  EXPECT_EQ(Log("97,44@30,13,8"), spaced);
  EXPECT_EQ(Log(" ,97,,44@30 , 13 ,8, "), spaced);
}

// ------------------------------------------------------------------------------------------
// The draw log: where keys are delivered

TEST_F(RenderTest, WaitKeysAreDeliveredAsTheWaitBegins) {
  const std::vector<std::string> log = Log("97 98");
  const std::vector<std::size_t> waits = IndicesOf(log, "A");
  ASSERT_EQ(waits.size(), 3u) << "two keys release two frames; the third wait has none";
  EXPECT_EQ(log.back(), "A");
  EXPECT_EQ(Count(log, "X"), 0);
  const char* keys[] = {"K 97", "K 98"};
  for (std::size_t w = 0; w < 2; ++w) {
    const std::size_t a = waits[w];
    ASSERT_LT(a + 2, log.size());
    EXPECT_EQ(log[a + 1], keys[w]);
    EXPECT_EQ(log[a + 2], "C");
    // Then the piston curve again, before pass 1 of the next frame.
    const auto tail = Slice(log, a + 3, a + 3 + 2 * kPistonSegments);
    EXPECT_EQ(CountColour(tail, kPistonColour), kPistonSegments);
    EXPECT_EQ(Count(tail, "W 3"), kPistonSegments);
    EXPECT_EQ(Count(tail, "E"), 0);
  }
  EXPECT_EQ(Count(log, "C"), 2);
}

TEST_F(RenderTest, PointKeyIsDeliveredRightAfterItsCall) {
  const std::vector<std::string> log = Log("97@5");
  const auto fifth = NthPointCall(log, 5);
  ASSERT_TRUE(fifth);
  ASSERT_LT(*fifth + 1, log.size());
  EXPECT_EQ(log[*fifth + 1], "K 97");
  EXPECT_EQ(Count(log, "K 97"), 1);
  // The key released the first wait, which took nothing; the second wait found no key.
  const std::vector<std::size_t> waits = IndicesOf(log, "A");
  ASSERT_EQ(waits.size(), 2u);
  EXPECT_EQ(log[waits[0] + 1], "C");
  EXPECT_EQ(log.back(), "A");
}

TEST_F(RenderTest, PointCallsAreCountedOverTheWholeRun) {
  const long per_frame = Count(Log(""), "E");
  ASSERT_GT(per_frame, 0);
  // Third point of the second frame, and first point of the third.
  const long second = per_frame + 3, third = 2 * per_frame + 1;
  const std::vector<std::string> log =
      Log("97@" + std::to_string(second) + " 98@" + std::to_string(third) + " 99");
  const auto waits = IndicesOf(log, "A");
  const auto at_second = NthPointCall(log, second);
  const auto at_third = NthPointCall(log, third);
  ASSERT_TRUE(at_second && at_third);
  ASSERT_EQ(waits.size(), 4u);
  EXPECT_GT(*at_second, waits[0]);
  EXPECT_LT(*at_second, waits[1]);
  EXPECT_EQ(log[*at_second + 1], "K 97");
  EXPECT_GT(*at_third, waits[1]);
  EXPECT_LT(*at_third, waits[2]);
  EXPECT_EQ(log[*at_third + 1], "K 98");
  // The first wait took the only wait key; each later frame had its own key already.
  EXPECT_EQ(log[waits[0] + 1], "K 99");
  EXPECT_EQ(log[waits[1] + 1], "C");
  EXPECT_EQ(log[waits[2] + 1], "C");
  EXPECT_EQ(log.back(), "A");
}

TEST_F(RenderTest, SeveralKeysAtOneCallKeepScriptOrder) {
  const std::vector<std::string> log = Log("97@5 44@3 98@5 99@5 100");
  const auto third = NthPointCall(log, 3);
  const auto fifth = NthPointCall(log, 5);
  ASSERT_TRUE(third && fifth);
  EXPECT_EQ(log[*third + 1], "K 44");
  EXPECT_EQ(log[*third + 2], "W 3") << "nothing else is delivered at the third call";
  EXPECT_EQ(Slice(log, *fifth, *fifth + 5),
            (std::vector<std::string>{"E", "K 97", "K 98", "K 99", "W 3"}));
  // Four keys leave kk at 0, so the wait takes the wait key.
  const auto waits = IndicesOf(log, "A");
  ASSERT_EQ(waits.size(), 2u);
  EXPECT_EQ(log[waits[0] + 1], "K 100");
}

TEST_F(RenderTest, ManyKeysAtTwoCallsKeepScriptOrder) {
  // Keys for calls 7 and 6 interleaved in the script, enough of them that a sort that does
  // not keep equal elements in place would show.
  std::string script;
  std::vector<std::string> at6, at7;
  for (int i = 0; i < 60; ++i) {
    const int code = 100 + i;
    const int at = i % 2 ? 6 : 7;
    script += std::to_string(code) + "@" + std::to_string(at) + " ";
    (at == 6 ? at6 : at7).push_back("K " + std::to_string(code));
  }
  const std::vector<std::string> log = Log(script);
  const auto sixth = NthPointCall(log, 6);
  const auto seventh = NthPointCall(log, 7);
  ASSERT_TRUE(sixth && seventh);
  EXPECT_EQ(Slice(log, *sixth + 1, *sixth + 1 + at6.size()), at6);
  EXPECT_EQ(Slice(log, *seventh + 1, *seventh + 1 + at7.size()), at7);
}

TEST_F(RenderTest, WaitKeyAfterOddPointKeysIsLeftForTheNextWait) {
  const std::vector<std::string> log = Log("97@10 98 99");
  const auto waits = IndicesOf(log, "A");
  ASSERT_EQ(waits.size(), 4u);
  EXPECT_EQ(log[waits[0] + 1], "C") << "kk was already 1: the first wait takes no key";
  EXPECT_EQ(log[waits[1] + 1], "K 98");
  EXPECT_EQ(log[waits[2] + 1], "K 99");
  EXPECT_EQ(log.back(), "A");
  EXPECT_EQ(Count(log, "X"), 0);

  // Three keys in one frame are odd again.
  const std::vector<std::string> three = Log("97@10 98@20 99@30 100");
  const auto three_waits = IndicesOf(three, "A");
  ASSERT_EQ(three_waits.size(), 3u);
  EXPECT_EQ(three[three_waits[0] + 1], "C");
  EXPECT_EQ(three[three_waits[1] + 1], "K 100");
}

TEST_F(RenderTest, TwoKeysDuringOneFrameNeedAThird) {
  const std::vector<std::string> log = Log("97@10 98@20 99");
  const auto waits = IndicesOf(log, "A");
  ASSERT_EQ(waits.size(), 2u);
  EXPECT_EQ(log[waits[0] + 1], "K 99");
  EXPECT_EQ(log.back(), "A");

  // All three keys act: two "," and a plain key take the next frame to 4.5 - 0.75 = 3.75,
  // so 1 + 66 frames are drawn up to k = 20.
  const std::vector<std::string> back = Log("44@10 44@20 " + Repeat("97", 80));
  EXPECT_EQ(Count(back, "A"), 67);
  EXPECT_EQ(back.back(), "X");
}

// ------------------------------------------------------------------------------------------
// The draw log: ending

TEST_F(RenderTest, EscapeAtAWaitClearsAndEnds) {
  const std::vector<std::string> first = Log("27 97 97");
  ASSERT_GE(first.size(), 4u);
  EXPECT_EQ(Slice(first, first.size() - 4, first.size()),
            (std::vector<std::string>{"A", "K 27", "C", "X"}));
  EXPECT_EQ(Count(first, "A"), 1);

  const std::vector<std::string> second = Log("97 27");
  ASSERT_GE(second.size(), 4u);
  EXPECT_EQ(Slice(second, second.size() - 4, second.size()),
            (std::vector<std::string>{"A", "K 27", "C", "X"}));
  EXPECT_EQ(Count(second, "A"), 2);
}

TEST_F(RenderTest, EscapeDuringDrawingStopsTheFrame) {
  const std::vector<std::string> log = Log("27@50 97 97");
  const auto fiftieth = NthPointCall(log, 50);
  ASSERT_TRUE(fiftieth);
  EXPECT_EQ(Slice(log, *fiftieth, log.size()), (std::vector<std::string>{"E", "K 27", "C", "X"}));
  EXPECT_EQ(Count(log, "E"), 50);
  EXPECT_EQ(Count(log, "A"), 0);
}

TEST_F(RenderTest, NothingIsDeliveredAfterEscapeAtTheSameCall) {
  const std::vector<std::string> before = Log("97@5 27@5 98@5 dbl@5 99@6");
  const auto fifth = NthPointCall(before, 5);
  ASSERT_TRUE(fifth);
  EXPECT_EQ(Slice(before, *fifth, before.size()),
            (std::vector<std::string>{"E", "K 97", "K 27", "C", "X"}));
}

TEST_F(RenderTest, DoubleClickEndsWithoutAClear) {
  const std::vector<std::string> at_wait = Log("dbl 97");
  ASSERT_GE(at_wait.size(), 3u);
  EXPECT_EQ(Slice(at_wait, at_wait.size() - 3, at_wait.size()),
            (std::vector<std::string>{"A", "D", "X"}));
  EXPECT_EQ(Count(at_wait, "C"), 0);

  const std::vector<std::string> drawing = Log("dbl@300 97@300 97");
  const auto at = NthPointCall(drawing, 300);
  ASSERT_TRUE(at);
  EXPECT_EQ(Slice(drawing, *at, drawing.size()), (std::vector<std::string>{"E", "D", "X"}));
  EXPECT_EQ(Count(drawing, "C"), 0);
}

TEST_F(RenderTest, PlainKeysDrawSixtyThreeFramesThenEnd) {
  const std::vector<std::string> log = Log(Repeat("97", kPlainFrames));
  EXPECT_EQ(Count(log, "A"), kPlainFrames);
  EXPECT_EQ(Count(log, "K 97"), kPlainFrames);
  EXPECT_EQ(Count(log, "C"), kPlainFrames);
  EXPECT_EQ(Count(log, "X"), 1);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "X");
  // The last frame ends like the others: key, clear, piston curve, then the end.
  const auto waits = IndicesOf(log, "A");
  EXPECT_EQ(log.size(), waits.back() + 3 + 2 * kPistonSegments + 1);

  // One key fewer leaves the program waiting after the frame for k = 20.
  const std::vector<std::string> short_of_it = Log(Repeat("97", kPlainFrames - 1));
  EXPECT_EQ(Count(short_of_it, "A"), kPlainFrames);
  EXPECT_EQ(short_of_it.back(), "A");
  EXPECT_EQ(Count(short_of_it, "X"), 0);

  // Keys left over when the program ends are not delivered.
  const std::vector<std::string> spare = Log(Repeat("97", kPlainFrames) + " 98 99@100000000");
  EXPECT_EQ(Count(spare, "K 98"), 0);
  EXPECT_EQ(Count(spare, "K 99"), 0);
  EXPECT_EQ(spare.back(), "X");
}

// ------------------------------------------------------------------------------------------
// The keys, seen through the number of frames drawn before k passes 20

struct KeyCase {
  int code;
  long frames;
};

TEST_F(RenderTest, KeyAtTheFirstFrameMovesTheNextOne) {
  // k = 4.5; the next frame and the frames that follow it up to 20.
  const KeyCase cases[] = {
      {44, 1 + 64},  // 4.25, below the first value
      {13, 1 + 62},  // 4.525
      {9, 1 + 63},   // 4.475
      {8, 1 + 63},   // 4.5 again
      {32, 1 + 63},  // 4.5 again
      {47, 1 + 63},  // 4.5 again
      {97, 1 + 62},  // 4.75
      {60, 1 + 62},  // "<" has no action of its own
      {63, 1 + 62},  // "?" has no action of its own
  };
  for (const KeyCase& c : cases) {
    const std::vector<std::string> log =
        Log(std::to_string(c.code) + " " + Repeat("97", kPlainFrames + 5));
    EXPECT_EQ(Count(log, "A"), c.frames) << "key " << c.code;
    EXPECT_EQ(log.back(), "X") << "key " << c.code;
  }
}

TEST_F(RenderTest, KeyAtTheLastFrameDecidesWhetherItEnds) {
  // Plain keys up to the frame for k = 20, then the key under test, then plain keys.
  const KeyCase cases[] = {
      {97, kPlainFrames},                 // 20.25: ends
      {13, kPlainFrames},                 // 20.025: ends
      {60, kPlainFrames},                 // 20.25: ends
      {9, kPlainFrames + 1},              // 19.975
      {44, kPlainFrames + 2},             // 19.75, then 20
      {8, kPlainFrames + 1},              // 20 again
      {47, kPlainFrames + 1},             // 20 again
      {32, kPlainFrames + kPlainFrames},  // back to 4.5 and all the way again
  };
  for (const KeyCase& c : cases) {
    const std::vector<std::string> log =
        Log(Repeat("97", kPlainFrames - 1) + " " + std::to_string(c.code) + " " +
            Repeat("97", kPlainFrames + 5));
    EXPECT_EQ(Count(log, "A"), c.frames) << "key " << c.code;
    EXPECT_EQ(log.back(), "X") << "key " << c.code;
  }
}

TEST_F(RenderTest, PointKeysOfOneFrameAddUp) {
  // Space sets k outright, cancelling the "," before it; the "," after it still counts:
  // 4.5 - 0.25 - 0.5 + 0.25 = 4.0, and 1 + 65 frames up to 20.
  const std::vector<std::string> log = Log("44@3 32@4 44@5 " + Repeat("97", 80));
  EXPECT_EQ(Count(log, "A"), 1 + 65);
  EXPECT_EQ(log.back(), "X");
}

// ------------------------------------------------------------------------------------------
// The display switches

TEST_F(RenderTest, SlashStopsAndRestartsTheClearBetweenFrames) {
  const std::vector<std::string> log = Log("47 97 47 97");
  const auto waits = IndicesOf(log, "A");
  ASSERT_EQ(waits.size(), 5u);
  EXPECT_EQ(log[waits[0] + 1], "K 47");
  EXPECT_EQ(log[waits[0] + 2], "W 3") << "frames accumulate: the piston curve follows at once";
  EXPECT_EQ(log[waits[1] + 1], "K 97");
  EXPECT_EQ(log[waits[1] + 2], "W 3");
  EXPECT_EQ(log[waits[2] + 1], "K 47");
  EXPECT_EQ(log[waits[2] + 2], "C");
  EXPECT_EQ(log[waits[3] + 1], "K 97");
  EXPECT_EQ(log[waits[3] + 2], "C");
  EXPECT_EQ(Count(log, "C"), 2);
}

TEST_F(RenderTest, BackSpaceSwitchesTheDerivativeCurves) {
  const auto frames = FramesOf(Log("8 97 8 97"));
  ASSERT_EQ(frames.size(), 5u);
  const bool on[] = {false, true, true, false, false};
  for (std::size_t f = 0; f < frames.size(); ++f) {
    EXPECT_EQ(CountColour(frames[f], kOrange) > 0, on[f]) << "frame " << f;
    EXPECT_EQ(CountColour(frames[f], kMagenta) > 0, on[f]) << "frame " << f;
    EXPECT_EQ(CountColour(frames[f], kRed), 199) << "frame " << f;
  }
}

TEST_F(RenderTest, BackSpaceInPassTwoActsFromTheNextPoint) {
  // Pass 1 makes its calls before the first piston segment; pass 2 the rest.
  const std::vector<std::string> plain = Log("");
  const auto piston = std::find_if(plain.begin(), plain.end(), [](const std::string& l) {
    return IsLine(l) && ColourOf(l) == kPistonColour;
  });
  const long pass1 = std::count(plain.begin(), piston, "E");
  ASSERT_GT(pass1, 0);
  const long at = pass1 + 50;
  const std::vector<std::string> log = Log("8@" + std::to_string(at));
  const auto call = NthPointCall(log, at);
  ASSERT_TRUE(call);
  const auto wait = IndicesOf(log, "A");
  ASSERT_FALSE(wait.empty());
  const auto before = Slice(log, 0, *call);
  const auto after = Slice(log, *call, wait.front());
  EXPECT_EQ(CountColour(before, kOrange), 0);
  EXPECT_EQ(CountColour(before, kMagenta), 0);
  EXPECT_GT(CountColour(after, kOrange), 0);
  EXPECT_GT(CountColour(after, kMagenta), 0);
  // The first line after the key is the red segment of the next point, with its curves.
  std::vector<std::uint32_t> colours;
  for (const std::string& l : after) {
    if (IsLine(l)) colours.push_back(ColourOf(l));
    if (colours.size() == 3) break;
  }
  EXPECT_EQ(colours, (std::vector<std::uint32_t>{kRed, kOrange, kMagenta}));
}

// ------------------------------------------------------------------------------------------
// The picture

bool AllWhite(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != qRgb(255, 255, 255)) return false;
    }
  }
  return true;
}

long CountPixels(const QImage& image, QRgb colour) {
  long n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == colour;
  }
  return n;
}

TEST_F(RenderTest, SizeAndScaleSetThePictureSize) {
  struct Case {
    std::vector<std::string> args;
    int width, height;
  };
  const Case cases[] = {
      {{}, 962, 688},
      {{"--size", "300x200"}, 300, 200},
      {{"--size", "1x1"}, 1, 1},
      {{"--scale", "2"}, 1924, 1376},
      {{"--size", "300x200", "--scale", "1.5"}, 450, 300},
      {{"--size", "100x60", "--scale", "1.25"}, 125, 75},
  };
  for (const Case& c : cases) {
    const QImage image = Picture("", c.args);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), c.width) << ::testing::PrintToString(c.args);
    EXPECT_EQ(image.height(), c.height) << ::testing::PrintToString(c.args);
  }
}

TEST_F(RenderTest, FirstFrameIsOnThePicture) {
  const QImage image = Picture("");
  ASSERT_FALSE(image.isNull());
  EXPECT_FALSE(AllWhite(image));
  EXPECT_GT(CountPixels(image, qRgb(0, 255, 0) & 0xFFFFFF), 0) << "green profile";
  // At the first k the linkage re-times the green profile onto the red one, so the blue trace
  // covers the red curve; a few frames on they part.
  EXPECT_GT(CountPixels(image, qRgb(0, 0, 255) & 0xFFFFFF), 0) << "blue trace";
  EXPECT_GT(CountPixels(Picture("97 97 97 97"), qRgb(255, 0, 0) & 0xFFFFFF), 0) << "red profile";
  EXPECT_GT(CountPixels(image, qRgb(255, 192, 128) & 0xFFFFFF), 0) << "piston curve";
}

TEST_F(RenderTest, EscapeLeavesAWhitePicture) {
  const QImage at_wait = Picture("27");
  ASSERT_FALSE(at_wait.isNull());
  EXPECT_TRUE(AllWhite(at_wait));
  const QImage drawing = Picture("27@300", {"--scale", "2"});
  ASSERT_FALSE(drawing.isNull());
  EXPECT_TRUE(AllWhite(drawing));
}

TEST_F(RenderTest, DoubleClickLeavesThePictureAsDrawn) {
  const QImage image = Picture("dbl@300");
  ASSERT_FALSE(image.isNull());
  EXPECT_FALSE(AllWhite(image));
  EXPECT_GT(CountPixels(image, qRgb(0, 255, 0) & 0xFFFFFF), 0);
}

TEST_F(RenderTest, PictureAndLogTogetherMatchEachAlone) {
  const std::vector<std::string> alone = Log("97 44@30");
  const QImage picture = Picture("97 44@30");
  const fs::path log = Path("both.log"), png = Path("both.png");
  const Result r = Run({"--script", "97 44@30", "--log", log.string(), "--png", png.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(SplitLines(ReadFile(log)), alone);
  const QImage both(QString::fromStdString(png.string()));
  ASSERT_FALSE(both.isNull());
  EXPECT_EQ(both.convertToFormat(QImage::Format_RGB32),
            picture.convertToFormat(QImage::Format_RGB32));
}

// ------------------------------------------------------------------------------------------
// Frames and the animated GIF

QImage Rgb32(const QImage& image) {
  return image.convertToFormat(QImage::Format_RGB32);
}

// A picture of `n` different colours, one pixel each, then white; the first colours are the
// ones to keep.
QImage Swatches(int n, int width) {
  QImage image(width, (n + width - 1) / width + 1, QImage::Format_RGB32);
  image.fill(qRgb(255, 255, 255));
  for (int i = 0; i < n; ++i) {
    image.setPixel(i % width, i / width, qRgb(i * 37 % 256, i * 11 % 256, i / 3 % 256));
  }
  return image;
}

TEST(ToIndexed, KeepsASmallPaletteExactlyAndMapsALargeOneToTheNearest) {
  for (const int n : {1, 200, 255, 300, 2000}) {
    const QImage image = Swatches(n, 50);
    const std::vector<QRgb> keep = {image.pixel(0, 0) & 0xFFFFFF, image.pixel(7, 0) & 0xFFFFFF,
                                    0xFFFFFF};
    const Indexed indexed = ToIndexed(image, image.rect(), keep);
    ASSERT_LE(indexed.colours.size(), 256u);
    ASSERT_EQ(indexed.pixels.size(), static_cast<std::size_t>(image.width() * image.height()));
    EXPECT_EQ(indexed.exact, n < 256) << n;  // n swatch colours and white
    std::size_t i = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x, ++i) {
        const QRgb want = image.pixel(x, y) & 0xFFFFFF;
        const QRgb got = indexed.colours.at(indexed.pixels[i]);
        const bool kept = std::find(keep.begin(), keep.end(), want) != keep.end();
        if (indexed.exact || kept) {
          ASSERT_EQ(got, want) << n << " colours, pixel " << x << "," << y;
          continue;
        }
        const auto dist = [&](QRgb a) {
          const int r = qRed(a) - qRed(want), g = qGreen(a) - qGreen(want),
                    b = qBlue(a) - qBlue(want);
          return r * r + g * g + b * b;
        };
        for (const QRgb c : indexed.colours) {
          ASSERT_LE(dist(got), dist(c)) << n << " colours: not the nearest at " << x << "," << y;
        }
      }
    }
  }
}

// The frames of a GIF as the viewer shows them, each drawn over the one before, with the
// delay and whether the file asks to loop.
struct DecodedGif {
  std::vector<QImage> frames;
  std::vector<int> delays_cs;
  bool loops = false;
};

std::optional<DecodedGif> DecodeGif(const fs::path& path) {
  int error = 0;
  GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
  if (!gif) return std::nullopt;
  if (DGifSlurp(gif) == GIF_ERROR) {
    DGifCloseFile(gif, &error);
    return std::nullopt;
  }
  DecodedGif out;
  QImage screen(gif->SWidth, gif->SHeight, QImage::Format_RGB32);
  screen.fill(qRgb(0, 0, 0));
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    const GifImageDesc& d = image.ImageDesc;
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    for (int y = 0; y < d.Height && map; ++y) {
      for (int x = 0; x < d.Width; ++x) {
        const GifColorType c = map->Colors[image.RasterBits[y * d.Width + x]];
        screen.setPixel(d.Left + x, d.Top + y, qRgb(c.Red, c.Green, c.Blue));
      }
    }
    out.frames.push_back(screen.copy());
    GraphicsControlBlock control;
    out.delays_cs.push_back(DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK ? control.DelayTime
                                                                                : -1);
    for (int e = 0; e < image.ExtensionBlockCount; ++e) {
      const ExtensionBlock& b = image.ExtensionBlocks[e];
      if (b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
          std::string(reinterpret_cast<const char*>(b.Bytes), 11) == "NETSCAPE2.0") {
        out.loops = true;
      }
    }
  }
  DGifCloseFile(gif, &error);
  return out;
}

TEST_F(RenderTest, FramesAreTheClientAreaAtEachWait) {
  const fs::path dir = Path("frames/sub");
  const Result r = Run({"--script", "97 8 97", "--frames", dir.string(), "--size", "481x344"});
  ASSERT_EQ(r.status, 0) << r.err;
  // The run stops at the fourth wait, so the last frame is the picture at the end.
  EXPECT_EQ(Rgb32(QImage(QString::fromStdString((dir / "frame-004.png").string()))),
            Rgb32(Picture("97 8 97", {"--size", "481x344"})));
  EXPECT_EQ(Rgb32(QImage(QString::fromStdString((dir / "frame-002.png").string()))),
            Rgb32(Picture("97", {"--size", "481x344"})));
  EXPECT_FALSE(fs::exists(dir / "frame-005.png"));

  // A second export does not overwrite the first unless told to; with --force, the frames
  // left over from the longer first export go.
  ExpectRejected(Run({"--script", "97", "--frames", dir.string()}), "--force", "no --force");
  EXPECT_TRUE(fs::exists(dir / "frame-004.png"));
  std::ofstream(dir / "notes.txt") << "mine";
  ASSERT_EQ(Run({"--script", "97", "--frames", dir.string(), "--force", "--size", "50x40"}).status,
            0);
  EXPECT_EQ(QImage(QString::fromStdString((dir / "frame-002.png").string())).size(), QSize(50, 40));
  EXPECT_FALSE(fs::exists(dir / "frame-003.png"));
  EXPECT_TRUE(fs::exists(dir / "notes.txt"));
}

TEST_F(RenderTest, GifHoldsTheFramesLoopingWithTheirDelay) {
  const Result r = Run({"--script", "97 8 97", "--gif", Path("sweep.gif").string(), "--frames",
                        Path("png").string(), "--delay", "50"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto gif = DecodeGif(Path("sweep.gif"));
  ASSERT_TRUE(gif);
  EXPECT_TRUE(gif->loops);
  ASSERT_EQ(gif->frames.size(), 4u);
  EXPECT_EQ(gif->delays_cs, std::vector<int>(4, 5));
  // Antialiasing gives each frame more than 256 colours: the drawing colours survive exactly,
  // and the blends come close.
  const std::vector<QRgb> pure = {0xFFFFFF, 0x070000, 0x00FF00, 0xFF0000, 0x0000FF, 0xC0C000,
                                  0xFF8000, 0xFF00FF, 0x8080FF, 0x008080, 0xFFC080};
  for (std::size_t f = 0; f < gif->frames.size(); ++f) {
    char name[48];
    std::snprintf(name, sizeof name, "png/frame-%03d.png", static_cast<int>(f) + 1);
    const QImage png = Rgb32(QImage(QString::fromStdString(Path(name).string())));
    ASSERT_EQ(png.size(), gif->frames[f].size()) << name;
    long pure_pixels = 0;
    for (int y = 0; y < png.height(); ++y) {
      for (int x = 0; x < png.width(); ++x) {
        const QRgb want = png.pixel(x, y) & 0xFFFFFF, got = gif->frames[f].pixel(x, y) & 0xFFFFFF;
        if (std::find(pure.begin(), pure.end(), want) != pure.end()) {
          ++pure_pixels;
          ASSERT_EQ(got, want) << name << " at " << x << "," << y;
        }
        for (const int shift : {0, 8, 16}) {
          ASSERT_LE(std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)), 64)
              << name << " at " << x << "," << y;
        }
      }
    }
    EXPECT_GT(pure_pixels, png.width() * png.height() / 2) << name;
  }
}

TEST_F(RenderTest, GifOfARunEndedBeforeItsFirstWaitHoldsTheLastPicture) {
  ASSERT_EQ(Run({"--script", "dbl@50", "--gif", Path("one.gif").string()}).status, 0);
  const auto gif = DecodeGif(Path("one.gif"));
  ASSERT_TRUE(gif);
  ASSERT_EQ(gif->frames.size(), 1u);
  EXPECT_EQ(gif->frames[0], Rgb32(Picture("dbl@50")));  // 226 colours: exact
}

TEST_F(RenderTest, ExportErrorsAreRejectedWithOneLine) {
  std::ofstream(Path("file")) << "x";
  const std::string file = Path("file").string();
  const struct {
    std::vector<std::string> args;
    std::string named;
  } cases[] = {
      {{"--frames"}, "--frames"},
      {{"--gif"}, "--gif"},
      {{"--delay"}, "--delay"},
      {{"--frames", ""}, "--frames"},
      {{"--frames", file}, file},
      {{"--frames", file + "/sub"}, file},
      {{"--gif", "/nonexistent/dir/x.gif"}, "/nonexistent/dir/x.gif"},
      {{"--gif", "/dev/full", "--script", "97"}, "/dev/full"},
      {{"--frames", "/dev/full"}, "/dev/full"},
  };
  for (const auto& c : cases) ExpectRejected(Run(c.args), c.named, c.args[0] + " " + c.named);
  for (const std::string delay : {"0", "9", "655351", "-10", "1.5", "", "20ms"}) {
    ExpectRejected(Run({"--gif", Path("d.gif").string(), "--delay", delay}), "'" + delay + "'",
                   "--delay " + delay);
  }
}

TEST_F(RenderTest, HelpAndVersion) {
  const Result help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const std::string option : {"--frames", "--force", "--gif", "--delay", "--version"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const Result version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(version.out, std::regex("tarsel-render [0-9]+(\\.[0-9]+)+\n")))
      << version.out;
}

}  // namespace
}  // namespace tarsel
