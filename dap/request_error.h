// A request that cannot be done: its text becomes the failed response's message.
#pragma once

#include <stdexcept>

namespace orvane::dap {

class RequestError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace orvane::dap
