// The platform's error numbers that devices and their stand-ins report, in a file of their own
// so that a program that needs only them (a fuzz target) need not link the device layer.
#include <cerrno>

#include "serial/com_device.h"

namespace orvane::serial {

SysError InvalidHandleError() { return EBADF; }
SysError InvalidParameterError() { return EINVAL; }
SysError PortAbsentError() { return ENOENT; }
SysError PortHeldError() { return EBUSY; }
SysError DeviceGoneError() { return EIO; }

}  // namespace orvane::serial
