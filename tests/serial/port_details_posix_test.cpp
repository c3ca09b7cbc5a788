// What `ports --long` says of a port, read from a fake sysfs tree laid out as the kernel lays it:
// the tty's device link into the device tree, a USB device with its strings above the
// interface, a built-in UART behind the serial core's port and controller devices.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "serial/port_details.h"
#include "support/temp_folder.h"

namespace orvane::serial {
namespace {

namespace fs = std::filesystem;

class FakeSysfs {
 public:
  FakeSysfs() {
    const fs::path usb = Dir("sys/devices/pci0000:00/0000:00:14.0/usb1/1-2");
    Write(usb / "idVendor", "0403\n");
    Write(usb / "idProduct", "6001\n");
    Write(usb / "manufacturer", "FTDI\n");
    Write(usb / "product", "FT232R USB UART\n");
    Write(usb / "serial", "A50285BI\n");
    Tty("ttyUSB0", usb / "1-2:1.0/ttyUSB0");
    Write(Dir("sys/bus/usb-serial/devices/ttyUSB0") / "latency_timer", "16\n");

    // A converter that gives no strings, only its ids.
    const fs::path bare = Dir("sys/devices/pci0000:00/0000:00:14.0/usb1/1-3");
    Write(bare / "idVendor", "1a86\n");
    Write(bare / "idProduct", "7523\n");
    Tty("ttyUSB1", bare / "1-3:1.0/ttyUSB1");

    const fs::path uart = Dir("sys/devices/pnp0/00:00");
    Driver(uart, "pnp", "serial");
    const fs::path port = Dir("sys/devices/pnp0/00:00/00:00:0/00:00:0.0");
    Driver(port, "serial-base", "port");
    Driver(port.parent_path(), "serial-base", "ctrl");
    Tty("ttyS0", port);
  }

  std::string Root() const { return folder_.Path().string(); }

 private:
  fs::path Dir(const std::string& path) {
    fs::create_directories(folder_ / path);
    return folder_ / path;
  }
  static void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  void Tty(const std::string& name, const fs::path& device) {
    fs::create_directories(device);
    const fs::path tty = Dir("sys/class/tty/" + name);
    fs::create_symlink(fs::relative(device, tty), tty / "device");
  }
  void Driver(const fs::path& device, const std::string& bus, const std::string& driver) {
    const fs::path driverDir = Dir("sys/bus/" + bus + "/drivers/" + driver);
    fs::create_symlink(fs::relative(driverDir, device), device / "driver");
    fs::create_symlink(fs::relative(folder_ / ("sys/bus/" + bus), device), device / "subsystem");
  }

  test_support::TempFolder folder_;
};

TEST(PortDetails, FromSysfs) {
  const FakeSysfs sysfs;
  struct Case {
    const char* port;
    const char* description;
    const char* usbId;
    const char* serialNumber;
  };
  const Case cases[] = {
      {"/dev/ttyUSB0", "FTDI FT232R USB UART", "0403:6001", "A50285BI"},
      {"ttyUSB0", "FTDI FT232R USB UART", "0403:6001", "A50285BI"},
      {"/dev/ttyUSB1", "", "1a86:7523", ""},
      {"/dev/ttyS0", "serial", "", ""},
      {"/dev/ttyACM9", "", "", ""},  // not in the tree
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.port);
    const PortDetails details = DescribePort(c.port, sysfs.Root());
    EXPECT_EQ(details.description, c.description);
    EXPECT_EQ(details.usbId, c.usbId);
    EXPECT_EQ(details.serialNumber, c.serialNumber);
  }
}

TEST(PortDetails, TheConvertersLatencyTimer) {
  const FakeSysfs sysfs;
  EXPECT_EQ(LatencyTimerMs("/dev/ttyUSB0", sysfs.Root()), 16);
  EXPECT_EQ(LatencyTimerPath("/dev/ttyUSB0", sysfs.Root()),
            sysfs.Root() + "/sys/bus/usb-serial/devices/ttyUSB0/latency_timer");
  EXPECT_EQ(LatencyTimerMs("/dev/ttyS0", sysfs.Root()), std::nullopt);
  EXPECT_EQ(LatencyTimerPath("/dev/ttyS0", sysfs.Root()), "");

  test_support::TempFolder odd;
  fs::create_directories(odd / "sys/bus/usb-serial/devices/ttyUSB0");
  std::ofstream(odd / "sys/bus/usb-serial/devices/ttyUSB0/latency_timer") << "sixteen\n";
  EXPECT_EQ(LatencyTimerMs("/dev/ttyUSB0", odd.Path().string()), std::nullopt);
}

}  // namespace
}  // namespace orvane::serial
