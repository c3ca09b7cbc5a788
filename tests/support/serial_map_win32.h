// The registry's serial device map (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM) taken away for the length
// of a test, as on a computer with no serial port; put back, with its values, afterwards.
// Wine keeps the key volatile, so it can be deleted and made anew while its server runs.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orvane::test_support {

inline constexpr const char* kSerialMapKey = "HARDWARE\\DEVICEMAP\\SERIALCOMM";

class SerialMapRemoved {
 public:
  SerialMapRemoved();  // saves the values and deletes the key; Removed() tells whether it worked
  ~SerialMapRemoved();
  SerialMapRemoved(const SerialMapRemoved&) = delete;
  SerialMapRemoved& operator=(const SerialMapRemoved&) = delete;

  bool Removed() const { return removed_; }

 private:
  std::vector<std::pair<std::string, std::string>> saved_;  // value name, port name
  bool removed_ = false;
};

}  // namespace orvane::test_support
