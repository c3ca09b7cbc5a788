#include "app/startup_options.h"

#include <algorithm>

namespace orvane::app {

StartupOptions ParseStartupOptions(std::span<const std::string> arguments,
                                   bool environmentAsksVirtualBoard) {
  StartupOptions options;
  options.virtualBoard = environmentAsksVirtualBoard ||
                         std::ranges::find(arguments, kVirtualBoardSwitch) != arguments.end();
  return options;
}

}  // namespace orvane::app
