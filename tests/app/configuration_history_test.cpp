// Undo and Redo over a student's changes: the positions of one drag are one step, a new change
// drops the steps undone, and the oldest steps are forgotten past the limit.
#include "app/configuration_history.h"

#include <gtest/gtest.h>

namespace tarsel {
namespace {

Configuration Crank(double crank) {
  Configuration c;
  c.crank = crank;
  return c;
}

TEST(ConfigurationHistory, StepsBackAndForward) {
  ConfigurationHistory h;
  EXPECT_FALSE(Change(h, Configuration{}));  // already the one asked for
  EXPECT_FALSE(Undo(h));
  EXPECT_TRUE(Change(h, Crank(8)));
  EXPECT_TRUE(Change(h, Crank(9), true));  // dragged on from 8
  EXPECT_TRUE(Undo(h));
  EXPECT_EQ(h.now, Configuration{});
  EXPECT_FALSE(Undo(h));
  EXPECT_TRUE(Redo(h));
  EXPECT_EQ(h.now, Crank(9));
  EXPECT_FALSE(Redo(h));
  EXPECT_TRUE(Undo(h));
  EXPECT_TRUE(Change(h, Crank(10)));
  EXPECT_FALSE(Redo(h));
  for (int i = 0; i < 600; ++i) Change(h, Crank(11 + i));
  EXPECT_EQ(h.before.size(), kMostUndoSteps);
  EXPECT_EQ(h.before.front(), Crank(11 + 600 - 1 - kMostUndoSteps));
}

}  // namespace
}  // namespace tarsel
