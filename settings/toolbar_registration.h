#ifndef ZAN_SETTINGS_TOOLBAR_REGISTRATION_H_
#define ZAN_SETTINGS_TOOLBAR_REGISTRATION_H_

#include <optional>
#include <string>

#include "platform/browser.h"
#include "platform/registry.h"
#include "settings/settings_store.h"

namespace zan {

// Installs the toolbar into the registry and removes it again: the class
// entries under HKEY_CLASSES_ROOT, the browser's toolbar list, the
// installed-programs entry, the scheduled removal of the module, and on
// removal every downloaded resource file and all settings. Every step is
// best effort; a failed one does not stop the rest. Web pages open in a new
// browser window when `browsers` can give one and are skipped otherwise.
// Whether the browser's list of toolbars names this toolbar, as after
// RegisterServer.
bool IsToolbarRegistered(Registry& registry);
// Whether script can create the toolbar's object under `prog_id`: one of its
// ProgIDs ("RYX.ZAN.1", "RYX.ZAN") while its class entries are registered.
bool IsToolbarClassCreatable(Registry& registry, const std::string& prog_id);

// The command lines that the system's entries name: the one the list of
// installed programs runs to remove the toolbar ("UninstallString"), and the
// one run at the next logon after a removal to delete the module file
// ("Remove " + company under Runonce). The host knows what runs there.
struct RemovalCommands {
  std::string uninstall;
  std::string remove_module;
};

// The Windows texts: regsvr32 unregisters the module, advpack deletes it.
RemovalCommands WindowsRemovalCommands(const std::string& module_path);

class ToolbarRegistration {
 public:
  // `module_path` is the full path of the toolbar's module file;
  // `browsers` may be null; `commands` by default the Windows texts.
  ToolbarRegistration(Registry& registry, BrowserFactory* browsers,
                      std::string module_path,
                      std::optional<RemovalCommands> commands = std::nullopt);

  // The class entries (ProgIDs, CLSID key), then RegisterToolbar, then the
  // class entries once more; true when the last class registration
  // succeeded.
  bool RegisterServer();
  // UnregisterToolbar, UnregisterExtensions, then the class entries are
  // removed; true when that removal succeeded.
  bool UnregisterServer();

  bool RegisterClassEntries();
  bool UnregisterClassEntries();

  // The browser toolbar value, the logon-time removal and the uninstall
  // entry: written when `install`, removed otherwise.
  void WriteInstallEntries(bool install);
  void RegisterToolbar();
  void UnregisterToolbar();
  void UnregisterExtensions();

 private:
  // Sets "Locked" to 0 and returns the value it had (0 when absent).
  uint32_t UnlockToolbars();
  void RestoreLocked(uint32_t locked);

  Registry& registry_;
  BrowserFactory* browsers_;
  std::string module_path_;
  RemovalCommands commands_;
  SettingsStore settings_;
};

}  // namespace zan

#endif  // ZAN_SETTINGS_TOOLBAR_REGISTRATION_H_
