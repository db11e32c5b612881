#include "hosts/band/owner_drawn_menu.h"

#include <algorithm>

namespace zan {
namespace {

// The system's check-mark bitmap (OBM_CHECK).
constexpr int kCheckMarkBitmap = 32760;

COLORREF Ref(Color color) { return RGB(color.r, color.g, color.b); }

Color SystemColor(int index) {
  const COLORREF color = GetSysColor(index);
  return Color{GetRValue(color), GetGValue(color), GetBValue(color)};
}

RECT ToRect(Rect rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void FillWith(HDC dc, Rect rect, Color color) {
  HBRUSH brush = CreateSolidBrush(Ref(color));
  RECT area = ToRect(rect);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
}

}  // namespace

void OwnerDrawnMenu::Render(HDC dc, const DrawOp& op, HIMAGELIST images) {
  switch (op.kind) {
    case DrawOp::Kind::kFill:
      FillWith(dc, op.rect, op.fill);
      break;
    case DrawOp::Kind::kFrame: {
      HPEN pen = CreatePen(PS_SOLID, 1, Ref(op.pen));
      HBRUSH brush = CreateSolidBrush(Ref(op.fill));
      HGDIOBJ old_pen = SelectObject(dc, pen);
      HGDIOBJ old_brush = SelectObject(dc, brush);
      Rectangle(dc, op.rect.left, op.rect.top, op.rect.right, op.rect.bottom);
      SelectObject(dc, old_pen);
      SelectObject(dc, old_brush);
      DeleteObject(pen);
      DeleteObject(brush);
      break;
    }
    case DrawOp::Kind::kLine: {
      HPEN pen = CreatePen(PS_SOLID, 1, Ref(op.pen));
      HGDIOBJ old = SelectObject(dc, pen);
      MoveToEx(dc, op.rect.left, op.rect.top, nullptr);
      LineTo(dc, op.rect.right, op.rect.top);
      SelectObject(dc, old);
      DeleteObject(pen);
      break;
    }
    case DrawOp::Kind::kText: {
      HGDIOBJ old = SelectObject(dc, font_);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, Ref(op.pen));
      RECT area = ToRect(op.rect);
      DrawTextA(
          dc, op.text.c_str(), static_cast<int>(op.text.size()), &area,
          DT_SINGLELINE | DT_VCENTER | (op.align_right ? DT_RIGHT : DT_LEFT));
      SelectObject(dc, old);
      break;
    }
    case DrawOp::Kind::kImage:
      if (images != nullptr) {
        ImageList_Draw(images, op.image, dc, op.rect.left, op.rect.top,
                       ILD_TRANSPARENT);
      }
      break;
    case DrawOp::Kind::kImageShadow:
      if (images != nullptr) {
        HICON icon = ImageList_GetIcon(images, op.image, ILD_TRANSPARENT);
        HBRUSH brush = CreateSolidBrush(Ref(op.fill));
        DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(icon), 0,
                   op.rect.left, op.rect.top, 0, 0, DST_ICON | DSS_MONO);
        DeleteObject(brush);
        DestroyIcon(icon);
      }
      break;
    case DrawOp::Kind::kCheckMark: {
      if (check_mark_ == nullptr) {
        check_mark_ = static_cast<HBITMAP>(
            LoadImageA(nullptr, MAKEINTRESOURCEA(kCheckMarkBitmap),
                       IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
      }
      DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(check_mark_), 0,
                 op.rect.left, op.rect.top, op.rect.right - op.rect.left,
                 op.rect.bottom - op.rect.top, DST_BITMAP);
      break;
    }
    case DrawOp::Kind::kGradient: {
      TRIVERTEX corners[2] = {};
      corners[0].x = op.rect.left;
      corners[0].y = op.rect.top;
      corners[0].Red = static_cast<COLOR16>(op.pen.r << 8);
      corners[0].Green = static_cast<COLOR16>(op.pen.g << 8);
      corners[0].Blue = static_cast<COLOR16>(op.pen.b << 8);
      corners[1].x = op.rect.right;
      corners[1].y = op.rect.bottom;
      corners[1].Red = static_cast<COLOR16>(op.fill.r << 8);
      corners[1].Green = static_cast<COLOR16>(op.fill.g << 8);
      corners[1].Blue = static_cast<COLOR16>(op.fill.b << 8);
      GRADIENT_RECT span{0, 1};
      GradientFill(dc, corners, 2, &span, 1, GRADIENT_FILL_RECT_V);
      break;
    }
    case DrawOp::Kind::kSidebarText: {
      // The banner's width is the font's height.
      const int width = op.rect.right - op.rect.left;
      if (banner_font_ == nullptr || banner_width_ != width) {
        if (banner_font_ != nullptr) DeleteObject(banner_font_);
        banner_font_ = CreateFontA(width, 0, 900, 900, FW_BOLD, TRUE, FALSE,
                                   FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, PROOF_QUALITY,
                                   DEFAULT_PITCH, "Times New Roman");
        banner_width_ = width;
      }
      HGDIOBJ old = SelectObject(dc, banner_font_);
      SetBkMode(dc, TRANSPARENT);
      RECT shadow{op.rect.left + 1, op.rect.top + 1, op.rect.right,
                  op.rect.bottom};
      SetTextColor(dc, RGB(0, 0, 0));
      DrawTextA(dc, op.text.c_str(), -1, &shadow,
                DT_SINGLELINE | DT_BOTTOM | DT_NOCLIP);
      RECT text{op.rect.left, op.rect.top, op.rect.right - 1,
                op.rect.bottom - 1};
      SetTextColor(dc, Ref(op.pen));
      DrawTextA(dc, op.text.c_str(), -1, &text,
                DT_SINGLELINE | DT_BOTTOM | DT_NOCLIP);
      SelectObject(dc, old);
      break;
    }
  }
}

OwnerDrawnMenu::OwnerDrawnMenu(const PopupMenu& menu) {
  NONCLIENTMETRICSA settings{};
  settings.cbSize = sizeof(settings);
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(settings),
                            &settings, 0)) {
    font_ = CreateFontIndirectA(&settings.lfMenuFont);
  }
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font_);
  TEXTMETRICA text{};
  GetTextMetricsA(screen, &text);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  metrics_.font_height = text.tmHeight;
  metrics_.menu_height = GetSystemMetrics(SM_CYMENU);
  metrics_.check_width = GetSystemMetrics(SM_CXMENUCHECK);
  colors_.button_face = SystemColor(COLOR_BTNFACE);
  colors_.highlight = SystemColor(COLOR_HIGHLIGHT);
  colors_.menu_text = SystemColor(COLOR_MENUTEXT);
  colors_.gradient_active_caption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
  colors_.active_caption = SystemColor(COLOR_ACTIVECAPTION);
  colors_.caption_text = SystemColor(COLOR_CAPTIONTEXT);
  menu_ = CreatePopupMenu();
  Append(menu_, menu);
}

