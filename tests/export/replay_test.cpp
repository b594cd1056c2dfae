// The scripted input and the replay: when scripted events reach the handlers, and one hash
// that pins the driver's complete output over the whole sweep, bit for bit.
#include "export/replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "input/script.h"
#include "tests/support/fnv.h"
#include "tests/support/recording_surface.h"
#include "tests/support/replay_log.h"

namespace tarsel {
namespace {

// ------------------------------------------------------------------------------------------
// The delivery rules

struct Delivered {
  std::vector<std::string> events;  // "CODE@CALL" or "dbl@CALL", CALL 0 in a wait
};

// Runs the driver against a recording surface whose event calls go through ScriptedInput,
// noting each event with the table-point call it arrived in (0: a wait), until the script
// runs out at a wait.
Delivered Play(const std::string& script) {
  SharedState st;
  testing::RecordingSurface win;
  Driver driver(st, win);
  ScriptedInput input(*ParseScript(script, nullptr), st, win);
  Delivered out;
  bool in_wait = false;
  input.OnDeliver([&](const ScriptEvent& e) {
    const long call = in_wait ? 0 : input.point_calls();
    out.events.push_back((e.event.kind == InputEvent::Kind::kDoubleClick
                              ? std::string("dbl")
                              : std::to_string(e.event.code)) +
                         "@" + std::to_string(call));
  });
  win.on_point = [&](long) { input.PointEvents(); };
  win.on_wait = [&](bool) {
    in_wait = true;
    if (!input.WaitRound()) st.ended = true;
    in_wait = false;
  };
  driver.Form_Activate();
  return out;
}

TEST(ScriptedInput, DeliversAtTheirCallsAndOnePerTestOfTheWait) {
  const struct {
    const char* script;
    std::vector<std::string> delivered;
  } cases[] = {
      // Keys without @ wait for the waits, one each.
      {"97 44", {"97@0", "44@0"}},
      // @N inside the N-th call; a key during the frame releases its wait, so the next wait
      // token belongs to the following wait.
      {"97 44@30", {"44@30", "97@0"}},
      // Two keys during one frame cancel each other's release: the wait takes a token.
      {"97@5 97@6 13", {"97@5", "97@6", "13@0"}},
      // Script order within one call; calls in order whatever the order in the script.
      {"97@700 47@10 8@10 97", {"47@10", "8@10", "97@0", "97@700"}},
      // A call that never comes delivers nothing (the run stops at the second wait).
      {"97@1000000", {}},
      // Nothing after the program has ended.
      {"dbl@3 97@4 97", {"dbl@3"}},
      {"27@3 97@4", {"27@3"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Play(c.script).events, c.delivered) << c.script;
}

// ------------------------------------------------------------------------------------------
// The whole sweep, pinned

using testing::Fnv1a;

using testing::DrawLog;

std::string PlainKeys(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "97 ";
  return s;
}

// Every drawing and event call of the 63-frame sweep, with and without the velocity and
// acceleration curves, hashed. Any change to the driver's arithmetic, its order of calls or
// the log's numbers shows here; a change on purpose updates the hashes (the test prints the
// new ones).
TEST(Replay, TheSweepsDrawLogIsPinned) {
  const struct {
    std::string script;
    std::size_t lines;
    std::uint64_t hash;
  } sweeps[] = {
      {PlainKeys(62) + "97", 855037, 0xc35e9c26478be2b6},
      {"8 " + PlainKeys(62) + "97", 931420, 0xaca348f8538c0678},
  };
  for (const auto& s : sweeps) {
    const std::string log = DrawLog(s.script);
    const std::size_t lines = std::count(log.begin(), log.end(), '\n');
    EXPECT_EQ(lines, s.lines) << s.script.substr(0, 8);
    EXPECT_EQ(Fnv1a(log), s.hash) << s.script.substr(0, 8) << ": 0x" << std::hex << Fnv1a(log);
    EXPECT_EQ(log.substr(log.size() - 2), "X\n");  // both run to the end of the animation
  }
}

}  // namespace
}  // namespace tarsel
