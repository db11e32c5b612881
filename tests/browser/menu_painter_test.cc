#include "browser/menu_painter.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "browser/adjust_color.h"
#include "browser/bitmap_size.h"

namespace zan {
namespace {

TEST(AdjustColorTest, MovesLuminanceAndSaturation) {
  struct Row {
    const char* name;
    Color in;
    int lum, sat;
    Color out;
  };
  const Row rows[] = {
      {"zero keeps", {212, 208, 200}, 0, 0, {212, 208, 200}},
      {"full lum is white", {10, 120, 200}, 100, 0, {255, 255, 255}},
      {"minus full lum is black", {10, 120, 200}, -100, 0, {0, 0, 0}},
      {"saturating grey starts at hue 0",
       {128, 128, 128},
       0,
       50,
       {191, 65, 65}},
      {"half way to white", {0, 0, 0}, 50, 0, {127, 127, 127}},
      {"half of grey", {200, 200, 200}, -50, 0, {100, 100, 100}},
      {"no saturation is grey", {255, 0, 0}, 0, -100, {128, 128, 128}},
      {"out of range clamps", {0, 0, 0}, 400, 0, {255, 255, 255}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(AdjustColor(row.in, row.lum, row.sat), row.out) << row.name;
  }
  // Round trips through hue, luminance and saturation.
  for (Color c : {Color{0, 84, 227}, Color{212, 208, 200}, Color{49, 106, 197},
                  Color{255, 255, 0}}) {
    Color back = HlsToRgb(RgbToHls(c));
    EXPECT_NEAR(back.r, c.r, 3);
    EXPECT_NEAR(back.g, c.g, 3);
    EXPECT_NEAR(back.b, c.b, 3);
  }
  EXPECT_EQ(RgbToHls(Color{255, 0, 0}), (Hls{0, 128, 255}));
}

PopupMenuEntry Entry(int id, std::string text, int image = -1, int flags = 0) {
  PopupMenuEntry e;
  e.id = id;
  e.flags = kMenuFlagOwnerDraw | flags;
  e.data.text = std::move(text);
  e.data.image = image;
  return e;
}

const DrawOp* FindOp(const std::vector<DrawOp>& ops, DrawOp::Kind kind) {
  auto it = std::find_if(ops.begin(), ops.end(),
                         [&](const DrawOp& op) { return op.kind == kind; });
  return it == ops.end() ? nullptr : &*it;
}

// Sizes and places for the default metrics (a 16x15 image in a 22x21 cell,
// 13-pixel font, 19-pixel menu line, 13-pixel check area); the colours are
// the host's business.
TEST(MenuPainterTest, MeasuresEntries) {
  MenuMetrics m;
  auto width = [](const std::string& t) {
    return static_cast<int>(t.size()) * 6;
  };
  // A separator is half a menu line high.
  EXPECT_EQ(MeasureMenuEntry(Entry(2050, "", -1, kMenuFlagSeparator), m, width),
            (Size{0, 9}));
  EXPECT_EQ(MeasureMenuEntry(Entry(kSidebarId, "SIDEBAR!x"), m, width),
            (Size{8, 0}));
  // Text, image band and margins; the height follows a larger font but never
  // drops below the image cell.
  m.font_height = 16;
  EXPECT_EQ(MeasureMenuEntry(Entry(2049, "Hello"), m, width), (Size{67, 24}));
  m.font_height = 10;
  EXPECT_EQ(MeasureMenuEntry(Entry(2049, "Hello"), m, width).height, 21);
}

TEST(MenuPainterTest, DrawsSeparatorsTextAndImages) {
  MenuMetrics m;
  MenuColors c;
  Rect r{0, 0, 200, 21};
  auto sep = DrawMenuEntry(Entry(2050, "", -1, kMenuFlagSeparator),
                           Rect{0, 0, 200, 10}, {}, 100, true, m, c);
  const DrawOp* line = FindOp(sep, DrawOp::Kind::kLine);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->rect.left, 30);
  EXPECT_EQ(line->rect.right, 199);
  EXPECT_EQ(line->rect.top, 5);

  // Not selected: the image band and the text area, the image at (3, 4),
  // the shortcut after a tab aligned right.
  auto plain =
      DrawMenuEntry(Entry(2049, "Open\tCtrl+O", 5), r, {}, 100, true, m, c);
  EXPECT_EQ(plain[0].rect, (Rect{0, 0, 24, 21}));
  std::vector<DrawOp> texts;
  for (const DrawOp& op : plain) {
    if (op.kind == DrawOp::Kind::kText) texts.push_back(op);
  }
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].text, "Open");
  EXPECT_EQ(texts[0].rect.left, 30);
  EXPECT_EQ(texts[1].text, "Ctrl+O");
  EXPECT_TRUE(texts[1].align_right);
  EXPECT_EQ(texts[1].rect.right, 188);
  EXPECT_EQ(FindOp(plain, DrawOp::Kind::kImage)->rect.left, 3);
  EXPECT_EQ(FindOp(plain, DrawOp::Kind::kImage)->rect.top, 4);

