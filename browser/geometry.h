#ifndef ZAN_BROWSER_GEOMETRY_H_
#define ZAN_BROWSER_GEOMETRY_H_

#include <cstdint>

namespace zan {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle by its edges; right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Contains(Point p) const {
    return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
  }
  friend bool operator==(const Rect&, const Rect&) = default;
};

// An RGB colour.
struct Color {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;

  // From and to the 0x00BBGGRR layout in which colours are written as
  // numbers ("0xC80000" is pure blue 200).
  static constexpr Color FromColorRef(uint32_t ref) {
    return Color{static_cast<uint8_t>(ref & 0xFF),
                 static_cast<uint8_t>((ref >> 8) & 0xFF),
                 static_cast<uint8_t>((ref >> 16) & 0xFF)};
  }
  constexpr uint32_t ToColorRef() const {
    return static_cast<uint32_t>(r) | (static_cast<uint32_t>(g) << 8) |
           (static_cast<uint32_t>(b) << 16);
  }
  friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace zan

#endif  // ZAN_BROWSER_GEOMETRY_H_
