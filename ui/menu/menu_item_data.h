// What a window keeps in a menu item's application data for the painter: the item's image in the
// window's image list and its tag (kKeepPlatformLook keeps the painter away from the item).
#pragma once

#include <cstdint>

namespace orvane::ui::menu {

struct MenuItemData {
  int imageIndex = -1;  // -1: no image
  int tag = 0;
};

// Bits 0-15 hold the image index + 1 (0: none), bits 16-47 the tag.
constexpr std::uint64_t PackMenuItemData(MenuItemData data) {
  return (static_cast<std::uint64_t>(data.imageIndex + 1) & 0xFFFF) |
         (static_cast<std::uint64_t>(static_cast<std::uint32_t>(data.tag)) << 16);
}

constexpr MenuItemData UnpackMenuItemData(std::uint64_t packed) {
  return {static_cast<int>(packed & 0xFFFF) - 1,
          static_cast<int>(static_cast<std::uint32_t>(packed >> 16))};
}

}  // namespace orvane::ui::menu
