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
#include "input/replay.h"

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
// 200 table-point calls in each of the three passes.
constexpr long kPointCallsPerFrame = 600;

using Lines = std::vector<std::string>;

struct Result {
  int status = -1;  // -1 when the process did not exit by itself
  int signal = 0;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (const char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Repeat(const std::string& token, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += (i ? " " : "") + token;
  return s;
}

QImage Rgb32(const fs::path& png) {
  return QImage(QString::fromStdString(png.string())).convertToFormat(QImage::Format_RGB32);
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

  // Runs tarsel-render through the shell, after `shell_prefix` (such as a ulimit). stdout goes
  // to `stdout_path` when given, otherwise it is captured.
  Result Run(const Lines& args, const std::string& stdout_path = "",
             const std::string& shell_prefix = "") {
    const fs::path out = Path("stdout.txt"), err = Path("stderr.txt");
    std::string command = shell_prefix + Quote(TARSEL_RENDER);
    for (const std::string& a : args) command += " " + Quote(a);
    command += " >" + Quote(stdout_path.empty() ? out.string() : stdout_path);
    command += " 2>" + Quote(err.string());
    const int raw = std::system(command.c_str());
    Result r;
    if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    if (raw != -1 && WIFSIGNALED(raw)) r.signal = WTERMSIG(raw);
    // A shell reports a child killed by a signal as status 128 + signal.
    if (r.status > 128) r.signal = r.status - 128;
    r.out = ReadFile(out);
    r.err = ReadFile(err);
    return r;
  }

  // The draw log of a script; the run must succeed quietly.
  Lines Log(const std::string& script) {
    const fs::path log = Path("draw.log");
    const Result r = Run({"--script", script, "--log", log.string()});
    EXPECT_EQ(r.status, 0) << "script: " << script << "\nstderr: " << r.err;
    EXPECT_EQ(r.err, "") << "script: " << script;
    return SplitLines(ReadFile(log));
  }

  // The picture at the end of a script, with extra arguments.
  QImage Picture(const std::string& script, Lines extra = {}) {
    const fs::path png = Path("window.png");
    Lines args = {"--script", script, "--png", png.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    const Result r = Run(args);
    EXPECT_EQ(r.status, 0) << "stderr: " << r.err;
    return Rgb32(png);
  }

 private:
  fs::path dir_;
};

// Expects a rejected command line: status 2, no crash, exactly one line on stderr that
// contains `named`, and nothing on stdout.
void ExpectRejected(const Result& r, const std::string& named, const std::string& what) {
  EXPECT_EQ(r.signal, 0) << what << ": ended by signal";
  EXPECT_EQ(r.status, 2) << what << "\nstderr: " << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << what << "\nstderr: " << r.err;
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

long Count(const Lines& lines, const std::string& exact) {
  return std::count(lines.begin(), lines.end(), exact);
}

long CountColour(const Lines& lines, std::uint32_t colour) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return IsLine(l) && ColourOf(l) == colour; });
}

std::vector<std::size_t> IndicesOf(const Lines& lines, const std::string& exact) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == exact) at.push_back(i);
  }
  return at;
}

// Index of the n-th (1-based) line equal to `exact`; with "E", of the n-th event-processing
// call at a table point.
std::optional<std::size_t> Nth(const Lines& lines, const std::string& exact, long n) {
  const auto at = IndicesOf(lines, exact);
  if (n < 1 || n > static_cast<long>(at.size())) return std::nullopt;
  return at[static_cast<std::size_t>(n - 1)];
}

Lines Slice(const Lines& lines, std::size_t from, std::size_t to) {
  to = std::min(to, lines.size());
  from = std::min(from, to);
  return Lines(lines.begin() + static_cast<std::ptrdiff_t>(from),
               lines.begin() + static_cast<std::ptrdiff_t>(to));
}

