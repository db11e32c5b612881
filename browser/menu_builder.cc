#include "browser/menu_builder.h"

#include <memory>

#include "browser/command_ids.h"

namespace zan {
namespace {

void AppendEntries(PopupMenu& popup, const MenuEntryList& entries, int& counter,
                   const MenuBuildContext& context);

void AppendToMenu(PopupMenu& popup, const MenuEntry& entry, int& counter,
                  int extra_flags, const MenuBuildContext& context) {
  const int first_id = MenuCommandId(context.item_index, 0);
  switch (entry.GetEntryKind()) {
    case MenuEntryKind::kItem: {
      const auto& item = static_cast<const MenuItem&>(entry);
      int id = MenuCommandId(context.item_index, counter);
      if (item.IsSidebar() && context.sidebar_allowed && popup.empty()) {
        id = kSidebarId;
      }
      if (item.caption.starts_with(kMailboxListCaption)) {
        if (context.expand_mailboxes) {
          context.expand_mailboxes(popup, item, id, extra_flags);
        }
        return;
      }
      PopupMenuEntry e;
      e.id = id;
      e.flags = kMenuFlagOwnerDraw | extra_flags;
      e.data.text = item.caption;
      e.data.image = item.GetImage();
      popup.entries.push_back(std::move(e));
      if (!context.toolbar_extension.empty() &&
          item.command == context.toolbar_extension) {
        popup.CheckRadioItem(first_id, id, id);
      }
      return;
    }
    case MenuEntryKind::kSeparator: {
      PopupMenuEntry e;
      e.id = MenuCommandId(context.item_index, counter);
      e.flags = kMenuFlagOwnerDraw | kMenuFlagSeparator | extra_flags;
      e.data.type = kMenuFlagSeparator;
      e.data.image = -1;
      popup.entries.push_back(std::move(e));
      return;
    }
    case MenuEntryKind::kSubMenu: {
      const auto& sub = static_cast<const SubMenu&>(entry);
      auto child = std::make_unique<PopupMenu>();
      AppendEntries(*child, sub.entries, counter, context);
      PopupMenuEntry e;
      e.flags = kMenuFlagOwnerDraw | kMenuFlagPopup | extra_flags;
      e.data.text = sub.caption;
      e.data.image = sub.GetImage();
      e.submenu = std::move(child);
      popup.entries.push_back(std::move(e));
      return;
    }
  }
}

void AppendEntries(PopupMenu& popup, const MenuEntryList& entries, int& counter,
                   const MenuBuildContext& context) {
  const bool first_is_sidebar = !entries.empty() && context.sidebar_allowed &&
                                entries.front()->IsSidebar();
  for (size_t j = 0; j < entries.size(); ++j) {
    int extra = (j == 1 && first_is_sidebar) ? kMenuFlagMenuBreak : 0;
    AppendToMenu(popup, *entries[j], counter, extra, context);
    ++counter;
  }
}

}  // namespace

PopupMenu BuildMenu(const ButtonMenu& menu, const MenuBuildContext& context) {
  PopupMenu popup;
  int counter = 0;
  AppendEntries(popup, menu.entries, counter, context);
  return popup;
}

}  // namespace zan
