// Where the window's frame opens: the rule on its own, on the screens the desktop test sees
// only some of (frames that fit exactly, or by one pixel too few, and areas not at 0,0).
#include "app/desktop.h"

#include <gtest/gtest.h>

namespace tarsel {
namespace {

TEST(Desktop, FrameCentredWhereItFitsElseAtTheStartOfTheArea) {
  // Fits both ways: centred in the area, which panels moved down by 28.
  EXPECT_EQ(FramePosition(QRect(0, 28, 1920, 1004), QSize(964, 713)), QPoint(478, 173));
  // Fits exactly, and by one pixel too few.
  EXPECT_EQ(FramePosition(QRect(10, 20, 964, 713), QSize(964, 713)), QPoint(10, 20));
  EXPECT_EQ(FramePosition(QRect(10, 20, 963, 712), QSize(964, 713)), QPoint(10, 20));
  // Too tall for the area between the panels but not too wide: the title bar under the top
  // panel, and centred across.
  EXPECT_EQ(FramePosition(QRect(0, 28, 1366, 692), QSize(964, 713)), QPoint(201, 28));
  // Too large both ways, on a second screen to the right of the first.
  EXPECT_EQ(FramePosition(QRect(1920, 0, 800, 600), QSize(964, 713)), QPoint(1920, 0));
}

}  // namespace
}  // namespace tarsel
