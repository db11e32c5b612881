#include "browser/zoom_steps.h"

#include <array>
#include <cmath>

namespace zan {
namespace {

constexpr std::array<double, 17> kFactors = {0.25, 0.33, 0.5, 0.67, 0.75, 0.8,
                                             0.9,  1.0,  1.1, 1.25, 1.5,  1.75,
                                             2.0,  2.5,  3.0, 4.0,  5.0};
constexpr double kSlack = 0.001;

}  // namespace

double NextZoomFactor(double factor, int step) {
  if (step > 0) {
    for (double f : kFactors) {
      if (f > factor + kSlack) return f;
    }
    return kFactors.back();
  }
  if (step < 0) {
    for (auto it = kFactors.rbegin(); it != kFactors.rend(); ++it) {
      if (*it < factor - kSlack) return *it;
    }
    return kFactors.front();
  }
  return factor;
}

int ZoomPercent(double factor) {
  return static_cast<int>(std::lround(factor * 100.0));
}

}  // namespace zan
