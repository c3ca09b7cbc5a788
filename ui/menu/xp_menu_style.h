// The settings of the flat menu painter TXPMenu and the working colours it derives from them.
// Portable: the Windows painter resolves the system colours and the display's depth and hands
// them in.
#pragma once

#include <cstdint>
#include <string>

#include "ui/menu/colour.h"

namespace orvane::ui::menu {

// The system colours the painter's properties may name; resolved to values when used.
enum class SystemColor { ButtonFace, Highlight, ButtonShadow, WindowText, InactiveCaption, Window };

struct SystemColors {
  Rgb buttonFace{212, 208, 200};
  Rgb highlight{10, 36, 106};
  Rgb buttonShadow{128, 128, 128};
  Rgb windowText{0, 0, 0};
  Rgb inactiveCaption{128, 128, 128};
  Rgb window{255, 255, 255};
  Rgb Of(SystemColor color) const;
  friend bool operator==(const SystemColors&, const SystemColors&) = default;
};

// A colour property: a system colour by name, or a fixed value.
struct ColorSetting {
  static ColorSetting System(SystemColor color) { return {true, color, {}}; }
  static ColorSetting Fixed(Rgb value) { return {false, SystemColor::ButtonFace, value}; }
  Rgb Resolve(const SystemColors& system) const { return isSystem ? system.Of(name) : value; }
  bool isSystem = true;
  SystemColor name = SystemColor::ButtonFace;
  Rgb value{};
};

// Kinds of controls the painter paints, and of containers whose children it walks.
enum XPControl : std::uint32_t {
  xcMainMenu = 1u << 0,
  xcPopupMenu = 1u << 1,
  xcToolbar = 1u << 2,
  xcControlbar = 1u << 3,
  xcCombo = 1u << 4,
  xcListBox = 1u << 5,
  xcEdit = 1u << 6,
  xcMaskEdit = 1u << 7,
  xcMemo = 1u << 8,
  xcRichEdit = 1u << 9,
  xcMiscEdit = 1u << 10,
  xcCheckBox = 1u << 11,
  xcRadioButton = 1u << 12,
  xcButton = 1u << 13,
  xcBitBtn = 1u << 14,
  xcSpeedButton = 1u << 15,
  xcUpDown = 1u << 16,
  xcPanel = 1u << 17,
  xcGroupBox = 1u << 18,
  xcTreeView = 1u << 19,
  xcListView = 1u << 20,
  xcProgressBar = 1u << 21,
  xcHotKey = 1u << 22,
};
inline constexpr std::uint32_t kAllXPControls = (1u << 23) - 1;
enum XPContainer : std::uint32_t {
  xccForm = 1u << 0,
  xccFrame = 1u << 1,
  xccToolbar = 1u << 2,
  xccCoolbar = 1u << 3,
  xccControlbar = 1u << 4,
  xccPanel = 1u << 5,
  xccScrollBox = 1u << 6,
  xccGroupBox = 1u << 7,
  xccTabSheet = 1u << 8,
  xccPageScroller = 1u << 9,
};
inline constexpr std::uint32_t kAllXPContainers = (1u << 10) - 1;

// The tag that keeps the painter away from a menu, item, control or window.
inline constexpr int kKeepPlatformLook = 999;

struct FontSetting {
  std::string name;  // empty: the system's menu font
  int pixelHeight = 0;
  ColorSetting color = ColorSetting::System(SystemColor::WindowText);
};

// The published properties, with their values at creation.
struct XPMenuProperties {
  bool AutoDetect = false;
  FontSetting Font;
  ColorSetting Color = ColorSetting::System(SystemColor::ButtonFace);
  ColorSetting IconBackColor = ColorSetting::System(SystemColor::ButtonFace);
  ColorSetting MenuBarColor = ColorSetting::System(SystemColor::ButtonFace);
  ColorSetting SelectColor = ColorSetting::System(SystemColor::Highlight);
  ColorSetting SelectBorderColor = ColorSetting::System(SystemColor::Highlight);
  ColorSetting SelectFontColor = ColorSetting::System(SystemColor::WindowText);
  ColorSetting DisabledColor = ColorSetting::System(SystemColor::InactiveCaption);
  ColorSetting SeparatorColor = ColorSetting::System(SystemColor::ButtonFace);
  ColorSetting CheckedColor = ColorSetting::System(SystemColor::Highlight);
  int IconWidth = 24;
  int DimLevel = 30;
  int GrayLevel = 10;
  bool DrawSelect = true;
  bool UseSystemColors = true;
  bool UseDimColor = false;
  bool OverrideOwnerDraw = false;
  bool Gradient = false;
  bool FlatMenu = false;
  bool DrawMenuBar = false;
  std::uint32_t XPControls = kAllXPControls;
  std::uint32_t XPContainers = kAllXPContainers;
  bool DisableSubclassing = false;
};

// The main window's painter: "MS Sans Serif" 11 pixels high in window text, the rest as created.
XPMenuProperties MainWindowMenuProperties();

// The colours every drawing uses.
struct WorkingColors {
  Rgb menuBackground;
  Rgb iconBackground;
  Rgb selectFill;
  Rgb selectBorder;
  Rgb selectFont;
  Rgb font;
  Rgb checkBackground;          // item not selected
  Rgb checkSelectedBackground;  // item selected; also the pressed colour
  Rgb checkBorder;
  Rgb menuBar;
  Rgb disabledText;
  Rgb separator;
  Rgb popupBorder;
  Rgb popupShadow;
  friend bool operator==(const WorkingColors&, const WorkingColors&) = default;
};

// Displays of fewer bits per pixel get the low-colour variant.
inline constexpr int kHighColorBits = 16;
inline bool IsHighColor(int bitsPerPixel) { return bitsPerPixel >= kHighColorBits; }

// Lightened working colours round as LightenColor does (an exact half to the even neighbour);
// darkened ones are clamped to 0...255. A half can only arise at 50 %, 25 %, 10 % and, for a few
// channel values, 86 % (a channel of 230, 180, 130, 80 or 30).
WorkingColors ComputeWorkingColors(const XPMenuProperties& properties, const SystemColors& system,
                                   bool highColor);

// The properties and the working colours kept up to date with them: any change made through
// Change(), a change of the system colours or of the display's depth recomputes them at the
// next drawing.
class XPMenuStyle {
 public:
  explicit XPMenuStyle(XPMenuProperties properties = {}) : properties_(std::move(properties)) {}
  const XPMenuProperties& Properties() const { return properties_; }
  XPMenuProperties& Change() {
    stale_ = true;
    return properties_;
  }
  const WorkingColors& Colors(const SystemColors& system, int bitsPerPixel);
  // How often the colours were computed (for tests of the recomputation).
  int Computations() const { return computations_; }

 private:
  XPMenuProperties properties_;
  WorkingColors colors_{};
  SystemColors system_{};
  bool high_ = true;
  bool stale_ = true;
  int computations_ = 0;
};

}  // namespace orvane::ui::menu
