#include "input/probe_keys.h"

#include <gtest/gtest.h>

#include "animation/driver.h"
#include "animation/probe.h"
#include "tests/support/recording_surface.h"

namespace tarsel {
namespace {

TEST(ProbeKeys, StepAPointTenWithShiftAndJumpToTheEnds) {
  SharedState state;
  testing::RecordingSurface surface;
  Driver(state, surface).Startup();
  state.k = 7.25;
  const SharedState before = state;
  const double x = BlueX(state, 100);
  EXPECT_EQ(MoveProbe(state, x, ProbeKey::kRight, false), BlueX(state, 99));
  EXPECT_EQ(MoveProbe(state, x, ProbeKey::kLeft, false), BlueX(state, 101));
  EXPECT_EQ(MoveProbe(state, x, ProbeKey::kRight, true), BlueX(state, 90));
  EXPECT_EQ(MoveProbe(state, x, ProbeKey::kLeft, true), BlueX(state, 110));
  EXPECT_EQ(MoveProbe(state, x, ProbeKey::kHome, false), BlueX(state, 200));
  EXPECT_EQ(MoveProbe(state, x, ProbeKey::kEnd, true), BlueX(state, 1));
  // The animation's state is only read: no key of the probe moves k or releases a frame.
  EXPECT_EQ(state.k, before.k);
  EXPECT_EQ(state.kk, before.kk);
  EXPECT_TRUE(surface.calls.empty());
}

}  // namespace
}  // namespace tarsel
