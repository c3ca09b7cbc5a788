// The painter's working colours in both display variants, their recomputation, and the measuring
// rules of a menu item.
#include <gtest/gtest.h>

#include "support/menu_colour_printing.h"
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

Rgb C(int r, int g, int b) {
  return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b)};
}

// The high-colour working colours of a few system colour sets, worked out by hand: lightening
// by p % takes x to x + (255 - x) * p / 100, nearest integer, an exact half to the even one.
TEST(WorkingColorsTest, HighColourFromSystemColoursWorkedOutByHand) {
  struct Case {
    const char* name;
    Rgb face, highlight, shadow;
    Rgb menu, icon, fill, check, checkSelected, disabled, separator, border, popupShadow;
  };
  // face, highlight, shadow; then face +86 %, +16 %; highlight +68 %, +80 %, +50 %;
  // shadow +10 %, +25 %; face darkened by 90, by 76
  const Case cases[] = {
      // highlight +50 %: 132.5, 145.5, 180.5 give 132, 146, 180
      {"classic", C(212, 208, 200), C(10, 36, 106), C(128, 128, 128), C(249, 248, 247),
       C(219, 216, 209), C(177, 185, 207), C(206, 211, 225), C(132, 146, 180), C(141, 141, 141),
       C(160, 160, 160), C(122, 120, 110), C(136, 134, 124)},
      // shadow +25 %: blue 178.5 gives 178
      {"beige", C(236, 233, 216), C(49, 106, 197), C(172, 168, 153), C(252, 252, 250),
       C(239, 237, 222), C(189, 207, 236), C(214, 225, 243), C(152, 180, 226), C(180, 177, 163),
       C(193, 190, 178), C(146, 145, 126), C(160, 159, 140)},
      // highlight +50 %: 191.5 and 127.5 give 192 and 128; darkening stops at 0
      {"high contrast", C(0, 0, 0), C(128, 0, 128), C(128, 128, 128), C(219, 219, 219),
       C(41, 41, 41), C(214, 173, 214), C(230, 204, 230), C(192, 128, 192), C(141, 141, 141),
       C(160, 160, 160), C(0, 0, 0), C(0, 0, 0)},
      // face +86 %: 251.5, 244.5, 237.5 give 252, 244, 238; shadow +10 %: 106.5, 115.5 give
      // 106, 116; highlight +50 %: 127.5, 187.5 give 128, 188
      {"own", C(230, 180, 130), C(0, 120, 215), C(90, 95, 100), C(252, 244, 238), C(234, 192, 150),
       C(173, 212, 242), C(204, 228, 247), C(128, 188, 235), C(106, 111, 116), C(131, 135, 139),
       C(140, 92, 40), C(154, 106, 54)},
  };
  for (const Case& c : cases) {
    SystemColors s = Palette();
    s.buttonFace = c.face;
    s.highlight = c.highlight;
    s.buttonShadow = c.shadow;
    const WorkingColors expected{.menuBackground = c.menu,
                                 .iconBackground = c.icon,
                                 .selectFill = c.fill,
                                 .selectBorder = c.highlight,
                                 .selectFont = s.windowText,
                                 .font = s.windowText,
                                 .checkBackground = c.check,
                                 .checkSelectedBackground = c.checkSelected,
                                 .checkBorder = c.highlight,
                                 .menuBar = c.face,
                                 .disabledText = c.disabled,
                                 .separator = c.separator,
                                 .popupBorder = c.border,
                                 .popupShadow = c.popupShadow};
    EXPECT_EQ(ComputeWorkingColors(MainWindowMenuProperties(), s, true), expected) << c.name;
  }
}

TEST(WorkingColorsTest, LowColourTakesTheSystemColoursAsTheyAre) {
  const SystemColors s = Palette();
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
      // +68 %: 186.2, 199, 211.8; +80 %: 212, 220, 228; +50 %: 147.5, 167.5, 187.5
      {true, true, {186, 199, 212}, {212, 220, 228}, {148, 168, 188}},
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
