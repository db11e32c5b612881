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
//  2. LoadDefinition into `holder`, fetching through `resources`; files
//     downloaded meanwhile replace their local copies only when the
//     definition loaded (and, for an image list, when it reads as a
//     bitmap or there was none), so a broken download never costs the
//     copies in use;
//  3. the model's indicator list and dynamic web page list (with each
//     pane's dynamic flag);
//  4. `restart_mail_checks`, when given, for the new model;
//  5. the settings written after a good load ("ShowDownloadErrorMessages"
//     "1", "GlobalUpdateFlag" "0", "AutoUpdatePeriod" 24).
// A forced download whose definition does not load while a local copy is
// in use ends the forced download ("GlobalUpdateFlag" "0": the user was
// told what failed, and later starts use the copy in use); with `fall_back`
// that copy is then loaded instead. Any other failed load stops after step
// 2 and writes none of step 5, so a forced update stays pending. True when the
// model loaded and the toolbar is to be rebuilt.
bool LoadToolbar(ToolbarModelHolder& holder, const SettingsStore& settings,
                 ResourceSource& resources, Ui& ui,
                 const std::function<void()>& restart_mail_checks = {},
                 bool fall_back = true);

// LoadToolbar in the form of the toolbar window's load hook. The objects
// must outlive the hook.
std::function<bool(ToolbarModelHolder&, bool)> MakeLoadToolbarHook(
    const SettingsStore& settings, ResourceSource& resources, Ui& ui,
    std::function<void()> restart_mail_checks = {});

}  // namespace zan

#endif  // ZAN_BROWSER_TOOLBAR_STARTUP_H_
