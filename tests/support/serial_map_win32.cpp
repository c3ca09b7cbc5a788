#include "support/serial_map_win32.h"

#include <windows.h>

namespace orvane::test_support {

SerialMapRemoved::SerialMapRemoved() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialMapKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    for (DWORD index = 0;; ++index) {
      char valueName[256];
      char data[256];
      DWORD nameLength = sizeof valueName;
      DWORD dataLength = sizeof data - 1;
      if (RegEnumValueA(key, index, valueName, &nameLength, nullptr, nullptr,
                        reinterpret_cast<BYTE*>(data), &dataLength) != ERROR_SUCCESS) {
        break;
      }
      data[dataLength] = '\0';
      saved_.emplace_back(valueName, std::string(data));
    }
    RegCloseKey(key);
  }
  const LONG deleted = RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSerialMapKey);
  removed_ = deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

SerialMapRemoved::~SerialMapRemoved() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSerialMapKey, 0, nullptr, REG_OPTION_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  for (const auto& [valueName, data] : saved_) {
    RegSetValueExA(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
  }
  RegCloseKey(key);
}

}  // namespace orvane::test_support
