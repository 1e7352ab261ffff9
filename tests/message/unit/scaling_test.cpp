#include "scaling.h"

#include <gtest/gtest.h>

namespace {

using message::PanelGeometry;
using message::ScalePanelGeometry;

const PanelGeometry kMain{21, 65, 346, 481};

TEST(ScalePanelGeometry, FullAdjustmentOnALargerScreen) {
  const PanelGeometry g = ScalePanelGeometry(kMain, 100, 1024, 1280);
  EXPECT_EQ(g.height, 461);
  EXPECT_EQ(g.width, 601);
  EXPECT_EQ(g.top, 28);   // 21 * 1.3333334f
  EXPECT_EQ(g.left, 81);  // 65 * 1.25 = 81.25
}

TEST(ScalePanelGeometry, DesignScreenOrNoAdjustmentKeepsTheDesign) {
  for (const auto& g :
       {ScalePanelGeometry(kMain, 100, 768, 1024), ScalePanelGeometry(kMain, 0, 1024, 1280)}) {
    EXPECT_EQ(g.top, kMain.top);
    EXPECT_EQ(g.left, kMain.left);
    EXPECT_EQ(g.height, kMain.height);
    EXPECT_EQ(g.width, kMain.width);
  }
}

TEST(ScalePanelGeometry, PartialAndShrinkingAdjustment) {
  const PanelGeometry half = ScalePanelGeometry(kMain, 50, 1024, 1280);
  EXPECT_EQ(half.height, 403);  // 346 * 1.1667
  EXPECT_EQ(half.width, 541);   // 481 * 1.125
  const PanelGeometry small = ScalePanelGeometry({21, 47, 378, 620}, 100, 600, 800);
  EXPECT_EQ(small.height, 295);  // 378 * 0.78125 = 295.3
  EXPECT_EQ(small.width, 484);   // 620 * 0.78125 = 484.4
}

TEST(ScalePanelGeometry, ProductsAreSinglePrecisionOnEveryBuild) {
  // fv = 1.16666663f: 378 * fv = 440.99998 exactly, 441.0f as a float
  // product; fh = 1.05f: 620 * fh = 651.00001 (truncated 651 either way).
  // The 32-bit Windows build gives the same as the native one.
  const PanelGeometry list = ScalePanelGeometry({21, 47, 378, 620}, 50, 1024, 1280);
  EXPECT_EQ(list.height, 441);
  EXPECT_EQ(list.width, 697);  // 620 * 1.125
  const PanelGeometry wide = ScalePanelGeometry({21, 47, 378, 620}, 60, 960, 1280);
  EXPECT_EQ(wide.height, 434);  // 378 * 1.15
  EXPECT_EQ(wide.width, 713);   // 620 * 1.15f = 712.99998 exactly, 713.0f
}

}  // namespace
