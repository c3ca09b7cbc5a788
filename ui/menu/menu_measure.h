// The size of a menu item as the flat painter measures it.
#pragma once

#include <string>

namespace orvane::ui::menu {

// Text measured in the painter's font.
class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  virtual int TextWidth(const std::string& text) const = 0;
  virtual int TextHeight() const = 0;
};

struct MenuItemFacts {
  std::string caption;   // "-" is a separator
  std::string shortcut;  // empty: none
  bool topLevel = false;
  bool hasSubItems = false;
  int iconWidth = 0;  // 0: no icon
  int iconHeight = 0;
};

inline constexpr int kSeparatorHeight = 4;

// Raises width and height to what the item needs; never lowers them, except that a separator
// is always kSeparatorHeight high.
void MeasureMenuItem(const MenuItemFacts& item, const TextMetrics& font, int iconColumnWidth,
                     int& width, int& height);

// 0.75 of a text height, to the nearest integer with halves to even: the room above and below.
int ItemPadding(int textHeight);

}  // namespace orvane::ui::menu
