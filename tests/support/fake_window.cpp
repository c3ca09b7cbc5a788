#include "support/fake_window.h"

#include <algorithm>

namespace orvane::test_support {

int RecordingErrors::Count(const std::string& text) const {
  return static_cast<int>(std::count(messages.begin(), messages.end(), text));
}

}  // namespace orvane::test_support
