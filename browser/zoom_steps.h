#ifndef ZAN_BROWSER_ZOOM_STEPS_H_
#define ZAN_BROWSER_ZOOM_STEPS_H_

namespace zan {

// The zoom factors a page steps through, from 25 % to 500 %.
// The next larger (`step` > 0) or smaller (`step` < 0) factor after
// `factor`; the same end value at either end of the scale.
double NextZoomFactor(double factor, int step);
// The zoom factor as a whole percentage ("110").
int ZoomPercent(double factor);

}  // namespace zan

#endif  // ZAN_BROWSER_ZOOM_STEPS_H_
