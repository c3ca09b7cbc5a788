// The serial ports present on Linux, from sysfs: every tty backed by a device (USB adapters, ACM
// modems, on-board UARTs), without the ttyS slots that the kernel reserves for UARTs not fitted.
#include "serial/port_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <fstream>
#include <memory>
#include <string>

namespace orvane::serial {
namespace {

constexpr const char* kTtyClass = "/sys/class/tty/";

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// The serial core gives each port the number of its UART type; 0 means none is fitted.
bool UartFitted(const std::string& name) {
  std::ifstream type(kTtyClass + name + "/type");
  int value = -1;
  if (!(type >> value)) return true;  // not a serial-core port: the device link decides
  return value != 0;
}

}  // namespace

void ListPlatformPorts(std::vector<std::string>& names) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(kTtyClass), closedir);
  if (!dir) return;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name.empty() || name[0] == '.') continue;
    if (!Exists(kTtyClass + name + "/device")) continue;  // virtual consoles and the like
    if (!UartFitted(name)) continue;
    if (!Exists("/dev/" + name)) continue;
    names.push_back("/dev/" + name);
  }
}

}  // namespace orvane::serial
