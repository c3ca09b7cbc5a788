#include "serial/com_device.h"

namespace orvane::serial {

std::unique_ptr<ComDevice> OpenPlatformDevice(const std::string&, SysError* error) {
  *error = 2;
  return nullptr;
}
SysError InvalidHandleError() { return 6; }
SysError InvalidParameterError() { return 87; }

}  // namespace orvane::serial
