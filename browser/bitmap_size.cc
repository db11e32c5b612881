#include "browser/bitmap_size.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>

namespace zan {
namespace {

uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

std::optional<Size> ReadBitmapSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[26] = {};
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) {
    return std::nullopt;
  }
  if (header[0] != 'B' || header[1] != 'M') return std::nullopt;
  uint32_t info_size = Le32(header + 14);
  if (info_size == 12) {  // the old core header: 16-bit sizes
    return Size{Le16(header + 18), Le16(header + 20)};
  }
  if (info_size < 40) return std::nullopt;
  int32_t width = static_cast<int32_t>(Le32(header + 18));
  int32_t height = static_cast<int32_t>(Le32(header + 22));
  if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
  // A negative height marks a top-down bitmap.
  return Size{width, std::abs(height)};
}

}  // namespace zan