// The lines of each frame, from pass 1 up to and including the frame's `A` line. What the end
// of the previous frame logged (key, clear, piston curve) belongs to no frame.
std::vector<Lines> FramesOf(const Lines& lines) {
  std::vector<Lines> frames;
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

// The log with each run of drawing (L, W) and point-call (E) lines folded into one ".", so
// that waits, keys, clears and the end read as a short sequence.
std::string Events(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines) {
    const bool drawing = IsLine(l) || l == "E" || l.rfind("W ", 0) == 0;
    if (drawing && !s.empty() && s.back() == '.') continue;
    s += (s.empty() ? "" : ",") + (drawing ? std::string(".") : l);
  }
  return s;
}

// ------------------------------------------------------------------------------------------
// ParseScript

// The events of a parse as "CODE@AT" or "dbl@AT", or the error.
std::string Describe(const std::string& text) {
  std::string error, s;
  const auto events = ParseScript(text, &error);
  if (!events) return "error: " + error;
  for (const ScriptEvent& e : *events) {
    s += (s.empty() ? "" : " ") + (e.double_click ? "dbl" : std::to_string(e.code)) + "@" +
         std::to_string(e.at);
  }
  return s;
}

TEST(ParseScript, ReadsCodesDoubleClicksAndCallNumbers) {
  // The whole range of a 16-bit character code is a key.
  EXPECT_EQ(Describe("44 dbl 13@7 dbl@1000000 0 65535"), "44@0 dbl@0 13@7 dbl@1000000 0@0 65535@0");
}

