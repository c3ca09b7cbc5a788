#include "download/load_result.h"

namespace orvane::download {

const char* LoadResultName(LoadResult result) {
  switch (result) {
    case LoadOk:
      return "LoadOk";
    case AddressRangeError:
      return "AddressRangeError";
    case ChecksumError:
      return "ChecksumError";
  }
  return "Unknown";
}

const char* LoadResultMessage(LoadResult result) {
  switch (result) {
    case LoadOk:
      return "";
    case AddressRangeError:
      return "Address range error";
    case ChecksumError:
      return "Checksum error";
  }
  return "";
}

}  // namespace orvane::download
