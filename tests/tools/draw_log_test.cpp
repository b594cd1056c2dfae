// Tests of the draw log that tarsel-render writes for a script of key presses and
// double-clicks: the first frame and the form of its lines, where keys are delivered, how a
// run ends, and the derivative curves.
#include "tests/support/draw_log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/colours.h"
#include "tests/support/render_run.h"

namespace tarsel::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(RenderTest, WithoutScriptTheLogIsTheFirstFrameThenTheWait) {
  const Lines log = Log("");
  // The first frame is drawn without a clear. Pass 1 begins with widths 3 and 1 around its
  // first point, which joins nothing.
  EXPECT_EQ(Events(log), ".,A");
  EXPECT_EQ(Slice(log, 0, 3), (Lines{"W 3", "W 1", "E"}));
  // Both profile curves and one piston curve, between the two passes.
  for (const auto& [colour, n] : {std::pair<std::uint32_t, long>{kGreen, 199},
                                  {kRed, 199},
                                  {kPiston, kPistonSegments},
                                  {kOrange, 0},
                                  {kMagenta, 0}}) {
    EXPECT_EQ(CountColour(log, colour), n) << colour;
  }
  std::vector<std::uint32_t> order;
  for (const std::string& l : log) {
    const std::uint32_t c = IsLine(l) ? ColourOf(l) : 0;
    if ((c == kGreen || c == kRed || c == kPiston) && (order.empty() || order.back() != c)) {
      order.push_back(c);
    }
  }
  EXPECT_EQ(order, (std::vector<std::uint32_t>{kGreen, kPiston, kRed}));
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
  const std::vector<std::uint32_t> colours = {kGreen, kRed,       kOrange, kMagenta, kPiston,
                                              kBlue,  kLightBlue, kTeal,   kOlive,   kAxis};
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

TEST_F(RenderTest, AtKLogsWhatItsKeyScriptLogs) {
  const struct {
    std::string k, script;
  } cases[] = {{"6.5", Repeat("97", 8)},
               {"4.5", ""},
               {"4.475", "9"},
               {"3.5", Repeat("44", 4)},
               {"5.6", Repeat("97", 4) + " 13 13 13 13"}};
  for (const auto& c : cases) {
    const fs::path log = Path("at.log");
    const Result r = Run({"--at", c.k, "--log", log.string()});
    EXPECT_EQ(r.status, 0) << c.k << ": " << r.err;
    const Lines at = SplitLines(ReadFile(log));
    EXPECT_EQ(at, Log(c.script)) << c.k;
    EXPECT_EQ(at.back(), "A") << c.k;
  }
}

TEST_F(RenderTest, LogToStdoutAndSeparatorsGiveTheSameLog) {
  const Result r = Run({"--script", "97 44@30 13", "--log", "-"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(SplitLines(r.out), Log("97 44@30 13"));
  const Lines spaced = Log("97 44@30 13 8");
  EXPECT_EQ(Log("97,44@30,13,8"), spaced);
  EXPECT_EQ(Log(" ,97,,44@30 , 13 ,8, "), spaced);
  EXPECT_EQ(Log("a comma@30 enter backspace"), spaced);
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
    EXPECT_EQ(CountColour(tail, kPiston), kPistonSegments) << a;
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
    return IsLine(l) && ColourOf(l) == kPiston;
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
}  // namespace
}  // namespace tarsel::testing
