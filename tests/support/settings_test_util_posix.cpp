#include "support/settings_test_util.h"

#include <stdlib.h>

namespace orvane::test_support {

void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
}

}  // namespace orvane::test_support
