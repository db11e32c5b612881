#ifndef ZAN_HOSTS_QT_QT_MENU_POPUP_H_
#define ZAN_HOSTS_QT_QT_MENU_POPUP_H_

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "browser/menu_painter.h"
#include "browser/popup_menu.h"
#include "hosts/qt/qt_image_list.h"

namespace zan {

// Where a popup menu reports to while it is shown.
struct MenuPopupCallbacks {
  std::function<void(int id, bool popup)> select;
  std::function<void(int id)> choose;
};

// One level of an owner-drawn popup menu: entries laid out in columns
// (a column break starts a new one), drawn from the toolbar's drawing rules.
class QtMenuPopup : public QWidget {
  Q_OBJECT

 public:
  QtMenuPopup(const PopupMenu& menu, const QtImageList* images,
              const MenuPopupCallbacks& callbacks, QtMenuPopup* parent_menu);
  ~QtMenuPopup() override;

  // Shows the menu with its top-left corner at `global` (kept on screen).
  void Popup(const QPoint& global);
  // Rectangle of the entry with this identifier (submenus: the entry that
  // opens them, by its submenu's first identifier), empty when none.
  QRect EntryRect(int id) const;
  // The shown submenu, if any.
  QtMenuPopup* OpenSubmenu() const { return submenu_; }
  const PopupMenu& menu() const { return menu_; }
  // Closes this menu and all its parents.
  void CloseAll();
  // Selects the first entry that can be chosen, as the Down key does.
  void SelectFirst();
  // A menu taller than the screen shows a part of its entries and scrolls:
  // the wheel, the keys, and the arrow strips at its top and bottom.
  bool scrollable() const { return scrollable_; }
  // Scrolls by `dy` pixels of the entries (clamped).
  void ScrollBy(int dy);

 Q_SIGNALS:
  void closed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  struct Slot {
    const PopupMenuEntry* entry;
    QRect rect;
  };

  void Layout();
  int SlotAt(const QPoint& pos) const;
  void Select(int slot);
  void Activate(int slot);
  void OpenSubmenuAt(int slot);
  void CloseSubmenu();
  void Paint(QPainter& p, const DrawOp& op);
  // Where the entries show, in widget coordinates, and the strips.
  QRect Viewport() const;
  QRect UpStrip() const;
  QRect DownStrip() const;
  void EnsureVisible(int slot);
  void ScrollOnHover();

  const PopupMenu& menu_;
  const QtImageList* images_;
  MenuPopupCallbacks callbacks_;
  QtMenuPopup* parent_menu_;
  QPointer<QtMenuPopup> submenu_;
  int submenu_slot_ = -1;
  std::vector<Slot> slots_;
  int selected_ = -1;
  MenuMetrics metrics_;
  MenuColors colors_;
  QFont font_;
  int content_height_ = 0;
  bool scrollable_ = false;
  int scroll_ = 0;
  int hover_scroll_ = 0;  // -1 up, 1 down while the pointer is on a strip
  QTimer scroll_timer_;
};

// The toolkit's metrics and colours for menus.
MenuMetrics QtMenuMetrics(const QFont& font);
MenuColors QtMenuColors();

}  // namespace zan

#endif  // ZAN_HOSTS_QT_QT_MENU_POPUP_H_
