// The stepping loop and the key and double-click handlers together, through a recording
// implementation of the window: which frames get drawn, and when the program ends.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <vector>

#include "animation/driver.h"
#include "input/event.h"
#include "input/handlers.h"
#include "tests/support/recording_surface.h"

namespace tarsel {
namespace {

using testing::Call;
using testing::RecordingSurface;

// Runs the whole animation. Keys queued in `at_wait` are pressed one per round of a wait;
// keys in `at_point[n]` are pressed inside the n-th table-point event call. When a wait finds
// no key left, the user double-clicks. Records k of every frame as its wait begins.
struct Session {
  SharedState st;
  RecordingSurface win;
  Driver driver{st, win};
  std::deque<InputEvent> at_wait;
  std::map<long, std::vector<InputEvent>> at_point;
  std::vector<double> frames;  // k of each frame drawn to its end
  long wait_rounds_of_last_wait = 0;

  void Press(InputEvent e) { Dispatch(st, win, e); }

  LoopEnd Run() {
    win.on_point = [this](long n) {
      for (const InputEvent& e : at_point[n]) Press(e);
    };
    win.on_wait = [this](bool first) {
      if (first) {
        frames.push_back(st.k);
        wait_rounds_of_last_wait = 0;
      }
      ++wait_rounds_of_last_wait;
      if (first && st.kk == 1) return;  // events pending from the frame were handled already
      if (at_wait.empty()) {
        Press(InputEvent::DoubleClick());
        return;
      }
      Press(at_wait.front());
      at_wait.pop_front();
    };
    return driver.Form_Activate();
  }

