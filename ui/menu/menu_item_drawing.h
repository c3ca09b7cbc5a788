// Composes one menu item of the flat look on a canvas of the item's size: backgrounds, the
// selection, the selected menu-bar box with its shadow, check marks, the icon and the separator.
// The text comes last and needs a font, so this says where and in which colour to write it.
#pragma once

#include "ui/menu/bitmap.h"
#include "ui/menu/xp_menu_style.h"

namespace orvane::ui::menu {

struct MenuItemState {
  Rect rect;  // the item on the canvas
  bool topLevel = false;
  bool separator = false;
  bool selected = false;
  bool enabled = true;
  bool checked = false;
  bool radio = false;
  bool rightToLeft = false;
  bool hot = false;      // a menu-bar item under the mouse pointer, not open
  bool pressed = false;  // a toolbar button held down: its icon stays where it is
  const Bitmap* icon = nullptr;
  int textHeight = 13;  // of "W" in the painter's font
};

struct DisplayFacts {
  bool highColor = true;
  SystemColors system;  // what the colour properties name
};

// Where the caption and the shortcut go.
struct TextPlacement {
  bool draw = false;
  int captionLeft = 0;    // left edge of the caption (its right edge when right-to-left)
  int top = 0;            // of the text line
  int shortcutRight = 0;  // right edge of the shortcut (its left edge when right-to-left)
  Rgb color{};
};

// Gaps inside a popup item.
inline constexpr int kTextAreaGap = 4;  // between icon column and text area
inline constexpr int kCaptionIndent = 3;
inline constexpr int kShortcutIndent = 10;
inline constexpr int kSeparatorIndent = 7;

TextPlacement DrawMenuItem(Canvas& canvas, const MenuItemState& item,
                           const XPMenuProperties& properties, const WorkingColors& colors,
                           const DisplayFacts& display);

// The selected menu-bar box with its shadow strip (high colour, left to right) or its plain
// shadow corner (otherwise).
void DrawSelectedTopLevelBox(Canvas& canvas, const Rect& rect, const WorkingColors& colors,
                             Rgb menuBarProperty, bool highColor, bool rightToLeft);

// Where an icon of a popup item goes: 3 below the top, centred in the icon column.
Point PopupIconPlace(const Rect& iconColumn, int iconColumnWidth, const Bitmap& icon);

// Draws an icon in its state: raised with a silhouette when selected (as it is, in its place,
// when also pressed), dimmed when not (high colour only), greyed and lightened when disabled.
// `place` is its normal top-left.
void DrawMenuIcon(Canvas& canvas, const Bitmap& icon, Point place, const MenuItemState& item,
                  const XPMenuProperties& properties, const WorkingColors& colors, bool highColor);

}  // namespace orvane::ui::menu
