#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "console/colour.h"

namespace tutor::testing {

// WCAG's relative luminance of a palette colour, 0 to 1.
inline double luminance(Colour c) {
  const Rgb rgb = kPalette[c.index()];
  auto linear = [](std::uint8_t v) {
    const double x = v / 255.0;
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(rgb.r) + 0.7152 * linear(rgb.g) + 0.0722 * linear(rgb.b);
}

// WCAG's contrast ratio of two palette colours, 1 to 21.
inline double contrast_ratio(Colour a, Colour b) {
  const double la = luminance(a);
  const double lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace tutor::testing
