#include "ui/drawing/view_transform.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorn::ui {
namespace {

SceneBox Box(double minX, double minY, double maxX, double maxY) {
  SceneBox box;
  box.Add({minX, minY});
  box.Add({maxX, maxY});
  return box;
}

struct FitCase {
  double widthPx, heightPx;
  SceneBox box;
};

class FitTest : public ::testing::TestWithParam<FitCase> {};

// The whole box is on screen inside the margin, centred, and one of its sides spans the usable
// width or height exactly.
TEST_P(FitTest, ShowsTheWholeBoxCentredAndAsLargeAsItFits) {
  const auto& c = GetParam();
  ViewTransform view;
  view.SetViewport(c.widthPx, c.heightPx);
  const double margin = 0.05;
  view.Fit(c.box, margin);
  const ScenePoint low = view.ToScreen({c.box.minX, c.box.minY});
  const ScenePoint high = view.ToScreen({c.box.maxX, c.box.maxY});
  const double eps = 1e-6;
  EXPECT_GE(low.x, c.widthPx * margin - eps);
  EXPECT_LE(high.x, c.widthPx * (1 - margin) + eps);
  EXPECT_GE(high.y, c.heightPx * margin - eps);  // screen y grows downwards
  EXPECT_LE(low.y, c.heightPx * (1 - margin) + eps);
  EXPECT_NEAR((low.x + high.x) / 2, c.widthPx / 2, eps);
  EXPECT_NEAR((low.y + high.y) / 2, c.heightPx / 2, eps);
  const double spanX = high.x - low.x, spanY = low.y - high.y;
  const bool fillsWidth = std::fabs(spanX - c.widthPx * (1 - 2 * margin)) < 1e-6;
  const bool fillsHeight = std::fabs(spanY - c.heightPx * (1 - 2 * margin)) < 1e-6;
  EXPECT_TRUE(fillsWidth || fillsHeight) << spanX << " x " << spanY;
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, FitTest,
    ::testing::Values(FitCase{800, 600, Box(0, 0, 100, 100)},                 // square in wide
                      FitCase{800, 600, Box(-5000, 200, 95000, 1200)},        // wide and flat
                      FitCase{300, 900, Box(10, -30000, 20, 30000)},          // tall in tall
                      FitCase{1024, 768, Box(1e6, 2e6, 1e6 + 0.5, 2e6 + 3)},  // far and tiny
                      FitCase{640, 480, Box(-1, 7, 1, 7)}));                  // no height

TEST(ViewTransformTest, AnEmptyOrSinglePointBoxStillGivesAUsableView) {
  ViewTransform view;
  view.SetViewport(400, 300);
  view.Fit(SceneBox{});
  EXPECT_TRUE(std::isfinite(view.PixelsPerUnit()));
  EXPECT_GT(view.PixelsPerUnit(), 0);
  view.Fit(Box(5, 5, 5, 5));
  const ScenePoint at = view.ToScreen({5, 5});
  EXPECT_NEAR(at.x, 200, 1e-9);
  EXPECT_NEAR(at.y, 150, 1e-9);
  EXPECT_GT(view.PixelsPerUnit(), 0);
}

TEST(ViewTransformTest, ScreenAndDrawingCoordinatesRoundTripWithYUp) {
  ViewTransform view;
  view.SetViewport(500, 400);
  view.Fit(Box(0, 0, 1000, 800));
  const ScenePoint up = view.ToScreen({500, 700});
  const ScenePoint down = view.ToScreen({500, 100});
  EXPECT_LT(up.y, down.y);
  for (const ScenePoint p : {ScenePoint{0, 0}, ScenePoint{123.25, -77.5}, ScenePoint{1e5, 3e4}}) {
    const ScenePoint back = view.ToWorld(view.ToScreen(p));
    EXPECT_NEAR(back.x, p.x, 1e-9 * std::max(1.0, std::fabs(p.x)));
    EXPECT_NEAR(back.y, p.y, 1e-9 * std::max(1.0, std::fabs(p.y)));
  }
}

// Zooming keeps the drawing point under the cursor where it is and changes the scale by the
// factor; zooming back by the inverse factor restores the view.
TEST(ViewTransformTest, ZoomAtKeepsThePointUnderTheCursor) {
  struct Case {
    ScenePoint cursor;
    double factor;
  };
  for (const Case c : {Case{{10, 20}, 1.25}, Case{{250, 200}, 0.8}, Case{{499, 0}, 4.0},
                       Case{{0, 399}, 1.0 / 16}}) {
    ViewTransform view;
    view.SetViewport(500, 400);
    view.Fit(Box(-300, -200, 700, 600));
    const double scale = view.PixelsPerUnit();
    const ScenePoint before = view.ToWorld(c.cursor);
    view.ZoomAt(c.cursor, c.factor);
    const ScenePoint after = view.ToWorld(c.cursor);
    EXPECT_NEAR(after.x, before.x, 1e-9);
    EXPECT_NEAR(after.y, before.y, 1e-9);
    EXPECT_NEAR(view.PixelsPerUnit(), scale * c.factor, 1e-12 * scale * c.factor);
    view.ZoomAt(c.cursor, 1 / c.factor);
    EXPECT_NEAR(view.PixelsPerUnit(), scale, 1e-12 * scale);
  }
}

// Panning drags the drawing with the cursor: the point that was under one pixel is under the
// pixel moved by the displacement.
TEST(ViewTransformTest, PanMovesTheDrawingWithTheCursor) {
  ViewTransform view;
  view.SetViewport(640, 480);
  view.Fit(Box(0, 0, 64, 48));
  const ScenePoint grabbed = view.ToWorld({100, 100});
  view.PanBy(35, -20);
  const ScenePoint now = view.ToScreen(grabbed);
  EXPECT_NEAR(now.x, 135, 1e-9);
  EXPECT_NEAR(now.y, 80, 1e-9);
}

TEST(ViewTransformTest, ZoomIgnoresFactorsThatAreNotPositive) {
  ViewTransform view;
  view.SetViewport(100, 100);
  const double scale = view.PixelsPerUnit();
  view.ZoomAt({50, 50}, 0);
  view.ZoomAt({50, 50}, -2);
  view.ZoomAt({50, 50}, std::nan(""));
  EXPECT_EQ(view.PixelsPerUnit(), scale);
}

}  // namespace
}  // namespace vorn::ui
