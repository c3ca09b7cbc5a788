// The serial ports present on Windows: the values of the registry's serial device map, each the
// name of one port (COM1, COM3, ...).
#include "serial/port_list.h"

#include <windows.h>

#include <cstring>

#include "serial/com_port.h"

namespace orvane::serial {
namespace {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

void ListPlatformPorts(std::vector<std::string>& names) {
  RegistryKey key;
  const LONG opened =
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, key.out());
  // Windows makes the map only when a serial port is present: without one (a laptop before a
  // USB converter is plugged in) the key is absent, and that is an empty list, not a failure.
  if (opened == ERROR_FILE_NOT_FOUND) return;
  if (opened != ERROR_SUCCESS) throw EComPort(CError_RegError, static_cast<std::uint32_t>(opened));
  std::vector<std::string> found;
  for (DWORD index = 0;; ++index) {
    char valueName[256];
    BYTE data[256];
    DWORD valueNameLength = sizeof valueName;
    DWORD dataLength = sizeof data;
    const LONG status = RegEnumValueA(key.get(), index, valueName, &valueNameLength, nullptr,
                                      nullptr, data, &dataLength);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS)
      throw EComPort(CError_RegError, static_cast<std::uint32_t>(status));
    // The name without its terminating zero (a value stored without one is taken whole).
    const char* text = reinterpret_cast<const char*>(data);
    found.emplace_back(text, strnlen(text, dataLength));
  }
  names.insert(names.end(), found.begin(), found.end());
}

}  // namespace orvane::serial
