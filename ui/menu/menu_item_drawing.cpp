#include "ui/menu/menu_item_drawing.h"

#include <algorithm>

namespace orvane::ui::menu {
namespace {

constexpr int kCheckBoxSize = 10;
constexpr int kDisabledLightening = 40;

Rect IconColumn(const MenuItemState& item, int width) {
  const Rect& r = item.rect;
  return item.rightToLeft ? Rect{r.right - width, r.top, r.right, r.bottom}
                          : Rect{r.left, r.top, r.left + width, r.bottom};
}

Rect TextArea(const MenuItemState& item, int iconColumnWidth) {
  Rect area = item.rect;
  int lead = 0;
  if (!item.topLevel) {
    lead = iconColumnWidth + kTextAreaGap;
  } else if (item.icon) {
    lead = item.icon->Width() + 1;
  }
  (item.rightToLeft ? area.right : area.left) += item.rightToLeft ? -lead : lead;
  return area;
}

// Blends from the icon column's colour into the menu's across the text area.
void FillGradient(Canvas& canvas, const Rect& rect, Rgb from, Rgb to) {
  const int width = std::max(rect.Width(), 1);
  for (int i = 0; i < rect.Width(); ++i) {
    auto mix = [&](int a, int b) { return static_cast<std::uint8_t>(a + (b - a) * i / width); };
    const Rgb c{mix(from.r, to.r), mix(from.g, to.g), mix(from.b, to.b)};
    FillRect(canvas, {rect.left + i, rect.top, rect.left + i + 1, rect.bottom}, c);
  }
}

void DrawBackground(Canvas& canvas, const MenuItemState& item, const XPMenuProperties& p,
                    const WorkingColors& colors, const DisplayFacts& display) {
  const bool high = display.highColor;
  if (item.topLevel) {
    FillRect(canvas, item.rect,
             p.DrawMenuBar ? p.MenuBarColor.Resolve(display.system) : colors.menuBar);
    return;
  }
  const Rect column = IconColumn(item, p.IconWidth);
  FillRect(canvas, column, colors.iconBackground);
  Rect rest = item.rect;
  (item.rightToLeft ? rest.right : rest.left) = item.rightToLeft ? column.left : column.right;
  if (p.Gradient && high) {
    FillGradient(canvas, rest, colors.iconBackground, colors.menuBackground);
  } else {
    FillRect(canvas, rest, colors.menuBackground);
  }
}

void DrawSelection(Canvas& canvas, const MenuItemState& item, const XPMenuProperties& p,
                   const WorkingColors& colors, bool high, Rgb menuBarProperty) {
  if (!p.DrawSelect || !item.enabled) return;
  const Rect& r = item.rect;
  if (item.topLevel && item.selected) {
    DrawSelectedTopLevelBox(canvas, r, colors, menuBarProperty, high, item.rightToLeft);
  } else if (item.topLevel && item.hot) {
    const Rect box{r.left, r.top, r.right - 7, r.bottom};
    FillRect(canvas, box, colors.selectFill);
    FrameRect(canvas, box, colors.selectBorder);
  } else if (!item.topLevel && item.selected) {
    const Rect box{r.left, r.top + 1, r.right, r.bottom - 1};
    FillRect(canvas, box, colors.selectFill);
    FrameRect(canvas, box, colors.selectBorder);
  }
}

void DrawCheckMark(Canvas& canvas, const Rect& box, Rgb color) {
  const int L = box.left, T = box.top, R = box.right, B = box.bottom;
  PolyLine(canvas, {{L + 1, T + 5}, {L + 4, B - 2}}, color);
  PolyLine(canvas, {{L + 2, T + 5}, {L + 4, B - 3}}, color);
  PolyLine(canvas, {{L + 2, T + 4}, {L + 5, B - 3}}, color);
  PolyLine(canvas, {{L + 4, B - 3}, {R + 2, T - 1}}, color);
  PolyLine(canvas, {{L + 4, B - 2}, {R - 2, T + 3}}, color);
}

// A disc inside `box`, `inset` pixels in from its edges.
void FillDisc(Canvas& canvas, const Rect& box, int inset, Rgb color) {
  const int size = box.Width() - 2 * inset;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int dx = 2 * x + 1 - size, dy = 2 * y + 1 - size;
      if (dx * dx + dy * dy <= size * size) {
        canvas.SetPixel(box.left + inset + x, box.top + inset + y, color);
      }
    }
  }
}

