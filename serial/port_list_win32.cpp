#include "serial/port_list.h"

namespace orvane::serial {

void ListPlatformPorts(std::vector<std::string>&) {}

}  // namespace orvane::serial
