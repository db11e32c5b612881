#include "browser/toolbar_startup.h"

#include "settings/toolbar_update.h"

namespace zan {

bool LoadToolbar(ToolbarModelHolder& holder, const SettingsStore& settings,
                 ResourceSource& resources, Ui& ui,
                 const std::function<void()>& restart_mail_checks) {
  DecideAutomaticUpdate(settings);
  if (!holder.LoadDefinition(resources, ui) || holder.model() == nullptr) {
    return false;
  }
  holder.model()->RebuildReferenceLists();
  if (restart_mail_checks) restart_mail_checks();
  RecordSuccessfulLoad(settings);
  return true;
}

std::function<bool(ToolbarModelHolder&, bool)> MakeLoadToolbarHook(
    const SettingsStore& settings, ResourceSource& resources, Ui& ui,
    std::function<void()> restart_mail_checks) {
  // The update request itself ("GlobalUpdateFlag" set by the Update
  // command) is already in the store when the hook runs.
  return [&settings, &resources, &ui, restart = std::move(restart_mail_checks)](
             ToolbarModelHolder& holder, bool /*update*/) {
    return LoadToolbar(holder, settings, resources, ui, restart);
  };
}

}  // namespace zan
