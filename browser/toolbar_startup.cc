#include "browser/toolbar_startup.h"

#include <algorithm>
#include <string>
#include <vector>

#include "browser/bitmap_size.h"
#include "settings/toolbar_update.h"

namespace zan {

namespace {

// One load with the downloads held back until it is known whether they
// load. `dropped` receives the files whose download was rejected while a
// local copy stays in use.
bool LoadHeldBack(ToolbarModelHolder& holder, ResourceSource& resources, Ui& ui,
                  std::vector<std::string>& dropped) {
  resources.BeginStaging();
  const bool loaded =
      holder.LoadDefinition(resources, ui) && holder.model() != nullptr;
  const std::string& definition = holder.definition_file_name();
  dropped = resources.EndStaging([&](const ResourceSource::WaitingFile& file) {
    if (!loaded) return false;
    if (file.name == definition) return true;
    // An image list that does not read as a bitmap (a login page, a cut
    // file) never replaces one that does.
    return !file.replaces_copy || ReadBitmapSize(file.path).has_value();
  });
  return loaded;
}

}  // namespace

bool LoadToolbar(ToolbarModelHolder& holder, const SettingsStore& settings,
                 ResourceSource& resources, Ui& ui,
                 const std::function<void()>& restart_mail_checks,
                 bool fall_back) {
  DecideAutomaticUpdate(settings);
  const bool forced = settings.GetFlag("GlobalUpdateFlag", false);
  std::vector<std::string> dropped;
  bool loaded = LoadHeldBack(holder, resources, ui, dropped);
  const bool copy_in_use =
      std::find(dropped.begin(), dropped.end(),
                holder.definition_file_name()) != dropped.end();
  if (!loaded && forced && copy_in_use) {
    // The fresh definition was rejected (the user has been told why) and
    // the one in use stays: the forced download ends here, so that later
    // starts use that copy instead of fetching and rejecting again.
    settings.SetString("GlobalUpdateFlag", "0");
    if (fall_back) loaded = LoadHeldBack(holder, resources, ui, dropped);
  }
  if (!loaded) return false;
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
