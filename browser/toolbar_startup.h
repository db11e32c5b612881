#ifndef ZAN_BROWSER_TOOLBAR_STARTUP_H_
#define ZAN_BROWSER_TOOLBAR_STARTUP_H_

#include <functional>

#include "definition/load_definition.h"
#include "platform/ui.h"
#include "settings/resource_source.h"
#include "settings/settings_store.h"

namespace zan {

// The first half of StartToolbar, before the window is assembled:
//  1. the automatic update decision (may set "GlobalUpdateFlag" to "1", so
//     that the load below fetches every resource file again);
//  2. LoadDefinition into `holder`, fetching through `resources`;
//  3. the model's indicator list and dynamic web page list (with each
//     pane's dynamic flag);
//  4. `restart_mail_checks`, when given, for the new model;
//  5. the settings written after a good load ("ShowDownloadErrorMessages"
//     "1", "GlobalUpdateFlag" "0", "AutoUpdatePeriod" 24).
// A failed load stops after step 2 and writes none of step 5, so a forced
// update stays pending for the next start. True when the model loaded and
// the toolbar is to be rebuilt.
bool LoadToolbar(ToolbarModelHolder& holder, const SettingsStore& settings,
                 ResourceSource& resources, Ui& ui,
                 const std::function<void()>& restart_mail_checks = {});

// LoadToolbar in the form of the toolbar window's load hook. The objects
// must outlive the hook.
std::function<bool(ToolbarModelHolder&, bool)> MakeLoadToolbarHook(
    const SettingsStore& settings, ResourceSource& resources, Ui& ui,
    std::function<void()> restart_mail_checks = {});

}  // namespace zan

#endif  // ZAN_BROWSER_TOOLBAR_STARTUP_H_
