#include "serial/com_error.h"

#include <iostream>
#include <mutex>
#include <string>
#include <utility>

namespace orvane::serial {
namespace {

constexpr const char* kErrorTexts[] = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
};
constexpr std::int32_t kErrorTextCount = sizeof kErrorTexts / sizeof kErrorTexts[0];

std::string MessageOf(std::int32_t errorCode, std::uint32_t systemErrorCode) {
  std::string message = ComErrorText(errorCode);
  if (systemErrorCode != EComPort::kNoSystemError) message += SystemErrorSuffix(systemErrorCode);
  return message;
}

std::mutex& DisplayMutex() {
  static std::mutex mutex;
  return mutex;
}
ErrorDisplay& Display() {
  static ErrorDisplay display;
  return display;
}

}  // namespace

const char* ComErrorText(std::int32_t errorCode) {
  if (errorCode < 1 || errorCode > kErrorTextCount) return "";
  return kErrorTexts[errorCode - 1];
}

EComPort::EComPort(std::int32_t errorCode, std::uint32_t systemErrorCode)
    : std::runtime_error(MessageOf(errorCode, systemErrorCode)),
      errorCode_(errorCode),
      systemErrorCode_(systemErrorCode) {}

EComPort::EComPort(std::int32_t errorCode) : EComPort(errorCode, kNoSystemError) {}

void SetErrorDisplay(ErrorDisplay display) {
  std::lock_guard lock(DisplayMutex());
  Display() = std::move(display);
}

void ShowError(const std::exception& error) {
  ErrorDisplay display;
  {
    std::lock_guard lock(DisplayMutex());
    display = Display();
  }
  if (display) {
    display(error);
  } else {
    std::cerr << error.what() << "\n";
  }
}

}  // namespace orvane::serial
