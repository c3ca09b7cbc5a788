#include "download/load_for_download.h"

#include "download/download_run.h"
#include "download/hex_loader.h"
#include "download/load_result.h"

namespace orvane::download {

std::optional<std::string> LoadForDownload(HexFile& file, const std::string& fileName,
                                           MemoryImage& image,
                                           const std::function<void()>& afterOpen) {
  file.Assign(fileName);
  if (!file.Open()) return std::string(kFileNotFoundText);
  if (afterOpen) afterOpen();
  return LoadOpenedForDownload(file, image);
}

std::optional<std::string> LoadOpenedForDownload(HexFile& file, MemoryImage& image) {
  HexLoader loader(image, file);
  const LoadResult result = loader.LoadHexFile();
  if (result != LoadOk) return std::string(LoadResultMessage(result));
  // An image with nothing to send, or one reaching beyond program memory, fails like a load.
  return DownloadRefusal(image);
}

}  // namespace orvane::download
