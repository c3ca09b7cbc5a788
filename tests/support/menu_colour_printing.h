// Readable failures for the flat look's colours: "(177, 185, 207)" rather than raw bytes, and the
// working colours by name.
#pragma once

#include <ostream>

#include "ui/menu/colour.h"
#include "ui/menu/xp_menu_style.h"

namespace orvane::ui::menu {

inline void PrintTo(const Rgb& c, std::ostream* os) {
  *os << '(' << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ')';
}

inline void PrintTo(const WorkingColors& w, std::ostream* os) {
  const struct {
    const char* name;
    const Rgb& colour;
  } fields[] = {{"menuBackground", w.menuBackground},
                {"iconBackground", w.iconBackground},
                {"selectFill", w.selectFill},
                {"selectBorder", w.selectBorder},
                {"selectFont", w.selectFont},
                {"font", w.font},
                {"checkBackground", w.checkBackground},
                {"checkSelectedBackground", w.checkSelectedBackground},
                {"checkBorder", w.checkBorder},
                {"menuBar", w.menuBar},
                {"disabledText", w.disabledText},
                {"separator", w.separator},
                {"popupBorder", w.popupBorder},
                {"popupShadow", w.popupShadow}};
  for (const auto& field : fields) {
    *os << "\n  " << field.name << ' ';
    PrintTo(field.colour, os);
  }
}

}  // namespace orvane::ui::menu
