#include "scaling.h"

namespace message {

PanelGeometry ScalePanelGeometry(const PanelGeometry& design, int s, int screen_height,
                                 int screen_width) {
  if (s == 0) return design;
  const float fv = static_cast<float>(0.01 * (screen_height / 768.0 - 1.0) * s + 1.0);
  const float fh = static_cast<float>(0.01 * (screen_width / 1024.0 - 1.0) * s + 1.0);
  return PanelGeometry{static_cast<int>(design.top * fv), static_cast<int>(design.left * fh),
                       static_cast<int>(design.height * fv), static_cast<int>(design.width * fh)};
}

}  // namespace message
