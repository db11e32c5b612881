#include "browser/adjust_color.h"

#include <algorithm>
#include <cmath>

namespace zan {
namespace {

constexpr double kScale = 255.0;

double HueToChannel(double m1, double m2, double h) {
  if (h < 0) h += 1.0;
  if (h > 1) h -= 1.0;
  if (h * 6 < 1) return m1 + (m2 - m1) * h * 6;
  if (h * 2 < 1) return m2;
  if (h * 3 < 2) return m1 + (m2 - m1) * (2.0 / 3.0 - h) * 6;
  return m1;
}

int Adjust(int value, int percent) {
  percent = std::clamp(percent, -100, 100);
  if (percent > 0) return value + (255 - value) * percent / 100;
  if (percent < 0) return value * (100 + percent) / 100;
  return value;
}

}  // namespace

Hls RgbToHls(Color c) {
  double r = c.r / kScale, g = c.g / kScale, b = c.b / kScale;
  double max = std::max({r, g, b});
  double min = std::min({r, g, b});
  double l = (max + min) / 2;
  double h = 0;
  double s = 0;
  if (max != min) {
    double d = max - min;
    s = l <= 0.5 ? d / (max + min) : d / (2.0 - max - min);
    if (max == r) {
      h = (g - b) / d;
    } else if (max == g) {
      h = 2.0 + (b - r) / d;
    } else {
      h = 4.0 + (r - g) / d;
    }
    h /= 6.0;
    if (h < 0) h += 1.0;
  }
  return Hls{static_cast<int>(std::lround(h * kScale)) % 256,
             static_cast<int>(std::lround(l * kScale)),
             static_cast<int>(std::lround(s * kScale))};
}

Color HlsToRgb(Hls hls) {
  double h = hls.h / kScale, l = hls.l / kScale, s = hls.s / kScale;
  auto channel = [](double v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v * kScale), 0L, 255L));
  };
  if (hls.s == 0) return Color{channel(l), channel(l), channel(l)};
  double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  double m1 = 2 * l - m2;
  return Color{channel(HueToChannel(m1, m2, h + 1.0 / 3.0)),
               channel(HueToChannel(m1, m2, h)),
               channel(HueToChannel(m1, m2, h - 1.0 / 3.0))};
}

Color AdjustColor(Color c, int lum, int sat) {
  Hls hls = RgbToHls(c);
  hls.l = Adjust(hls.l, lum);
  hls.s = Adjust(hls.s, sat);
  return HlsToRgb(hls);
}

}  // namespace zan
