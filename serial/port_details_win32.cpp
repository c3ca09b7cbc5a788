// Port details from the device installation interface: the devices of the Ports class, each with
// its port name in its device key, its friendly name and manufacturer, and an instance id that
// for a USB device reads "USB\VID_0403&PID_6001\<serial number>". Wine may know little of this;
// whatever it gives is shown.
#include "serial/port_details.h"

// windows.h first: the two headers after it build on its definitions.
#include <windows.h>
// clang-format off
#include <devguid.h>
#include <setupapi.h>
// clang-format on

#include <algorithm>
#include <memory>
#include <string>

#include "serial/ascii.h"

namespace orvane::serial {
namespace {

struct DeviceListCloser {
  void operator()(void* list) const { SetupDiDestroyDeviceInfoList(list); }
};
using DeviceList = std::unique_ptr<void, DeviceListCloser>;

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

std::string Property(HDEVINFO list, SP_DEVINFO_DATA& device, DWORD property) {
  char text[512] = {};
  if (!SetupDiGetDeviceRegistryPropertyA(list, &device, property, nullptr,
                                         reinterpret_cast<BYTE*>(text), sizeof text - 1, nullptr)) {
    return "";
  }
  return text;
}

std::string PortNameOf(HDEVINFO list, SP_DEVINFO_DATA& device) {
  const HKEY opened = SetupDiOpenDevRegKey(list, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (opened == nullptr || opened == reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE)) return "";
  const UniqueKey key(opened);
  char name[64] = {};
  DWORD size = sizeof name - 1;
  DWORD type = 0;
  if (RegQueryValueExA(key.get(), "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return "";
  }
  return name;
}

// The four hex digits after "VID_" or "PID_" in an instance id, lower case; empty if absent.
std::string IdAfter(const std::string& instance, const char* tag) {
  const std::size_t at = UpperCaseAscii(instance).find(tag);
  if (at == std::string::npos || at + 8 > instance.size()) return "";
  std::string id = instance.substr(at + 4, 4);
  std::transform(id.begin(), id.end(), id.begin(), LowerAscii);
  return id;
}

void FillFromInstance(const std::string& instance, PortDetails& details) {
  if (UpperCaseAscii(instance).rfind("USB\\", 0) != 0) return;
  const std::string vendor = IdAfter(instance, "VID_");
  const std::string product = IdAfter(instance, "PID_");
  if (!vendor.empty() && !product.empty()) details.usbId = vendor + ":" + product;
  // The last part is the serial number, unless Windows made one up (it then holds '&').
  const std::size_t slash = instance.rfind('\\');
  const std::string last = slash == std::string::npos ? "" : instance.substr(slash + 1);
  if (!last.empty() && last.find('&') == std::string::npos) details.serialNumber = last;
}

}  // namespace

PortDetails DescribePort(const std::string& port, const std::string&) {
  PortDetails details;
  const HDEVINFO opened =
      SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (opened == INVALID_HANDLE_VALUE) return details;
  const DeviceList list(opened);
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(list.get(), i, &device); ++i) {
    if (!EqualIgnoringAsciiCase(PortNameOf(list.get(), device), port)) continue;
    std::string description = Property(list.get(), device, SPDRP_FRIENDLYNAME);
    if (description.empty()) description = Property(list.get(), device, SPDRP_DEVICEDESC);
    const std::string maker = Property(list.get(), device, SPDRP_MFG);
    details.description = maker.empty() ? description : maker + " " + description;
    char instance[512] = {};
    if (SetupDiGetDeviceInstanceIdA(list.get(), &device, instance, sizeof instance - 1, nullptr)) {
      FillFromInstance(instance, details);
    }
    break;
  }
  return details;
}

// Windows keeps a converter's latency timer in its driver's own settings; none is read here.
std::optional<int> LatencyTimerMs(const std::string&, const std::string&) { return std::nullopt; }
std::string LatencyTimerPath(const std::string&, const std::string&) { return ""; }

}  // namespace orvane::serial
