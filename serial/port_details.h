// What a serial port is, as far as the platform can tell: for `orvane ports --long` and for the
// hints that follow an error. Linux reads sysfs (port_details_posix.cpp), Windows the device
// installation interface (port_details_win32.cpp).
#pragma once

#include <optional>
#include <string>

namespace orvane::serial {

struct PortDetails {
  // The USB device's manufacturer and product strings, or the driver's name for a built-in port;
  // empty when nothing is known.
  std::string description;
  std::string usbId;         // "0403:6001" (vendor:product, four hex digits each); empty if none
  std::string serialNumber;  // the USB serial number; empty if none
};

// The details of a port name as ListPorts gives it. `systemRoot` is the folder that stands for
// "/" (tests point it at a fake sysfs tree; Windows ignores it).
PortDetails DescribePort(const std::string& port, const std::string& systemRoot = "");

// The latency timer of the USB-serial converter behind a port, in milliseconds (the time the
// converter may hold received bytes before it passes them on); none when the port has none that
// the platform shows.
std::optional<int> LatencyTimerMs(const std::string& port, const std::string& systemRoot = "");
// Where that timer is set, for a hint ("/sys/bus/usb-serial/devices/ttyUSB0/latency_timer");
// empty when the platform has no such file.
std::string LatencyTimerPath(const std::string& port, const std::string& systemRoot = "");

}  // namespace orvane::serial
