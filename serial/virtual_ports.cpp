#include "serial/virtual_ports.h"

#include <map>
#include <mutex>

#include "serial/network_address.h"
#include "serial/network_device.h"

namespace orvane::serial {
namespace {

struct Entry {
  VirtualDeviceFactory factory;
  bool listed = false;
};

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::map<std::string, Entry>& Registry() {
  static std::map<std::string, Entry> registry;
  return registry;
}

}  // namespace

void RegisterVirtualPort(const std::string& name, VirtualDeviceFactory factory, bool listed) {
  std::lock_guard lock(RegistryMutex());
  Registry()[name] = Entry{std::move(factory), listed};
}

void UnregisterVirtualPort(const std::string& name) {
  std::lock_guard lock(RegistryMutex());
  Registry().erase(name);
}

std::unique_ptr<ComDevice> OpenVirtualPort(const std::string& name) {
  VirtualDeviceFactory factory;
  {
    std::lock_guard lock(RegistryMutex());
    auto it = Registry().find(name);
    if (it == Registry().end()) return nullptr;
    factory = it->second.factory;
  }
  return factory ? factory() : nullptr;
}

std::vector<std::string> ListedVirtualPorts() {
  std::lock_guard lock(RegistryMutex());
  std::vector<std::string> names;
  for (const auto& [name, entry] : Registry()) {
    if (entry.listed) names.push_back(name);
  }
  return names;
}

std::unique_ptr<ComDevice> OpenDefaultDevice(const std::string& port, SysError* error) {
  if (auto device = OpenVirtualPort(port)) return device;
  if (IsNetworkPortName(port)) return OpenNetworkDevice(port, error);
  return OpenPlatformDevice(port, error);
}

}  // namespace orvane::serial
