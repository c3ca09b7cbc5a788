// libFuzzer target: the Intel HEX loader on arbitrary file contents. Whatever the bytes, the
// loader ends with a result or a HexFileError, never reads or writes outside the image, and a
// file it accepts loads the same way twice.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "download/hex_file.h"
#include "download/hex_loader.h"
#include "download/memory_image.h"

namespace {

using namespace orvane::download;

// The load's outcome: -1 for a read error, else the result code; the image is filled in.
int Load(const std::string& text, MemoryImage& image) {
  HexFile file;
  file.AssignText(text);
  if (!file.Open()) std::abort();
  HexLoader loader(image, file);
  try {
    return static_cast<int>(loader.LoadHexFile());
  } catch (const HexFileError&) {
    return -1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  MemoryImage first;
  const int result = Load(text, first);
  if (result == static_cast<int>(LoadOk)) {
    MemoryImage second;
    second.bytes.fill(0x5A);  // what the first load left must not matter
    if (Load(text, second) != result || second.EndAddress != first.EndAddress ||
        second.bytes != first.bytes) {
      std::abort();
    }
  }
  return 0;
}
