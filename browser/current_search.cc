#include "browser/current_search.h"

#include <vector>

#include "browser/search_box.h"
#include "browser/toolbar_window.h"
#include "definition/toolbar_model.h"

namespace zan {

int CurrentSearchCommand(const ToolbarModel& model, int last_search_with) {
  int counted = 0;
  for (const auto& item : model.items) {
    int c = item->command_index;
    if (c < 0 || c >= static_cast<int>(model.commands.commands.size())) {
      continue;
    }
    const ToolbarCommand& command =
        *model.commands.commands[static_cast<size_t>(c)];
    if (command.GetCommandKind() != CommandKind::kGoToUrl ||
        !command.UsesMacros()) {
      continue;
    }
    if (counted == last_search_with) return c;
    ++counted;
  }
  return -1;
}

bool SearchWithToolbar(ToolbarWindow& toolbar, const std::string& words) {
  ToolbarModel* model = toolbar.GetModel();
  if (!model || words.empty()) return false;
  int c = CurrentSearchCommand(*model, LastSearchWith(toolbar.settings()));
  if (c < 0) return false;
  const auto& command = static_cast<const GoToUrlCommand&>(
      *model->commands.commands[static_cast<size_t>(c)]);
  std::vector<int> text_boxes;
  std::vector<int> named;
  for (int i = 0; i < static_cast<int>(model->items.size()); ++i) {
    SearchBox* box = toolbar.GetSearchBoxOf(i);
    if (!box || box->IsValueList()) continue;
    text_boxes.push_back(i);
    std::string macro = "%" + box->name();
    if (command.url.find(macro) != std::string::npos ||
        command.post.find(macro) != std::string::npos) {
      named.push_back(i);
    }
  }
  if (named.empty() && !text_boxes.empty()) named.push_back(text_boxes[0]);
  for (int i : named) toolbar.GetSearchBoxOf(i)->view().SetText(words);
  if (named.empty()) {
    toolbar.RunSearchCommand();
  } else {
    toolbar.OnSearchBoxEnter(named.front());
  }
  return true;
}

}  // namespace zan
