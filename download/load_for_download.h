// The first half of every download command, the window's and the command-line tool's alike:
// open the file, load it into the image, and refuse an image that cannot be downloaded.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "download/hex_file.h"
#include "download/memory_image.h"

namespace orvane::download {

// Opens `fileName` through `file` and loads it into `image`. Returns the message that stops the
// command ("File not found", a load's failure, or the refusal of DownloadRefusal), or none when
// the image is ready to go to the board. `afterOpen` runs once the file is open, before the
// load. A read error (HexFileError) is not caught.
std::optional<std::string> LoadForDownload(HexFile& file, const std::string& fileName,
                                           MemoryImage& image,
                                           const std::function<void()>& afterOpen = {});

// The part after the open: loads the opened `file` into `image` (which closes it) and returns
// the load's failure or the refusal of DownloadRefusal, or none. The board tests use it for
// their own files, which they report in their own words when they do not open.
std::optional<std::string> LoadOpenedForDownload(HexFile& file, MemoryImage& image);

}  // namespace orvane::download
