// Port details from sysfs: /sys/class/tty/<name>/device leads into the device tree; a USB port's
// interface sits below the USB device, whose folder holds idVendor, idProduct and the strings.
#include "serial/port_details.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace orvane::serial {
namespace {

namespace fs = std::filesystem;

// The tty's name of a port: "/dev/ttyUSB0" and "ttyUSB0" are "ttyUSB0"; a link made for the port
// (as the virtual board's --link) is followed to the device it names.
std::string TtyName(const std::string& port) {
  std::error_code error;
  fs::path path = port.find('/') == std::string::npos ? fs::path("/dev") / port : fs::path(port);
  const fs::path resolved = fs::canonical(path, error);
  return (error ? path : resolved).filename().string();
}

// The first line of a sysfs attribute, empty when absent.
std::string Attribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
  return line;
}

std::string Joined(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  return a + " " + b;
}

// The folder of the USB device at or above `device`: the first one that holds idVendor, never
// leaving the root.
std::optional<fs::path> UsbDeviceAbove(fs::path device, const fs::path& root) {
  for (int depth = 0; depth < 16 && !device.empty(); ++depth) {
    if (fs::exists(device / "idVendor")) return device;
    if (device == root || device == device.parent_path()) break;
    device = device.parent_path();
  }
  return std::nullopt;
}

// The driver of a built-in port: the first one at or above `device` that is not the serial
// core's own (its "serial-base" bus puts a port and a controller device between the tty and the
// UART).
std::string UartDriverAbove(fs::path device, const fs::path& root) {
  for (int depth = 0; depth < 8 && !device.empty(); ++depth) {
    std::error_code driverError;
    std::error_code busError;
    const fs::path driver = fs::canonical(device / "driver", driverError);
    const fs::path bus = fs::canonical(device / "subsystem", busError);
    if (!driverError && (busError || bus.filename() != "serial-base")) {
      return driver.filename().string();
    }
    if (device == root || device == device.parent_path()) break;
    device = device.parent_path();
  }
  return "";
}

fs::path RootOf(const std::string& systemRoot) {
  std::error_code error;
  const fs::path root = systemRoot.empty() ? fs::path("/") : fs::path(systemRoot);
  const fs::path resolved = fs::canonical(root, error);
  return error ? root : resolved;
}

}  // namespace

PortDetails DescribePort(const std::string& port, const std::string& systemRoot) {
  PortDetails details;
  const fs::path root = RootOf(systemRoot);
  const fs::path link = root / "sys/class/tty" / TtyName(port) / "device";
  std::error_code error;
  const fs::path device = fs::canonical(link, error);
  if (error) return details;
  if (const auto usb = UsbDeviceAbove(device, root)) {
    details.description = Joined(Attribute(*usb / "manufacturer"), Attribute(*usb / "product"));
    const std::string vendor = Attribute(*usb / "idVendor");
    const std::string product = Attribute(*usb / "idProduct");
    if (!vendor.empty() || !product.empty()) details.usbId = vendor + ":" + product;
    details.serialNumber = Attribute(*usb / "serial");
    return details;
  }
  details.description = UartDriverAbove(device, root);
  return details;
}

std::string LatencyTimerPath(const std::string& port, const std::string& systemRoot) {
  const fs::path file =
      RootOf(systemRoot) / "sys/bus/usb-serial/devices" / TtyName(port) / "latency_timer";
  std::error_code error;
  return fs::exists(file, error) ? file.string() : std::string();
}

std::optional<int> LatencyTimerMs(const std::string& port, const std::string& systemRoot) {
  const std::string path = LatencyTimerPath(port, systemRoot);
  if (path.empty()) return std::nullopt;
  const std::string text = Attribute(path);
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace orvane::serial
