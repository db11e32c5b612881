#ifndef ZAN_BROWSER_BITMAP_SIZE_H_
#define ZAN_BROWSER_BITMAP_SIZE_H_

#include <optional>
#include <string>

#include "browser/geometry.h"

namespace zan {

// Width and height of a Windows bitmap file, read from its headers; nullopt
// when the file is missing or is not a bitmap.
std::optional<Size> ReadBitmapSize(const std::string& path);

}  // namespace zan

#endif  // ZAN_BROWSER_BITMAP_SIZE_H_
