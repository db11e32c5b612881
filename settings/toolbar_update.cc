#include "settings/toolbar_update.h"

namespace zan {

bool DecideAutomaticUpdate(const SettingsStore& settings) {
  if (settings.GetFlag("GlobalUpdateFlag", false)) return false;
  if (!settings.GetFlag("UpdateAutomatically", true)) return false;
  const uint32_t period = settings.GetDword("AutoUpdatePeriod", 0xFFFFFFFF);
  if (period == 0) return false;
  if (!settings.IsPeriodElapsed("LastCheckTime", static_cast<int>(period),
                                true)) {
    return false;
  }
  settings.SetString("GlobalUpdateFlag", "1");
  return true;
}

void RecordSuccessfulLoad(const SettingsStore& settings) {
  settings.SetString("ShowDownloadErrorMessages", "1");
  settings.SetString("GlobalUpdateFlag", "0");
  settings.SetDword("AutoUpdatePeriod", 24);
}

}  // namespace zan
