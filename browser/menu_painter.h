#ifndef ZAN_BROWSER_MENU_PAINTER_H_
#define ZAN_BROWSER_MENU_PAINTER_H_

#include <functional>
#include <string>
#include <vector>

#include "browser/geometry.h"
#include "browser/popup_menu.h"

namespace zan {

// The screen's metrics and colours that menus are measured and drawn with.
struct MenuMetrics {
  Size image{16, 15};
  // The image cell: the image plus 6 in each direction.
  Size cell{22, 21};
  int font_height = 13;
  // Height of a menu bar line and width of the check-mark area.
  int menu_height = 19;
  int check_width = 13;
};

struct MenuColors {
  Color button_face{240, 240, 240};
  Color highlight{48, 140, 198};
  Color menu_text{0, 0, 0};
  Color gradient_active_caption{185, 209, 234};
  Color active_caption{153, 180, 209};
  Color caption_text{0, 0, 0};
};

// Size of an entry as the menu lays it out. `text_width` measures one line
// of the menu font.
Size MeasureMenuEntry(const PopupMenuEntry& entry, const MenuMetrics& metrics,
                      const std::function<int(const std::string&)>& text_width);

// One primitive of an entry's drawing, in menu coordinates.
struct DrawOp {
  enum class Kind {
    kFill,         // rect filled with fill
    kFrame,        // rect: 1-pixel frame in pen, filled with fill
    kLine,         // from (rect.left, rect.top) to (rect.right, rect.top)
    kText,         // text in rect, colour pen; align_right: right-aligned
    kImage,        // image at (rect.left, rect.top)
    kImageShadow,  // the image's silhouette in fill at (rect.left, rect.top)
    kCheckMark,    // the check mark in rect
    kGradient,     // vertical gradient in rect from pen (top) to fill
    kSidebarText,  // rotated bold italic text; rect's width is the font
                   // height; shadow in black offset by one, then pen
  };
  Kind kind = Kind::kFill;
  Rect rect;
  Color pen;
  Color fill;
  std::string text;
  int image = -1;
  bool align_right = false;
  friend bool operator==(const DrawOp&, const DrawOp&) = default;
};

struct MenuEntryState {
  bool selected = false;
  bool disabled = false;
  bool checked = false;
};

// The drawing of one owner-drawn entry in `r`. `clip_height` is the height
// of the menu's drawing area (the sidebar banner spans all of it).
// `has_image_list` tells whether the toolbar has images to draw from.
std::vector<DrawOp> DrawMenuEntry(const PopupMenuEntry& entry, Rect r,
                                  MenuEntryState state, int clip_height,
                                  bool has_image_list,
                                  const MenuMetrics& metrics,
                                  const MenuColors& colors);

// The colour in which a hot or pressed toolbar button draws its text.
inline constexpr Color kHotButtonTextColor = Color::FromColorRef(0xC80000);

}  // namespace zan

#endif  // ZAN_BROWSER_MENU_PAINTER_H_
