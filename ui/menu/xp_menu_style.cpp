#include "ui/menu/xp_menu_style.h"

namespace orvane::ui::menu {

Rgb SystemColors::Of(SystemColor color) const {
  switch (color) {
    case SystemColor::ButtonFace:
      return buttonFace;
    case SystemColor::Highlight:
      return highlight;
    case SystemColor::ButtonShadow:
      return buttonShadow;
    case SystemColor::WindowText:
      return windowText;
    case SystemColor::InactiveCaption:
      return inactiveCaption;
    case SystemColor::Window:
      return window;
  }
  return buttonFace;
}

XPMenuProperties MainWindowMenuProperties() {
  XPMenuProperties properties;
  properties.Font = {"MS Sans Serif", 11, ColorSetting::System(SystemColor::WindowText)};
  return properties;
}

namespace {

WorkingColors FromSystemColors(const XPMenuProperties& p, const SystemColors& s, bool high) {
  const Rgb font = p.Font.color.Resolve(s);
  if (high) {
    return {.menuBackground = LightenColor(s.buttonFace, 86),
            .iconBackground = LightenColor(s.buttonFace, 16),
            .selectFill = LightenColor(s.highlight, 68),
            .selectBorder = s.highlight,
            .selectFont = font,
            .font = font,
            .checkBackground = LightenColor(s.highlight, 80),
            .checkSelectedBackground = LightenColor(s.highlight, 50),
            .checkBorder = s.highlight,
            .menuBar = s.buttonFace,
            .disabledText = LightenColor(s.buttonShadow, 10),
            .separator = LightenColor(s.buttonShadow, 25),
            .popupBorder = DarkenColor(s.buttonFace, 90),
            .popupShadow = DarkenColor(s.buttonFace, 76)};
  }
  return {.menuBackground = kWhite,
          .iconBackground = s.buttonFace,
          .selectFill = kWhite,
          .selectBorder = s.highlight,
          .selectFont = font,
          .font = font,
          .checkBackground = kWhite,
          .checkSelectedBackground = kWhite,
          .checkBorder = s.highlight,
          .menuBar = s.buttonFace,
          .disabledText = s.buttonShadow,
          .separator = s.buttonShadow,
          .popupBorder = s.buttonShadow,
          .popupShadow = s.buttonShadow};
}

WorkingColors FromProperties(const XPMenuProperties& p, const SystemColors& s, bool high) {
  // The popup border and shadow have no property of their own: they stay derived.
  WorkingColors colors = FromSystemColors(p, s, high);
  const Rgb select = p.SelectColor.Resolve(s);
  colors.menuBackground = p.Color.Resolve(s);
  colors.iconBackground = p.IconBackColor.Resolve(s);
  colors.selectBorder = p.SelectBorderColor.Resolve(s);
  colors.selectFont = p.SelectFontColor.Resolve(s);
  colors.checkBorder = p.CheckedColor.Resolve(s);
  colors.menuBar = p.MenuBarColor.Resolve(s);
  colors.disabledText = p.DisabledColor.Resolve(s);
  colors.separator = p.SeparatorColor.Resolve(s);
  if (!high) {
    colors.selectFill = select;
    colors.checkBackground = kWhite;
    colors.checkSelectedBackground = kSilver;
  } else if (p.UseDimColor) {
    colors.selectFill = LightenColor(select, 68);
    colors.checkBackground = LightenColor(select, 80);
    colors.checkSelectedBackground = LightenColor(select, 50);
  } else {
    colors.selectFill = colors.checkBackground = colors.checkSelectedBackground = select;
  }
  return colors;
}

}  // namespace

WorkingColors ComputeWorkingColors(const XPMenuProperties& properties, const SystemColors& system,
                                   bool highColor) {
  return properties.UseSystemColors ? FromSystemColors(properties, system, highColor)
                                    : FromProperties(properties, system, highColor);
}

const WorkingColors& XPMenuStyle::Colors(const SystemColors& system, int bitsPerPixel) {
  const bool high = IsHighColor(bitsPerPixel);
  if (stale_ || high != high_ || !(system == system_)) {
    colors_ = ComputeWorkingColors(properties_, system, high);
    system_ = system;
    high_ = high;
    stale_ = false;
    ++computations_;
  }
  return colors_;
}

}  // namespace orvane::ui::menu
