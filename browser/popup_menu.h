#ifndef ZAN_BROWSER_POPUP_MENU_H_
#define ZAN_BROWSER_POPUP_MENU_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "browser/command_ids.h"

namespace zan {

// The record each owner-drawn menu entry carries while its menu exists.
struct MenuEntryData {
  uint32_t tag = kMenuEntryTag;
  // The label; for the sidebar the whole caption with its "SIDEBAR!" prefix;
  // empty for separators.
  std::string text;
  // 0, or kMenuFlagSeparator for separators.
  int type = 0;
  int state = 0;
  // Index into the toolbar's image list, -1 for none.
  int image = -1;
};

struct PopupMenu;

// One appended entry of a popup menu.
struct PopupMenuEntry {
  int id = 0;
  // kMenuFlagOwnerDraw plus kMenuFlagSeparator, kMenuFlagPopup,
  // kMenuFlagMenuBreak, kMenuFlagGrayed as they apply.
  int flags = 0;
  MenuEntryData data;
  // The radio mark.
  bool checked = false;
  // Of a MENUITEM: its "command" and "hint", so that a shown menu can run
  // and describe entries whose identifiers lie outside the blocks of the
  // items.
  std::string command;
  std::string hint;
  std::unique_ptr<PopupMenu> submenu;

  bool IsSeparator() const { return (flags & kMenuFlagSeparator) != 0; }
  bool IsSidebar() const { return id == kSidebarId && !submenu; }
  bool StartsColumn() const { return (flags & kMenuFlagMenuBreak) != 0; }
  bool IsDisabled() const { return (flags & kMenuFlagGrayed) != 0; }
};

// A popup menu as the toolbar builds it; the view shows it.
struct PopupMenu {
  std::vector<PopupMenuEntry> entries;

  bool empty() const { return entries.empty(); }
  // Marks the entry `id` with the radio mark and clears it on the other
  // entries whose identifiers lie in [first, last].
  void CheckRadioItem(int first, int last, int id);
  // The entry with that identifier anywhere in the menu or its submenus.
  const PopupMenuEntry* Find(int id) const;
};

}  // namespace zan

#endif  // ZAN_BROWSER_POPUP_MENU_H_
