// The platform's error numbers that devices and their stand-ins report, in a file of their own
// so that a program that needs only them (a fuzz target) need not link the device layer.
#include <windows.h>

#include "serial/com_device.h"

namespace orvane::serial {

SysError InvalidHandleError() { return ERROR_INVALID_HANDLE; }
SysError InvalidParameterError() { return ERROR_INVALID_PARAMETER; }
SysError PortAbsentError() { return ERROR_FILE_NOT_FOUND; }
SysError PortHeldError() { return ERROR_ACCESS_DENIED; }
SysError DeviceGoneError() { return ERROR_BAD_COMMAND; }

}  // namespace orvane::serial
