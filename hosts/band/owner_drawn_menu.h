#ifndef ZAN_HOSTS_BAND_OWNER_DRAWN_MENU_H_
#define ZAN_HOSTS_BAND_OWNER_DRAWN_MENU_H_

#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

#include <map>

#include "browser/menu_painter.h"
#include "browser/popup_menu.h"

namespace zan {

// A popup menu of the toolbar as the system shows it: every entry owner-
// drawn, measured and painted by the rules of the toolbar's menus with the
// system's menu font, colours and metrics. Lives while the menu is shown.
class OwnerDrawnMenu {
 public:
  explicit OwnerDrawnMenu(const PopupMenu& menu);
  ~OwnerDrawnMenu();
  OwnerDrawnMenu(const OwnerDrawnMenu&) = delete;
  OwnerDrawnMenu& operator=(const OwnerDrawnMenu&) = delete;

  HMENU handle() const { return menu_; }
  // WM_MEASUREITEM and WM_DRAWITEM of the owner window: false for items
  // that are not this menu's.
  bool Measure(MEASUREITEMSTRUCT& item);
  bool Draw(const DRAWITEMSTRUCT& item, HIMAGELIST images);

 private:
  void Append(HMENU menu, const PopupMenu& popup);
  const PopupMenuEntry* EntryOf(ULONG_PTR data) const;
  void Render(HDC dc, const DrawOp& op, HIMAGELIST images);

  HMENU menu_ = nullptr;
  HFONT font_ = nullptr;
  // Made when first drawn and kept while the menu is shown, which repaints
  // its items as the mouse moves over them.
  HFONT banner_font_ = nullptr;
  int banner_width_ = 0;
  HBITMAP check_mark_ = nullptr;
  MenuMetrics metrics_;
  MenuColors colors_;
  std::map<const MenuEntryData*, const PopupMenuEntry*> entries_;
};

}  // namespace zan

#endif  // ZAN_HOSTS_BAND_OWNER_DRAWN_MENU_H_
