#include "browser/chevron_layout.h"

#include <cstddef>
#include <cstdint>

namespace zan {

int FirstOverflowButton(const std::vector<int>& widths, int last_kept,
                        int available) {
  int64_t total = 0;
  for (int w : widths) total += w > 0 ? w : 0;
  if (total <= available) return -1;
  const int count = static_cast<int>(widths.size());
  int64_t used = kChevronButtonWidth;
  for (int i = 0; i < count; ++i) {
    const int w =
        widths[static_cast<size_t>(i)] > 0 ? widths[static_cast<size_t>(i)] : 0;
    used += w;
    if (i > last_kept && w > 0 && used > available) return i;
  }
  return -1;
}

}  // namespace zan
