#ifndef ZAN_SETTINGS_TOOLBAR_UPDATE_H_
#define ZAN_SETTINGS_TOOLBAR_UPDATE_H_

#include "settings/settings_store.h"

namespace zan {

// The start-up decision whether the resource files are due to be fetched
// again. Due only when, tested in this order, "GlobalUpdateFlag" is off,
// "UpdateAutomatically" is on, "AutoUpdatePeriod" (hours, absent: -1) is not
// 0 and that period has passed since "LastCheckTime" (which is then set to
// now). When due, "GlobalUpdateFlag" becomes "1" and the result is true.
bool DecideAutomaticUpdate(const SettingsStore& settings);

// The writes after a definition loaded successfully: download errors are
// shown again, the forced download ends, the period becomes 24 hours.
void RecordSuccessfulLoad(const SettingsStore& settings);

}  // namespace zan

#endif  // ZAN_SETTINGS_TOOLBAR_UPDATE_H_
