#ifndef ZAN_BROWSER_CHEVRON_LAYOUT_H_
#define ZAN_BROWSER_CHEVRON_LAYOUT_H_

#include <vector>

namespace zan {

// Width of the "»" button that stands for the buttons that do not fit.
inline constexpr int kChevronButtonWidth = 16;

// The first button that goes into the chevron when the toolbar is
// `available` pixels wide, or -1 when every button fits. `widths` holds the
// width of each button in order (0 for a hidden one). The buttons up to
// `last_kept` (the last search box; -1 none) always stay on the toolbar;
// from the first later button that does not fit beside the chevron on,
// every button goes into it.
int FirstOverflowButton(const std::vector<int>& widths, int last_kept,
                        int available);

}  // namespace zan

#endif  // ZAN_BROWSER_CHEVRON_LAYOUT_H_