void DrawCheck(Canvas& canvas, const MenuItemState& item, const XPMenuProperties& p,
               const WorkingColors& colors) {
  if (!item.checked) return;
  const Rect column = IconColumn(item, p.IconWidth);
  const Rgb fill = item.selected ? colors.checkSelectedBackground : colors.checkBackground;
  if (item.icon) {
    Rect box{column.left + 1, column.top + 2, column.right - 3, column.bottom - 2};
    box.right = std::max(box.right, box.left + item.icon->Width() + 2);
    FillRect(canvas, box, fill);
    FrameRect(canvas, box, colors.checkBorder);
    return;
  }
  const int left = column.left + (column.Width() - kCheckBoxSize) / 2;
  const int top = column.top + (column.Height() - kCheckBoxSize) / 2 - (item.topLevel ? 1 : 0);
  const Rect box{left, top, left + kCheckBoxSize, top + kCheckBoxSize};
  if (item.radio) {
    FillDisc(canvas, box, 0, colors.checkBorder);
    FillDisc(canvas, box, 1, fill);
    FillDisc(canvas, box, 2, colors.checkBorder);
    return;
  }
  if (item.enabled) FillRect(canvas, box, fill);
  FrameRect(canvas, box, item.enabled ? colors.checkBorder : colors.disabledText);
  DrawCheckMark(canvas, box, item.enabled ? kBlack : colors.disabledText);
}

Rgb TextColor(const MenuItemState& item, const WorkingColors& colors) {
  if (!item.enabled) return colors.disabledText;
  if (item.selected && item.topLevel) {
    return IsLight(colors.iconBackground) ? colors.font : LightenColor(colors.iconBackground, 90);
  }
  return item.selected ? colors.selectFont : colors.font;
}

}  // namespace

Point PopupIconPlace(const Rect& iconColumn, int iconColumnWidth, const Bitmap& icon) {
  return {iconColumn.left + (iconColumnWidth - icon.Width()) / 2 - 1, iconColumn.top + 3};
}

void DrawMenuIcon(Canvas& canvas, const Bitmap& icon, Point place, const MenuItemState& item,
                  const XPMenuProperties& properties, const WorkingColors& colors, bool highColor) {
  if (!item.enabled) {
    Bitmap look = icon;
    GrayOutBitmap(look, properties.GrayLevel);
    LightenBitmap(look, kDisabledLightening);
    DrawIcon(icon, look, canvas, place.x, place.y);
    return;
  }
  if (item.selected && !item.checked && !item.pressed) {
    // Raised: the icon up and left, its shadow down and right.
    const Rgb shadow = DarkenColor(colors.selectFill, 50);
    if (item.topLevel) {
      PaintSilhouette(icon, canvas, place.x + 1, place.y, shadow);
      DrawIcon(icon, icon, canvas, place.x - 1, place.y - 2);
    } else {
      PaintSilhouette(icon, canvas, place.x + 1, place.y + 1, shadow);
      DrawIcon(icon, icon, canvas, place.x - 1, place.y - 1);
    }
    return;
  }
  if (!item.selected && !item.checked && highColor) {
    Bitmap look = icon;
    LightenBitmap(look, properties.DimLevel);
    DrawIcon(icon, look, canvas, place.x, place.y);
    return;
  }
  DrawIcon(icon, icon, canvas, place.x, place.y);
}

