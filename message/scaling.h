// How a window's design geometry is fitted to its screen.
#pragma once

namespace message {

struct PanelGeometry {
  int top, left, height, width;
};

// Scales design geometry by the resolution-adjustment percentage s for a
// screen of screen_height x screen_width pixels: a factor of
// 0.01 * (screen / design screen - 1) * s + 1 per direction (design screen
// 1024 x 768), computed in double and held in single precision; each
// design value times its factor is a single-precision product (as int times
// float is in C), truncated. Every build rounds alike (no x87 excess
// precision). s = 0 keeps the design geometry.
PanelGeometry ScalePanelGeometry(const PanelGeometry& design, int s, int screen_height,
                                 int screen_width);

}  // namespace message
