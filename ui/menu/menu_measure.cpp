#include "ui/menu/menu_measure.h"

#include <algorithm>

namespace orvane::ui::menu {

namespace {
constexpr int kTextMargin = 5;
constexpr int kSubMenuArrowRoom = 6;
constexpr int kIconMargin = 6;
}  // namespace

int ItemPadding(int textHeight) {
  const int quarters = 3 * textHeight;
  int padding = quarters / 4;
  const int remainder = quarters % 4;
  if (remainder > 2 || (remainder == 2 && padding % 2 != 0)) ++padding;
  return padding;
}

void MeasureMenuItem(const MenuItemFacts& item, const TextMetrics& font, int iconColumnWidth,
                     int& width, int& height) {
  if (item.caption == "-") {
    // A thin line, whatever height the system offers for an item of its own drawing.
    height = kSeparatorHeight;
    return;
  }
  // "WWW" keeps the caption and the shortcut apart; an access-key marker takes no room.
  std::string text = item.caption;
  if (!item.shortcut.empty()) text += item.shortcut + "WWW";
  int needed = font.TextWidth(text) + kTextMargin;
  if (text.find('&') != std::string::npos) needed -= font.TextWidth("&");
  if (!item.topLevel && item.hasSubItems) needed += kSubMenuArrowRoom;
  needed += item.topLevel ? item.iconWidth : std::max(item.iconWidth, iconColumnWidth);

  const int textHeight = font.TextHeight();
  int neededHeight = textHeight + ItemPadding(textHeight);
  if (item.iconHeight > 0) neededHeight = std::max(neededHeight, item.iconHeight + kIconMargin);
  width = std::max(width, needed);
  height = std::max(height, neededHeight);
}

}  // namespace orvane::ui::menu
