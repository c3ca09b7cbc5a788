// The painter's working colours in both display variants, their recomputation, and the measuring
// rules of a menu item.
#include <gtest/gtest.h>

#include "ui/menu/menu_measure.h"
#include "ui/menu/xp_menu_style.h"

namespace orvane::ui::menu {
namespace {

// Distinct system colours, so a swapped colour shows.
SystemColors Palette() {
  SystemColors s;
  s.buttonFace = {212, 208, 200};
  s.highlight = {10, 36, 106};
  s.buttonShadow = {128, 120, 110};
  s.windowText = {1, 2, 3};
  s.inactiveCaption = {100, 110, 120};
  s.window = {250, 251, 252};
  return s;
}

TEST(WorkingColorsTest, FromSystemColorsInBothVariants) {
  const SystemColors s = Palette();
  const WorkingColors high = ComputeWorkingColors(MainWindowMenuProperties(), s, true);
  EXPECT_EQ(high.menuBackground, LightenColor(s.buttonFace, 86));
  EXPECT_EQ(high.iconBackground, LightenColor(s.buttonFace, 16));
  EXPECT_EQ(high.selectFill, LightenColor(s.highlight, 68));
  EXPECT_EQ(high.selectBorder, s.highlight);
  EXPECT_EQ(high.selectFont, s.windowText);
  EXPECT_EQ(high.checkBackground, LightenColor(s.highlight, 80));
  EXPECT_EQ(high.checkSelectedBackground, LightenColor(s.highlight, 50));
  EXPECT_EQ(high.checkBorder, s.highlight);
  EXPECT_EQ(high.menuBar, s.buttonFace);
  EXPECT_EQ(high.disabledText, LightenColor(s.buttonShadow, 10));
  EXPECT_EQ(high.separator, LightenColor(s.buttonShadow, 25));
  EXPECT_EQ(high.popupBorder, DarkenColor(s.buttonFace, 90));
  EXPECT_EQ(high.popupShadow, DarkenColor(s.buttonFace, 76));

  const WorkingColors low = ComputeWorkingColors(MainWindowMenuProperties(), s, false);
  const WorkingColors expected{.menuBackground = kWhite,
                               .iconBackground = s.buttonFace,
                               .selectFill = kWhite,
                               .selectBorder = s.highlight,
                               .selectFont = s.windowText,
                               .font = s.windowText,
                               .checkBackground = kWhite,
                               .checkSelectedBackground = kWhite,
                               .checkBorder = s.highlight,
                               .menuBar = s.buttonFace,
                               .disabledText = s.buttonShadow,
                               .separator = s.buttonShadow,
                               .popupBorder = s.buttonShadow,
                               .popupShadow = s.buttonShadow};
  EXPECT_EQ(low, expected);
}

TEST(WorkingColorsTest, WithoutSystemColorsThePropertiesAreUsedAndOnlyTheSelectionIsDerived) {
  const SystemColors s = Palette();
  const Rgb select{40, 80, 120};
  XPMenuProperties p = MainWindowMenuProperties();
  p.UseSystemColors = false;
  p.SelectColor = ColorSetting::Fixed(select);
  p.Color = ColorSetting::Fixed({9, 9, 9});
  p.SeparatorColor = ColorSetting::System(SystemColor::Window);

  struct Case {
    bool high;
    bool dim;
    Rgb fill, check, checkSelected;
  };
  const Case cases[] = {
      {true, false, select, select, select},
      {true, true, LightenColor(select, 68), LightenColor(select, 80), LightenColor(select, 50)},
      {false, false, select, kWhite, kSilver},
      {false, true, select, kWhite, kSilver},
  };
  for (const Case& c : cases) {
    p.UseDimColor = c.dim;
    const WorkingColors w = ComputeWorkingColors(p, s, c.high);
    EXPECT_EQ(w.selectFill, c.fill) << c.high << c.dim;
    EXPECT_EQ(w.checkBackground, c.check) << c.high << c.dim;
    EXPECT_EQ(w.checkSelectedBackground, c.checkSelected) << c.high << c.dim;
    EXPECT_EQ(w.menuBackground, (Rgb{9, 9, 9}));
    EXPECT_EQ(w.separator, s.window);
    EXPECT_EQ(w.iconBackground, s.buttonFace);
    EXPECT_EQ(w.disabledText, s.inactiveCaption);
    EXPECT_EQ(w.selectFont, s.windowText);
  }
}

TEST(XPMenuStyleTest, ColorsAreRecomputedOnlyAfterAChangeOfPropertyPaletteOrDepth) {
  XPMenuStyle style(MainWindowMenuProperties());
  SystemColors s = Palette();
  const Rgb first = style.Colors(s, 24).selectFill;
  style.Colors(s, 32);
  EXPECT_EQ(style.Computations(), 1);

  style.Change().UseSystemColors = false;
  style.Change().SelectColor = ColorSetting::Fixed({1, 1, 1});
  EXPECT_EQ(style.Colors(s, 24).selectFill, (Rgb{1, 1, 1}));
  EXPECT_NE(first, (Rgb{1, 1, 1}));
  EXPECT_EQ(style.Computations(), 2);

  EXPECT_EQ(style.Colors(s, 8).checkSelectedBackground, kSilver);  // low colour
  s.window = {0, 0, 0};
  style.Colors(s, 8);
  EXPECT_EQ(style.Computations(), 4);
}

// Every character 6 pixels wide except "W" (10); lines 13 pixels high.
class FakeFont : public TextMetrics {
 public:
  int TextWidth(const std::string& text) const override {
    int width = 0;
    for (char c : text) width += c == 'W' ? 10 : 6;
    return width;
  }
  int TextHeight() const override { return 13; }
};

TEST(MeasureTest, MeasuringRules) {
  struct Case {
    MenuItemFacts item;
    int givenWidth, givenHeight;
    int width, height;
  };
  const Case cases[] = {
      // "&Open && Download" + "F9" + "WWW": 19 * 6 + 30 + 5 - 6, icon column 24; 13 + 10 high.
      {{"&Open && Download", "F9", false, false, 16, 16}, 0, 0, 19 * 6 + 30 + 5 - 6 + 24, 23},
      {{"Recent Files", "", false, true, 16, 16}, 0, 0, 12 * 6 + 5 + 6 + 24, 23},
      {{"Plain", "", false, false, 0, 0}, 0, 0, 5 * 6 + 5 + 24, 23},
      {{"Tall", "", false, false, 16, 20}, 0, 0, 4 * 6 + 5 + 24, 26},
      {{"Big", "", false, false, 30, 16}, 0, 0, 3 * 6 + 5 + 30, 23},
      // In the menu bar: no icon column, no arrow.
      {{"&File", "", true, true, 0, 0}, 0, 0, 5 * 6 + 5 - 6, 23},
      {{"-", "", false, false, 0, 0}, 0, 0, 0, 4},
      // Only ever raised, but a separator stays thin whatever it is offered.
      {{"-", "", false, false, 0, 0}, 50, 16, 50, 4},
      {{"Plain", "", false, false, 0, 0}, 200, 30, 200, 30},
  };
  for (const Case& c : cases) {
    int width = c.givenWidth, height = c.givenHeight;
    MeasureMenuItem(c.item, FakeFont(), 24, width, height);
    EXPECT_EQ(width, c.width) << c.item.caption;
    EXPECT_EQ(height, c.height) << c.item.caption;
  }
  EXPECT_EQ(ItemPadding(13), 10);  // 9.75
  EXPECT_EQ(ItemPadding(2), 2);    // 1.5: the even neighbour
  EXPECT_EQ(ItemPadding(6), 4);    // 4.5: the even neighbour
}

}  // namespace
}  // namespace orvane::ui::menu
