// The texts of a download run: the progress window's label and the refusals of an image that
// cannot be downloaded.
#pragma once

namespace orvane::download {

// The progress window's label, while the run is under way and after it.
inline constexpr const char* kDownloadingWaitText = "Downloading......please wait";
inline constexpr const char* kDownloadSucceededText = "Downloading succeded";
inline constexpr const char* kDownloadFailureText = "Downloading failure";

// A loaded image with nothing at or above the start of program memory.
inline constexpr const char* kNoDataToDownloadText = "No data to download";

}  // namespace orvane::download
