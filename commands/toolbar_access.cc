#include "commands/toolbar_access.h"

#include "definition/toolbar_model.h"
#include "platform/browser.h"

namespace zan {

HtmlDocument* GetCurrentDocument(ToolbarControl& toolbar) {
  Browser* browser = toolbar.GetBrowser();
  return browser == nullptr ? nullptr : browser->GetCurrentDocument();
}

std::vector<ComboInput> CollectSearchBoxes(ToolbarControl& toolbar) {
  std::vector<ComboInput> combos;
  ToolbarModel* model = toolbar.GetModel();
  if (model == nullptr) return combos;
  for (size_t i = 0; i < model->items.size(); ++i) {
    const ToolbarItem& item = *model->items[i];
    if (item.GetKind() != ItemKind::kCombo) continue;
    SearchBoxAccess* box = toolbar.GetSearchBox(static_cast<int>(i));
    if (box != nullptr) combos.push_back(ComboInput{item.GetName(), box});
  }
  return combos;
}

MacroInputs MakeMacroInputs(ToolbarControl& toolbar,
                            const SettingsStore& settings) {
  CommandEnvironment& env = toolbar.Environment();
  MacroInputs inputs;
  inputs.combos = CollectSearchBoxes(toolbar);
  inputs.document = GetCurrentDocument(toolbar);
  inputs.button_face = [&toolbar] { return toolbar.GetButtonFaceColor(); };
  inputs.settings = &settings;
  inputs.random = env.random;
  inputs.last_combo_values = env.last_combo_values;
  inputs.last_page_url = env.last_page_url;
  return inputs;
}

}  // namespace zan
