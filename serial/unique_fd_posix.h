// Ownership of a POSIX file descriptor: closed when its owner goes, on every path.
#pragma once

#include <unistd.h>

#include "serial/unique_resource.h"

namespace orvane::serial {

struct FdTraits {
  using Value = int;
  static int None() { return -1; }
  static bool Valid(int fd) { return fd >= 0; }
  static void Release(int fd) { close(fd); }
};

using UniqueFd = UniqueResource<FdTraits>;

}  // namespace orvane::serial
