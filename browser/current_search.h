#ifndef ZAN_BROWSER_CURRENT_SEARCH_H_
#define ZAN_BROWSER_CURRENT_SEARCH_H_

#include <string>

namespace zan {

class ToolbarModel;
class ToolbarWindow;

// The index of the command the current search runs: among the items whose
// GOTOURL command has a "%" in its url or post, the one at position
// `last_search_with`; -1 when there is none.
int CurrentSearchCommand(const ToolbarModel& model, int last_search_with);

// Searches `words` typed outside the toolbar (the address bar) with the
// toolbar's current search: the words go into the history and edit boxes
// that the current search command reads (the first such box when it names
// none), as if typed there, and the command runs as Enter in a box runs it.
// False when the toolbar has no current search; nothing changes then.
bool SearchWithToolbar(ToolbarWindow& toolbar, const std::string& words);

}  // namespace zan

#endif  // ZAN_BROWSER_CURRENT_SEARCH_H_
