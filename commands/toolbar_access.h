#ifndef ZAN_COMMANDS_TOOLBAR_ACCESS_H_
#define ZAN_COMMANDS_TOOLBAR_ACCESS_H_

#include <vector>

#include "commands/macro_expansion.h"
#include "commands/toolbar_control.h"
#include "settings/settings_store.h"

namespace zan {

class HtmlDocument;

// The page that the toolbar's browser shows, or nullptr.
HtmlDocument* GetCurrentDocument(ToolbarControl& toolbar);

// The COMBO items of the toolbar that have a window, in toolbar order.
std::vector<ComboInput> CollectSearchBoxes(ToolbarControl& toolbar);

// The inputs of a template expansion as this toolbar supplies them; they
// refer to `settings`, which must outlive them.
MacroInputs MakeMacroInputs(ToolbarControl& toolbar,
                            const SettingsStore& settings);

}  // namespace zan

#endif  // ZAN_COMMANDS_TOOLBAR_ACCESS_H_
