// The settings file's [Windows] section: where the program's own extra windows stood when they
// were last closed, and the serial terminal's line end. Each window keeps its place under a key
// of its own ("Terminal=40,60,600,380": left, top, width, height). What is read is kept on a
// screen that exists, whatever the file says; a write that fails is dropped silently (a window's
// place is not worth an error box), and only the one key changes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/ini_profile.h"

namespace orvane::app {

inline constexpr const char* kWindowsSection = "Windows";

struct WindowPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const WindowPlace&) const = default;
};

// "left,top,width,height" and back; nullopt for anything else.
std::string FormatWindowPlace(const WindowPlace& place);
std::optional<WindowPlace> ParseWindowPlace(std::string_view text);

// The place made to fit: at least `minimum`'s size and at most the screen's, and wholly on the
// screen (`screen` is the screen's own place).
WindowPlace ClampWindowPlace(WindowPlace place, const WindowPlace& screen,
                             const WindowPlace& minimum);

// The place made to fit on the screen it overlaps most of `screens` (the primary one first), or
// on the primary one when it is on none of them (a screen that was there when it was kept).
WindowPlace KeepOnScreens(const WindowPlace& place, const std::vector<WindowPlace>& screens,
                          const WindowPlace& minimum);

class WindowSettings {
 public:
  explicit WindowSettings(std::filesystem::path file) : profile_(std::move(file)) {}

  // The place kept under `key`, kept on `screens`; `fallback` (kept on them too) when none or
  // unreadable.
  WindowPlace ReadPlace(std::string_view key, const WindowPlace& fallback,
                        const std::vector<WindowPlace>& screens, const WindowPlace& minimum) const;
  void WritePlace(std::string_view key, const WindowPlace& place) noexcept;

  std::string ReadValue(std::string_view key, std::string_view defaultValue) const;
  void WriteValue(std::string_view key, std::string_view value) noexcept;

 private:
  IniProfile profile_;
};

}  // namespace orvane::app
