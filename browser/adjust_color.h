#ifndef ZAN_BROWSER_ADJUST_COLOR_H_
#define ZAN_BROWSER_ADJUST_COLOR_H_

#include "browser/geometry.h"

namespace zan {

// Hue, luminance and saturation, each on a 0..255 scale (hue 255 standing
// for a full turn).
struct Hls {
  int h = 0;
  int l = 0;
  int s = 0;
  friend bool operator==(const Hls&, const Hls&) = default;
};

Hls RgbToHls(Color c);
Color HlsToRgb(Hls hls);

// Moves the colour's luminance and saturation by percentages from -100 to
// 100: a positive value moves that share of the way towards 255, a negative
// one scales down, zero keeps. Values outside the range are clamped.
Color AdjustColor(Color c, int lum, int sat);

}  // namespace zan

#endif  // ZAN_BROWSER_ADJUST_COLOR_H_
