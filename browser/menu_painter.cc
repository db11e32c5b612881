#include "browser/menu_painter.h"

#include <algorithm>

#include "browser/adjust_color.h"

namespace zan {
namespace {

constexpr int kSidebarPrefixLength = 8;  // "SIDEBAR!"

DrawOp Op(DrawOp::Kind kind, Rect rect) {
  DrawOp op;
  op.kind = kind;
  op.rect = rect;
  return op;
}

}  // namespace

Size MeasureMenuEntry(
    const PopupMenuEntry& entry, const MenuMetrics& metrics,
    const std::function<int(const std::string&)>& text_width) {
  if (entry.IsSeparator()) return Size{0, metrics.menu_height / 2};
  if (entry.IsSidebar()) return Size{21 - metrics.check_width, 0};
  int height = std::max(metrics.font_height + 8, metrics.cell.height);
  int width = text_width(entry.data.text) + 2 * metrics.cell.width -
              metrics.check_width + 6;
  return Size{width, height};
}

std::vector<DrawOp> DrawMenuEntry(const PopupMenuEntry& entry, Rect r,
                                  MenuEntryState state, int clip_height,
                                  bool has_image_list,
                                  const MenuMetrics& metrics,
                                  const MenuColors& colors) {
  std::vector<DrawOp> ops;
  const int image_w = metrics.image.width;
  const Color face = colors.button_face;
  const Color hilite = colors.highlight;

  if (entry.IsSidebar()) {
    // The banner fills the whole column, whatever height the entry has.
    int w = r.Width();
    DrawOp gradient = Op(DrawOp::Kind::kGradient, Rect{0, 0, w, clip_height});
    gradient.pen = colors.gradient_active_caption;
    gradient.fill = colors.active_caption;
    ops.push_back(gradient);
    if (entry.data.text.size() > kSidebarPrefixLength) {
      DrawOp text = Op(DrawOp::Kind::kSidebarText, Rect{0, 0, w, clip_height});
      text.text = entry.data.text.substr(kSidebarPrefixLength);
      text.pen = colors.caption_text;
      ops.push_back(text);
    }
    return ops;
  }

  // Background.
  if (!state.selected) {
    DrawOp band = Op(DrawOp::Kind::kFill,
                     Rect{r.left, r.top, r.left + image_w + 8, r.bottom});
    band.fill = AdjustColor(face, 20, 0);
    ops.push_back(band);
    DrawOp rest = Op(DrawOp::Kind::kFill,
                     Rect{r.left + image_w + 8, r.top, r.right, r.bottom});
    rest.fill = AdjustColor(face, 75, 0);
    ops.push_back(rest);
  } else {
    DrawOp frame = Op(DrawOp::Kind::kFrame, r);
    frame.pen = hilite;
    frame.fill = state.disabled ? AdjustColor(face, 73, 0)
                                : AdjustColor(hilite, 70, -57);
    ops.push_back(frame);
  }

  if (entry.IsSeparator()) {
    int y = r.top + r.Height() / 2;
    DrawOp line =
        Op(DrawOp::Kind::kLine, Rect{r.left + image_w + 14, y, r.right - 1, y});
    line.pen = AdjustColor(face, -18, 0);
    ops.push_back(line);
    return ops;
  }

  // Text: the part before the first tab at the left, the rest right-aligned.
  Color text_color =
      state.disabled ? AdjustColor(face, -18, 0) : colors.menu_text;
  const std::string& label = entry.data.text;
  size_t tab = label.find('\t');
  DrawOp left = Op(DrawOp::Kind::kText,
                   Rect{r.left + image_w + 14, r.top, r.right, r.bottom});
  left.text = label.substr(0, tab);
  left.pen = text_color;
  ops.push_back(left);
  if (tab != std::string::npos) {
    DrawOp right = Op(DrawOp::Kind::kText, Rect{r.left + image_w + 14, r.top,
                                                r.right - 12, r.bottom});
    right.text = label.substr(tab + 1);
    right.pen = text_color;
    right.align_right = true;
    ops.push_back(right);
  }

  if (state.checked) {
    DrawOp cell = Op(DrawOp::Kind::kFrame,
                     Rect{r.left + 1, r.top + 1,
                          r.left + metrics.cell.width - 2, r.bottom - 1});
    cell.pen = hilite;
    if (state.disabled) {
      cell.fill = AdjustColor(face, 73, 0);
    } else if (state.selected) {
      cell.fill = AdjustColor(hilite, 50, -50);
    } else {
      cell.fill = AdjustColor(hilite, 70, -57);
    }
    ops.push_back(cell);
  }

  const bool has_image = entry.data.image >= 0 && has_image_list;
  if (has_image) {
    auto at = [&](int dx, int dy) {
      return Rect{r.left + dx, r.top + dy, r.left + dx + metrics.cell.width,
                  r.top + dy + metrics.cell.height};
    };
    if (state.disabled) {
      DrawOp shadow = Op(DrawOp::Kind::kImageShadow, at(3, 3));
      shadow.image = entry.data.image;
      shadow.fill = AdjustColor(face, -27, 0);
      ops.push_back(shadow);
    } else if (state.selected && !state.checked) {
      DrawOp shadow = Op(DrawOp::Kind::kImageShadow, at(4, 4));
      shadow.image = entry.data.image;
      shadow.fill = AdjustColor(hilite, 50, -66);
      ops.push_back(shadow);
      DrawOp image = Op(DrawOp::Kind::kImage, at(2, 3));
      image.image = entry.data.image;
      ops.push_back(image);
    } else {
      DrawOp image = Op(DrawOp::Kind::kImage, at(3, 4));
      image.image = entry.data.image;
      ops.push_back(image);
    }
  } else if (state.checked) {
    ops.push_back(Op(DrawOp::Kind::kCheckMark,
                     Rect{r.left + 5, r.top + 3, r.left + 5 + image_w + 6,
                          r.top + 3 + r.Height()}));
  }
  return ops;
}

}  // namespace zan
