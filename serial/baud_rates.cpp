#include "serial/baud_rates.h"

#include <algorithm>

#include "serial/ascii.h"

namespace orvane::serial {
namespace {

struct BaudRateEntry {
  const char* text;
  std::int32_t bits;
};
constexpr BaudRateEntry kBaudRates[] = {
    {"Custom", 0},    {"110", 110},       {"300", 300},       {"600", 600},
    {"1200", 1200},   {"2400", 2400},     {"4800", 4800},     {"9600", 9600},
    {"14400", 14400}, {"19200", 19200},   {"38400", 38400},   {"56000", 56000},
    {"57600", 57600}, {"115200", 115200}, {"128000", 128000}, {"256000", 256000},
};
constexpr int kBaudRateCount = sizeof kBaudRates / sizeof kBaudRates[0];

}  // namespace

std::int32_t BaudRateToBits(TBaudRate rate) {
  const int index = static_cast<int>(rate);
  return (index >= 0 && index < kBaudRateCount) ? kBaudRates[index].bits : 0;
}

const char* BaudRateToText(TBaudRate rate) {
  const int index = static_cast<int>(rate);
  return (index >= 0 && index < kBaudRateCount) ? kBaudRates[index].text : "";
}

TBaudRate BaudRateFromText(const std::string& text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), UpperAscii);
  for (int index = 0; index < kBaudRateCount; ++index) {
    std::string candidate(kBaudRates[index].text);
    std::transform(candidate.begin(), candidate.end(), candidate.begin(), UpperAscii);
    if (candidate == upper) return static_cast<TBaudRate>(index);
  }
  return br9600;
}

}  // namespace orvane::serial
