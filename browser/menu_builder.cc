#include "browser/menu_builder.h"

#include <memory>

#include "browser/command_ids.h"

namespace zan {
namespace {

// The state of one build: the context and the next free identifier for
// entries that have none in the item's block.
struct Build {
  const MenuBuildContext& context;
  int own_extra_id = kFirstExtraMenuId;

  // The identifier of entry `number`: its place in the item's block, else
  // the next extra one; 0 (never chosen) when those are used up too.
  int IdOf(int number) {
    if (MenuEntryIdFits(context.item_index, number)) {
      return MenuCommandId(context.item_index, number);
    }
    int& next =
        context.extra_id_counter ? *context.extra_id_counter : own_extra_id;
    if (next < kFirstExtraMenuId) next = kFirstExtraMenuId;
    if (next > kLastExtraMenuId) return 0;
    return next++;
  }
};

void AppendEntries(PopupMenu& popup, const MenuEntryList& entries, int& counter,
                   Build& build);

void AppendToMenu(PopupMenu& popup, const MenuEntry& entry, int& counter,
                  int extra_flags, Build& build) {
  const MenuBuildContext& context = build.context;
  const int first_id = MenuCommandId(context.item_index, 0);
  switch (entry.GetEntryKind()) {
    case MenuEntryKind::kItem: {
      const auto& item = static_cast<const MenuItem&>(entry);
      int id;
      if (item.IsSidebar() && context.sidebar_allowed && popup.empty()) {
        id = kSidebarId;
      } else {
        id = build.IdOf(counter);
      }
      if (item.caption.starts_with(kMailboxListCaption)) {
        if (context.expand_mailboxes) {
          context.expand_mailboxes(popup, item, id, extra_flags);
        }
        return;
      }
      PopupMenuEntry e;
      e.id = id;
      e.flags =
          kMenuFlagOwnerDraw | extra_flags | (id == 0 ? kMenuFlagGrayed : 0);
      e.data.text = item.caption;
      e.data.image = item.GetImage();
      e.command = item.command;
      e.hint = item.hint;
      popup.entries.push_back(std::move(e));
      if (!context.toolbar_extension.empty() &&
          item.command == context.toolbar_extension) {
        popup.CheckRadioItem(first_id, id, id);
      }
      return;
    }
    case MenuEntryKind::kSeparator: {
      PopupMenuEntry e;
      e.id = build.IdOf(counter);
      e.flags = kMenuFlagOwnerDraw | kMenuFlagSeparator | extra_flags;
      e.data.type = kMenuFlagSeparator;
      e.data.image = -1;
      popup.entries.push_back(std::move(e));
      return;
    }
    case MenuEntryKind::kSubMenu: {
      const auto& sub = static_cast<const SubMenu&>(entry);
      auto child = std::make_unique<PopupMenu>();
      AppendEntries(*child, sub.entries, counter, build);
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
                   Build& build) {
  const MenuBuildContext& context = build.context;
  const bool first_is_sidebar = !entries.empty() && context.sidebar_allowed &&
                                entries.front()->IsSidebar();
  for (size_t j = 0; j < entries.size(); ++j) {
    int extra = (j == 1 && first_is_sidebar) ? kMenuFlagMenuBreak : 0;
    AppendToMenu(popup, *entries[j], counter, extra, build);
    ++counter;
  }
}

}  // namespace

std::string ReadToolbarExtension(const SettingsStore& settings) {
  return settings.GetString("Toolbar Extension", "Google");
}

PopupMenu BuildMenu(const ButtonMenu& menu, const MenuBuildContext& context) {
  PopupMenu popup;
  int counter = 0;
  Build build{context};
  AppendEntries(popup, menu.entries, counter, build);
  return popup;
}

}  // namespace zan
