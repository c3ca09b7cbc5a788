// The named rates of TBaudRate: their rates in bit/s and their text forms.
#pragma once

#include <cstdint>
#include <string>

#include "serial/com_types.h"

namespace orvane::serial {

// Rate in bit/s of a TBaudRate; 0 for brCustom, whose rate is the port's CustomBaudRate.
std::int32_t BaudRateToBits(TBaudRate rate);
// The text form: "Custom", "110", ... "256000".
const char* BaudRateToText(TBaudRate rate);
// The rate whose text form equals the text, letters compared without case; br9600 when none does.
// The text is not trimmed.
TBaudRate BaudRateFromText(const std::string& text);

}  // namespace orvane::serial
