// What the Windows program is asked for on its command line and in its environment.
#pragma once

#include <span>
#include <string>

namespace orvane::app {

inline constexpr const char* kVirtualBoardSwitch = "--virtual-board";

struct StartupOptions {
  // List the in-process virtual board as the port VIRTUAL.
  bool virtualBoard = false;
};

// `arguments` without the program's own name; `environmentAsksVirtualBoard` is the answer of the
// environment (ORVANE_VIRTUAL_BOARD=1). Other arguments are ignored: a window program has nowhere
// useful to report them.
StartupOptions ParseStartupOptions(std::span<const std::string> arguments,
                                   bool environmentAsksVirtualBoard);

}  // namespace orvane::app
