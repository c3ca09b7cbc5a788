// The list of serial ports: the platform's source of port names (port_list_win32.cpp,
// port_list_posix.cpp) and the sorted list the program shows (port_list.cpp).
#pragma once

#include <string>
#include <vector>

namespace orvane::serial {

// Appends the names of the platform's serial ports present, in any order; each is a name that
// OpenPlatformDevice accepts. Windows: an absent serial device map (no serial port on the
// computer) adds nothing; raises EComPort 23 when the map is there but cannot be read.
void ListPlatformPorts(std::vector<std::string>& names);

// Replaces the list with the names of the serial ports present (and the listed virtual ports),
// sorted without regard to letter case. Windows: raises EComPort 23 when the registry's port list
// is there but cannot be read.
void ListPorts(std::vector<std::string>& list);
// The order of ListPorts: case-insensitive text comparison (so "COM10" comes before "COM2").
void SortPortNames(std::vector<std::string>& names);

}  // namespace orvane::serial
