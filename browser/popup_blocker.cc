#include "browser/popup_blocker.h"

namespace zan {

bool IsPopupBlockingOn(uint32_t setting) { return setting == 1; }

bool ShouldCancelNewWindow(uint32_t setting, bool ctrl_down) {
  return IsPopupBlockingOn(setting) && !ctrl_down;
}

bool ShouldCancelNavigation(uint32_t setting, bool ctrl_down,
                            std::optional<std::string_view> target_frame) {
  return IsPopupBlockingOn(setting) && !ctrl_down && target_frame &&
         *target_frame == "_blank";
}

}  // namespace zan
