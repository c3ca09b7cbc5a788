// The platform's source of port names (port_list_win32.cpp, port_list_posix.cpp), behind ListPorts.
#pragma once

#include <string>
#include <vector>

namespace orvane::serial {

// Appends the names of the platform's serial ports present, in any order; each is a name that
// OpenPlatformDevice accepts. Windows: raises EComPort 23 when the registry list cannot be read.
void ListPlatformPorts(std::vector<std::string>& names);

}  // namespace orvane::serial
