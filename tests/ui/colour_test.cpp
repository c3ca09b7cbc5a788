// The colour arithmetic of the flat look and the bitmap conversions built on it.
#include <gtest/gtest.h>

#include "support/menu_colour_printing.h"
#include "ui/menu/bitmap.h"
#include "ui/menu/colour.h"

namespace orvane::ui::menu {
namespace {

TEST(ColourTest, LightenRoundsHalvesToEvenAndCapsThePercentage) {
  struct Case {
    Rgb in;
    int percent;
    Rgb out;
  };
  const Case cases[] = {
      {{0, 0, 0}, 10, {26, 26, 26}},           // 25.5: the even neighbour is 26
      {{0, 0, 0}, 30, {76, 76, 76}},           // 76.5: the even neighbour is 76
      {{1, 3, 5}, 50, {128, 129, 130}},        // 128.0, 129.0, 130.0 exactly
      {{212, 208, 200}, 86, {249, 248, 247}},  // button face: the menu background
      {{212, 208, 200}, 16, {219, 216, 209}},
      {{10, 36, 106}, 68, {177, 185, 207}},  // highlight: the selection fill
      {{10, 20, 30}, 150, {255, 255, 255}},  // above 100 counts as 100
      {{10, 20, 30}, -5, {10, 20, 30}},      // below 0 counts as 0
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LightenColor(c.in, c.percent), c.out) << c.percent << "% of " << int(c.in.r);
  }
}

TEST(ColourTest, DarkenSparesGreenByTwoAndClampsGreyIsAMeanCappedAt240) {
  EXPECT_EQ(DarkenColor({100, 100, 100}, 10), (Rgb{90, 92, 90}));
  EXPECT_EQ(DarkenColor({5, 1, 5}, 10), (Rgb{0, 0, 0}));
  EXPECT_EQ(DarkenColor({250, 254, 250}, -10), (Rgb{255, 255, 255}));
  EXPECT_EQ(DarkenColor({212, 208, 200}, 90), (Rgb{122, 120, 110}));
  EXPECT_EQ(ToGray({10, 20, 32}, 10), (Rgb{30, 30, 30}));  // 62 / 3 = 20, plus 10
  EXPECT_EQ(ToGray({255, 255, 255}, 10), (Rgb{240, 240, 240}));
  EXPECT_EQ(ToGray({1, 1, 2}, 0), (Rgb{1, 1, 1}));
  EXPECT_TRUE(IsLight({151, 0, 150}));  // mean of red and blue 150.5
  EXPECT_FALSE(IsLight({150, 200, 150}));
  EXPECT_TRUE(IsLight({0, 201, 0}));
}

TEST(BitmapTest, ConversionsComputeOnlyWhereAPixelDiffersFromThePreviousOne) {
  const Rgb a{200, 0, 0}, b{0, 0, 200};
  Bitmap bitmap(3, 2);
  bitmap.Pixels() = {a, a, a, b, b, a};
  int calls = 0;
  EXPECT_EQ(ConvertPixels(bitmap, [&](Rgb c) { return ++calls, LightenColor(c, 50); }), 3);
  EXPECT_EQ(calls, 3);
  const Rgb la = LightenColor(a, 50), lb = LightenColor(b, 50);
  EXPECT_EQ(bitmap.Pixels(), (std::vector<Rgb>{la, la, la, lb, lb, la}));

  GrayOutBitmap(bitmap, 10);
  EXPECT_EQ(bitmap.At(0, 0), ToGray(la, 10));
  EXPECT_EQ(bitmap.At(2, 1), ToGray(la, 10));
  EXPECT_EQ(bitmap.At(1, 1), ToGray(lb, 10));
}

// A 3 x 2 icon whose bottom-left pixel (transparent) colour also appears top-right.
Bitmap SampleIcon() {
  const Rgb key{255, 0, 255}, ink{170, 170, 170};
  Bitmap icon(3, 2);
  icon.Pixels() = {ink, ink, key, key, ink, ink};
  return icon;
}

TEST(BitmapTest, SilhouetteCoversTheOpaquePixelsAndStaysInsideTheCanvas) {
  const Rgb paper{1, 2, 3}, shadow{9, 9, 9};
  Bitmap canvas(4, 3, paper);
  PaintSilhouette(SampleIcon(), canvas, 2, 2, shadow);  // mostly off the canvas
  EXPECT_EQ(canvas.At(2, 2), shadow);
  EXPECT_EQ(canvas.At(3, 2), shadow);
  EXPECT_EQ(canvas.At(1, 2), paper);
  PaintSilhouette(SampleIcon(), canvas, -1, -1, shadow);
  EXPECT_EQ(canvas.At(0, 0), shadow);  // icon pixel (1, 1)
  EXPECT_EQ(canvas.At(1, 0), shadow);  // icon pixel (2, 1)
  EXPECT_EQ(canvas.At(1, 1), paper);
}

TEST(BitmapTest, AConvertedIconKeepsTheOriginalsTransparency) {
  const Rgb paper{1, 2, 3};
  const Bitmap icon = SampleIcon();
  Bitmap look = icon;
  // The grey ink stays the grey that the transparent magenta becomes: it must still show.
  GrayOutBitmap(look, 0);
  Bitmap canvas(3, 2, paper);
  DrawIcon(icon, look, canvas, 0, 0);
  EXPECT_EQ(canvas.Pixels(), (std::vector<Rgb>{look.At(0, 0), look.At(1, 0), paper, paper,
                                               look.At(1, 1), look.At(2, 1)}));
}

}  // namespace
}  // namespace orvane::ui::menu
