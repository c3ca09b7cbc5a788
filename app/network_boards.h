// Boards reached over the network, as the settings file lists them:
//   [Network]  Board1=rfc2217://lab1:4001  Board2=rfc2217://lab1:4002  ...
// They join the port lists of the window and the tool after the serial ports present.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/ini_profile.h"

namespace orvane::app {

inline constexpr const char* kNetworkSection = "Network";
inline constexpr const char* kNetworkBoardKeyPrefix = "Board";
// However many a hand-edited file names, the lists stay short enough to show and to walk.
inline constexpr int kMaxNetworkBoards = 100;

// Board1, Board2, ... up to the first that is missing or empty, without repeats (in any letter
// case). A missing or unreadable file lists none.
std::vector<std::string> NetworkBoards(const IniProfile& settings);

// The serial ports present (serial::ListPorts), then the network boards of the settings file that
// are not among them.
std::vector<std::string> PortsWithNetworkBoards(const std::filesystem::path& settingsFile);

}  // namespace orvane::app
