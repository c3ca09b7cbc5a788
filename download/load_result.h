// The loader's result code and the words for it.
#pragma once

#include <cstdint>

namespace orvane::download {

enum LoadResult : std::int32_t {
  LoadOk = 0,
  AddressRangeError = 1,
  ChecksumError = 2,
};

// The code's name as the command-line tool prints it ("LoadOk", ...).
const char* LoadResultName(LoadResult result);

// The text an error message box shows for a failed load; empty for LoadOk, after which the
// download goes ahead.
const char* LoadResultMessage(LoadResult result);

}  // namespace orvane::download
