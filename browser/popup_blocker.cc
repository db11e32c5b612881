#include "browser/popup_blocker.h"

#include <string>

#include "settings/settings_store.h"

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

namespace {

uint32_t ReadSetting(const SettingsStore& settings) {
  return settings.GetDword(std::string(kPopupBlockingSetting), 0);
}

}  // namespace

bool NewWindow2(const SettingsStore& settings, bool ctrl_down) {
  return ShouldCancelNewWindow(ReadSetting(settings), ctrl_down);
}

bool BeforeNavigate2(const SettingsStore& settings, bool ctrl_down,
                     std::optional<std::string_view> target_frame) {
  return ShouldCancelNavigation(ReadSetting(settings), ctrl_down, target_frame);
}

}  // namespace zan