  // Selected: a framed highlight and a lifted image over its shadow.
  auto selected = DrawMenuEntry(Entry(2049, "Open", 5), r, {true, false, false},
                                100, true, m, c);
  EXPECT_EQ(selected[0].kind, DrawOp::Kind::kFrame);
  const DrawOp* shadow = FindOp(selected, DrawOp::Kind::kImageShadow);
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(shadow->rect.left, 4);
  EXPECT_EQ(FindOp(selected, DrawOp::Kind::kImage)->rect.left, 2);

  // Disabled and selected: the silhouette alone, in place, grey text.
  auto disabled = DrawMenuEntry(Entry(2049, "Open", 5), r, {true, true, false},
                                100, true, m, c);
  EXPECT_EQ(FindOp(disabled, DrawOp::Kind::kImage), nullptr);
  EXPECT_EQ(FindOp(disabled, DrawOp::Kind::kImageShadow)->rect.left, 3);
  EXPECT_NE(FindOp(disabled, DrawOp::Kind::kText)->pen, c.menu_text);

  // Checked without an image: the cell frame and the check mark.
  auto checked = DrawMenuEntry(Entry(2049, "On"), r, {false, false, true}, 100,
                               true, m, c);
  const DrawOp* cell = FindOp(checked, DrawOp::Kind::kFrame);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->rect, (Rect{1, 1, 20, 20}));
  EXPECT_NE(FindOp(checked, DrawOp::Kind::kCheckMark), nullptr);
  // Without an image list no image is drawn.
  auto no_list = DrawMenuEntry(Entry(2049, "Open", 5), r, {}, 100, false, m, c);
  EXPECT_EQ(FindOp(no_list, DrawOp::Kind::kImage), nullptr);
}

TEST(MenuPainterTest, SidebarSpansTheMenuWithItsCaption) {
  MenuMetrics m;
  MenuColors c;
  auto ops = DrawMenuEntry(Entry(kSidebarId, "SIDEBAR!ZAN Toolbar"),
                           Rect{0, 0, 21, 0}, {}, 180, true, m, c);
  ASSERT_EQ(ops.size(), 2u);
  EXPECT_EQ(ops[0].kind, DrawOp::Kind::kGradient);
  EXPECT_EQ(ops[0].rect, (Rect{0, 0, 21, 180}));
  EXPECT_EQ(ops[1].text, "ZAN Toolbar");
  // Without a caption only the gradient.
  EXPECT_EQ(DrawMenuEntry(Entry(kSidebarId, "SIDEBAR!"), Rect{0, 0, 21, 0}, {},
                          180, true, m, c)
                .size(),
            1u);
}

TEST(BitmapSizeTest, ReadsTheHeaders) {
  const char* root = std::getenv("ZAN_SOURCE_DIR");
  std::string site = std::string(root ? root : ".") + "/site/toolbar/";
  auto size = ReadBitmapSize(site + "tbil.bmp");
  ASSERT_TRUE(size);
  EXPECT_EQ(size->height, 16);
  EXPECT_EQ(size->width % 16, 0);
  EXPECT_EQ(ReadBitmapSize(site + "tbhotil.bmp"), size);
  EXPECT_FALSE(ReadBitmapSize(site + "index.html"));
  EXPECT_FALSE(ReadBitmapSize(site + "no-such-file.bmp"));
}

}  // namespace
}  // namespace zan
