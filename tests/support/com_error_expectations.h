// "This must raise that EComPort": one check for the message number, and, where a test cares, the
// platform error number and the whole message.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "serial/com_error.h"

namespace orvane::test_support {

// Use as EXPECT_TRUE(RaisesComError([&] { port.Open(); }, serial::CError_OpenFailed, 2u)).
template <typename Action>
::testing::AssertionResult RaisesComError(Action&& action, std::int32_t code,
                                          std::optional<std::uint32_t> systemCode = std::nullopt,
                                          const char* message = nullptr) {
  try {
    action();
  } catch (const serial::EComPort& error) {
    if (error.ErrorCode() != code) {
      return ::testing::AssertionFailure()
             << "EComPort " << error.ErrorCode() << " (" << error.what() << "), expected " << code;
    }
    if (systemCode && error.SystemErrorCode() != *systemCode) {
      return ::testing::AssertionFailure()
             << "platform number " << error.SystemErrorCode() << ", expected " << *systemCode;
    }
    if (message && std::strcmp(error.what(), message) != 0) {
      return ::testing::AssertionFailure()
             << "message \"" << error.what() << "\", expected \"" << message << "\"";
    }
    return ::testing::AssertionSuccess();
  } catch (const std::exception& other) {
    return ::testing::AssertionFailure() << "raised another error: " << other.what();
  }
  return ::testing::AssertionFailure() << "raised no error";
}

}  // namespace orvane::test_support
