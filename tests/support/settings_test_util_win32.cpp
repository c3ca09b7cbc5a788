#include "support/settings_test_util.h"

#include <stdlib.h>
#include <windows.h>

namespace orvane::test_support {

void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
  ::SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
  _putenv_s(name.c_str(), value ? value->c_str() : "");
}

}  // namespace orvane::test_support
