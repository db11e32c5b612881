#include "browser/popup_menu.h"

namespace zan {

void PopupMenu::CheckRadioItem(int first, int last, int id) {
  for (PopupMenuEntry& entry : entries) {
    if (entry.submenu || entry.id < first || entry.id > last) continue;
    entry.checked = entry.id == id;
  }
}

const PopupMenuEntry* PopupMenu::Find(int id) const {
  for (const PopupMenuEntry& entry : entries) {
    if (entry.submenu) {
      if (const PopupMenuEntry* found = entry.submenu->Find(id)) return found;
    } else if (entry.id == id) {
      return &entry;
    }
  }
  return nullptr;
}

}  // namespace zan
