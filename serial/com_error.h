// The error the serial port raises (EComPort), the texts of its message numbers, and where errors
// go that no caller catches.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace orvane::serial {

// Numbers of the serial error messages (ErrorCode).
enum ComErrorCode : std::int32_t {
  CError_OpenFailed = 1,
  CError_WriteFailed = 2,
  CError_ReadFailed = 3,
  CError_InvalidAsync = 4,
  CError_PurgeFailed = 5,
  CError_AsyncCheck = 6,
  CError_SetStateFailed = 7,
  CError_TimeoutsFailed = 8,
  CError_SetupComFailed = 9,
  CError_ClearComFailed = 10,
  CError_ModemStatFailed = 11,
  CError_EscapeComFailed = 12,
  CError_TransmitFailed = 13,
  CError_ConnChangeProp = 14,
  CError_EnumPortsFailed = 15,
  CError_StoreFailed = 16,
  CError_LoadFailed = 17,
  CError_RegFailed = 18,
  CError_LedStateFailed = 19,
  CError_ThreadCreated = 20,
  CError_WaitFailed = 21,
  CError_HasLink = 22,
  CError_RegError = 23,
};

// The text of a message number (1 to 23); empty for any other number.
const char* ComErrorText(std::int32_t errorCode);

// What a message adds for a platform error number, in the platform's own terms: on Windows
// " (win error code: <number>)", elsewhere " (error <number>: <the system's text>)"
// (com_error_win32.cpp, com_error_posix.cpp).
std::string SystemErrorSuffix(std::uint32_t systemErrorCode);

class EComPort : public std::runtime_error {
 public:
  static constexpr std::uint32_t kNoSystemError = 0xFFFFFFFFu;

  // With a platform error number the message ends in its SystemErrorSuffix.
  EComPort(std::int32_t errorCode, std::uint32_t systemErrorCode);
  explicit EComPort(std::int32_t errorCode);  // no platform error number

  std::int32_t ErrorCode() const { return errorCode_; }
  std::uint32_t SystemErrorCode() const { return systemErrorCode_; }

 private:
  std::int32_t errorCode_;
  std::uint32_t systemErrorCode_;
};

// Where an error goes that no command catches because the port raised it while acting on its own
// (opening after being built from a stored description, event actions): the application's error
// display. Until the application installs one, the message goes to standard error.
using ErrorDisplay = std::function<void(const std::exception& error)>;
void SetErrorDisplay(ErrorDisplay display);
void ShowError(const std::exception& error);

}  // namespace orvane::serial
