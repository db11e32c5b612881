#ifndef ZAN_BROWSER_POPUP_BLOCKER_H_
#define ZAN_BROWSER_POPUP_BLOCKER_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace zan {

class SettingsStore;

// The blocker is on exactly when "PopupBlockingEnabled" reads as 1; a
// missing value (read as 0), 0 or any other number means off.
inline constexpr std::string_view kPopupBlockingSetting =
    "PopupBlockingEnabled";
bool IsPopupBlockingOn(uint32_t setting);

// Whether the browser's NewWindow2 event is to be cancelled: blocking is on
// and CTRL is not held.
bool ShouldCancelNewWindow(uint32_t setting, bool ctrl_down);

// Whether a BeforeNavigate2 event is to be cancelled: blocking is on, CTRL is
// not held and the navigation targets the frame "_blank" (exact bytes, so
// "_BLANK" passes). A navigation without a target name passes.
bool ShouldCancelNavigation(uint32_t setting, bool ctrl_down,
                            std::optional<std::string_view> target_frame);

// The browser event handlers' decisions with the setting read from the
// store at every event, so a change takes effect at once in every window.
// True when the event is to be cancelled.
bool NewWindow2(const SettingsStore& settings, bool ctrl_down);
bool BeforeNavigate2(const SettingsStore& settings, bool ctrl_down,
                     std::optional<std::string_view> target_frame);

}  // namespace zan

#endif  // ZAN_BROWSER_POPUP_BLOCKER_H_
