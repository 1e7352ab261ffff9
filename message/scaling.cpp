#include "scaling.h"

namespace message {

namespace {

// Rounds through memory: 32-bit x87 code otherwise keeps excess precision,
// and the program would size its windows differently from its tests.
double AsDouble(double v) {
  volatile double stored = v;
  return stored;
}
float AsFloat(double v) {
  volatile float stored = static_cast<float>(v);
  return stored;
}

// design x f in single precision (int times float is a float product in C),
// truncated. The exact product fits a double, so one rounding gives it.
int Scale(int design, float f) {
  return static_cast<int>(AsFloat(design * static_cast<double>(f)));
}

// 0.01 * (screen / design_screen - 1) * s + 1, each step in double precision.
float Factor(int screen, double design_screen, int s) {
  const double ratio = AsDouble(AsDouble(screen / design_screen) - 1.0);
  return AsFloat(AsDouble(AsDouble(0.01 * ratio) * s) + 1.0);
}

}  // namespace

PanelGeometry ScalePanelGeometry(const PanelGeometry& design, int s, int screen_height,
                                 int screen_width) {
  if (s == 0) return design;
  const float fv = Factor(screen_height, 768.0, s);
  const float fh = Factor(screen_width, 1024.0, s);
  return PanelGeometry{Scale(design.top, fv), Scale(design.left, fh), Scale(design.height, fv),
                       Scale(design.width, fh)};
}

}  // namespace message
