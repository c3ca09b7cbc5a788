// Ports that exist only inside this process (the virtual board). The port object's default
// opener asks here before the platform, and ListPorts adds the names registered as listed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "serial/com_device.h"

namespace orvane::serial {

using VirtualDeviceFactory = std::function<std::unique_ptr<ComDevice>()>;

// Registers (or replaces) a virtual port. A listed port also appears in ListPorts.
void RegisterVirtualPort(const std::string& name, VirtualDeviceFactory factory, bool listed);
void UnregisterVirtualPort(const std::string& name);

// Opens a registered virtual port; null when no port of that exact name is registered.
std::unique_ptr<ComDevice> OpenVirtualPort(const std::string& name);

// Names of the registered ports that are listed.
std::vector<std::string> ListedVirtualPorts();

// Opens a port name: first the in-process virtual ports (exact name), then a network address
// ("rfc2217://HOST:PORT"), then the platform.
std::unique_ptr<ComDevice> OpenDefaultDevice(const std::string& port, SysError* error);

}  // namespace orvane::serial
