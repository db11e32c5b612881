#include "browser/zoom_steps.h"

#include <gtest/gtest.h>

namespace zan {
namespace {

TEST(ZoomStepsTest, StepsThroughTheScaleAndStopsAtItsEnds) {
  EXPECT_DOUBLE_EQ(NextZoomFactor(1.0, 1), 1.1);
  EXPECT_DOUBLE_EQ(NextZoomFactor(1.0, -1), 0.9);
  EXPECT_DOUBLE_EQ(NextZoomFactor(1.05, 1), 1.1);  // off the scale
  EXPECT_DOUBLE_EQ(NextZoomFactor(1.05, -1), 1.0);
  EXPECT_DOUBLE_EQ(NextZoomFactor(5.0, 1), 5.0);
  EXPECT_DOUBLE_EQ(NextZoomFactor(0.25, -1), 0.25);
  EXPECT_DOUBLE_EQ(NextZoomFactor(9.0, -1), 5.0);
  EXPECT_EQ(ZoomPercent(0.67), 67);
  EXPECT_EQ(ZoomPercent(1.1), 110);
}

}  // namespace
}  // namespace zan
