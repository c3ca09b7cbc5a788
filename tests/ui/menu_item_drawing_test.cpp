// Pixels of composed menu items: the selected popup item with its raised icon, the selected
// menu-bar box with its shadow, disabled items, separators and the low-colour variant.
#include <gtest/gtest.h>

#include "support/menu_colour_printing.h"
#include "ui/menu/menu_item_drawing.h"

namespace orvane::ui::menu {
namespace {

constexpr Rgb kKey{255, 0, 255};
constexpr Rgb kInk{200, 40, 40};

// 16 x 16, transparent but for a 4 x 4 block of ink at (6, 6).
Bitmap Icon() {
  Bitmap icon(16, 16, kKey);
  FillRect(icon, {6, 6, 10, 10}, kInk);
  return icon;
}

class MenuItemDrawingTest : public ::testing::Test {
 protected:
  TextPlacement Draw(MenuItemState item, bool high = true) {
    item.icon = item.separator ? nullptr : &icon;
    return DrawMenuItem(canvas, item, properties, Colors(high), {high, system});
  }
  WorkingColors Colors(bool high) { return ComputeWorkingColors(properties, system, high); }

  SystemColors system;
  XPMenuProperties properties = MainWindowMenuProperties();
  Bitmap icon = Icon();
  Bitmap canvas{120, 23, kBlack};
};

TEST_F(MenuItemDrawingTest, SelectedPopupItemIsFramedAndItsIconRaised) {
  const WorkingColors c = Colors(true);
  const TextPlacement text = Draw({.rect = {0, 0, 120, 23}, .selected = true});
  EXPECT_EQ(canvas.At(0, 0), c.iconBackground);  // the selection starts one pixel down
  EXPECT_EQ(canvas.At(0, 1), c.selectBorder);
  EXPECT_EQ(canvas.At(119, 21), c.selectBorder);
  EXPECT_EQ(canvas.At(60, 22), c.menuBackground);
  EXPECT_EQ(canvas.At(60, 10), c.selectFill);
  // Normal place of the icon (3, 3); drawn at (2, 2), its silhouette at (4, 4).
  EXPECT_EQ(canvas.At(2 + 6, 2 + 6), kInk);
  EXPECT_EQ(canvas.At(2 + 10, 2 + 10), DarkenColor(c.selectFill, 50));
  EXPECT_EQ(canvas.At(2 + 5, 2 + 5), c.selectFill);
  EXPECT_TRUE(text.draw);
  EXPECT_EQ(text.captionLeft, 24 + kTextAreaGap + kCaptionIndent);
  EXPECT_EQ(text.shortcutRight, 110);
  EXPECT_EQ(text.top, 5);
  EXPECT_EQ(text.color, c.selectFont);
}

TEST_F(MenuItemDrawingTest, UnselectedIconsAreDimmedOnlyOnHighColourDisplays) {
  Draw({.rect = {0, 0, 120, 23}});
  EXPECT_EQ(canvas.At(3 + 6, 3 + 6), LightenColor(kInk, 30));
  EXPECT_EQ(canvas.At(3 + 5, 3 + 5), Colors(true).iconBackground);
  Draw({.rect = {0, 0, 120, 23}}, false);
  EXPECT_EQ(canvas.At(3 + 6, 3 + 6), kInk);
  EXPECT_EQ(canvas.At(60, 10), kWhite);
}

// A toolbar button's icon: hot raises it, hot and pressed leaves it undimmed in its place, a
// pressed button the pointer has left dims it.
TEST_F(MenuItemDrawingTest, APressedButtonsIconDoesNotMove) {
  const WorkingColors c = Colors(true);
  struct Case {
    bool hot, pressed;
    Point ink;  // the icon's first ink pixel
    Rgb color;
    Rgb belowRight;  // just past the ink at its normal place: the silhouette or nothing
  };
  const Case cases[] = {
      {true, false, {2 + 6, 2 + 6}, kInk, DarkenColor(c.selectFill, 50)},
      {true, true, {3 + 6, 3 + 6}, kInk, kWhite},
      {false, true, {3 + 6, 3 + 6}, LightenColor(kInk, 30), kWhite},
  };
  for (const Case& k : cases) {
    canvas = Bitmap(24, 24, kWhite);
    const MenuItemState button{.rect = {0, 0, 24, 24}, .selected = k.hot, .pressed = k.pressed};
    DrawMenuIcon(canvas, icon, {3, 3}, button, properties, c, true);
    EXPECT_EQ(canvas.At(k.ink.x, k.ink.y), k.color) << k.hot << k.pressed;
    EXPECT_EQ(canvas.At(k.ink.x - 1, k.ink.y - 1), kWhite) << k.hot << k.pressed;
    EXPECT_EQ(canvas.At(3 + 10, 3 + 10), k.belowRight) << k.hot << k.pressed;
  }
}

TEST_F(MenuItemDrawingTest, DisabledItemsShowNoSelectionAndAGreyedIcon) {
  const WorkingColors c = Colors(true);
  const TextPlacement text = Draw({.rect = {0, 0, 120, 23}, .selected = true, .enabled = false});
  EXPECT_EQ(canvas.At(0, 1), c.iconBackground);
  EXPECT_EQ(canvas.At(60, 10), c.menuBackground);
  EXPECT_EQ(canvas.At(3 + 6, 3 + 6), LightenColor(ToGray(kInk, 10), 40));
  EXPECT_EQ(text.color, c.disabledText);
}

TEST_F(MenuItemDrawingTest, SeparatorIsALineAtHalfHeightFromSevenPixelsIntoTheTextArea) {
  const WorkingColors c = Colors(true);
  canvas = Bitmap(120, 4, kBlack);
  EXPECT_FALSE(Draw({.rect = {0, 0, 120, 4}, .separator = true}).draw);
  const int start = 24 + kTextAreaGap + kSeparatorIndent;
  EXPECT_EQ(canvas.At(start - 1, 2), c.menuBackground);
  EXPECT_EQ(canvas.At(start, 2), c.separator);
  EXPECT_EQ(canvas.At(119, 2), c.separator);
  EXPECT_EQ(canvas.At(start, 1), c.menuBackground);
}

TEST_F(MenuItemDrawingTest, SelectedMenuBarBoxWithItsShadowStrip) {
  const WorkingColors w = Colors(true);
  const Rgb c = w.menuBar;
  canvas = Bitmap(40, 19, kBlack);
  DrawSelectedTopLevelBox(canvas, {0, 0, 40, 19}, w, system.buttonFace, true, false);
  const int R = 40, T = 0, B = 19;
  struct Probe {
    int x, y;
    Rgb color;
  };
  const Probe probes[] = {
      {0, 0, w.selectBorder},
      {0, B - 1, w.selectBorder},
      {R - 8, T, w.selectBorder},
      {R - 8, B - 1, w.selectBorder},
      {5, B - 1, w.selectFill},
      {5, 5, w.selectFill},
      {R - 7, T, DarkenColor(c, 10)},
      {R - 2, B - 1, DarkenColor(c, 10)},
      {R - 3, B - 1, DarkenColor(c, 30)},
      {R - 4, B - 1, DarkenColor(c, 60)},
      {R - 7, B - 1, DarkenColor(c, 100)},
      {R - 6, T + 6, DarkenColor(c, 40)},
      {R - 1, T + 1, c},
      {R - 1, T + 5, c},
      {R - 2, T + 2, c},
      {R - 3, T + 5, DarkenColor(c, 10)},
      {R - 4, T + 8, DarkenColor(c, 30)},
      {R - 1, T + 6, DarkenColor(c, 10)},
  };
  for (const Probe& p : probes) {
    EXPECT_EQ(canvas.At(p.x, p.y), p.color) << p.x << "," << p.y;
  }
}

TEST_F(MenuItemDrawingTest, SelectedMenuBarBoxOnALowColourDisplay) {
  const WorkingColors w = Colors(false);
  canvas = Bitmap(40, 19, kBlack);
  DrawSelectedTopLevelBox(canvas, {0, 0, 40, 19}, w, system.buttonFace, false, false);
  EXPECT_EQ(canvas.At(37, 0), w.selectBorder);
  EXPECT_EQ(canvas.At(37, 18), w.selectBorder);
  EXPECT_EQ(canvas.At(38, 1), system.buttonFace);
  EXPECT_EQ(canvas.At(39, 2), DarkenColor(system.buttonFace, 70));
  EXPECT_EQ(canvas.At(10, 10), kWhite);
}

}  // namespace
}  // namespace orvane::ui::menu