void DrawSelectedTopLevelBox(Canvas& canvas, const Rect& rect, const WorkingColors& colors,
                             Rgb menuBarProperty, bool highColor, bool rightToLeft) {
  const int L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
  const Rgb frame = colors.selectBorder;
  if (!highColor || rightToLeft) {
    FillRect(canvas, {L, T, R - 3, B}, colors.selectFill);
    PolyLine(canvas, {{L, B - 1}, {L, T}, {R - 3, T}, {R - 3, B}}, frame);
    FillRect(canvas, {R - 2, T + 2, R, B}, DarkenColor(menuBarProperty, 70));
    FillRect(canvas, {R - 2, T, R, T + 2}, menuBarProperty);
    return;
  }
  FillRect(canvas, {L, T, R - 8, B}, colors.selectFill);
  PolyLine(canvas, {{L, B - 1}, {L, T}, {R - 8, T}, {R - 8, B}}, frame);
  const Rgb c = colors.menuBar;
  FillRect(canvas, {R - 7, T, R, B}, DarkenColor(c, 10));
  FillRect(canvas, {R - 7, T + 3, R - 2, B}, DarkenColor(c, 30));
  FillRect(canvas, {R - 7, T + 5, R - 3, B}, DarkenColor(c, 60));
  FillRect(canvas, {R - 7, T + 6, R - 5, B}, DarkenColor(c, 100));
  PolyLine(canvas, {{R - 5, T + 1}, {R - 1, T + 1}, {R - 1, T + 6}}, c);
  PolyLine(canvas, {{R - 3, T + 2}, {R - 2, T + 2}, {R - 2, T + 3}, {R - 3, T + 3}}, c);
  PolyLine(canvas, {{R - 6, T + 3}, {R - 3, T + 3}, {R - 3, T + 6}, {R - 4, T + 6}, {R - 4, T + 3}},
           DarkenColor(c, 10));
  PolyLine(canvas, {{R - 5, T + 5}, {R - 4, T + 5}, {R - 4, T + 9}}, DarkenColor(c, 30));
  PolyLine(canvas, {{R - 6, T + 5}, {R - 6, T + 7}}, DarkenColor(c, 40));
}

TextPlacement DrawMenuItem(Canvas& canvas, const MenuItemState& item,
                           const XPMenuProperties& properties, const WorkingColors& colors,
                           const DisplayFacts& display) {
  DrawBackground(canvas, item, properties, colors, display);
  DrawSelection(canvas, item, properties, colors, display.highColor,
                properties.MenuBarColor.Resolve(display.system));
  DrawCheck(canvas, item, properties, colors);
  const Rect& r = item.rect;
  const Rect text = TextArea(item, properties.IconWidth);
  if (item.icon && !item.separator) {
    const Point place = item.topLevel
                            ? Point{r.left + 1, r.top + (r.Height() - item.icon->Height()) / 2}
                            : PopupIconPlace(IconColumn(item, properties.IconWidth),
                                             properties.IconWidth, *item.icon);
    DrawMenuIcon(canvas, *item.icon, place, item, properties, colors, display.highColor);
  }
  if (item.separator) {
    const int y = r.top + r.Height() / 2;
    const Rect line = item.rightToLeft ? Rect{r.left, y, text.right - kSeparatorIndent, y + 1}
                                       : Rect{text.left + kSeparatorIndent, y, r.right, y + 1};
    FillRect(canvas, line, colors.separator);
    return {};
  }
  TextPlacement placement;
  placement.draw = true;
  placement.captionLeft =
      item.rightToLeft ? text.right - kCaptionIndent : text.left + kCaptionIndent;
  placement.top = r.top + (r.Height() - item.textHeight) / 2;
  placement.shortcutRight = item.rightToLeft ? r.left + kShortcutIndent : r.right - kShortcutIndent;
  placement.color = TextColor(item, colors);
  return placement;
}

}  // namespace orvane::ui::menu