TEST(ParseScript, SpacesAndCommasSeparateAlike) {
  for (const std::string text : {"97 8@3 dbl", "97,8@3,dbl", " ,97,, 8@3 ,dbl, ", "97 ,8@3  dbl"}) {
    EXPECT_EQ(Describe(text), "97@0 8@3 dbl@0") << text;
  }
  for (const std::string empty : {"", " ", ",,", " , "}) {
    EXPECT_EQ(Describe(empty), "") << "'" << empty << "'";
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
  std::string error;
  EXPECT_FALSE(ParseScript("97 44@2,abc@3 13", &error));
  EXPECT_NE(error.find("'abc@3'"), std::string::npos) << error;
  EXPECT_EQ(error.find("13"), std::string::npos) << error;
  EXPECT_EQ(error.find("44"), std::string::npos) << error;
}

// ------------------------------------------------------------------------------------------
// Command-line errors and failed writes

TEST_F(RenderTest, BadArgumentsAndFailedWritesAreRejectedWithOneLine) {
  std::ofstream(Path("file")) << "x";
  const std::string file = Path("file").string(), dir = Path("").string();
  struct Case {
    Lines args;
    std::string named;
    std::string stdout_path = "";
  };
  std::vector<Case> cases = {
      {{"--frobnicate"}, "--frobnicate"},
      {{"--log", Path("x.log").string(), "stray"}, "stray"},
      {{"--log", "/nonexistent/dir/x.log"}, "/nonexistent/dir/x.log"},
      {{"--png", "/nonexistent/dir/x.png"}, "/nonexistent/dir/x.png"},
      {{"--gif", "/nonexistent/dir/x.gif"}, "/nonexistent/dir/x.gif"},
      // A directory cannot be written as a file, nor a file used as a directory.
      {{"--png", dir}, dir},
      {{"--log", dir}, dir},
      {{"--frames", file}, file},
      {{"--frames", file + "/sub"}, file},
      {{"--frames", ""}, "--frames"},
      {{"--log", "/dev/full"}, "log"},
      {{"--script", "97 97", "--log", "-"}, "log", "/dev/full"},
      {{"--png", "/dev/full"}, "/dev/full"},
      {{"--gif", "/dev/full", "--script", "97"}, "/dev/full"},
      {{"--frames", "/dev/full"}, "/dev/full"},
  };
  for (const std::string option :
       {"--script", "--log", "--png", "--size", "--scale", "--frames", "--gif", "--delay"}) {
    cases.push_back({{option}, option});
  }
  for (const std::string size :
       {"0x5", "5x0", "12", "5x", "x5", "axb", "", "5*5", "5x5x5", "-5x5", "5x5 ", "8193x5",
        "5x8193", "2147483648x5", "4294967297x5", "5x4294967297"}) {
    cases.push_back({{"--size", size, "--png", Path("s.png").string()}, "'" + size + "'"});
  }
  for (const std::string scale : {"", "abc", "0", "0.5", "-1", "nan", "inf", "2x", "1e999"}) {
    cases.push_back({{"--scale", scale, "--png", Path("s.png").string()}, "'" + scale + "'"});
  }
  for (const std::string token : {"abc", "12@", "12@0", "@3", "70000", "-5", "dbl@x"}) {
    cases.push_back(
        {{"--script", "97 " + token + " 98", "--log", Path("x.log").string()}, "'" + token + "'"});
  }
  for (const std::string delay : {"0", "9", "655351", "-10", "1.5", "", "20ms"}) {
    cases.push_back({{"--gif", Path("d.gif").string(), "--delay", delay}, "'" + delay + "'"});
  }
  for (const Case& c : cases) {
    ExpectRejected(Run(c.args, c.stdout_path), c.named,
                   ::testing::PrintToString(c.args) + " >" + c.stdout_path);
  }
}

TEST_F(RenderTest, PictureLargerThanTheImageCapIsRefusedWithOneLine) {
#if defined(__SANITIZE_ADDRESS__) || TARSEL_HAS_ASAN
  GTEST_SKIP() << "the address space limit conflicts with the sanitizer's shadow memory";
#else
  // Each value is within its own bounds, but the picture would be 65536 device pixels a side;
  // it is refused before anything is allocated (the address space limit proves it).
  const Result r = Run({"--size", "8192x8192", "--scale", "8", "--png", Path("big.png").string()},
                       "", "ulimit -v " + std::to_string(4L << 20) + " && ");
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
#endif
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

// ------------------------------------------------------------------------------------------
// The draw log: the first frame and its form

TEST_F(RenderTest, WithoutScriptTheLogIsTheFirstFrameThenTheWait) {
  const Lines log = Log("");
  // The first frame is drawn without a clear. Pass 1 begins with widths 3 and 1 around its
  // first point, which joins nothing.
  EXPECT_EQ(Events(log), ".,A");
  EXPECT_EQ(Slice(log, 0, 3), (Lines{"W 3", "W 1", "E"}));
  // Both profile curves and one piston curve, between the two passes.
  for (const auto& [colour, n] : {std::pair<std::uint32_t, long>{kGreen, 199},
                                  {kRed, 199},
                                  {kPistonColour, kPistonSegments},
                                  {kOrange, 0},
                                  {kMagenta, 0}}) {
    EXPECT_EQ(CountColour(log, colour), n) << colour;
  }
  std::vector<std::uint32_t> order;
  for (const std::string& l : log) {
    const std::uint32_t c = IsLine(l) ? ColourOf(l) : 0;
    if ((c == kGreen || c == kRed || c == kPistonColour) && (order.empty() || order.back() != c)) {
      order.push_back(c);
    }
  }
  EXPECT_EQ(order, (std::vector<std::uint32_t>{kGreen, kPistonColour, kRed}));
}

TEST_F(RenderTest, EachFrameMakesOneEventCallPerTablePoint) {
  const Lines log = Log("97 97");
  const auto frames = FramesOf(log);
  ASSERT_EQ(frames.size(), 3u);
  for (const auto& frame : frames) EXPECT_EQ(Count(frame, "E"), kPointCallsPerFrame);
  EXPECT_EQ(Count(log, "E"), 3 * kPointCallsPerFrame);
}

TEST_F(RenderTest, EveryLogLineHasAKnownForm) {
  // Two frames with the derivative curves on, so that every kind of line shows up.
  const Lines log = Log("8 97 27");
  const std::regex line(R"(L (\S+) (\S+) (\S+) (\S+) (\d+))"), other(R"(W [1-4]|K \d+|[EACX])");
  const std::vector<std::uint32_t> colours = {kGreen,   kRed,     kOrange, kMagenta, kPistonColour,
                                              16711680, 16744576, 8421376, 49344,    7};
  long lines = 0;
  for (const std::string& l : log) {
    std::smatch m;
    if (!std::regex_match(l, m, line)) {
      EXPECT_TRUE(std::regex_match(l, other)) << "'" << l << "'";
      continue;
    }
    ++lines;
    // Each coordinate is a single-precision value printed with %.9g, which reads back to the
    // same text.
    for (int i = 1; i <= 4; ++i) {
      const std::string text = m[i].str();
      char* end = nullptr;
      const float v = std::strtof(text.c_str(), &end);
      ASSERT_EQ(*end, '\0') << l;
      char again[32];
      std::snprintf(again, sizeof again, "%.9g", static_cast<double>(v));
      EXPECT_EQ(text, again) << l;
    }
    EXPECT_NE(std::find(colours.begin(), colours.end(), ColourOf(l)), colours.end()) << l;
  }
  EXPECT_GT(lines, 0);
  EXPECT_GT(CountColour(log, kOrange), 0);
  EXPECT_GT(CountColour(log, kMagenta), 0);
}

TEST_F(RenderTest, LogToStdoutAndSeparatorsGiveTheSameLog) {
  const Result r = Run({"--script", "97 44@30 13", "--log", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(SplitLines(r.out), Log("97 44@30 13"));
  const Lines spaced = Log("97 44@30 13 8");
  EXPECT_EQ(Log("97,44@30,13,8"), spaced);
  EXPECT_EQ(Log(" ,97,,44@30 , 13 ,8, "), spaced);
}

// ------------------------------------------------------------------------------------------
// The draw log: where keys are delivered, and how a run ends

TEST_F(RenderTest, KeysAreDeliveredAtTheirWaitOrCallAndEndTheRun) {
  // "What is logged from the n-th `line` on"; to the end of the log when it ends with X.
  struct At {
    std::string line;
    long n;
    Lines from;
  };
  const std::string second = std::to_string(kPointCallsPerFrame + 3),
                    third = std::to_string(2 * kPointCallsPerFrame + 1);
  const struct {
    std::string script;
    std::string events;
    std::vector<At> at = {};
  } cases[] = {
      // Two keys release two frames; the third wait has none, and the run stops there.
      {"97 98", ".,A,K 97,C,.,A,K 98,C,.,A"},
      // The key released the first wait, which took nothing; the second wait found no key.
      {"97@5", ".,K 97,.,A,C,.,A", {{"E", 5, {"E", "K 97"}}}},
      // Third point of the second frame, and first point of the third: the first wait took
      // the only wait key, each later frame had its own key already.
      {"97@" + second + " 98@" + third + " 99",
       ".,A,K 99,C,.,K 97,.,A,C,.,K 98,.,A,C,.,A",
       {{"E", kPointCallsPerFrame + 3, {"E", "K 97"}},
        {"E", 2 * kPointCallsPerFrame + 1, {"E", "K 98"}}}},
      // Nothing else is delivered at the third call; four keys leave kk at 0, so the wait
      // takes the wait key.
      {"97@5 44@3 98@5 99@5 100",
       ".,K 44,.,K 97,K 98,K 99,.,A,K 100,C,.,A",
       {{"E", 3, {"E", "K 44", "W 3"}}, {"E", 5, {"E", "K 97", "K 98", "K 99", "W 3"}}}},
      // kk was already 1: the first wait takes no key. Three keys in one frame are odd again;
      // two need a third.
      {"97@10 98 99", ".,K 97,.,A,C,.,A,K 98,C,.,A,K 99,C,.,A"},
      {"97@10 98@20 99@30 100", ".,K 97,.,K 98,.,K 99,.,A,C,.,A,K 100,C,.,A"},
      {"97@10 98@20 99", ".,K 97,.,K 98,.,A,K 99,C,.,A"},
      // Escape clears and ends, at a wait or inside a frame; nothing after it at the same
      // call is delivered.
      {"27 97 97", ".,A,K 27,C,X", {{"A", 1, {"A", "K 27", "C", "X"}}}},
      {"97 27", ".,A,K 97,C,.,A,K 27,C,X", {{"A", 2, {"A", "K 27", "C", "X"}}}},
      {"27@50 97 97", ".,K 27,C,X", {{"E", 50, {"E", "K 27", "C", "X"}}}},
      {"97@5 27@5 98@5 dbl@5 99@6", ".,K 97,K 27,C,X", {{"E", 5, {"E", "K 97", "K 27", "C", "X"}}}},
      // A double-click ends without a clear.
      {"dbl 97", ".,A,D,X", {{"A", 1, {"A", "D", "X"}}}},
      {"dbl@300 97@300 97", ".,D,X", {{"E", 300, {"E", "D", "X"}}}},
      // "/" stops the clear between frames, so the piston curve follows the key at once; a
      // second "/" restarts it.
      {"47 97 47 97",
       ".,A,K 47,.,A,K 97,.,A,K 47,C,.,A,K 97,C,.,A",
       {{"A", 1, {"A", "K 47", "W 3"}}, {"A", 2, {"A", "K 97", "W 3"}}}},
  };
  for (const auto& c : cases) {
    const Lines log = Log(c.script);
    EXPECT_EQ(Events(log), c.events) << c.script;
    for (const At& at : c.at) {
      const auto i = Nth(log, at.line, at.n);
      ASSERT_TRUE(i) << c.script << ": " << at.line << " #" << at.n;
      const std::size_t to = at.from.back() == "X" ? log.size() : *i + at.from.size();
      EXPECT_EQ(Slice(log, *i, to), at.from) << c.script << ": " << at.line << " #" << at.n;
    }
  }
}

TEST_F(RenderTest, ManyKeysAtTwoCallsKeepScriptOrder) {
  // Keys for calls 7 and 6 interleaved in the script, enough of them that a sort that does
  // not keep equal elements in place would show.
  std::string script;
  Lines at6, at7;
  for (int code = 100; code < 160; ++code) {
    script += std::to_string(code) + (code % 2 ? "@6 " : "@7 ");
    (code % 2 ? at6 : at7).push_back("K " + std::to_string(code));
  }
  const Lines log = Log(script);
  const auto sixth = Nth(log, "E", 6), seventh = Nth(log, "E", 7);
  ASSERT_TRUE(sixth && seventh);
  EXPECT_EQ(Slice(log, *sixth + 1, *sixth + 1 + at6.size()), at6);
  EXPECT_EQ(Slice(log, *seventh + 1, *seventh + 1 + at7.size()), at7);
}

TEST_F(RenderTest, PlainKeysDrawSixtyThreeFramesThenEnd) {
  const auto frames = [](int n) {
    std::string s;
    for (int f = 0; f < n; ++f) s += ".,A,K 97,C,";
    return s;
  };
  const Lines log = Log(Repeat("97", kPlainFrames));
  EXPECT_EQ(Events(log), frames(kPlainFrames) + ".,X");
  // Each frame, the last one too, ends with key, clear, then the piston curve again before
  // pass 1 of the next frame or the end.
  const auto waits = IndicesOf(log, "A");
  for (const std::size_t a : waits) {
    const Lines tail = Slice(log, a + 3, a + 3 + 2 * kPistonSegments);
    EXPECT_EQ(CountColour(tail, kPistonColour), kPistonSegments) << a;
    EXPECT_EQ(Count(tail, "W 3"), kPistonSegments) << a;
    EXPECT_EQ(Count(tail, "E"), 0) << a;
  }
  EXPECT_EQ(log.size(), waits.back() + 3 + 2 * kPistonSegments + 1);
  // One key fewer leaves the program waiting after the frame for k = 20; keys left over when
  // the program ends are not delivered.
  EXPECT_EQ(Events(Log(Repeat("97", kPlainFrames - 1))), frames(kPlainFrames - 1) + ".,A");
  EXPECT_EQ(Events(Log(Repeat("97", kPlainFrames) + " 98 99@100000000")),
            frames(kPlainFrames) + ".,X");
}

// The keys, seen through the number of frames drawn before k passes 20.
TEST_F(RenderTest, KeysMoveKAndDecideWhenTheRunEnds) {
  const std::string then = " " + Repeat("97", kPlainFrames + 5),
                    to_20 = Repeat("97", kPlainFrames - 1) + " ";
  std::vector<std::pair<std::string, long>> cases = {
      // Space sets k outright, cancelling the "," before it; the "," after it still counts:
      // 4.5 - 0.25 - 0.5 + 0.25 = 4.0, and 1 + 65 frames up to 20.
      {"44@3 32@4 44@5" + then, 1 + 65},
      // All three keys of one frame act: two "," and a plain key take the next frame to
      // 4.5 - 0.75 = 3.75, so 1 + 66 frames are drawn up to k = 20.
      {"44@10 44@20" + then, 1 + 66}};
  // A key at the first frame (k = 4.5) moves the next one: "," to 4.25, below the first value;
  // Enter to 4.525; Tab to 4.475; BackSpace, Space and "/" leave 4.5; a plain key makes 4.75,
  // as do "<" and "?", which have no action of their own.
  const int first[] = {44, 13, 9, 8, 32, 47, 97, 60, 63};
  const long after_first[] = {1 + 64, 1 + 62, 1 + 63, 1 + 63, 1 + 63,
                              1 + 63, 1 + 62, 1 + 62, 1 + 62};
  for (std::size_t i = 0; i < std::size(first); ++i) {
    cases.push_back({std::to_string(first[i]) + then, after_first[i]});
  }
  // At the frame for k = 20: a plain key (20.25), Enter (20.025) and "<" end the run; Tab gives
  // 19.975; "," 19.75, then 20; BackSpace and "/" 20 again; Space goes back to 4.5 and all the
  // way again.
  const int last[] = {97, 13, 60, 9, 44, 8, 47, 32};
  const long after_last[] = {0, 0, 0, 1, 2, 1, 1, kPlainFrames};
  for (std::size_t i = 0; i < std::size(last); ++i) {
    cases.push_back({to_20 + std::to_string(last[i]) + then, kPlainFrames + after_last[i]});
  }
  for (const auto& [script, frames] : cases) {
    const Lines log = Log(script);
    EXPECT_EQ(Count(log, "A"), frames) << script.substr(0, 20);
    EXPECT_EQ(log.back(), "X") << script.substr(0, 20);
  }
}

// ------------------------------------------------------------------------------------------
// The derivative curves

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
  const Lines plain = Log("");
  const auto piston = std::find_if(plain.begin(), plain.end(), [](const std::string& l) {
    return IsLine(l) && ColourOf(l) == kPistonColour;
  });
  const long pass1 = std::count(plain.begin(), piston, "E");
  ASSERT_GT(pass1, 0);
  const long at = pass1 + 50;
  const Lines log = Log("8@" + std::to_string(at));
  const auto call = Nth(log, "E", at), wait = Nth(log, "A", 1);
  ASSERT_TRUE(call && wait);
  const auto before = Slice(log, 0, *call), after = Slice(log, *call, *wait);
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

long CountPixels(const QImage& image, QRgb colour) {
  long n = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == colour;
  }
  return n;
}

bool AllWhite(const QImage& image) {
  return CountPixels(image, 0xFFFFFF) == static_cast<long>(image.width()) * image.height();
}

TEST_F(RenderTest, SizeAndScaleSetThePictureSize) {
  const struct {
    Lines args;
    int width, height;
  } cases[] = {
      {{}, 962, 688},
      {{"--size", "300x200"}, 300, 200},
      {{"--size", "1x1"}, 1, 1},
      {{"--scale", "2"}, 1924, 1376},
      {{"--size", "300x200", "--scale", "1.5"}, 450, 300},
      {{"--size", "100x60", "--scale", "1.25"}, 125, 75},
  };
  for (const auto& c : cases) {
    const QImage image = Picture("", c.args);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(c.width, c.height)) << ::testing::PrintToString(c.args);
  }
}

TEST_F(RenderTest, ThePictureShowsTheFrameOrIsWhiteAfterEscape) {
  // At the first k the linkage re-times the green profile onto the red one, so the blue trace
  // covers the red curve; a few frames on they part. A double-click leaves the picture as
  // drawn.
  const struct {
    std::string script;
    QRgb colour;
  } shown[] = {{"", 0x00FF00},
               {"", 0x0000FF},
               {"97 97 97 97", 0xFF0000},
               {"", 0xFFC080},
               {"dbl@300", 0x00FF00}};
  for (const auto& c : shown) {
    const QImage image = Picture(c.script);
    ASSERT_FALSE(image.isNull()) << c.script;
    EXPECT_FALSE(AllWhite(image)) << c.script;
    EXPECT_GT(CountPixels(image, c.colour), 0) << c.script << " " << std::hex << c.colour;
  }
  for (const auto& [script, scale] :
       {std::pair<std::string, std::string>{"27", "1"}, {"27@300", "2"}}) {
    const QImage image = Picture(script, {"--scale", scale});
    ASSERT_FALSE(image.isNull()) << script;
    EXPECT_TRUE(AllWhite(image)) << script;
  }
}

TEST_F(RenderTest, PictureAndLogTogetherMatchEachAlone) {
  const Lines alone = Log("97 44@30");
  const QImage picture = Picture("97 44@30");
  const fs::path log = Path("both.log"), png = Path("both.png");
  const Result r = Run({"--script", "97 44@30", "--log", log.string(), "--png", png.string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(SplitLines(ReadFile(log)), alone);
  const QImage both = Rgb32(png);
  ASSERT_FALSE(both.isNull());
  EXPECT_EQ(both, picture);
}

// ------------------------------------------------------------------------------------------
// Frames and the animated GIF

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
  EXPECT_EQ(Rgb32(dir / "frame-004.png"), Picture("97 8 97", {"--size", "481x344"}));
  EXPECT_EQ(Rgb32(dir / "frame-002.png"), Picture("97", {"--size", "481x344"}));
  EXPECT_FALSE(fs::exists(dir / "frame-005.png"));

  // A second export does not overwrite the first unless told to; with --force, the frames
  // left over from the longer first export go.
  ExpectRejected(Run({"--script", "97", "--frames", dir.string()}), "--force", "no --force");
  EXPECT_TRUE(fs::exists(dir / "frame-004.png"));
  std::ofstream(dir / "notes.txt") << "mine";
  ASSERT_EQ(Run({"--script", "97", "--frames", dir.string(), "--force", "--size", "50x40"}).status,
            0);
  EXPECT_EQ(Rgb32(dir / "frame-002.png").size(), QSize(50, 40));
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
    const QImage png = Rgb32(Path(name));
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
  EXPECT_EQ(gif->frames[0], Picture("dbl@50"));  // 226 colours: exact
}

}  // namespace
}  // namespace tarsel