OwnerDrawnMenu::~OwnerDrawnMenu() {
  DestroyMenu(menu_);
  if (font_ != nullptr) DeleteObject(font_);
  if (banner_font_ != nullptr) DeleteObject(banner_font_);
  if (check_mark_ != nullptr) DeleteObject(check_mark_);
}

void OwnerDrawnMenu::Append(HMENU menu, const PopupMenu& popup) {
  for (const PopupMenuEntry& entry : popup.entries) {
    entries_[&entry.data] = &entry;
    UINT flags = MF_OWNERDRAW;
    if (entry.StartsColumn()) flags |= MF_MENUBREAK;
    if (entry.IsDisabled()) flags |= MF_GRAYED;
    if (entry.checked) flags |= MF_CHECKED;
    const auto data = reinterpret_cast<LPCSTR>(&entry.data);
    if (entry.IsSeparator()) {
      AppendMenuA(menu, flags | MF_SEPARATOR, entry.id, data);
    } else if (entry.submenu) {
      HMENU submenu = CreatePopupMenu();
      Append(submenu, *entry.submenu);
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                  data);
    } else {
      AppendMenuA(menu, flags, entry.id, data);
    }
  }
}

const PopupMenuEntry* OwnerDrawnMenu::EntryOf(ULONG_PTR data) const {
  // Only this menu's entries are keys: an item of another owner is not one.
  auto found = entries_.find(reinterpret_cast<const MenuEntryData*>(data));
  return found == entries_.end() ? nullptr : found->second;
}

bool OwnerDrawnMenu::Measure(MEASUREITEMSTRUCT& item) {
  if (item.CtlType != ODT_MENU) return false;
  const PopupMenuEntry* entry = EntryOf(item.itemData);
  if (entry == nullptr) return false;
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, font_);
  const Size size =
      MeasureMenuEntry(*entry, metrics_, [screen](const std::string& text) {
        SIZE extent{};
        GetTextExtentPoint32A(screen, text.c_str(),
                              static_cast<int>(text.size()), &extent);
        return static_cast<int>(extent.cx);
      });
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  item.itemWidth = static_cast<UINT>(std::max(size.width, 0));
  item.itemHeight = static_cast<UINT>(std::max(size.height, 0));
  return true;
}

bool OwnerDrawnMenu::Draw(const DRAWITEMSTRUCT& item, HIMAGELIST images) {
  if (item.CtlType != ODT_MENU) return false;
  const PopupMenuEntry* entry = EntryOf(item.itemData);
  if (entry == nullptr) return false;
  RECT clip{};
  GetClipBox(item.hDC, &clip);
  MenuEntryState state;
  state.selected = (item.itemState & ODS_SELECTED) != 0;
  state.disabled = (item.itemState & ODS_GRAYED) != 0;
  state.checked = (item.itemState & ODS_CHECKED) != 0;
  const Rect r{item.rcItem.left, item.rcItem.top, item.rcItem.right,
               item.rcItem.bottom};
  for (const DrawOp& op :
       DrawMenuEntry(*entry, r, state, clip.bottom - clip.top,
                     images != nullptr, metrics_, colors_)) {
    Render(item.hDC, op, images);
  }
  return true;
}

}  // namespace zan
