#ifndef ZAN_HOSTS_QT_QT_GEOMETRY_H_
#define ZAN_HOSTS_QT_QT_GEOMETRY_H_

#include <QColor>
#include <QRect>
#include <cstdint>

#include "browser/geometry.h"

namespace zan {

// The core's rectangles and colours as Qt's, and Qt's colours as the
// core's (which has no alpha).
inline QRect ToQ(Rect r) { return QRect(r.left, r.top, r.Width(), r.Height()); }
inline QColor ToQ(Color c) { return QColor(c.r, c.g, c.b); }
inline Color FromQ(const QColor& c) {
  return Color{static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()),
               static_cast<uint8_t>(c.blue())};
}

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_GEOMETRY_H_
