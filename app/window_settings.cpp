#include "app/window_settings.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace orvane::app {
namespace {

// No screen is this large; a larger number in the file is damage, not a place.
constexpr int kLargest = 1 << 20;

}  // namespace

std::string FormatWindowPlace(const WindowPlace& place) {
  return std::to_string(place.left) + "," + std::to_string(place.top) + "," +
         std::to_string(place.width) + "," + std::to_string(place.height);
}

std::optional<WindowPlace> ParseWindowPlace(std::string_view text) {
  std::array<int, 4> values{};
  const char* next = text.data();
  const char* const end = text.data() + text.size();
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) {
      if (next == end || *next != ',') return std::nullopt;
      ++next;
    }
    const auto [stop, error] = std::from_chars(next, end, values[i]);
    if (error != std::errc() || values[i] < -kLargest || values[i] > kLargest) return std::nullopt;
    next = stop;
  }
  if (next != end) return std::nullopt;
  return WindowPlace{values[0], values[1], values[2], values[3]};
}

WindowPlace ClampWindowPlace(WindowPlace place, const WindowPlace& screen,
                             const WindowPlace& minimum) {
  place.width = std::clamp(place.width, minimum.width, std::max(minimum.width, screen.width));
  place.height = std::clamp(place.height, minimum.height, std::max(minimum.height, screen.height));
  place.left = std::clamp(place.left, screen.left,
                          std::max(screen.left, screen.left + screen.width - place.width));
  place.top = std::clamp(place.top, screen.top,
                         std::max(screen.top, screen.top + screen.height - place.height));
  return place;
}

WindowPlace KeepOnScreens(const WindowPlace& place, const std::vector<WindowPlace>& screens,
                          const WindowPlace& minimum) {
  if (screens.empty()) return place;
  auto overlap = [&](const WindowPlace& screen) {
    const long long width = std::min(place.left + place.width, screen.left + screen.width) -
                            std::max(place.left, screen.left);
    const long long height = std::min(place.top + place.height, screen.top + screen.height) -
                             std::max(place.top, screen.top);
    return width > 0 && height > 0 ? width * height : 0;
  };
  const WindowPlace* best = &screens.front();
  for (const WindowPlace& screen : screens) {
    if (overlap(screen) > overlap(*best)) best = &screen;
  }
  return ClampWindowPlace(place, *best, minimum);
}

WindowPlace WindowSettings::ReadPlace(std::string_view key, const WindowPlace& fallback,
                                      const std::vector<WindowPlace>& screens,
                                      const WindowPlace& minimum) const {
  const auto stored = ParseWindowPlace(ReadValue(key, ""));
  return KeepOnScreens(stored.value_or(fallback), screens, minimum);
}

void WindowSettings::WritePlace(std::string_view key, const WindowPlace& place) noexcept {
  WriteValue(key, FormatWindowPlace(place));
}

std::string WindowSettings::ReadValue(std::string_view key, std::string_view defaultValue) const {
  try {
    return profile_.ReadString(kWindowsSection, key, defaultValue);
  } catch (const std::exception&) {
    return std::string(defaultValue);
  }
}

void WindowSettings::WriteValue(std::string_view key, std::string_view value) noexcept {
  try {
    profile_.WriteString(kWindowsSection, key, value);
  } catch (...) {
    // A place or a choice that cannot be kept is only lost; the program goes on as it was.
  }
}

}  // namespace orvane::app