  // Plain keys until the frame for k = 20 is on the window.
  void AdvanceToLastFrame() {
    for (int i = 0; i < 62; ++i) at_wait.push_back(InputEvent::Key('a'));
  }
};

TEST(Loop, SixtyThreeFramesWithPlainKeysThenTheEnd) {
  Session s;
  for (int i = 0; i < 63; ++i)
    s.at_wait.push_back(InputEvent::Key(' ' + 1));  // '!' has no action of its own
  EXPECT_EQ(s.Run(), LoopEnd::kPastLast);
  ASSERT_EQ(s.frames.size(), 63u);
  for (std::size_t i = 0; i < s.frames.size(); ++i) EXPECT_EQ(s.frames[i], 4.5 + 0.25 * i);
  EXPECT_EQ(s.frames.back(), 20.0);  // the step is exact, so k lands on 20
  EXPECT_EQ(s.st.k, 20.25);
  EXPECT_EQ(s.win.Count(Call::kWaitBegins), 63);
  // Every wait but the first frame's is followed by a clear (the first frame is drawn on the
  // freshly shown window).
  EXPECT_EQ(s.win.Count(Call::kCls), 63);
}

TEST(Loop, StartupSetsTheSharedState) {
  SharedState st;
  RecordingSurface win;
  Driver d(st, win);
  d.Startup();
  EXPECT_DOUBLE_EQ(st.pi, 3.141592653589793);
  EXPECT_EQ(st.ste, 0.25);
  EXPECT_EQ(st.ww, 65);
  EXPECT_EQ(st.k0, 4.5);
  EXPECT_EQ(st.kk, 0);
  EXPECT_EQ(st.acc, 0);
  EXPECT_EQ(st.ccllss, 0);
  EXPECT_TRUE(win.calls.empty());  // nothing drawn and no events processed before the loop
}

// Next frame after one key at the first frame (k = 4.5).
TEST(Keys, AtTheFirstFrame) {
  const std::map<int, double> next = {{',', 4.25}, {'\t', 4.475}, {'\r', 4.525}, {' ', 4.5},
                                      {'\b', 4.5}, {'/', 4.5},    {'a', 4.75},   {'<', 4.75},
                                      {'?', 4.75}, {8, 4.5}};
  for (const auto& [code, expected] : next) {
    Session s;
    s.at_wait = {InputEvent::Key(code)};
    EXPECT_EQ(s.Run(), LoopEnd::kEnded) << code;
    ASSERT_EQ(s.frames.size(), 2u) << code;
    EXPECT_DOUBLE_EQ(s.frames[1], expected) << "key " << code;
  }
}

TEST(Keys, AtTheLastFrame) {
  // Keys that take k above 20 end the animation and the program.
  for (int code : {'a', '\r'}) {
    Session s;
    s.AdvanceToLastFrame();
    s.at_wait.push_back(InputEvent::Key(code));
    EXPECT_EQ(s.Run(), LoopEnd::kPastLast) << code;
    EXPECT_EQ(s.frames.size(), 63u) << code;
    EXPECT_DOUBLE_EQ(s.st.k, code == 'a' ? 20.25 : 20.025);
  }
  // The others leave a frame still to draw.
  const std::map<int, double> next = {{'\t', 19.975}, {',', 19.75}, {'\b', 20}, {'/', 20}};
  for (const auto& [code, expected] : next) {
    Session s;
    s.AdvanceToLastFrame();
    s.at_wait.push_back(InputEvent::Key(code));
    EXPECT_EQ(s.Run(), LoopEnd::kEnded) << code;
    ASSERT_EQ(s.frames.size(), 64u) << code;
    EXPECT_DOUBLE_EQ(s.frames[63], expected) << "key " << code;
  }
}

TEST(Keys, SwitchesFlipAndStayIndependent) {
  Session s;
  s.at_wait = {InputEvent::Key('\b'), InputEvent::Key('/'), InputEvent::Key('\b'),
               InputEvent::Key('\b')};
  s.Run();
  EXPECT_EQ(s.st.acc, 1);     // three presses
  EXPECT_EQ(s.st.ccllss, 1);  // one press
  EXPECT_EQ(s.frames.size(), 5u);
  for (double k : s.frames) EXPECT_EQ(k, 4.5);  // each of them redraws the same frame
}

TEST(Keys, KIsNotBoundedBelow) {
  Session s;
  for (int i = 0; i < 30; ++i) s.at_wait.push_back(InputEvent::Key(','));
  s.Run();
  ASSERT_EQ(s.frames.size(), 31u);
  EXPECT_DOUBLE_EQ(s.frames.back(), 4.5 - 30 * 0.25);
  EXPECT_LT(s.frames.back(), 0);
}

TEST(Keys, EveryKeyFlipsKkAndSpaceCancelsEarlierMoves) {
  SharedState st;
  RecordingSurface win;
  Driver(st, win).Startup();
  st.k = 7;
  Form_KeyPress(st, win, ',');
  Form_KeyPress(st, win, '\t');
  EXPECT_EQ(st.kk, 0);
  Form_KeyPress(st, win, ' ');
  EXPECT_EQ(st.kk, 1);
  EXPECT_DOUBLE_EQ(st.k, 4.25);
  Form_KeyPress(st, win, 0xFFFF);  // any character at all flips kk, nothing else
  EXPECT_EQ(st.kk, 0);
  EXPECT_DOUBLE_EQ(st.k, 4.25);
  EXPECT_TRUE(win.calls.empty());
}

TEST(Pacing, AKeyDuringDrawingReleasesTheNextWaitAtOnce) {
  Session s;
  s.at_point[5] = {InputEvent::Key('a')};
  s.Run();
  ASSERT_GE(s.frames.size(), 2u);
  EXPECT_EQ(s.frames[1], 4.75);
  // The second frame's wait: its first round found kk = 1; later waits needed a key.
  EXPECT_EQ(s.win.Count(Call::kWaitBegins), 2);
  EXPECT_EQ(s.wait_rounds_of_last_wait, 1);  // the double-click ended the 2nd wait at once
}

TEST(Pacing, TwoKeysDuringOneFrameNeedAThird) {
  Session s;
  s.at_point[5] = {InputEvent::Key(',')};
  s.at_point[10] = {InputEvent::Key(',')};
  s.at_wait = {InputEvent::Key('a')};
  s.Run();
  ASSERT_EQ(s.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(s.frames[1], 4.5 - 0.75);
}

TEST(Pacing, TheWaitProcessesEventsAtLeastOnceAndOnlyThenBlocks) {
  Session s;
  s.at_point[1] = {InputEvent::Key('a')};
  s.at_wait = {};
  s.Run();
  // Frame 1: kk was 1 before the wait, so exactly one non-blocking round.
  std::vector<Call::Kind> wait_calls;
  for (const Call& c : s.win.calls) {
    if (c.kind == Call::kWaitBegins || c.kind == Call::kWait) wait_calls.push_back(c.kind);
  }
  ASSERT_GE(wait_calls.size(), 4u);
  EXPECT_EQ(wait_calls[0], Call::kWaitBegins);
  EXPECT_EQ(wait_calls[1], Call::kWait);
  EXPECT_EQ(wait_calls[2], Call::kWaitBegins);
}

TEST(Ending, EscapeDuringDrawingClearsAndStopsTheFrame) {
  Session s;
  s.at_point[150] = {InputEvent::Key(27),
                     InputEvent::Key('a')};  // the key after Escape never reaches the loop
  EXPECT_EQ(s.Run(), LoopEnd::kEnded);
  EXPECT_TRUE(s.frames.empty());
  ASSERT_FALSE(s.win.calls.empty());
  // The clear is the last call: nothing is drawn after it.
  EXPECT_EQ(s.win.calls.back().kind, Call::kCls);
  EXPECT_EQ(s.win.point_calls, 150);
  EXPECT_EQ(s.st.kk, 0);  // Escape does not flip kk
}

TEST(Ending, EscapeAndDoubleClickAtTheWait) {
  Session esc;
  esc.at_wait = {InputEvent::Key(27)};
  EXPECT_EQ(esc.Run(), LoopEnd::kEnded);
  EXPECT_EQ(esc.win.calls.back().kind, Call::kCls);

  Session dbl;  // the session double-clicks once it runs out of keys
  EXPECT_EQ(dbl.Run(), LoopEnd::kEnded);
  EXPECT_EQ(dbl.win.calls.back().kind, Call::kWait);
  EXPECT_EQ(dbl.win.Count(Call::kCls), 0);  // a double-click does not clear
}

TEST(Ending, DoubleClickDuringDrawingStopsAtThatPoint) {
  Session s;
  s.at_point[42] = {InputEvent::DoubleClick()};
  EXPECT_EQ(s.Run(), LoopEnd::kEnded);
  EXPECT_EQ(s.win.point_calls, 42);
  EXPECT_EQ(s.win.calls.back().kind, Call::kEvents);
}

TEST(Ending, ClosingTheWindowEndsWithoutAClear) {
  SharedState st;
  RecordingSurface win;
  Driver d(st, win);
  win.on_point = [&](long n) {
    if (n == 7) Form_Unload(st);
  };
  EXPECT_EQ(d.Form_Activate(), LoopEnd::kEnded);
  EXPECT_EQ(win.point_calls, 7);
  EXPECT_EQ(win.Count(Call::kCls), 0);
  EXPECT_EQ(win.calls.back().kind, Call::kEvents);
}

TEST(Frames, SlashLetsFramesAccumulate) {
  Session s;
  s.at_wait = {InputEvent::Key('/'), InputEvent::Key('a'), InputEvent::Key('a'),
               InputEvent::Key('/'), InputEvent::Key('a')};
  s.Run();
  // After each wait: a clear only while ccllss = 0 (it is 1 after the first and second waits
  // of the three that follow the first "/"), then the piston curve again.
  std::vector<bool> cleared;
  bool after_wait = false;
  for (const Call& c : s.win.calls) {
    if (c.kind == Call::kWait) after_wait = true;
    if (after_wait && c.kind != Call::kWait) {
      cleared.push_back(c.kind == Call::kCls);
      after_wait = false;
    }
  }
  EXPECT_EQ(cleared, (std::vector<bool>{false, false, false, true, true}));
}

}  // namespace
}  // namespace tarsel
