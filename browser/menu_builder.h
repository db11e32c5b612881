#ifndef ZAN_BROWSER_MENU_BUILDER_H_
#define ZAN_BROWSER_MENU_BUILDER_H_

#include <functional>
#include <string>

#include "browser/popup_menu.h"
#include "definition/button_menu.h"
#include "settings/settings_store.h"

namespace zan {

// Caption prefix of the entry that expands into the list of mailboxes.
inline constexpr char kMailboxListCaption[] = "POP3BoxesWebFrontLinks!";

struct MenuBuildContext {
  // Position of the button's item in the model.
  int item_index = 0;
  // The "Toolbar Extension" setting: the entry whose command equals it gets
  // the radio mark. Empty marks nothing.
  std::string toolbar_extension;
  bool sidebar_allowed = true;
  // Where the next identifier for an entry without one in the item's block
  // comes from, when several items share one popup menu; unset: each menu
  // starts at kFirstExtraMenuId.
  int* extra_id_counter = nullptr;
  // Appends the mailbox entries in place of a "POP3BoxesWebFrontLinks!"
  // entry, which would have had the identifier `id`; none when unset.
  std::function<void(PopupMenu& popup, const MenuItem& entry, int id,
                     int extra_flags)>
      expand_mailboxes;
};

// The "Toolbar Extension" setting, read once as the program starts: the
// command whose menu entries carry the radio mark; "Google" when the value
// is missing.
std::string ReadToolbarExtension(const SettingsStore& settings);

// Builds the popup menu of a button's MENU: every entry gets the
// identifier 0x800 + 800 * item + its number (children of a submenu are
// numbered before it), a leading "SIDEBAR!" entry stands alone in the first
// column with the identifier 0x7E7. An entry whose identifier would leave
// the item's block (MenuEntryIdFits) gets the next identifier from
// kFirstExtraMenuId on instead; past kLastExtraMenuId it is shown disabled.
PopupMenu BuildMenu(const ButtonMenu& menu, const MenuBuildContext& context);

}  // namespace zan

#endif  // ZAN_BROWSER_MENU_BUILDER_H_
