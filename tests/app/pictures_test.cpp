// The program's pictures and the start-up options: portable, so they run on every build.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/icons.h"
#include "app/startup_options.h"

namespace orvane::app {
namespace {

int OpaqueCount(const Picture& picture) {
  return static_cast<int>(std::count_if(picture.pixels.begin(), picture.pixels.end(),
                                        [](std::uint32_t p) { return (p >> 24) != 0; }));
}

TEST(PicturesTest, ImageListHasSeventeenDistinctGlyphs) {
  std::set<std::vector<std::uint32_t>> seen;
  for (int i = 0; i < kImageListCount; ++i) {
    SCOPED_TRACE("image " + std::to_string(i));
    const Picture picture = ImageListPicture(i);
    EXPECT_EQ(picture.width, 16);
    EXPECT_EQ(picture.height, 16);
    // A glyph: clearly drawn, with a transparent surround.
    EXPECT_GT(OpaqueCount(picture), 40);
    EXPECT_LT(OpaqueCount(picture), 16 * 16);
    EXPECT_TRUE(seen.insert(picture.pixels).second) << "same as an earlier image";
  }
  EXPECT_THROW(ImageListPicture(kImageListCount), std::out_of_range);
  EXPECT_THROW(ImageListPicture(-1), std::out_of_range);
}

TEST(PicturesTest, WindowIconsUseOnlyTheSixteenStandardColours) {
  const auto standard = StandardColours();
  ASSERT_EQ(standard.size(), 16u);
  struct Icon {
    Picture picture;
    int size;
  };
  for (const Icon& icon : {Icon{MainIconPicture(), 32}, Icon{SmallIconPicture(), 16}}) {
    EXPECT_EQ(icon.picture.width, icon.size);
    EXPECT_EQ(icon.picture.height, icon.size);
    for (std::uint32_t pixel : icon.picture.pixels) {
      if ((pixel >> 24) == 0) continue;
      EXPECT_NE(std::find(standard.begin(), standard.end(), pixel & 0xFFFFFFu), standard.end())
          << std::hex << pixel;
    }
  }
}

TEST(PicturesTest, MainWindowDecorationFillsItsFrameCrisply) {
  const Picture board = MainWindowDecorationPicture();
  const Picture fitted = FitToFrame(board, 177, 176);
  ASSERT_EQ(fitted.width, 177);
  ASSERT_EQ(fitted.height, 176);
  // Whole-pixel scaling: every source pixel becomes a square block, nothing is lost.
  const int scale = std::min(177 / board.width, 176 / board.height);
  ASSERT_GE(scale, 2);
  EXPECT_EQ(OpaqueCount(fitted), OpaqueCount(board) * scale * scale);
  EXPECT_GT(OpaqueCount(board), board.width * board.height / 2);
  EXPECT_EQ(OkGlyphPicture().width, 16);
  EXPECT_EQ(CloseGlyphPicture().height, 16);
}

TEST(PicturesTest, FitToFrameScalesByWholeFactorsAndCentres) {
  constexpr std::string_view rows[] = {"AB", "BA"};
  constexpr PaletteEntry palette[] = {{'A', 0xFF0000}, {'B', 0x0000FF}};
  const Picture small = PictureFromMap(rows, palette);
  const Picture fitted = FitToFrame(small, 7, 5);  // factor 2: 4 x 4 at left 1, top 0
  EXPECT_EQ(fitted.At(0, 0), 0u);                  // margin: transparent
  EXPECT_EQ(fitted.At(1, 0), 0xFFFF0000u);
  EXPECT_EQ(fitted.At(2, 1), 0xFFFF0000u);
  EXPECT_EQ(fitted.At(3, 1), 0xFF0000FFu);
  EXPECT_EQ(fitted.At(1, 2), 0xFF0000FFu);
  EXPECT_EQ(fitted.At(4, 3), 0xFFFF0000u);
  EXPECT_EQ(fitted.At(5, 2), 0u);
  EXPECT_EQ(fitted.At(3, 4), 0u);

  // A frame smaller than the picture is filled with what fits.
  const Picture cut = FitToFrame(small, 1, 1);
  EXPECT_EQ(cut.At(0, 0), 0xFFFF0000u);
}

TEST(PicturesTest, BrokenCharacterMapsAreRefused) {
  constexpr PaletteEntry palette[] = {{'A', 0x123456}};
  constexpr std::string_view ragged[] = {"AA", "A"};
  EXPECT_THROW(PictureFromMap(ragged, palette), std::invalid_argument);
  constexpr std::string_view unknown[] = {"AZ"};
  EXPECT_THROW(PictureFromMap(unknown, palette), std::invalid_argument);
  EXPECT_THROW(PictureFromMap(std::span<const std::string_view>{}, palette), std::invalid_argument);
  constexpr std::string_view good[] = {".A"};
  const Picture picture = PictureFromMap(good, palette);
  EXPECT_FALSE(picture.Opaque(0, 0));
  EXPECT_EQ(picture.At(1, 0), 0xFF123456u);
}

TEST(StartupOptionsTest, VirtualBoardBySwitchOrEnvironment) {
  const std::vector<std::string> none;
  const std::vector<std::string> withSwitch = {"--other", "--virtual-board"};
  const std::vector<std::string> lookalike = {"--virtual-boards", "virtual-board"};
  EXPECT_FALSE(ParseStartupOptions(none, false).virtualBoard);
  EXPECT_TRUE(ParseStartupOptions(withSwitch, false).virtualBoard);
  EXPECT_FALSE(ParseStartupOptions(lookalike, false).virtualBoard);
  EXPECT_TRUE(ParseStartupOptions(none, true).virtualBoard);
}

}  // namespace
}  // namespace orvane::app
